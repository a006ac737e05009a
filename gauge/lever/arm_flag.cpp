#include "lever/arm_flag.h"

namespace quandel {
namespace {

// Read-only: the position shown while the speed brake is armed and stowed.
constexpr double kArmedMark = 2500.0;

// The two tests compare the bit patterns of the doubles in integer
// registers. On the Pentium (no fucomi, no fcmov) an x87 comparison costs a
// status-word round trip per test; integer tests are exact for these two
// values: 0.0 and -0.0 differ only in the sign bit, 1.0 has a single
// encoding, and no NaN matches either pattern.
constexpr uint32_t kOneHighWord = 0x3FF00000;  // 1.0: high word; the low word is 0

inline uint32_t lowWord(const double& value) {
  uint32_t word;
  __builtin_memcpy(&word, &value, sizeof word);
  return word;
}

inline uint32_t highWord(const double& value) {
  uint32_t word;
  __builtin_memcpy(&word, reinterpret_cast<const char*>(&value) + 4, sizeof word);
  return word;
}

// Exactly 0.0 or -0.0: every bit but the sign is clear.
inline bool isStowed(const double& position) {
  return (lowWord(position) | (highWord(position) << 1)) == 0;
}

// Exactly 1.0.
inline bool isArmed(const double& flag) {
  return lowWord(flag) == 0 && highWord(flag) == kOneHighWord;
}

}  // namespace

constinit ModuleVar ArmFlagVar = {layout::kArmFlagVariable, 0, 0, 0.0, {}};

double __stdcall HandlePositionCallback(const ModuleVar* position) {
  // Both outcomes are one load of a double: the position as the host left
  // it, or the armed mark. Armed and stowed is the rare case.
  const double* shown = &position->value;
  if (isStowed(*shown) && isArmed(ArmFlagVar.value)) [[unlikely]]
    shown = &kArmedMark;
  return *shown;
}

}  // namespace quandel
