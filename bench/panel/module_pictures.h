// The host's picture loader: bitmaps from the module's own resources, by
// type RT_BITMAP, numeric id and language 1033.
#pragma once

#include "panel/gauge_host.h"
#include "pe/pe_file.h"

namespace gb::panel {

inline constexpr uint32_t kResourceLanguage = 1033;

// The source keeps a reference to `file`, which must outlive it.
PictureSource modulePictureSource(const pe::PeFile& file);

}  // namespace gb::panel
