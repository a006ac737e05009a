// A small writer of PE32 images for the PE reader's tests: headers, a
// section table, section raw data, and encoders for the export, base
// relocation and resource tables. It writes well-formed images; tests break
// them on purpose by changing a field or patching bytes afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pe_test {

// Where the builder puts things in the file.
inline constexpr uint32_t kPeOffset = 0x80;  // e_lfanew
inline constexpr uint32_t kCoffOffset = kPeOffset + 4;
inline constexpr uint32_t kOptionalOffset = kCoffOffset + 20;
inline constexpr uint32_t kOptionalSize = 0xE0;  // 96 fixed bytes + 16 directories
inline constexpr uint32_t kSectionTableOffset = kOptionalOffset + kOptionalSize;
inline constexpr uint32_t kFileAlignment = 0x200;

inline constexpr uint32_t kCode = 0x60000020;       // code, execute, read
inline constexpr uint32_t kReadOnlyData = 0x40000040;  // initialised data, read

struct SectionSpec {
  std::string name;
  uint32_t rva = 0;
  uint32_t virtualSize = 0;
  std::vector<uint8_t> data;  // raw data, padded to the file alignment on writing
  uint32_t characteristics = 0;
};

struct PeBuilder {
  uint16_t machine = 0x14C;
  uint16_t optionalMagic = 0x10B;
  uint16_t characteristics = 0x2102;  // DLL, 32-bit machine, executable image
  uint32_t timeDateStamp = 0;
  uint32_t imageBase = 0x10000000;
  uint32_t entryRva = 0;
  uint32_t sizeOfImage = 0;  // 0: the end of the last section, rounded to 0x1000
  std::array<std::pair<uint32_t, uint32_t>, 16> directories{};  // RVA, size
  std::vector<SectionSpec> sections;

  // File offset of section `index`'s raw data in the written file.
  uint32_t rawOffset(size_t index) const;
  std::vector<uint8_t> build() const;
};

// One base relocation block: page RVA, size, then the 16-bit entries as given.
std::vector<uint8_t> relocationBlock(uint32_t pageRva, const std::vector<uint16_t>& entries);

// An export directory placed at `rva`, followed by its tables and strings.
// `names` pairs each name with its address-table index and must be sorted.
std::vector<uint8_t> exportTable(uint32_t rva, const std::string& dllName, uint32_t ordinalBase,
                                 const std::vector<uint32_t>& addresses,
                                 const std::vector<std::pair<std::string, uint16_t>>& names);

// One resource; a non-empty name replaces the numeric type or id.
struct ResourceSpec {
  uint32_t type = 0;
  std::u16string typeName;
  uint32_t id = 0;
  std::u16string idName;
  uint32_t language = 0;
  std::vector<uint8_t> data;
  uint32_t codePage = 0;
};

// A three-level resource tree placed at `rva`: the directories (breadth
// first), the data entries, the name strings, then the data.
std::vector<uint8_t> resourceTree(uint32_t rva, const std::vector<ResourceSpec>& resources);

void putU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);
void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
uint32_t getU32(const std::vector<uint8_t>& bytes, size_t offset);

}  // namespace pe_test
