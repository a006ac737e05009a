#include "panel/scenario.h"

#include <charconv>
#include <sstream>

#include "panel/speed_brake_model.h"
#include "support/number_text.h"

namespace gb::panel {

namespace {

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> out;
  std::istringstream in{std::string(line)};
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

template <class Int>
bool integer(const std::string& text, Int& value) {
  int base = 10;
  const char* begin = text.data();
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    begin += 2;
  }
  auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value, base);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

bool frameName(const std::string& name) {
  if (name.empty() || name.size() > 100 || name[0] == '.') return false;
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.')) return false;
  return true;
}

// Parses the words of one line that is neither blank nor a comment.
Result<ScenarioStep> parseStep(const std::vector<std::string>& w, ScenarioStep step) {
  auto fail = [](const std::string& message) { return Error{message}; };
  const std::string& verb = w[0];
  if (verb == "set") {
    if (w.size() != 3) return fail("'set' takes a variable token and a value: set 318 -8000");
    if (!integer(w[1], step.token)) return fail("'" + w[1] + "' is not a variable token");
    if (!parseFiniteNumber(w[2], step.value)) return fail("'" + w[2] + "' is not a finite number");
    step.kind = ScenarioStep::Set;
  } else if (verb == "click") {
    if (w.size() != 3) return fail("'click' takes a column and a row: click 20 120");
    if (!integer(w[1], step.x) || !integer(w[2], step.y))
      return fail("'click " + w[1] + " " + w[2] + "': the column and row must be whole numbers");
    step.kind = ScenarioStep::Click;
  } else if (verb == "advance") {
    if (w.size() != 2) return fail("'advance' takes a number of seconds: advance 0.5");
    if (!parseFiniteNumber(w[1], step.value) || step.value < 0 || step.value > kMaxAdvanceSeconds)
      return fail("'" + w[1] + "' is not a number of seconds from 0 to 3600");
    step.kind = ScenarioStep::Advance;
  } else if (verb == "frame") {
    if (w.size() != 2) return fail("'frame' takes a name: frame lever-down");
    if (!frameName(w[1]))
      return fail("'" + w[1] + "' is not a frame name (letters, digits, '-', '_' and '.', not starting with '.')");
    step.name = w[1];
    step.kind = ScenarioStep::Frame;
  } else if (verb == "expect") {
    if (w.size() >= 2 && w[1] == "var") {
      if (w.size() != 4) return fail("'expect var' takes a token and a value: expect var 326 4096");
      if (!integer(w[2], step.token)) return fail("'" + w[2] + "' is not a variable token");
      if (!parseFiniteNumber(w[3], step.value)) return fail("'" + w[3] + "' is not a finite number");
      step.kind = ScenarioStep::ExpectVar;
    } else if (w.size() == 3 && w[1] == "event" && w[2] == "none") {
      step.kind = ScenarioStep::ExpectNoEvent;
    } else if (w.size() >= 2 && w[1] == "event") {
      if (w.size() != 4)
        return fail("'expect event' takes an event and a value: expect event SpeedBrakeSetEvent 4096");
      if (!keyEventId(w[2], step.eventId) && !integer(w[2], step.eventId))
        return fail("'" + w[2] + "' is not a key event (SpeedBrakeSetEvent, SpeedBrakeArmToggleEvent or a number)");
      if (!integer(w[3], step.eventValue)) return fail("'" + w[3] + "' is not a 32-bit event value");
      step.kind = ScenarioStep::ExpectEvent;
    } else {
      return fail("'expect' is followed by 'var' or 'event'");
    }
  } else {
    return fail("unknown step '" + verb + "' (steps: set, click, advance, frame, expect)");
  }
  return step;
}

}  // namespace

Result<Scenario> parseScenario(std::string_view text, const std::string& name) {
  Scenario scenario;
  scenario.name = name;
  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    auto where = [&] { return name + ":" + std::to_string(lineNumber) + ": "; };
    if (line.size() > kMaxScenarioLine)
      return Error{where() + "line longer than " + std::to_string(kMaxScenarioLine) + " characters"};
    if (line.find('\0') != std::string_view::npos) return Error{where() + "the line holds a NUL byte"};
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string> w = words(line);
    if (w.empty() || w[0][0] == '#') continue;
    ScenarioStep step;
    step.line = lineNumber;
    for (size_t i = 0; i < w.size(); ++i) step.text += (i ? " " : "") + w[i];
    Result<ScenarioStep> parsed = parseStep(w, step);
    if (!parsed) return Error{where() + parsed.error().message};
    scenario.steps.push_back(std::move(*parsed));
  }
  return scenario;
}

}  // namespace gb::panel
