// RunSummary: the reporter every bench program hands to RunSpecifiedBenchmarks. It prints the
// usual console table and keeps each run by the name it was registered under (the function
// name, then "/" and its arguments), so that the program's closing summary can set a figure
// beside its peer's from the same run. Runs that failed are not kept.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RunSummary : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
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
};
