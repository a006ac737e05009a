// The scrolling strip's 18 blocks where they must stand: rows of each run,
// the face's rows and columns, the side band's rows, the three lines, and
// black everywhere between the runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "module_resources.h"

namespace {

using gb::res::Bitmap;
using gb::res::Rgb;

enum Line { kNoLine, kSlateRight, kWhiteLeft };

struct StripRun {
  int first, last;
  int faceTop, faceBottom;
  int bandTop, bandBottom;
  int faceLeft, faceRight;  // widest extent
  Line line;
};

const StripRun kRuns[] = {
    {73, 125, 73, 117, 81, 125, 3, 44, kNoLine},
    {296, 348, 296, 341, 305, 348, 4, 45, kNoLine},
    {529, 582, 529, 574, 538, 582, 4, 45, kNoLine},
    {764, 816, 764, 809, 772, 816, 3, 44, kNoLine},
    {996, 1048, 996, 1041, 1004, 1048, 3, 44, kNoLine},
    {1230, 1283, 1230, 1275, 1239, 1283, 3, 44, kNoLine},
    {1447, 1616, 1460, 1505, 1468, 1512, 2, 43, kSlateRight},
    {1690, 1741, 1690, 1734, 1698, 1741, 3, 44, kNoLine},
    {1925, 1977, 1925, 1970, 1933, 1977, 3, 44, kNoLine},
    {2155, 2204, 2155, 2200, 2163, 2204, 7, 47, kNoLine},
    {2375, 2427, 2375, 2420, 2383, 2427, 3, 44, kNoLine},
    {2612, 2664, 2612, 2657, 2620, 2664, 3, 44, kNoLine},
    {2843, 2896, 2843, 2888, 2852, 2896, 3, 44, kNoLine},
    {3074, 3127, 3074, 3119, 3083, 3127, 3, 44, kNoLine},
    {3307, 3358, 3307, 3351, 3314, 3358, 3, 44, kNoLine},
    {3540, 3591, 3540, 3584, 3548, 3591, 4, 45, kNoLine},
    {3698, 3928, 3769, 3814, 3777, 3821, 4, 45, kWhiteLeft},
    {3986, 4163, 4003, 4047, 4011, 4054, 2, 43, kSlateRight},
};

constexpr int kWidth = 51;
constexpr Rgb kWhite{255, 255, 255};

class Strip : public ::testing::Test {
 protected:
  void SetUp() override {
    auto bitmap = module_resources::moduleBitmap(0x4500);
    ASSERT_TRUE(bitmap.ok()) << bitmap.error().message;
    strip_ = std::move(bitmap).value();
  }
  bool drawn(int row, int col) const { return strip_.index(row, col) != 0; }
  // The drawn columns of a row, leaving out the run's line column.
  std::vector<int> drawnColumns(int row, const StripRun& run) const {
    std::vector<int> cols;
    for (int col = 0; col < kWidth; ++col) {
      if (run.line == kSlateRight && col == kWidth - 1) continue;
      if (run.line == kWhiteLeft && col == 0) continue;
      if (drawn(row, col)) cols.push_back(col);
    }
    return cols;
  }
  static std::vector<int> range(int first, int last) {
    std::vector<int> cols;
    for (int col = first; col <= last; ++col) cols.push_back(col);
    return cols;
  }
  Bitmap strip_;
};

TEST_F(Strip, EveryRowOutsideTheRunsIsBlack) {
  std::vector<bool> inRun(size_t(strip_.height()), false);
  for (const StripRun& run : kRuns)
    for (int row = run.first; row <= run.last; ++row) inRun[size_t(row)] = true;
  for (int row = 0; row < strip_.height(); ++row) {
    if (inRun[size_t(row)]) continue;
    for (int col = 0; col < kWidth; ++col) ASSERT_FALSE(drawn(row, col)) << "row " << row << " col " << col;
  }
}

TEST_F(Strip, FaceAndBandStandInTheirRowsAndColumns) {
  for (size_t i = 0; i < std::size(kRuns); ++i) {
    const StripRun& run = kRuns[i];
    SCOPED_TRACE("run " + std::to_string(i + 1));
    // The run's first and last rows carry something.
    EXPECT_FALSE(drawnColumns(run.first, run).empty() && run.line == kNoLine);
    EXPECT_TRUE(drawn(run.last, kWidth - 1) || drawn(run.last, 0));
    // Above the face only the line, if any.
    if (run.faceTop > run.first) EXPECT_TRUE(drawnColumns(run.faceTop - 1, run).empty());
    // Above the band the face spans one column in from the left, to its right edge.
    EXPECT_EQ(drawnColumns(run.faceTop, run), range(run.faceLeft + 1, run.faceRight));
    EXPECT_EQ(drawnColumns(run.bandTop - 1, run), range(run.faceLeft + 1, run.faceRight));
    // Beside the band face and band fill the row from the face's left edge
    // (to the strip's edge, or to the line standing there).
    const int bandEnd = run.line == kSlateRight ? kWidth - 2 : kWidth - 1;
    EXPECT_EQ(drawnColumns(run.bandTop, run), range(run.faceLeft, bandEnd));
    EXPECT_EQ(drawnColumns(run.faceBottom, run), range(run.faceLeft, bandEnd));
    // Below the face only the band, starting at the face's right extent.
    EXPECT_EQ(drawnColumns(run.faceBottom + 1, run), range(run.faceRight, bandEnd));
    // Column 49 belongs to the band and to nothing else.
    for (int row = run.first; row <= run.last; ++row)
      EXPECT_EQ(drawn(row, 49), row >= run.bandTop && row <= run.bandBottom) << "row " << row;
  }
}

TEST_F(Strip, LinesRunOverTheirWholeRuns) {
  for (const StripRun& run : kRuns) {
    SCOPED_TRACE("run at row " + std::to_string(run.first));
    for (int row = run.first; row <= run.last; ++row) {
      const Rgb left = strip_.colour(row, 0), right = strip_.colour(row, kWidth - 1);
      if (run.line == kWhiteLeft) {
        EXPECT_EQ(left, kWhite) << row;
      } else if (run.line == kSlateRight) {
        const bool whiteTail = row >= 4162;
        if (whiteTail)
          EXPECT_EQ(right, kWhite) << row;
        else
          EXPECT_TRUE(right == (Rgb{39, 46, 59}) || right == (Rgb{37, 44, 62})) << row;
      } else {
        EXPECT_FALSE(drawn(row, 0)) << row;
      }
    }
  }
}

TEST_F(Strip, FirstAndLastStoredRows) {
  // Stored first: row 4163, black but for a white pixel in column 50.
  for (int col = 0; col < kWidth; ++col) EXPECT_EQ(strip_.index(4163, col), col == 50 ? 14 : 0) << col;
  // Stored last: row 0, all black.
  for (int col = 0; col < kWidth; ++col) EXPECT_EQ(strip_.index(0, col), 0) << col;
}

TEST_F(Strip, BandDarkensTowardsTheRightEdgeInTheTypicalBlock) {
  // StripRun 1, midway down the band, against the listed shades.
  const Rgb expected[] = {{146, 145, 143}, {133, 132, 130}, {122, 121, 123}, {105, 106, 110},
                          {76, 77, 87},    {76, 77, 87},    {52, 56, 69}};
  for (int col = 44; col <= 50; ++col) {
    const Rgb got = strip_.colour(100, col), want = expected[col - 44];
    EXPECT_LE(std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b), 12)
        << "column " << col;
  }
  EXPECT_EQ(strip_.colour(100, 20), kWhite);
}

}  // namespace
