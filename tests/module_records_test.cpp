// The module's records as the host finds them, at the preferred base and
// at another one (so every address field has been relocated).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "gauge_fixture.h"
#include "record_layout.h"
#include "support/byte_reader.h"

namespace layout = quandel::layout;
using gb::panel::ElementInfo;

namespace {

class ModuleRecords : public testing::TestWithParam<test::BaseCase> {
 protected:
  void SetUp() override {
    host = test::loadGauge(GetParam().base);
    ASSERT_TRUE(host);
    records = test::decodeRecords(*host);
    ASSERT_EQ(records.elements.size(), 4u);
  }
  bool inModule(uint32_t address) const {
    const auto& m = host->machine();
    return address >= m.moduleBase() && address - m.moduleBase() < m.moduleSize();
  }
  const ElementInfo& element(size_t i) const { return records.elements[i]; }

  std::unique_ptr<gb::panel::GaugeHost> host;
  test::GaugeRecords records;
};

bool allZero(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  return std::all_of(bytes.begin() + from, bytes.begin() + to, [](uint8_t b) { return b == 0; });
}

TEST_P(ModuleRecords, LoadsAtTheRequestedBase) {
  uint32_t expected = GetParam().base.value_or(host->file().imageBase);
  EXPECT_EQ(host->machine().moduleBase(), expected);
}

TEST_P(ModuleRecords, LinkageNamesTheHooksAndOneGaugeHeader) {
  const auto& l = records.linkage;
  EXPECT_EQ(l.linkageId, 19u);
  EXPECT_TRUE(inModule(l.initHook));
  EXPECT_TRUE(inModule(l.deinitHook));
  EXPECT_NE(l.initHook, l.deinitHook);
  EXPECT_EQ(l.reserved[0], 0u);
  EXPECT_EQ(l.reserved[1], 0u);
  EXPECT_EQ(l.reserved[2], 0u);
  ASSERT_EQ(l.gaugeHeaders.size(), 1u);
  EXPECT_EQ(l.gaugeHeaders[0], records.header.address);
}

TEST_P(ModuleRecords, ImportTableAsksForPanelServicesAndIsNullInTheFile) {
  // In the file: (0x0F, null), then the all-zero end.
  const gb::pe::Export* exported = host->file().findExport("ImportTable");
  ASSERT_NE(exported, nullptr);
  auto bytes = test::expectOk(host->file().bytesAtRva(exported->rva, layout::ImportTable::size, "ImportTable"));
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(gb::loadU32(&bytes[0]), 0x0Fu);
  EXPECT_EQ(gb::loadU32(&bytes[4]), 0u);
  EXPECT_EQ(gb::loadU32(&bytes[8]), 0u);
  EXPECT_EQ(gb::loadU32(&bytes[12]), 0u);
  // Loaded: the host has stored its service table.
  auto entries = test::expectOk(gb::panel::decodeImportTable(host->machine(), host->entryPoints().importTable));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].importId, 0x0Fu);
  EXPECT_EQ(entries[0].tableAddress, host->machine().serviceTableAddress());
  EXPECT_EQ(entries[1].importId, 0u);
  EXPECT_EQ(entries[1].tableAddress, 0u);
}

TEST_P(ModuleRecords, GaugeHeaderHoldsNameRoutinesAndHostFields) {
  const auto& h = records.header;
  EXPECT_EQ(h.formatNumber, 610u);
  EXPECT_EQ(h.name, "Marvik Talmerend  by Y Pellam");
  EXPECT_TRUE(inModule(h.elementList));
  EXPECT_EQ(h.head, element(0).address) << "elementList holds the address of the head variable";
  std::vector<uint32_t> routines = {h.query, h.install, h.initialize, h.update, h.generate, h.draw, h.kill};
  for (uint32_t routine : routines) EXPECT_TRUE(inModule(routine)) << gb::hex(routine);
  std::sort(routines.begin(), routines.end());
  EXPECT_EQ(std::unique(routines.begin(), routines.end()), routines.end()) << "seven distinct routines";
  const uint32_t hostFields[12] = {0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(std::begin(hostFields), std::end(hostFields), h.hostFields));
}

TEST_P(ModuleRecords, ChainVisitsFourElementsInDrawingOrder) {
  struct Expected {
    uint32_t kind, size, resourceId;
    int32_t x, y;
    uint32_t imageFlags;
    bool failures;
    uint32_t yToken;
  };
  const Expected expected[] = {
      {0, 80, 0x1000, 0, 0, 1, false, 0},      // background
      {5, 248, 0x4500, 0, 0, 3, true, 318},    // strip
      {3, 168, 0x2000, 9, 0, 3, true, 326},    // lever handle
      {3, 168, 0x4000, 46, 130, 7, true, 318}, // pointer
  };
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE("element " + std::to_string(i));
    const ElementInfo& e = element(i);
    const Expected& x = expected[i];
    EXPECT_EQ(e.kind, x.kind);
    EXPECT_EQ(e.size, x.size);
    EXPECT_EQ(e.resourceId, x.resourceId);
    EXPECT_EQ(e.x, x.x);
    EXPECT_EQ(e.y, x.y);
    EXPECT_EQ(e.imageFlags, x.imageFlags);
    EXPECT_EQ(e.gaugeHeader, records.header.address);
    EXPECT_EQ(e.image, 0u) << "image is the host's, zero before install";
    EXPECT_EQ(e.failureList != 0, x.failures);
    if (i + 1 < 4) {
      ASSERT_EQ(e.next.size(), 1u);
      EXPECT_EQ(e.next[0], element(i + 1).address);
    } else {
      EXPECT_EQ(e.nextList, 0u);
    }
    // Host words of the header and the two zero words are zero.
    EXPECT_TRUE(allZero(e.bytes, layout::ElementHeader::hostWords, layout::ElementHeader::gaugeHeader));
    EXPECT_TRUE(allZero(e.bytes, layout::ElementHeader::hostWord, layout::ElementHeader::nextList));
    EXPECT_TRUE(allZero(e.bytes, layout::ElementHeader::zeroWords, layout::ElementHeader::size + 4));
    if (e.yAxis) EXPECT_EQ(e.yAxis->variable.token, x.yToken);
  }
}

TEST_P(ModuleRecords, HostAreasAfterTheAxesAreZero) {
  EXPECT_TRUE(allZero(element(0).bytes, layout::StaticImageElement::hostArea, 80));
  EXPECT_TRUE(allZero(element(1).bytes, layout::MovingImageElement::hostArea, 248));
  EXPECT_TRUE(allZero(element(2).bytes, layout::SliderElement::hostArea, 168));
  EXPECT_TRUE(allZero(element(3).bytes, layout::SliderElement::hostArea, 168));
}

TEST_P(ModuleRecords, EveryXAxisIsZeroAndEveryYAxisHoldsOnlyItsToken) {
  for (size_t i = 1; i < 4; ++i) {
    SCOPED_TRACE("element " + std::to_string(i));
    const ElementInfo& e = element(i);
    ASSERT_TRUE(e.xAxis && e.yAxis);
    EXPECT_TRUE(allZero(e.xAxis->bytes, 0, e.xAxis->bytes.size()));
    // The ModuleVar: token, then 24 zero bytes.
    EXPECT_NE(e.yAxis->variable.token, 0u);
    EXPECT_TRUE(allZero(e.yAxis->bytes, 4, layout::ModuleVar::size));
  }
}

TEST_P(ModuleRecords, AxisValues) {
  const ElementInfo& strip = element(1);
  EXPECT_EQ(strip.yAxis->callback, 0u);
  EXPECT_EQ(strip.yAxis->min, 16384.0);
  EXPECT_EQ(strip.yAxis->max, -16384.0);
  // min stands before max in the record.
  EXPECT_EQ(strip.yAxis->address + layout::MovingImageAxis::min - strip.address, 144u);
  EXPECT_EQ(strip.yAxis->address + layout::MovingImageAxis::max - strip.address, 152u);

  const ElementInfo& handle = element(2);
  EXPECT_TRUE(inModule(handle.yAxis->callback));
  EXPECT_EQ(handle.yAxis->scale, 0.002155);
  EXPECT_EQ(handle.yAxis->address - handle.address, 104u);

  const ElementInfo& pointer = element(3);
  EXPECT_EQ(pointer.yAxis->callback, 0u);
  EXPECT_EQ(pointer.yAxis->scale, 0.002155);
}

TEST_P(ModuleRecords, ThreeElementsShareOneFailureListOfOneRecord) {
  EXPECT_EQ(element(0).failureList, 0u);
  const uint32_t list = element(1).failureList;
  EXPECT_TRUE(inModule(list));
  EXPECT_EQ(element(2).failureList, list);
  EXPECT_EQ(element(3).failureList, list);
  ASSERT_EQ(element(1).failures.size(), 1u);
  EXPECT_EQ(element(1).failures[0].key, 2u);
  EXPECT_EQ(element(1).failures[0].action, 0u);
  // 24 bytes: (2, 0), then 16 zero bytes.
  auto bytes = test::expectOk(host->machine().readBytes(list, 24));
  EXPECT_EQ(gb::loadU32(&bytes[0]), 2u);
  EXPECT_TRUE(allZero(bytes, 4, 24));
}

INSTANTIATE_TEST_SUITE_P(Bases, ModuleRecords, testing::ValuesIn(test::kBases), test::baseName);

}  // namespace
