#include "glyphs.h"

namespace painter {
namespace {

// Even rows may use columns 0 and 2, odd rows columns 1 and 3.
constexpr GlyphCell kA[] = {{2, 0}, {1, 1}, {3, 1}, {0, 2}, {3, 3}, {0, 4}, {2, 4}, {3, 5}, {0, 6}};
constexpr GlyphCell kB[] = {{0, 0}, {2, 0}, {3, 1}, {0, 2}, {2, 2}, {1, 3},
                            {0, 4}, {2, 4}, {3, 5}, {0, 6}, {2, 6}};
constexpr GlyphCell kD[] = {{0, 0}, {2, 0}, {3, 1}, {0, 2}, {3, 3}, {0, 4}, {3, 5}, {0, 6}, {2, 6}};
constexpr GlyphCell kE[] = {{0, 0}, {2, 0}, {0, 2}, {1, 3}, {3, 3}, {0, 4}, {0, 6}, {2, 6}};
constexpr GlyphCell kK[] = {{0, 0}, {3, 1}, {0, 2}, {2, 2}, {1, 3}, {0, 4}, {2, 4}, {3, 5}, {0, 6}};
constexpr GlyphCell kP[] = {{0, 0}, {2, 0}, {3, 1}, {0, 2}, {3, 3}, {0, 4}, {2, 4}, {0, 6}};
constexpr GlyphCell kR[] = {{0, 0}, {2, 0}, {3, 1}, {0, 2}, {2, 2}, {1, 3}, {0, 4}, {2, 4}, {3, 5}, {0, 6}};
constexpr GlyphCell kS[] = {{2, 0}, {1, 1}, {3, 1}, {0, 2}, {1, 3}, {2, 4}, {3, 5}, {0, 6}, {2, 6}};

}  // namespace

std::span<const GlyphCell> glyphCells(char letter) {
  switch (letter) {
    case 'A': return kA;
    case 'B': return kB;
    case 'D': return kD;
    case 'E': return kE;
    case 'K': return kK;
    case 'P': return kP;
    case 'R': return kR;
    case 'S': return kS;
    default: return {};
  }
}

}  // namespace painter
