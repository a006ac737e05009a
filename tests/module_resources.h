// The built module's resources, parsed once and shared by the resource
// suites: the PE file and the decoded bitmap under an RT_BITMAP id.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "pe/pe_file.h"
#include "resources/bitmap.h"

namespace module_resources {

inline constexpr uint32_t kEnglishUs = 1033;

// Null when the module does not parse; the message says why.
inline const gb::pe::PeFile* builtModule(std::string* message = nullptr) {
  static std::string error;
  static const gb::pe::PeFile* file = [] {
    auto parsed = gb::pe::loadPeFile(QUANDEL_GAU_PATH);
    if (!parsed) {
      error = parsed.error().message;
      return static_cast<gb::pe::PeFile*>(nullptr);
    }
    return new gb::pe::PeFile(std::move(parsed).value());
  }();
  if (message) *message = error;
  return file;
}

inline gb::Result<std::span<const uint8_t>> resourceBytes(uint32_t type, uint32_t id) {
  std::string message;
  const gb::pe::PeFile* file = builtModule(&message);
  if (!file) return gb::Error{message};
  const gb::pe::Resource* resource = file->findResource(type, id, kEnglishUs);
  if (!resource) return gb::Error{"no resource of type " + std::to_string(type) + " id " + gb::hex(id)};
  return file->resourceBytes(*resource);
}

inline gb::Result<gb::res::Bitmap> moduleBitmap(uint32_t id) {
  auto bytes = resourceBytes(gb::pe::kResourceTypeBitmap, id);
  if (!bytes) return bytes.error();
  return gb::res::decodeBitmap(*bytes, "bitmap " + gb::hex(id));
}

}  // namespace module_resources
