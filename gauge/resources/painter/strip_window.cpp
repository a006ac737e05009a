// The window the strip scrolls behind: one opaque rectangle in the black that
// shows, RGB (1, 1, 1), at index 0. Pure black sits only at entries no pixel
// uses, so no pixel of the window is transparent.
#include "palette.h"
#include "pictures.h"

namespace painter {

Picture paintStripWindow() {
  RgbCanvas canvas(51, 203, kShownBlack);
  Palette palette;
  palette.pin(0, kShownBlack);
  palette.pin(14, kWhite);
  for (int index : {248, 249, 250, 251, 252, 253, 254, 255}) palette.pin(uint8_t(index), kTransparent);
  return indexPicture(canvas, palette, 0x4503, "strip_window.bmp");
}

}  // namespace painter
