// The simulator's side of the speed brake, as small as the gauge needs: the
// set event moves the lever-position target and variable 326 travels there
// at a fixed rate (or at once); the arm toggle flips variable 324 between 0
// and 1. Variable 318 is the user's.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace gb::panel {

struct VariableChange {
  uint32_t token = 0;
  double before = 0.0;
  double after = 0.0;
};

class SpeedBrakeModel {
 public:
  // Full travel 0 to 16384 in about 1.5 s of simulated time.
  static constexpr double kDefaultRate = 16384.0 / 1.5;

  explicit SpeedBrakeModel(std::map<uint32_t, double>& variables) : variables_(variables) {}

  // Units of variable 326 per simulated second; 0 means instant.
  void setRate(double unitsPerSecond) { rate_ = unitsPerSecond; }
  double rate() const { return rate_; }
  bool instant() const { return rate_ <= 0.0; }
  double target() const { return target_; }
  void setTarget(double target) { target_ = target; }

  // Applies one key event; returns false for an event the model does not know.
  bool apply(uint32_t eventId, uint32_t value, std::vector<VariableChange>& changes);
  // Moves the position toward the target over `seconds`.
  void advance(double seconds, std::vector<VariableChange>& changes);
  bool moving() const;

 private:
  void set(uint32_t token, double value, std::vector<VariableChange>& changes);

  std::map<uint32_t, double>& variables_;
  double rate_ = kDefaultRate;
  double target_ = 0.0;
};

// "SpeedBrakeSetEvent", or the id in hex for events the bench has no name for.
std::string keyEventName(uint32_t eventId);
// The id of a known event name; false when the name is unknown.
bool keyEventId(const std::string& name, uint32_t& id);

}  // namespace gb::panel
