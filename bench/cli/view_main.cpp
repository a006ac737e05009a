// gaugebench-view: the `gaugebench view` command as a program of its own,
// started by gaugebench with the same arguments.
#include <iostream>

#include "cli/app.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = {"view"};
  args.insert(args.end(), argv + 1, argv + argc);
  return gb::cli::run(args, std::cout, std::cerr, gb::cli::runView);
}
