// The DOS stub header, the PE signature, the COFF file header, the PE32
// optional header with its data directories, and the section table.
#include <string>

#include "pe/pe_internal.h"
#include "support/byte_reader.h"

namespace gb::pe::detail {
namespace {

constexpr uint32_t kDosHeaderSize = 64;
constexpr uint32_t kLfanewOffset = 0x3C;
constexpr uint16_t kDosMagic = 0x5A4D;           // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;    // "PE\0\0"
constexpr uint16_t kOptionalMagicPe32Plus = 0x020B;
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint32_t kOptionalFixedSize = 96;  // PE32 fields before the data directories
constexpr uint32_t kDataDirectorySize = 8;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr unsigned kCertificateDirectory = 4;  // holds a file offset, not an RVA

const char* directoryName(unsigned index) {
  static const char* const names[] = {
      "export", "import", "resource", "exception", "certificate", "base relocation",
      "debug", "architecture", "global pointer", "TLS", "load config", "bound import",
      "import address", "delay import", "CLR runtime", "reserved"};
  return index < std::size(names) ? names[index] : "unknown";
}

std::string sectionLabel(size_t index, const Section& section) {
  return "section " + std::to_string(index + 1) + " (" + section.name + ")";
}

// Returns the file offset of the COFF header.
Result<uint32_t> parseDosHeader(const ByteReader& file) {
  if (file.size() < 2 || loadU16(file.bytes().data()) != kDosMagic) {
    std::string found = file.size() < 2 ? "only " + hex(file.size()) + " bytes"
                                        : "magic " + hex(loadU16(file.bytes().data())) +
                                              " at offset 0x0";
    return Error{"DOS header: not an MZ file (" + found + ")"};
  }
  if (file.size() < kDosHeaderSize)
    return Error{"DOS header: file of " + hex(file.size()) + " bytes is shorter than the " +
                 std::to_string(kDosHeaderSize) + "-byte DOS header"};
  uint32_t lfanew = loadU32(file.bytes().data() + kLfanewOffset);
  if (!file.contains(lfanew, 4))
    return Error{"DOS header: e_lfanew " + hex(lfanew) + " at offset " + hex(kLfanewOffset) +
                 " points past the end of the " + hex(file.size()) + "-byte file"};
  uint32_t signature = loadU32(file.bytes().data() + lfanew);
  if (signature != kPeSignature)
    return Error{"PE header: no \"PE\\0\\0\" signature at offset " + hex(lfanew) + " (found " +
                 hex(signature) + ")"};
  return lfanew + 4;
}

Status parseOptionalHeader(PeFile& pe, const ByteReader& file, uint32_t offset, uint16_t size) {
  ByteReader whole(file.bytes(), "optional header");
  auto magic = whole.u16(offset, "magic");
  if (!magic) return magic.error();
  if (*magic == kOptionalMagicPe32Plus)
    return Error{"optional header: magic " + hex(*magic) + " at offset " + hex(offset) +
                 " marks a 64-bit (PE32+) image; only PE32 is supported"};
  if (*magic != kOptionalMagicPe32)
    return Error{"optional header: magic " + hex(*magic) + " at offset " + hex(offset) +
                 " is not PE32 (" + hex(kOptionalMagicPe32) + ")"};
  if (pe.machine != kMachineI386)
    return Error{"PE header: machine " + hex(pe.machine) + " at offset " + hex(offset - 20) +
                 " is not i386 (" + hex(kMachineI386) + ")"};
  if (size < kOptionalFixedSize)
    return Error{"optional header: size " + hex(size) + " at offset " + hex(offset - 4) +
                 " is too small for the " + hex(kOptionalFixedSize) + "-byte PE32 fields"};
  if (!file.contains(offset, size))
    return Error{"optional header: size " + hex(size) + " at offset " + hex(offset) +
                 " runs past the end of the " + hex(file.size()) + "-byte file"};

  // From here every field read is confined to the declared header.
  ByteReader header(file.bytes().subspan(offset, size), "optional header");
  auto field = [&](uint32_t at) { return loadU32(header.bytes().data() + at); };
  pe.optionalHeaderOffset = offset;
  pe.entryRva = field(16);
  pe.imageBase = field(28);
  pe.sectionAlignment = field(32);
  pe.fileAlignment = field(36);
  pe.sizeOfImage = field(56);
  pe.sizeOfHeaders = field(60);
  pe.checksum = field(64);
  uint32_t directoryCount = field(92);

  uint64_t needed = kOptionalFixedSize + uint64_t(directoryCount) * kDataDirectorySize;
  if (needed > size)
    return Error{"optional header: " + hex(directoryCount) + " data directories at offset " +
                 hex(offset + 92) + " need " + hex(needed) + " bytes, more than its size " +
                 hex(size)};
  if (pe.sizeOfImage > kMaxImageSize)
    return Error{"optional header: SizeOfImage " + hex(pe.sizeOfImage) + " at offset " +
                 hex(offset + 56) + " exceeds the limit " + hex(kMaxImageSize)};
  if (pe.sizeOfHeaders > pe.sizeOfImage || pe.sizeOfHeaders > file.size())
    return Error{"optional header: SizeOfHeaders " + hex(pe.sizeOfHeaders) + " at offset " +
                 hex(offset + 60) + " exceeds SizeOfImage " + hex(pe.sizeOfImage) +
                 " or the " + hex(file.size()) + "-byte file"};
  if (pe.entryRva != 0 && pe.entryRva >= pe.sizeOfImage)
    return Error{"optional header: entry point RVA " + hex(pe.entryRva) + " at offset " +
                 hex(offset + 16) + " outside the " + hex(pe.sizeOfImage) + "-byte image"};

  pe.directories.resize(directoryCount);
  for (uint32_t i = 0; i < directoryCount; ++i) {
    uint32_t at = kOptionalFixedSize + i * kDataDirectorySize;
    pe.directories[i] = DataDirectory{field(at), field(at + 4)};
  }
  return Ok{};
}

// Data directories are checked once the sections are known: apart from the
// certificate table (a file offset) each must lie inside the image.
Status checkDirectories(const PeFile& pe) {
  for (unsigned i = 0; i < pe.directories.size(); ++i) {
    const DataDirectory& d = pe.directories[i];
    if (d.rva == 0 && d.size == 0) continue;
    uint64_t end = uint64_t(d.rva) + d.size;
    uint32_t entryOffset = pe.optionalHeaderOffset + kOptionalFixedSize + i * kDataDirectorySize;
    if (i == kCertificateDirectory) {
      if (end > pe.bytes.size())
        return Error{"optional header: certificate directory at offset " + hex(entryOffset) +
                     " (file offset " + hex(d.rva) + ", " + hex(d.size) +
                     " bytes) runs past the end of the " + hex(pe.bytes.size()) + "-byte file"};
      continue;
    }
    if (end > pe.sizeOfImage)
      return Error{"optional header: " + std::string(directoryName(i)) + " directory at offset " +
                   hex(entryOffset) + " (RVA " + hex(d.rva) + ", " + hex(d.size) +
                   " bytes) lies outside the " + hex(pe.sizeOfImage) + "-byte image"};
  }
  return Ok{};
}

Status parseSectionTable(PeFile& pe, const ByteReader& file, uint32_t offset, uint16_t count) {
  uint64_t length = uint64_t(count) * kSectionHeaderSize;
  if (!file.contains(offset, length))
    return Error{"section table: " + std::to_string(count) + " sections at offset " + hex(offset) +
                 " (" + hex(length) + " bytes) run past the end of the " + hex(file.size()) +
                 "-byte file"};
  pe.sections.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* h = file.bytes().data() + offset + i * kSectionHeaderSize;
    Section s;
    size_t nameLength = 0;
    while (nameLength < 8 && h[nameLength] != 0) ++nameLength;
    s.name.assign(reinterpret_cast<const char*>(h), nameLength);
    s.virtualSize = loadU32(h + 8);
    s.virtualAddress = loadU32(h + 12);
    s.rawSize = loadU32(h + 16);
    s.rawOffset = loadU32(h + 20);
    s.characteristics = loadU32(h + 36);
    uint32_t headerOffset = offset + i * kSectionHeaderSize;
    std::string label = sectionLabel(i, s);

    if (s.rawSize != 0 && !file.contains(s.rawOffset, s.rawSize))
      return Error{"section table: " + label + " at offset " + hex(headerOffset) + " has raw data " +
                   hex(s.rawOffset) + ".." + hex(uint64_t(s.rawOffset) + s.rawSize) +
                   " past the end of the " + hex(file.size()) + "-byte file"};
    uint64_t end = uint64_t(s.virtualAddress) + s.mappedSize();
    if (end > pe.sizeOfImage)
      return Error{"section table: " + label + " at offset " + hex(headerOffset) + " spans RVA " +
                   hex(s.virtualAddress) + ".." + hex(end) + ", past SizeOfImage " +
                   hex(pe.sizeOfImage)};
    if (s.virtualAddress < pe.sizeOfHeaders && s.mappedSize() != 0)
      return Error{"section table: " + label + " at offset " + hex(headerOffset) + " starts at RVA " +
                   hex(s.virtualAddress) + ", inside the headers (SizeOfHeaders " +
                   hex(pe.sizeOfHeaders) + ")"};
    // Images lay their sections out in ascending order; an overlap would make
    // the bytes at an RVA ambiguous.
    if (!pe.sections.empty()) {
      const Section& previous = pe.sections.back();
      uint64_t previousEnd = uint64_t(previous.virtualAddress) + previous.mappedSize();
      if (s.virtualAddress < previousEnd)
        return Error{"section table: " + label + " at offset " + hex(headerOffset) +
                     " starts at RVA " + hex(s.virtualAddress) + ", before the end " +
                     hex(previousEnd) + " of " + sectionLabel(i - 1, previous)};
    }
    pe.sections.push_back(std::move(s));
  }
  return Ok{};
}

}  // namespace

Status parseHeaders(PeFile& pe) {
  ByteReader file(pe.bytes, "PE header");
  auto coffOffset = parseDosHeader(file);
  if (!coffOffset) return coffOffset.error();

  auto coff = file.span(*coffOffset, kCoffHeaderSize, "COFF header");
  if (!coff) return coff.error();
  const uint8_t* c = coff->data();
  pe.machine = loadU16(c);
  uint16_t sectionCount = loadU16(c + 2);
  pe.timeDateStamp = loadU32(c + 4);
  uint16_t optionalSize = loadU16(c + 16);
  pe.characteristics = loadU16(c + 18);

  uint32_t optionalOffset = *coffOffset + kCoffHeaderSize;
  if (auto status = parseOptionalHeader(pe, file, optionalOffset, optionalSize); !status)
    return status;
  if (auto status = parseSectionTable(pe, file, optionalOffset + optionalSize, sectionCount);
      !status)
    return status;
  return checkDirectories(pe);
}

}  // namespace gb::pe::detail
