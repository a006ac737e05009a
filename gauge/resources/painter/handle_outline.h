// The lever handle's outline: its left and right edges as straight pieces
// between (row, column) points. The grip (rows 1 to 56) and the shaft (rows
// 57 to 150) are separate pieces, so the left edge steps at their joint.
#pragma once

#include <array>
#include <span>

namespace painter {

struct EdgePoint {
  int row, col;
};

inline constexpr int kHandleWidth = 71;
inline constexpr int kHandleHeight = 153;
inline constexpr int kHandleTop = 1;
inline constexpr int kHandleBottom = 150;
inline constexpr int kGripBottom = 56;

inline constexpr std::array<EdgePoint, 5> kLeftGrip{{{1, 24}, {6, 15}, {13, 6}, {18, 5}, {56, 40}}};
inline constexpr std::array<EdgePoint, 5> kLeftShaft{{{57, 47}, {68, 49}, {75, 52}, {118, 53}, {150, 56}}};
inline constexpr std::array<EdgePoint, 6> kRightGrip{
    {{1, 27}, {4, 30}, {24, 40}, {29, 41}, {31, 43}, {56, 53}}};
inline constexpr std::array<EdgePoint, 4> kRightShaft{{{57, 54}, {85, 69}, {124, 69}, {150, 65}}};

// The edge's exact column at `row`, interpolated between the points of the
// piece that holds the row.
double edgeColumn(std::span<const EdgePoint> piece, int row);

struct Span {
  int left, right;  // inclusive columns
};

// The handle's drawn columns in a row from 1 to 150.
Span handleSpan(int row);

}  // namespace painter
