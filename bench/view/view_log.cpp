#include "view/view_log.h"

#include <cstdio>

namespace gb::view {

namespace {

// "var 326: 0 -> 606.8" as the session writes a variable change.
bool parseChange(const std::string& text, uint32_t& token, double& before, double& after) {
  unsigned t = 0;
  if (std::sscanf(text.c_str(), "var %u: %lf -> %lf", &t, &before, &after) != 3) return false;
  token = t;
  return true;
}

}  // namespace

const char* logKindName(panel::LogEntry::Kind kind) {
  switch (kind) {
    case panel::LogEntry::Click: return "click";
    case panel::LogEntry::Handler: return "handler";
    case panel::LogEntry::KeyEventSent: return "key-event";
    case panel::LogEntry::VariableChanged: return "variable";
    case panel::LogEntry::Note: return "note";
  }
  return "note";
}

void ViewLog::add(std::string kind, std::string text, double time) {
  lines_.push_back({next_++, time, std::move(kind), std::move(text)});
  while (lines_.size() > kCapacity) lines_.pop_front();
}

void ViewLog::take(const std::vector<panel::LogEntry>& entries, double time, bool live) {
  for (const panel::LogEntry& entry : entries) {
    uint32_t token = 0;
    double before = 0.0, after = 0.0;
    if (live && entry.kind == panel::LogEntry::VariableChanged && parseChange(entry.text, token, before, after)) {
      // The first step of a movement ends one frame after the movement began.
      auto [it, fresh] = travels_.try_emplace(token, Travel{before, after, time - 1.0 / panel::kFrameRate});
      it->second.to = after;
      continue;
    }
    add(logKindName(entry.kind), entry.text, time);
  }
}

void ViewLog::settle(double time) {
  for (const auto& [token, travel] : travels_) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", time - travel.start);
    add("variable", "var " + std::to_string(token) + ": " + panel::formatNumber(travel.from) + " -> " +
                        panel::formatNumber(travel.to) + " (travelled in " + seconds + " s)",
        time);
  }
  travels_.clear();
}

void ViewLog::system(const std::string& text, double time) { add("system", text, time); }

std::vector<LogLine> ViewLog::since(uint64_t since, size_t limit) const {
  std::vector<LogLine> out;
  if (limit == 0) return out;
  for (const LogLine& line : lines_)
    if (line.seq >= since) {
      out.push_back(line);
      if (out.size() >= limit) break;
    }
  return out;
}

}  // namespace gb::view
