// The measures of the strip's 18 blocks. Rows and columns count from the
// strip's top-left corner. A block is a white face with a shaded band down
// its right side; a few runs also carry a one-pixel line.
#pragma once

#include <array>

namespace painter {

enum class StripLine { None, SlateRight, WhiteLeft };

struct StripRun {
  int faceTop, faceBottom;
  int bandTop, bandBottom;
  int faceLeft, faceRight;  // widest extent: left edge beside the band, right edge above it
  StripLine line = StripLine::None;
  int lineTop = 0, lineBottom = 0;
  int whiteTail = 0;  // rows of white ending the slate line at the strip's foot
};

inline constexpr int kStripWidth = 51;
inline constexpr int kStripHeight = 4164;

inline constexpr std::array<StripRun, 18> kStripRuns{{
    {73, 117, 81, 125, 3, 44},
    {296, 341, 305, 348, 4, 45},
    {529, 574, 538, 582, 4, 45},
    {764, 809, 772, 816, 3, 44},
    {996, 1041, 1004, 1048, 3, 44},
    {1230, 1275, 1239, 1283, 3, 44},
    {1460, 1505, 1468, 1512, 2, 43, StripLine::SlateRight, 1447, 1616},
    {1690, 1734, 1698, 1741, 3, 44},
    {1925, 1970, 1933, 1977, 3, 44},
    {2155, 2200, 2163, 2204, 7, 47},
    {2375, 2420, 2383, 2427, 3, 44},
    {2612, 2657, 2620, 2664, 3, 44},
    {2843, 2888, 2852, 2896, 3, 44},
    {3074, 3119, 3083, 3127, 3, 44},
    {3307, 3351, 3314, 3358, 3, 44},
    {3540, 3584, 3548, 3591, 4, 45},
    {3769, 3814, 3777, 3821, 4, 45, StripLine::WhiteLeft, 3698, 3928},
    {4003, 4047, 4011, 4054, 2, 43, StripLine::SlateRight, 3986, 4163, 2},
}};

}  // namespace painter
