// Instructions per call of every routine of the module, counted by the
// emulator inside the module's image (host services not included), beside
// the hand-counted minimum for what the routine must do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/result.h"

namespace gb::stats {

struct RoutineCount {
  std::string routine;
  std::string situation;  // which case of the routine ran
  uint64_t counted = 0;
  uint64_t minimum = 0;
  std::string reasoning;  // how the minimum is made up

  double ratio() const { return minimum ? double(counted) / double(minimum) : 0.0; }
};

// The goal: every routine within this factor of its minimum.
inline constexpr double kInstructionGoal = 1.25;

Result<std::vector<RoutineCount>> countInstructions(const std::string& modulePath);

}  // namespace gb::stats
