// A picture in straight 8-bit RGBA, rows from the top: what the bench draws
// into and writes out as PNG.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gb::render {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;  // width * height, top row first

  RgbaImage() = default;
  RgbaImage(int w, int h, Rgba fill = {}) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill) {}

  Rgba& at(int row, int col) {
    assert(row >= 0 && row < height && col >= 0 && col < width);
    return pixels[std::size_t(row) * std::size_t(width) + std::size_t(col)];
  }
  const Rgba& at(int row, int col) const {
    assert(row >= 0 && row < height && col >= 0 && col < width);
    return pixels[std::size_t(row) * std::size_t(width) + std::size_t(col)];
  }
};

// Each pixel repeated `factor` times in both directions, for looking at
// small pictures.
RgbaImage enlarged(const RgbaImage& image, int factor);

}  // namespace gb::render
