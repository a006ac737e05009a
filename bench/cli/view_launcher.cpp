#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "cli/app.h"
#include "cli/commands.h"

namespace gb::cli {

int launchViewProgram(const ViewOptions& options, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) {
    err << "gaugebench: cannot find this program's folder: " << ec.message() << "\n";
    return 1;
  }
  const std::string program = (self.parent_path() / "gaugebench-view").string();
  std::vector<std::string> args = {program, options.path, "--port", std::to_string(options.port)};
  if (options.open) args.push_back("--open");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  out.flush();
  execv(program.c_str(), argv.data());
  err << "gaugebench: cannot run " << program << ": " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace gb::cli
