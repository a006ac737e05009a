// gaugebench_stats: the performance figures of the module and the bench in
// one run. Instruction counts and file size are exact and repeatable; the
// timings come from Google Benchmark and from spawning whole processes.
//
//   gaugebench_stats [--module=FILE] [--gaugebench=FILE] [--cold-runs=N]
//                    [Google Benchmark flags]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "pe/pe_file.h"
#include "stats/file_size.h"
#include "stats/instruction_counts.h"
#include "stats/timings.h"

namespace {

using namespace gb::stats;

struct Settings {
  std::string module = QUANDEL_GAU_PATH;
  std::string gaugebench = GAUGEBENCH_PATH;
  int coldRuns = 21;
};

// Takes our own flags out of argv, leaving Google Benchmark's.
bool takeSettings(int& argc, char** argv, Settings& settings) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* prefix) -> const char* {
      return arg.rfind(prefix, 0) == 0 ? argv[i] + std::strlen(prefix) : nullptr;
    };
    if (const char* v = value("--module=")) settings.module = v;
    else if (const char* v = value("--gaugebench=")) settings.gaugebench = v;
    else if (const char* v = value("--cold-runs=")) {
      settings.coldRuns = std::atoi(v);
      if (settings.coldRuns < 1) {
        std::cerr << "gaugebench_stats: --cold-runs needs a count of at least 1\n";
        return false;
      }
    } else argv[kept++] = argv[i];
  }
  argc = kept;
  return true;
}

std::string cpuModel() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  return "unknown CPU";
}

std::string verdict(bool met) { return met ? "met" : "MISSED"; }

// Keeps each benchmark's time per iteration beside the console output.
class Recorder : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nanoseconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.iterations > 0 && !run.error_occurred)
        nanoseconds[run.benchmark_name()] = run.real_accumulated_time * 1e9 / double(run.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
};

bool printInstructions(const std::string& module) {
  gb::Result<std::vector<RoutineCount>> rows = countInstructions(module);
  if (!rows) {
    std::cerr << "gaugebench_stats: " << rows.error().message << "\n";
    return false;
  }
  std::printf("Instructions per call, module code only (emulator count), against the hand-counted minimum\n");
  std::printf("%-23s %-28s %5s %4s %6s  %s\n", "routine", "case", "count", "min", "ratio", "minimum made of");
  int misses = 0;
  double worst = 0.0;
  for (const RoutineCount& r : *rows) {
    const bool met = r.ratio() <= kInstructionGoal + 1e-9;
    misses += !met;
    worst = std::max(worst, r.ratio());
    std::printf("%-23s %-28s %5llu %4llu %6.2f%s %s\n", r.routine.c_str(), r.situation.c_str(),
                (unsigned long long)r.counted, (unsigned long long)r.minimum, r.ratio(), met ? " " : "!",
                r.reasoning.c_str());
  }
  std::printf("goal: every routine within %.2f x its minimum: %s (worst %.2f, %d over)\n\n", kInstructionGoal,
              verdict(misses == 0).c_str(), worst, misses);
  return true;
}

bool printFileSize(const std::string& module) {
  gb::Result<gb::pe::PeFile> file = gb::pe::loadPeFile(module);
  if (!file) {
    std::cerr << "gaugebench_stats: " << file.error().message << "\n";
    return false;
  }
  gb::Result<FileSize> size = measureFile(*file);
  if (!size) {
    std::cerr << "gaugebench_stats: " << module << ": " << size.error().message << "\n";
    return false;
  }
  std::string sections;
  for (const std::string& name : size->sectionNames) sections += (sections.empty() ? "" : " ") + name;
  std::printf("Size of %s: %llu bytes, file alignment %u, sections %s\n", module.c_str(),
              (unsigned long long)size->total, size->fileAlignment, sections.c_str());
  for (const SizePart& part : size->parts)
    std::printf("  %-52s %7llu%s\n", part.what.c_str(), (unsigned long long)part.bytes,
                part.padding ? "  (alignment)" : "");
  std::printf("  %-52s %7llu\n", "alignment waste in all", (unsigned long long)size->padding());
  std::printf("goal: at most %llu bytes (bitmaps %llu of them): %s (%+lld bytes against the goal)\n\n",
              (unsigned long long)kFileSizeGoal, (unsigned long long)size->bitmaps(),
              verdict(size->total <= kFileSizeGoal).c_str(),
              (long long)size->total - (long long)kFileSizeGoal);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!takeSettings(argc, argv, settings)) return 2;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

  std::printf("Machine: %s, %ld CPUs online\nModule: %s\n\n", cpuModel().c_str(), sysconf(_SC_NPROCESSORS_ONLN),
              settings.module.c_str());
  if (!printInstructions(settings.module)) return 1;
  if (!printFileSize(settings.module)) return 1;

  if (gb::Status s = registerFrameBenchmarks(settings.module); !s) {
    std::cerr << "gaugebench_stats: " << s.error().message << "\n";
    return 1;
  }
  std::fflush(stdout);
  Recorder recorder;
  benchmark::RunSpecifiedBenchmarks(&recorder);
  benchmark::Shutdown();
  std::fflush(stdout);

  gb::Result<ColdStart> cold = measureColdStart(settings.gaugebench, settings.module, settings.coldRuns);
  if (!cold) {
    std::cerr << "gaugebench_stats: " << cold.error().message << "\n";
    return 1;
  }

  std::printf("\nThe bench\n");
  const double frame = recorder.nanoseconds[kFrameBenchmark], native = recorder.nanoseconds[kComposeBenchmark];
  const double click = recorder.nanoseconds[kClickBenchmark];
  if (frame > 0 && native > 0) {
    std::printf("  full frame at scale 1:            %9.1f us\n", frame / 1e3);
    std::printf("  native composition of that frame: %9.1f us\n", native / 1e3);
    std::printf("  ratio frame / native:             %9.2f   goal at most %.1f: %s\n", frame / native, kFrameGoal,
                verdict(frame / native <= kFrameGoal).c_str());
  }
  if (click > 0) std::printf("  click to the next composed frame: %9.1f us\n", click / 1e3);
  std::printf("  cold `gaugebench render`, %d runs: median %.1f ms (min %.1f, max %.1f), CPU median %.1f ms\n"
              "    goal under %.0f ms: %s\n",
              settings.coldRuns, cold->median(), cold->min(), cold->max(), cold->medianCpu(), kColdStartGoalMs,
              verdict(cold->median() < kColdStartGoalMs).c_str());
  return 0;
}
