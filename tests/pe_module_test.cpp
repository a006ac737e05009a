// The PE reader on the built module: the facts of its file that the host
// relies on to load it and find its two records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pe/pe_file.h"
#include "support/byte_reader.h"

namespace {

using gb::pe::PeFile;

class PeModule : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto parsed = gb::pe::loadPeFile(QUANDEL_GAU_PATH);
    ASSERT_TRUE(parsed.ok()) << parsed.error().message;
    file_ = new PeFile(std::move(parsed).value());
  }
  static void TearDownTestSuite() {
    delete file_;
    file_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(file_, nullptr) << "the module did not parse"; }
  static PeFile* file_;
};

PeFile* PeModule::file_ = nullptr;

const gb::pe::Section* sectionAt(const PeFile& file, uint32_t rva) {
  for (const auto& s : file.sections)
    if (rva >= s.virtualAddress && rva - s.virtualAddress < s.mappedSize()) return &s;
  return nullptr;
}

TEST_F(PeModule, IsA32BitDllWithoutTimestamp) {
  EXPECT_EQ(file_->machine, gb::pe::kMachineI386);
  EXPECT_TRUE(file_->isDll());
  EXPECT_EQ(file_->timeDateStamp, 0u);
}

TEST_F(PeModule, ExportsImportTableAndLinkageByNameAndOrdinal) {
  const gb::pe::ExportTable& exports = file_->exports;
  EXPECT_EQ(exports.dllName, "quandel.gau");
  EXPECT_EQ(exports.ordinalBase, 1u);
  ASSERT_EQ(exports.entries.size(), 2u);
  EXPECT_EQ(exports.entries[0].name, "ImportTable");
  EXPECT_EQ(exports.entries[0].ordinal, 1u);
  EXPECT_EQ(exports.entries[1].name, "Linkage");
  EXPECT_EQ(exports.entries[1].ordinal, 2u);
  // Both are records the host writes into: they must sit in writable data.
  for (const auto& e : exports.entries) {
    const gb::pe::Section* section = sectionAt(*file_, e.rva);
    ASSERT_NE(section, nullptr) << e.name;
    EXPECT_TRUE(section->writable()) << e.name << " in " << section->name;
    EXPECT_FALSE(section->executable()) << e.name << " in " << section->name;
  }
}

// Loading elsewhere must be possible: the module carries HIGHLOW fixups, and
// each one holds an address within the module itself, which moves with it.
TEST_F(PeModule, RelocationsMoveItsOwnAddressesToAnotherBase) {
  ASSERT_FALSE(file_->relocations.empty());
  std::vector<uint8_t> original = file_->buildImage();
  std::vector<uint8_t> moved = original;
  const uint32_t newBase = 0x00400000;
  ASSERT_NE(newBase, file_->imageBase);
  auto status = gb::pe::applyRelocations(moved, *file_, newBase);
  ASSERT_TRUE(status.ok()) << status.error().message;
  for (uint32_t rva : file_->relocations) {
    uint32_t before = gb::loadU32(&original[rva]) - file_->imageBase;
    uint32_t after = gb::loadU32(&moved[rva]) - newBase;
    EXPECT_LE(before, file_->sizeOfImage) << "fixup at RVA " << gb::hex(rva);
    EXPECT_EQ(after, before) << "fixup at RVA " << gb::hex(rva);
  }
}

}  // namespace
