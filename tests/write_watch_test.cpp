// Write watching: the machine records the stores module code makes into its
// own image, and nothing else; the real module stores only into its lever
// detent, and only from the two stepping handlers.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "gauge_fixture.h"
#include "machine/host_area.h"
#include "machine/machine.h"
#include "machine/write_report.h"
#include "panel/module_records.h"
#include "panel/panel_session.h"
#include "pe_builder.h"

using gb::machine::ImageWrite;
using gb::machine::Machine;

namespace gb::machine {
void PrintTo(const ImageWrite& w, std::ostream* out) {
  *out << hex(w.size) << " bytes " << hex(w.value) << " at " << hex(w.address) << " by " << hex(w.writer);
}
}  // namespace gb::machine

namespace {

constexpr uint32_t kBase = 0x10000000;
constexpr uint32_t kCode = kBase + 0x1000;
constexpr uint32_t kData = kBase + 0x2000;

// A module with `code` at +0x1000 and a writable data page at +0x2000.
std::unique_ptr<Machine> machineWith(std::vector<uint8_t> code) {
  pe_test::PeBuilder builder;
  builder.imageBase = kBase;
  builder.sections.push_back({".text", 0x1000, uint32_t(code.size()), code, pe_test::kCode});
  builder.sections.push_back({".data", 0x2000, 0x10, std::vector<uint8_t>(0x10, 0), 0xC0000040});
  auto file = gb::pe::parsePe(builder.build());
  auto machine = Machine::create();
  if (!file || !machine) {
    ADD_FAILURE() << (file ? machine.error().message : file.error().message);
    return nullptr;
  }
  gb::Status mapped = (*machine)->mapModule(*file, kBase, "fixture.dll");
  if (!mapped) ADD_FAILURE() << mapped.error().message;
  return std::move(*machine);
}

// mov dword [data+4], 0x11223344; mov word [data+8], 0x5566; push eax;
// mov [esp], ebx; pop eax; ret — two stores into the image, one onto the stack.
const std::vector<uint8_t> kStores = {0xC7, 0x05, 0x04, 0x20, 0x00, 0x10, 0x44, 0x33, 0x22, 0x11,
                                      0x66, 0xC7, 0x05, 0x08, 0x20, 0x00, 0x10, 0x66, 0x55,
                                      0x50, 0x89, 0x1C, 0x24, 0x58, 0xC3};
const std::vector<ImageWrite> kStoresSeen = {{kData + 4, 4, 0x11223344, kCode},
                                             {kData + 8, 2, 0x5566, kCode + 10}};

TEST(WriteWatch, RecordsOnlyModuleStoresIntoTheImageWhileOn) {
  auto m = machineWith(kStores);
  ASSERT_TRUE(m);
  // Off: the code is translated without the hook and nothing is recorded.
  ASSERT_TRUE(m->call("Stores", kCode, {}).ok());
  EXPECT_TRUE(m->imageWrites().empty());

  // On after the code has run: the hook takes all the same.
  ASSERT_TRUE(m->watchImageWrites(true).ok());
  EXPECT_TRUE(m->watchingImageWrites());
  ASSERT_TRUE(m->call("Stores", kCode, {}).ok());
  EXPECT_EQ(m->imageWrites(), kStoresSeen);

  // The host's own writes are not the module's.
  ASSERT_TRUE(m->writeU32(kData, 7).ok());
  EXPECT_EQ(m->imageWrites(), kStoresSeen);

  ASSERT_TRUE(m->call("Stores", kCode, {}).ok());
  EXPECT_EQ(gb::machine::describeImageWrites(*m),
            "image writes: 4 stores into fixture.dll\n"
            "  fixture.dll+0x2004  4 bytes  by fixture.dll+0x1000  2 times\n"
            "  fixture.dll+0x2008  2 bytes  by fixture.dll+0x100a  2 times\n");

  m->clearImageWrites();
  ASSERT_TRUE(m->watchImageWrites(false).ok());
  ASSERT_TRUE(m->call("Stores", kCode, {}).ok());
  EXPECT_TRUE(m->imageWrites().empty());
}

TEST(WriteWatch, KeepsABoundedRecord) {
  // mov ecx, n; loop: mov [data], ecx; dec ecx; jnz loop; ret
  const uint32_t stores = Machine::kMaxImageWrites + 5;
  auto m = machineWith({0xB9, uint8_t(stores), uint8_t(stores >> 8), uint8_t(stores >> 16), 0x00,
                        0x89, 0x0D, 0x00, 0x20, 0x00, 0x10, 0x49, 0x75, 0xF7, 0xC3});
  ASSERT_TRUE(m);
  m->setInstructionBudget(4 * uint64_t(stores));
  ASSERT_TRUE(m->watchImageWrites(true).ok());
  auto result = m->call("Loop", kCode, {});
  ASSERT_TRUE(result.ok()) << result.error().message;
  EXPECT_EQ(m->imageWrites().size(), Machine::kMaxImageWrites);
  EXPECT_EQ(m->droppedImageWrites(), 5u);
  EXPECT_EQ(m->imageWrites().front(), (ImageWrite{kData, 4, stores, kCode + 5}));
}

TEST(WriteWatch, NeedsAModule) {
  auto m = Machine::create();
  ASSERT_TRUE(m.ok());
  auto status = (*m)->watchImageWrites(true);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().message, "machine: no module is mapped to watch");
}

// The real module over a long random run of clicks, frames, time, installs
// and kills: the only stores into its image are the detent the stepping
// handlers keep, one per step that moves it, holding the new detent.
class ModuleWrites : public testing::TestWithParam<test::BaseCase> {};

TEST_P(ModuleWrites, OnlyTheSteppingHandlersStoreOnlyTheDetent) {
  gb::panel::PanelSession::Options options;
  options.host.base = GetParam().base;
  options.host.pictures = test::fixturePictures();
  auto opened = gb::panel::PanelSession::open(QUANDEL_GAU_PATH, options);
  ASSERT_TRUE(opened.ok()) << opened.error().message;
  gb::panel::PanelSession& session = **opened;
  Machine& m = session.host().machine();
  ASSERT_TRUE(m.watchImageWrites(true).ok());
  ASSERT_TRUE(session.start().ok());
  EXPECT_TRUE(m.imageWrites().empty()) << "load and start store nothing into the image";

  auto areas = test::expectOk(gb::panel::decodeMouseAreas(m, session.host().mouseList()));
  ASSERT_EQ(areas.size(), 6u);
  const uint32_t stepUp = areas[2].handler, stepDown = areas[3].handler;

  // The detent is whatever the first step up stores.
  auto first = session.click(10, 100);
  ASSERT_TRUE(first.ok()) << first.error().message;
  ASSERT_EQ(first->handler, stepUp);
  ASSERT_EQ(m.imageWrites().size(), 1u);
  const uint32_t detentAddress = m.imageWrites()[0].address;
  EXPECT_EQ(m.imageWrites()[0].size, 4u);
  EXPECT_EQ(m.imageWrites()[0].value, 1u);
  m.clearImageWrites();

  uint32_t detent = 1;
  std::set<uint32_t> writers;
  std::mt19937 random(20240611);
  int clicks = 0, steps = 0, frames = 0, restarts = 0;
  for (int i = 0; i < 4000; ++i) {
    SCOPED_TRACE("operation " + std::to_string(i));
    const unsigned choice = random() % 20;
    uint32_t handler = 0;
    if (choice < 12) {
      // A point in one of the three areas, on a dead row, or beside them.
      struct Rows { int x0, x1, y0, y1; };
      const Rows targets[] = {{0, 37, 0, 84}, {0, 37, 86, 170}, {0, 37, 172, 177},
                              {0, 37, 85, 85}, {0, 37, 171, 171}, {38, 79, 0, 183}};
      const Rows& t = targets[random() % 6];
      const int x = t.x0 + int(random() % (t.x1 - t.x0 + 1));
      const int y = t.y0 + int(random() % (t.y1 - t.y0 + 1));
      auto click = session.click(x, y);
      ASSERT_TRUE(click.ok()) << click.error().message;
      handler = click->hit ? click->handler : 0;
      ++clicks;
    } else if (choice < 17) {
      auto frame = session.frame();
      ASSERT_TRUE(frame.ok()) << frame.error().message;
      ++frames;
    } else if (choice < 19) {
      ASSERT_TRUE(session.advance(0.25).ok());
    } else {
      ASSERT_TRUE(session.stop().ok());
      ASSERT_TRUE(session.start().ok());
      ++restarts;
    }

    uint32_t expected = detent;
    if (handler == stepUp && detent < 4) ++expected;
    if (handler == stepDown && detent > 0) --expected;
    if (expected == detent) {
      EXPECT_TRUE(m.imageWrites().empty()) << "a store without a step";
    } else {
      ++steps;
      ASSERT_EQ(m.imageWrites().size(), 1u);
      const ImageWrite& w = m.imageWrites()[0];
      EXPECT_EQ(w.address, detentAddress);
      EXPECT_EQ(w.size, 4u);
      EXPECT_EQ(w.value, expected);
      EXPECT_GE(w.writer, m.moduleBase());
      EXPECT_LT(w.writer - m.moduleBase(), m.moduleSize());
      writers.insert(w.writer);
    }
    EXPECT_EQ(test::expectOk(m.readU32(detentAddress)), expected);
    detent = expected;
    m.clearImageWrites();
  }
  // One storing instruction in each stepping handler; the run went through
  // every kind of operation many times.
  EXPECT_EQ(writers.size(), 2u);
  EXPECT_GT(steps, 400);
  EXPECT_GT(frames, 400);
  EXPECT_GT(restarts, 50);
  EXPECT_GT(clicks, 1000);
  EXPECT_EQ(m.droppedImageWrites(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Bases, ModuleWrites, testing::ValuesIn(test::kBases), test::baseName);

}  // namespace
