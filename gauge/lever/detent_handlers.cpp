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
  // Detents 1 to 4 step down; 0, and anything a host may have scribbled past
  // 4, do nothing, so DetentPositions is never read out of bounds. Unsigned:
  // detent 0 wraps and fails the test.
  if (detent - 1 < kDetentCount - 1) {
    --detent;
    LeverDetent = detent;
    panelServices()->triggerKeyEvent(layout::kSpeedBrakeSetEvent, DetentPositions[detent]);
  }
  return 0;
}

}  // namespace quandel
