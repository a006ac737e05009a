#include "panel/speed_brake_model.h"

#include <cmath>

#include "record_layout.h"
#include "support/result.h"

namespace gb::panel {

namespace layout = quandel::layout;

namespace {

struct NamedEvent {
  uint32_t id;
  const char* name;
};
constexpr NamedEvent kEvents[] = {
    {layout::kSpeedBrakeSetEvent, "SpeedBrakeSetEvent"},
    {layout::kSpeedBrakeArmToggleEvent, "SpeedBrakeArmToggleEvent"},
};

}  // namespace

std::string keyEventName(uint32_t eventId) {
  for (const NamedEvent& e : kEvents)
    if (e.id == eventId) return e.name;
  return hex(eventId);
}

bool keyEventId(const std::string& name, uint32_t& id) {
  for (const NamedEvent& e : kEvents)
    if (name == e.name) {
      id = e.id;
      return true;
    }
  return false;
}

void SpeedBrakeModel::set(uint32_t token, double value, std::vector<VariableChange>& changes) {
  double& variable = variables_[token];
  if (variable == value && std::signbit(variable) == std::signbit(value)) return;
  changes.push_back({token, variable, value});
  variable = value;
}

bool SpeedBrakeModel::apply(uint32_t eventId, uint32_t value, std::vector<VariableChange>& changes) {
  if (eventId == layout::kSpeedBrakeSetEvent) {
    target_ = double(value);
    if (instant()) set(layout::kLeverPositionVariable, target_, changes);
    return true;
  }
  if (eventId == layout::kSpeedBrakeArmToggleEvent) {
    double armed = variables_[layout::kArmFlagVariable];
    set(layout::kArmFlagVariable, armed == 0.0 ? 1.0 : 0.0, changes);
    return true;
  }
  return false;
}

bool SpeedBrakeModel::moving() const {
  auto it = variables_.find(layout::kLeverPositionVariable);
  return it != variables_.end() && it->second != target_;
}

void SpeedBrakeModel::advance(double seconds, std::vector<VariableChange>& changes) {
  double position = variables_[layout::kLeverPositionVariable];
  if (position == target_ || seconds <= 0.0) return;
  if (instant()) {
    set(layout::kLeverPositionVariable, target_, changes);
    return;
  }
  double step = rate_ * seconds;
  double next = position < target_ ? std::min(position + step, target_) : std::max(position - step, target_);
  set(layout::kLeverPositionVariable, next, changes);
}

}  // namespace gb::panel
