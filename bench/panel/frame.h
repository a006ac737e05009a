// One evaluated frame: where each element of the chain stands and what it
// shows, after the gauge's update and the host's value callbacks. The
// renderer composes pictures from it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "panel/gauge_host.h"

namespace gb::panel {

struct ElementPlacement {
  uint32_t address = 0;
  uint32_t kind = 0;
  uint32_t imageFlags = 0;
  int x = 0, y = 0;  // the element's place
  std::shared_ptr<const Picture> picture;
  std::shared_ptr<const Picture> window;  // moving images
  double xValue = 0.0, yValue = 0.0;      // axis values, callback results where there is one
  int dx = 0, dy = 0;                     // sliders: displacement in whole pixels
  int stripRow = 0;                       // moving images: strip row at the window's top
};

struct Frame {
  int width = 0, height = 0;  // the gauge's extent: the first element's picture
  std::vector<ElementPlacement> elements;  // chain order
};

}  // namespace gb::panel
