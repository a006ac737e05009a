// The SPEED BRAKE lever handle on transparent black: a light silver grip
// leaning from upper left to lower right, lettered, with a blue-grey side face
// down its right edge; below it the shaft bending right, a collar, a white
// mark plate with a disc and a slate triangle pointing right, and a foot.
// Its outer pixels are shaded towards a dark slate by how much of them the
// outline covers, which gives the edges their soft look.
#include <algorithm>
#include <array>
#include <cmath>

#include "colour_reduction.h"
#include "handle_lettering.h"
#include "handle_outline.h"
#include "palette.h"
#include "pictures.h"
#include "shade.h"

namespace painter {
namespace {

constexpr std::size_t kHandleColours = 199;

constexpr Rgb kEdgeDark{43, 45, 60};
constexpr Rgb kGripFace{225, 235, 234};
constexpr Rgb kSideFace{131, 146, 162};
constexpr Rgb kShaftLight{198, 211, 219};
constexpr Rgb kShaftDark{167, 181, 194};
constexpr Rgb kNearWhite{246, 249, 250};
constexpr Rgb kCollarGrey{158, 168, 180};
constexpr Rgb kPlateRim{176, 186, 196};
constexpr Rgb kDisc{206, 211, 216};
constexpr Rgb kTriangle{58, 61, 76};
constexpr Rgb kFoot{238, 242, 244};

constexpr int kCollarTop = 118;
constexpr int kPlateTop = 122;
constexpr int kFootTop = 137;
constexpr int kShaftHighlightTop = 72;
constexpr int kShaftHighlightBottom = 116;

int jitter(int row, int col, uint32_t salt, int spread) {
  return int(positionHash(row, col, salt) % uint32_t(2 * spread + 1)) - spread;
}

// The grip face: lighter towards the upper left, a little darker to the right.
Rgb gripFace(int row, int col, Span span) {
  double across = double(col - span.left) / std::max(1, span.right - span.left);
  double down = double(row) / kGripBottom;
  Rgb light = brighten(kGripFace, 8), deep = brighten(kGripFace, -2);
  return brighten(mix(light, deep, 0.6 * across + 0.4 * down), jitter(row, col, 0x2001, 2));
}

// The blue-grey side face: 4 pixels wide from row 20, growing in from row 15,
// and running on into the shaft to row 66.
int sideFaceWidth(int row) {
  if (row < 15 || row > 66) return 0;
  if (row < 20) return 1 + (row - 15) * 3 / 5;
  if (row > 62) return 3;
  return 4;
}

Rgb shaftBody(int row, int col, Span span) {
  double across = double(col - span.left) / std::max(1, span.right - span.left);
  Rgb colour;
  if (across < 0.5)
    colour = mix(brighten(kShaftLight, 6), kShaftLight, across * 2);
  else
    colour = mix(kShaftDark, brighten(kShaftDark, -14), (across - 0.5) * 2);
  return brighten(colour, jitter(row, col, 0x2002, 2));
}

bool inDisc(int row, int col) {
  const double dx = (col + 0.5 - 62.5) / 4.6, dy = (row + 0.5 - 130.0) / 7.0;
  return dx * dx + dy * dy <= 1.0;
}

// The triangle's columns in each row from 126 to 133: upright left side in
// column 59 (58 at the top two rows), tip at column 65 in row 130.
bool inTriangle(int row, int col) {
  static constexpr std::array<std::array<int, 2>, 8> kRows{
      {{58, 58}, {58, 59}, {59, 61}, {59, 63}, {59, 65}, {59, 63}, {59, 61}, {59, 59}}};
  if (row < 126 || row > 133) return false;
  const auto [first, last] = kRows[std::size_t(row - 126)];
  return col >= first && col <= last;
}

Rgb lowerBody(int row, int col, Span span) {
  if (row < kPlateTop) {
    Rgb band = row < kCollarTop + 2 ? kNearWhite : kCollarGrey;
    return brighten(band, jitter(row, col, 0x2003, 1));
  }
  if (row < kFootTop) {
    if (inTriangle(row, col)) return kTriangle;
    if (inDisc(row, col)) return brighten(kDisc, jitter(row, col, 0x2004, 2));
    const int panelLeft = std::max(54, span.left + 1), panelRight = std::min(68, span.right - 1);
    if (col >= panelLeft && col <= panelRight) return kWhite;
    return brighten(kPlateRim, jitter(row, col, 0x2005, 2));
  }
  double across = double(col - span.left) / std::max(1, span.right - span.left);
  return brighten(mix(kFoot, brighten(kFoot, -18), across), jitter(row, col, 0x2006, 1));
}

// White highlights: a streak just inside the grip's left edge and along its
// slanted top end, and one down the lit side of the shaft.
bool gripHighlight(int row, int col, Span span) {
  if (row >= 3 && row <= 44 && col == span.left + 1) return true;
  if (row >= 2 && row <= 12 && col == span.left + 2) return true;
  return false;
}

bool shaftHighlight(int row, int col, Span span) {
  return row >= kShaftHighlightTop && row <= kShaftHighlightBottom && col == span.left + 2;
}

Rgb bodyColour(int row, int col, Span span) {
  if (row <= kGripBottom || row <= 66) {
    const int side = sideFaceWidth(row);
    if (side > 0 && col > span.right - side) {
      double depth = double(span.right - col) / 4.0;  // 0 at the edge
      return brighten(mix(brighten(kSideFace, -22), kSideFace, depth), jitter(row, col, 0x2007, 2));
    }
  }
  if (row <= kGripBottom) {
    if (gripHighlight(row, col, span)) return kWhite;
    return gripFace(row, col, span);
  }
  if (row < kCollarTop) return shaftHighlight(row, col, span) ? kWhite : shaftBody(row, col, span);
  return lowerBody(row, col, span);
}

// How much of an outer pixel the outline covers: less the further the pixel
// lies outside the exact edge (`outward` in columns, negative inside).
double edgeCover(double outward) { return std::clamp(0.7 - 0.5 * outward, 0.45, 0.95); }

}  // namespace

Picture paintHandle() {
  RgbCanvas canvas(kHandleWidth, kHandleHeight, kTransparent);
  for (int row = kHandleTop; row <= kHandleBottom; ++row) {
    const Span span = handleSpan(row);
    for (int col = span.left; col <= span.right; ++col) canvas.at(row, col) = bodyColour(row, col, span);
  }
  letterGrip(canvas);

  // Soften the outline: the outermost pixel of each row towards dark slate.
  for (int row = kHandleTop; row <= kHandleBottom; ++row) {
    const bool grip = row <= kGripBottom;
    const Span span = handleSpan(row);
    const double left = edgeColumn(grip ? std::span<const EdgePoint>(kLeftGrip) : kLeftShaft, row);
    const double right = edgeColumn(grip ? std::span<const EdgePoint>(kRightGrip) : kRightShaft, row);
    Rgb& l = canvas.at(row, span.left);
    if (l != kWhite) l = mix(kEdgeDark, l, edgeCover(left - span.left));
    Rgb& r = canvas.at(row, span.right);
    if (r != kWhite) r = mix(kEdgeDark, r, edgeCover(span.right - right) - 0.15);
  }

  const std::array<Rgb, 2> keep{kTransparent, kWhite};
  reduceColours(canvas, kHandleColours, keep);

  Palette palette;
  palette.pin(255, kTransparent);
  palette.pin(0, kWhite);
  return indexPicture(canvas, palette, 0x2000, "handle.bmp");
}

}  // namespace painter
