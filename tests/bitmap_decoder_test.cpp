// The bitmap decoder on small hand-made resources: pixel order, colour table,
// pad bytes, and an exact error for every part that does not fit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/bitmap.h"

namespace {

using gb::res::decodeBitmap;
using gb::res::Rgb;

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A 3 x 2 bitmap, stride 4, rows stored bottom-up: the top row holds indices
// 1 2 3, the bottom row 4 5 6; pad bytes 0xEE so a test can see them. Entry i
// of the table is RGB (i, 2i, 3i) mod 256.
std::vector<uint8_t> smallBitmap() {
  std::vector<uint8_t> b(40 + 1024 + 8, 0);
  put32(b, 0, 40);
  put32(b, 4, 3);
  put32(b, 8, 2);
  put16(b, 12, 1);
  put16(b, 14, 8);
  put32(b, 20, 8);
  for (int i = 0; i < 256; ++i) {
    b[40 + size_t(i) * 4 + 0] = uint8_t(3 * i);
    b[40 + size_t(i) * 4 + 1] = uint8_t(2 * i);
    b[40 + size_t(i) * 4 + 2] = uint8_t(i);
  }
  const uint8_t rows[8] = {4, 5, 6, 0xEE, 1, 2, 3, 0xEE};
  std::copy(rows, rows + 8, b.begin() + 1064);
  return b;
}

TEST(BitmapDecoder, ReadsRowsBottomUpWithTheirColoursAndPad) {
  auto bitmap = decodeBitmap(smallBitmap(), "bitmap 0x7");
  ASSERT_TRUE(bitmap.ok()) << bitmap.error().message;
  EXPECT_EQ(bitmap->width(), 3);
  EXPECT_EQ(bitmap->height(), 2);
  EXPECT_EQ(bitmap->stride(), 4u);
  EXPECT_EQ(bitmap->pixelOffset(), 1064u);
  EXPECT_EQ(bitmap->colours().size(), 256u);
  EXPECT_EQ(bitmap->index(0, 0), 1);
  EXPECT_EQ(bitmap->index(0, 2), 3);
  EXPECT_EQ(bitmap->index(1, 0), 4);
  EXPECT_EQ(bitmap->colour(1, 2), (Rgb{6, 12, 18}));
  ASSERT_EQ(bitmap->storedRow(0).size(), 4u);
  EXPECT_EQ(bitmap->storedRow(0)[3], 0xEE);
}

TEST(BitmapDecoder, NegativeHeightMeansTopDown) {
  auto bytes = smallBitmap();
  put32(bytes, 8, uint32_t(-2));
  auto bitmap = decodeBitmap(bytes, "bitmap 0x7");
  ASSERT_TRUE(bitmap.ok()) << bitmap.error().message;
  EXPECT_EQ(bitmap->height(), 2);
  EXPECT_EQ(bitmap->index(0, 0), 4);
  EXPECT_EQ(bitmap->index(1, 0), 1);
}

TEST(BitmapDecoder, ShortTableFromColoursUsedAndIndexPastIt) {
  auto bytes = smallBitmap();
  put32(bytes, 32, 4);  // four entries; the rows then start at 40 + 16
  bytes.resize(40 + 16 + 8);
  const uint8_t rows[8] = {4, 5, 6, 0, 1, 2, 3, 0};
  std::copy(rows, rows + 8, bytes.begin() + 56);
  auto bitmap = decodeBitmap(bytes, "bitmap 0x7");
  ASSERT_TRUE(bitmap.ok()) << bitmap.error().message;
  EXPECT_EQ(bitmap->pixelOffset(), 56u);
  EXPECT_EQ(bitmap->colour(0, 2), (Rgb{3, 6, 9}));
  EXPECT_EQ(bitmap->colour(1, 0), (Rgb{0, 0, 0})) << "index 4 lies past a 4-entry table";
}

struct BadBitmap {
  const char* what;
  void (*spoil)(std::vector<uint8_t>&);
  const char* message;
};

const BadBitmap kBadBitmaps[] = {
    {"empty", [](std::vector<uint8_t>& b) { b.clear(); },
     "bitmap 0x7: biSize at offset 0x0 (4 bytes) outside the 0-byte data"},
    {"header cut", [](std::vector<uint8_t>& b) { b.resize(30); },
     "bitmap 0x7: header at offset 0x0 (40 bytes) outside the 30-byte data"},
    {"core header", [](std::vector<uint8_t>& b) { put32(b, 0, 12); }, "bitmap 0x7: biSize 12, expected 40"},
    {"two planes", [](std::vector<uint8_t>& b) { put16(b, 12, 2); }, "bitmap 0x7: biPlanes 2, expected 1"},
    {"4 bits", [](std::vector<uint8_t>& b) { put16(b, 14, 4); },
     "bitmap 0x7: biBitCount 4 (only 8-bit bitmaps are read)"},
    {"RLE8", [](std::vector<uint8_t>& b) { put32(b, 16, 1); },
     "bitmap 0x7: biCompression 1 (only uncompressed bitmaps are read)"},
    {"zero width", [](std::vector<uint8_t>& b) { put32(b, 4, 0); }, "bitmap 0x7: biWidth 0 outside 1..32768"},
    {"huge height", [](std::vector<uint8_t>& b) { put32(b, 8, 0x7FFFFFFF); },
     "bitmap 0x7: biHeight 2147483647 outside +-1..32768"},
    {"too many colours", [](std::vector<uint8_t>& b) { put32(b, 32, 257); },
     "bitmap 0x7: biClrUsed 257 exceeds the 256 entries of an 8-bit table"},
    {"table cut", [](std::vector<uint8_t>& b) { b.resize(1000); },
     "bitmap 0x7: colour table at offset 0x28 (1024 bytes) outside the 1000-byte data"},
    {"rows cut", [](std::vector<uint8_t>& b) { b.resize(1064 + 7); },
     "bitmap 0x7: pixel rows at offset 0x428 (8 bytes) outside the 1071-byte data"},
    {"taller than its rows", [](std::vector<uint8_t>& b) { put32(b, 8, 3), put32(b, 20, 12); },
     "bitmap 0x7: pixel rows at offset 0x428 (12 bytes) outside the 1072-byte data"},
    {"image size disagrees", [](std::vector<uint8_t>& b) { put32(b, 20, 6); },
     "bitmap 0x7: biSizeImage 6 does not match stride 4 x height 2 = 8"},
};

TEST(BitmapDecoder, RefusesWhatDoesNotFitNamingResourceAndPart) {
  for (const BadBitmap& c : kBadBitmaps) {
    auto bytes = smallBitmap();
    c.spoil(bytes);
    auto bitmap = decodeBitmap(bytes, "bitmap 0x7");
    ASSERT_FALSE(bitmap.ok()) << c.what;
    EXPECT_EQ(bitmap.error().message, c.message) << c.what;
  }
}

}  // namespace
