#include "lever/arm_flag.h"

namespace quandel {
namespace {

// Read-only: the stowed position, the armed flag value, the armed mark.
constexpr double kStowed = 0.0;
constexpr double kArmed = 1.0;
constexpr double kArmedMark = 2500.0;

}  // namespace

constinit ModuleVar ArmFlagVar = {layout::kArmFlagVariable, 0, 0, 0.0, {}};

double __stdcall HandlePositionCallback(const ModuleVar* position) {
  double value = position->value;
  // Exact comparisons: -0.0 counts as stowed, 0.5 or 2.0 as not armed.
  if (value != kStowed) return value;
  if (ArmFlagVar.value != kArmed) return value;
  return kArmedMark;
}

}  // namespace quandel
