// The gaugebench command line: parses the arguments, runs one command, and
// returns the process exit code (0 success, 1 failure, 2 bad usage). Errors
// go to `err` as one line each, prefixed "gaugebench: ".
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gb::cli {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace gb::cli
