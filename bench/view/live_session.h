// The one gauge the viewer shows, alive: a panel session running in real
// time at the panel's frame rate on its own thread, which is the only thread
// that ever touches the emulated module. Requests hand their work to that
// thread and wait for it, so access to the module is serialised. The same
// thread watches the module's file and reloads it when it changes, keeping
// the host variables; a module that fails to load or faults is kept as an
// error to show, and the session waits for the next change or a reset.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "panel/panel_session.h"
#include "view/file_stamp.h"
#include "view/view_log.h"

namespace gb::view {

struct AreaView {
  size_t index = 0;
  panel::Box box;  // clipped to the parent, gauge pixels
  panel::MouseAreaInfo record;
  std::string handlerName;  // "quandel.gau+0x1234", or empty for none
};

// Everything a page shows, taken at one moment.
struct SessionSnapshot {
  std::string path;
  bool loaded = false;  // a module is open (it may have faulted since)
  std::string error;    // load failure or fault; empty while all is well
  bool running = true;
  double time = 0.0;        // simulated seconds since the module was loaded
  uint64_t loadCount = 0;   // loads and reloads so far
  uint64_t frameCount = 0;  // grows whenever the picture changed
  panel::Frame frame;
  std::optional<panel::Box> parent;
  std::vector<AreaView> areas;
  std::map<uint32_t, double> variables;
  double rate = 0.0;
  double target = 0.0;
  bool moving = false;
  std::vector<LogLine> log;
  uint64_t logNext = 1;
  uint64_t clicks = 0;     // clicks handled since the viewer started
  uint64_t keyEvents = 0;  // key events the gauge sent since the viewer started
};

struct ClickReport {
  panel::ClickOutcome outcome;
  std::string handlerName;
  std::string fault;  // the module faulted in the handler
};

class LiveSession {
 public:
  struct Options {
    std::string path;
    bool running = true;
    std::chrono::milliseconds watchInterval{300};
  };

  explicit LiveSession(Options options);
  ~LiveSession();
  LiveSession(const LiveSession&) = delete;
  LiveSession& operator=(const LiveSession&) = delete;

  SessionSnapshot snapshot(uint64_t logSince, size_t logLimit = 300);
  Result<ClickReport> click(int x, int y);
  // Clicks the middle of a mouse area's box, by its index in the list.
  Result<ClickReport> clickArea(size_t index);
  Status setVariable(uint32_t token, double value);
  // Units of variable 326 per second; 0 moves the lever at once.
  Status setRate(double unitsPerSecond);
  // Where variable 326 travels to, as a set event would put it.
  Status setTarget(double target);
  void setRunning(bool running);
  // One frame of simulated time (1/18 s), for a paused viewer.
  Status step();
  // Loads the module afresh, with every variable at rest.
  void reset();

 private:
  // Runs `work` on the gauge thread and waits for its result.
  template <class F>
  auto onGaugeThread(F work) -> decltype(work());
  void threadMain();
  void guarded(const std::function<void()>& work);

  // Gauge-thread work.
  void load(bool keepVariables);
  void tick();
  void watch();
  void fault(const std::string& message);
  void collectLog(bool live);
  void redrawIfPaused();
  void noteFrame();
  Status usable() const;
  Result<ClickReport> clickAt(int x, int y);

  Options options_;
  // Gauge-thread state.
  std::unique_ptr<panel::PanelSession> session_;
  std::string error_;
  bool running_ = true;
  uint64_t loadCount_ = 0;
  uint64_t frameCount_ = 0;
  uint64_t clicks_ = 0;
  uint64_t keyEvents_ = 0;
  panel::Frame shown_;
  ViewLog log_;
  ReloadWatch watch_;
  std::map<uint32_t, double> carried_;  // variables kept across reloads
  double carriedRate_ = panel::SpeedBrakeModel::kDefaultRate;
  std::optional<double> carriedTarget_;

  // The queue of work handed to the gauge thread.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> work_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace gb::view
