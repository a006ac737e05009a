#include "panel/element_chain.h"

#include <algorithm>

#include "record_layout.h"

namespace gb::panel {

namespace layout = quandel::layout;

Result<std::vector<uint32_t>> readNextList(const machine::Machine& machine, uint32_t element) {
  Result<uint32_t> list = machine.readU32(element + layout::ElementHeader::nextList);
  if (!list) return withContext("element chain: next list of " + machine.describeAddress(element), list.error());
  std::vector<uint32_t> entries;
  if (*list == 0) return entries;
  for (size_t i = 0;; ++i) {
    if (i == kMaxNextListEntries)
      return Error{"element chain: next list at " + machine.describeAddress(*list) +
                   " has no null within " + std::to_string(kMaxNextListEntries) + " entries"};
    Result<uint32_t> entry = machine.readU32(*list + uint32_t(4 * i));
    if (!entry) return withContext("element chain: next list at " + machine.describeAddress(*list), entry.error());
    if (*entry == 0) break;
    entries.push_back(*entry);
  }
  return entries;
}

Result<std::vector<uint32_t>> walkElementChain(const machine::Machine& machine, uint32_t head) {
  std::vector<uint32_t> order;
  if (head == 0) return order;
  std::vector<uint32_t> pending{head};
  while (!pending.empty()) {
    uint32_t element = pending.back();
    pending.pop_back();
    if (std::find(order.begin(), order.end(), element) != order.end())
      return Error{"element chain: element at " + machine.describeAddress(element) +
                   " is reached twice (the chain loops)"};
    if (order.size() == kMaxChainElements)
      return Error{"element chain: more than " + std::to_string(kMaxChainElements) + " elements"};
    order.push_back(element);
    Result<std::vector<uint32_t>> next = readNextList(machine, element);
    if (!next) return next.error();
    pending.insert(pending.end(), next->rbegin(), next->rend());
  }
  return order;
}

}  // namespace gb::panel
