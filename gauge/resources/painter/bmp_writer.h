// Writes an 8-bit picture as a Windows bitmap file: the 14-byte file header,
// a 40-byte info header, the 256-entry colour table and the rows bottom-up,
// each padded with zero bytes to a multiple of 4. The resource compiler
// stores everything after the file header as the bitmap resource.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

namespace painter {

inline constexpr int32_t kXPelsPerMeter = 3790;
inline constexpr int32_t kYPelsPerMeter = 3780;

uint32_t rowStride(int width);

// The whole file, little-endian.
std::vector<uint8_t> encodeBmpFile(const Picture& picture);

// Writes the file; false with `error` filled when the file cannot be written.
bool writeBmpFile(const Picture& picture, const std::string& path, std::string& error);

}  // namespace painter
