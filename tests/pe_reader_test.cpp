// The PE reader on a well-formed image: headers, sections, relocations,
// exports and resources as parsed, the image laid out, and the move to
// another base.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pe/pe_file.h"
#include "pe_fixture.h"
#include "support/byte_reader.h"

namespace {

using gb::pe::PeFile;
using pe_test::Fixture;

std::string describe(const gb::pe::Export& e) {
  return e.name + "@" + gb::hex(e.ordinal) + "=" + gb::hex(e.rva);
}

std::string describe(const gb::pe::Resource& r) {
  std::string type = r.typeName.empty() ? gb::hex(r.type) : r.typeName;
  std::string id = r.idName.empty() ? gb::hex(r.id) : r.idName;
  return type + "/" + id + "/" + gb::hex(r.language) + " size " + gb::hex(r.size) + " cp " +
         std::to_string(r.codePage);
}

PeFile parseFixture(const Fixture& fixture = Fixture()) {
  auto parsed = gb::pe::parsePe(fixture.bytes());
  EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? "" : parsed.error().message);
  return parsed.ok() ? std::move(parsed).value() : PeFile{};
}

TEST(PeReader, ParsesHeadersAndSections) {
  PeFile file = parseFixture();
  EXPECT_EQ(file.machine, gb::pe::kMachineI386);
  EXPECT_TRUE(file.isDll());
  EXPECT_EQ(file.timeDateStamp, 0u);
  EXPECT_EQ(file.imageBase, Fixture::kImageBase);
  EXPECT_EQ(file.sizeOfImage, Fixture::kImageSize);
  EXPECT_EQ(file.sizeOfHeaders, 0x200u);
  EXPECT_EQ(file.entryRva, Fixture::kTextRva);
  EXPECT_EQ(file.sectionAlignment, 0x1000u);
  EXPECT_EQ(file.fileAlignment, 0x200u);
  EXPECT_EQ(file.optionalHeaderOffset, pe_test::kOptionalOffset);
  ASSERT_EQ(file.directories.size(), 16u);
  EXPECT_EQ(file.directories[gb::pe::kExportDirectory].rva, Fixture::kExportRva);
  EXPECT_EQ(file.directories[gb::pe::kResourceDirectory].rva, Fixture::kResourceRva);

  ASSERT_EQ(file.sections.size(), 2u);
  const gb::pe::Section& text = file.sections[0];
  EXPECT_EQ(text.name, ".text");
  EXPECT_EQ(text.virtualAddress, 0x1000u);
  EXPECT_EQ(text.virtualSize, 0x100u);
  EXPECT_EQ(text.rawOffset, 0x200u);
  EXPECT_EQ(text.rawSize, 0x200u);
  EXPECT_TRUE(text.executable());
  EXPECT_FALSE(text.writable());
  const gb::pe::Section& rdata = file.sections[1];
  EXPECT_EQ(rdata.name, ".rdata");
  EXPECT_EQ(rdata.virtualAddress, 0x2000u);
  EXPECT_EQ(rdata.virtualSize, 0x2000u);
  EXPECT_EQ(rdata.rawOffset, 0x400u);
  EXPECT_TRUE(rdata.readable());
  EXPECT_FALSE(rdata.executable());
}

TEST(PeReader, CollectsHighLowFixupsAndSkipsPadding) {
  EXPECT_EQ(parseFixture().relocations, (std::vector<uint32_t>{0x1010, 0x1020, 0x1030, 0x2100}));
}

TEST(PeReader, ReadsExportsByNameAndOrdinal) {
  PeFile file = parseFixture();
  EXPECT_EQ(file.exports.dllName, "fixture.dll");
  EXPECT_EQ(file.exports.ordinalBase, 3u);
  std::vector<std::string> entries;
  for (const auto& e : file.exports.entries) entries.push_back(describe(e));
  EXPECT_EQ(entries, (std::vector<std::string>{"Gamma@0x3=0x1040", "Beta@0x4=0x1080", "@0x5=0x10c0"}));

  ASSERT_NE(file.findExport("Beta"), nullptr);
  EXPECT_EQ(file.findExport("Beta")->rva, 0x1080u);
  EXPECT_EQ(file.findExport("Delta"), nullptr);
  EXPECT_EQ(file.findExport(""), nullptr);  // the unnamed export is found by ordinal only
}

TEST(PeReader, ReadsResourceTreeWithNumericAndNamedEntries) {
  PeFile file = parseFixture();
  std::vector<std::string> leaves;
  for (const auto& r : file.resources) leaves.push_back(describe(r));
  EXPECT_EQ(leaves, (std::vector<std::string>{
                        "PICTURE/Gr\u00fc\u00dfe\U0001F600/0x0 size 0x1 cp 0",
                        "0x2/0x1000/0x409 size 0x5 cp 0",
                        "0x2/0x2000/0x409 size 0x2 cp 0",
                        "0x2/0x2000/0x407 size 0x1 cp 0",
                        "0x10/0x1/0x409 size 0x4 cp 1200",
                    }));

  const gb::pe::Resource* bitmap = file.findResource(gb::pe::kResourceTypeBitmap, 0x2000, 0x407);
  ASSERT_NE(bitmap, nullptr);
  auto bytes = file.resourceBytes(*bitmap);
  ASSERT_TRUE(bytes.ok()) << bytes.error().message;
  EXPECT_EQ(std::vector<uint8_t>(bytes->begin(), bytes->end()), std::vector<uint8_t>{8});

  EXPECT_EQ(file.findResource(gb::pe::kResourceTypeBitmap, 0x2000, 0x409)->size, 2u);
  EXPECT_EQ(file.findResource(gb::pe::kResourceTypeBitmap, 0x4000, 0x409), nullptr);
  EXPECT_EQ(file.findResource(gb::pe::kResourceTypeBitmap, 0x1000, 0x407), nullptr);
  // A named resource is not found under id 0.
  EXPECT_EQ(file.findResource(0, 0, 0), nullptr);
}

TEST(PeReader, BytesAtRvaComeFromHeadersOrSectionRawData) {
  PeFile file = parseFixture();
  auto header = file.bytesAtRva(0, 2, "test");
  ASSERT_TRUE(header.ok()) << header.error().message;
  EXPECT_EQ((*header)[0], 'M');

  auto word = file.bytesAtRva(0x1010, 4, "test");
  ASSERT_TRUE(word.ok()) << word.error().message;
  EXPECT_EQ(gb::loadU32(word->data()), Fixture::kImageBase + 0x1040);

  // .text's raw data (0x200 bytes, file-aligned) ends at 0x1200; .rdata's
  // zero fill beyond its raw data and the gap between sections have no file bytes.
  struct Case {
    uint32_t rva, size;
    const char* error;
  } cases[] = {
      {0x11FE, 4, "test RVA 0x11fe (0x4 bytes) outside the file"},
      {0x1800, 1, "test RVA 0x1800 (0x1 bytes) outside the file"},
      {0x3F00, 4, "test RVA 0x3f00 (0x4 bytes) outside the file"},
      {0x3FFE, 4, "test RVA 0x3ffe (0x4 bytes) outside the image"},
      {0xFFFFFFFF, 2, "test RVA 0xffffffff (0x2 bytes) outside the image"},
  };
  for (const Case& c : cases) {
    auto bytes = file.bytesAtRva(c.rva, c.size, "test");
    ASSERT_FALSE(bytes.ok()) << gb::hex(c.rva);
    EXPECT_EQ(bytes.error().message, c.error);
  }
}

TEST(PeReader, BuildImagePlacesSectionsAtTheirRvas) {
  Fixture fixture;
  PeFile file = parseFixture(fixture);
  std::vector<uint8_t> image = file.buildImage();
  ASSERT_EQ(image.size(), Fixture::kImageSize);
  EXPECT_EQ(image[0], 'M');
  EXPECT_EQ(image[1], 'Z');
  EXPECT_TRUE(std::equal(fixture.text.begin(), fixture.text.end(), image.begin() + 0x1000));
  std::vector<uint8_t> rdata = fixture.rdata();
  EXPECT_TRUE(std::equal(rdata.begin(), rdata.end(), image.begin() + 0x2000));
  // Between the headers and .text, after .text's raw data, and in .rdata's
  // zero fill: nothing.
  EXPECT_TRUE(std::all_of(image.begin() + 0x200, image.begin() + 0x1000, [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::all_of(image.begin() + 0x1200, image.begin() + 0x2000, [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::all_of(image.begin() + 0x3000, image.end(), [](uint8_t b) { return b == 0; }));
}

TEST(PeReader, ApplyRelocationsMovesEveryFixupAndNothingElse) {
  PeFile file = parseFixture();
  std::vector<uint8_t> original = file.buildImage();
  struct Case {
    uint32_t newBase;
    uint32_t at1010, at1030, at2100;
  } cases[] = {
      {0x10000000, 0x10001040, 0x00000010, 0x10001080},  // the preferred base: unchanged
      {0x00400000, 0x00401040, 0xF0400010, 0x00401080},  // downwards: 0x10 wraps around 2^32
      {0x7FFF0000, 0x7FFF1040, 0x6FFF0010, 0x7FFF1080},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> image = original;
    auto status = gb::pe::applyRelocations(image, file, c.newBase);
    ASSERT_TRUE(status.ok()) << status.error().message;
    EXPECT_EQ(gb::loadU32(&image[0x1010]), c.at1010) << gb::hex(c.newBase);
    EXPECT_EQ(gb::loadU32(&image[0x1030]), c.at1030) << gb::hex(c.newBase);
    EXPECT_EQ(gb::loadU32(&image[0x2100]), c.at2100) << gb::hex(c.newBase);
    for (uint32_t rva : file.relocations)
      for (uint32_t i = 0; i < 4; ++i) image[rva + i] = original[rva + i];
    EXPECT_EQ(image, original) << "bytes outside the fixups changed at " << gb::hex(c.newBase);
  }
}

TEST(PeReader, ApplyRelocationsRefusesAFixupPastTheImageSpan) {
  PeFile file = parseFixture();
  std::vector<uint8_t> image = file.buildImage();
  auto status = gb::pe::applyRelocations(std::span(image).first(0x2102), file, 0x00400000);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().message,
            "base relocations: fixup at RVA 0x2100 outside the 0x2102-byte image");
}

class PeLoadFile : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("pe_load_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (directory_ / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return path;
  }
  std::filesystem::path directory_;
};

TEST_F(PeLoadFile, ParsesAFileOnDisk) {
  std::string path = write("good.dll", Fixture().bytes());
  auto file = gb::pe::loadPeFile(path);
  ASSERT_TRUE(file.ok()) << file.error().message;
  EXPECT_EQ(file->exports.dllName, "fixture.dll");
}

TEST_F(PeLoadFile, PrefixesEveryErrorWithThePath) {
  std::string missing = (directory_ / "missing.dll").string();
  auto absent = gb::pe::loadPeFile(missing);
  ASSERT_FALSE(absent.ok());
  EXPECT_EQ(absent.error().message, missing + ": cannot open: No such file or directory");

  auto directory = gb::pe::loadPeFile(directory_.string());
  ASSERT_FALSE(directory.ok());
  EXPECT_EQ(directory.error().message, directory_.string() + ": cannot read: Is a directory");

  std::string text = write("notes.txt", {'h', 'e', 'l', 'l', 'o'});
  auto notPe = gb::pe::loadPeFile(text);
  ASSERT_FALSE(notPe.ok());
  EXPECT_EQ(notPe.error().message, text + ": DOS header: not an MZ file (magic 0x6568 at offset 0x0)");
}

}  // namespace
