#include "panel/scenario_runner.h"

#include <filesystem>
#include <map>
#include <ostream>

#include "render/compose.h"
#include "render/png_writer.h"

namespace gb::panel {

namespace {

// Prints the session's log entries from `from` on, indented under the step;
// variable changes are folded into one line per variable.
void printLog(const PanelSession& session, size_t from, std::ostream& out) {
  const std::vector<LogEntry>& log = session.log();
  std::map<std::string, std::pair<std::string, std::string>> folded;  // var -> (first before, last after)
  std::vector<std::string> order;
  auto flush = [&] {
    for (const std::string& var : order)
      out << "      " << var << ": " << folded[var].first << " -> " << folded[var].second << "\n";
    folded.clear();
    order.clear();
  };
  for (size_t i = from; i < log.size(); ++i) {
    const LogEntry& e = log[i];
    if (e.kind == LogEntry::Click) continue;  // the step line says it
    if (e.kind == LogEntry::VariableChanged) {
      // "var 326: 0 -> 4096"
      size_t colon = e.text.find(": "), arrow = e.text.find(" -> ");
      std::string var = e.text.substr(0, colon);
      std::string before = e.text.substr(colon + 2, arrow - colon - 2), after = e.text.substr(arrow + 4);
      if (!folded.count(var)) {
        order.push_back(var);
        folded[var].first = before;
      }
      folded[var].second = after;
      continue;
    }
    flush();
    std::string text = e.text;
    while (!text.empty() && text[0] == ' ') text.erase(0, 1);
    out << "      " << text << "\n";
  }
  flush();
}

}  // namespace

Status runScenario(const Scenario& scenario, PanelSession& session, const ScenarioOptions& options,
                   std::ostream& out) {
  size_t checkedEvents = 0;
  for (const ScenarioStep& step : scenario.steps) {
    const std::string where = scenario.name + ":" + std::to_string(step.line) + ": ";
    std::string number = std::to_string(step.line);
    out << std::string(number.size() < 4 ? 4 - number.size() : 0, ' ') << number << "  " << step.text << "\n";
    const size_t logFrom = session.log().size();
    Status status = Ok{};
    switch (step.kind) {
      case ScenarioStep::Set:
        status = session.setVariable(step.token, step.value);
        break;
      case ScenarioStep::Click: {
        Result<ClickOutcome> outcome = session.click(step.x, step.y);
        if (!outcome) status = outcome.error();
        break;
      }
      case ScenarioStep::Advance:
        status = session.advance(step.value);
        break;
      case ScenarioStep::Frame: {
        Result<Frame> frame = session.frame();
        if (!frame) {
          status = frame.error();
          break;
        }
        render::RgbaImage image = render::enlarged(render::compose(*frame, {}).image, options.scale);
        std::string path = (std::filesystem::path(options.frameDir) / (step.name + ".png")).string();
        status = render::writePng(image, path);
        if (status) out << "      wrote " << path << "\n";
        break;
      }
      case ScenarioStep::ExpectVar: {
        if (!session.host().knowsVariable(step.token))
          return Error{where + "expect var " + std::to_string(step.token) + ": unknown host variable token"};
        double found = session.host().variable(step.token);
        if (found != step.value)
          return Error{where + "expected var " + std::to_string(step.token) + " to be " + formatNumber(step.value) +
                       ", found " + formatNumber(found)};
        break;
      }
      case ScenarioStep::ExpectEvent: {
        const std::vector<KeyEvent>& sent = session.keyEventsSent();
        std::string expected = keyEventName(step.eventId) + " " + std::to_string(step.eventValue);
        if (checkedEvents >= sent.size())
          return Error{where + "expected event " + expected + ", but no unchecked key event was sent"};
        const KeyEvent& e = sent[checkedEvents++];
        if (e.id != step.eventId || e.value != step.eventValue)
          return Error{where + "expected event " + expected + ", found " + keyEventName(e.id) + " " +
                       std::to_string(e.value)};
        break;
      }
      case ScenarioStep::ExpectNoEvent: {
        const std::vector<KeyEvent>& sent = session.keyEventsSent();
        if (checkedEvents < sent.size())
          return Error{where + "expected no unchecked key event, found " + keyEventName(sent[checkedEvents].id) +
                       " " + std::to_string(sent[checkedEvents].value)};
        break;
      }
    }
    if (!status) return Error{where + status.error().message};
    printLog(session, logFrom, out);
  }
  return Ok{};
}

}  // namespace gb::panel
