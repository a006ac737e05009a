// The three click handlers: the detent they remember, the key events they
// send, and what they leave alone.
#include <gtest/gtest.h>

#include "gauge_fixture.h"
#include "record_layout.h"

namespace layout = quandel::layout;
using gb::panel::KeyEvent;

namespace {

constexpr uint32_t kPositions[5] = {0, 4096, 8192, 12288, 16382};

KeyEvent setEvent(uint32_t value) { return {layout::kSpeedBrakeSetEvent, value}; }
const KeyEvent kArmToggle{layout::kSpeedBrakeArmToggleEvent, 0};

class Lever : public testing::TestWithParam<test::BaseCase> {
 protected:
  void SetUp() override {
    host = test::loadGauge(GetParam().base);
    ASSERT_TRUE(host);
    ASSERT_TRUE(host->gaugeInstall(0).ok());
    auto areas = test::expectOk(gb::panel::decodeMouseAreas(host->machine(), host->mouseList()));
    ASSERT_EQ(areas.size(), 6u);
    armToggle = areas[1].handler;
    stepUp = areas[2].handler;
    stepDown = areas[3].handler;
  }
  // Calls a handler and returns the key events it sent.
  std::vector<KeyEvent> click(uint32_t handler, uint32_t arg1 = 0, uint32_t arg2 = 0) {
    host->takeKeyEvents();
    auto result = host->callHandler("handler", handler, arg1, arg2);
    EXPECT_TRUE(result.ok()) << result.error().message;
    if (result.ok()) EXPECT_EQ(*result, 0u);
    return host->takeKeyEvents();
  }
  void stepUpTo(uint32_t detent) {
    for (uint32_t d = 1; d <= detent; ++d) ASSERT_EQ(click(stepUp), std::vector{setEvent(kPositions[d])});
  }

  std::unique_ptr<gb::panel::GaugeHost> host;
  uint32_t armToggle = 0, stepUp = 0, stepDown = 0;
};

TEST_P(Lever, MouseAreaList) {
  auto areas = test::expectOk(gb::panel::decodeMouseAreas(host->machine(), host->mouseList()));
  struct Row {
    uint32_t kind;
    int32_t x, y, width, height, cursor;
    uint32_t helpId, flags;
    uint32_t handler;
  };
  const Row rows[] = {
      {1, 0, 0, 0, 0, -1, 42023, 0, 0},
      {2, 0, 0, 38, 85, 5, 0, 0x20000000, armToggle},
      {2, 0, 86, 38, 85, 1, 0, 0x20000000, stepUp},
      {2, 0, 172, 38, 85, 2, 0, 0x20000000, stepDown},
      {3, 0, 0, 0, 0, -1, 0, 0, 0},
      {0, 0, 0, 0, 0, -1, 0, 0, 0},
  };
  for (size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE("area " + std::to_string(i));
    const auto& a = areas[i];
    const Row& r = rows[i];
    EXPECT_EQ(a.kind, r.kind);
    EXPECT_EQ(a.x, r.x);
    EXPECT_EQ(a.y, r.y);
    EXPECT_EQ(a.width, r.width);
    EXPECT_EQ(a.height, r.height);
    EXPECT_EQ(a.cursor, r.cursor);
    EXPECT_EQ(a.helpId, r.helpId);
    EXPECT_EQ(a.flags, r.flags);
    EXPECT_EQ(a.eventId, 0u);
    EXPECT_EQ(a.handler, r.handler);
    EXPECT_EQ(a.userData, 0u);
  }
  const auto& m = host->machine();
  for (uint32_t handler : {armToggle, stepUp, stepDown})
    EXPECT_TRUE(handler >= m.moduleBase() && handler - m.moduleBase() < m.moduleSize());
}

// From each detent, one step each way; the detent is reached from a fresh
// load by step-ups, and the step's effect is confirmed by the next step.
TEST_P(Lever, DetentTransitions) {
  struct Row {
    uint32_t before;
    std::vector<KeyEvent> up, down;
  };
  const Row rows[] = {
      {0, {setEvent(4096)}, {}},
      {1, {setEvent(8192)}, {setEvent(0)}},
      {2, {setEvent(12288)}, {setEvent(4096)}},
      {3, {setEvent(16382)}, {setEvent(8192)}},
      {4, {}, {setEvent(12288)}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("detent " + std::to_string(row.before));
    {
      auto fresh = test::loadGauge(GetParam().base);
      host = std::move(fresh);
      SetUp();
      stepUpTo(row.before);
      EXPECT_EQ(click(stepUp), row.up);
      // Back down: from before+1 (or 4) the next down sends that detent's lower neighbour.
      uint32_t after = std::min(row.before + 1, 4u);
      EXPECT_EQ(click(stepDown), std::vector{setEvent(kPositions[after - 1])});
    }
    {
      host = test::loadGauge(GetParam().base);
      SetUp();
      stepUpTo(row.before);
      EXPECT_EQ(click(stepDown), row.down);
      uint32_t after = row.before == 0 ? 0 : row.before - 1;
      EXPECT_EQ(click(stepUp), std::vector{setEvent(kPositions[after + 1])});
    }
  }
}

TEST_P(Lever, FullTravelUpAndDown) {
  std::vector<KeyEvent> sent;
  for (int i = 0; i < 5; ++i)
    for (const KeyEvent& e : click(stepUp)) sent.push_back(e);
  for (int i = 0; i < 5; ++i)
    for (const KeyEvent& e : click(stepDown)) sent.push_back(e);
  EXPECT_EQ(sent, (std::vector{setEvent(4096), setEvent(8192), setEvent(12288), setEvent(16382),
                               setEvent(12288), setEvent(8192), setEvent(4096), setEvent(0)}));
}

TEST_P(Lever, ArmToggleAtEveryDetentKeepsTheDetent) {
  for (uint32_t detent = 0; detent <= 4; ++detent) {
    SCOPED_TRACE("detent " + std::to_string(detent));
    host = test::loadGauge(GetParam().base);
    SetUp();
    stepUpTo(detent);
    EXPECT_EQ(click(armToggle), std::vector{kArmToggle});
    EXPECT_EQ(click(armToggle), std::vector{kArmToggle});
    std::vector<KeyEvent> expected;
    if (detent > 0) expected.push_back(setEvent(kPositions[detent - 1]));
    EXPECT_EQ(click(stepDown), expected);
  }
}

TEST_P(Lever, KillAndInstallKeepTheDetent) {
  stepUpTo(2);
  ASSERT_TRUE(host->gaugeKill().ok());
  ASSERT_TRUE(host->gaugeInstall(0).ok());
  EXPECT_EQ(click(stepUp), std::vector{setEvent(12288)});
}

TEST_P(Lever, HandlersIgnoreTheHostsPosition) {
  stepUpTo(4);
  host->setVariable(layout::kLeverPositionVariable, 0.0);
  ASSERT_TRUE(host->gaugeUpdate().ok());
  EXPECT_EQ(click(stepUp), std::vector<KeyEvent>{});
  EXPECT_EQ(click(stepDown), std::vector{setEvent(12288)});
}

TEST_P(Lever, HandlerArgumentsAreIgnored) {
  const uint32_t args[][2] = {{0, 0}, {0xFFFFFFFF, 0x80000000}, {1, 2}, {0x7FFFFFFF, 0xDEADBEEF}};
  uint32_t detent = 0;
  for (const auto& a : args) {
    SCOPED_TRACE(gb::hex(a[0]) + ", " + gb::hex(a[1]));
    EXPECT_EQ(click(armToggle, a[0], a[1]), std::vector{kArmToggle});
    ++detent;
    EXPECT_EQ(click(stepUp, a[0], a[1]), std::vector{setEvent(kPositions[detent])});
  }
  EXPECT_EQ(click(stepDown, 0xFFFFFFFF, 0xFFFFFFFF), std::vector{setEvent(kPositions[detent - 1])});
}

TEST_P(Lever, HandlersMakeNoOtherServiceCalls) {
  host->clearLog();
  click(armToggle);
  click(stepUp);
  click(stepDown);
  click(stepDown);  // at detent 0: nothing
  ASSERT_EQ(host->log().size(), 3u);
  for (const auto& call : host->log()) EXPECT_EQ(call.service, "TriggerKeyEvent");
}

INSTANTIATE_TEST_SUITE_P(Bases, Lever, testing::ValuesIn(test::kBases), test::baseName);

}  // namespace
