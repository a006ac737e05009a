// What `gaugebench inspect` shows of a module: its exports and its records
// as the host finds them, the mouse-area list that GaugeInstall hands over,
// as text or as JSON.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "panel/gauge_host.h"
#include "panel/module_records.h"

namespace gb::cli {

struct ModuleReport {
  std::string path;
  std::unique_ptr<panel::GaugeHost> host;  // the module, installed once
  std::vector<panel::ImportEntryInfo> importTable;  // as the file holds it
  panel::LinkageInfo linkage;
  panel::GaugeHeaderInfo header;
  std::vector<panel::ElementInfo> elements;
  panel::ServiceLog installCalls;
  uint32_t mouseList = 0;
  std::vector<panel::MouseAreaInfo> mouseAreas;
};

// Loads the module, decodes its records, then runs GaugeInstall once to find
// the mouse-area list.
Result<ModuleReport> buildModuleReport(const std::string& path);

std::string formatReport(const ModuleReport& report);
nlohmann::ordered_json reportJson(const ModuleReport& report);

}  // namespace gb::cli
