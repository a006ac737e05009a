#include "module_corruptions.h"

#include <algorithm>
#include <functional>

#include "pe/pe_file.h"
#include "resources/bitmap.h"
#include "resources/version_block.h"
#include "support/byte_reader.h"

namespace corruption {
namespace {

using Bytes = std::vector<uint8_t>;
using gb::hex;
using gb::loadU16;
using gb::loadU32;

constexpr uint32_t kEnglishUs = 1033;
constexpr uint32_t kBackgroundBitmap = 0x1000;
constexpr uint32_t kVersionId = 1;

void putU16(Bytes& b, size_t at, uint16_t v) {
  b.at(at + 1);
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void putU32(Bytes& b, size_t at, uint32_t v) {
  b.at(at + 3);
  gb::storeU32(b.data() + at, v);
}
std::string dec(uint64_t v) { return std::to_string(v); }

// Where things are in the good module's file.
struct Layout {
  const Bytes& bytes;
  gb::pe::PeFile pe;
  uint32_t lfanew = 0, coff = 0, optional = 0, optionalSize = 0, sectionTable = 0;

  uint32_t sectionHeader(size_t index) const { return sectionTable + 40 * uint32_t(index); }
  std::string sectionLabel(size_t index) const {
    return "section " + dec(index + 1) + " (" + pe.sections[index].name + ")";
  }
  // The file offset of an RVA inside a section's raw data.
  gb::Result<uint32_t> offsetOf(uint32_t rva, const std::string& what) const {
    for (const gb::pe::Section& s : pe.sections)
      if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize)
        return s.rawOffset + (rva - s.virtualAddress);
    return gb::Error{"module: " + what + " RVA " + hex(rva) + " is not in any section's raw data"};
  }
  uint32_t u32(uint32_t offset) const { return loadU32(bytes.data() + offset); }
  // The message for a file cut to `length` bytes somewhere in the section data.
  std::string rawDataPastEnd(uint64_t length) const {
    for (size_t i = 0; i < pe.sections.size(); ++i) {
      const gb::pe::Section& s = pe.sections[i];
      if (s.rawSize != 0 && uint64_t(s.rawOffset) + s.rawSize > length)
        return "section table: " + sectionLabel(i) + " at offset " + hex(sectionHeader(i)) +
               " has raw data " + hex(s.rawOffset) + ".." + hex(uint64_t(s.rawOffset) + s.rawSize) +
               " past the end of the " + hex(length) + "-byte file";
    }
    return "(no section is cut)";
  }
};

// The resource tree's entries on the way to one leaf: the file offsets of the
// type directory, the id directory, the language entry and the data entry,
// all but the last relative to the tree's start as the reader counts them.
struct ResourcePath {
  uint32_t typeDirectory = 0, idDirectory = 0, languageEntry = 0, dataEntry = 0;
  uint32_t dataOffset = 0;  // file offset of the resource's bytes
  uint32_t size = 0;
};

gb::Result<ResourcePath> findResource(const Layout& l, uint32_t tree, uint32_t type, uint32_t id,
                                      uint32_t language) {
  auto entryFor = [&](uint32_t directory, uint32_t key) -> gb::Result<uint32_t> {
    uint32_t count = uint32_t(loadU16(l.bytes.data() + tree + directory + 12)) +
                     loadU16(l.bytes.data() + tree + directory + 14);
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t entry = directory + 16 + 8 * i;
      if (l.u32(tree + entry) == key) return entry;
    }
    return gb::Error{"module: no resource entry " + hex(key) + " in the directory at " + hex(directory)};
  };
  ResourcePath path;
  auto typeEntry = entryFor(0, type);
  if (!typeEntry) return typeEntry.error();
  path.typeDirectory = l.u32(tree + *typeEntry + 4) & 0x7FFFFFFF;
  auto idEntry = entryFor(path.typeDirectory, id);
  if (!idEntry) return idEntry.error();
  path.idDirectory = l.u32(tree + *idEntry + 4) & 0x7FFFFFFF;
  auto languageEntry = entryFor(path.idDirectory, language);
  if (!languageEntry) return languageEntry.error();
  path.languageEntry = *languageEntry;
  path.dataEntry = l.u32(tree + path.languageEntry + 4);
  path.size = l.u32(tree + path.dataEntry + 4);
  auto data = l.offsetOf(l.u32(tree + path.dataEntry), "resource data");
  if (!data) return data.error();
  path.dataOffset = *data;
  return path;
}

}  // namespace

gb::Result<std::vector<Case>> corruptedCopies(const Bytes& module) {
  auto parsed = gb::pe::parsePe(module);
  if (!parsed) return gb::Error{"module: " + parsed.error().message};
  Layout l{module, std::move(*parsed)};
  const gb::pe::PeFile& pe = l.pe;
  const uint64_t size = module.size();
  l.lfanew = l.u32(0x3C);
  l.coff = l.lfanew + 4;
  l.optional = l.coff + 20;
  l.optionalSize = loadU16(module.data() + l.coff + 16);
  l.sectionTable = l.optional + l.optionalSize;
  const size_t sectionCount = pe.sections.size();
  const uint32_t imageSize = pe.sizeOfImage;
  if (sectionCount < 2 || pe.directories.size() < 6) return gb::Error{"module: too few sections or directories"};

  std::vector<Case> cases;
  auto add = [&](std::string name, const std::function<void(Bytes&)>& change, std::string error,
                 Stage stage = Stage::Parse, uint32_t resourceId = 0) {
    Bytes bytes = module;
    change(bytes);
    cases.push_back({std::move(name), std::move(bytes), stage, resourceId, std::move(error)});
  };
  auto truncated = [&](uint64_t length) { return [length](Bytes& b) { b.resize(length); }; };

  // Files cut short, from the first byte to the last.
  add("CutToOneByte", truncated(1), "DOS header: not an MZ file (only 0x1 bytes)");
  add("CutInsideTheDosHeader", truncated(0x30),
      "DOS header: file of 0x30 bytes is shorter than the 64-byte DOS header");
  add("CutInsideThePeSignature", truncated(l.lfanew + 2),
      "DOS header: e_lfanew " + hex(l.lfanew) + " at offset 0x3c points past the end of the " +
          hex(l.lfanew + 2) + "-byte file");
  add("CutInsideTheCoffHeader", truncated(l.coff + 10),
      "PE header: COFF header at offset " + hex(l.coff) + " (20 bytes) outside the " + dec(l.coff + 10) +
          "-byte data");
  add("CutInsideTheOptionalHeader", truncated(l.optional + 0x40),
      "optional header: size " + hex(l.optionalSize) + " at offset " + hex(l.optional) +
          " runs past the end of the " + hex(l.optional + 0x40) + "-byte file");
  add("CutInsideTheSectionTable", truncated(l.sectionHeader(1) + 8),
      "optional header: SizeOfHeaders " + hex(pe.sizeOfHeaders) + " at offset " + hex(l.optional + 60) +
          " exceeds SizeOfImage " + hex(imageSize) + " or the " + hex(l.sectionHeader(1) + 8) + "-byte file");
  const gb::pe::Section& biggest = *std::max_element(
      pe.sections.begin(), pe.sections.end(), [](auto& a, auto& b) { return a.rawSize < b.rawSize; });
  const uint64_t middle = biggest.rawOffset + biggest.rawSize / 2;
  add("CutInsideTheLargestSection", truncated(middle), l.rawDataPastEnd(middle));
  add("CutByTheLastByte", truncated(size - 1), l.rawDataPastEnd(size - 1));

  add("LfanewPastTheEnd", [&](Bytes& b) { putU32(b, 0x3C, uint32_t(size) + 0x100); },
      "DOS header: e_lfanew " + hex(size + 0x100) + " at offset 0x3c points past the end of the " + hex(size) +
          "-byte file");

  // Headers whose counts and sizes lie.
  for (uint32_t at = l.sectionHeader(sectionCount); at < l.sectionHeader(sectionCount + 1); ++at)
    if (at >= pe.sizeOfHeaders || module[at] != 0)
      return gb::Error{"module: no zero padding after the section table"};
  const gb::pe::Section& last = pe.sections.back();
  add("SectionCountOneTooMany", [&](Bytes& b) { putU16(b, l.coff + 2, uint16_t(sectionCount + 1)); },
      "section table: section " + dec(sectionCount + 1) + " () at offset " + hex(l.sectionHeader(sectionCount)) +
          " starts at RVA 0x0, before the end " + hex(uint64_t(last.virtualAddress) + last.mappedSize()) +
          " of " + l.sectionLabel(sectionCount - 1));
  add("SectionCountHuge", [&](Bytes& b) { putU16(b, l.coff + 2, 0xFFFF); },
      "section table: 65535 sections at offset " + hex(l.sectionTable) + " (" + hex(0xFFFFull * 40) +
          " bytes) run past the end of the " + hex(size) + "-byte file");
  const gb::pe::DataDirectory relocations = pe.directories[gb::pe::kBaseRelocationDirectory];
  if (relocations.rva < last.virtualAddress || relocations.size == 0)
    return gb::Error{"module: the base relocations are not in the last section"};
  add("SectionCountOneTooFew", [&](Bytes& b) { putU16(b, l.coff + 2, uint16_t(sectionCount - 1)); },
      "base relocations: directory RVA " + hex(relocations.rva) + " (" + hex(relocations.size) +
          " bytes) outside the file");
  add("OptionalHeaderSizeTooSmall", [&](Bytes& b) { putU16(b, l.coff + 16, 0x40); },
      "optional header: size 0x40 at offset " + hex(l.coff + 16) + " is too small for the 0x60-byte PE32 fields");
  add("OptionalHeaderSizeWithoutRoomForDirectories", [&](Bytes& b) { putU16(b, l.coff + 16, 0x80); },
      "optional header: " + hex(pe.directories.size()) + " data directories at offset " + hex(l.optional + 92) +
          " need " + hex(96 + 8 * pe.directories.size()) + " bytes, more than its size 0x80");
  add("SizeOfImageEndsBeforeTheLastSection", [&](Bytes& b) { putU32(b, l.optional + 56, last.virtualAddress); },
      "section table: " + l.sectionLabel(sectionCount - 1) + " at offset " + hex(l.sectionHeader(sectionCount - 1)) +
          " spans RVA " + hex(last.virtualAddress) + ".." + hex(uint64_t(last.virtualAddress) + last.mappedSize()) +
          ", past SizeOfImage " + hex(last.virtualAddress));
  add("SizeOfImageHuge", [&](Bytes& b) { putU32(b, l.optional + 56, 0xFFFFF000); },
      "optional header: SizeOfImage 0xfffff000 at offset " + hex(l.optional + 56) + " exceeds the limit 0x10000000");
  add("SectionRawDataPastTheEnd", [&](Bytes& b) { putU32(b, l.sectionHeader(0) + 16, uint32_t(size)); },
      "section table: " + l.sectionLabel(0) + " at offset " + hex(l.sectionHeader(0)) + " has raw data " +
          hex(pe.sections[0].rawOffset) + ".." + hex(uint64_t(pe.sections[0].rawOffset) + size) +
          " past the end of the " + hex(size) + "-byte file");
  add("Pe32Plus", [&](Bytes& b) { putU16(b, l.coff, 0x8664); putU16(b, l.optional, 0x20B); },
      "optional header: magic 0x20b at offset " + hex(l.optional) +
          " marks a 64-bit (PE32+) image; only PE32 is supported");
  add("ArmMachine", [&](Bytes& b) { putU16(b, l.coff, 0x1C0); },
      "PE header: machine 0x1c0 at offset " + hex(l.coff) + " is not i386 (0x14c)");

  // Base relocations: the first block's header and first entry.
  auto relocationAt = l.offsetOf(relocations.rva, "base relocations");
  if (!relocationAt) return relocationAt.error();
  const uint32_t block = *relocationAt;
  const uint32_t blockSize = l.u32(block + 4);
  const uint16_t firstEntry = loadU16(module.data() + block + 8);
  if (firstEntry >> 12 != 3) return gb::Error{"module: the first relocation is not HIGHLOW"};
  add("RelocationBlockOfSizeZero", [&](Bytes& b) { putU32(b, block + 4, 0); },
      "base relocations: block at offset 0x0 has size 0");
  add("RelocationBlockOfOddSize", [&](Bytes& b) { putU32(b, block + 4, blockSize + 1); },
      "base relocations: block at offset 0x0 has odd size " + hex(blockSize + 1));
  add("RelocationBlockPastItsDirectory", [&](Bytes& b) { putU32(b, block + 4, relocations.size + 8); },
      "base relocations: block at offset 0x0 with size " + hex(relocations.size + 8) +
          " runs past the directory end " + hex(relocations.size));
  add("RelocationOfUnsupportedType", [&](Bytes& b) { putU16(b, block + 8, uint16_t(0xA000 | (firstEntry & 0xFFF))); },
      "base relocations: entry at offset 0x8 has type 0xa, only ABSOLUTE (0x0) and HIGHLOW (0x3) are supported");
  add("RelocationOutsideTheImage", [&](Bytes& b) { putU32(b, block, imageSize); },
      "base relocations: entry at offset 0x8 fixes RVA " + hex(uint64_t(imageSize) + (firstEntry & 0xFFF)) +
          ", outside the " + hex(imageSize) + "-byte image");

  // Exports: the directory, its name pointer table and its ordinals.
  const gb::pe::DataDirectory exports = pe.directories[gb::pe::kExportDirectory];
  auto exportAt = l.offsetOf(exports.rva, "export directory");
  if (!exportAt) return exportAt.error();
  const uint32_t exportDirectory = *exportAt;
  const uint32_t functionCount = l.u32(exportDirectory + 20), nameCount = l.u32(exportDirectory + 24);
  auto ordinalsAt = l.offsetOf(l.u32(exportDirectory + 36), "export ordinal table");
  if (!ordinalsAt) return ordinalsAt.error();
  const uint32_t directoryEntry = l.optional + 96 + 8 * gb::pe::kExportDirectory;
  add("ExportDirectoryPastTheImage", [&](Bytes& b) { putU32(b, directoryEntry + 4, imageSize); },
      "optional header: export directory at offset " + hex(directoryEntry) + " (RVA " + hex(exports.rva) + ", " +
          hex(imageSize) + " bytes) lies outside the " + hex(imageSize) + "-byte image");
  add("ExportNameTableOutsideTheImage", [&](Bytes& b) { putU32(b, exportDirectory + 32, imageSize - 4); },
      "export table: name pointer table RVA " + hex(imageSize - 4) + " (" + hex(4 * nameCount) +
          " bytes) outside the image");
  add("ExportOrdinalPastTheAddresses", [&](Bytes& b) { putU16(b, *ordinalsAt, uint16_t(functionCount + 5)); },
      "export table: name 0 has ordinal index " + hex(functionCount + 5) + ", past the " + hex(functionCount) +
          "-entry address table");

  // The resource tree.
  const uint32_t treeRva = pe.directories[gb::pe::kResourceDirectory].rva;
  auto treeAt = l.offsetOf(treeRva, "resource directory");
  if (!treeAt) return treeAt.error();
  const uint32_t tree = *treeAt;
  auto bitmap = findResource(l, tree, gb::pe::kResourceTypeBitmap, kBackgroundBitmap, kEnglishUs);
  if (!bitmap) return bitmap.error();
  add("ResourceDirectoryPointingAtItself", [&](Bytes& b) { putU32(b, tree + 20, 0x80000000); },
      "resource directory: type entry at offset 0x10 points back at the directory at offset 0x0 (a cycle)");
  add("ResourceTreeDeeperThanThreeLevels",
      [&](Bytes& b) { putU32(b, tree + bitmap->languageEntry + 4, 0x80000000 | bitmap->typeDirectory); },
      "resource directory: language entry at offset " + hex(bitmap->languageEntry) + " points at a subdirectory " +
          hex(bitmap->typeDirectory) + ", deeper than three levels");
  add("ResourceDataOutsideTheImage", [&](Bytes& b) { putU32(b, tree + bitmap->dataEntry, imageSize - 2); },
      "resource directory: data entry at offset " + hex(bitmap->dataEntry) + ": RVA " + hex(imageSize - 2) + " (" +
          hex(bitmap->size) + " bytes) outside the image");

  // A bitmap one row taller than its resource holds.
  {
    const uint32_t header = bitmap->dataOffset;
    const int32_t width = int32_t(l.u32(header + 4)), height = int32_t(l.u32(header + 8));
    const uint32_t colours = l.u32(header + 32) ? l.u32(header + 32) : 256;
    const uint32_t stride = (uint32_t(width) + 3) & ~3u;
    const uint32_t rows = uint32_t(height < 0 ? -height : height) + 1;
    const bool sizeGiven = l.u32(header + 20) != 0;
    add("BitmapTallerThanItsResource",
        [&](Bytes& b) {
          putU32(b, header + 8, uint32_t(height < 0 ? height - 1 : height + 1));
          if (sizeGiven) putU32(b, header + 20, stride * rows);
        },
        "bitmap " + hex(kBackgroundBitmap) + ": pixel rows at offset " + hex(40 + 4 * colours) + " (" +
            dec(uint64_t(stride) * rows) + " bytes) outside the " + dec(bitmap->size) + "-byte data",
        Stage::Bitmap, kBackgroundBitmap);
  }

  // A version block whose resource is cut to half its length.
  {
    auto version = findResource(l, tree, gb::pe::kResourceTypeVersion, kVersionId, kEnglishUs);
    if (!version) return version.error();
    const uint32_t half = version->size / 2;
    add("VersionBlockCutShort", [&](Bytes& b) { putU32(b, tree + version->dataEntry + 4, half); },
        "version block " + hex(kVersionId) + ": VS_VERSION_INFO at offset 0x0 claims " +
            dec(loadU16(module.data() + version->dataOffset)) + " bytes, but only " + dec(half) + " remain",
        Stage::VersionBlock, kVersionId);
  }
  return cases;
}

std::string benchError(const Case& c) {
  auto file = gb::pe::parsePe(c.bytes);
  if (!file) return file.error().message;
  if (c.stage == Stage::Parse) return "";
  const uint32_t type = c.stage == Stage::Bitmap ? gb::pe::kResourceTypeBitmap : gb::pe::kResourceTypeVersion;
  const gb::pe::Resource* resource = file->findResource(type, c.resourceId, kEnglishUs);
  if (!resource) return "no resource " + hex(c.resourceId);
  auto bytes = file->resourceBytes(*resource);
  if (!bytes) return bytes.error().message;
  if (c.stage == Stage::Bitmap) {
    auto bitmap = gb::res::decodeBitmap(*bytes, "bitmap " + hex(c.resourceId));
    return bitmap ? "" : bitmap.error().message;
  }
  auto block = gb::res::decodeVersionBlock(*bytes, "version block " + hex(c.resourceId));
  return block ? "" : block.error().message;
}

}  // namespace corruption
