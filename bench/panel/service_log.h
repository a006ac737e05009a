// The record of every host service the module called, in order, with its
// arguments as 32-bit words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gb::panel {

struct ServiceCall {
  std::string service;
  std::vector<uint32_t> args;

  bool operator==(const ServiceCall&) const = default;
};

using ServiceLog = std::vector<ServiceCall>;

// "ElementListInstall(0x66382350, 0x0)"
std::string formatServiceCall(const ServiceCall& call);

}  // namespace gb::panel
