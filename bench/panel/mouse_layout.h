// The mouse-area list laid out the way this host reads it: a parent group
// takes its extent from the background picture record that GaugeInstall
// handed over (width and height as 32-bit integers at the reference); each
// child box covers columns x to x + width - 1 and rows y to y + height - 1,
// relative to the parent, clipped to the parent's extent.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "machine/machine.h"
#include "panel/module_records.h"
#include "support/result.h"

namespace gb::panel {

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
  bool empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Box&) const = default;
};

Box intersect(const Box& a, const Box& b);

struct ChildArea {
  size_t index = 0;  // position in the list
  MouseAreaInfo record;
  Box box;  // in gauge pixels, clipped to the parent
};

struct MouseLayout {
  uint32_t list = 0;
  Box parent;
  std::vector<ChildArea> children;
};

Result<MouseLayout> layoutMouseAreas(const machine::Machine& machine, uint32_t list,
                                     uint32_t pictureReference);

// The first child, in list order, whose clipped box holds the pixel.
const ChildArea* hitTest(const MouseLayout& layout, int x, int y);

}  // namespace gb::panel
