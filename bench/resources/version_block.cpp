#include "resources/version_block.h"

#include "support/byte_reader.h"

namespace gb::res {
namespace {

constexpr uint32_t kNodeHeaderSize = 6;  // wLength, wValueLength, wType
constexpr uint32_t kFixedFileInfoSize = 52;
constexpr uint16_t kTextValue = 1;

uint32_t alignTo4(uint32_t offset) { return (offset + 3u) & ~3u; }

// One node of the tree: its key, where its value lies and where its children
// start; `end` is one past its last byte.
struct Node {
  uint32_t offset = 0;
  uint32_t end = 0;
  uint16_t valueLength = 0;  // as stored: bytes, or characters for text values
  uint16_t type = 0;
  std::string key;
  uint32_t valueOffset = 0;
  uint32_t childrenOffset = 0;
};

void appendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

// A NUL-terminated UTF-16 string starting at `offset` and ending before
// `limit`; `next` receives the offset after its NUL.
Result<std::string> readUtf16(const ByteReader& reader, uint32_t offset, uint32_t limit,
                              const std::string& what, uint32_t& next) {
  std::string text;
  uint32_t at = offset;
  while (true) {
    if (at + 2 > limit)
      return Error{reader.table() + ": " + what + " at offset " + hex(offset) +
                   " has no terminating NUL before offset " + hex(limit)};
    Result<uint16_t> unit = reader.u16(at, what.c_str());
    if (!unit) return unit.error();
    at += 2;
    if (*unit == 0) break;
    uint32_t code = *unit;
    if (code >= 0xD800 && code < 0xDC00 && at + 2 <= limit) {
      Result<uint16_t> low = reader.u16(at, what.c_str());
      if (!low) return low.error();
      if (*low >= 0xDC00 && *low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
        at += 2;
      }
    }
    appendUtf8(text, code);
  }
  next = at;
  return text;
}

// Reads the node at `offset`, which must end by `limit` (its parent's end).
Result<Node> readNode(const ByteReader& reader, uint32_t offset, uint32_t limit, const std::string& what) {
  if (offset + kNodeHeaderSize > limit)
    return Error{reader.table() + ": " + what + " header at offset " + hex(offset) + " (6 bytes) runs past " +
                 hex(limit)};
  Node node;
  node.offset = offset;
  Result<uint16_t> length = reader.u16(offset, "wLength");
  if (!length) return length.error();
  Result<uint16_t> valueLength = reader.u16(offset + 2, "wValueLength");
  if (!valueLength) return valueLength.error();
  Result<uint16_t> type = reader.u16(offset + 4, "wType");
  if (!type) return type.error();
  if (*length < kNodeHeaderSize || offset + *length > limit)
    return Error{reader.table() + ": " + what + " at offset " + hex(offset) + " claims " +
                 std::to_string(*length) + " bytes, but only " + std::to_string(limit - offset) + " remain"};
  node.end = offset + *length;
  node.valueLength = *valueLength;
  node.type = *type;

  uint32_t afterKey = 0;
  Result<std::string> key = readUtf16(reader, offset + kNodeHeaderSize, node.end, what + " key", afterKey);
  if (!key) return key.error();
  node.key = std::move(*key);
  node.valueOffset = alignTo4(afterKey);
  const uint32_t valueBytes = node.type == kTextValue ? uint32_t(node.valueLength) * 2 : node.valueLength;
  if (node.valueOffset + valueBytes > node.end)
    return Error{reader.table() + ": " + what + " \"" + node.key + "\" value of " + std::to_string(valueBytes) +
                 " bytes at offset " + hex(node.valueOffset) + " runs past the node's end " + hex(node.end)};
  node.childrenOffset = alignTo4(node.valueOffset + valueBytes);
  return node;
}

// Calls `visit` for each child node of `parent` in order.
template <class Visit>
Status forEachChild(const ByteReader& reader, const Node& parent, const std::string& what, Visit visit) {
  uint32_t offset = parent.childrenOffset;
  while (offset < parent.end) {
    Result<Node> child = readNode(reader, offset, parent.end, what);
    if (!child) return child.error();
    if (Status status = visit(*child); !status) return status;
    const uint32_t next = alignTo4(child->end);
    if (next <= offset) break;  // a zero-length node cannot advance
    offset = next;
  }
  return Ok{};
}

Result<FixedFileInfo> readFixed(const ByteReader& reader, const Node& root) {
  if (root.valueLength != kFixedFileInfoSize)
    return Error{reader.table() + ": fixed part is " + std::to_string(root.valueLength) +
                 " bytes, expected 52"};
  Result<std::span<const uint8_t>> bytes = reader.span(root.valueOffset, kFixedFileInfoSize, "fixed part");
  if (!bytes) return bytes.error();
  const uint8_t* p = bytes->data();
  FixedFileInfo f;
  uint32_t* fields[] = {&f.signature,      &f.structVersion,  &f.fileVersionMS,   &f.fileVersionLS, &f.productVersionMS,
                        &f.productVersionLS, &f.fileFlagsMask, &f.fileFlags,     &f.fileOS,        &f.fileType,
                        &f.fileSubtype,    &f.fileDateMS,     &f.fileDateLS};
  for (uint32_t* field : fields) {
    *field = loadU32(p);
    p += 4;
  }
  if (f.signature != kFixedFileInfoSignature)
    return Error{reader.table() + ": fixed part signature " + hex(f.signature) + ", expected 0xfeef04bd"};
  return f;
}

Status readStringFileInfo(const ByteReader& reader, const Node& info, VersionBlock& block) {
  return forEachChild(reader, info, "string table", [&](const Node& tableNode) -> Status {
    StringTable table;
    table.key = tableNode.key;
    Status status = forEachChild(reader, tableNode, "string", [&](const Node& stringNode) -> Status {
      uint32_t unused = 0;
      std::string value;
      if (stringNode.valueLength != 0) {
        Result<std::string> text = readUtf16(reader, stringNode.valueOffset, stringNode.end,
                                             "value of \"" + stringNode.key + "\"", unused);
        if (!text) return text.error();
        value = std::move(*text);
      }
      table.strings.push_back(VersionString{stringNode.key, std::move(value)});
      return Ok{};
    });
    if (!status) return status;
    block.stringTables.push_back(std::move(table));
    return Ok{};
  });
}

Status readVarFileInfo(const ByteReader& reader, const Node& info, VersionBlock& block) {
  return forEachChild(reader, info, "var", [&](const Node& var) -> Status {
    if (var.key != "Translation") return Ok{};
    for (uint32_t at = 0; at + 4 <= var.valueLength; at += 4) {
      Result<uint16_t> language = reader.u16(var.valueOffset + at, "translation language");
      if (!language) return language.error();
      Result<uint16_t> codePage = reader.u16(var.valueOffset + at + 2, "translation code page");
      if (!codePage) return codePage.error();
      block.translations.push_back(Translation{*language, *codePage});
    }
    return Ok{};
  });
}

}  // namespace

const std::string* VersionBlock::findString(const std::string& key) const {
  for (const StringTable& table : stringTables)
    for (const VersionString& s : table.strings)
      if (s.key == key) return &s.value;
  return nullptr;
}

std::string formatVersion(uint32_t mostSignificant, uint32_t leastSignificant) {
  return std::to_string(mostSignificant >> 16) + "." + std::to_string(mostSignificant & 0xFFFF) + "." +
         std::to_string(leastSignificant >> 16) + "." + std::to_string(leastSignificant & 0xFFFF);
}

Result<VersionBlock> decodeVersionBlock(std::span<const uint8_t> bytes, const std::string& name) {
  ByteReader reader(bytes, name);
  if (bytes.size() > 0xFFFF)
    return Error{name + ": " + std::to_string(bytes.size()) + " bytes, more than a version block can describe"};
  Result<Node> root = readNode(reader, 0, uint32_t(bytes.size()), "VS_VERSION_INFO");
  if (!root) return root.error();
  if (root->key != "VS_VERSION_INFO")
    return Error{name + ": root key \"" + root->key + "\", expected \"VS_VERSION_INFO\""};

  VersionBlock block;
  Result<FixedFileInfo> fixed = readFixed(reader, *root);
  if (!fixed) return fixed.error();
  block.fixed = *fixed;

  Status status = forEachChild(reader, *root, "file info", [&](const Node& child) -> Status {
    if (child.key == "StringFileInfo") return readStringFileInfo(reader, child, block);
    if (child.key == "VarFileInfo") return readVarFileInfo(reader, child, block);
    return Ok{};
  });
  if (!status) return status.error();
  return block;
}

}  // namespace gb::res
