// Walking the element chain the way the host does: from the head, each
// element, then the elements of its next list, depth first. Bounded, and a
// chain that comes back to an element it already visited is refused.
#pragma once

#include <cstdint>
#include <vector>

#include "machine/machine.h"
#include "support/result.h"

namespace gb::panel {

inline constexpr size_t kMaxChainElements = 64;
inline constexpr size_t kMaxNextListEntries = 16;

Result<std::vector<uint32_t>> walkElementChain(const machine::Machine& machine, uint32_t head);

// The addresses of an element's next list, up to its null.
Result<std::vector<uint32_t>> readNextList(const machine::Machine& machine, uint32_t element);

}  // namespace gb::panel
