// The viewer's event log: the session's log lines, numbered so a page can
// ask for what it has not seen yet, kept to a bounded number. The lever's
// travel, which changes variable 326 a little every frame, is folded into
// one line per movement when it runs live.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "panel/panel_session.h"

namespace gb::view {

struct LogLine {
  uint64_t seq = 0;
  double time = 0.0;  // simulated seconds when it happened
  std::string kind;   // click, handler, key-event, variable, note, system
  std::string text;
};

class ViewLog {
 public:
  static constexpr size_t kCapacity = 1000;

  // Adds the session's entries. `live` entries come from frames running in
  // real time: their variable changes are folded until the movement ends.
  void take(const std::vector<panel::LogEntry>& entries, double time, bool live);
  // Ends the folded movements (written as one line each).
  void settle(double time);
  void system(const std::string& text, double time);

  // Lines numbered `since` and later, at most `limit`; `next` is the number
  // to ask for next time.
  std::vector<LogLine> since(uint64_t since, size_t limit) const;
  uint64_t next() const { return next_; }

 private:
  struct Travel {
    double from = 0.0, to = 0.0, start = 0.0;
  };
  void add(std::string kind, std::string text, double time);

  std::deque<LogLine> lines_;
  uint64_t next_ = 1;
  std::map<uint32_t, Travel> travels_;
};

const char* logKindName(panel::LogEntry::Kind kind);

}  // namespace gb::view
