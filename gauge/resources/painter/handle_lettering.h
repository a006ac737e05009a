// The words SPEED and BRAKE on the lever's grip: two lines of small grey
// capitals running down to the right at 45 degrees, letter tops towards the
// upper right, SPEED on the upper line.
#pragma once

#include "rgb.h"

namespace painter {

// Inks the lettering over the painted grip face, one pixel per glyph cell.
void letterGrip(RgbCanvas& canvas);

}  // namespace painter
