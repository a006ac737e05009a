#include "panel/module_pictures.h"

#include <array>

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
    // The colour table resolved once and each stored row read once: the
    // strip alone has 212,000 pixels, and every load resolves all of them.
    // An index past the table's end reads as transparent black.
    auto pack = [](res::Rgb c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; };
    std::array<uint32_t, 256> rgbOf;
    rgbOf.fill(pack(res::kTransparentBlack));
    const std::vector<res::Rgb>& colours = bitmap->colours();
    for (size_t i = 0; i < colours.size() && i < rgbOf.size(); ++i) rgbOf[i] = pack(colours[i]);
    const size_t width = size_t(picture.width);
    picture.rgb.resize(width * size_t(picture.height));
    for (int row = 0; row < picture.height; ++row) {
      const uint8_t* stored = bitmap->storedRow(row).data();
      uint32_t* out = picture.rgb.data() + size_t(row) * width;
      for (size_t col = 0; col < width; ++col) out[col] = rgbOf[stored[col]];
    }
    return picture;
  };
}

}  // namespace gb::panel
