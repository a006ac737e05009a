// The pointer: a white bar 5 pixels tall whose right end comes to a point,
// on transparent black. Each of rows 0 to 7 is white from column 0 to the
// column listed; row 8 and columns 8 and 9 stay black.
#include <array>

#include "palette.h"
#include "pictures.h"

namespace painter {

Picture paintPointer() {
  constexpr std::array<int, 8> kLastWhiteColumn{4, 5, 6, 7, 7, 6, 5, 4};
  RgbCanvas canvas(10, 9, kTransparent);
  for (int row = 0; row < int(kLastWhiteColumn.size()); ++row)
    for (int col = 0; col <= kLastWhiteColumn[std::size_t(row)]; ++col) canvas.at(row, col) = kWhite;

  Palette palette;
  palette.pin(0, kTransparent);
  palette.pin(14, kWhite);
  for (int index : {240, 241, 242, 243, 244, 245, 246, 247}) palette.pin(uint8_t(index), kTransparent);
  return indexPicture(canvas, palette, 0x4000, "pointer.bmp");
}

}  // namespace painter
