// The export directory: the library name, the ordinal base, the address
// table (one RVA per ordinal) and the parallel name pointer and name ordinal
// tables that give some of those ordinals a name.
#include <algorithm>
#include <vector>

#include "pe/pe_internal.h"
#include "support/byte_reader.h"

namespace gb::pe::detail {
namespace {

constexpr uint32_t kDirectorySize = 40;
// Ordinals are 16-bit: no table may hold more entries than they can number.
constexpr uint32_t kMaxEntries = 0x10000;
constexpr size_t kMaxNameLength = 4096;

Result<std::string> stringAtRva(const PeFile& file, uint32_t rva, const std::string& what) {
  auto bytes = fileBytesFromRva(file, rva, what);
  if (!bytes) return bytes.error();
  auto text = ByteReader(*bytes, what).cString(0, "name", kMaxNameLength);
  if (!text)
    return Error{what + " at RVA " + hex(rva) + " has no terminating NUL within " +
                 hex(std::min(bytes->size(), kMaxNameLength)) + " bytes"};
  return text;
}

}  // namespace

Status parseExports(PeFile& file) {
  if (file.directories.size() <= kExportDirectory) return Ok{};
  DataDirectory directory = file.directories[kExportDirectory];
  if (directory.rva == 0 && directory.size == 0) return Ok{};
  if (directory.size < kDirectorySize)
    return Error{"export table: directory size " + hex(directory.size) + " is below the " +
                 hex(kDirectorySize) + "-byte export directory"};
  auto header = fileBytesAtRva(file, directory.rva, kDirectorySize, "export table: directory");
  if (!header) return header.error();
  const uint8_t* h = header->data();
  uint32_t nameRva = loadU32(h + 12);
  uint32_t ordinalBase = loadU32(h + 16);
  uint32_t functionCount = loadU32(h + 20);
  uint32_t nameCount = loadU32(h + 24);
  uint32_t addressTableRva = loadU32(h + 28);
  uint32_t namePointerRva = loadU32(h + 32);
  uint32_t ordinalTableRva = loadU32(h + 36);

  if (functionCount > kMaxEntries || nameCount > kMaxEntries)
    return Error{"export table: " + hex(functionCount) + " addresses and " + hex(nameCount) +
                 " names exceed the " + hex(kMaxEntries) + " that 16-bit ordinals can number"};
  if (functionCount != 0 && uint64_t(ordinalBase) + functionCount - 1 > 0xFFFFFFFF)
    return Error{"export table: ordinal base " + hex(ordinalBase) + " with " +
                 hex(functionCount) + " addresses overflows 32 bits"};

  ExportTable& table = file.exports;
  table.ordinalBase = ordinalBase;
  auto dllName = stringAtRva(file, nameRva, "export table: name");
  if (!dllName) return dllName.error();
  table.dllName = std::move(*dllName);

  auto addresses = fileBytesAtRva(file, addressTableRva, uint64_t(functionCount) * 4,
                                  "export table: address table");
  if (!addresses) return addresses.error();
  auto namePointers = fileBytesAtRva(file, namePointerRva, uint64_t(nameCount) * 4,
                                     "export table: name pointer table");
  if (!namePointers) return namePointers.error();
  auto ordinals = fileBytesAtRva(file, ordinalTableRva, uint64_t(nameCount) * 2,
                                 "export table: ordinal table");
  if (!ordinals) return ordinals.error();

  // Names of each address-table index, in name-table order.
  std::vector<std::vector<std::string>> namesOf(functionCount);
  for (uint32_t i = 0; i < nameCount; ++i) {
    uint16_t index = loadU16(ordinals->data() + 2 * i);
    if (index >= functionCount)
      return Error{"export table: name " + std::to_string(i) + " has ordinal index " + hex(index) +
                   ", past the " + hex(functionCount) + "-entry address table"};
    auto name = stringAtRva(file, loadU32(namePointers->data() + 4 * i),
                            "export table: name " + std::to_string(i));
    if (!name) return name.error();
    namesOf[index].push_back(std::move(*name));
  }

  uint64_t directoryEnd = uint64_t(directory.rva) + directory.size;
  for (uint32_t i = 0; i < functionCount; ++i) {
    uint32_t rva = loadU32(addresses->data() + 4 * i);
    uint32_t ordinal = ordinalBase + i;
    if (rva == 0) {  // an unused ordinal
      if (!namesOf[i].empty())
        return Error{"export table: name \"" + namesOf[i].front() + "\" names ordinal " +
                     hex(ordinal) + ", which has no address"};
      continue;
    }
    std::string what = "export table: ordinal " + hex(ordinal);
    if (rva >= file.sizeOfImage) return Error{what + " RVA " + hex(rva) + " outside the image"};
    // An address inside the export directory is a forwarder string
    // ("OTHER.Name"); the bench loads no other library, so it cannot follow one.
    if (rva >= directory.rva && rva < directoryEnd)
      return Error{what + " RVA " + hex(rva) +
                   " lies inside the export directory: a forwarder, which is not supported"};
    if (namesOf[i].empty()) table.entries.push_back(Export{"", ordinal, rva});
    for (std::string& name : namesOf[i]) table.entries.push_back(Export{std::move(name), ordinal, rva});
  }
  return Ok{};
}

}  // namespace gb::pe::detail
