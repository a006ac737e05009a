#include "render/compose.h"

#include <algorithm>
#include <climits>

#include "record_layout.h"

namespace gb::render {

namespace layout = quandel::layout;

namespace {

struct Canvas {
  Composition& out;
  void put(int gx, int gy, uint32_t rgb) {
    int col = gx + out.originX, row = gy + out.originY;
    if (row < 0 || col < 0 || row >= out.image.height || col >= out.image.width) return;
    out.image.at(row, col) = Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
  }
};

// Draws rows [firstRow, firstRow + rows) of `picture` with its top-left at
// gauge pixel (x, y).
void drawPicture(Canvas& canvas, const panel::Picture& picture, int x, int y, bool transparentBlack,
                 int firstRow = 0, int rows = INT_MAX) {
  const int last = std::min(picture.height, firstRow + std::min(rows, picture.height));
  for (int row = std::max(0, firstRow); row < last; ++row)
    for (int col = 0; col < picture.width; ++col) {
      uint32_t rgb = picture.rgb[size_t(row) * picture.width + col];
      if (transparentBlack && rgb == 0) continue;
      canvas.put(x + col, y + row - firstRow, rgb);
    }
}

struct Bounds {
  int left = 0, top = 0, right = 0, bottom = 0;  // exclusive right/bottom
  void add(int x, int y, int w, int h) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + w);
    bottom = std::max(bottom, y + h);
  }
};

}  // namespace

Composition compose(const panel::Frame& frame, const ComposeOptions& options) {
  Composition out;
  if (!options.overflow) {
    out.image = RgbaImage(frame.width, frame.height);
  } else {
    // Everything drawn, plus a one-pixel margin for the extent's outline.
    Bounds b{-1, -1, frame.width + 1, frame.height + 1};
    for (const panel::ElementPlacement& e : frame.elements) {
      if (!e.picture) continue;
      if (e.kind == layout::kMovingImage && e.window)
        b.add(e.x, e.y, e.window->width, e.window->height);
      else
        b.add(e.x + e.dx, e.y + e.dy, e.picture->width, e.picture->height);
    }
    out.originX = -b.left;
    out.originY = -b.top;
    out.image = RgbaImage(b.right - b.left, b.bottom - b.top);
  }
  Canvas canvas{out};
  for (const panel::ElementPlacement& e : frame.elements) {
    if (!e.picture) continue;
    const bool transparent = e.imageFlags & layout::kImageFlagTransparentBlack;
    if (e.kind == layout::kMovingImage && e.window) {
      drawPicture(canvas, *e.window, e.x, e.y, false);
      drawPicture(canvas, *e.picture, e.x, e.y, transparent, e.stripRow, e.window->height);
    } else {
      drawPicture(canvas, *e.picture, e.x + e.dx, e.y + e.dy, transparent);
    }
  }
  if (options.overflow) {
    // The outline shows where nothing is drawn, so every picture stays whole.
    auto mark = [&](int gx, int gy) {
      Rgba& pixel = out.image.at(out.originY + gy, out.originX + gx);
      if (pixel.a == 0) pixel = kExtentOutline;
    };
    for (int x = -1; x <= frame.width; ++x) {
      mark(x, -1);
      mark(x, frame.height);
    }
    for (int y = -1; y <= frame.height; ++y) {
      mark(-1, y);
      mark(frame.width, y);
    }
  }
  return out;
}

}  // namespace gb::render
