// The gaugebench commands, each callable with its options and two streams.
#pragma once

#include <iosfwd>
#include <string>

namespace gb::cli {

struct InspectOptions {
  std::string path;
  bool json = false;
};

int runInspect(const InspectOptions& options, std::ostream& out, std::ostream& err);

}  // namespace gb::cli
