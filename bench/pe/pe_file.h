// A parsed 32-bit PE image (DLL or EXE for i386): headers, sections, base
// relocations, exports and the resource directory. Parsing validates every
// offset and RVA it follows; a malformed or foreign file is refused with an
// error naming the table and the offset.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "support/result.h"

namespace gb::pe {

inline constexpr uint16_t kMachineI386 = 0x014C;
inline constexpr uint16_t kOptionalMagicPe32 = 0x010B;
inline constexpr uint32_t kResourceTypeBitmap = 2;
inline constexpr uint32_t kResourceTypeVersion = 16;

struct DataDirectory {
  uint32_t rva = 0;
  uint32_t size = 0;
};

enum DirectoryIndex : unsigned {
  kExportDirectory = 0,
  kImportDirectory = 1,
  kResourceDirectory = 2,
  kBaseRelocationDirectory = 5,
};

struct Section {
  std::string name;
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawOffset = 0;
  uint32_t rawSize = 0;
  uint32_t characteristics = 0;

  bool executable() const { return characteristics & 0x20000000; }
  bool readable() const { return characteristics & 0x40000000; }
  bool writable() const { return characteristics & 0x80000000; }
  // Extent in the loaded image: the larger of the virtual and raw sizes.
  uint32_t mappedSize() const { return virtualSize > rawSize ? virtualSize : rawSize; }
};

struct Export {
  std::string name;  // empty for an export by ordinal only
  uint32_t ordinal = 0;
  uint32_t rva = 0;
};

struct ExportTable {
  std::string dllName;
  uint32_t ordinalBase = 0;
  std::vector<Export> entries;
};

// One leaf of the three-level resource tree (type / id / language). Named
// types or ids are kept by name with `id` 0.
struct Resource {
  uint32_t type = 0;
  uint32_t id = 0;
  uint32_t language = 0;
  std::string typeName;
  std::string idName;
  uint32_t dataRva = 0;
  uint32_t size = 0;
  uint32_t codePage = 0;
};

struct PeFile {
  std::vector<uint8_t> bytes;  // the whole file

  uint16_t machine = 0;
  uint16_t characteristics = 0;
  uint32_t timeDateStamp = 0;
  uint32_t imageBase = 0;
  uint32_t sizeOfImage = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t entryRva = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t checksum = 0;
  uint32_t optionalHeaderOffset = 0;  // file offset of the optional header
  std::vector<DataDirectory> directories;
  std::vector<Section> sections;
  std::vector<uint32_t> relocations;  // RVAs of 32-bit HIGHLOW fixups, in table order
  ExportTable exports;
  std::vector<Resource> resources;

  bool isDll() const { return characteristics & 0x2000; }

  // Bytes of [rva, rva + size) as the file holds them; the range must lie
  // within one section's raw data (or the headers).
  Result<std::span<const uint8_t>> bytesAtRva(uint32_t rva, uint32_t size,
                                              const std::string& what) const;

  // The image as a loader lays it out at its preferred base: sizeOfImage
  // bytes, headers and each section's raw data at its RVA, zero elsewhere.
  std::vector<uint8_t> buildImage() const;

  const Export* findExport(const std::string& name) const;
  const Resource* findResource(uint32_t type, uint32_t id, uint32_t language) const;
  Result<std::span<const uint8_t>> resourceBytes(const Resource& resource) const;
};

Result<PeFile> parsePe(std::vector<uint8_t> bytes);
// Reads and parses a file; errors are prefixed with the path.
Result<PeFile> loadPeFile(const std::string& path);

// Applies the base relocations to an image built by buildImage() so that it
// runs at `newBase`.
Status applyRelocations(std::span<uint8_t> image, const PeFile& file, uint32_t newBase);

}  // namespace gb::pe
