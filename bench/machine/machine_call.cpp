// Calls into the module: stdcall frames, the trap stubs that run host
// services, the instruction budget and fault reports.
#include <capstone/capstone.h>
#include <unicorn/unicorn.h>

#include <cstring>

#include "machine/fault.h"
#include "machine/host_area.h"
#include "machine/machine.h"

namespace gb::machine {
namespace {

// The x87 and SSE state Windows gives a thread; Unicorn starts without it.
constexpr uint16_t kWindowsFpuControl = 0x027F;
constexpr uint32_t kWindowsMxcsr = 0x1F80;

double extendedToDouble(const uint8_t (&bytes)[10]) {
  long double value;
  static_assert(sizeof(long double) >= 10, "x86-64 long double is the 80-bit format");
  std::memset(&value, 0, sizeof value);
  std::memcpy(&value, bytes, 10);
  return static_cast<double>(value);
}

const char* accessName(Machine::Fault::Kind kind);

}  // namespace

Status Machine::installHooks() {
  uc_hook hook;
  uc_err err = uc_hook_add(
      uc_, &hook, UC_HOOK_CODE,
      reinterpret_cast<void*>(+[](uc_engine*, uint64_t address, uint32_t, void* self) {
        static_cast<Machine*>(self)->onStub(address);
      }),
      this, uint64_t(HostArea::stubs),
      uint64_t(HostArea::stubs) + HostArea::serviceSlots * HostArea::stubSize - 1);
  if (err != UC_ERR_OK) return Error{std::string("machine: cannot hook the stubs: ") + uc_strerror(err)};
  err = uc_hook_add(
      uc_, &hook, UC_HOOK_MEM_INVALID,
      reinterpret_cast<void*>(+[](uc_engine*, uc_mem_type type, uint64_t address, int size,
                                  int64_t, void* self) -> bool {
        static_cast<Machine*>(self)->onInvalidMemory(type, address, size);
        return false;
      }),
      this, 1, 0);
  if (err != UC_ERR_OK) return Error{std::string("machine: cannot hook faults: ") + uc_strerror(err)};
  return Ok{};
}

void Machine::onModuleInstruction(uint64_t address) {
  lastModuleInstruction_ = uint32_t(address);
  if (++instructions_ > budget_ && !fault_) {
    fault_ = std::make_unique<Fault>(Fault{Fault::Budget, uint32_t(address), 0, ""});
    uc_emu_stop(uc_);
  }
}

void Machine::onStub(uint64_t address) {
  if (fault_) return;
  uint32_t offset = uint32_t(address - HostArea::stubs);
  if (offset % HostArea::stubSize != 0) return;  // inside a stub: its `ret`
  uint32_t slotOffset = offset / HostArea::stubSize * 4;
  uint32_t esp = 0;
  uc_reg_read(uc_, UC_X86_REG_ESP, &esp);
  uint32_t caller = readU32(esp).ok() ? *readU32(esp) : 0;

  auto it = services_.find(slotOffset);
  if (it == services_.end()) {
    fault_ = std::make_unique<Fault>(Fault{Fault::UnusedService, slotOffset, caller, ""});
    uc_emu_stop(uc_);
    return;
  }
  ServiceSlot& slot = it->second;
  std::vector<uint32_t> args(slot.argCount);
  for (unsigned i = 0; i < slot.argCount; ++i) {
    Result<uint32_t> arg = readU32(esp + 4 + 4 * i);
    if (!arg) {
      fault_ = std::make_unique<Fault>(
          Fault{Fault::ServiceFailed, slotOffset, caller, slot.name + ": " + arg.error().message});
      uc_emu_stop(uc_);
      return;
    }
    args[i] = *arg;
  }
  Status status = slot.service(*this, args);
  if (!status) {
    fault_ = std::make_unique<Fault>(
        Fault{Fault::ServiceFailed, slotOffset, caller, slot.name + ": " + status.error().message});
    uc_emu_stop(uc_);
    return;
  }
  uint32_t zero = 0;
  uc_reg_write(uc_, UC_X86_REG_EAX, &zero);
}

void Machine::onInvalidMemory(int type, uint64_t address, int) {
  if (fault_) return;
  Fault::Kind kind;
  switch (type) {
    case UC_MEM_READ_UNMAPPED: kind = Fault::UnmappedRead; break;
    case UC_MEM_WRITE_UNMAPPED: kind = Fault::UnmappedWrite; break;
    case UC_MEM_FETCH_UNMAPPED: kind = Fault::UnmappedFetch; break;
    case UC_MEM_WRITE_PROT: kind = Fault::ProtectedWrite; break;
    case UC_MEM_FETCH_PROT: kind = Fault::ProtectedFetch; break;
    default: kind = Fault::ProtectedRead; break;
  }
  fault_ = std::make_unique<Fault>(Fault{kind, uint32_t(address), 0, ""});
}

Status Machine::resetCpuState(uint32_t esp) {
  uint32_t zero = 0;
  uint16_t control = kWindowsFpuControl, tags = 0xFFFF, status = 0;
  uint32_t mxcsr = kWindowsMxcsr;
  int regs[] = {UC_X86_REG_EAX, UC_X86_REG_EBX, UC_X86_REG_ECX, UC_X86_REG_EDX,
                UC_X86_REG_ESI, UC_X86_REG_EDI, UC_X86_REG_EBP};
  for (int reg : regs) uc_reg_write(uc_, reg, &zero);
  uint32_t flags = 0x202;  // IF set, as in user mode
  if (uc_reg_write(uc_, UC_X86_REG_ESP, &esp) || uc_reg_write(uc_, UC_X86_REG_EFLAGS, &flags) ||
      uc_reg_write(uc_, UC_X86_REG_FPCW, &control) || uc_reg_write(uc_, UC_X86_REG_FPTAG, &tags) ||
      uc_reg_write(uc_, UC_X86_REG_FPSW, &status) || uc_reg_write(uc_, UC_X86_REG_MXCSR, &mxcsr))
    return Error{"machine: cannot reset the CPU state"};
  return Ok{};
}

Result<CallOutcome> Machine::call(const std::string& routine, uint32_t address,
                                  std::span<const uint32_t> args, Returns returns) {
  if (inCall_) return Error{routine + ": the machine is already inside a call"};
  // Frame: arguments right to left, then the sentinel as return address.
  uint32_t esp = HostArea::stackTop - 16;
  const uint32_t stackAtEntry = esp - 4 * uint32_t(args.size()) - 4;
  std::vector<uint32_t> frame;
  frame.push_back(HostArea::sentinel);
  frame.insert(frame.end(), args.begin(), args.end());
  std::vector<uint8_t> bytes(frame.size() * 4);
  std::memcpy(bytes.data(), frame.data(), bytes.size());
  if (Status s = writeBytes(stackAtEntry, bytes); !s) return s.error();
  if (Status s = resetCpuState(stackAtEntry); !s) return s.error();

  fault_.reset();
  instructions_ = 0;
  lastModuleInstruction_ = address;
  inCall_ = true;
  uc_err err = uc_emu_start(uc_, address, HostArea::sentinel, 0, 0);
  inCall_ = false;

  uint32_t eip = 0, espAfter = 0, eax = 0;
  uc_reg_read(uc_, UC_X86_REG_EIP, &eip);
  uc_reg_read(uc_, UC_X86_REG_ESP, &espAfter);
  uc_reg_read(uc_, UC_X86_REG_EAX, &eax);
  if (fault_ || err != UC_ERR_OK) return describeFault(routine, err);
  if (eip != HostArea::sentinel)
    return withRegisters(routine + ": stopped at " + describeAddress(eip) + " without returning");
  if (espAfter != esp) {
    // The last module instruction is the `ret` that came back.
    int64_t removed = int64_t(espAfter) - int64_t(stackAtEntry) - 4;
    return withRegisters(routine + ": stack imbalance: removed " + std::to_string(removed) +
                         " bytes of arguments, expected " + std::to_string(4 * args.size()) +
                         ", at " + describeAddress(lastModuleInstruction_) +
                         disassembleAt(lastModuleInstruction_));
  }

  CallOutcome outcome;
  outcome.eax = eax;
  outcome.instructions = instructions_;
  if (returns == Returns::Double) {
    uint16_t status = 0;
    uc_reg_read(uc_, UC_X86_REG_FPSW, &status);
    unsigned top = (status >> 11) & 7;
    if (top != 7)
      return Error{routine + ": returned with " + std::to_string((8 - top) % 8) +
                   " values on the x87 stack, expected 1"};
    uint8_t st0[10] = {};
    uc_reg_read(uc_, UC_X86_REG_ST0, st0);
    outcome.st0 = extendedToDouble(st0);
  }
  return outcome;
}

Error Machine::describeFault(const std::string& routine, int ucError) {
  // The code hook over the image names the module's last instruction: the
  // faulting one, or the call that led out of the module to the fault.
  const uint32_t at = lastModuleInstruction_;
  std::string where = " at " + describeAddress(at) + disassembleAt(at);
  if (!fault_) {
    if (ucError == UC_ERR_INSN_INVALID) return withRegisters(routine + ": invalid instruction" + where);
    return withRegisters(routine + ": " + uc_strerror(uc_err(ucError)) + where);
  }
  const Fault& fault = *fault_;
  switch (fault.kind) {
    case Fault::Budget:
      return withRegisters(routine + ": instruction budget of " + std::to_string(budget_) +
                           " exhausted" + where);
    case Fault::UnusedService:
      return withRegisters(routine + ": call into unused service slot " + hex(fault.address) + where);
    case Fault::ServiceFailed:
      return Error{routine + ": service " + fault.detail + " (called from " +
                   describeAddress(fault.caller) + ")"};
    case Fault::InvalidInstruction:
      return withRegisters(routine + ": invalid instruction" + where);
    default:
      return withRegisters(routine + ": " + accessName(fault.kind) + " " +
                           describeAddress(fault.address) + where);
  }
}

Error Machine::withRegisters(std::string firstLine) const {
  struct Named {
    const char* name;
    int id;
  };
  static const Named registers[] = {
      {"eax", UC_X86_REG_EAX}, {"ebx", UC_X86_REG_EBX}, {"ecx", UC_X86_REG_ECX},
      {"edx", UC_X86_REG_EDX}, {"esi", UC_X86_REG_ESI}, {"edi", UC_X86_REG_EDI},
      {"ebp", UC_X86_REG_EBP}, {"esp", UC_X86_REG_ESP}, {"eip", UC_X86_REG_EIP},
      {"eflags", UC_X86_REG_EFLAGS}};
  std::string line = "  registers:";
  for (const Named& r : registers) {
    uint32_t value = 0;
    uc_reg_read(uc_, r.id, &value);
    char text[24];
    std::snprintf(text, sizeof text, " %s=%08x", r.name, value);
    line += text;
  }
  return Error{std::move(firstLine) + "\n" + line};
}

std::string Machine::disassembleAt(uint32_t address) const {
  Result<std::vector<uint8_t>> bytes = readBytes(address, 15);
  if (!bytes) {
    // Near the end of a mapping: take what there is.
    for (uint32_t n = 14; n > 0 && !bytes; --n) bytes = readBytes(address, n);
    if (!bytes) return "";
  }
  csh handle;
  if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle) != CS_ERR_OK) return "";
  cs_insn* insn = nullptr;
  std::string text;
  if (cs_disasm(handle, bytes->data(), bytes->size(), address, 1, &insn) == 1) {
    text = std::string(" (") + insn[0].mnemonic + (insn[0].op_str[0] ? " " : "") + insn[0].op_str + ")";
    cs_free(insn, 1);
  } else {
    char byte[8];
    std::snprintf(byte, sizeof byte, "%02x", (*bytes)[0]);
    text = std::string(" (undecodable byte ") + byte + ")";
  }
  cs_close(&handle);
  return text;
}

namespace {

const char* accessName(Machine::Fault::Kind kind) {
  switch (kind) {
    case Machine::Fault::UnmappedRead: return "read of unmapped memory at";
    case Machine::Fault::UnmappedWrite: return "write to unmapped memory at";
    case Machine::Fault::UnmappedFetch: return "jump to unmapped memory at";
    case Machine::Fault::ProtectedRead: return "read of protected memory at";
    case Machine::Fault::ProtectedWrite: return "write to read-only memory at";
    case Machine::Fault::ProtectedFetch: return "jump to non-executable memory at";
    default: return "fault at";
  }
}

}  // namespace

}  // namespace gb::machine
