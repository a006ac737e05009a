// Encodes an RGBA picture as PNG bytes in memory (8 bits per channel, with
// alpha), for serving frames without touching the disk.
#pragma once

#include <string>

#include "render/rgba_image.h"
#include "support/result.h"

namespace gb::render {

// The PNG file's bytes; an empty picture is an error.
Result<std::string> encodePng(const RgbaImage& image);

}  // namespace gb::render
