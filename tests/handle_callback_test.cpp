// HandlePositionCallback: the armed mark while the lever is stowed and the
// arm flag is exactly 1, the position unchanged otherwise; and it changes
// nothing in the module.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gauge_fixture.h"
#include "record_layout.h"

namespace layout = quandel::layout;

namespace {

class HandleCallback : public testing::TestWithParam<test::BaseCase> {
 protected:
  void SetUp() override {
    host = test::loadGauge(GetParam().base);
    ASSERT_TRUE(host);
    auto records = test::decodeRecords(*host);
    ASSERT_EQ(records.elements.size(), 4u);
    callback = records.elements[2].yAxis->callback;
    positionVar = records.elements[2].yAxis->variable.address;
  }
  // The arm flag reaches the module through InitializeVar at install.
  void installWithArmFlag(double flag) {
    host->setVariable(layout::kArmFlagVariable, flag);
    ASSERT_TRUE(host->gaugeInstall(0).ok());
  }
  double evaluate(double position) {
    EXPECT_TRUE(host->machine().writeF64(positionVar + layout::ModuleVar::value, position).ok());
    auto result = host->callValueCallback(callback, positionVar);
    EXPECT_TRUE(result.ok()) << result.error().message;
    return result.ok() ? *result : std::numeric_limits<double>::quiet_NaN();
  }

  std::unique_ptr<gb::panel::GaugeHost> host;
  uint32_t callback = 0;
  uint32_t positionVar = 0;
};

TEST_P(HandleCallback, CasesTable) {
  struct Case {
    double position, flag, expected;
  };
  const Case cases[] = {
      {0.0, 1.0, 2500.0},  {-0.0, 1.0, 2500.0},  {0.0, 0.0, 0.0},     {0.0, 0.5, 0.0},
      {0.0, 2.0, 0.0},     {0.0, -1.0, 0.0},     {0.001, 1.0, 0.001}, {4096.0, 1.0, 4096.0},
      {2500.0, 0.0, 2500.0}, {2500.0, 1.0, 2500.0}, {16382.0, 1.0, 16382.0}, {-5.0, 1.0, -5.0},
      {0.0, 1.0000000000000002, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("position " + std::to_string(c.position) + ", flag " + std::to_string(c.flag));
    host = test::loadGauge(GetParam().base);
    installWithArmFlag(c.flag);
    double result = evaluate(c.position);
    EXPECT_EQ(result, c.expected);
    if (c.expected == 0.0) EXPECT_EQ(std::signbit(result), std::signbit(c.position));
  }
}

TEST_P(HandleCallback, BeforeAnyFlagIsStoredTheLeverIsNotArmed) {
  host->setVariable(layout::kArmFlagVariable, 1.0);  // not yet handed to the module
  EXPECT_EQ(evaluate(0.0), 0.0);
}

TEST_P(HandleCallback, FollowsTheFlagAsLastStoredByUpdate) {
  installWithArmFlag(0.0);
  EXPECT_EQ(evaluate(0.0), 0.0);
  host->setVariable(layout::kArmFlagVariable, 1.0);
  EXPECT_EQ(evaluate(0.0), 0.0) << "not asked of the host";
  ASSERT_TRUE(host->gaugeUpdate().ok());
  EXPECT_EQ(evaluate(0.0), 2500.0);
}

TEST_P(HandleCallback, ChangesNoByteOfTheModule) {
  installWithArmFlag(1.0);
  const auto& m = host->machine();
  ASSERT_TRUE(host->machine().writeF64(positionVar + layout::ModuleVar::value, 0.0).ok());
  auto before = test::expectOk(m.readBytes(m.moduleBase(), m.moduleSize()));
  for (double position : {0.0, 4096.0}) {
    ASSERT_TRUE(host->machine().writeF64(positionVar + layout::ModuleVar::value, position).ok());
    ASSERT_TRUE(host->callValueCallback(callback, positionVar).ok());
    ASSERT_TRUE(host->machine().writeF64(positionVar + layout::ModuleVar::value, 0.0).ok());
    EXPECT_EQ(test::expectOk(m.readBytes(m.moduleBase(), m.moduleSize())), before);
  }
}

INSTANTIATE_TEST_SUITE_P(Bases, HandleCallback, testing::ValuesIn(test::kBases), test::baseName);

}  // namespace
