// An 8-bit picture as it is stored: a colour table of 256 entries and one
// table index per pixel, rows counted from the top as displayed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rgb.h"

namespace painter {

struct Picture {
  std::string fileName;  // e.g. "handle.bmp"
  int width = 0;
  int height = 0;
  std::array<Rgb, 256> table{};
  std::vector<uint8_t> indices;  // width * height, top row first

  uint8_t index(int row, int col) const { return indices[std::size_t(row) * std::size_t(width) + std::size_t(col)]; }
};

}  // namespace painter
