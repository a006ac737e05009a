// Writes an RGBA picture as a PNG file (8 bits per channel, with alpha)
// through libpng.
#pragma once

#include <string>

#include "render/rgba_image.h"
#include "support/result.h"

namespace gb::render {

// Errors name the path: "frame.png: cannot open: No such file or directory".
Status writePng(const RgbaImage& image, const std::string& path);

}  // namespace gb::render
