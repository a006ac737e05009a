#include "stats/file_size.h"

#include <algorithm>

#include "support/byte_reader.h"

namespace gb::stats {
namespace {

constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint32_t kSizeOfOptionalHeaderField = 16;  // within the COFF header

// What a section of this module holds, by its name.
std::string contentName(const std::string& section) {
  if (section == ".text") return "code and the read-only double";
  if (section == ".data") return "records";
  if (section == ".edata") return "export directory";
  if (section == ".reloc") return "base relocations";
  if (section == ".idata") return "import directory";
  if (section == ".rdata") return "read-only data";
  if (section == ".bss") return "zero data";
  return "contents";
}

// The resource section split into the directory tree in front, the bitmaps,
// the version block and the gaps that align each resource's data.
Status splitResources(const pe::PeFile& file, const pe::Section& section, uint64_t content,
                      std::vector<SizePart>& parts) {
  std::vector<const pe::Resource*> data;
  for (const pe::Resource& r : file.resources) data.push_back(&r);
  std::sort(data.begin(), data.end(), [](auto* a, auto* b) { return a->dataRva < b->dataRva; });
  const uint64_t start = section.virtualAddress, end = start + content;
  uint64_t directory = 0, bitmaps = 0, version = 0, other = 0, gaps = 0;
  uint64_t at = start;
  for (const pe::Resource* r : data) {
    if (r->dataRva < at || r->dataRva + uint64_t(r->size) > end)
      return Error{".rsrc: resource " + hex(r->id) + " at RVA " + hex(r->dataRva) +
                   " overlaps another or lies outside the section"};
    (at == start ? directory : gaps) += r->dataRva - at;
    if (r->type == pe::kResourceTypeBitmap) bitmaps += r->size;
    else if (r->type == pe::kResourceTypeVersion) version += r->size;
    else other += r->size;
    at = r->dataRva + uint64_t(r->size);
  }
  gaps += end - at;
  parts.push_back({".rsrc: resource directory", directory, false});
  parts.push_back({".rsrc: bitmaps", bitmaps, false});
  parts.push_back({".rsrc: version block", version, false});
  if (other) parts.push_back({".rsrc: other resources", other, false});
  parts.push_back({".rsrc: alignment between resources", gaps, true});
  return Ok{};
}

}  // namespace

uint64_t FileSize::padding() const {
  uint64_t sum = 0;
  for (const SizePart& p : parts) sum += p.padding ? p.bytes : 0;
  return sum;
}

uint64_t FileSize::bitmaps() const {
  for (const SizePart& p : parts)
    if (p.what == ".rsrc: bitmaps") return p.bytes;
  return 0;
}

Result<FileSize> measureFile(const pe::PeFile& file) {
  FileSize size;
  size.total = file.bytes.size();
  size.fileAlignment = file.fileAlignment;
  ByteReader reader(file.bytes, "PE headers");
  const uint64_t coff = uint64_t(file.optionalHeaderOffset) - kCoffHeaderSize;
  Result<uint16_t> optionalSize = reader.u16(coff + kSizeOfOptionalHeaderField, "SizeOfOptionalHeader");
  if (!optionalSize) return optionalSize.error();
  const uint64_t dosPart = coff - 4;  // DOS header and stub, up to the "PE\0\0" signature
  const uint64_t sectionTable = uint64_t(file.optionalHeaderOffset) + *optionalSize;
  const uint64_t headersUsed = sectionTable + kSectionHeaderSize * file.sections.size();
  if (headersUsed > file.sizeOfHeaders)
    return Error{"PE headers: the section table ends at " + hex(uint32_t(headersUsed)) +
                 ", past SizeOfHeaders " + hex(file.sizeOfHeaders)};
  size.parts.push_back({"headers: DOS header and stub", dosPart, false});
  size.parts.push_back({"headers: PE signature, file and optional header", sectionTable - dosPart, false});
  size.parts.push_back({"headers: section table (" + std::to_string(file.sections.size()) + " sections)",
                        headersUsed - sectionTable, false});
  size.parts.push_back({"headers: padding to the file alignment", file.sizeOfHeaders - headersUsed, true});

  uint64_t accounted = file.sizeOfHeaders;
  std::vector<const pe::Section*> inFile;
  for (const pe::Section& s : file.sections) {
    size.sectionNames.push_back(s.name);
    if (s.rawSize) inFile.push_back(&s);
  }
  std::sort(inFile.begin(), inFile.end(), [](auto* a, auto* b) { return a->rawOffset < b->rawOffset; });
  for (const pe::Section* s : inFile) {
    if (s->rawOffset < accounted)
      return Error{"section " + s->name + ": raw data at " + hex(s->rawOffset) + " overlaps what comes before it"};
    if (s->rawOffset > accounted) size.parts.push_back({"gap before " + s->name, s->rawOffset - accounted, true});
    const uint64_t content = std::min(s->virtualSize ? s->virtualSize : s->rawSize, s->rawSize);
    if (s->name == ".rsrc") {
      if (Status st = splitResources(file, *s, content, size.parts); !st) return st.error();
    } else {
      size.parts.push_back({s->name + ": " + contentName(s->name), content, false});
    }
    size.parts.push_back({s->name + ": padding to the file alignment", s->rawSize - content, true});
    accounted = uint64_t(s->rawOffset) + s->rawSize;
  }
  if (accounted < size.total) size.parts.push_back({"after the last section", size.total - accounted, true});
  return size;
}

}  // namespace gb::stats
