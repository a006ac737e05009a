// The gaugebench command line: parses the arguments, runs one command, and
// returns the process exit code (0 success, 1 failure, 2 bad usage). Errors
// go to `err` as one line each, prefixed "gaugebench: ".
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gb::cli {

struct ViewOptions;

// Runs `gaugebench view`. The gaugebench program hands the command to the
// gaugebench-view program beside it (launchViewProgram), which runs the
// server itself (runView), so that only the viewer loads the HTTP libraries.
using ViewRunner = int (*)(const ViewOptions& options, std::ostream& out, std::ostream& err);

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        ViewRunner viewRunner = nullptr);

// Replaces this process with gaugebench-view from this program's folder;
// returns only on failure.
int launchViewProgram(const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace gb::cli
