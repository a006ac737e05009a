// Engine set-up, memory mapping, the host heap and memory access.
#include "machine/machine.h"

#include <unicorn/unicorn.h>

#include <bit>
#include <cstring>

#include "machine/fault.h"
#include "machine/host_area.h"

namespace gb::machine {
namespace {

constexpr uint32_t kPage = 0x1000;

uint64_t pageUp(uint64_t value) { return (value + kPage - 1) & ~uint64_t(kPage - 1); }

Error unicornError(const std::string& what, uc_err err) {
  return Error{what + ": " + uc_strerror(err)};
}

uint32_t protectionOf(const pe::Section& section) {
  uint32_t prot = 0;
  if (section.readable()) prot |= UC_PROT_READ;
  if (section.writable()) prot |= UC_PROT_WRITE;
  if (section.executable()) prot |= UC_PROT_EXEC | UC_PROT_READ;
  return prot;
}

}  // namespace

Result<std::unique_ptr<Machine>> Machine::create() {
  std::unique_ptr<Machine> machine(new Machine());
  uc_err err = uc_open(UC_ARCH_X86, UC_MODE_32, &machine->uc_);
  if (err != UC_ERR_OK) return unicornError("machine: cannot open the emulator", err);
  machine->heapNext_ = HostArea::heap;
  if (Status s = machine->mapHostArea(); !s) return s.error();
  if (Status s = machine->installHooks(); !s) return s.error();
  return machine;
}

Machine::~Machine() {
  if (uc_) uc_close(uc_);
}

Status Machine::mapHostArea() {
  // What module code may do in each part; the gap between the sentinel's
  // page and the heap stays unmapped.
  struct Part {
    uint32_t start, end, prot;
  };
  const Part parts[] = {
      {HostArea::serviceTable, HostArea::stubs, UC_PROT_READ},
      {HostArea::stubs, HostArea::codeEnd, UC_PROT_READ | UC_PROT_EXEC},
      {HostArea::heap, HostArea::stackLimit, UC_PROT_READ},
      {HostArea::stackLimit, HostArea::stackTop, UC_PROT_READ | UC_PROT_WRITE},
  };
  for (const Part& part : parts) {
    uc_err err = uc_mem_map(uc_, part.start, part.end - part.start, part.prot);
    if (err != UC_ERR_OK) return unicornError("machine: cannot map the host area", err);
  }
  // Every slot points at its own stub; the stub's `ret N` is written when a
  // service is defined, until then it is a `hlt` that the trap hook reports.
  std::vector<uint8_t> table(HostArea::serviceSlots * 4);
  std::vector<uint8_t> stubs(HostArea::serviceSlots * HostArea::stubSize, 0xF4);
  for (uint32_t slot = 0; slot < HostArea::serviceSlots; ++slot) {
    uint32_t stub = HostArea::stubs + slot * HostArea::stubSize;
    std::memcpy(&table[slot * 4], &stub, 4);
  }
  const uint8_t hlt = 0xF4;
  if (uc_mem_write(uc_, HostArea::serviceTable, table.data(), table.size()) ||
      uc_mem_write(uc_, HostArea::stubs, stubs.data(), stubs.size()) ||
      uc_mem_write(uc_, HostArea::sentinel, &hlt, 1))
    return Error{"machine: cannot write the host area"};
  return Ok{};
}

Status Machine::mapModule(const pe::PeFile& file, uint32_t base, std::string name) {
  if (moduleSize_ != 0) return Error{"machine: a module is already mapped"};
  if (base % kPage != 0) return Error{"machine: base " + hex(base) + " is not 4 KiB aligned"};
  uint64_t size = pageUp(file.sizeOfImage);
  if (size == 0 || uint64_t(base) + size > 0x100000000ull)
    return Error{"machine: image of " + hex(file.sizeOfImage) + " bytes does not fit at " + hex(base)};
  if (HostArea::contains(base, size))
    return Error{"machine: image at " + hex(base) + " overlaps the host area " +
                 hex(HostArea::base) + "-" + hex(HostArea::end)};

  std::vector<uint8_t> image = file.buildImage();
  if (Status s = pe::applyRelocations(image, file, base); !s) return s.error();

  // Headers read-only, each section with its own protections; gaps unmapped.
  struct Region {
    uint64_t start, end;
    uint32_t prot;
  };
  std::vector<Region> regions;
  regions.push_back({0, pageUp(file.sizeOfHeaders ? file.sizeOfHeaders : 1), UC_PROT_READ});
  for (const pe::Section& section : file.sections) {
    uint64_t start = section.virtualAddress & ~uint64_t(kPage - 1);
    uint64_t end = pageUp(uint64_t(section.virtualAddress) + section.mappedSize());
    if (end > size) end = size;
    if (start >= end) continue;
    regions.push_back({start, end, protectionOf(section)});
  }
  // Pages shared by two regions (possible when sections are not page
  // aligned) get the union of their protections: map page by page.
  std::map<uint64_t, uint32_t> pages;
  for (const Region& region : regions)
    for (uint64_t page = region.start; page < region.end && page < size; page += kPage)
      pages[page] |= region.prot;
  for (auto it = pages.begin(); it != pages.end();) {
    uint64_t start = it->first;
    uint32_t prot = it->second;
    uint64_t end = start + kPage;
    for (++it; it != pages.end() && it->first == end && it->second == prot; ++it) end += kPage;
    uc_err err = uc_mem_map(uc_, base + start, end - start, prot);
    if (err != UC_ERR_OK)
      return unicornError("machine: cannot map " + name + " at " + hex(base + start), err);
    err = uc_mem_write(uc_, base + start, image.data() + start, end - start);
    if (err != UC_ERR_OK) return unicornError("machine: cannot load " + name, err);
  }
  moduleBase_ = base;
  moduleSize_ = uint32_t(size);
  moduleName_ = std::move(name);
  // Hooks over the image are added before the first call, so that they take.
  uc_hook hook;
  uc_err err = uc_hook_add(
      uc_, &hook, UC_HOOK_CODE,
      reinterpret_cast<void*>(+[](uc_engine*, uint64_t address, uint32_t, void* self) {
        static_cast<Machine*>(self)->onModuleInstruction(address);
      }),
      this, uint64_t(base), uint64_t(base) + size - 1);
  if (err != UC_ERR_OK) return unicornError("machine: cannot hook the image", err);
  return Ok{};
}

void Machine::defineService(uint32_t slotOffset, std::string name, unsigned argCount,
                            Service service) {
  assert(slotOffset % 4 == 0 && slotOffset / 4 < HostArea::serviceSlots);
  uint32_t stub = HostArea::stubs + slotOffset / 4 * HostArea::stubSize;
  uint16_t popBytes = uint16_t(argCount * 4);
  const uint8_t ret[3] = {0xC2, uint8_t(popBytes), uint8_t(popBytes >> 8)};
  uc_mem_write(uc_, stub, ret, sizeof ret);
  services_[slotOffset] = ServiceSlot{std::move(name), argCount, std::move(service)};
}

uint32_t Machine::serviceTableAddress() const { return HostArea::serviceTable; }

Result<uint32_t> Machine::allocate(uint32_t size) {
  uint32_t rounded = (size + 15) & ~15u;
  if (rounded == 0) rounded = 16;
  for (auto it = freeBlocks_.begin(); it != freeBlocks_.end(); ++it) {
    if (it->second != rounded) continue;
    uint32_t address = it->first;
    freeBlocks_.erase(it);
    allocations_[address] = rounded;
    std::vector<uint8_t> zero(rounded);
    if (Status s = writeBytes(address, zero); !s) return s.error();
    return address;
  }
  if (uint64_t(heapNext_) + rounded > HostArea::heap + HostArea::heapSize)
    return Error{"machine: host heap exhausted allocating " + std::to_string(size) + " bytes"};
  uint32_t address = heapNext_;
  heapNext_ += rounded;
  allocations_[address] = rounded;
  return address;
}

Status Machine::release(uint32_t address) {
  auto it = allocations_.find(address);
  if (it == allocations_.end())
    return Error{"machine: release of " + hex(address) + ", which the host heap did not allocate"};
  freeBlocks_[address] = it->second;
  allocations_.erase(it);
  return Ok{};
}

Result<std::vector<uint8_t>> Machine::readBytes(uint32_t address, uint32_t size) const {
  std::vector<uint8_t> bytes(size);
  if (size && uc_mem_read(uc_, address, bytes.data(), size) != UC_ERR_OK)
    return Error{"machine: cannot read " + std::to_string(size) + " bytes at " +
                 describeAddress(address)};
  return bytes;
}

Result<uint32_t> Machine::readU32(uint32_t address) const {
  uint32_t value;
  if (uc_mem_read(uc_, address, &value, 4) != UC_ERR_OK)
    return Error{"machine: cannot read 4 bytes at " + describeAddress(address)};
  return value;
}

Result<double> Machine::readF64(uint32_t address) const {
  uint64_t bits;
  if (uc_mem_read(uc_, address, &bits, 8) != UC_ERR_OK)
    return Error{"machine: cannot read 8 bytes at " + describeAddress(address)};
  return std::bit_cast<double>(bits);
}

Status Machine::writeBytes(uint32_t address, std::span<const uint8_t> bytes) {
  if (!bytes.empty() && uc_mem_write(uc_, address, bytes.data(), bytes.size()) != UC_ERR_OK)
    return Error{"machine: cannot write " + std::to_string(bytes.size()) + " bytes at " +
                 describeAddress(address)};
  return Ok{};
}

Status Machine::writeU32(uint32_t address, uint32_t value) {
  uint8_t bytes[4];
  std::memcpy(bytes, &value, 4);  // the host is little-endian like the guest
  return writeBytes(address, bytes);
}

Status Machine::writeF64(uint32_t address, double value) {
  uint8_t bytes[8];
  std::memcpy(bytes, &value, 8);
  return writeBytes(address, bytes);
}

std::string Machine::describeAddress(uint32_t address) const {
  if (moduleSize_ && address >= moduleBase_ && address - moduleBase_ < moduleSize_)
    return moduleName_ + "+" + hex(address - moduleBase_);
  if (HostArea::contains(address, 1)) return "host+" + hex(address - HostArea::base);
  return hex(address);
}

}  // namespace gb::machine
