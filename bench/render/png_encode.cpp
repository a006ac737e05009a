#include "render/png_encode.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace gb::render {
namespace {

static_assert(sizeof(Rgba) == 4, "rows are handed to libpng as packed RGBA bytes");

struct Sink {
  std::string bytes;
  std::string error;
};

void append(png_structp png, png_bytep data, png_size_t length) {
  auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
  sink->bytes.append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

// libpng reports errors here and then longjmps back to encodePng's setjmp.
void recordError(png_structp png, png_const_charp message) {
  static_cast<Sink*>(png_get_error_ptr(png))->error = message;
  png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

}  // namespace

Result<std::string> encodePng(const RgbaImage& image) {
  if (image.width <= 0 || image.height <= 0)
    return Error{"PNG: empty picture (" + std::to_string(image.width) + " x " + std::to_string(image.height) + ")"};
  Sink sink;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, recordError, ignoreWarning);
  if (!png) return Error{"PNG: libpng could not start"};
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return Error{"PNG: libpng could not start"};
  }
  std::vector<png_bytep> rows(std::size_t(image.height));
  for (int row = 0; row < image.height; ++row)
    rows[std::size_t(row)] = const_cast<png_bytep>(
        reinterpret_cast<const uint8_t*>(&image.pixels[std::size_t(row) * std::size_t(image.width)]));

  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return Error{"PNG: " + sink.error};
  }
  png_set_write_fn(png, &sink, append, flushNothing);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Frames are small and served many times a second: speed over size.
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::move(sink.bytes);
}

}  // namespace gb::render
