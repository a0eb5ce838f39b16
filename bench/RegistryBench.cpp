// The registry key object against bare SQLite on the same hive file: reading
// a value with GetValueOrDefault, and writing one with SetCreateValue, each
// next to one prepared SQLite statement per value doing the same work.

#include "RatioReporter.h"

#include "platform/registry/Registry.h"
#include "platform/vb/Variant.h"
#include "registry/clsRegistry.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

constexpr int kValues = 64;
const char* const kSection = "Software\\Quillmeter 6\\Bench";

std::string Folder() {
    static const std::string folder = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qm6bench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        setenv("QM6_REGISTRY_DIR", tmpl.c_str(), 1);
        return tmpl;
    }();
    return folder;
}

std::string Name(int i) {
    return "Value" + std::to_string(i);
}

qm6::clsRegistry Object() {
    qm6::clsRegistry r;
    r.ClassKey(static_cast<int32_t>(qm6::reg::HKEY_CURRENT_USER));
    r.SectionKey(kSection);
    r.ValueType(qm6::reg::REG_SZ);
    return r;
}

// A bare connection to the same hive file with a table of its own.
class BareStore {
public:
    BareStore() {
        std::string path = Folder() + "/HKCU.db";
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK)
            throw std::runtime_error("cannot open the hive file");
        sqlite3_busy_timeout(db_, 5000);
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "CREATE TABLE IF NOT EXISTS bench_kv(k TEXT PRIMARY KEY, v BLOB)",
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db_, "SELECT v FROM bench_kv WHERE k = ?1", -1, &select_, nullptr);
        sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO bench_kv(k, v) VALUES(?1, ?2)", -1,
                           &upsert_, nullptr);
    }
    ~BareStore() {
        sqlite3_finalize(select_);
        sqlite3_finalize(upsert_);
        sqlite3_close(db_);
    }

    std::string Read(const std::string& key) {
        sqlite3_bind_text(select_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        std::string value;
        if (sqlite3_step(select_) == SQLITE_ROW) {
            auto* p = static_cast<const char*>(sqlite3_column_blob(select_, 0));
            value.assign(p, static_cast<size_t>(sqlite3_column_bytes(select_, 0)));
        }
        sqlite3_reset(select_);
        return value;
    }

    void Write(const std::string& key, const std::string& value) {
        sqlite3_bind_text(upsert_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        sqlite3_bind_blob(upsert_, 2, value.data(), static_cast<int>(value.size() + 1),
                          SQLITE_STATIC);
        sqlite3_step(upsert_);
        sqlite3_reset(upsert_);
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
    sqlite3_stmt* upsert_ = nullptr;
};

void Prepare() {
    static bool done = [] {
        auto r = Object();
        BareStore bare;
        for (int i = 0; i < kValues; ++i) {
            r.SetCreateValue(Name(i), qm6::vb::Variant("setting " + std::to_string(i)), false);
            bare.Write(Name(i), "setting " + std::to_string(i));
        }
        return true;
    }();
    (void)done;
}

void BM_GetValueOrDefault(benchmark::State& state) {
    Prepare();
    auto r = Object();
    const qm6::vb::Variant fallback("");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(r.GetValueOrDefault(Name(i), fallback));
        i = (i + 1) % kValues;
    }
}

void BM_BareSqliteRead(benchmark::State& state) {
    Prepare();
    BareStore bare;
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bare.Read(Name(i)));
        i = (i + 1) % kValues;
    }
}

void BM_SetCreateValue(benchmark::State& state) {
    Prepare();
    auto r = Object();
    int i = 0;
    for (auto _ : state) {
        r.SetCreateValue(Name(i), qm6::vb::Variant("changed " + std::to_string(i)), false);
        i = (i + 1) % kValues;
    }
}

void BM_BareSqliteWrite(benchmark::State& state) {
    Prepare();
    BareStore bare;
    int i = 0;
    for (auto _ : state) {
        bare.Write(Name(i), "changed " + std::to_string(i));
        i = (i + 1) % kValues;
    }
}

} // namespace

BENCHMARK(BM_GetValueOrDefault);
BENCHMARK(BM_BareSqliteRead);
BENCHMARK(BM_SetCreateValue);
BENCHMARK(BM_BareSqliteWrite);

int main(int argc, char** argv) {
    qm6::bench::RatioReporter reporter;
    reporter.Compare("BM_GetValueOrDefault", "BM_BareSqliteRead");
    reporter.Compare("BM_SetCreateValue", "BM_BareSqliteWrite");
    int rc = qm6::bench::RunWithRatios(argc, argv, reporter);
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
    return rc;
}
