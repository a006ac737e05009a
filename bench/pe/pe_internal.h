// Pieces of the PE reader shared between its files: the parsers of each
// table, called in order by parsePe(), and the RVA-to-file translation that
// every table read goes through.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "pe/pe_file.h"

namespace gb::pe::detail {

// Upper bound on SizeOfImage: far beyond any gauge, small enough that
// buildImage() cannot be made to allocate gigabytes by a hostile header.
inline constexpr uint32_t kMaxImageSize = 0x10000000;

// The file bytes backing [rva, rva + size): inside the headers or inside one
// section's raw data. `what` leads the error ("export table: name").
Result<std::span<const uint8_t>> fileBytesAtRva(const PeFile& file, uint32_t rva, uint64_t size,
                                                const std::string& what);
// The file bytes from `rva` to the end of the headers or section holding it.
Result<std::span<const uint8_t>> fileBytesFromRva(const PeFile& file, uint32_t rva,
                                                  const std::string& what);

// Each fills its part of `file` from `file.bytes` and the parts before it.
Status parseHeaders(PeFile& file);
Status parseRelocations(PeFile& file);
Status parseExports(PeFile& file);
Status parseResources(PeFile& file);

}  // namespace gb::pe::detail
