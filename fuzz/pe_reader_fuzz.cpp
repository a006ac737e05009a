// The PE reader on arbitrary files, with everything it decodes: headers,
// sections, relocations (applied to the laid-out image at another base),
// exports, the resource tree, and each bitmap and version block in it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pe/pe_file.h"
#include "resources/bitmap.h"
#include "resources/version_block.h"

namespace {

// Laying out an image allocates SizeOfImage bytes; the reader allows up to
// 256 MiB. Larger than any gauge, smaller than the fuzzer's memory limit.
constexpr uint32_t kLargestImageLaidOut = 64u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto file = gb::pe::parsePe(std::vector<uint8_t>(data, data + size));
  if (!file) return 0;
  if (file->sizeOfImage <= kLargestImageLaidOut) {
    std::vector<uint8_t> image = file->buildImage();
    (void)gb::pe::applyRelocations(image, *file, 0x10000000);
  }
  (void)file->findExport("Linkage");
  for (const gb::pe::Resource& resource : file->resources) {
    auto bytes = file->resourceBytes(resource);
    if (!bytes) continue;
    if (resource.type == gb::pe::kResourceTypeBitmap) {
      auto bitmap = gb::res::decodeBitmap(*bytes, "bitmap");
      if (bitmap)
        for (int row = 0; row < bitmap->height(); ++row)
          for (int col = 0; col < bitmap->width(); ++col) (void)bitmap->colour(row, col);
    } else if (resource.type == gb::pe::kResourceTypeVersion) {
      auto block = gb::res::decodeVersionBlock(*bytes, "version block");
      if (block) (void)block->findString("FileVersion");
    }
  }
  return 0;
}
