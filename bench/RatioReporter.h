#pragma once
// Prints, after the usual table, each benchmark's time as a ratio of a named
// baseline measured in the same run, so a target such as "within 2 times of
// a plain read" is read off directly, whatever the machine's speed.
//
//   int main(int argc, char** argv) {
//     return RunWithRatios(argc, argv, {{"BM_LoadStore", "BM_PlainReadBaseline", 2.0}});
//   }

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

struct TRatioTarget {
  std::string Measured;  // benchmark name (prefix before any "/" argument)
  std::string Baseline;
  double Limit;          // the largest acceptable ratio; 0 for none
};

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
        FTimes[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  double Time(const std::string& name) const {
    auto found = FTimes.find(name);
    return found == FTimes.end() ? 0.0 : found->second;
  }

 private:
  std::map<std::string, double> FTimes;
};

inline int RunWithRatios(int argc, char** argv, const std::vector<TRatioTarget>& targets) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const TRatioTarget& target : targets) {
    double measured = reporter.Time(target.Measured), baseline = reporter.Time(target.Baseline);
    if (measured <= 0 || baseline <= 0) continue;
    double ratio = measured / baseline;
    std::printf("ratio %s / %s = %.2f", target.Measured.c_str(), target.Baseline.c_str(), ratio);
    if (target.Limit > 0) std::printf(" (target <= %.2f: %s)", target.Limit, ratio <= target.Limit ? "met" : "MISSED");
    std::printf("\n");
  }
  benchmark::Shutdown();
  return 0;
}
