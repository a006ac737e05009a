// Where the stand-in host keeps its own memory inside the emulated address
// space: the service table and its trap stubs, the return sentinel, a small
// heap for host records, and the stack. Module images may go anywhere else.
//
// The host's pages are protected from the module as a real host's are: the
// service table and the heap's records are read-only to module code, the
// stubs and the sentinel read and execute, only the stack is writable (and
// not executable). The host itself writes everywhere (uc_mem_write ignores
// protections).
#pragma once

#include <cstdint>

namespace gb::machine {

struct HostArea {
  static constexpr uint32_t base = 0x00100000;
  static constexpr uint32_t serviceTable = base;               // 256 slots of 4 bytes
  static constexpr uint32_t serviceSlots = 256;
  static constexpr uint32_t stubs = base + 0x1000;             // one 8-byte stub per slot
  static constexpr uint32_t stubSize = 8;
  static constexpr uint32_t sentinel = base + 0x2000;          // `hlt`: calls return here
  static constexpr uint32_t codeEnd = base + 0x3000;           // end of the stubs' and sentinel's pages
  static constexpr uint32_t heap = base + 0x10000;
  static constexpr uint32_t heapSize = 0x100000;
  static constexpr uint32_t stackLimit = heap + heapSize;
  static constexpr uint32_t stackSize = 0x100000;
  static constexpr uint32_t stackTop = stackLimit + stackSize;
  static constexpr uint32_t end = stackTop;

  static constexpr bool contains(uint64_t address, uint64_t size) {
    return address < end && address + size > base;
  }
};

static_assert(HostArea::serviceSlots * 4 <= HostArea::stubs - HostArea::serviceTable);
static_assert(HostArea::stubs + HostArea::serviceSlots * HostArea::stubSize <= HostArea::sentinel);
static_assert(HostArea::sentinel < HostArea::codeEnd && HostArea::codeEnd <= HostArea::heap);
static_assert(HostArea::serviceTable % 0x1000 == 0 && HostArea::stubs % 0x1000 == 0 &&
              HostArea::codeEnd % 0x1000 == 0 && HostArea::heap % 0x1000 == 0 &&
              HostArea::stackLimit % 0x1000 == 0 && HostArea::stackTop % 0x1000 == 0);

}  // namespace gb::machine
