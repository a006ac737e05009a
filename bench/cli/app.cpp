#include "cli/app.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.h"

namespace gb::cli {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"gaugebench: loads a panel gauge module (a 32-bit Windows DLL), runs it in an\n"
               "emulated i386 machine with a stand-in panel host, and shows what it does."};
  app.name("gaugebench");
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Show the help of every command");

  InspectOptions inspect;
  CLI::App* inspectCommand =
      app.add_subcommand("inspect", "Print a module's exports and records as the host finds them");
  inspectCommand->add_option("FILE", inspect.path, "The gauge module, e.g. build/quandel.gau")->required();
  inspectCommand->add_flag("--json", inspect.json, "Print the same as JSON");

  std::vector<std::string> argv = args;
  std::reverse(argv.begin(), argv.end());  // CLI11 takes the arguments in reverse
  try {
    app.parse(argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::ParseError& e) {
    // Help asked of a subcommand arrives as CallForHelp from it.
    err << "gaugebench: " << e.what() << "\n"
        << "Run 'gaugebench --help' for usage.\n";
    return 2;
  }

  if (inspectCommand->parsed()) return runInspect(inspect, out, err);
  return 2;
}

}  // namespace gb::cli
