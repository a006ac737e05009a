// Clicks through the stand-in panel: the mouse list's boxes at their edges,
// and the road of one click from the hit test to the handle drawn lower.
#include <gtest/gtest.h>

#include "gauge_fixture.h"
#include "panel/panel_session.h"
#include "record_layout.h"

namespace layout = quandel::layout;
using gb::panel::KeyEvent;
using gb::panel::PanelSession;

namespace {

TEST(PanelClicks, MouseLayoutTakesTheParentFromTheBackgroundPicture) {
  auto session = test::openSession();
  auto layout = session->mouseLayout();
  ASSERT_TRUE(layout.ok()) << layout.error().message;
  EXPECT_EQ(layout->parent, (gb::panel::Box{0, 0, 74, 178}));
  ASSERT_EQ(layout->children.size(), 3u);
  EXPECT_EQ(layout->children[0].box, (gb::panel::Box{0, 0, 38, 85}));
  EXPECT_EQ(layout->children[1].box, (gb::panel::Box{0, 86, 38, 85}));
  EXPECT_EQ(layout->children[2].box, (gb::panel::Box{0, 172, 38, 6})) << "clipped to row 177";
}

TEST(PanelClicks, HitTestAtTheBoundaries) {
  struct Case {
    int x, y;
    int area;  // index in the list, -1 for none
  };
  const Case cases[] = {
      {0, 0, 1},    {20, 84, 1},  {20, 85, -1}, {20, 86, 2},  {20, 170, 2}, {20, 171, -1},
      {20, 172, 3}, {20, 177, 3}, {20, 178, -1}, {37, 40, 1}, {38, 40, -1}, {37, 120, 2},
      {38, 120, -1}, {37, 175, 3}, {38, 175, -1}, {-1, 40, -1}, {20, -1, -1}, {73, 177, -1},
  };
  auto session = test::openSession();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    auto outcome = session->click(c.x, c.y);
    ASSERT_TRUE(outcome.ok()) << outcome.error().message;
    EXPECT_EQ(outcome->hit, c.area >= 0);
    if (c.area >= 0) EXPECT_EQ(outcome->areaIndex, size_t(c.area));
  }
}

TEST(PanelClicks, NoClicksReachTheGaugeAfterKill) {
  auto session = test::openSession();
  ASSERT_TRUE(session->stop().ok());
  auto outcome = session->host().mouseListRegistered();
  EXPECT_FALSE(outcome);
}

TEST(PanelClicks, RoadOfOneClick) {
  auto session = test::openSession(gb::panel::SpeedBrakeModel::kDefaultRate);
  ASSERT_TRUE(session->frame().ok());
  EXPECT_EQ(session->lastFrame().elements[2].dy, 0);

  // 1-2. The middle area's handler sends the set event with 4096.
  auto outcome = session->click(20, 120);
  ASSERT_TRUE(outcome.ok()) << outcome.error().message;
  EXPECT_EQ(outcome->areaIndex, 2u);
  EXPECT_EQ(outcome->result, 0u);
  EXPECT_EQ(outcome->events, (std::vector<KeyEvent>{{layout::kSpeedBrakeSetEvent, 4096}}));
  // 3. The model moves 326 there over simulated time.
  EXPECT_EQ(session->host().variable(layout::kLeverPositionVariable), 0.0);
  ASSERT_TRUE(session->advance(0.2).ok());
  double partway = session->host().variable(layout::kLeverPositionVariable);
  EXPECT_GT(partway, 0.0);
  EXPECT_LT(partway, 4096.0);
  ASSERT_TRUE(session->advance(1.0).ok());
  EXPECT_EQ(session->host().variable(layout::kLeverPositionVariable), 4096.0);
  // 4-5. The callback passes 4096 on; the handle is drawn 9 pixels lower.
  auto frame = session->frame();
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(frame->elements[2].yValue, 4096.0);
  EXPECT_EQ(frame->elements[2].dy, 9);
}

TEST(PanelClicks, ArmToggleWithTheLeverStowedParksTheHandleAtTheArmedMark) {
  auto session = test::openSession();
  auto outcome = session->click(20, 40);
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(outcome->events, (std::vector<KeyEvent>{{layout::kSpeedBrakeArmToggleEvent, 0}}));
  EXPECT_EQ(session->host().variable(layout::kArmFlagVariable), 1.0);
  // The flag reaches the module at the next update; the callback sees it
  // from the update after (the element list refreshes first).
  ASSERT_TRUE(session->frame().ok());
  auto frame = session->frame();
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(frame->elements[2].yValue, 2500.0);
  EXPECT_EQ(frame->elements[2].dy, 5);
  // Toggled again, the handle goes back to its place.
  ASSERT_TRUE(session->click(20, 40).ok());
  ASSERT_TRUE(session->frame().ok());
  frame = session->frame();
  EXPECT_EQ(frame->elements[2].dy, 0);
}

TEST(PanelClicks, EventLogTellsTheRoad) {
  auto session = test::openSession();
  session->clearLog();
  ASSERT_TRUE(session->click(20, 120).ok());
  std::vector<std::string> lines;
  for (const auto& entry : session->log()) lines.push_back(entry.text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "click 20 120");
  EXPECT_EQ(lines[1].rfind("  area 2 (0,86 38x85): handler quandel.gau+0x", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2], "key event SpeedBrakeSetEvent 4096");
  EXPECT_EQ(lines[3], "var 326: 0 -> 4096");
}

TEST(PanelClicks, UserVariablesAreChecked) {
  auto session = test::openSession();
  auto status = session->setVariable(999, 1.0);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().message, "unknown host variable token 999 (the bench models 318, 324 and 326)");
  EXPECT_TRUE(session->setVariable(layout::kStripScrollVariable, -8000).ok());
}

}  // namespace
