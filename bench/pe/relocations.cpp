// The base relocation table: blocks of 16-bit entries for one 4 KiB page
// each. An i386 image uses only HIGHLOW fixups (a 32-bit address) and
// ABSOLUTE entries that pad a block to a 4-byte multiple.
#include "pe/pe_internal.h"
#include "support/byte_reader.h"

namespace gb::pe::detail {
namespace {

constexpr uint32_t kBlockHeaderSize = 8;
constexpr unsigned kTypeAbsolute = 0;
constexpr unsigned kTypeHighLow = 3;

}  // namespace

Status parseRelocations(PeFile& file) {
  if (file.directories.size() <= kBaseRelocationDirectory) return Ok{};
  DataDirectory directory = file.directories[kBaseRelocationDirectory];
  if (directory.size == 0) return Ok{};
  auto bytes = fileBytesAtRva(file, directory.rva, directory.size, "base relocations: directory");
  if (!bytes) return bytes.error();
  ByteReader table(*bytes, "base relocations");

  uint64_t offset = 0;
  while (offset < table.size()) {
    std::string block = "base relocations: block at offset " + hex(offset);
    if (!table.contains(offset, kBlockHeaderSize))
      return Error{block + " has no room for its 8-byte header before the directory end " +
                   hex(table.size())};
    uint32_t pageRva = loadU32(table.bytes().data() + offset);
    uint32_t blockSize = loadU32(table.bytes().data() + offset + 4);
    if (blockSize == 0) return Error{block + " has size 0"};
    if (blockSize < kBlockHeaderSize)
      return Error{block + " has size " + hex(blockSize) + ", below its 8-byte header"};
    if (blockSize % 2 != 0) return Error{block + " has odd size " + hex(blockSize)};
    if (!table.contains(offset, blockSize))
      return Error{block + " with size " + hex(blockSize) + " runs past the directory end " +
                   hex(table.size())};

    for (uint64_t at = offset + kBlockHeaderSize; at < offset + blockSize; at += 2) {
      uint16_t entry = loadU16(table.bytes().data() + at);
      unsigned type = entry >> 12;
      uint64_t rva = uint64_t(pageRva) + (entry & 0x0FFF);
      if (type == kTypeAbsolute) continue;
      if (type != kTypeHighLow)
        return Error{"base relocations: entry at offset " + hex(at) + " has type " + hex(type) +
                     ", only ABSOLUTE (0x0) and HIGHLOW (0x3) are supported"};
      if (rva + 4 > file.sizeOfImage)
        return Error{"base relocations: entry at offset " + hex(at) + " fixes RVA " + hex(rva) +
                     ", outside the " + hex(file.sizeOfImage) + "-byte image"};
      file.relocations.push_back(uint32_t(rva));
    }
    offset += blockSize;
  }
  return Ok{};
}

}  // namespace gb::pe::detail
