// The version resource (VS_VERSIONINFO, root key "VS_VERSION_INFO"): its fixed part, its string tables
// with the keys in stored order, and the VarFileInfo translations. Every
// node's length is checked against its parent's, so a block that is cut
// short is refused with an error naming the node and the offset.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "support/result.h"

namespace gb::res {

inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// VS_FIXEDFILEINFO, field for field.
struct FixedFileInfo {
  uint32_t signature = 0;
  uint32_t structVersion = 0;
  uint32_t fileVersionMS = 0;
  uint32_t fileVersionLS = 0;
  uint32_t productVersionMS = 0;
  uint32_t productVersionLS = 0;
  uint32_t fileFlagsMask = 0;
  uint32_t fileFlags = 0;
  uint32_t fileOS = 0;
  uint32_t fileType = 0;
  uint32_t fileSubtype = 0;
  uint32_t fileDateMS = 0;
  uint32_t fileDateLS = 0;
};

struct VersionString {
  std::string key;
  std::string value;  // UTF-8, without the terminating NUL
};

struct StringTable {
  std::string key;  // language and code page in hex, e.g. "040904b0"
  std::vector<VersionString> strings;
};

struct Translation {
  uint16_t language = 0;
  uint16_t codePage = 0;
};

struct VersionBlock {
  FixedFileInfo fixed;
  std::vector<StringTable> stringTables;
  std::vector<Translation> translations;

  // The value of `key` in the first table holding it, or null.
  const std::string* findString(const std::string& key) const;
};

// "1.0.0.0" from a most- and least-significant version pair.
std::string formatVersion(uint32_t mostSignificant, uint32_t leastSignificant);

// `name` ("version block 1") leads every error.
Result<VersionBlock> decodeVersionBlock(std::span<const uint8_t> bytes, const std::string& name);

}  // namespace gb::res
