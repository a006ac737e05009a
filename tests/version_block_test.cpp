// The module's version block read back field by field, and blocks cut short
// or with a node that overruns its parent refused with the node named.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "module_resources.h"
#include "resources/version_block.h"

namespace {

using gb::res::decodeVersionBlock;

std::vector<uint8_t> moduleVersionBytes() {
  auto bytes = module_resources::resourceBytes(gb::pe::kResourceTypeVersion, 1);
  if (!bytes) return {};
  return {bytes->begin(), bytes->end()};
}

// Offset of the node whose UTF-16 key is `key`: the key follows the node's
// 6-byte header.
size_t nodeOffset(const std::vector<uint8_t>& bytes, const std::string& key) {
  std::vector<uint8_t> utf16;
  for (char c : key) utf16.insert(utf16.end(), {uint8_t(c), 0});
  auto at = std::search(bytes.begin(), bytes.end(), utf16.begin(), utf16.end());
  return at == bytes.end() ? 0 : size_t(at - bytes.begin()) - 6;
}

TEST(VersionBlock, ModuleCarriesEveryFieldAndStringInOrder) {
  auto bytes = moduleVersionBytes();
  ASSERT_FALSE(bytes.empty());
  auto block = decodeVersionBlock(bytes, "version block 1");
  ASSERT_TRUE(block.ok()) << block.error().message;
  const gb::res::FixedFileInfo& f = block->fixed;
  EXPECT_EQ(gb::res::formatVersion(f.fileVersionMS, f.fileVersionLS), "1.0.0.0");
  EXPECT_EQ(gb::res::formatVersion(f.productVersionMS, f.productVersionLS), "1.0.0.0");
  EXPECT_EQ(f.fileFlagsMask, 0x3Fu);
  EXPECT_EQ(f.fileFlags, 0u);
  EXPECT_EQ(f.fileOS, 0x00010004u);
  EXPECT_EQ(f.fileType, 1u) << "VFT_APP";
  EXPECT_EQ(f.fileSubtype, 0u);
  EXPECT_EQ(f.fileDateMS, 0u);
  EXPECT_EQ(f.fileDateLS, 0u);

  ASSERT_EQ(block->stringTables.size(), 1u);
  EXPECT_EQ(block->stringTables[0].key, "040904b0");
  std::vector<std::string> keys;
  for (const auto& s : block->stringTables[0].strings) keys.push_back(s.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"CompanyName", "FileDescription", "FileVersion", "LegalCopyright",
                                            "ProductName", "ProductVersion"}));
  const std::pair<const char*, const char*> values[] = {{"CompanyName", "Your Company"},
                                                        {"FileDescription", "Flight Simulator 98 Gauge"},
                                                        {"FileVersion", "1.0.0"},
                                                        {"ProductName", "Your Product"},
                                                        {"ProductVersion", "1.0.0"}};
  for (const auto& [key, value] : values) {
    const std::string* got = block->findString(key);
    ASSERT_NE(got, nullptr) << key;
    EXPECT_EQ(*got, value) << key;
  }
  const std::string* copyright = block->findString("LegalCopyright");
  ASSERT_NE(copyright, nullptr);
  EXPECT_FALSE(copyright->empty());
  EXPECT_EQ(copyright->find('\n'), std::string::npos);

  ASSERT_EQ(block->translations.size(), 1u);
  EXPECT_EQ(block->translations[0].language, 0x0409);
  EXPECT_EQ(block->translations[0].codePage, 0x04B0);
}

TEST(VersionBlock, RefusesABlockCutShortAtAnyLength) {
  auto bytes = moduleVersionBytes();
  ASSERT_FALSE(bytes.empty());
  for (size_t keep = 0; keep < bytes.size(); ++keep) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(keep));
    auto block = decodeVersionBlock(cut, "version block 1");
    ASSERT_FALSE(block.ok()) << keep << " bytes";
    EXPECT_EQ(block.error().message.rfind("version block 1: ", 0), 0u) << block.error().message;
  }
  auto cut = decodeVersionBlock(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100), "version block 1");
  ASSERT_FALSE(cut.ok());
  EXPECT_EQ(cut.error().message, "version block 1: VS_VERSION_INFO at offset 0x0 claims " +
                                     std::to_string(bytes.size()) + " bytes, but only 100 remain");
}

TEST(VersionBlock, RefusesANodeThatOverrunsItsParent) {
  auto bytes = moduleVersionBytes();
  ASSERT_FALSE(bytes.empty());
  const size_t table = nodeOffset(bytes, "040904b0");
  ASSERT_NE(table, 0u);
  bytes[table] = 0xF0;  // wLength far past StringFileInfo's end
  bytes[table + 1] = 0x0F;
  auto block = decodeVersionBlock(bytes, "version block 1");
  ASSERT_FALSE(block.ok());
  EXPECT_NE(block.error().message.find("version block 1: string table at offset " + gb::hex(table) +
                                       " claims 4080 bytes"),
            std::string::npos)
      << block.error().message;
}

TEST(VersionBlock, RefusesAFixedPartWithoutItsSignature) {
  auto bytes = moduleVersionBytes();
  ASSERT_FALSE(bytes.empty());
  const size_t fixed = 40;  // 6-byte header, "VS_VERSION_INFO" and its NUL, padded to 4
  ASSERT_EQ(bytes[fixed], 0xBD);
  bytes[fixed] = 0;
  auto block = decodeVersionBlock(bytes, "version block 1");
  ASSERT_FALSE(block.ok());
  EXPECT_EQ(block.error().message, "version block 1: fixed part signature 0xfeef0400, expected 0xfeef04bd");
}

}  // namespace
