// The scrolling strip: 18 white blocks on transparent black. Each face is
// white with a soft grey rim on the left, light grey columns before its right
// edge, a mid grey right edge and grey top and bottom edge rows. A band down
// the right side darkens towards the strip's edge; it starts a few rows below
// the face's top and runs on, narrowing, a few rows past its bottom.
#include <array>

#include "colour_reduction.h"
#include "palette.h"
#include "pictures.h"
#include "shade.h"
#include "strip_runs.h"

namespace painter {
namespace {

constexpr Rgb kSlateLine{39, 46, 59};
constexpr Rgb kSlateLineDeep{37, 44, 62};
constexpr std::size_t kStripColours = 87;

// Band colour by strip column: lighter to the left, darkest at the edge.
Rgb bandColour(int col) {
  static constexpr std::array<Rgb, 8> kBand{{
      {158, 157, 155},  // column 43, only where the block sits one column left
      {146, 145, 143},
      {133, 132, 130},
      {122, 121, 123},
      {105, 106, 110},
      {76, 77, 87},
      {76, 77, 87},
      {52, 56, 69},  // column 50
  }};
  int slot = col - 43;
  return kBand[std::size_t(slot < 0 ? 0 : slot)];
}

Rgb faceColour(const StripRun& run, int row, int col, int left, int right) {
  const uint32_t texture = positionHash(row, col, 0x4500);
  if (row == run.faceTop) return brighten(Rgb{226, 226, 224}, int(texture % 7) - 3);
  if (row == run.faceBottom) return brighten(Rgb{172, 170, 173}, int(texture % 7) - 3);
  if (col == right) {
    Rgb edge = row >= run.bandTop ? Rgb{176, 173, 176} : Rgb{190, 188, 190};
    return brighten(edge, int(texture % 3) - 1);
  }
  if (col >= right - 2) return brighten(Rgb{219, 219, 219}, int(texture % 3) - 1);
  // The left rim, two or three pixels wide, lightening towards the face.
  const int rimWidth = 2 + int(positionHash(row, 0, 0x4501) % 2);
  const int depth = col - left;
  if (depth < rimWidth) {
    int base = depth == 0 ? 210 : (rimWidth == 2 ? 226 : 222 + 10 * (depth - 1));
    int v = base + int(texture % 5) - 2;
    return Rgb{clampChannel(v), clampChannel(v), clampChannel(v - 1)};
  }
  switch (texture % 23) {
    case 0:
      return Rgb{255, 254, 254};
    case 1:
      return Rgb{253, 253, 251};
    case 2:
      return Rgb{254, 254, 252};
    default:
      return kWhite;
  }
}

void paintBlock(RgbCanvas& canvas, const StripRun& run) {
  for (int row = run.faceTop; row <= run.faceBottom; ++row) {
    const bool besideBand = row >= run.bandTop;
    const int left = besideBand ? run.faceLeft : run.faceLeft + 1;
    const int right = besideBand ? run.faceRight - 1 : run.faceRight;
    for (int col = left; col <= right; ++col) canvas.at(row, col) = faceColour(run, row, col, left, right);
  }
  for (int row = run.bandTop; row <= run.bandBottom; ++row) {
    const int below = row - run.faceBottom;  // rows past the face's bottom
    int first = run.faceRight;
    if (below >= 6)
      first += 3;
    else if (below >= 2)
      first += 1;
    for (int col = first; col < kStripWidth; ++col) {
      int jitter = int(positionHash(row, col, 0x4502) % 7) - 3;
      canvas.at(row, col) = brighten(bandColour(col), jitter);
    }
  }
  if (run.line == StripLine::None) return;
  const int col = run.line == StripLine::WhiteLeft ? 0 : kStripWidth - 1;
  for (int row = run.lineTop; row <= run.lineBottom; ++row) {
    Rgb colour = kWhite;
    if (run.line == StripLine::SlateRight && row <= run.lineBottom - run.whiteTail)
      colour = positionHash(row, col, 0x4503) % 6 == 0 ? kSlateLineDeep : kSlateLine;
    canvas.at(row, col) = colour;
  }
}

}  // namespace

Picture paintStrip() {
  RgbCanvas canvas(kStripWidth, kStripHeight, kTransparent);
  for (const StripRun& run : kStripRuns) paintBlock(canvas, run);

  const std::array<Rgb, 4> keep{kTransparent, kWhite, kSlateLine, kSlateLineDeep};
  reduceColours(canvas, kStripColours, keep);

  Palette palette;
  palette.pin(0, kTransparent);
  palette.pin(14, kWhite);
  return indexPicture(canvas, palette, 0x4500, "strip.bmp");
}

}  // namespace painter
