#pragma once

// Console output of Google Benchmark plus, at the end, each measurement's
// ratio to its baseline from the same run: machines differ, ratios travel.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace qm6::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Registers a pair: `measured` is reported as a multiple of `baseline`.
    void Compare(std::string measured, std::string baseline) {
        pairs_.emplace_back(std::move(measured), std::move(baseline));
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        auto& out = GetOutputStream();
        out << "\nRatios to baselines from the same run:\n";
        for (const auto& [measured, baseline] : pairs_) {
            auto m = times_.find(measured);
            auto b = times_.find(baseline);
            if (m == times_.end() || b == times_.end() || b->second <= 0) {
                out << "  " << measured << ": not measured\n";
                continue;
            }
            char line[256];
            std::snprintf(line, sizeof line, "  %-40s %6.2fx  %s\n", measured.c_str(),
                          m->second / b->second, baseline.c_str());
            out << line;
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> times_;
};

// Runs the registered benchmarks with the reporter; the body of a bench main.
inline int RunWithRatios(int argc, char** argv, RatioReporter& reporter) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace qm6::bench
