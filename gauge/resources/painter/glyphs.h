// A tiny capital-letter set for lettering at 45 degrees: just the letters the
// gauge writes (SPEED BRAKE).
//
// Letters are drawn on a diagonal lattice: a step along the line of text is
// half a pixel right and half a pixel down, a step down the letter half a
// pixel left and half a pixel down. Only lattice cells whose two coordinates
// add up to an even number fall on pixel centres, so each glyph lists just
// those; strokes then run as unbroken diagonal chains of pixels. A glyph is
// 4 cells wide and 7 high, about 3 by 5 pixels.
#pragma once

#include <span>
#include <vector>

namespace painter {

inline constexpr int kGlyphCellsWide = 4;
inline constexpr int kGlyphCellsHigh = 7;

struct GlyphCell {
  int x, y;  // x along the line of text, y down the letter; x + y even
};

// The inked cells of a letter; empty for a letter the set lacks.
std::span<const GlyphCell> glyphCells(char letter);

}  // namespace painter
