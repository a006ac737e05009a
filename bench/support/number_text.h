// Numbers as people write them in scripts and on the command line.
#pragma once

#include <string>

namespace gb {

// A finite decimal number written in full ("4096", "-0.5", "+1e3"), with
// nothing before or after it.
bool parseFiniteNumber(const std::string& text, double& value);

}  // namespace gb
