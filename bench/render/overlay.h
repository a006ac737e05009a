// Outlines of the mouse areas over a composed, enlarged picture, each
// labelled with its index in the list, so a person can see what a click hits.
#pragma once

#include "panel/mouse_layout.h"
#include "render/rgba_image.h"

namespace gb::render {

// `scale` is the enlargement already applied to `image`; (originX, originY)
// is where gauge pixel (0, 0) lies before enlargement.
void drawMouseAreas(RgbaImage& image, const panel::MouseLayout& layout, int scale, int originX, int originY);

}  // namespace gb::render
