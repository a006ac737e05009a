// The background only fixes the gauge's 74 x 178 extent: every pixel is the
// transparent black at index 0. White stands at index 14 but no pixel uses it.
#include "palette.h"
#include "pictures.h"

namespace painter {

Picture paintBackground() {
  RgbCanvas canvas(74, 178, kTransparent);
  Palette palette;
  palette.pin(0, kTransparent);
  palette.pin(14, kWhite);
  return indexPicture(canvas, palette, 0x1000, "background.bmp");
}

}  // namespace painter
