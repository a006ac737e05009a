#include "view/frame_image.h"

#include "render/compose.h"
#include "render/overlay.h"
#include "render/png_encode.h"

namespace gb::view {

Result<FrameImage> frameImage(const panel::Frame& frame, const FrameImageOptions& options) {
  if (frame.width <= 0 || frame.height <= 0) return Error{"no frame has been drawn yet"};
  render::Composition composition = render::compose(frame, {.overflow = options.overflow});
  FrameImage out;
  out.width = composition.image.width;
  out.height = composition.image.height;
  out.originX = composition.originX;
  out.originY = composition.originY;
  render::RgbaImage image = options.scale > 1 ? render::enlarged(composition.image, options.scale)
                                              : std::move(composition.image);
  if (options.areas)
    render::drawMouseAreas(image, *options.areas, options.scale, composition.originX, composition.originY);
  Result<std::string> png = render::encodePng(image);
  if (!png) return png.error();
  out.png = std::move(*png);
  return out;
}

std::string base64(const std::string& bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const uint32_t n = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
    out += kAlphabet[n >> 18 & 63];
    out += kAlphabet[n >> 12 & 63];
    out += kAlphabet[n >> 6 & 63];
    out += kAlphabet[n & 63];
  }
  if (i < bytes.size()) {
    uint32_t n = uint32_t(uint8_t(bytes[i])) << 16;
    if (i + 1 < bytes.size()) n |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    out += kAlphabet[n >> 18 & 63];
    out += kAlphabet[n >> 12 & 63];
    out += i + 1 < bytes.size() ? kAlphabet[n >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace gb::view
