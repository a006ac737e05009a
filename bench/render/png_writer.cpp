#include "render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace gb::render {
namespace {

static_assert(sizeof(Rgba) == 4, "rows are handed to libpng as packed RGBA bytes");

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};

// libpng reports errors through this callback and then longjmps back to the
// setjmp in writePng; the message is kept for the error value.
void recordError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  *text = message;
  png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

}  // namespace

Status writePng(const RgbaImage& image, const std::string& path) {
  if (image.width <= 0 || image.height <= 0)
    return Error{path + ": empty picture (" + std::to_string(image.width) + " x " +
                 std::to_string(image.height) + ")"};
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return Error{path + ": cannot open: " + std::strerror(errno)};

  std::string libpngError;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &libpngError, recordError, ignoreWarning);
  if (!png) return Error{path + ": libpng could not start"};
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return Error{path + ": libpng could not start"};
  }

  std::vector<png_bytep> rows(std::size_t(image.height));
  for (int row = 0; row < image.height; ++row)
    rows[std::size_t(row)] = const_cast<png_bytep>(reinterpret_cast<const uint8_t*>(&image.pixels[std::size_t(row) * std::size_t(image.width)]));

  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return Error{path + ": " + libpngError};
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);

  if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
    return Error{path + ": write failed: " + std::strerror(errno)};
  return Ok{};
}

}  // namespace gb::render
