#include "render/overlay.h"

#include <string>

namespace gb::render {

namespace {

constexpr Rgba kAreaColours[] = {{0, 200, 255, 255}, {255, 200, 0, 255}, {80, 255, 80, 255}, {255, 80, 80, 255}};

// 3 x 5 digits, one row per entry, bit 2 the leftmost column.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

void put(RgbaImage& image, int row, int col, Rgba colour) {
  if (row >= 0 && col >= 0 && row < image.height && col < image.width) image.at(row, col) = colour;
}

void drawText(RgbaImage& image, int row, int col, const std::string& digits, int dot, Rgba colour) {
  for (char c : digits) {
    if (c < '0' || c > '9') continue;
    const uint8_t* glyph = kDigits[c - '0'];
    // A dark backing keeps the label legible over any picture.
    for (int y = -1; y <= 5; ++y)
      for (int x = -1; x <= 3; ++x)
        for (int dy = 0; dy < dot; ++dy)
          for (int dx = 0; dx < dot; ++dx) {
            bool ink = y >= 0 && y < 5 && x >= 0 && x < 3 && (glyph[y] >> (2 - x) & 1);
            put(image, row + y * dot + dy, col + x * dot + dx, ink ? colour : Rgba{0, 0, 0, 255});
          }
    col += 4 * dot;
  }
}

}  // namespace

void drawMouseAreas(RgbaImage& image, const panel::MouseLayout& layout, int scale, int originX, int originY) {
  int n = 0;
  for (const panel::ChildArea& child : layout.children) {
    const Rgba colour = kAreaColours[n++ % 4];
    if (child.box.empty()) continue;
    const int left = (child.box.x + originX) * scale, top = (child.box.y + originY) * scale;
    const int right = left + child.box.width * scale - 1, bottom = top + child.box.height * scale - 1;
    for (int col = left; col <= right; ++col) {
      put(image, top, col, colour);
      put(image, bottom, col, colour);
    }
    for (int row = top; row <= bottom; ++row) {
      put(image, row, left, colour);
      put(image, row, right, colour);
    }
    const int dot = scale >= 4 ? 2 : 1;
    drawText(image, top + 2 * dot, left + 2 * dot, std::to_string(child.index), dot, colour);
  }
}

}  // namespace gb::render
