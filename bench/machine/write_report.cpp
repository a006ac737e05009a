#include "machine/write_report.h"

#include <map>
#include <tuple>
#include <vector>

namespace gb::machine {

std::string describeImageWrites(const Machine& machine) {
  const std::vector<ImageWrite>& writes = machine.imageWrites();
  using Key = std::tuple<uint32_t, uint32_t, uint32_t>;  // address, size, writer
  std::vector<Key> order;
  std::map<Key, uint64_t> counts;
  for (const ImageWrite& w : writes) {
    Key key{w.address, w.size, w.writer};
    if (counts[key]++ == 0) order.push_back(key);
  }
  std::string out = "image writes: " + std::to_string(writes.size()) +
                    (writes.size() == 1 ? " store" : " stores") + " into " + machine.moduleName();
  if (machine.droppedImageWrites())
    out += " (and " + std::to_string(machine.droppedImageWrites()) + " more not kept)";
  out += "\n";
  for (const Key& key : order) {
    const auto& [address, size, writer] = key;
    const uint64_t count = counts[key];
    out += "  " + machine.describeAddress(address) + "  " + std::to_string(size) +
           (size == 1 ? " byte" : " bytes") + "  by " + machine.describeAddress(writer) + "  " +
           std::to_string(count) + (count == 1 ? " time" : " times") + "\n";
  }
  return out;
}

}  // namespace gb::machine
