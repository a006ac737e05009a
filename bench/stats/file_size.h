// Where the bytes of a module file go: headers, each section's content by
// what it holds, and the padding that file alignment adds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pe/pe_file.h"
#include "support/result.h"

namespace gb::stats {

struct SizePart {
  std::string what;
  uint64_t bytes = 0;
  bool padding = false;  // alignment waste
};

struct FileSize {
  uint64_t total = 0;
  uint32_t fileAlignment = 0;
  std::vector<std::string> sectionNames;
  std::vector<SizePart> parts;  // in file order; they add up to `total`
  uint64_t padding() const;
  uint64_t bitmaps() const;
};

inline constexpr uint64_t kFileSizeGoal = 262144;
inline constexpr uint64_t kBitmapBytes = 257056;

Result<FileSize> measureFile(const pe::PeFile& file);

}  // namespace gb::stats
