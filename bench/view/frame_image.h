// A frame as the page gets it: composed the way the host draws (clipped to
// the gauge, or the overflow view), encoded as PNG, with where gauge pixel
// (0, 0) lies in it.
#pragma once

#include <string>

#include "panel/frame.h"
#include "panel/mouse_layout.h"
#include "support/result.h"

namespace gb::view {

struct FrameImage {
  std::string png;
  int width = 0, height = 0;     // of the picture, before any enlargement
  int originX = 0, originY = 0;  // gauge pixel (0, 0) in the picture
};

struct FrameImageOptions {
  bool overflow = false;
  int scale = 1;                          // enlargement, without smoothing
  const panel::MouseLayout* areas = nullptr;  // outlined when given
};

Result<FrameImage> frameImage(const panel::Frame& frame, const FrameImageOptions& options);

std::string base64(const std::string& bytes);

}  // namespace gb::view
