// RunSummary: the reporter every bench program hands to RunSpecifiedBenchmarks. It prints the
// usual console table and keeps each run by the name it was registered under (the function
// name, then "/" and its arguments), so that the program's closing summary can set a figure
// beside its peer's from the same run. Runs that failed are not kept.
// Target() prints one verdict line that scripts/bench gathers into its closing table;
// Close() says how many repetitions each benchmark ran.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RunSummary : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            repetitions_ = std::max<long long>(repetitions_, run.repetitions);
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            runs_[Key(run)] = run;  // the median of repeated runs comes last and stays
        }
    }

    // Seconds per iteration, wall clock (or the manual time) and CPU; 0 for an unknown run.
    double RealSeconds(const std::string& name) const {
        const Run* run = Find(name);
        return run ? run->GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run->time_unit) : 0;
    }
    double CpuSeconds(const std::string& name) const {
        const Run* run = Find(name);
        return run ? run->GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run->time_unit) : 0;
    }
    // A counter of the run ("items_per_second", or one of the program's own); 0 when absent.
    double Counter(const std::string& name, const std::string& counter) const {
        const Run* run = Find(name);
        if (!run) return 0;
        const auto found = run->counters.find(counter);
        return found == run->counters.end() ? 0 : found->second.value;
    }

    // One verdict: the hot path's ratio against its peer and the bound it is held to, a
    // floor ("at least") or, with ceiling set, a ceiling ("at most"). The line starts with
    // "target|" so that scripts/bench can pick it out of the program's output.
    static bool Target(const std::string& path, const std::string& peer, double ratio, double target,
                       bool ceiling = false) {
        const bool met = ratio > 0 && (ceiling ? ratio <= target : ratio >= target);
        std::printf("target|%s|%s|%.2fx|%s %.2fx|%s\n", path.c_str(), peer.c_str(), ratio,
                    ceiling ? "at most" : "at least", target, met ? "met" : "MISSED");
        return met;
    }

    // The closing line of every program: the repetitions of each benchmark (1 unless
    // --benchmark_repetitions asked for more, in which case the medians were compared).
    void Close() const {
        std::printf("Repetitions: %lld of each benchmark%s\n", std::max(repetitions_, 1LL),
                    repetitions_ > 1 ? " (medians compared)" : "");
        std::fflush(stdout);
    }

  private:
    static std::string Key(const Run& run) {
        const std::string& arguments = run.run_name.args;
        return run.run_name.function_name + (arguments.empty() ? "" : "/" + arguments);
    }
    const Run* Find(const std::string& name) const {
        const auto found = runs_.find(name);
        return found == runs_.end() ? nullptr : &found->second;
    }

    std::map<std::string, Run> runs_;
    long long repetitions_ = 0;
};
