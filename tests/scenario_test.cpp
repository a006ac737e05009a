// Scenario scripts: the parser's refusals, word for word with their line,
// and runs that pass, fail an expectation, or write frames.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "panel/panel_session.h"
#include "panel/scenario.h"
#include "panel/scenario_runner.h"
#include "record_layout.h"

namespace layout = quandel::layout;
using gb::panel::parseScenario;
using gb::panel::ScenarioStep;

namespace {

TEST(Scenario, ParsesEveryKindOfStep) {
  auto scenario = parseScenario(
      "# comment\n"
      "\n"
      "set 318 -8000\r\n"
      "  click   20 120  \n"
      "advance 0.5\n"
      "frame lever-down_1.x\n"
      "expect var 326 4096\n"
      "expect event SpeedBrakeSetEvent 4096\n"
      "expect event 0x1013d 0\n"
      "expect event none",
      "s.txt");
  ASSERT_TRUE(scenario.ok()) << scenario.error().message;
  const auto& steps = scenario->steps;
  ASSERT_EQ(steps.size(), 8u);
  EXPECT_EQ(steps[0].kind, ScenarioStep::Set);
  EXPECT_EQ(steps[0].line, 3u);
  EXPECT_EQ(steps[0].token, 318u);
  EXPECT_EQ(steps[0].value, -8000.0);
  EXPECT_EQ(steps[1].kind, ScenarioStep::Click);
  EXPECT_EQ(steps[1].text, "click 20 120");
  EXPECT_EQ(steps[1].x, 20);
  EXPECT_EQ(steps[1].y, 120);
  EXPECT_EQ(steps[2].value, 0.5);
  EXPECT_EQ(steps[3].name, "lever-down_1.x");
  EXPECT_EQ(steps[4].kind, ScenarioStep::ExpectVar);
  EXPECT_EQ(steps[5].eventId, layout::kSpeedBrakeSetEvent);
  EXPECT_EQ(steps[5].eventValue, 4096u);
  EXPECT_EQ(steps[6].eventId, layout::kSpeedBrakeArmToggleEvent);
  EXPECT_EQ(steps[7].kind, ScenarioStep::ExpectNoEvent);
  EXPECT_EQ(steps[7].line, 10u);
}

TEST(Scenario, RefusesMalformedLines) {
  struct Case {
    std::string line;
    std::string error;  // after "s.txt:2: "
  };
  const Case cases[] = {
      {"clik 20 120", "unknown step 'clik' (steps: set, click, advance, frame, expect)"},
      {"set 318", "'set' takes a variable token and a value: set 318 -8000"},
      {"set x 1", "'x' is not a variable token"},
      {"set 318 nan", "'nan' is not a finite number"},
      {"set 318 1e999", "'1e999' is not a finite number"},
      {"set -1 5", "'-1' is not a variable token"},
      {"click 20", "'click' takes a column and a row: click 20 120"},
      {"click 2.5 3", "'click 2.5 3': the column and row must be whole numbers"},
      {"advance -1", "'-1' is not a number of seconds from 0 to 3600"},
      {"advance 4000", "'4000' is not a number of seconds from 0 to 3600"},
      {"frame", "'frame' takes a name: frame lever-down"},
      {"frame ../x", "'../x' is not a frame name (letters, digits, '-', '_' and '.', not starting with '.')"},
      {"frame a/b", "'a/b' is not a frame name (letters, digits, '-', '_' and '.', not starting with '.')"},
      {"expect", "'expect' is followed by 'var' or 'event'"},
      {"expect var 326", "'expect var' takes a token and a value: expect var 326 4096"},
      {"expect event Bogus 1",
       "'Bogus' is not a key event (SpeedBrakeSetEvent, SpeedBrakeArmToggleEvent or a number)"},
      {"expect event SpeedBrakeSetEvent -1", "'-1' is not a 32-bit event value"},
      {"expect event SpeedBrakeSetEvent 4294967296", "'4294967296' is not a 32-bit event value"},
      {std::string(1100, 'a'), "line longer than 1024 characters"},
      {std::string("set 318 1\0", 10), "the line holds a NUL byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    auto scenario = parseScenario("click 1 1\n" + c.line + "\nclick 2 2\n", "s.txt");
    ASSERT_FALSE(scenario.ok());
    EXPECT_EQ(scenario.error().message, "s.txt:2: " + c.error);
  }
}

class ScenarioRun : public testing::Test {
 protected:
  void SetUp() override {
    gb::panel::PanelSession::Options options;
    options.rate = 0.0;
    auto opened = gb::panel::PanelSession::open(QUANDEL_GAU_PATH, options);
    ASSERT_TRUE(opened.ok()) << opened.error().message;
    session = std::move(*opened);
    ASSERT_TRUE(session->start().ok());
    dir = std::filesystem::temp_directory_path() / ("scenario-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  gb::Status run(const std::string& text) {
    auto scenario = parseScenario(text, "s.txt");
    if (!scenario) return scenario.error();
    return gb::panel::runScenario(*scenario, *session, {dir.string(), 2}, out);
  }

  std::unique_ptr<gb::panel::PanelSession> session;
  std::filesystem::path dir;
  std::ostringstream out;
};

TEST_F(ScenarioRun, PassingScriptPrintsTheEventLogAndWritesFrames) {
  auto status = run(
      "click 20 120\n"
      "expect event SpeedBrakeSetEvent 4096\n"
      "expect event none\n"
      "expect var 326 4096\n"
      "frame down\n");
  ASSERT_TRUE(status.ok()) << status.error().message;
  const std::string log = out.str();
  EXPECT_NE(log.find("   1  click 20 120\n      area 2 (0,86 38x85): handler quandel.gau+0x"), std::string::npos) << log;
  EXPECT_NE(log.find("      key event SpeedBrakeSetEvent 4096\n      var 326: 0 -> 4096\n"), std::string::npos) << log;
  EXPECT_TRUE(std::filesystem::exists(dir / "down.png"));
}

TEST_F(ScenarioRun, StopsAtTheFirstFailedExpectation) {
  struct Case {
    std::string script;
    std::string error;
  };
  const Case cases[] = {
      {"click 20 120\nexpect var 326 8192\nclick 20 120\n", "s.txt:2: expected var 326 to be 8192, found 4096"},
      {"expect event SpeedBrakeSetEvent 0\n",
       "s.txt:1: expected event SpeedBrakeSetEvent 0, but no unchecked key event was sent"},
      {"click 20 40\nexpect event SpeedBrakeSetEvent 0\n",
       "s.txt:2: expected event SpeedBrakeSetEvent 0, found SpeedBrakeArmToggleEvent 0"},
      {"click 20 40\nexpect event none\n",
       "s.txt:2: expected no unchecked key event, found SpeedBrakeArmToggleEvent 0"},
      {"expect var 12 0\n", "s.txt:1: expect var 12: unknown host variable token"},
      {"set 12 0\n", "s.txt:1: unknown host variable token 12 (the bench models 318, 324 and 326)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    SetUp();
    auto status = run(c.script);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().message, c.error);
  }
}

TEST_F(ScenarioRun, AFrameThatCannotBeWrittenNamesThePath) {
  std::filesystem::remove_all(dir);
  auto status = run("frame x\n");
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().message.rfind("s.txt:1: " + (dir / "x.png").string() + ": ", 0), 0u)
      << status.error().message;
}

}  // namespace
