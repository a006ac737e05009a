// The registers line that ends a fault report, for exact-message tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "machine/host_area.h"

namespace test {

// "\n  registers: eax=... eflags=...": the state of a call without arguments
// at its entry (general registers zero, esp at the return address, IF set),
// changed where given.
inline std::string registersLine(const std::vector<std::pair<std::string, uint32_t>>& changes) {
  std::vector<std::pair<std::string, uint32_t>> values = {
      {"eax", 0}, {"ebx", 0}, {"ecx", 0}, {"edx", 0}, {"esi", 0}, {"edi", 0}, {"ebp", 0},
      {"esp", gb::machine::HostArea::stackTop - 20}, {"eip", 0}, {"eflags", 0x202}};
  for (const auto& [name, value] : changes)
    for (auto& slot : values)
      if (slot.first == name) slot.second = value;
  std::string line = "\n  registers:";
  for (const auto& [name, value] : values) {
    char text[24];
    std::snprintf(text, sizeof text, " %s=%08x", name.c_str(), value);
    line += text;
  }
  return line;
}

}  // namespace test
