// The well-formed image the PE reader's tests start from: a DLL with a code
// section and a read-only data section that holds the export directory, the
// resource tree and the base relocations. Every table is a plain byte vector
// so a test can replace or patch it before the image is written.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "pe_builder.h"

namespace pe_test {

struct Fixture {
  static constexpr uint32_t kImageBase = 0x10000000;
  static constexpr uint32_t kTextRva = 0x1000;
  static constexpr uint32_t kRdataRva = 0x2000;
  static constexpr uint32_t kRdataVirtualSize = 0x2000;  // raw data covers less: the rest is zero fill
  static constexpr uint32_t kExportRva = 0x2000;
  static constexpr uint32_t kPointerInRdata = 0x2100;  // a relocated word in .rdata
  static constexpr uint32_t kResourceRva = 0x2200;
  static constexpr uint32_t kImageSize = 0x4000;

  PeBuilder pe;
  std::vector<uint8_t> text;
  std::vector<uint8_t> exports;
  std::vector<uint8_t> resources;
  std::vector<uint8_t> relocations;

  Fixture() {
    pe.imageBase = kImageBase;
    pe.entryRva = kTextRva;
    pe.sizeOfImage = kImageSize;

    text.assign(0x100, 0x90);  // nop
    putU32(text, 0x10, kImageBase + 0x1040);  // addresses the relocations fix
    putU32(text, 0x20, kImageBase + kPointerInRdata);
    putU32(text, 0x30, 0x10);  // an odd value under a fixup: the move wraps around 2^32

    // Name table sorted: "Beta" is index 1, "Gamma" index 0; index 2 has no name.
    exports = exportTable(kExportRva, "fixture.dll", 3, {0x1040, 0x1080, 0x10C0},
                          {{"Beta", 1}, {"Gamma", 0}});

    resources = resourceTree(kResourceRva, {
        {2, u"", 0x1000, u"", 0x409, {1, 2, 3, 4, 5}, 0},
        {2, u"", 0x2000, u"", 0x409, {6, 7}, 0},
        {2, u"", 0x2000, u"", 0x407, {8}, 0},
        {16, u"", 1, u"", 0x409, {9, 9, 9, 9}, 1200},
        {0, u"PICTURE", 0, u"Gr\u00fc\u00dfe\U0001F600", 0, {10}, 0},
    });

    relocations = relocationBlock(kTextRva, {0x3010, 0x3020, 0x3030, 0x0000});
    auto second = relocationBlock(kRdataRva, {0x3000 | (kPointerInRdata - kRdataRva), 0x0000});
    relocations.insert(relocations.end(), second.begin(), second.end());
  }

  uint32_t relocationRva() const {
    return kResourceRva + (uint32_t(resources.size()) + 0xF) / 0x10 * 0x10;
  }

  std::vector<uint8_t> rdata() const {
    std::vector<uint8_t> out(relocationRva() - kRdataRva + relocations.size(), 0);
    std::copy(exports.begin(), exports.end(), out.begin() + (kExportRva - kRdataRva));
    putU32(out, kPointerInRdata - kRdataRva, kImageBase + 0x1080);
    std::copy(resources.begin(), resources.end(), out.begin() + (kResourceRva - kRdataRva));
    std::copy(relocations.begin(), relocations.end(), out.begin() + (relocationRva() - kRdataRva));
    return out;
  }

  PeBuilder builder() const {
    PeBuilder b = pe;
    b.sections = {{".text", kTextRva, uint32_t(text.size()), text, kCode},
                  {".rdata", kRdataRva, kRdataVirtualSize, rdata(), kReadOnlyData}};
    b.directories[0] = {kExportRva, uint32_t(exports.size())};
    b.directories[2] = {kResourceRva, uint32_t(resources.size())};
    b.directories[5] = {relocationRva(), uint32_t(relocations.size())};
    return b;
  }

  std::vector<uint8_t> bytes() const { return builder().build(); }
};

}  // namespace pe_test
