#include "stats/timings.h"

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

#include "panel/panel_session.h"
#include "record_layout.h"
#include "render/compose.h"

extern char** environ;

namespace gb::stats {
namespace {

namespace layout = quandel::layout;

// A session past install with the strip scrolled and the pointer moved, so
// every element is placed and drawn somewhere other than at rest.
Result<std::unique_ptr<panel::PanelSession>> openSession(const std::string& modulePath) {
  Result<std::unique_ptr<panel::PanelSession>> session = panel::PanelSession::open(modulePath, {});
  if (!session) return session.error();
  panel::PanelSession& s = **session;
  if (Status st = s.setVariable(layout::kStripScrollVariable, 5000.0); !st) return st.error();
  if (Status st = s.start(); !st) return st.error();
  if (Result<panel::Frame> f = s.frame(); !f) return f.error();
  return session;
}

// Clicks inside the middle (step up) and bottom (step down) areas.
constexpr int kAreaColumn = 10;
constexpr int kStepUpRow = 100;
constexpr int kStepDownRow = 175;

}  // namespace

Status registerFrameBenchmarks(const std::string& modulePath) {
  // Each benchmark keeps its own session, opened before timing starts.
  std::shared_ptr<panel::PanelSession> frameSession, clickSession;
  for (auto* slot : {&frameSession, &clickSession}) {
    Result<std::unique_ptr<panel::PanelSession>> s = openSession(modulePath);
    if (!s) return s.error();
    *slot = std::move(*s);
  }

  // Update, value callbacks, generate and draw in the emulator, then the
  // composition at scale 1: what the bench does for every frame it shows.
  benchmark::RegisterBenchmark(kFrameBenchmark, [frameSession](benchmark::State& state) {
    for (auto _ : state) {
      Result<panel::Frame> frame = frameSession->frame();
      if (!frame) {
        state.SkipWithError(frame.error().message.c_str());
        break;
      }
      render::Composition picture = render::compose(*frame, {});
      benchmark::DoNotOptimize(picture.image.pixels.data());
    }
  });

  // A click on the lever (alternately one detent up and one down), its
  // handler and key event applied by the model, then the next frame composed.
  benchmark::RegisterBenchmark(kClickBenchmark, [clickSession](benchmark::State& state) {
    bool up = true;
    for (auto _ : state) {
      Result<panel::ClickOutcome> click = clickSession->click(kAreaColumn, up ? kStepUpRow : kStepDownRow);
      up = !up;
      Result<panel::Frame> frame = click ? clickSession->frame() : Result<panel::Frame>(click.error());
      if (!frame) {
        state.SkipWithError(frame.error().message.c_str());
        break;
      }
      render::Composition picture = render::compose(*frame, {});
      benchmark::DoNotOptimize(picture.image.pixels.data());
    }
    clickSession->clearLog();
  });

  // The same picture from a frame evaluated once: no emulated calls.
  benchmark::RegisterBenchmark(kComposeBenchmark, [frameSession](benchmark::State& state) {
    const panel::Frame frame = frameSession->lastFrame();
    for (auto _ : state) {
      render::Composition picture = render::compose(frame, {});
      benchmark::DoNotOptimize(picture.image.pixels.data());
    }
  });
  return Ok{};
}

double median(std::vector<double> sorted) {
  std::sort(sorted.begin(), sorted.end());
  if (sorted.empty()) return 0.0;
  const size_t n = sorted.size();
  return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
}
double ColdStart::median() const { return stats::median(milliseconds); }
double ColdStart::medianCpu() const { return stats::median(cpuMilliseconds); }
double ColdStart::min() const {
  return milliseconds.empty() ? 0.0 : *std::min_element(milliseconds.begin(), milliseconds.end());
}
double ColdStart::max() const {
  return milliseconds.empty() ? 0.0 : *std::max_element(milliseconds.begin(), milliseconds.end());
}

Result<ColdStart> measureColdStart(const std::string& gaugebench, const std::string& modulePath, int runs) {
  const std::string output =
      (std::filesystem::temp_directory_path() / ("gaugebench_stats_" + std::to_string(getpid()) + ".png")).string();
  std::vector<std::string> words = {gaugebench, "render", modulePath, "-o", output};
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  ColdStart result;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (int err = posix_spawn(&pid, gaugebench.c_str(), nullptr, nullptr, argv.data(), environ); err != 0)
      return Error{"cold start: cannot run " + gaugebench + ": " + std::strerror(err)};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return Error{"cold start: wait4 failed: " + std::string(std::strerror(errno))};
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      return Error{"cold start: " + gaugebench + " render " + modulePath + " failed (status " +
                   std::to_string(status) + ")"};
    result.milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    result.cpuMilliseconds.push_back(ms(usage.ru_utime) + ms(usage.ru_stime));
  }
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  return result;
}

}  // namespace gb::stats
