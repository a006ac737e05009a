#include "resources/bitmap_rgba.h"

namespace gb::res {

render::RgbaImage toRgba(const Bitmap& bitmap) {
  render::RgbaImage image(bitmap.width(), bitmap.height());
  for (int row = 0; row < bitmap.height(); ++row) {
    for (int col = 0; col < bitmap.width(); ++col) {
      const Rgb c = bitmap.colour(row, col);
      const uint8_t alpha = c == kTransparentBlack ? 0 : 255;
      image.at(row, col) = render::Rgba{c.r, c.g, c.b, alpha};
    }
  }
  return image;
}

}  // namespace gb::res
