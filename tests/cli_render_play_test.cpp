// gaugebench render and play from the command line: their outputs, exit
// codes, and the one-line refusals of bad input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/app.h"

namespace {

struct Outcome {
  int status;
  std::string out, err;
};

Outcome gaugebench(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = gb::cli::run(args, out, err);
  return {status, out.str(), err.str()};
}

class CliCommands : public testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("cli-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  std::string script(const std::string& text) const {
    std::ofstream(path("s.txt")) << text;
    return path("s.txt");
  }
  std::filesystem::path dir;
};

// Width and height of a PNG, from its IHDR.
std::pair<int, int> pngSize(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char header[24] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  auto be = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
  return {be(16), be(20)};
}

TEST_F(CliCommands, RenderWritesTheFrameAtItsScale) {
  struct Case {
    std::vector<std::string> extra;
    std::pair<int, int> size;
  };
  const Case cases[] = {
      {{}, {74, 178}},
      {{"--scale", "3"}, {222, 534}},
      {{"--overflow"}, {81, 204}},
      {{"--areas", "--scale", "2", "--set", "318=-8000", "--set", "326=16382", "--frames", "3"}, {148, 356}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render", QUANDEL_GAU_PATH, "-o", path("f.png")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    Outcome run = gaugebench(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(pngSize(path("f.png")), c.size);
  }
}

TEST_F(CliCommands, RenderRefusesBadInput) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const std::string out = path("f.png");
  const std::string gau = QUANDEL_GAU_PATH;
  const Case cases[] = {
      {{"render", gau, "--set", "999=1", "-o", out}, 1,
       "gaugebench: --set 999: unknown host variable token 999 (the bench models 318, 324 and 326)\n"},
      {{"render", gau, "--set", "318", "-o", out}, 1,
       "gaugebench: --set 318: expected TOKEN=VALUE, for example 318=-8000\n"},
      {{"render", gau, "--set", "x=1", "-o", out}, 1, "gaugebench: --set x=1: 'x' is not a variable token\n"},
      {{"render", gau, "--set", "318=fast", "-o", out}, 1,
       "gaugebench: --set 318=fast: 'fast' is not a finite number\n"},
      {{"render", gau, "-o", path("no/such/dir/f.png")}, 1,
       "gaugebench: " + path("no/such/dir/f.png") + ": cannot open: No such file or directory\n"},
      {{"render", gau, "--scale", "0", "-o", out}, 2, ""},
      {{"render", gau, "--scale", "17", "-o", out}, 2, ""},
      {{"render", gau}, 2, ""},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& arg : c.args) joined += arg + " ";
    SCOPED_TRACE(joined);
    Outcome run = gaugebench(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    if (!c.err.empty()) EXPECT_EQ(run.err, c.err);
    else EXPECT_EQ(run.err.rfind("gaugebench: ", 0), 0u) << run.err;
  }
}

TEST_F(CliCommands, PlayRunsTheExampleTour) {
  Outcome run = gaugebench({"play", QUANDEL_GAU_PATH, EXAMPLES_DIR "/lever-tour.txt", "-o", path("tour"), "--instant"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("all 33 steps passed"), std::string::npos) << run.out;
  for (const char* frame : {"stowed", "detent-1", "detent-4", "armed", "strip-low"})
    EXPECT_TRUE(std::filesystem::exists(dir / "tour" / (std::string(frame) + ".png"))) << frame;
}

TEST_F(CliCommands, PlayFailsAtTheFirstUnmetExpectation) {
  const std::string s = script("click 20 120\nexpect var 326 4096\nexpect event SpeedBrakeSetEvent 8192\n");
  Outcome run = gaugebench({"play", QUANDEL_GAU_PATH, s, "--instant"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "gaugebench: " + s + ":3: expected event SpeedBrakeSetEvent 8192, found SpeedBrakeSetEvent 4096\n");
  EXPECT_NE(run.out.find("   3  expect event SpeedBrakeSetEvent 8192"), std::string::npos);
}

TEST_F(CliCommands, PlayWithoutInstantLetsTheLeverTravel) {
  const std::string s = script("click 20 120\nadvance 0.1\nexpect var 326 4096\n");
  Outcome run = gaugebench({"play", QUANDEL_GAU_PATH, s});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(":3: expected var 326 to be 4096, found 10"), std::string::npos) << run.err;
}

TEST_F(CliCommands, PlayRefusesScriptsThatDoNotParse) {
  const std::string s = script("click 20 120\n\nclik 1 2\n");
  Outcome run = gaugebench({"play", QUANDEL_GAU_PATH, s});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "") << "nothing runs before the whole script parses";
  EXPECT_EQ(run.err, "gaugebench: " + s + ":3: unknown step 'clik' (steps: set, click, advance, frame, expect)\n");
  Outcome missing = gaugebench({"play", QUANDEL_GAU_PATH, path("none.txt")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("gaugebench: " + path("none.txt") + ": cannot read: ", 0), 0u) << missing.err;
}

}  // namespace
