// The store on a PostgreSQL server against the same store in an SQLite file,
// both holding the sample data: loading a printer profile's rules (its job
// option rules and printing limits), and saving a price profile with its
// paper-size price grid. The server's figures come as multiples of the
// file's, a first figure for planning, measured over a Unix socket to a
// server on the same machine (a network adds its round trips).
//
// The server is the one QM6_BENCH_SERVER locates (scripts/test.sh starts
// one); without it the server's measurements are skipped. That test server
// does not wait for the disk at a commit (fsync off), while the file does, so
// the save's ratio flatters the server; the load's is a fair first figure.

#include "RatioReporter.h"

#include "qm6data/OpenStore.h"
#include "qm6data/SampleScript.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

using qm6::data::StoreConnection;

std::shared_ptr<StoreConnection> OpenWithSample(const std::string& location) {
    std::shared_ptr<StoreConnection> store;
    if (qm6::data::OpenStore(location, store, qm6::data::OpenOptions{true})) {
        return nullptr;
    }
    if (store->IsNew() && store->ExecuteScript(qm6::data::SampleScript())) {
        return nullptr;
    }
    return store;
}

std::shared_ptr<StoreConnection> FileStore() {
    static const std::shared_ptr<StoreConnection> store = [] {
        const auto file = std::filesystem::temp_directory_path() / "qm6bench-store.qm6db";
        std::filesystem::remove(file);
        return OpenWithSample(file.string());
    }();
    return store;
}

std::shared_ptr<StoreConnection> ServerStore() {
    static const std::shared_ptr<StoreConnection> store = [] {
        const char* location = std::getenv("QM6_BENCH_SERVER");
        return location ? OpenWithSample(location) : nullptr;
    }();
    return store;
}

void LoadRules(benchmark::State& state, StoreConnection* store) {
    if (!store) {
        state.SkipWithError("no store (set QM6_BENCH_SERVER to a server's location)");
        return;
    }
    std::shared_ptr<qm6::vb::Collection> rules, limits;
    for (auto _ : state) {
        if (store->LoadJobOptionRules(rules, 2, 2) || store->LoadPrintingLimits(limits, 2, 2)) {
            state.SkipWithError("a load failed");
            return;
        }
        benchmark::DoNotOptimize(limits->Count());
    }
}

void SavePriceGrid(benchmark::State& state, StoreConnection* store) {
    std::shared_ptr<qm6::data::PriceProfile> profile;
    if (!store || store->LoadPriceProfile(profile, 2)) {
        state.SkipWithError("no store (set QM6_BENCH_SERVER to a server's location)");
        return;
    }
    // The whole grid: a price for every paper size.
    auto prices = std::make_shared<qm6::vb::Collection>();
    for (int32_t size = 1; size <= 6; ++size) {
        auto price = store->NewPaperSizePrice();
        price->SetPaperSizeId(size);
        prices->Add(qm6::vb::Variant(std::static_pointer_cast<qm6::vb::Object>(price)));
    }
    profile->SetPaperSizePrices(prices);
    int64_t cost = 0;
    for (auto _ : state) {
        profile->SetBWCost(qm6::vb::Currency::FromScaled(++cost));
        if (profile->Save(*store)) {
            state.SkipWithError("a save failed");
            return;
        }
    }
}

void BM_LoadRules_File(benchmark::State& state) {
    LoadRules(state, FileStore().get());
}
void BM_LoadRules_Server(benchmark::State& state) {
    LoadRules(state, ServerStore().get());
}
void BM_SavePriceGrid_File(benchmark::State& state) {
    SavePriceGrid(state, FileStore().get());
}
void BM_SavePriceGrid_Server(benchmark::State& state) {
    SavePriceGrid(state, ServerStore().get());
}

BENCHMARK(BM_LoadRules_File);
BENCHMARK(BM_LoadRules_Server);
BENCHMARK(BM_SavePriceGrid_File);
BENCHMARK(BM_SavePriceGrid_Server);

} // namespace

int main(int argc, char** argv) {
    qm6::bench::RatioReporter reporter;
    reporter.Compare("BM_LoadRules_Server", "BM_LoadRules_File");
    reporter.Compare("BM_SavePriceGrid_Server", "BM_SavePriceGrid_File");
    return qm6::bench::RunWithRatios(argc, argv, reporter);
}
