#include "panel/module_pictures.h"

#include "support/byte_reader.h"

namespace gb::panel {

PictureSource modulePictureSource(const pe::PeFile& file) {
  return [&file](uint32_t resourceId) -> Result<Picture> {
    const pe::Resource* resource =
        file.findResource(pe::kResourceTypeBitmap, resourceId, kResourceLanguage);
    if (!resource)
      return Error{"bitmap " + hex(resourceId) + " (language 1033) is not in the module's resources"};
    Result<std::span<const uint8_t>> bytes = file.resourceBytes(*resource);
    if (!bytes) return bytes.error();
    ByteReader reader(*bytes, "bitmap " + hex(resourceId));
    Result<uint32_t> width = reader.u32(4, "width");
    Result<uint32_t> height = reader.u32(8, "height");
    if (!width) return width.error();
    if (!height) return height.error();
    Picture picture;
    picture.resourceId = resourceId;
    picture.width = int(*width);
    picture.height = int(*height);
    return picture;
  };
}

}  // namespace gb::panel
