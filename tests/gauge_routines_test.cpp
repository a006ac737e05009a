// The gauge routines' service calls, in order, with their arguments, and the
// entry and hooks; at the preferred base and at another one.
#include <gtest/gtest.h>

#include "gauge_fixture.h"
#include "record_layout.h"

namespace layout = quandel::layout;
using gb::panel::ServiceCall;
using gb::panel::ServiceLog;

namespace {

class GaugeRoutines : public testing::TestWithParam<test::BaseCase> {
 protected:
  void SetUp() override {
    host = test::loadGauge(GetParam().base);
    ASSERT_TRUE(host);
    records = test::decodeRecords(*host);
    head = records.header.head;
    gauge = records.header.address;
  }
  // Installs, then forgets the install's calls; returns the install's log.
  ServiceLog install(uint32_t argument = 0) {
    host->clearLog();
    EXPECT_TRUE(host->gaugeInstall(argument).ok());
    ServiceLog log = host->log();
    host->clearLog();
    return log;
  }
  uint32_t armFlagVar() {
    // The only ModuleVar handed to InitializeVar.
    ServiceLog log = install();
    for (const ServiceCall& call : log)
      if (call.service == "InitializeVar") return call.args[0];
    ADD_FAILURE() << "no InitializeVar call";
    return 0;
  }

  std::unique_ptr<gb::panel::GaugeHost> host;
  test::GaugeRecords records;
  uint32_t head = 0;
  uint32_t gauge = 0;
};

TEST_P(GaugeRoutines, EntryAnswersOneForEveryReason) {
  for (uint32_t reason : {0u, 1u, 2u, 3u}) {
    auto result = host->callEntry(reason);
    ASSERT_TRUE(result.ok()) << result.error().message;
    EXPECT_EQ(*result, 1u) << "reason " << reason;
  }
  EXPECT_TRUE(host->log().empty());
}

TEST_P(GaugeRoutines, HooksDoNothing) {
  ASSERT_TRUE(host->callInitHook().ok());
  ASSERT_TRUE(host->callDeinitHook().ok());
  EXPECT_TRUE(host->log().empty());
}

TEST_P(GaugeRoutines, InstallCallsInOrderWithThePictureReference) {
  ServiceLog log = install(0);
  ASSERT_EQ(log.size(), 4u);
  const uint32_t background = records.elements[0].address;
  auto image = test::expectOk(host->machine().readU32(background + layout::ElementBody::image));
  ASSERT_NE(image, 0u) << "the host filled image during ElementListInstall";
  uint32_t varAddress = log[1].args.at(0);
  uint32_t mouseList = log[2].args.at(0);
  EXPECT_EQ(log[0], (ServiceCall{"ElementListInstall", {head, 0}}));
  EXPECT_EQ(log[1].service, "InitializeVar");
  EXPECT_EQ(log[2], (ServiceCall{"MouseListInstall", {mouseList, gauge, image + 4}}));
  EXPECT_EQ(log[3], (ServiceCall{"MouseListRegister", {mouseList, gauge}}));
  // The variable is the arm flag, token 324.
  auto var = test::expectOk(gb::panel::decodeModuleVar(host->machine(), varAddress));
  EXPECT_EQ(var.token, 324u);
  EXPECT_TRUE(host->mouseListRegistered());
}

TEST_P(GaugeRoutines, ArgumentsPassBitForBit) {
  for (uint32_t argument : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xDEADBEEFu}) {
    SCOPED_TRACE(gb::hex(argument));
    ServiceLog log = install(argument);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], (ServiceCall{"ElementListInstall", {head, argument}}));
    ASSERT_TRUE(host->gaugeGenerate(argument).ok());
    EXPECT_EQ(host->log(), (ServiceLog{{"ElementListGenerate", {head, argument}}}));
    host->clearLog();
  }
}

TEST_P(GaugeRoutines, EachRoutinePassesTheHead) {
  const uint32_t armFlag = armFlagVar();
  const uint32_t mouseList = host->mouseList();
  struct Case {
    const char* name;
    std::function<gb::Status()> call;
    ServiceLog expected;
  };
  const Case cases[] = {
      {"query", [&] { return host->gaugeQuery(); }, {{"ElementListQuery", {head}}}},
      {"initialize", [&] { return host->gaugeInitialize(); }, {{"ElementListInitialize", {head}}}},
      {"update", [&] { return host->gaugeUpdate(); },
       {{"ElementListUpdate", {head}}, {"LookupVar", {armFlag}}}},
      {"draw", [&] { return host->gaugeDraw(); }, {{"ElementListDraw", {head}}}},
      {"kill", [&] { return host->gaugeKill(); },
       {{"MouseListUnregister", {mouseList, gauge}}, {"ElementListKill", {head}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host->clearLog();
    gb::Status status = c.call();
    ASSERT_TRUE(status.ok()) << status.error().message;
    EXPECT_EQ(host->log(), c.expected);
  }
  EXPECT_FALSE(host->mouseListRegistered()) << "kill unregisters the mouse list";
}

TEST_P(GaugeRoutines, EveryRoutineReadsTheHeadAfresh) {
  install();
  // The host may store another head through the header's elementList.
  const uint32_t other = records.elements[1].address;
  ASSERT_TRUE(host->machine().writeU32(records.header.elementList, other).ok());
  struct Case {
    std::function<gb::Status()> call;
    const char* service;
  };
  const Case cases[] = {
      {[&] { return host->gaugeQuery(); }, "ElementListQuery"},
      {[&] { return host->gaugeInitialize(); }, "ElementListInitialize"},
      {[&] { return host->gaugeUpdate(); }, "ElementListUpdate"},
      {[&] { return host->gaugeGenerate(5); }, "ElementListGenerate"},
      {[&] { return host->gaugeDraw(); }, "ElementListDraw"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.service);
    host->clearLog();
    ASSERT_TRUE(c.call().ok());
    ASSERT_FALSE(host->log().empty());
    EXPECT_EQ(host->log()[0].service, c.service);
    EXPECT_EQ(host->log()[0].args.at(0), other);
  }
}

TEST_P(GaugeRoutines, QueryGoesThroughTheHeadersElementList) {
  // Point the header's elementList at another variable, holding the strip:
  // GaugeQuery follows it, the other routines read ElementListHead itself.
  auto& m = host->machine();
  const uint32_t strip = records.elements[1].address;
  const uint32_t variable = test::expectOk(m.allocate(4));
  ASSERT_TRUE(m.writeU32(variable, strip).ok());
  ASSERT_TRUE(m.writeU32(gauge + layout::GaugeHeader::elementList, variable).ok());
  host->clearLog();
  ASSERT_TRUE(host->gaugeQuery().ok());
  ASSERT_TRUE(host->gaugeDraw().ok());
  EXPECT_EQ(host->log(), (ServiceLog{{"ElementListQuery", {strip}}, {"ElementListDraw", {head}}}));
}

TEST_P(GaugeRoutines, ServiceTableIsReadAfreshAtEveryCall) {
  // A second table like the first, but whose draw slot holds the query
  // service: if GaugeDraw goes through it, the log says ElementListQuery.
  auto& m = host->machine();
  const uint32_t original = m.serviceTableAddress();
  auto table = test::expectOk(m.readBytes(original, 0x100));
  uint32_t copy = test::expectOk(m.allocate(0x100));
  std::copy_n(table.begin() + layout::PanelServices::elementListQuery, 4,
              table.begin() + layout::PanelServices::elementListDraw);
  ASSERT_TRUE(m.writeBytes(copy, table).ok());
  const uint32_t slot = host->entryPoints().importTable + layout::ImportEntry::tableAddress;

  ASSERT_TRUE(m.writeU32(slot, copy).ok());
  ASSERT_TRUE(host->gaugeDraw().ok());
  ASSERT_TRUE(m.writeU32(slot, original).ok());
  ASSERT_TRUE(host->gaugeDraw().ok());
  EXPECT_EQ(host->log(), (ServiceLog{{"ElementListQuery", {head}}, {"ElementListDraw", {head}}}));
}

TEST_P(GaugeRoutines, SecondInstallRepeatsItsCallsAndKillAlwaysMakesTwo) {
  ServiceLog first = install(7);
  ServiceLog second = install(7);
  EXPECT_EQ(first.size(), 4u);
  EXPECT_EQ(second.size(), 4u);
  for (int i = 0; i < 2; ++i) {
    host->clearLog();
    ASSERT_TRUE(host->gaugeKill().ok());
    ASSERT_EQ(host->log().size(), 2u);
    EXPECT_EQ(host->log()[0].service, "MouseListUnregister");
    EXPECT_EQ(host->log()[1].service, "ElementListKill");
  }
}

TEST_P(GaugeRoutines, UpdateRefreshesTheArmFlagAfterTheElementList) {
  const uint32_t armFlag = armFlagVar();
  host->setVariable(layout::kArmFlagVariable, 1.0);
  ASSERT_TRUE(host->gaugeUpdate().ok());
  EXPECT_EQ(test::expectOk(host->machine().readF64(armFlag + layout::ModuleVar::value)), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Bases, GaugeRoutines, testing::ValuesIn(test::kBases), test::baseName);

}  // namespace
