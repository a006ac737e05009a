// The mouse-area list: one parent group holding the three stacked click
// areas on the left of the gauge, and the handlers they name.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "record_layout.h"

// Every record is defined in this module: reach it directly, not through an
// auto-import pointer.
#pragma GCC visibility push(hidden)

namespace quandel {

using MouseHandler = int32_t(__stdcall*)(uint32_t, uint32_t);

#pragma pack(push, 4)
struct MouseArea {
  uint32_t kind;  // layout::MouseAreaKind
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
  int32_t cursor;
  uint32_t helpId;
  uint32_t flags;
  uint32_t eventId;
  MouseHandler handler;
  uint32_t userData;
};
#pragma pack(pop)

static_assert(sizeof(MouseArea) == layout::MouseArea::size);
static_assert(offsetof(MouseArea, kind) == layout::MouseArea::kind);
static_assert(offsetof(MouseArea, x) == layout::MouseArea::x);
static_assert(offsetof(MouseArea, y) == layout::MouseArea::y);
static_assert(offsetof(MouseArea, width) == layout::MouseArea::width);
static_assert(offsetof(MouseArea, height) == layout::MouseArea::height);
static_assert(offsetof(MouseArea, cursor) == layout::MouseArea::cursor);
static_assert(offsetof(MouseArea, helpId) == layout::MouseArea::helpId);
static_assert(offsetof(MouseArea, flags) == layout::MouseArea::flags);
static_assert(offsetof(MouseArea, eventId) == layout::MouseArea::eventId);
static_assert(offsetof(MouseArea, handler) == layout::MouseArea::handler);
static_assert(offsetof(MouseArea, userData) == layout::MouseArea::userData);

inline constexpr size_t kLeverMouseAreaCount = 6;
extern MouseArea LeverMouseAreas[kLeverMouseAreaCount];

// Click handlers. Both arguments are the host's and are ignored; the result
// is always 0.
int32_t __stdcall ArmToggle(uint32_t, uint32_t);
int32_t __stdcall LeverStepUp(uint32_t, uint32_t);
int32_t __stdcall LeverStepDown(uint32_t, uint32_t);

// The detent the gauge last sent, 0 to 4, and the position value of each.
inline constexpr uint32_t kDetentCount = 5;
extern uint32_t LeverDetent;
extern uint32_t DetentPositions[kDetentCount];

}  // namespace quandel

#pragma GCC visibility pop
