// LangString against the plainest way to answer a text by number: the same
// ids looked up in an unordered_map, and the same marker filling.

#include "RatioReporter.h"

#include "common/Language.h"
#include "common/ModuleState.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

const int kIds[] = {1, 2, 3, 17};

// Installs the English string library in a temporary product folder.
struct Installation {
    fs::path root;
    Installation() {
        std::string tmpl = (fs::temp_directory_path() / "qm6bench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        root = tmpl;
        fs::create_directories(root / "bin");
        fs::create_directories(root / "lang" / "1033");
        fs::copy_file(QM6_BENCH_LANG_LIBRARY, root / "lang" / "1033" / "qm6admcmLangRes.dll");
        setenv("QM6_REGISTRY_DIR", (root / "registry").c_str(), 1);
        setenv("LANG", "en_US.UTF-8", 1);
        unsetenv("LC_ALL");
        qm6::SetModuleFolder((root / "bin").string());
        qm6::ResetModuleState();
        if (qm6::LangString(1).empty())
            throw std::runtime_error("the string library did not load");
    }
    ~Installation() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Installation& Installed() {
    static Installation installation;
    return installation;
}

std::unordered_map<int, std::string> Map() {
    std::unordered_map<int, std::string> map;
    for (int id : kIds)
        map[id] = qm6::LangString(id);
    return map;
}

void BM_LangString(benchmark::State& state) {
    Installed();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(qm6::LangString(kIds[i]));
        i = (i + 1) % std::size(kIds);
    }
}

void BM_MapLookup(benchmark::State& state) {
    Installed();
    auto map = Map();
    size_t i = 0;
    for (auto _ : state) {
        std::string text = map.find(kIds[i])->second;
        benchmark::DoNotOptimize(text);
        i = (i + 1) % std::size(kIds);
    }
}

void BM_LangStringWithArguments(benchmark::State& state) {
    Installed();
    for (auto _ : state)
        benchmark::DoNotOptimize(qm6::LangString(2, "A", 10));
}

void BM_MapLookupWithArguments(benchmark::State& state) {
    Installed();
    auto map = Map();
    for (auto _ : state) {
        std::vector<qm6::vb::Variant> args{qm6::vb::Variant("A"), qm6::vb::Variant(10)};
        benchmark::DoNotOptimize(qm6::FormatLangString(map.find(2)->second, args));
    }
}

} // namespace

BENCHMARK(BM_LangString);
BENCHMARK(BM_MapLookup);
BENCHMARK(BM_LangStringWithArguments);
BENCHMARK(BM_MapLookupWithArguments);

int main(int argc, char** argv) {
    qm6::bench::RatioReporter reporter;
    reporter.Compare("BM_LangString", "BM_MapLookup");
    reporter.Compare("BM_LangStringWithArguments", "BM_MapLookupWithArguments");
    return qm6::bench::RunWithRatios(argc, argv, reporter);
}
