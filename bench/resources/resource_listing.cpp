#include "resources/resource_listing.h"

#include <cstdio>

#include "render/png_writer.h"
#include "resources/bitmap.h"
#include "resources/bitmap_rgba.h"
#include "resources/version_block.h"

namespace gb::res {
namespace {

std::string typeLabel(const pe::Resource& r) {
  if (!r.typeName.empty()) return "\"" + r.typeName + "\"";
  switch (r.type) {
    case pe::kResourceTypeBitmap: return "RT_BITMAP";
    case pe::kResourceTypeVersion: return "RT_VERSION";
    default: return "type " + std::to_string(r.type);
  }
}

std::string idLabel(const pe::Resource& r) {
  return r.idName.empty() ? hex(r.id) : "\"" + r.idName + "\"";
}

std::string resourceName(const pe::Resource& r) {
  std::string kind = r.type == pe::kResourceTypeVersion ? "version block " : "bitmap ";
  return kind + idLabel(r);
}

std::string hex4(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04x", value);
  return text;
}

void describeBitmap(std::span<const uint8_t> bytes, const pe::Resource& r, std::string& out) {
  Result<Bitmap> bitmap = decodeBitmap(bytes, resourceName(r));
  if (!bitmap) {
    out += "    error: " + bitmap.error().message + "\n";
    return;
  }
  const BitmapHeader& h = bitmap->header();
  out += "    " + std::to_string(h.width) + " x " + std::to_string(h.height) + ", " +
         std::to_string(h.bitCount) + " bits, planes " + std::to_string(h.planes) + ", compression " +
         std::to_string(h.compression) + ", stride " + std::to_string(bitmap->stride()) + ", biSizeImage " +
         std::to_string(h.sizeImage) + "\n";
  out += "    pels per metre " + std::to_string(h.xPelsPerMeter) + " x " + std::to_string(h.yPelsPerMeter) +
         ", colours used " + std::to_string(h.clrUsed) + ", important " + std::to_string(h.clrImportant) +
         ", table " + std::to_string(bitmap->colours().size()) + " entries, rows at " +
         std::to_string(bitmap->pixelOffset()) + "\n";
}

void describeVersion(std::span<const uint8_t> bytes, const pe::Resource& r, std::string& out) {
  Result<VersionBlock> block = decodeVersionBlock(bytes, resourceName(r));
  if (!block) {
    out += "    error: " + block.error().message + "\n";
    return;
  }
  const FixedFileInfo& f = block->fixed;
  out += "    file version " + formatVersion(f.fileVersionMS, f.fileVersionLS) + ", product version " +
         formatVersion(f.productVersionMS, f.productVersionLS) + "\n";
  out += "    flags " + hex(f.fileFlags) + " (mask " + hex(f.fileFlagsMask) + "), OS " + hex(f.fileOS) +
         ", type " + std::to_string(f.fileType) + ", subtype " + std::to_string(f.fileSubtype) + ", date " +
         hex((uint64_t(f.fileDateMS) << 32) | f.fileDateLS) + "\n";
  for (const StringTable& table : block->stringTables) {
    out += "    string table " + table.key + "\n";
    for (const VersionString& s : table.strings) out += "      " + s.key + ": \"" + s.value + "\"\n";
  }
  for (const Translation& t : block->translations)
    out += "    translation language " + hex4(t.language) + ", code page " + hex4(t.codePage) + "\n";
}

}  // namespace

std::string describeResources(const pe::PeFile& file) {
  std::string out = "resources: " + std::to_string(file.resources.size()) + "\n";
  for (const pe::Resource& r : file.resources) {
    out += "  " + typeLabel(r) + " " + idLabel(r) + " language " + std::to_string(r.language) + " size " +
           std::to_string(r.size) + "\n";
    if (!r.typeName.empty() ||
        (r.type != pe::kResourceTypeBitmap && r.type != pe::kResourceTypeVersion))
      continue;
    Result<std::span<const uint8_t>> bytes = file.resourceBytes(r);
    if (!bytes) {
      out += "    error: " + bytes.error().message + "\n";
      continue;
    }
    if (r.type == pe::kResourceTypeBitmap)
      describeBitmap(*bytes, r, out);
    else
      describeVersion(*bytes, r, out);
  }
  return out;
}

Status writeBitmapPngs(const pe::PeFile& file, const std::string& dir, int scale) {
  if (scale < 1 || scale > 64) return Error{"bitmap scale " + std::to_string(scale) + " outside 1..64"};
  for (const pe::Resource& r : file.resources) {
    if (!r.typeName.empty() || r.type != pe::kResourceTypeBitmap || !r.idName.empty()) continue;
    Result<std::span<const uint8_t>> bytes = file.resourceBytes(r);
    if (!bytes) return bytes.error();
    Result<Bitmap> bitmap = decodeBitmap(*bytes, resourceName(r));
    if (!bitmap) return bitmap.error();
    render::RgbaImage image = toRgba(*bitmap);
    if (scale > 1) image = render::enlarged(image, scale);
    char fileName[32];
    std::snprintf(fileName, sizeof fileName, "bitmap-0x%04x.png", r.id);
    if (Status status = render::writePng(image, dir + "/" + fileName); !status) return status;
  }
  return Ok{};
}

}  // namespace gb::res
