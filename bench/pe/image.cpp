// The loaded image: headers and sections laid out at their RVAs, and the
// base relocations that move it to another address.
#include <algorithm>

#include "pe/pe_file.h"
#include "support/byte_reader.h"

namespace gb::pe {

std::vector<uint8_t> PeFile::buildImage() const {
  // parsePe() has checked that the headers and every section's raw data lie
  // inside both the file and SizeOfImage.
  std::vector<uint8_t> image(sizeOfImage, 0);
  std::copy_n(bytes.begin(), sizeOfHeaders, image.begin());
  for (const Section& s : sections) {
    assert(uint64_t(s.virtualAddress) + s.rawSize <= image.size());
    assert(uint64_t(s.rawOffset) + s.rawSize <= bytes.size());
    std::copy_n(bytes.begin() + s.rawOffset, s.rawSize, image.begin() + s.virtualAddress);
  }
  return image;
}

Status applyRelocations(std::span<uint8_t> image, const PeFile& file, uint32_t newBase) {
  uint32_t delta = newBase - file.imageBase;  // modulo 2^32, as the loader computes it
  for (uint32_t rva : file.relocations) {
    if (uint64_t(rva) + 4 > image.size())
      return Error{"base relocations: fixup at RVA " + hex(rva) + " outside the " +
                   hex(image.size()) + "-byte image"};
    uint8_t* word = image.data() + rva;
    storeU32(word, loadU32(word) + delta);
  }
  return Ok{};
}

}  // namespace gb::pe
