// LeverMouseAreas: the parent's box is zero (the host sizes it from the
// background picture); three children 38 wide and 85 tall, 86 apart.
#include "lever/mouse_areas.h"

namespace quandel {
namespace {

constexpr int32_t kNoCursor = -1;
constexpr uint32_t kLeverHelpId = 42023;
constexpr uint32_t kChildFlags = 0x20000000;
constexpr int32_t kCursorArm = 5;
constexpr int32_t kCursorUp = 1;
constexpr int32_t kCursorDown = 2;

constexpr MouseArea marker(uint32_t kind, uint32_t helpId) {
  return MouseArea{kind, 0, 0, 0, 0, kNoCursor, helpId, 0, 0, nullptr, 0};
}

constexpr MouseArea child(int32_t top, int32_t cursor, MouseHandler handler) {
  return MouseArea{layout::kChild, 0, top, 38, 85, cursor, 0, kChildFlags, 0, handler, 0};
}

}  // namespace

constinit MouseArea LeverMouseAreas[kLeverMouseAreaCount] = {
    marker(layout::kParent, kLeverHelpId),
    child(0, kCursorArm, ArmToggle),
    child(86, kCursorUp, LeverStepUp),
    child(172, kCursorDown, LeverStepDown),
    marker(layout::kEndOfParent, 0),
    marker(layout::kEndOfList, 0),
};

}  // namespace quandel
