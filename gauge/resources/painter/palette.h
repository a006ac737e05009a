// Builds a picture's colour table: some colours pinned at fixed indices (the
// transparent black, the white), the others given the free indices in order
// of first appearance, and every entry no pixel uses filled from a start value of
// the picture's own, so that no two pictures carry the same table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "picture.h"
#include "rgb.h"

namespace painter {

class Palette {
 public:
  // Puts `colour` at `index`. Pixels of that colour use the first index
  // pinned for it.
  void pin(uint8_t index, Rgb colour);

  // The table index for a pixel colour, allocating the lowest free index
  // for a colour met for the first time; nothing when the table is full.
  std::optional<uint8_t> indexFor(Rgb colour);

  // Fills every entry that is neither pinned nor allocated with colours drawn
  // from `start`, never pure black or pure white.
  void fillUnused(uint32_t start);

  const std::array<Rgb, 256>& table() const { return table_; }

 private:
  std::array<Rgb, 256> table_{};
  std::array<bool, 256> taken_{};
  std::array<bool, 256> usable_{};  // a pixel colour may map here
};

// Converts a painted canvas into an indexed picture through `palette`, then
// fills the palette's unused entries from `start`. Aborts if the canvas holds
// more colours than the table can take: that is a fault of the painter.
Picture indexPicture(const RgbCanvas& canvas, Palette& palette, uint32_t start,
                     std::string fileName);

}  // namespace painter
