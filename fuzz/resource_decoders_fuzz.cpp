// The bitmap and version-block decoders on arbitrary resource bytes: the
// first byte picks the decoder, the rest is the resource.
#include <cstddef>
#include <cstdint>
#include <span>

#include "resources/bitmap.h"
#include "resources/version_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::span<const uint8_t> bytes(data + 1, size - 1);
  if (data[0] & 1) {
    auto block = gb::res::decodeVersionBlock(bytes, "version block");
    if (block) (void)block->findString("FileVersion");
    return 0;
  }
  auto bitmap = gb::res::decodeBitmap(bytes, "bitmap");
  if (bitmap)
    for (int row = 0; row < bitmap->height(); ++row) {
      (void)bitmap->storedRow(row);
      for (int col = 0; col < bitmap->width(); ++col) (void)bitmap->colour(row, col);
    }
  return 0;
}
