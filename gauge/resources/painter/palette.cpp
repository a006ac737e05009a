#include "palette.h"

#include <cstdio>
#include <cstdlib>

namespace painter {

void Palette::pin(uint8_t index, Rgb colour) {
  table_[index] = colour;
  taken_[index] = true;
  usable_[index] = true;
}

std::optional<uint8_t> Palette::indexFor(Rgb colour) {
  for (int i = 0; i < 256; ++i)
    if (usable_[i] && table_[i] == colour) return uint8_t(i);
  for (int i = 0; i < 256; ++i) {
    if (taken_[i]) continue;
    table_[i] = colour;
    taken_[i] = usable_[i] = true;
    return uint8_t(i);
  }
  return std::nullopt;
}

void Palette::fillUnused(uint32_t start) {
  // xorshift32: a fixed sequence per start, so every run paints the same table.
  uint32_t state = start ? start : 0x9E3779B9u;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  for (int i = 0; i < 256; ++i) {
    if (taken_[i]) continue;
    Rgb colour;
    do {
      uint32_t bits = next();
      colour = Rgb{uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16)};
    } while (colour == kTransparent || colour == kWhite);
    table_[i] = colour;
    taken_[i] = true;
  }
}

Picture indexPicture(const RgbCanvas& canvas, Palette& palette, uint32_t start,
                     std::string fileName) {
  Picture picture;
  picture.fileName = std::move(fileName);
  picture.width = canvas.width;
  picture.height = canvas.height;
  picture.indices.reserve(canvas.pixels.size());
  for (Rgb colour : canvas.pixels) {
    std::optional<uint8_t> index = palette.indexFor(colour);
    if (!index) {
      std::fprintf(stderr, "painter: %s uses more than 256 colours\n", picture.fileName.c_str());
      std::abort();
    }
    picture.indices.push_back(*index);
  }
  palette.fillUnused(start);
  picture.table = palette.table();
  return picture;
}

}  // namespace painter
