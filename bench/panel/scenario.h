// A plain-text scenario for a gauge, one step a line:
//
//   set 318 -8000                       set a host variable
//   click 20 120                        click at gauge pixel (x, y)
//   advance 0.5                         let simulated seconds pass
//   frame lever-down                    write the current frame as NAME.png
//   expect var 326 4096                 a host variable holds exactly this
//   expect event SpeedBrakeSetEvent 4096  the next unchecked key event
//   expect event none                   no key event is left unchecked
//   # a comment; blank lines are skipped
//
// Parsing checks every line before anything runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/result.h"

namespace gb::panel {

struct ScenarioStep {
  enum Kind { Set, Click, Advance, Frame, ExpectVar, ExpectEvent, ExpectNoEvent };
  Kind kind = Set;
  size_t line = 0;   // 1-based
  std::string text;  // the line as written, trimmed
  uint32_t token = 0;       // Set, ExpectVar
  double value = 0.0;       // Set, ExpectVar; Advance: seconds
  int x = 0, y = 0;         // Click
  std::string name;         // Frame
  uint32_t eventId = 0;     // ExpectEvent
  uint32_t eventValue = 0;  // ExpectEvent
};

struct Scenario {
  std::string name;  // the script's path, for messages
  std::vector<ScenarioStep> steps;
};

inline constexpr size_t kMaxScenarioLine = 1024;
inline constexpr double kMaxAdvanceSeconds = 3600.0;

// Errors read "NAME:LINE: what is wrong".
Result<Scenario> parseScenario(std::string_view text, const std::string& name);

}  // namespace gb::panel
