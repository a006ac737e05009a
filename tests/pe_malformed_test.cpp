// Malformed and foreign images: each is the well-formed fixture broken in one
// place, and each must be refused with exactly the message given.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pe/pe_file.h"
#include "pe_fixture.h"

namespace {

using pe_test::Fixture;
using pe_test::PeBuilder;
using pe_test::putU16;
using pe_test::putU32;
using Bytes = std::vector<uint8_t>;

// The fixture's file is 0x800 bytes: headers, .text and .rdata 0x200 each.
constexpr uint32_t kCoff = pe_test::kCoffOffset;          // 0x84
constexpr uint32_t kOptional = pe_test::kOptionalOffset;  // 0x98
constexpr uint32_t kSection1 = pe_test::kSectionTableOffset;  // 0x178
constexpr uint32_t kSection2 = kSection1 + 40;                // 0x1a0
constexpr uint32_t directoryEntry(unsigned index) { return kOptional + 96 + 8 * index; }

struct MalformedCase {
  const char* name;
  std::function<Bytes()> make;
  const char* error;
};

std::ostream& operator<<(std::ostream& out, const MalformedCase& c) { return out << c.name; }

Bytes patchedFile(const std::function<void(Bytes&)>& patch) {
  Bytes bytes = Fixture().bytes();
  patch(bytes);
  return bytes;
}

Bytes withBuilder(const std::function<void(PeBuilder&)>& change) {
  PeBuilder builder = Fixture().builder();
  change(builder);
  return builder.build();
}

Bytes withFixture(const std::function<void(Fixture&)>& change) {
  Fixture fixture;
  change(fixture);
  return fixture.bytes();
}

// A fixture whose resource tree holds one resource, type 2, id 1, language
// 0x409: root directory at 0x0 (entry 0x10), type directory at 0x18 (entry
// 0x28), id directory at 0x30 (entry 0x40), data entry at 0x48, 4 data bytes
// at 0x58; 0x5c bytes in all.
Bytes withOneResource(const std::function<void(Bytes&)>& patch) {
  return withFixture([&](Fixture& f) {
    f.resources = pe_test::resourceTree(Fixture::kResourceRva, {{2, u"", 1, u"", 0x409, {1, 2, 3, 4}, 0}});
    patch(f.resources);
  });
}

// A resource tree that shares its subdirectories: 300 types all lead to one
// directory of 300 names, which all lead to one language. Small on disk, it
// unfolds into 90000 leaves.
Bytes withSharedResourceDirectories() {
  return withFixture([](Fixture& f) {
    const uint32_t fanOut = 300;
    const uint32_t names = 16 + 8 * fanOut, languages = names + 16 + 8 * fanOut;
    const uint32_t dataEntry = languages + 16 + 8;
    Bytes tree(dataEntry + 16, 0);
    putU16(tree, 14, fanOut);
    putU16(tree, names + 14, fanOut);
    for (uint32_t i = 0; i < fanOut; ++i) {
      putU32(tree, 16 + 8 * i, i + 1);
      putU32(tree, 20 + 8 * i, 0x80000000 | names);
      putU32(tree, names + 16 + 8 * i, i + 1);
      putU32(tree, names + 20 + 8 * i, 0x80000000 | languages);
    }
    putU16(tree, languages + 14, 1);
    putU32(tree, languages + 16, 0x409);
    putU32(tree, languages + 20, dataEntry);
    putU32(tree, dataEntry, Fixture::kResourceRva);
    putU32(tree, dataEntry + 4, 4);
    f.resources = tree;
  });
}

const MalformedCase kCases[] = {
    // DOS header and signature
    {"NotMz", [] { return patchedFile([](Bytes& b) { b[0] = 'X'; }); },
     "DOS header: not an MZ file (magic 0x5a58 at offset 0x0)"},
    {"OneByte", [] { return Bytes{'M'}; }, "DOS header: not an MZ file (only 0x1 bytes)"},
    {"ShortDosHeader", [] { return patchedFile([](Bytes& b) { b.resize(0x10); }); },
     "DOS header: file of 0x10 bytes is shorter than the 64-byte DOS header"},
    {"LfanewPastEnd", [] { return patchedFile([](Bytes& b) { putU32(b, 0x3C, 0x10000); }); },
     "DOS header: e_lfanew 0x10000 at offset 0x3c points past the end of the 0x800-byte file"},
    {"LfanewSignatureCutShort", [] { return patchedFile([](Bytes& b) { putU32(b, 0x3C, 0x7FD); }); },
     "DOS header: e_lfanew 0x7fd at offset 0x3c points past the end of the 0x800-byte file"},
    {"NoPeSignature", [] { return patchedFile([](Bytes& b) { b[0x81] = 'X'; }); },
     "PE header: no \"PE\\0\\0\" signature at offset 0x80 (found 0x5850)"},
    {"CoffHeaderCutShort", [] { return patchedFile([](Bytes& b) { b.resize(0x90); }); },
     "PE header: COFF header at offset 0x84 (20 bytes) outside the 144-byte data"},

    // Optional header
    {"Pe32Plus", [] { return withBuilder([](PeBuilder& p) { p.machine = 0x8664; p.optionalMagic = 0x20B; }); },
     "optional header: magic 0x20b at offset 0x98 marks a 64-bit (PE32+) image; only PE32 is supported"},
    {"RomImage", [] { return withBuilder([](PeBuilder& p) { p.optionalMagic = 0x107; }); },
     "optional header: magic 0x107 at offset 0x98 is not PE32 (0x10b)"},
    {"ArmMachine", [] { return withBuilder([](PeBuilder& p) { p.machine = 0x1C0; }); },
     "PE header: machine 0x1c0 at offset 0x84 is not i386 (0x14c)"},
    {"OptionalHeaderTooSmall", [] { return patchedFile([](Bytes& b) { putU16(b, kCoff + 16, 0x40); }); },
     "optional header: size 0x40 at offset 0x94 is too small for the 0x60-byte PE32 fields"},
    {"OptionalHeaderTooSmallForDirectories",
     [] { return patchedFile([](Bytes& b) { putU16(b, kCoff + 16, 0x80); }); },
     "optional header: 0x10 data directories at offset 0xf4 need 0xe0 bytes, more than its size 0x80"},
    {"DirectoryCountHuge", [] { return patchedFile([](Bytes& b) { putU32(b, kOptional + 92, 0xFFFFFFFF); }); },
     "optional header: 0xffffffff data directories at offset 0xf4 need 0x800000058 bytes, more than "
     "its size 0xe0"},
    {"OptionalHeaderPastEnd", [] { return patchedFile([](Bytes& b) { putU16(b, kCoff + 16, 0xFFFF); }); },
     "optional header: size 0xffff at offset 0x98 runs past the end of the 0x800-byte file"},
    {"SizeOfImageHuge", [] { return withBuilder([](PeBuilder& p) { p.sizeOfImage = 0xFFFFF000; }); },
     "optional header: SizeOfImage 0xfffff000 at offset 0xd0 exceeds the limit 0x10000000"},
    {"SizeOfHeadersPastImage", [] { return patchedFile([](Bytes& b) { putU32(b, kOptional + 60, 0x5000); }); },
     "optional header: SizeOfHeaders 0x5000 at offset 0xd4 exceeds SizeOfImage 0x4000 or the "
     "0x800-byte file"},
    {"EntryPointOutsideImage", [] { return withBuilder([](PeBuilder& p) { p.entryRva = 0x4000; }); },
     "optional header: entry point RVA 0x4000 at offset 0xa8 outside the 0x4000-byte image"},

    // Section table
    {"SectionCountPastEnd", [] { return patchedFile([](Bytes& b) { putU16(b, kCoff + 2, 0xFFFF); }); },
     "section table: 65535 sections at offset 0x178 (0x27ffd8 bytes) run past the end of the "
     "0x800-byte file"},
    {"SectionTablePastEnd",
     [] { return patchedFile([](Bytes& b) { putU16(b, kCoff + 16, 0x740); }); },
     "section table: 2 sections at offset 0x7d8 (0x50 bytes) run past the end of the 0x800-byte file"},
    {"RawDataPastEnd", [] { return patchedFile([](Bytes& b) { putU32(b, kSection2 + 16, 0x1000); }); },
     "section table: section 2 (.rdata) at offset 0x1a0 has raw data 0x400..0x1400 past the end of the "
     "0x800-byte file"},
    {"RawDataOffsetWraps", [] { return patchedFile([](Bytes& b) { putU32(b, kSection2 + 20, 0xFFFFFF00); }); },
     "section table: section 2 (.rdata) at offset 0x1a0 has raw data 0xffffff00..0x100000300 past the "
     "end of the 0x800-byte file"},
    {"SectionPastSizeOfImage", [] { return withBuilder([](PeBuilder& p) { p.sizeOfImage = 0x3800; }); },
     "section table: section 2 (.rdata) at offset 0x1a0 spans RVA 0x2000..0x4000, past SizeOfImage 0x3800"},
    {"SectionInsideHeaders", [] { return patchedFile([](Bytes& b) { putU32(b, kSection1 + 12, 0x100); }); },
     "section table: section 1 (.text) at offset 0x178 starts at RVA 0x100, inside the headers "
     "(SizeOfHeaders 0x200)"},
    {"SectionsOverlap", [] { return patchedFile([](Bytes& b) { putU32(b, kSection2 + 12, 0x1080); }); },
     "section table: section 2 (.rdata) at offset 0x1a0 starts at RVA 0x1080, before the end 0x1200 of "
     "section 1 (.text)"},

    // Data directories
    {"DirectoryOutsideImage",
     [] { return patchedFile([](Bytes& b) { putU32(b, directoryEntry(2) + 4, 0x10000); }); },
     "optional header: resource directory at offset 0x108 (RVA 0x2200, 0x10000 bytes) lies outside the "
     "0x4000-byte image"},
    {"DirectoryRvaWraps",
     [] { return patchedFile([](Bytes& b) { putU32(b, directoryEntry(1), 0xFFFFFFF0); putU32(b, directoryEntry(1) + 4, 0x20); }); },
     "optional header: import directory at offset 0x100 (RVA 0xfffffff0, 0x20 bytes) lies outside the "
     "0x4000-byte image"},
    {"CertificatesPastFile",
     [] { return patchedFile([](Bytes& b) { putU32(b, directoryEntry(4), 0x700); putU32(b, directoryEntry(4) + 4, 0x200); }); },
     "optional header: certificate directory at offset 0x118 (file offset 0x700, 0x200 bytes) runs past "
     "the end of the 0x800-byte file"},

    // Base relocations: a 0x10-byte block for .text, then a 0xc-byte block for .rdata.
    {"RelocationBlockSizeZero", [] { return withFixture([](Fixture& f) { putU32(f.relocations, 4, 0); }); },
     "base relocations: block at offset 0x0 has size 0"},
    {"RelocationBlockBelowHeader", [] { return withFixture([](Fixture& f) { putU32(f.relocations, 4, 6); }); },
     "base relocations: block at offset 0x0 has size 0x6, below its 8-byte header"},
    {"RelocationBlockOddSize", [] { return withFixture([](Fixture& f) { putU32(f.relocations, 0x14, 0xB); }); },
     "base relocations: block at offset 0x10 has odd size 0xb"},
    {"RelocationBlockPastDirectory", [] { return withFixture([](Fixture& f) { putU32(f.relocations, 0x14, 0x20); }); },
     "base relocations: block at offset 0x10 with size 0x20 runs past the directory end 0x1c"},
    {"RelocationTrailingBytes", [] { return withFixture([](Fixture& f) { f.relocations.resize(0x20, 0); }); },
     "base relocations: block at offset 0x1c has no room for its 8-byte header before the directory end 0x20"},
    {"RelocationUnknownType", [] { return withFixture([](Fixture& f) { putU16(f.relocations, 0xC, 0xA030); }); },
     "base relocations: entry at offset 0xc has type 0xa, only ABSOLUTE (0x0) and HIGHLOW (0x3) are supported"},
    {"RelocationFixupPastImage",
     [] { return withFixture([](Fixture& f) { putU32(f.relocations, 0x10, 0x3000); putU16(f.relocations, 0x18, 0x3FFD); }); },
     "base relocations: entry at offset 0x18 fixes RVA 0x3ffd, outside the 0x4000-byte image"},
    {"RelocationDirectoryInZeroFill",
     [] { return withBuilder([](PeBuilder& p) { p.directories[5] = {0x3F00, 0x10}; }); },
     "base relocations: directory RVA 0x3f00 (0x10 bytes) outside the file"},

    // Export table: directory at 0x2000, addresses at +0x28, name pointers at
    // +0x34, ordinals at +0x3c.
    {"ExportDirectoryTooSmall", [] { return withBuilder([](PeBuilder& p) { p.directories[0].second = 0x20; }); },
     "export table: directory size 0x20 is below the 0x28-byte export directory"},
    {"ExportNameOutsideImage", [] { return withFixture([](Fixture& f) { putU32(f.exports, 12, 0x5A00); }); },
     "export table: name RVA 0x5a00 outside the image"},
    {"ExportNameOutsideFile", [] { return withFixture([](Fixture& f) { putU32(f.exports, 12, 0x3F00); }); },
     "export table: name RVA 0x3f00 outside the file"},
    {"ExportTooManyAddresses", [] { return withFixture([](Fixture& f) { putU32(f.exports, 20, 0x10001); }); },
     "export table: 0x10001 addresses and 0x2 names exceed the 0x10000 that 16-bit ordinals can number"},
    {"ExportOrdinalsOverflow", [] { return withFixture([](Fixture& f) { putU32(f.exports, 16, 0xFFFFFFFF); }); },
     "export table: ordinal base 0xffffffff with 0x3 addresses overflows 32 bits"},
    {"ExportAddressTableOutsideImage", [] { return withFixture([](Fixture& f) { putU32(f.exports, 20, 0x1000); }); },
     "export table: address table RVA 0x2028 (0x4000 bytes) outside the image"},
    {"ExportNamePointersOutsideFile", [] { return withFixture([](Fixture& f) { putU32(f.exports, 32, 0x3F00); }); },
     "export table: name pointer table RVA 0x3f00 (0x8 bytes) outside the file"},
    {"ExportOrdinalTableOutsideImage", [] { return withFixture([](Fixture& f) { putU32(f.exports, 36, 0x3FFE); }); },
     "export table: ordinal table RVA 0x3ffe (0x4 bytes) outside the image"},
    {"ExportOrdinalIndexPastAddresses", [] { return withFixture([](Fixture& f) { putU16(f.exports, 0x3C, 7); }); },
     "export table: name 0 has ordinal index 0x7, past the 0x3-entry address table"},
    {"ExportSymbolNameOutsideImage", [] { return withFixture([](Fixture& f) { putU32(f.exports, 0x38, 0x9000); }); },
     "export table: name 1 RVA 0x9000 outside the image"},
    {"ExportAddressOutsideImage", [] { return withFixture([](Fixture& f) { putU32(f.exports, 0x30, 0x8000); }); },
     "export table: ordinal 0x5 RVA 0x8000 outside the image"},
    {"ExportForwarder", [] { return withFixture([](Fixture& f) { putU32(f.exports, 0x28, 0x2010); }); },
     "export table: ordinal 0x3 RVA 0x2010 lies inside the export directory: a forwarder, which is not "
     "supported"},
    {"ExportNameWithoutAddress", [] { return withFixture([](Fixture& f) { putU32(f.exports, 0x2C, 0); }); },
     "export table: name \"Beta\" names ordinal 0x4, which has no address"},

    // Resource directory (see withOneResource for the layout)
    {"ResourceSelfCycle", [] { return withOneResource([](Bytes& r) { putU32(r, 0x14, 0x80000000); }); },
     "resource directory: type entry at offset 0x10 points back at the directory at offset 0x0 (a cycle)"},
    {"ResourceAncestorCycle", [] { return withOneResource([](Bytes& r) { putU32(r, 0x2C, 0x80000000); }); },
     "resource directory: name entry at offset 0x28 points back at the directory at offset 0x0 (a cycle)"},
    {"ResourceTooDeep", [] { return withOneResource([](Bytes& r) { putU32(r, 0x44, 0x80000018); }); },
     "resource directory: language entry at offset 0x40 points at a subdirectory 0x18, deeper than three "
     "levels"},
    {"ResourceDataAboveLanguageLevel", [] { return withOneResource([](Bytes& r) { putU32(r, 0x14, 0x48); }); },
     "resource directory: type entry at offset 0x10 points at a data entry 0x48; a subdirectory is "
     "expected above the language level"},
    {"ResourceSubdirectoryOutside", [] { return withOneResource([](Bytes& r) { putU32(r, 0x14, 0x80005000); }); },
     "resource directory: name directory at offset 0x5000 lies outside the 0x5c-byte resource section"},
    {"ResourceEntriesPastEnd", [] { return withOneResource([](Bytes& r) { putU16(r, 14, 0x100); }); },
     "resource directory: 0x100 entries of the directory at offset 0x0 run past the end of the 0x5c-byte "
     "resource section"},
    {"ResourceDataEntryOutside", [] { return withOneResource([](Bytes& r) { putU32(r, 0x44, 0x58); }); },
     "resource directory: language entry at offset 0x40 points at a data entry 0x58 outside the "
     "0x5c-byte resource section"},
    {"ResourceDataOutsideImage", [] { return withOneResource([](Bytes& r) { putU32(r, 0x48, 0x9000); }); },
     "resource directory: data entry at offset 0x48: RVA 0x9000 (0x4 bytes) outside the image"},
    {"ResourceDataOutsideFile", [] { return withOneResource([](Bytes& r) { putU32(r, 0x48, 0x3F00); }); },
     "resource directory: data entry at offset 0x48: RVA 0x3f00 (0x4 bytes) outside the file"},
    {"ResourceDataSizeWraps", [] { return withOneResource([](Bytes& r) { putU32(r, 0x4C, 0xFFFFFFFF); }); },
     "resource directory: data entry at offset 0x48: RVA 0x2258 (0xffffffff bytes) outside the image"},
    {"ResourceNamedLanguage", [] { return withOneResource([](Bytes& r) { putU32(r, 0x40, 0x80000050); }); },
     "resource directory: language entry at offset 0x40 is named; a language must be a number"},
    {"ResourceNameOutside", [] { return withOneResource([](Bytes& r) { putU32(r, 0x10, 0x80007000); }); },
     "resource directory: type entry at offset 0x10 has its name at offset 0x7000, outside the 0x5c-byte "
     "resource section"},
    {"ResourceNameRunsPastEnd", [] { return withOneResource([](Bytes& r) { putU32(r, 0x10, 0x8000005A); }); },
     "resource directory: type entry at offset 0x10 has a name of 0x403 characters at offset 0x5a running "
     "past the end of the 0x5c-byte resource section"},
    {"ResourceDirectoryOutsideFile", [] { return withBuilder([](PeBuilder& p) { p.directories[2] = {0x3F00, 0x10}; }); },
     "resource directory: RVA 0x3f00 (0x10 bytes) outside the file"},
    {"ResourceSharedDirectoriesUnfoldTooFar", withSharedResourceDirectories,
     "resource directory: more than 0x10000 entries; the tree is malformed or hostile"},
};

class PeMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(PeMalformed, IsRefusedWithItsMessage) {
  auto parsed = gb::pe::parsePe(GetParam().make());
  ASSERT_FALSE(parsed.ok()) << "accepted";
  EXPECT_EQ(parsed.error().message, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Pe, PeMalformed, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The fixture itself parses: every case above breaks exactly one thing.
TEST(PeMalformed, FixtureIsWellFormed) {
  auto parsed = gb::pe::parsePe(Fixture().bytes());
  EXPECT_TRUE(parsed.ok()) << parsed.error().message;
}

}  // namespace
