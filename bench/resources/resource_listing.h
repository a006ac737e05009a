// What `gaugebench inspect` shows of a module's resources: a listing of every
// resource with its bitmap header or version strings, and the bitmaps
// written out as PNG files so a person can look at them.
#pragma once

#include <string>

#include "pe/pe_file.h"
#include "support/result.h"

namespace gb::res {

// One line per resource (type, id, language, size), then the bitmap header
// fields under each bitmap and the version block's fields and strings under
// the version resource. A resource that does not decode shows its error in
// place, and the listing goes on.
std::string describeResources(const pe::PeFile& file);

// Writes every RT_BITMAP resource as DIR/bitmap-0x<id>.png, pure black shown
// as transparent, each pixel repeated `scale` times in both directions.
// Stops at the first bitmap that does not decode or cannot be written.
Status writeBitmapPngs(const pe::PeFile& file, const std::string& dir, int scale = 1);

}  // namespace gb::res
