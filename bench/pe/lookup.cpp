// Finding an export or a resource of a parsed file.
#include "pe/pe_internal.h"

namespace gb::pe {

const Export* PeFile::findExport(const std::string& name) const {
  for (const Export& e : exports.entries)
    if (!e.name.empty() && e.name == name) return &e;
  return nullptr;
}

const Resource* PeFile::findResource(uint32_t type, uint32_t id, uint32_t language) const {
  for (const Resource& r : resources)
    if (r.typeName.empty() && r.idName.empty() && r.type == type && r.id == id &&
        r.language == language)
      return &r;
  return nullptr;
}

Result<std::span<const uint8_t>> PeFile::resourceBytes(const Resource& resource) const {
  return detail::fileBytesAtRva(*this, resource.dataRva, resource.size,
                                "resource " + hex(resource.id) + " data");
}

}  // namespace gb::pe
