#include "handle_outline.h"

#include <cassert>
#include <cmath>

namespace painter {

double edgeColumn(std::span<const EdgePoint> piece, int row) {
  assert(row >= piece.front().row && row <= piece.back().row);
  for (std::size_t i = 1; i < piece.size(); ++i) {
    const EdgePoint a = piece[i - 1], b = piece[i];
    if (row > b.row) continue;
    return a.col + double(b.col - a.col) * double(row - a.row) / double(b.row - a.row);
  }
  return piece.back().col;
}

Span handleSpan(int row) {
  assert(row >= kHandleTop && row <= kHandleBottom);
  const bool grip = row <= kGripBottom;
  double left = edgeColumn(grip ? std::span<const EdgePoint>(kLeftGrip) : kLeftShaft, row);
  double right = edgeColumn(grip ? std::span<const EdgePoint>(kRightGrip) : kRightShaft, row);
  int l = int(std::lround(left));
  // The straight part of the shaft, 17 pixels wide from row 90 to the collar.
  if (row >= 90 && row <= 117) l = 53;
  return Span{l, int(std::lround(right))};
}

}  // namespace painter
