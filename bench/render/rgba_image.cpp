#include "render/rgba_image.h"

namespace gb::render {

RgbaImage enlarged(const RgbaImage& image, int factor) {
  assert(factor >= 1);
  RgbaImage out(image.width * factor, image.height * factor);
  for (int row = 0; row < out.height; ++row)
    for (int col = 0; col < out.width; ++col) out.at(row, col) = image.at(row / factor, col / factor);
  return out;
}

}  // namespace gb::render
