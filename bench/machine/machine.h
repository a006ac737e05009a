// An emulated i386 machine that runs one gauge module: the module's image
// mapped at a chosen base with its sections' protections, a host area with
// the service table, trap stubs, a heap and a stack, and stdcall calls into
// the module under an instruction budget. Faults become errors naming the
// routine, the fault, and the address as module+offset.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pe/pe_file.h"
#include "support/result.h"

struct uc_struct;

namespace gb::machine {

enum class Returns { Int32, Double };

struct CallOutcome {
  uint32_t eax = 0;
  double st0 = 0.0;  // only for Returns::Double
  uint64_t instructions = 0;  // executed in the module's image
};

// A store that module code made into the module's own image during a call.
struct ImageWrite {
  uint32_t address = 0;
  uint32_t size = 0;    // bytes: 1, 2, 4 or 8
  uint64_t value = 0;   // the stored bytes, little-endian
  uint32_t writer = 0;  // address of the storing instruction
  bool operator==(const ImageWrite&) const = default;
};

class Machine;

// A host service: reads its arguments (already taken off the emulated
// stack), does its work, and may fail; a failure stops the call.
using Service = std::function<Status(Machine&, std::span<const uint32_t> args)>;

class Machine {
 public:
  static Result<std::unique_ptr<Machine>> create();
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // Lays out `file`, relocates it for `base` (4 KiB aligned) and maps each
  // section with its protections. One module per machine.
  Status mapModule(const pe::PeFile& file, uint32_t base, std::string name);
  uint32_t moduleBase() const { return moduleBase_; }
  uint32_t moduleSize() const { return moduleSize_; }
  const std::string& moduleName() const { return moduleName_; }

  // Installs a service in the slot at byte offset `slotOffset` of the table.
  // Its stub removes `argCount` arguments. Slots left empty fault when called.
  void defineService(uint32_t slotOffset, std::string name, unsigned argCount, Service service);
  uint32_t serviceTableAddress() const;

  // Host heap for records the host builds in emulated memory.
  Result<uint32_t> allocate(uint32_t size);
  Status release(uint32_t address);

  Result<uint32_t> readU32(uint32_t address) const;
  Result<double> readF64(uint32_t address) const;
  Result<std::vector<uint8_t>> readBytes(uint32_t address, uint32_t size) const;
  Status writeU32(uint32_t address, uint32_t value);
  Status writeF64(uint32_t address, double value);
  Status writeBytes(uint32_t address, std::span<const uint8_t> bytes);

  // Calls the stdcall routine at `address`, named `routine` in errors.
  Result<CallOutcome> call(const std::string& routine, uint32_t address,
                           std::span<const uint32_t> args, Returns returns = Returns::Int32);

  void setInstructionBudget(uint64_t budget) { budget_ = budget; }
  uint64_t lastInstructionCount() const { return instructions_; }

  // "quandel.gau+0x1040" inside the module, "host+0x2000" in the host area,
  // plain hex elsewhere.
  std::string describeAddress(uint32_t address) const;

  // Write watching: while on, every store module code makes into its own
  // image is recorded (the host's own writes are not). Off by default, since
  // it sends every store through a slow path. Can be switched at any time
  // once a module is mapped. At most kMaxImageWrites records are kept; the
  // rest are only counted.
  static constexpr size_t kMaxImageWrites = 1 << 20;
  Status watchImageWrites(bool on);
  bool watchingImageWrites() const { return writeHook_ != 0; }
  const std::vector<ImageWrite>& imageWrites() const { return imageWrites_; }
  uint64_t droppedImageWrites() const { return droppedImageWrites_; }
  void clearImageWrites();

  // What stopped the last call, as the hooks saw it (machine/fault.h).
  struct Fault;

 private:
  Machine() = default;
  struct ServiceSlot {
    std::string name;
    unsigned argCount = 0;
    Service service;
  };

  Status mapHostArea();
  Status installHooks();
  void onModuleInstruction(uint64_t address);
  void onStub(uint64_t address);
  void onInvalidMemory(int type, uint64_t address, int size);
  void onImageWrite(uint64_t address, int size, int64_t value);
  Error describeFault(const std::string& routine, int ucError);
  // The fault's first line with the registers as a second line.
  Error withRegisters(std::string firstLine) const;
  std::string disassembleAt(uint32_t address) const;
  Status resetCpuState(uint32_t esp);

  uc_struct* uc_ = nullptr;
  uint32_t moduleBase_ = 0;
  uint32_t moduleSize_ = 0;
  std::string moduleName_;
  std::map<uint32_t, ServiceSlot> services_;  // by slot offset
  std::map<uint32_t, uint32_t> allocations_;  // address -> size
  std::map<uint32_t, uint32_t> freeBlocks_;   // address -> size
  uint32_t heapNext_ = 0;
  uint64_t budget_ = 1'000'000;
  uint64_t instructions_ = 0;
  uint32_t lastModuleInstruction_ = 0;
  std::unique_ptr<Fault> fault_;
  bool inCall_ = false;
  size_t writeHook_ = 0;  // uc_hook while watching image writes
  std::vector<ImageWrite> imageWrites_;
  uint64_t droppedImageWrites_ = 0;
};

}  // namespace gb::machine
