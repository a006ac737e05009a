// A decoded bitmap as an RGBA picture the way the host shows it: pure black
// is transparent, every other colour opaque.
#pragma once

#include "render/rgba_image.h"
#include "resources/bitmap.h"

namespace gb::res {

render::RgbaImage toRgba(const Bitmap& bitmap);

}  // namespace gb::res
