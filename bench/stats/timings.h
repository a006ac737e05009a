// The bench's own speed: one full frame, a click to the next composed frame,
// the same picture composed natively, and the cold start of a whole render.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/result.h"

namespace gb::stats {

inline constexpr const char* kFrameBenchmark = "frame/scale1";
inline constexpr const char* kClickBenchmark = "click_to_composed_frame";
inline constexpr const char* kComposeBenchmark = "compose/native";

// Registers the Google Benchmark cases that run against the module.
Status registerFrameBenchmarks(const std::string& modulePath);

double median(std::vector<double> values);

struct ColdStart {
  std::vector<double> milliseconds;     // wall time of each run, in run order
  std::vector<double> cpuMilliseconds;  // user + system time of each run
  double median() const;
  double medianCpu() const;
  double min() const;
  double max() const;
};

// Runs `gaugebench render MODULE -o <temp png>` as a new process `runs`
// times, waiting for each.
Result<ColdStart> measureColdStart(const std::string& gaugebench, const std::string& modulePath, int runs);

inline constexpr double kFrameGoal = 2.0;     // frame / native composition
inline constexpr double kColdStartGoalMs = 50.0;

}  // namespace gb::stats
