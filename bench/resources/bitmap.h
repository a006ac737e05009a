// A stored 8-bit Windows bitmap resource: a BITMAPINFOHEADER, its colour
// table and the pixel rows, with no 14-byte file header in front. Decoding
// checks that every part fits the resource and names the resource and the
// part that does not.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "support/result.h"

namespace gb::res {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Pure black: the transparent colour of every gauge picture.
inline constexpr Rgb kTransparentBlack{0, 0, 0};

// The BITMAPINFOHEADER fields as stored.
struct BitmapHeader {
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;  // positive: rows stored bottom-up
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};

inline constexpr uint32_t kInfoHeaderSize = 40;

class Bitmap {
 public:
  const BitmapHeader& header() const { return header_; }
  int width() const { return header_.width; }
  int height() const { return height_; }
  bool bottomUp() const { return header_.height > 0; }
  uint32_t stride() const { return stride_; }
  // Offset of the first stored row from the start of the resource.
  uint32_t pixelOffset() const { return pixelOffset_; }
  // Entries of the colour table: 256 when biClrUsed is 0.
  const std::vector<Rgb>& colours() const { return colours_; }

  // The table index of the pixel at (row, col), rows counted from the top as
  // displayed. Both must lie inside the picture.
  uint8_t index(int row, int col) const;
  // Its colour; an index past the table's end reads as transparent black.
  Rgb colour(int row, int col) const;
  // The stored bytes of the row displayed at `row`, pad bytes included.
  std::span<const uint8_t> storedRow(int row) const;

 private:
  friend Result<Bitmap> decodeBitmap(std::span<const uint8_t>, const std::string&);

  BitmapHeader header_;
  int height_ = 0;
  uint32_t stride_ = 0;
  uint32_t pixelOffset_ = 0;
  std::vector<Rgb> colours_;
  std::vector<uint8_t> rows_;  // as stored: stride * height bytes
};

// Decodes an uncompressed 8-bit bitmap resource. `name` ("bitmap 0x2000")
// leads every error.
Result<Bitmap> decodeBitmap(std::span<const uint8_t> bytes, const std::string& name);

}  // namespace gb::res
