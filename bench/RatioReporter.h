// Keeps every repetition's time per benchmark and prints our route against its peer as ratios.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace benchratio {

// Records the real time per iteration of each plain run (one per repetition), by function name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred) {
        seconds_[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
        cpu_[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
      }
    ConsoleReporter::ReportRuns(runs);
  }

  // One line: the median ratio ours / peer, and the smallest and largest ratio of the
  // repetitions taken pairwise (repetition i of ours over repetition i of the peer). False
  // when either has no time; `met` tells whether the median ratio is at most `target` (a target
  // of 0 is none: the ratio is shown for information).
  bool PrintRatio(const std::string& ours, const std::string& peer, const char* what,
                  double target) const {
    const auto o = seconds_.find(ours);
    const auto p = seconds_.find(peer);
    if (o == seconds_.end() || p == seconds_.end() || o->second.empty() || p->second.empty())
      return false;
    const size_t n = std::min(o->second.size(), p->second.size());
    std::vector<double> ratios;
    for (size_t i = 0; i < n; ++i)
      if (p->second[i] > 0) ratios.push_back(o->second[i] / p->second[i]);
    if (ratios.empty()) return false;
    const double median = Median(o->second) / Median(p->second);
    const double cpu = Median(cpu_.at(ours)) / std::max(1e-12, Median(cpu_.at(peer)));
    std::printf("ratio %-58s %6.2f (min %5.2f, max %5.2f over %zu; CPU time %5.2f", what, median,
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), ratios.size(), cpu);
    if (target > 0) {
      std::printf("; target <= %.2f) %s\n", target, median <= target ? "met" : "NOT MET");
    } else {
      std::printf(")\n");
    }
    return true;
  }

 private:
  static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
  }
  std::map<std::string, std::vector<double>> seconds_;
  std::map<std::string, std::vector<double>> cpu_;
};

// Runs the benchmarks the command line selects, each repeated five times unless it gives a
// repetition count (so that every ratio has a minimum and a maximum), into `reporter`.
inline void RunRepeated(int argc, char** argv, RatioReporter& reporter) {
  static char repetitions[] = "--benchmark_repetitions=5";
  std::vector<char*> args(argv, argv + argc);
  const bool given = std::any_of(args.begin(), args.end(), [](const char* a) {
    return std::string(a).rfind("--benchmark_repetitions", 0) == 0;
  });
  if (!given) args.push_back(repetitions);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks(&reporter);
}

}  // namespace benchratio
