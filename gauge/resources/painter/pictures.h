// The gauge's five pictures, each painted from its measures.
#pragma once

#include "picture.h"

namespace painter {

// 74 x 178, all transparent black: the gauge's extent, drawing nothing.
Picture paintBackground();
// 10 x 9 white arrowhead pointing right.
Picture paintPointer();
// 51 x 203 opaque near-black window of the scrolling strip.
Picture paintStripWindow();
// 51 x 4164 strip of 18 white blocks with a shaded side band.
Picture paintStrip();
// 71 x 153 SPEED BRAKE lever handle.
Picture paintHandle();

}  // namespace painter
