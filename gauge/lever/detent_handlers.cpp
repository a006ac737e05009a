// The three click handlers. A step stores the new detent before it sends the
// event, so the gauge's memory moves on even if the host ignores the event.
#include "host/panel_services.h"
#include "lever/mouse_areas.h"

namespace quandel {

// Zero at load; only the two stepping handlers touch it.
constinit uint32_t LeverDetent = 0;
constinit uint32_t DetentPositions[kDetentCount] = {0, 4096, 8192, 12288, 16382};

int32_t __stdcall ArmToggle(uint32_t, uint32_t) {
  panelServices()->triggerKeyEvent(layout::kSpeedBrakeArmToggleEvent, 0);
  return 0;
}

int32_t __stdcall LeverStepUp(uint32_t, uint32_t) {
  uint32_t detent = LeverDetent;
  if (detent < kDetentCount - 1) {
    ++detent;
    LeverDetent = detent;
    panelServices()->triggerKeyEvent(layout::kSpeedBrakeSetEvent, DetentPositions[detent]);
  }
  return 0;
}

int32_t __stdcall LeverStepDown(uint32_t, uint32_t) {
  uint32_t detent = LeverDetent;
  // Only these two handlers write the detent, and they keep it within 0 to
  // 4, so "not 0" is "1 to 4": one test instead of a range check.
  if (detent != 0) {
    --detent;
    LeverDetent = detent;
    panelServices()->triggerKeyEvent(layout::kSpeedBrakeSetEvent, DetentPositions[detent]);
  }
  return 0;
}

}  // namespace quandel
