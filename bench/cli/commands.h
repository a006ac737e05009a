// The gaugebench commands, each callable with its options and two streams.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gb::cli {

struct InspectOptions {
  std::string path;
  bool json = false;
  std::string bitmapDir;  // when set, also write every bitmap as a PNG there
};

struct RenderOptions {
  std::string path;
  std::vector<std::string> sets;  // "TOKEN=VALUE"
  int scale = 1;
  bool areas = false;
  bool overflow = false;
  int frames = 1;
  std::string output;
  bool watchWrites = false;  // list the module's stores into its own image
};

struct PlayOptions {
  std::string path;
  std::string script;
  std::string frameDir = ".";
  int scale = 1;
  bool instant = false;
  bool watchWrites = false;  // list the module's stores into its own image
};

struct ViewOptions {
  std::string path;
  int port = 8357;  // 0: any free port
  bool open = false;
};

int runInspect(const InspectOptions& options, std::ostream& out, std::ostream& err);
int runRender(const RenderOptions& options, std::ostream& out, std::ostream& err);
int runPlay(const PlayOptions& options, std::ostream& out, std::ostream& err);
int runView(const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace gb::cli
