// Translation of image addresses (RVAs) to the file bytes that back them:
// the headers, or the raw data of the one section that holds the RVA.
#include <optional>

#include "pe/pe_internal.h"
#include "support/byte_reader.h"

namespace gb::pe::detail {
namespace {

// The file bytes that a loader places at [start, start + length) of the image.
struct Backing {
  uint32_t rvaStart = 0;
  std::span<const uint8_t> bytes;
};

// The headers or the section whose raw data covers `rva`, if any.
std::optional<Backing> backingOf(const PeFile& file, uint32_t rva) {
  std::span<const uint8_t> all(file.bytes);
  if (rva < file.sizeOfHeaders) return Backing{0, all.first(file.sizeOfHeaders)};
  for (const Section& s : file.sections) {
    if (rva >= s.virtualAddress && uint64_t(rva) < uint64_t(s.virtualAddress) + s.rawSize)
      return Backing{s.virtualAddress, all.subspan(s.rawOffset, s.rawSize)};
  }
  return std::nullopt;
}

}  // namespace

Result<std::span<const uint8_t>> fileBytesAtRva(const PeFile& file, uint32_t rva, uint64_t size,
                                                const std::string& what) {
  std::string where = what + " RVA " + hex(rva) + " (" + hex(size) + " bytes)";
  if (uint64_t(rva) + size > file.sizeOfImage) return Error{where + " outside the image"};
  auto backing = backingOf(file, rva);
  ByteReader reader(backing ? backing->bytes : std::span<const uint8_t>{}, what);
  uint64_t offset = backing ? rva - backing->rvaStart : 0;
  if (!backing || !reader.contains(offset, size)) return Error{where + " outside the file"};
  return backing->bytes.subspan(offset, size);
}

Result<std::span<const uint8_t>> fileBytesFromRva(const PeFile& file, uint32_t rva,
                                                  const std::string& what) {
  if (rva >= file.sizeOfImage) return Error{what + " RVA " + hex(rva) + " outside the image"};
  auto backing = backingOf(file, rva);
  if (!backing) return Error{what + " RVA " + hex(rva) + " outside the file"};
  return backing->bytes.subspan(rva - backing->rvaStart);
}

}  // namespace gb::pe::detail

namespace gb::pe {

Result<std::span<const uint8_t>> PeFile::bytesAtRva(uint32_t rva, uint32_t size,
                                                    const std::string& what) const {
  return detail::fileBytesAtRva(*this, rva, size, what);
}

}  // namespace gb::pe
