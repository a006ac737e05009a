#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "cli/commands.h"
#include "machine/write_report.h"
#include "panel/panel_session.h"
#include "panel/scenario.h"
#include "panel/scenario_runner.h"

namespace gb::cli {

namespace {

constexpr std::uintmax_t kMaxScriptBytes = 1 << 20;

Result<std::string> readScript(const std::string& path) {
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return Error{path + ": cannot read: " + ec.message()};
  if (size > kMaxScriptBytes) return Error{path + ": a script of " + std::to_string(size) + " bytes is too long (1 MiB at most)"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return Error{path + ": cannot open"};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int runPlay(const PlayOptions& options, std::ostream& out, std::ostream& err) {
  auto fail = [&](const std::string& message) {
    err << "gaugebench: " << message << "\n";
    return 1;
  };
  Result<std::string> text = readScript(options.script);
  if (!text) return fail(text.error().message);
  Result<panel::Scenario> scenario = panel::parseScenario(*text, options.script);
  if (!scenario) return fail(scenario.error().message);

  std::error_code ec;
  std::filesystem::create_directories(options.frameDir, ec);
  if (ec) return fail(options.frameDir + ": cannot create the frame folder: " + ec.message());

  panel::PanelSession::Options sessionOptions;
  if (options.instant) sessionOptions.rate = 0.0;
  Result<std::unique_ptr<panel::PanelSession>> session = panel::PanelSession::open(options.path, sessionOptions);
  if (!session) return fail(session.error().message);
  machine::Machine& machine = (*session)->host().machine();
  if (options.watchWrites)
    if (Status s = machine.watchImageWrites(true); !s) return fail(s.error().message);
  if (Status s = (*session)->start(); !s) return fail(s.error().message);

  out << "playing " << options.script << " on " << options.path << "\n";
  Status result = panel::runScenario(*scenario, **session, {options.frameDir, options.scale}, out);
  if (options.watchWrites) out << machine::describeImageWrites(machine);
  if (!result) return fail(result.error().message);
  out << "all " << scenario->steps.size() << " steps passed\n";
  return 0;
}

}  // namespace gb::cli
