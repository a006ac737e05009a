// A gauge running in the stand-in panel: the module's life from load to
// kill, frames at the panel's rate, clicks dispatched through the mouse
// list, the speed-brake model answering key events, and an event log.
// Host code never runs inside a module call: callbacks and handlers are
// called from here, between gauge routines.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panel/frame.h"
#include "panel/gauge_host.h"
#include "panel/mouse_layout.h"
#include "panel/speed_brake_model.h"
#include "support/result.h"

namespace gb::panel {

inline constexpr double kFrameRate = 18.0;  // frames per simulated second

// One line of what happened, for people and for scenario checks.
struct LogEntry {
  enum Kind { Click, Handler, KeyEventSent, VariableChanged, Note };
  Kind kind = Note;
  std::string text;
};

struct ClickOutcome {
  bool hit = false;
  size_t areaIndex = 0;
  uint32_t handler = 0;
  uint32_t result = 0;
  std::vector<KeyEvent> events;
  std::vector<VariableChange> changes;
};

class PanelSession {
 public:
  struct Options {
    GaugeHost::Options host;
    double rate = SpeedBrakeModel::kDefaultRate;  // 0: instant
    uint32_t installArgument = 0;
    uint32_t generateArgument = 0;
  };

  static Result<std::unique_ptr<PanelSession>> open(const std::string& path, Options options);

  // DllEntry (process attach), ModuleInit, GaugeInstall, GaugeInitialize.
  Status start();
  // GaugeKill, ModuleDeinit, DllEntry (process detach).
  Status stop();
  bool started() const { return started_; }

  // GaugeUpdate, the value callbacks, GaugeGenerate and GaugeDraw.
  Result<Frame> frame();
  const Frame& lastFrame() const { return lastFrame_; }

  // Hit-tests the registered mouse list at a gauge pixel and calls the
  // handler; its key events go to the model after it returns.
  Result<ClickOutcome> click(int x, int y);
  // The mouse list as it stands, if one is registered.
  Result<MouseLayout> mouseLayout() const;

  // Simulated time: the model moves and a frame runs every 1/18 s.
  Status advance(double seconds);
  // Sets a host variable as the user; unknown tokens are refused.
  Status setVariable(uint32_t token, double value);

  GaugeHost& host() { return *host_; }
  const GaugeHost& host() const { return *host_; }
  SpeedBrakeModel& model() { return model_; }
  const std::vector<LogEntry>& log() const { return log_; }
  void clearLog() { log_.clear(); }
  // Every key event the gauge sent, in order.
  const std::vector<KeyEvent>& keyEventsSent() const { return sent_; }
  double simulatedTime() const { return time_; }

 private:
  explicit PanelSession(std::unique_ptr<GaugeHost> host, Options options);
  void note(LogEntry::Kind kind, std::string text) { log_.push_back({kind, std::move(text)}); }
  void logChanges(const std::vector<VariableChange>& changes);
  Status applyKeyEvents(std::vector<KeyEvent> events, std::vector<VariableChange>& changes);
  Result<ElementPlacement> place(const InstalledElement& element);

  std::unique_ptr<GaugeHost> host_;
  Options options_;
  SpeedBrakeModel model_;
  bool started_ = false;
  Frame lastFrame_;
  std::vector<LogEntry> log_;
  std::vector<KeyEvent> sent_;
  double time_ = 0.0;
  double sinceFrame_ = 0.0;
};

// "1.5", "4096", "-0": numbers as the log and scripts print them.
std::string formatNumber(double value);

}  // namespace gb::panel
