// Composing a frame into a picture the way the host draws: elements in chain
// order over each other; pure black transparent where image flag 0x1 is set;
// sliders moved by their displacement; a moving strip shown through its
// window, which is drawn opaque. Clipped to the gauge's extent, or, in the
// overflow view, every picture in full with the extent outlined.
#pragma once

#include "panel/frame.h"
#include "panel/mouse_layout.h"
#include "render/rgba_image.h"

namespace gb::render {

struct ComposeOptions {
  bool overflow = false;
};

struct Composition {
  RgbaImage image;
  int originX = 0, originY = 0;  // where gauge pixel (0, 0) lies in the image
};

Composition compose(const panel::Frame& frame, const ComposeOptions& options);

// The colour of the extent outline in the overflow view.
inline constexpr Rgba kExtentOutline{255, 0, 255, 255};

}  // namespace gb::render
