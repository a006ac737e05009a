#include "bmp_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace painter {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kColourTableSize = 256 * 4;

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

}  // namespace

uint32_t rowStride(int width) { return (uint32_t(width) + 3u) & ~3u; }

std::vector<uint8_t> encodeBmpFile(const Picture& picture) {
  const uint32_t stride = rowStride(picture.width);
  const uint32_t imageSize = stride * uint32_t(picture.height);
  const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + kColourTableSize;

  std::vector<uint8_t> out;
  out.reserve(pixelOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  put32(out, pixelOffset + imageSize);
  put32(out, 0);  // two reserved words
  put32(out, pixelOffset);

  put32(out, kInfoHeaderSize);
  put32(out, uint32_t(picture.width));
  put32(out, uint32_t(picture.height));  // positive: rows stored bottom-up
  put16(out, 1);                         // planes
  put16(out, 8);                         // bits per pixel
  put32(out, 0);                         // BI_RGB
  put32(out, imageSize);
  put32(out, uint32_t(kXPelsPerMeter));
  put32(out, uint32_t(kYPelsPerMeter));
  put32(out, 0);  // colours used: 0 means all 256
  put32(out, 0);  // colours important

  for (Rgb c : picture.table) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }

  for (int row = picture.height - 1; row >= 0; --row) {
    for (int col = 0; col < picture.width; ++col) out.push_back(picture.index(row, col));
    for (uint32_t pad = uint32_t(picture.width); pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

bool writeBmpFile(const Picture& picture, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes = encodeBmpFile(picture);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  bool closed = std::fclose(file) == 0;
  if (written != bytes.size() || !closed) {
    error = path + ": write failed";
    return false;
  }
  return true;
}

}  // namespace painter
