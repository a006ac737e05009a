// The emulated machine on small hand-assembled modules: stdcall frames,
// results, services, relocation, and one exact report per kind of fault,
// after which the machine still works.
#include <gtest/gtest.h>

#include <cstring>

#include "fault_report.h"
#include "gauge_fixture.h"
#include "machine/host_area.h"
#include "machine/machine.h"
#include "pe_builder.h"

using gb::machine::Machine;
using gb::machine::Returns;
using HostArea = gb::machine::HostArea;

namespace {

constexpr uint32_t kBase = 0x10000000;
constexpr uint32_t kCodeRva = 0x1000;
constexpr uint32_t kDataRva = 0x2000;
constexpr uint32_t kGoodRoutine = 0x100;  // code offset of a routine that behaves

// A DLL with `code` at +0x1000 (read/execute), a writable data page at
// +0x2000, and base relocations for the code offsets in `fixups`.
gb::pe::PeFile fixtureModule(std::vector<uint8_t> code, std::vector<uint16_t> fixups = {}) {
  pe_test::PeBuilder builder;
  builder.imageBase = kBase;
  builder.sections.push_back({".text", kCodeRva, uint32_t(code.size()), code, pe_test::kCode});
  builder.sections.push_back({".data", kDataRva, 0x10, std::vector<uint8_t>(0x10, 0), 0xC0000040});
  if (!fixups.empty()) {
    std::vector<uint16_t> entries;
    for (uint16_t offset : fixups) entries.push_back(uint16_t(0x3000 | offset));
    std::vector<uint8_t> block = pe_test::relocationBlock(kCodeRva, entries);
    builder.sections.push_back({".reloc", 0x3000, uint32_t(block.size()), block, pe_test::kReadOnlyData});
    builder.directories[5] = {0x3000, uint32_t(block.size())};
  }
  auto file = gb::pe::parsePe(builder.build());
  if (!file) ADD_FAILURE() << file.error().message;
  return file ? std::move(*file) : gb::pe::PeFile{};
}

std::unique_ptr<Machine> machineWith(std::vector<uint8_t> code, uint32_t base = kBase,
                                     std::vector<uint16_t> fixups = {}) {
  auto machine = Machine::create();
  if (!machine) {
    ADD_FAILURE() << machine.error().message;
    return nullptr;
  }
  gb::Status mapped = (*machine)->mapModule(fixtureModule(std::move(code), std::move(fixups)), base, "fixture.dll");
  if (!mapped) ADD_FAILURE() << mapped.error().message;
  return std::move(*machine);
}

std::string callError(Machine& m, std::vector<uint32_t> args = {}, Returns returns = Returns::Int32) {
  auto result = m.call("Routine", kBase + kCodeRva, args, returns);
  return result ? "no error" : result.error().message;
}

TEST(Machine, ReturnsEaxAndCountsInstructions) {
  // mov eax, [esp+4]; add eax, [esp+8]; ret 8
  auto m = machineWith({0x8B, 0x44, 0x24, 0x04, 0x03, 0x44, 0x24, 0x08, 0xC2, 0x08, 0x00});
  uint32_t args[] = {40, 2};
  auto result = m->call("Add", kBase + kCodeRva, args);
  ASSERT_TRUE(result.ok()) << result.error().message;
  EXPECT_EQ(result->eax, 42u);
  EXPECT_EQ(result->instructions, 3u);
  EXPECT_EQ(m->lastInstructionCount(), 3u);
}

TEST(Machine, ReturnsTheDoubleInST0) {
  // fld qword [esp+4]; fadd st0, st0; ret 8
  auto m = machineWith({0xDD, 0x44, 0x24, 0x04, 0xD8, 0xC0, 0xC2, 0x08, 0x00});
  double value = 1.25;
  uint32_t args[2];
  std::memcpy(args, &value, 8);
  auto result = m->call("Double", kBase + kCodeRva, args, Returns::Double);
  ASSERT_TRUE(result.ok()) << result.error().message;
  EXPECT_EQ(result->st0, 2.5);
}

TEST(Machine, EveryCallStartsWithAnEmptyX87Stack) {
  // fld1; ret — called three times, the stack must not fill up.
  auto m = machineWith({0xD9, 0xE8, 0xC3});
  for (int i = 0; i < 9; ++i) {
    auto result = m->call("One", kBase + kCodeRva, {}, Returns::Double);
    ASSERT_TRUE(result.ok()) << result.error().message;
    EXPECT_EQ(result->st0, 1.0);
  }
}

TEST(Machine, ServicesReceiveTheirArgumentsAndRemoveThem) {
  // push 2; push 1; mov eax, table+0x90; call [eax]; ret
  auto m = machineWith({0x6A, 0x02, 0x6A, 0x01, 0xB8, 0x90, 0x00, 0x10, 0x00, 0xFF, 0x10, 0xC3});
  std::vector<uint32_t> received;
  m->defineService(0x90, "Pair", 2, [&](Machine&, std::span<const uint32_t> args) {
    received.assign(args.begin(), args.end());
    return gb::Status(gb::Ok{});
  });
  EXPECT_EQ(callError(*m), "no error");
  EXPECT_EQ(received, (std::vector<uint32_t>{1, 2}));
}

TEST(Machine, RelocatesTheImageForItsBase) {
  // mov eax, [base+0x2000]; ret — the absolute address is fixed up.
  constexpr uint32_t other = 0x20000000;
  auto m = machineWith({0xA1, 0x00, 0x20, 0x00, 0x10, 0xC3}, other, {0x1});
  ASSERT_TRUE(m->writeU32(other + kDataRva, 0x1234).ok());
  auto result = m->call("Load", other + kCodeRva, {});
  ASSERT_TRUE(result.ok()) << result.error().message;
  EXPECT_EQ(result->eax, 0x1234u);
}

TEST(Machine, FaultReports) {
  struct Case {
    const char* name;
    std::vector<uint8_t> code;
    std::vector<uint32_t> args;
    Returns returns;
    std::string expected;
  };
  constexpr uint32_t at = kBase + kCodeRva;
  const Case cases[] = {
      {"unmapped read", {0xA1, 0x04, 0x00, 0x00, 0x00, 0xC3}, {}, Returns::Int32,
       "Routine: read of unmapped memory at 0x4 at fixture.dll+0x1000 (mov eax, dword ptr [4])" +
           test::registersLine({{"eip", at}})},
      {"unmapped read after other instructions in its block",
       // mov ecx, 0x12345678; inc ebx; mov eax, [ecx]
       {0xB9, 0x78, 0x56, 0x34, 0x12, 0x43, 0x8B, 0x01, 0xC3}, {}, Returns::Int32,
       "Routine: read of unmapped memory at 0x12345678 at fixture.dll+0x1006 (mov eax, dword ptr [ecx])" +
           test::registersLine({{"ecx", 0x12345678}, {"ebx", 1}, {"eip", at + 6}, {"eflags", 0x202}})},
      {"write to code", {0xA3, 0x00, 0x10, 0x00, 0x10, 0xC3}, {}, Returns::Int32,
       "Routine: write to read-only memory at fixture.dll+0x1000 at fixture.dll+0x1000 "
       "(mov dword ptr [0x10001000], eax)" + test::registersLine({{"eip", at}})},
      {"write to the service table",  // mov dword ptr [table+0x90], 0
       {0xC7, 0x05, 0x90, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC3}, {}, Returns::Int32,
       "Routine: write to read-only memory at host+0x90 at fixture.dll+0x1000 "
       "(mov dword ptr [0x100090], 0)" + test::registersLine({{"eip", at}})},
      {"write to a stub",  // mov byte ptr [stubs], 0xc3
       {0xC6, 0x05, 0x00, 0x10, 0x10, 0x00, 0xC3, 0xC3}, {}, Returns::Int32,
       "Routine: write to read-only memory at host+0x1000 at fixture.dll+0x1000 "
       "(mov byte ptr [0x101000], 0xc3)" + test::registersLine({{"eip", at}})},
      {"write to a host record",  // mov dword ptr [heap], eax
       {0xA3, 0x00, 0x00, 0x11, 0x00, 0xC3}, {}, Returns::Int32,
       "Routine: write to read-only memory at host+0x10000 at fixture.dll+0x1000 "
       "(mov dword ptr [0x110000], eax)" + test::registersLine({{"eip", at}})},
      {"jump to the stack", {0xFF, 0xE4}, {}, Returns::Int32,  // jmp esp
       "Routine: jump to non-executable memory at host+0x20ffec at fixture.dll+0x1000 (jmp esp)" +
           test::registersLine({{"eip", HostArea::stackTop - 20}})},
      {"jump to null", {0x31, 0xC0, 0xFF, 0xE0}, {}, Returns::Int32,
       "Routine: jump to unmapped memory at 0x0 at fixture.dll+0x1002 (jmp eax)" +
           test::registersLine({{"eflags", 0x246}})},
      {"invalid instruction", {0x90, 0x0F, 0x0B}, {}, Returns::Int32,
       "Routine: invalid instruction at fixture.dll+0x1001 (ud2)" + test::registersLine({{"eip", at + 1}})},
      {"endless loop", {0xEB, 0xFE}, {}, Returns::Int32,
       "Routine: instruction budget of 1000 exhausted at fixture.dll+0x1000 (jmp 0x10001000)" +
           test::registersLine({{"eip", at}})},
      {"arguments left", {0xC3}, {7}, Returns::Int32,
       "Routine: stack imbalance: removed 0 bytes of arguments, expected 4, at fixture.dll+0x1000 (ret)" +
           test::registersLine({{"eip", HostArea::sentinel}})},
      {"too many removed", {0xC2, 0x08, 0x00}, {7}, Returns::Int32,
       "Routine: stack imbalance: removed 8 bytes of arguments, expected 4, at fixture.dll+0x1000 (ret 8)" +
           test::registersLine({{"eip", HostArea::sentinel}, {"esp", HostArea::stackTop - 12}})},
      {"unused service", {0xB8, 0x78, 0x00, 0x10, 0x00, 0xFF, 0x10, 0xC3}, {}, Returns::Int32,
       "Routine: call into unused service slot 0x78 at fixture.dll+0x1005 (call dword ptr [eax])" +
           test::registersLine({{"eax", 0x100078}, {"esp", HostArea::stackTop - 24},
                          {"eip", HostArea::stubs + 0x78 / 4 * HostArea::stubSize}})},
      {"no double", {0xC3}, {}, Returns::Double,
       "Routine: returned with 0 values on the x87 stack, expected 1"},
      {"two doubles", {0xD9, 0xE8, 0xD9, 0xEE, 0xC3}, {}, Returns::Double,
       "Routine: returned with 2 values on the x87 stack, expected 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> code = c.code;
    code.resize(kGoodRoutine, 0xCC);
    if (c.returns == Returns::Double) code.insert(code.end(), {0xD9, 0xE8});  // fld1
    code.insert(code.end(), {0xB8, 0x07, 0x00, 0x00, 0x00, 0xC2, uint8_t(4 * c.args.size()), 0x00});
    auto m = machineWith(code);
    m->setInstructionBudget(1000);
    EXPECT_EQ(callError(*m, c.args, c.returns), c.expected);
    // The machine survives: a well-behaved routine of the same module,
    // called the same way, works (mov eax, 7 and its return at +0x100).
    auto again = m->call("Routine", kBase + kCodeRva + kGoodRoutine, c.args, c.returns);
    ASSERT_TRUE(again.ok()) << again.error().message;
    EXPECT_EQ(again->eax, 7u);
  }
}

TEST(Machine, FailingServiceStopsTheCall) {
  auto m = machineWith({0x6A, 0x05, 0xB8, 0x98, 0x00, 0x10, 0x00, 0xFF, 0x10, 0xC3});
  m->defineService(0x98, "InitializeVar", 1, [](Machine&, std::span<const uint32_t>) {
    return gb::Status(gb::Error{"unknown host variable token 5"});
  });
  EXPECT_EQ(callError(*m),
            "Routine: service InitializeVar: unknown host variable token 5 (called from fixture.dll+0x1009)");
  // Defined properly, the same machine runs the routine.
  m->defineService(0x98, "InitializeVar", 1, [](Machine&, std::span<const uint32_t>) { return gb::Status(gb::Ok{}); });
  EXPECT_EQ(callError(*m), "no error");
}

TEST(Machine, MapRefusals) {
  auto machine = Machine::create();
  ASSERT_TRUE(machine.ok());
  auto file = fixtureModule({0xC3});
  struct Case {
    uint32_t base;
    std::string expected;
  };
  const Case cases[] = {
      {0x10000800, "machine: base 0x10000800 is not 4 KiB aligned"},
      {0xFFFFF000, "machine: image of 0x3000 bytes does not fit at 0xfffff000"},
      {HostArea::base, "machine: image at 0x100000 overlaps the host area 0x100000-0x310000"},
  };
  for (const Case& c : cases) {
    gb::Status status = (*machine)->mapModule(file, c.base, "fixture.dll");
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().message, c.expected);
  }
}

TEST(Machine, HostHeapReusesReleasedBlocks) {
  auto machine = Machine::create();
  ASSERT_TRUE(machine.ok());
  Machine& m = **machine;
  uint32_t a = test::expectOk(m.allocate(16));
  ASSERT_TRUE(m.writeU32(a, 0xFFFFFFFF).ok());
  ASSERT_TRUE(m.release(a).ok());
  uint32_t b = test::expectOk(m.allocate(16));
  EXPECT_EQ(a, b);
  EXPECT_EQ(test::expectOk(m.readU32(b)), 0u) << "a reused block is zeroed";
  EXPECT_FALSE(m.release(b + 4).ok());
  // Install and kill repeated many times never exhaust the heap.
  for (int i = 0; i < 100000; ++i) {
    uint32_t block = test::expectOk(m.allocate(16));
    ASSERT_TRUE(m.release(block).ok());
  }
}

}  // namespace
