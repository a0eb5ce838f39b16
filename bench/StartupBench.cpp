// The start-up routine Main on a fresh thread, and each of its three steps
// (the library font, the branding object, the string library) on a fresh
// thread, as ratios to one another and to the whole, so that a step that
// grows out of proportion shows.
//
// A step cannot run on a thread before Main (every step starts the thread
// itself), so a step's thread runs Main first, puts back what Main left in
// the step's per-thread caches (folders found by walking up, the loaded
// library, the font), and times the step alone. Only the work is timed, never
// the making of the thread.

#include "RatioReporter.h"

#include "common/Fonts.h"
#include "common/Language.h"
#include "common/ModuleState.h"
#include "common/clsQM6Branding.h"
#include "platform/registry/Registry.h"

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A product installed in a temporary folder: bin, the product's branding
// library in common, the English string library in lang.
struct Installation {
    fs::path root;
    Installation() {
        std::string tmpl = (fs::temp_directory_path() / "qm6bench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        root = tmpl;
        fs::create_directories(root / "bin");
        fs::create_directories(root / "common");
        fs::create_directories(root / "lang" / "1033");
        fs::copy_file(QM6_BENCH_BRANDING_LIBRARY, root / "common" / "qmmark.dll");
        fs::copy_file(QM6_BENCH_LANG_LIBRARY, root / "lang" / "1033" / "qm6admcmLangRes.dll");
        setenv("QM6_REGISTRY_DIR", (root / "registry").c_str(), 1);
        setenv("LANG", "en_US.UTF-8", 1);
        unsetenv("LC_ALL");
        qm6::SetModuleFolder((root / "bin").string());
        // Every step must find what it looks for, or it measures a shortcut.
        bool complete = false;
        std::thread([&complete] {
            qm6::ModuleState& state = qm6::State();
            complete = state.branding && state.branding->IsLoaded() &&
                       state.language.library.has_value();
            qm6::reg::CloseThreadConnections();
        }).join();
        if (!complete)
            throw std::runtime_error("the branding or string library did not load");
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

using Clock = std::chrono::steady_clock;

// Runs `prepare` then times `step` on a fresh thread; the seconds the step took.
double OnFreshThread(const std::function<void()>& prepare, const std::function<void()>& step) {
    double seconds = 0;
    std::thread([&] {
        prepare();
        const auto start = Clock::now();
        step();
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        qm6::reg::CloseThreadConnections();
    }).join();
    return seconds;
}

void TimeOnFreshThreads(benchmark::State& state, const std::function<void()>& prepare,
                        const std::function<void()>& step) {
    Installed();
    for (auto _ : state)
        state.SetIterationTime(OnFreshThread(prepare, step));
}

// Main with the thread's state made but not started, as on a thread's first
// use of the library.
void BM_Main(benchmark::State& state) {
    TimeOnFreshThreads(state, [] {}, [] { benchmark::DoNotOptimize(qm6::State().started); });
}

void BM_InitFonts(benchmark::State& state) {
    TimeOnFreshThreads(
        state, [] { qm6::State().libraryFont.reset(); }, [] { qm6::InitFonts(); });
}

// Making the branding object walks up to the common folder and loads qmmark.dll.
void BM_CreateBranding(benchmark::State& state) {
    TimeOnFreshThreads(
        state,
        [] {
            qm6::State().branding.reset();
            qm6::State().utilities.commonFolder.clear();
        },
        [] { qm6::State().branding = std::make_shared<qm6::clsQM6Branding>(); });
}

// Loading the string library walks up to the lang folder and loads it.
void BM_LoadLanguage(benchmark::State& state) {
    TimeOnFreshThreads(
        state,
        [] {
            qm6::FreeLanguage();
            qm6::State().language.folder.clear();
        },
        [] { qm6::LoadLanguage("qm6admcm"); });
}

} // namespace

BENCHMARK(BM_Main)->UseManualTime();
BENCHMARK(BM_InitFonts)->UseManualTime();
BENCHMARK(BM_CreateBranding)->UseManualTime();
BENCHMARK(BM_LoadLanguage)->UseManualTime();

int main(int argc, char** argv) {
    qm6::bench::RatioReporter reporter;
    // The steps to one another.
    reporter.Compare("BM_InitFonts", "BM_CreateBranding");
    reporter.Compare("BM_LoadLanguage", "BM_CreateBranding");
    reporter.Compare("BM_InitFonts", "BM_LoadLanguage");
    // Each step's share of the whole.
    reporter.Compare("BM_InitFonts", "BM_Main");
    reporter.Compare("BM_CreateBranding", "BM_Main");
    reporter.Compare("BM_LoadLanguage", "BM_Main");
    return qm6::bench::RunWithRatios(argc, argv, reporter);
}
