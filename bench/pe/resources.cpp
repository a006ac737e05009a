// The resource directory: a tree of three levels (type, name or id,
// language) whose leaves are data entries giving the RVA, size and code page
// of each resource. Offsets inside the tree are relative to its start;
// entries with the high bit set name a subdirectory (or, in the name field, a
// counted UTF-16 string).
#include <algorithm>
#include <vector>

#include "pe/pe_internal.h"
#include "support/byte_reader.h"

namespace gb::pe::detail {
namespace {

constexpr uint32_t kDirectoryHeaderSize = 16;
constexpr uint32_t kEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000;
constexpr unsigned kLevels = 3;
// Bounds the walk: shared subdirectories could otherwise multiply the leaves.
constexpr size_t kMaxEntries = 0x10000;

const char* levelName(unsigned level) {
  static const char* const names[kLevels] = {"type", "name", "language"};
  return names[level];
}

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// UTF-16LE to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::span<const uint8_t> text) {
  std::string out;
  size_t count = text.size() / 2;
  for (size_t i = 0; i < count; ++i) {
    uint32_t unit = loadU16(text.data() + 2 * i);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count) {
      uint32_t low = loadU16(text.data() + 2 * (i + 1));
      if (low >= 0xDC00 && low < 0xE000) {
        appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
  }
  return out;
}

class TreeWalker {
 public:
  TreeWalker(PeFile& file, std::span<const uint8_t> tree)
      : file_(file), tree_(tree, "resource directory") {}

  Status walk(uint32_t offset, unsigned level, Resource resource) {
    if (!tree_.contains(offset, kDirectoryHeaderSize))
      return Error{"resource directory: " + std::string(levelName(level)) +
                   " directory at offset " + hex(offset) + " lies outside the " +
                   hex(tree_.size()) + "-byte resource section"};
    const uint8_t* header = tree_.bytes().data() + offset;
    uint32_t count = uint32_t(loadU16(header + 12)) + loadU16(header + 14);
    uint64_t entriesOffset = uint64_t(offset) + kDirectoryHeaderSize;
    if (!tree_.contains(entriesOffset, uint64_t(count) * kEntrySize))
      return Error{"resource directory: " + hex(count) + " entries of the directory at offset " +
                   hex(offset) + " run past the end of the " + hex(tree_.size()) +
                   "-byte resource section"};
    entriesSeen_ += count;
    if (entriesSeen_ > kMaxEntries)
      return Error{"resource directory: more than " + hex(kMaxEntries) +
                   " entries; the tree is malformed or hostile"};

    ancestors_.push_back(offset);
    for (uint32_t i = 0; i < count; ++i) {
      uint64_t entryOffset = entriesOffset + uint64_t(i) * kEntrySize;
      if (auto status = visitEntry(uint32_t(entryOffset), level, resource); !status)
        return status;
    }
    ancestors_.pop_back();
    return Ok{};
  }

 private:
  Status visitEntry(uint32_t entryOffset, unsigned level, Resource resource) {
    const uint8_t* entry = tree_.bytes().data() + entryOffset;
    uint32_t nameField = loadU32(entry);
    uint32_t dataField = loadU32(entry + 4);
    std::string where = "resource directory: " + std::string(levelName(level)) +
                        " entry at offset " + hex(entryOffset);

    std::string name;
    if (nameField & kHighBit) {
      if (level == 2) return Error{where + " is named; a language must be a number"};
      auto text = readName(nameField & ~kHighBit, where);
      if (!text) return text.error();
      name = std::move(*text);
    }
    uint32_t id = (nameField & kHighBit) ? 0 : nameField;
    if (level == 0) {
      resource.type = id;
      resource.typeName = name;
    } else if (level == 1) {
      resource.id = id;
      resource.idName = name;
    } else {
      resource.language = id;
    }

    uint32_t target = dataField & ~kHighBit;
    if (dataField & kHighBit) {
      if (level + 1 == kLevels)
        return Error{where + " points at a subdirectory " + hex(target) +
                     ", deeper than three levels"};
      if (std::find(ancestors_.begin(), ancestors_.end(), target) != ancestors_.end())
        return Error{where + " points back at the directory at offset " + hex(target) +
                     " (a cycle)"};
      return walk(target, level + 1, std::move(resource));
    }
    if (level + 1 < kLevels)
      return Error{where + " points at a data entry " + hex(target) +
                   "; a subdirectory is expected above the language level"};
    return readDataEntry(target, where, std::move(resource));
  }

  Result<std::string> readName(uint32_t offset, const std::string& where) {
    auto length = tree_.u16(offset, "name");
    if (!length)
      return Error{where + " has its name at offset " + hex(offset) + ", outside the " +
                   hex(tree_.size()) + "-byte resource section"};
    auto text = tree_.span(uint64_t(offset) + 2, uint64_t(*length) * 2, "name");
    if (!text)
      return Error{where + " has a name of " + hex(*length) + " characters at offset " +
                   hex(offset) + " running past the end of the " + hex(tree_.size()) +
                   "-byte resource section"};
    return utf16ToUtf8(*text);
  }

  Status readDataEntry(uint32_t offset, const std::string& where, Resource resource) {
    auto entry = tree_.span(offset, kDataEntrySize, "data entry");
    if (!entry)
      return Error{where + " points at a data entry " + hex(offset) + " outside the " +
                   hex(tree_.size()) + "-byte resource section"};
    resource.dataRva = loadU32(entry->data());
    resource.size = loadU32(entry->data() + 4);
    resource.codePage = loadU32(entry->data() + 8);
    auto data = fileBytesAtRva(file_, resource.dataRva, resource.size,
                               "resource directory: data entry at offset " + hex(offset) + ":");
    if (!data) return data.error();
    file_.resources.push_back(std::move(resource));
    return Ok{};
  }

  PeFile& file_;
  ByteReader tree_;
  std::vector<uint32_t> ancestors_;
  size_t entriesSeen_ = 0;
};

}  // namespace

Status parseResources(PeFile& file) {
  if (file.directories.size() <= kResourceDirectory) return Ok{};
  DataDirectory directory = file.directories[kResourceDirectory];
  if (directory.rva == 0 && directory.size == 0) return Ok{};
  auto tree = fileBytesAtRva(file, directory.rva, directory.size, "resource directory:");
  if (!tree) return tree.error();
  return TreeWalker(file, *tree).walk(0, 0, Resource{});
}

}  // namespace gb::pe::detail
