// One 24-bit colour, and the RGB canvas every picture is painted on before it
// is reduced to an 8-bit colour table.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace painter {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
  friend auto operator<=>(const Rgb&, const Rgb&) = default;
};

// Pure black is the transparent colour; a black that must show is (1, 1, 1).
inline constexpr Rgb kTransparent{0, 0, 0};
inline constexpr Rgb kShownBlack{1, 1, 1};
inline constexpr Rgb kWhite{255, 255, 255};

// Rows counted from the top, as the picture is displayed.
struct RgbCanvas {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  RgbCanvas(int w, int h, Rgb fill = kTransparent)
      : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill) {}

  bool inside(int row, int col) const { return row >= 0 && row < height && col >= 0 && col < width; }
  Rgb& at(int row, int col) {
    assert(inside(row, col));
    return pixels[std::size_t(row) * std::size_t(width) + std::size_t(col)];
  }
  Rgb at(int row, int col) const {
    assert(inside(row, col));
    return pixels[std::size_t(row) * std::size_t(width) + std::size_t(col)];
  }
};

}  // namespace painter
