#include "resources/bitmap.h"

#include <cassert>

#include "support/byte_reader.h"

namespace gb::res {
namespace {

// Far beyond any gauge picture; keeps stride * height well inside 32 bits.
constexpr int32_t kMaxDimension = 0x8000;

Result<BitmapHeader> readHeader(const ByteReader& reader) {
  BitmapHeader h;
  Result<uint32_t> size = reader.u32(0, "biSize");
  if (!size) return size.error();
  h.size = *size;
  if (h.size != kInfoHeaderSize)
    return Error{reader.table() + ": biSize " + std::to_string(h.size) + ", expected 40"};
  if (!reader.contains(0, kInfoHeaderSize)) return reader.outOfRange(0, kInfoHeaderSize, "header");
  const uint8_t* p = reader.bytes().data();
  h.width = int32_t(loadU32(p + 4));
  h.height = int32_t(loadU32(p + 8));
  h.planes = loadU16(p + 12);
  h.bitCount = loadU16(p + 14);
  h.compression = loadU32(p + 16);
  h.sizeImage = loadU32(p + 20);
  h.xPelsPerMeter = int32_t(loadU32(p + 24));
  h.yPelsPerMeter = int32_t(loadU32(p + 28));
  h.clrUsed = loadU32(p + 32);
  h.clrImportant = loadU32(p + 36);
  return h;
}

Status checkHeader(const BitmapHeader& h, const std::string& name) {
  if (h.planes != 1) return Error{name + ": biPlanes " + std::to_string(h.planes) + ", expected 1"};
  if (h.bitCount != 8)
    return Error{name + ": biBitCount " + std::to_string(h.bitCount) + " (only 8-bit bitmaps are read)"};
  if (h.compression != 0)
    return Error{name + ": biCompression " + std::to_string(h.compression) +
                 " (only uncompressed bitmaps are read)"};
  if (h.width <= 0 || h.width > kMaxDimension)
    return Error{name + ": biWidth " + std::to_string(h.width) + " outside 1.." +
                 std::to_string(kMaxDimension)};
  if (h.height == 0 || h.height > kMaxDimension || h.height < -kMaxDimension)
    return Error{name + ": biHeight " + std::to_string(h.height) + " outside +-1.." +
                 std::to_string(kMaxDimension)};
  if (h.clrUsed > 256)
    return Error{name + ": biClrUsed " + std::to_string(h.clrUsed) + " exceeds the 256 entries of an 8-bit table"};
  return Ok{};
}

}  // namespace

uint8_t Bitmap::index(int row, int col) const {
  assert(row >= 0 && row < height_ && col >= 0 && col < header_.width);
  return storedRow(row)[std::size_t(col)];
}

Rgb Bitmap::colour(int row, int col) const {
  uint8_t i = index(row, col);
  return i < colours_.size() ? colours_[i] : kTransparentBlack;
}

std::span<const uint8_t> Bitmap::storedRow(int row) const {
  assert(row >= 0 && row < height_);
  const int stored = bottomUp() ? height_ - 1 - row : row;
  return std::span<const uint8_t>(rows_).subspan(std::size_t(stored) * stride_, stride_);
}

Result<Bitmap> decodeBitmap(std::span<const uint8_t> bytes, const std::string& name) {
  ByteReader reader(bytes, name);
  Bitmap bitmap;
  Result<BitmapHeader> header = readHeader(reader);
  if (!header) return header.error();
  bitmap.header_ = *header;
  const BitmapHeader& h = bitmap.header_;
  if (Status status = checkHeader(h, name); !status) return status.error();

  bitmap.height_ = h.height > 0 ? h.height : -h.height;
  bitmap.stride_ = (uint32_t(h.width) + 3u) & ~3u;
  const uint32_t entries = h.clrUsed == 0 ? 256 : h.clrUsed;
  Result<std::span<const uint8_t>> table =
      reader.span(kInfoHeaderSize, uint64_t(entries) * 4, "colour table");
  if (!table) return table.error();
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t* entry = table->data() + i * 4;  // blue, green, red, reserved
    bitmap.colours_.push_back(Rgb{entry[2], entry[1], entry[0]});
  }

  const uint64_t imageSize = uint64_t(bitmap.stride_) * uint64_t(bitmap.height_);
  if (h.sizeImage != 0 && h.sizeImage != imageSize)
    return Error{name + ": biSizeImage " + std::to_string(h.sizeImage) + " does not match stride " +
                 std::to_string(bitmap.stride_) + " x height " + std::to_string(bitmap.height_) + " = " +
                 std::to_string(imageSize)};
  bitmap.pixelOffset_ = kInfoHeaderSize + entries * 4;
  Result<std::span<const uint8_t>> rows = reader.span(bitmap.pixelOffset_, imageSize, "pixel rows");
  if (!rows) return rows.error();
  bitmap.rows_.assign(rows->begin(), rows->end());
  return bitmap;
}

}  // namespace gb::res
