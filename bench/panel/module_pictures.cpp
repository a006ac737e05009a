#include "panel/module_pictures.h"

#include "resources/bitmap.h"

namespace gb::panel {

PictureSource modulePictureSource(const pe::PeFile& file) {
  return [&file](uint32_t resourceId) -> Result<Picture> {
    const pe::Resource* resource =
        file.findResource(pe::kResourceTypeBitmap, resourceId, kResourceLanguage);
    if (!resource)
      return Error{"bitmap " + hex(resourceId) + " (language 1033) is not in the module's resources"};
    Result<std::span<const uint8_t>> bytes = file.resourceBytes(*resource);
    if (!bytes) return bytes.error();
    Result<res::Bitmap> bitmap = res::decodeBitmap(*bytes, "bitmap " + hex(resourceId));
    if (!bitmap) return bitmap.error();
    Picture picture;
    picture.resourceId = resourceId;
    picture.width = bitmap->width();
    picture.height = bitmap->height();
    picture.rgb.reserve(size_t(picture.width) * picture.height);
    for (int row = 0; row < picture.height; ++row)
      for (int col = 0; col < picture.width; ++col) {
        res::Rgb c = bitmap->colour(row, col);
        picture.rgb.push_back(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
      }
    return picture;
  };
}

}  // namespace gb::panel
