// The stores write watching saw, as text for people: one line per distinct
// (address, size, storing instruction), in the order first seen, with how
// many times it happened.
#pragma once

#include <string>

#include "machine/machine.h"

namespace gb::machine {

// "image writes: 3 stores into quandel.gau\n"
// "  quandel.gau+0x3010  4 bytes  by quandel.gau+0x1134  2 times\n" ...
std::string describeImageWrites(const Machine& machine);

}  // namespace gb::machine
