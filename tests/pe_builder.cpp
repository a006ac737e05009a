#include "pe_builder.h"

#include <algorithm>
#include <cassert>

namespace pe_test {
namespace {

uint32_t alignUp(uint32_t value, uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

void grow(std::vector<uint8_t>& bytes, size_t size) {
  if (bytes.size() < size) bytes.resize(size, 0);
}

}  // namespace

void putU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
  grow(bytes, offset + 2);
  bytes[offset] = uint8_t(value);
  bytes[offset + 1] = uint8_t(value >> 8);
}

void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  putU16(bytes, offset, uint16_t(value));
  putU16(bytes, offset + 2, uint16_t(value >> 16));
}

uint32_t getU32(const std::vector<uint8_t>& bytes, size_t offset) {
  return uint32_t(bytes.at(offset)) | uint32_t(bytes.at(offset + 1)) << 8 |
         uint32_t(bytes.at(offset + 2)) << 16 | uint32_t(bytes.at(offset + 3)) << 24;
}

uint32_t PeBuilder::rawOffset(size_t index) const {
  uint32_t offset = alignUp(kSectionTableOffset + 40 * uint32_t(sections.size()), kFileAlignment);
  for (size_t i = 0; i < index; ++i)
    offset += alignUp(uint32_t(sections[i].data.size()), kFileAlignment);
  return offset;
}

std::vector<uint8_t> PeBuilder::build() const {
  std::vector<uint8_t> out;
  uint32_t headersSize = rawOffset(0);
  uint32_t imageSize = sizeOfImage;
  if (imageSize == 0)
    for (const SectionSpec& s : sections)
      imageSize = std::max(imageSize, alignUp(s.rva + s.virtualSize, 0x1000));

  out.resize(headersSize, 0);
  out[0] = 'M';
  out[1] = 'Z';
  putU32(out, 0x3C, kPeOffset);
  putU32(out, kPeOffset, 0x00004550);

  putU16(out, kCoffOffset, machine);
  putU16(out, kCoffOffset + 2, uint16_t(sections.size()));
  putU32(out, kCoffOffset + 4, timeDateStamp);
  putU16(out, kCoffOffset + 16, kOptionalSize);
  putU16(out, kCoffOffset + 18, characteristics);

  const uint32_t o = kOptionalOffset;
  putU16(out, o, optionalMagic);
  putU32(out, o + 16, entryRva);
  putU32(out, o + 28, imageBase);
  putU32(out, o + 32, 0x1000);
  putU32(out, o + 36, kFileAlignment);
  putU32(out, o + 56, imageSize);
  putU32(out, o + 60, headersSize);
  putU16(out, o + 68, 2);  // Windows GUI subsystem
  putU32(out, o + 92, 16);
  for (size_t i = 0; i < directories.size(); ++i) {
    putU32(out, o + 96 + 8 * i, directories[i].first);
    putU32(out, o + 100 + 8 * i, directories[i].second);
  }

  for (size_t i = 0; i < sections.size(); ++i) {
    const SectionSpec& s = sections[i];
    uint32_t h = kSectionTableOffset + 40 * uint32_t(i);
    std::copy_n(s.name.begin(), std::min<size_t>(8, s.name.size()), out.begin() + h);
    uint32_t rawSize = alignUp(uint32_t(s.data.size()), kFileAlignment);
    putU32(out, h + 8, s.virtualSize);
    putU32(out, h + 12, s.rva);
    putU32(out, h + 16, rawSize);
    putU32(out, h + 20, rawSize ? rawOffset(i) : 0);
    putU32(out, h + 36, s.characteristics);
  }
  for (size_t i = 0; i < sections.size(); ++i) {
    const std::vector<uint8_t>& data = sections[i].data;
    uint32_t at = rawOffset(i);
    grow(out, at + alignUp(uint32_t(data.size()), kFileAlignment));
    std::copy(data.begin(), data.end(), out.begin() + at);
  }
  return out;
}

std::vector<uint8_t> relocationBlock(uint32_t pageRva, const std::vector<uint16_t>& entries) {
  std::vector<uint8_t> block;
  putU32(block, 0, pageRva);
  putU32(block, 4, uint32_t(8 + 2 * entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) putU16(block, 8 + 2 * i, entries[i]);
  return block;
}

std::vector<uint8_t> exportTable(uint32_t rva, const std::string& dllName, uint32_t ordinalBase,
                                 const std::vector<uint32_t>& addresses,
                                 const std::vector<std::pair<std::string, uint16_t>>& names) {
  const uint32_t addressTable = 40;
  const uint32_t namePointers = addressTable + 4 * uint32_t(addresses.size());
  const uint32_t ordinalTable = namePointers + 4 * uint32_t(names.size());
  uint32_t strings = ordinalTable + 2 * uint32_t(names.size());

  std::vector<uint8_t> out;
  auto putString = [&](const std::string& text) {
    uint32_t at = strings;
    grow(out, at + text.size() + 1);
    std::copy(text.begin(), text.end(), out.begin() + at);
    strings += uint32_t(text.size()) + 1;
    return rva + at;
  };
  putU32(out, 12, putString(dllName));
  putU32(out, 16, ordinalBase);
  putU32(out, 20, uint32_t(addresses.size()));
  putU32(out, 24, uint32_t(names.size()));
  putU32(out, 28, rva + addressTable);
  putU32(out, 32, rva + namePointers);
  putU32(out, 36, rva + ordinalTable);
  for (size_t i = 0; i < addresses.size(); ++i) putU32(out, addressTable + 4 * i, addresses[i]);
  for (size_t i = 0; i < names.size(); ++i) {
    putU32(out, namePointers + 4 * i, putString(names[i].first));
    putU16(out, ordinalTable + 2 * i, names[i].second);
  }
  return out;
}

namespace {

struct Key {
  uint32_t id = 0;
  std::u16string name;
  bool operator==(const Key&) const = default;
};

struct Node {
  Key key;
  std::vector<Node> children;
  size_t leaf = 0;  // index into the resources, for a language node
};

Node& childFor(Node& parent, const Key& key) {
  for (Node& child : parent.children)
    if (child.key == key) return child;
  parent.children.push_back(Node{key, {}, 0});
  return parent.children.back();
}

// Named entries come first in a resource directory.
void orderNamedFirst(Node& node) {
  std::stable_partition(node.children.begin(), node.children.end(),
                        [](const Node& n) { return !n.key.name.empty(); });
  for (Node& child : node.children) orderNamedFirst(child);
}

}  // namespace

std::vector<uint8_t> resourceTree(uint32_t rva, const std::vector<ResourceSpec>& resources) {
  Node root;
  for (size_t i = 0; i < resources.size(); ++i) {
    const ResourceSpec& r = resources[i];
    Node& type = childFor(root, Key{r.type, r.typeName});
    Node& id = childFor(type, Key{r.id, r.idName});
    id.children.push_back(Node{Key{r.language, {}}, {}, i});
  }
  orderNamedFirst(root);

  // Directories breadth first: root, type directories, id directories.
  std::vector<Node*> directories{&root};
  for (Node& type : root.children) directories.push_back(&type);
  for (Node& type : root.children)
    for (Node& id : type.children) directories.push_back(&id);
  std::vector<uint32_t> directoryOffset;
  uint32_t at = 0;
  for (Node* d : directories) {
    directoryOffset.push_back(at);
    at += 16 + 8 * uint32_t(d->children.size());
  }
  uint32_t dataEntries = at;
  uint32_t strings = dataEntries + 16 * uint32_t(resources.size());

  std::vector<uint8_t> out;
  grow(out, strings);
  auto putName = [&](const std::u16string& name) {
    uint32_t offset = strings;
    putU16(out, offset, uint16_t(name.size()));
    for (size_t i = 0; i < name.size(); ++i) putU16(out, offset + 2 + 2 * i, name[i]);
    strings += 2 + 2 * uint32_t(name.size());
    return offset;
  };
  auto indexOf = [&](const Node* node) {
    return size_t(std::find(directories.begin(), directories.end(), node) - directories.begin());
  };

  std::vector<uint32_t> leafEntry(resources.size());
  uint32_t nextDataEntry = dataEntries;
  for (size_t d = 0; d < directories.size(); ++d) {
    const Node& dir = *directories[d];
    uint32_t base = directoryOffset[d];
    uint16_t named = uint16_t(std::count_if(dir.children.begin(), dir.children.end(),
                                            [](const Node& n) { return !n.key.name.empty(); }));
    putU16(out, base + 12, named);
    putU16(out, base + 14, uint16_t(dir.children.size() - named));
    for (size_t i = 0; i < dir.children.size(); ++i) {
      const Node& child = dir.children[i];
      uint32_t entry = base + 16 + 8 * uint32_t(i);
      putU32(out, entry, child.key.name.empty() ? child.key.id : 0x80000000 | putName(child.key.name));
      if (child.children.empty()) {  // a language: points at its data entry
        leafEntry[child.leaf] = nextDataEntry;
        putU32(out, entry + 4, nextDataEntry);
        nextDataEntry += 16;
      } else {
        putU32(out, entry + 4, 0x80000000 | directoryOffset[indexOf(&child)]);
      }
    }
  }

  uint32_t data = alignUp(strings, 4);
  for (size_t i = 0; i < resources.size(); ++i) {
    const ResourceSpec& r = resources[i];
    putU32(out, leafEntry[i], rva + data);
    putU32(out, leafEntry[i] + 4, uint32_t(r.data.size()));
    putU32(out, leafEntry[i] + 8, r.codePage);
    grow(out, data + r.data.size());
    std::copy(r.data.begin(), r.data.end(), out.begin() + data);
    data = alignUp(data + uint32_t(r.data.size()), 4);
  }
  out.resize(alignUp(uint32_t(out.size()), 4), 0);
  return out;
}

}  // namespace pe_test
