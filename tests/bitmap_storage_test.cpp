// The five bitmap resources of the built module as the host loads them: ids,
// language, sizes, header fields, row layout, where black and white stand in
// each colour table, and the transparent colour.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "module_resources.h"
#include "resources/bitmap_rgba.h"

namespace {

using gb::res::Rgb;
using module_resources::moduleBitmap;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kShownBlack{1, 1, 1};

struct StoredBitmap {
  uint32_t id;
  int width, height;
  uint32_t resourceSize, stride, sizeImage;
  int blackIndex, whiteIndex;  // -1: no pure black entry is fixed
  size_t entriesUsed;
};

const StoredBitmap kBitmaps[] = {
    {0x1000, 74, 178, 14592, 76, 13528, 0, 14, 1},
    {0x2000, 71, 153, 12080, 72, 11016, 255, 0, 199},
    {0x4000, 10, 9, 1172, 12, 108, 0, 14, 2},
    {0x4500, 51, 4164, 217592, 52, 216528, 0, 14, 87},
    {0x4503, 51, 203, 11620, 52, 10556, -1, 14, 1},
};

TEST(BitmapStorage, ModuleHoldsFiveBitmapsAndOneVersionBlockAllNumberedInEnglish) {
  std::string message;
  const gb::pe::PeFile* file = module_resources::builtModule(&message);
  ASSERT_NE(file, nullptr) << message;
  std::set<uint32_t> bitmapIds;
  int versions = 0;
  for (const gb::pe::Resource& r : file->resources) {
    EXPECT_TRUE(r.typeName.empty() && r.idName.empty()) << "resource " << gb::hex(r.id) << " has a name";
    EXPECT_EQ(r.language, module_resources::kEnglishUs) << gb::hex(r.id);
    if (r.type == gb::pe::kResourceTypeBitmap) bitmapIds.insert(r.id);
    if (r.type == gb::pe::kResourceTypeVersion && r.id == 1) ++versions;
  }
  EXPECT_EQ(file->resources.size(), 6u);
  EXPECT_EQ(bitmapIds, (std::set<uint32_t>{0x1000, 0x2000, 0x4000, 0x4500, 0x4503}));
  EXPECT_EQ(versions, 1);
}

TEST(BitmapStorage, HeaderSizesAndRowsAreExactlyAsStored) {
  for (const StoredBitmap& b : kBitmaps) {
    SCOPED_TRACE(gb::hex(b.id));
    auto bytes = module_resources::resourceBytes(gb::pe::kResourceTypeBitmap, b.id);
    ASSERT_TRUE(bytes.ok()) << bytes.error().message;
    EXPECT_EQ(bytes->size(), b.resourceSize);
    EXPECT_EQ(bytes->size(), 1064 + b.stride * uint32_t(b.height)) << "ends with its last stored row";

    auto bitmap = moduleBitmap(b.id);
    ASSERT_TRUE(bitmap.ok()) << bitmap.error().message;
    const gb::res::BitmapHeader& h = bitmap->header();
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, b.width);
    EXPECT_EQ(h.height, b.height) << "positive: stored bottom-up";
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, 8);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.sizeImage, b.sizeImage);
    EXPECT_EQ(h.xPelsPerMeter, 3790);
    EXPECT_EQ(h.yPelsPerMeter, 3780);
    EXPECT_EQ(h.clrUsed, 0u);
    EXPECT_EQ(h.clrImportant, 0u);
    EXPECT_EQ(bitmap->stride(), b.stride);
    EXPECT_EQ(bitmap->pixelOffset(), 1064u);
    for (int row = 0; row < bitmap->height(); ++row) {
      auto stored = bitmap->storedRow(row);
      for (uint32_t pad = uint32_t(b.width); pad < b.stride; ++pad)
        ASSERT_EQ(stored[pad], 0) << "pad byte " << pad << " of row " << row;
    }
  }
}

TEST(BitmapStorage, BlackAndWhiteStandAtTheirIndicesAndEachTableIsItsOwn) {
  std::vector<std::vector<Rgb>> tables;
  for (const StoredBitmap& b : kBitmaps) {
    SCOPED_TRACE(gb::hex(b.id));
    auto bitmap = moduleBitmap(b.id);
    ASSERT_TRUE(bitmap.ok()) << bitmap.error().message;
    const std::vector<Rgb>& table = bitmap->colours();
    ASSERT_EQ(table.size(), 256u);
    if (b.blackIndex >= 0) EXPECT_EQ(table[size_t(b.blackIndex)], kBlack);
    EXPECT_EQ(table[size_t(b.whiteIndex)], kWhite);

    std::set<int> used;
    for (int row = 0; row < bitmap->height(); ++row)
      for (int col = 0; col < bitmap->width(); ++col) used.insert(bitmap->index(row, col));
    EXPECT_EQ(used.size(), b.entriesUsed);
    // Pure black only where the table fixes it, so a drawn colour is never
    // the transparent one by accident.
    for (int index : used)
      if (index != b.blackIndex) EXPECT_NE(table[size_t(index)], kBlack) << "index " << index;
    tables.push_back(table);
  }
  for (size_t i = 0; i < tables.size(); ++i)
    for (size_t j = i + 1; j < tables.size(); ++j)
      EXPECT_NE(tables[i], tables[j]) << gb::hex(kBitmaps[i].id) << " and " << gb::hex(kBitmaps[j].id);
}

TEST(BitmapStorage, TransparencyFollowsTheColourNotTheIndex) {
  auto handle = moduleBitmap(0x2000);
  auto window = moduleBitmap(0x4503);
  auto background = moduleBitmap(0x1000);
  ASSERT_TRUE(handle.ok() && window.ok() && background.ok());

  // Handle: index 0 is white and shows; index 255 is black and does not.
  auto handleImage = gb::res::toRgba(*handle);
  ASSERT_EQ(handle->index(0, 0), 255);
  EXPECT_EQ(handleImage.at(0, 0).a, 0);
  bool sawWhite = false;
  for (int row = 0; row < handle->height(); ++row)
    for (int col = 0; col < handle->width(); ++col)
      if (handle->index(row, col) == 0) {
        sawWhite = true;
        EXPECT_EQ(handleImage.at(row, col).a, 255);
      }
  EXPECT_TRUE(sawWhite);

  // Window: index 0 is (1, 1, 1), so every pixel shows.
  EXPECT_EQ(window->colours()[0], kShownBlack);
  auto windowImage = gb::res::toRgba(*window);
  for (const auto& pixel : windowImage.pixels) ASSERT_EQ(pixel.a, 255);
  for (int row = 0; row < window->height(); ++row)
    for (int col = 0; col < window->width(); ++col) ASSERT_EQ(window->index(row, col), 0);

  // Background: nothing shows anywhere.
  auto backgroundImage = gb::res::toRgba(*background);
  for (const auto& pixel : backgroundImage.pixels) ASSERT_EQ(pixel.a, 0);
}

TEST(BitmapStorage, PointerIsTheWhiteArrowheadOfItsRowTable) {
  auto pointer = moduleBitmap(0x4000);
  ASSERT_TRUE(pointer.ok()) << pointer.error().message;
  const int lastWhite[9] = {4, 5, 6, 7, 7, 6, 5, 4, -1};
  int whites = 0;
  for (int row = 0; row < 9; ++row)
    for (int col = 0; col < 10; ++col) {
      const int expected = col <= lastWhite[row] ? 14 : 0;
      EXPECT_EQ(pointer->index(row, col), expected) << "row " << row << " col " << col;
      whites += expected == 14;
    }
  EXPECT_EQ(whites, 52);
  // In the stored bytes the bottom row comes first, all black, and row 0
  // last, white in columns 0 to 4.
  auto bytes = module_resources::resourceBytes(gb::pe::kResourceTypeBitmap, 0x4000);
  ASSERT_TRUE(bytes.ok());
  const uint8_t* firstStored = bytes->data() + 1064;
  const uint8_t* lastStored = bytes->data() + 1064 + 8 * 12;
  for (int col = 0; col < 10; ++col) {
    EXPECT_EQ(firstStored[col], 0) << col;
    EXPECT_EQ(lastStored[col], col <= 4 ? 14 : 0) << col;
  }
}

}  // namespace
