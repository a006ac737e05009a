// Corrupted copies of a built gauge module, each broken in one place, with
// the exact error the bench must give for it. The places are found in the
// module itself (its headers, tables and resource tree), so the copies follow
// the module as it changes. Shared by the malformed-module tests and the
// tool that writes the fuzzers' starting corpus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/result.h"

namespace corruption {

// Where the bench meets the damage: parsing the file, or decoding one of
// its resources (as the host does when it loads a picture, and as inspect
// does when it lists the version block).
enum class Stage { Parse, Bitmap, VersionBlock };

struct Case {
  std::string name;
  std::vector<uint8_t> bytes;
  Stage stage = Stage::Parse;
  uint32_t resourceId = 0;  // for Bitmap and VersionBlock
  std::string error;        // the exact message
};

// Fails when `module` does not have the shape the cases rely on (a well-
// formed DLL with relocations, exports, bitmap 0x1000 and version block 1).
gb::Result<std::vector<Case>> corruptedCopies(const std::vector<uint8_t>& module);

// The bench's error for the case's bytes at its stage; empty if it accepts them.
std::string benchError(const Case& c);

}  // namespace corruption
