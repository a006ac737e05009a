#include "handle_lettering.h"

#include <string_view>

#include "glyphs.h"
#include "shade.h"

namespace painter {
namespace {

struct TextLine {
  std::string_view text;
  int x, y;  // lattice offset of the line's first letter
};

// SPEED above, BRAKE below it, shifted half a cell along the line so that the
// two lines keep their lattice parity and do not touch.
constexpr TextLine kLines[] = {{"SPEED", 0, 0}, {"BRAKE", 1, 9}};
constexpr int kLetterPitch = kGlyphCellsWide + 2;

// The pixel where lattice cell (0, 0) lands: puts the lettering in columns
// 12 to 32 and rows 16 to 35, centred near column 22, row 26.
constexpr int kOriginCol = 19;
constexpr int kOriginRow = 15;

constexpr Rgb kInk{82, 86, 96};

}  // namespace

void letterGrip(RgbCanvas& canvas) {
  for (const TextLine& line : kLines) {
    for (size_t i = 0; i < line.text.size(); ++i) {
      for (GlyphCell cell : glyphCells(line.text[i])) {
        const int x = line.x + int(i) * kLetterPitch + cell.x;
        const int y = line.y + cell.y;
        // x + y is even for every cell, so both halves are whole pixels.
        const int col = kOriginCol + (x - y) / 2;
        const int row = kOriginRow + (x + y) / 2;
        canvas.at(row, col) = brighten(kInk, int(positionHash(row, col, 0x2010) % 7) - 3);
      }
    }
  }
}

}  // namespace painter
