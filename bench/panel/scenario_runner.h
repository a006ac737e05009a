// Runs a parsed scenario against a panel session: prints what happens, step
// by step, writes the named frames, and stops at the first expectation that
// does not hold.
#pragma once

#include <iosfwd>
#include <string>

#include "panel/panel_session.h"
#include "panel/scenario.h"
#include "support/result.h"

namespace gb::panel {

struct ScenarioOptions {
  std::string frameDir = ".";  // where `frame NAME` writes NAME.png
  int scale = 1;
};

// Ok when every step ran and every expectation held; otherwise the error
// names the script and line: "demo.txt:7: expected var 326 to be 4096, found 2048".
Status runScenario(const Scenario& scenario, PanelSession& session, const ScenarioOptions& options,
                   std::ostream& out);

}  // namespace gb::panel
