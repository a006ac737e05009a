// The module's records decoded as the host finds them in memory: Linkage,
// the gauge header and its name, the element chain with every field, the
// failure lists, and a mouse-area list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "support/result.h"

namespace gb::panel {

struct LinkageInfo {
  uint32_t address = 0;
  uint32_t linkageId = 0;
  uint32_t initHook = 0;
  uint32_t deinitHook = 0;
  uint32_t reserved[3] = {};
  std::vector<uint32_t> gaugeHeaders;  // up to the null
};

struct ImportEntryInfo {
  uint32_t importId = 0;
  uint32_t tableAddress = 0;
};

struct GaugeHeaderInfo {
  uint32_t address = 0;
  uint32_t formatNumber = 0;
  uint32_t nameAddress = 0;
  std::string name;
  uint32_t elementList = 0;
  uint32_t head = 0;  // the value at elementList
  uint32_t query = 0, install = 0, initialize = 0, update = 0, generate = 0, draw = 0, kill = 0;
  uint32_t hostFields[12] = {};
};

struct ModuleVarInfo {
  uint32_t address = 0;
  uint32_t token = 0;
  uint32_t varPointer = 0;
  uint32_t type = 0;
  double value = 0.0;
  uint64_t oldValue = 0;
};

struct AxisInfo {
  uint32_t address = 0;
  ModuleVarInfo variable;
  uint32_t callback = 0;
  double scale = 0.0;  // sliders
  double min = 0.0;    // moving images
  double max = 0.0;
  std::vector<uint8_t> bytes;  // the whole block
};

struct FailureInfo {
  uint32_t key = 0;
  uint32_t action = 0;
};

struct ElementInfo {
  uint32_t address = 0;
  uint32_t kind = 0;
  uint32_t size = 0;  // of the record, by kind
  uint32_t resourceId = 0;
  int32_t x = 0;
  int32_t y = 0;
  uint32_t gaugeHeader = 0;
  uint32_t nextList = 0;
  std::vector<uint32_t> next;  // the next list's entries, up to its null
  uint32_t failureList = 0;
  std::vector<FailureInfo> failures;  // up to the first zero key
  uint32_t imageFlags = 0;
  uint32_t image = 0;
  std::optional<AxisInfo> xAxis, yAxis;
  std::vector<uint8_t> bytes;  // the whole record
};

struct MouseAreaInfo {
  uint32_t address = 0;
  uint32_t kind = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t cursor = 0;
  uint32_t helpId = 0;
  uint32_t flags = 0;
  uint32_t eventId = 0;
  uint32_t handler = 0;
  uint32_t userData = 0;
};

inline constexpr size_t kMaxMouseAreas = 256;

Result<LinkageInfo> decodeLinkage(const machine::Machine& m, uint32_t address);
Result<std::vector<ImportEntryInfo>> decodeImportTable(const machine::Machine& m, uint32_t address);
Result<GaugeHeaderInfo> decodeGaugeHeader(const machine::Machine& m, uint32_t address);
Result<ModuleVarInfo> decodeModuleVar(const machine::Machine& m, uint32_t address);
Result<ElementInfo> decodeElement(const machine::Machine& m, uint32_t address);
// Every element of the chain from `head`, in drawing order.
Result<std::vector<ElementInfo>> decodeElementChain(const machine::Machine& m, uint32_t head);
// The list up to and including its EndOfList record.
Result<std::vector<MouseAreaInfo>> decodeMouseAreas(const machine::Machine& m, uint32_t address);

std::string mouseAreaKindName(uint32_t kind);
std::string elementKindName(uint32_t kind);

}  // namespace gb::panel
