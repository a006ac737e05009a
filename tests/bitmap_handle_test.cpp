// The lever handle's picture: its black surround, one solid span per row
// within a pixel of the outline, the lettering's place, the mark plate, and
// its overall light metallic colour.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "module_resources.h"

namespace {

using gb::res::Bitmap;
using gb::res::Rgb;

struct EdgePoint {
  int row, col;
};

// Each edge as two straight pieces: the grip (rows 1 to 56), then the shaft.
const std::vector<std::vector<EdgePoint>> kLeftEdge{{{1, 24}, {6, 15}, {13, 6}, {18, 5}, {56, 40}},
                                                    {{57, 47}, {68, 49}, {75, 52}, {118, 53}, {150, 56}}};
const std::vector<std::vector<EdgePoint>> kRightEdge{
    {{1, 27}, {4, 30}, {24, 40}, {29, 41}, {31, 43}, {56, 53}}, {{57, 54}, {85, 69}, {124, 69}, {150, 65}}};

double edgeAt(const std::vector<std::vector<EdgePoint>>& edge, int row) {
  for (const auto& piece : edge)
    for (size_t i = 1; i < piece.size(); ++i)
      if (row >= piece[i - 1].row && row <= piece[i].row)
        return piece[i - 1].col +
               double(piece[i].col - piece[i - 1].col) * (row - piece[i - 1].row) / (piece[i].row - piece[i - 1].row);
  return NAN;
}

class Handle : public ::testing::Test {
 protected:
  void SetUp() override {
    auto bitmap = module_resources::moduleBitmap(0x2000);
    ASSERT_TRUE(bitmap.ok()) << bitmap.error().message;
    handle_ = std::move(bitmap).value();
  }
  bool drawn(int row, int col) const { return handle_.index(row, col) != 255; }
  Bitmap handle_;
};

TEST_F(Handle, BlackRowsAndOneSpanPerRowWithinAPixelOfTheOutline) {
  for (int row : {0, 151, 152})
    for (int col = 0; col < 71; ++col) ASSERT_FALSE(drawn(row, col)) << "row " << row;
  for (int row = 1; row <= 150; ++row) {
    int first = -1, last = -1, pieces = 0;
    for (int col = 0; col < 71; ++col) {
      if (!drawn(row, col)) continue;
      if (last != col - 1) ++pieces;
      if (first < 0) first = col;
      last = col;
    }
    ASSERT_EQ(pieces, 1) << "row " << row;
    EXPECT_LE(std::abs(first - edgeAt(kLeftEdge, row)), 1.0) << "left edge, row " << row;
    EXPECT_LE(std::abs(last - edgeAt(kRightEdge, row)), 1.0) << "right edge, row " << row;
    EXPECT_GE(first, 5);
    EXPECT_LE(last, 69);
  }
}

TEST_F(Handle, ShaftWidthsWhereTheyAreFixed) {
  struct Width {
    int row, first, last;
  };
  for (const Width w : {Width{57, 47, 54}, Width{85, 52, 69}, Width{90, 53, 69}, Width{117, 53, 69},
                        Width{137, 55, 67}, Width{150, 56, 65}}) {
    EXPECT_TRUE(drawn(w.row, w.first) && !drawn(w.row, w.first - 1)) << "row " << w.row;
    EXPECT_TRUE(drawn(w.row, w.last) && !drawn(w.row, w.last + 1)) << "row " << w.row;
  }
}

TEST_F(Handle, LetteringLiesOnTheGripInGreyCapitals) {
  // Letter pixels: mid to dark grey on the light face, in the grip's rows.
  int letterPixels = 0;
  int minRow = 999, maxRow = -1, minCol = 999, maxCol = -1;
  for (int row = 1; row <= 56; ++row) {
    for (int col = 0; col < 71; ++col) {
      const Rgb c = handle_.colour(row, col);
      const bool grey = std::abs(c.r - c.g) <= 8 && std::abs(c.g - c.b) <= 14;
      if (!drawn(row, col) || !grey || c.g < 65 || c.g > 150) continue;
      // The outline's shaded pixels are not letters.
      const bool outline = !drawn(row, col - 1) || !drawn(row, col + 1);
      if (outline) continue;
      ++letterPixels;
      minRow = std::min(minRow, row), maxRow = std::max(maxRow, row);
      minCol = std::min(minCol, col), maxCol = std::max(maxCol, col);
    }
  }
  EXPECT_GE(letterPixels, 60) << "ten letters";
  EXPECT_GE(minCol, 12);
  EXPECT_LE(maxCol, 32);
  EXPECT_GE(minRow, 16);
  EXPECT_LE(maxRow, 36);
}

TEST_F(Handle, MarkPlateWithSlateTrianglePointingRight) {
  const Rgb slate{58, 61, 76};
  auto isSlate = [&](int row, int col) {
    const Rgb c = handle_.colour(row, col);
    return std::abs(c.r - slate.r) + std::abs(c.g - slate.g) + std::abs(c.b - slate.b) <= 12;
  };
  for (int row = 127; row <= 133; ++row) EXPECT_TRUE(isSlate(row, 59)) << "upright side, row " << row;
  EXPECT_TRUE(isSlate(126, 58));
  EXPECT_TRUE(isSlate(127, 58));
  EXPECT_TRUE(isSlate(130, 65)) << "tip";
  EXPECT_FALSE(isSlate(130, 66));
  EXPECT_FALSE(isSlate(129, 65));
  EXPECT_EQ(handle_.colour(124, 55), (Rgb{255, 255, 255})) << "white panel";
}

TEST_F(Handle, LightMetallicOverallWithItsWhiteHighlights) {
  long whites = 0, count = 0;
  double r = 0, g = 0, b = 0;
  for (int row = 0; row < 153; ++row)
    for (int col = 0; col < 71; ++col) {
      if (!drawn(row, col)) continue;
      const Rgb c = handle_.colour(row, col);
      whites += c == Rgb{255, 255, 255};
      ++count;
      r += c.r, g += c.g, b += c.b;
    }
  EXPECT_EQ(whites, 196);
  EXPECT_NEAR(r / count, 193, 3);
  EXPECT_NEAR(g / count, 204, 3);
  EXPECT_NEAR(b / count, 209, 3);
}

}  // namespace
