// What stopped a call before it returned, as the hooks saw it.
#pragma once

#include <cstdint>
#include <string>

#include "machine/machine.h"

namespace gb::machine {

struct Machine::Fault {
  enum Kind { UnmappedRead, UnmappedWrite, UnmappedFetch, ProtectedRead, ProtectedWrite,
              ProtectedFetch, UnusedService, ServiceFailed, Budget, InvalidInstruction };
  Kind kind;
  uint32_t address = 0;  // the memory address, or the slot offset for services
  uint32_t caller = 0;   // for services: the return address into the module
  std::string detail;
};

}  // namespace gb::machine
