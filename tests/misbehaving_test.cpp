// Gauge modules that misbehave (tests/fixtures/misbehaving/): each one's
// GaugeInstall faults in its own way, and the bench reports the routine, the
// fault, the address as module+offset, the instruction and the registers,
// then goes on working: the same host runs the module's other routines, and
// gaugebench inspect reports the fault on the command line and carries on
// with the next command.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "cli/app.h"
#include "fault_report.h"
#include "gauge_fixture.h"
#include "machine/host_area.h"

namespace {

using HostArea = gb::machine::HostArea;
using Registers = std::vector<std::pair<std::string, uint32_t>>;

constexpr uint32_t kEspWithOneArgument = HostArea::stackTop - 24;

// What a fixture's report says, given the host that loaded it.
struct Fixture {
  const char* kind;
  std::function<std::string(const gb::panel::GaugeHost&)> expected;
};

std::string at(const gb::panel::GaugeHost& host, uint32_t offset) {
  return host.machine().describeAddress(host.entryPoints().install + offset);
}
uint32_t install(const gb::panel::GaugeHost& host) { return host.entryPoints().install; }

const Fixture kFixtures[] = {
    {"unmapped_read",
     [](const gb::panel::GaugeHost& h) {
       return "GaugeInstall: read of unmapped memory at 0x12345678 at " + at(h, 5) +
              " (mov eax, dword ptr [ecx])" +
              test::registersLine({{"ecx", 0x12345678}, {"esp", kEspWithOneArgument}, {"eip", install(h) + 5}});
     }},
    {"invalid_instruction",
     [](const gb::panel::GaugeHost& h) {
       return "GaugeInstall: invalid instruction at " + at(h, 2) + " (ud2)" +
              test::registersLine({{"esp", kEspWithOneArgument}, {"eip", install(h) + 2}, {"eflags", 0x246}});
     }},
    {"endless_loop",  // the 1000001st instruction is the 500001st inc
     [](const gb::panel::GaugeHost& h) {
       return "GaugeInstall: instruction budget of 1000000 exhausted at " + at(h, 0) + " (inc eax)" +
              test::registersLine(
                  {{"eax", 500000}, {"esp", kEspWithOneArgument}, {"eip", install(h)}, {"eflags", 0x212}});
     }},
    {"arguments_left",
     [](const gb::panel::GaugeHost& h) {
       return "GaugeInstall: stack imbalance: removed 0 bytes of arguments, expected 4, at " + at(h, 5) + " (ret)" +
              test::registersLine({{"eax", 1}, {"eip", HostArea::sentinel}});
     }},
    {"service_table_write",
     [](const gb::panel::GaugeHost& h) {
       return "GaugeInstall: write to read-only memory at host+0x90 at " + at(h, 5) +
              " (mov dword ptr [eax + 0x90], 0)" +
              test::registersLine(
                  {{"eax", HostArea::serviceTable}, {"esp", kEspWithOneArgument}, {"eip", install(h) + 5}});
     }},
    {"picture_record_write",  // after ElementListInstall made the record
     [](const gb::panel::GaugeHost& h) {
       const uint32_t record = h.installedElements().at(0).pictureRecord;
       return "GaugeInstall: write to read-only memory at " + h.machine().describeAddress(record + 4) + " at " +
              at(h, 0x17) + " (mov dword ptr [eax + 4], 0x100)" +
              test::registersLine({{"eax", record}, {"esp", kEspWithOneArgument}, {"eip", install(h) + 0x17}});
     }},
    {"unused_service",
     [](const gb::panel::GaugeHost& h) {
       return "GaugeInstall: call into unused service slot 0x78 at " + at(h, 5) +
              " (call dword ptr [eax + 0x78])" +
              test::registersLine({{"eax", HostArea::serviceTable},
                                   {"esp", kEspWithOneArgument - 4},
                                   {"eip", HostArea::stubs + 0x78 / 4 * HostArea::stubSize}});
     }},
};

std::string fixturePath(const char* kind) { return std::string(MISBEHAVING_FIXTURE_DIR "/") + kind + ".gau"; }

class Misbehaving : public testing::TestWithParam<Fixture> {};

TEST_P(Misbehaving, FaultIsReportedAndTheHostGoesOn) {
  auto loaded = gb::panel::GaugeHost::load(fixturePath(GetParam().kind), {});
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  gb::panel::GaugeHost& host = **loaded;
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE("attempt " + std::to_string(attempt));
    gb::Status installed = host.gaugeInstall(0);
    ASSERT_FALSE(installed.ok());
    EXPECT_EQ(installed.error().message, GetParam().expected(host));
    // The module's well-behaved routines still run on the same machine.
    EXPECT_TRUE(host.gaugeUpdate().ok());
    EXPECT_TRUE(host.gaugeGenerate(0).ok());
    EXPECT_TRUE(host.gaugeDraw().ok());
    EXPECT_TRUE(host.gaugeKill().ok());
    auto entry = host.callEntry(1);
    ASSERT_TRUE(entry.ok()) << entry.error().message;
    EXPECT_EQ(*entry, 1u);
  }
  // Host memory the module tried to write is as the host left it.
  for (const auto& element : host.installedElements())
    EXPECT_EQ(test::expectOk(host.machine().readU32(element.pictureRecord + 4)), 4u) << "picture width";
  EXPECT_EQ(test::expectOk(host.machine().readU32(HostArea::serviceTable + 0x90)),
            HostArea::stubs + 0x90 / 4 * HostArea::stubSize);
}

TEST_P(Misbehaving, InspectReportsTheFaultAndTheNextCommandWorks) {
  const std::string path = fixturePath(GetParam().kind);
  auto loaded = gb::panel::GaugeHost::load(path, {});
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  // The same fault in a host of its own gives the state inspect's host meets it in.
  ASSERT_FALSE((*loaded)->gaugeInstall(0).ok());
  const std::string expected = GetParam().expected(**loaded);

  std::ostringstream out, err;
  EXPECT_EQ(gb::cli::run({"inspect", path}, out, err), 1);
  EXPECT_EQ(err.str(), "gaugebench: " + path + ": " + expected + "\n");
  EXPECT_EQ(out.str(), "");

  std::ostringstream nextOut, nextErr;
  EXPECT_EQ(gb::cli::run({"inspect", QUANDEL_GAU_PATH}, nextOut, nextErr), 0) << nextErr.str();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Misbehaving, testing::ValuesIn(kFixtures),
                         [](const auto& info) { return std::string(info.param.kind); });

}  // namespace
