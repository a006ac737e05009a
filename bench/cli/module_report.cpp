#include "cli/module_report.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "record_layout.h"
#include "support/byte_reader.h"

namespace gb::cli {

namespace layout = quandel::layout;
using nlohmann::ordered_json;

namespace {

// Shortest text that reads back as the same double.
std::string real(double value) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc() ? std::string(text, end) : "?";
}

Result<std::vector<panel::ImportEntryInfo>> importTableInFile(const pe::PeFile& file) {
  const pe::Export* exported = file.findExport("ImportTable");
  std::vector<panel::ImportEntryInfo> entries;
  for (uint32_t i = 0; i < 64; ++i) {
    Result<std::span<const uint8_t>> bytes =
        file.bytesAtRva(exported->rva + i * layout::ImportEntry::size, layout::ImportEntry::size, "ImportTable");
    if (!bytes) return bytes.error();
    panel::ImportEntryInfo entry{loadU32(bytes->data() + layout::ImportEntry::importId),
                                 loadU32(bytes->data() + layout::ImportEntry::tableAddress)};
    entries.push_back(entry);
    if (entry.importId == 0) return entries;
  }
  return Error{"ImportTable: no ending entry within 64 entries"};
}

}  // namespace

Result<ModuleReport> buildModuleReport(const std::string& path) {
  ModuleReport report;
  report.path = path;
  Result<std::unique_ptr<panel::GaugeHost>> host = panel::GaugeHost::load(path, {});
  if (!host) return host.error();
  report.host = std::move(*host);
  const panel::GaugeHost& h = *report.host;
  const machine::Machine& m = h.machine();
  auto fail = [&](const Error& e) { return withContext(path, e); };

  Result<std::vector<panel::ImportEntryInfo>> imports = importTableInFile(h.file());
  if (!imports) return fail(imports.error());
  report.importTable = std::move(*imports);
  Result<panel::LinkageInfo> linkage = panel::decodeLinkage(m, h.entryPoints().linkage);
  if (!linkage) return fail(linkage.error());
  report.linkage = std::move(*linkage);
  Result<panel::GaugeHeaderInfo> header = panel::decodeGaugeHeader(m, h.entryPoints().gaugeHeader);
  if (!header) return fail(header.error());
  report.header = std::move(*header);
  Result<std::vector<panel::ElementInfo>> elements = panel::decodeElementChain(m, report.header.head);
  if (!elements) return fail(elements.error());
  report.elements = std::move(*elements);

  if (Status s = report.host->gaugeInstall(0); !s) return fail(s.error());
  report.installCalls = h.log();
  report.mouseList = h.mouseList();
  if (report.mouseList) {
    Result<std::vector<panel::MouseAreaInfo>> areas = panel::decodeMouseAreas(m, report.mouseList);
    if (!areas) return fail(areas.error());
    report.mouseAreas = std::move(*areas);
  }
  return report;
}

std::string formatReport(const ModuleReport& report) {
  const machine::Machine& m = report.host->machine();
  const pe::PeFile& file = report.host->file();
  auto at = [&](uint32_t address) { return address ? m.describeAddress(address) : std::string("null"); };
  std::ostringstream out;

  out << report.path << ": PE32 " << (file.isDll() ? "DLL" : "executable") << " for i386, image base "
      << hex(file.imageBase) << ", " << file.sections.size() << " sections, " << file.relocations.size()
      << " relocations, timestamp " << file.timeDateStamp << "\n";
  out << "loaded at " << hex(m.moduleBase()) << "\n\n";

  out << "exports of \"" << file.exports.dllName << "\" (ordinal base " << file.exports.ordinalBase << "):\n";
  for (const pe::Export& e : file.exports.entries)
    out << "  " << e.ordinal << "  " << (e.name.empty() ? "(no name)" : e.name) << "  rva " << hex(e.rva) << "\n";

  out << "\nImportTable at " << at(report.host->entryPoints().importTable) << " (as in the file):\n";
  for (size_t i = 0; i < report.importTable.size(); ++i)
    out << "  [" << i << "] importId " << hex(report.importTable[i].importId) << "  tableAddress "
        << hex(report.importTable[i].tableAddress) << "\n";

  const panel::LinkageInfo& l = report.linkage;
  out << "\nLinkage at " << at(l.address) << ":\n"
      << "  linkageId     " << l.linkageId << "\n"
      << "  initHook      " << at(l.initHook) << "\n"
      << "  deinitHook    " << at(l.deinitHook) << "\n"
      << "  reserved      " << l.reserved[0] << " " << l.reserved[1] << " " << l.reserved[2] << "\n"
      << "  gaugeHeaders ";
  for (uint32_t g : l.gaugeHeaders) out << " " << at(g);
  out << " null\n";

  const panel::GaugeHeaderInfo& h = report.header;
  out << "\ngauge header at " << at(h.address) << ":\n"
      << "  formatNumber  " << h.formatNumber << "\n"
      << "  name          \"" << h.name << "\" at " << at(h.nameAddress) << "\n"
      << "  elementList   " << at(h.elementList) << " holding " << at(h.head) << "\n"
      << "  query         " << at(h.query) << "\n"
      << "  install       " << at(h.install) << "\n"
      << "  initialize    " << at(h.initialize) << "\n"
      << "  update        " << at(h.update) << "\n"
      << "  generate      " << at(h.generate) << "\n"
      << "  draw          " << at(h.draw) << "\n"
      << "  kill          " << at(h.kill) << "\n"
      << "  host fields  ";
  for (uint32_t v : h.hostFields) out << " " << v;
  out << "\n";

  out << "\nelement chain (" << report.elements.size() << " elements, drawing order):\n";
  for (size_t i = 0; i < report.elements.size(); ++i) {
    const panel::ElementInfo& e = report.elements[i];
    out << "  [" << i << "] " << panel::elementKindName(e.kind) << " (kind " << e.kind << ", " << e.size
        << " bytes) at " << at(e.address) << "\n"
        << "      resourceId " << hex(e.resourceId) << "  x " << e.x << "  y " << e.y << "  imageFlags "
        << hex(e.imageFlags) << "\n"
        << "      gaugeHeader " << at(e.gaugeHeader) << "  image " << hex(e.image) << "\n"
        << "      nextList " << at(e.nextList);
    if (e.nextList) {
      out << " ->";
      for (uint32_t n : e.next) out << " " << at(n);
      out << " null";
    }
    out << "\n      failureList " << at(e.failureList);
    if (e.failureList) {
      out << " ->";
      for (const panel::FailureInfo& f : e.failures) out << " (key " << f.key << ", action " << f.action << ")";
    }
    out << "\n";
    auto axis = [&](const char* name, const std::optional<panel::AxisInfo>& a) {
      if (!a) return;
      out << "      " << name << " at " << at(a->address) << ": token " << a->variable.token << "  callback "
          << at(a->callback);
      if (e.kind == layout::kMovingImage)
        out << "  min " << real(a->min) << "  max " << real(a->max);
      else
        out << "  scale " << real(a->scale);
      out << "  value " << real(a->variable.value) << "\n";
    };
    axis("xAxis", e.xAxis);
    axis("yAxis", e.yAxis);
  }

  out << "\nGaugeInstall(0) called:\n";
  for (const panel::ServiceCall& call : report.installCalls) {
    out << "  " << call.service << "(";
    for (size_t i = 0; i < call.args.size(); ++i)
      out << (i ? ", " : "") << (call.args[i] ? m.describeAddress(call.args[i]) : "0");
    out << ")\n";
  }

  out << "\nmouse areas at " << at(report.mouseList) << ":\n";
  out << "  #  kind          x    y  width height cursor helpId  flags       eventId handler               userData\n";
  for (size_t i = 0; i < report.mouseAreas.size(); ++i) {
    const panel::MouseAreaInfo& a = report.mouseAreas[i];
    char line[256];
    std::snprintf(line, sizeof line, "  %-2zu %-12s %4d %4d %6d %6d %6d %6u  0x%08x %7u %-21s %u\n", i,
                  panel::mouseAreaKindName(a.kind).c_str(), a.x, a.y, a.width, a.height, a.cursor, a.helpId,
                  a.flags, a.eventId, at(a.handler).c_str(), a.userData);
    out << line;
  }
  return out.str();
}

ordered_json reportJson(const ModuleReport& report) {
  const machine::Machine& m = report.host->machine();
  const pe::PeFile& file = report.host->file();
  auto addr = [&](uint32_t address) -> ordered_json {
    if (!address) return nullptr;
    return ordered_json{{"address", address}, {"where", m.describeAddress(address)}};
  };
  ordered_json j;
  j["path"] = report.path;
  j["imageBase"] = file.imageBase;
  j["loadedAt"] = m.moduleBase();
  j["timeDateStamp"] = file.timeDateStamp;
  j["exports"]["dllName"] = file.exports.dllName;
  j["exports"]["ordinalBase"] = file.exports.ordinalBase;
  j["exports"]["entries"] = ordered_json::array();
  for (const pe::Export& e : file.exports.entries)
    j["exports"]["entries"].push_back({{"ordinal", e.ordinal}, {"name", e.name}, {"rva", e.rva}});
  j["importTable"] = ordered_json::array();
  for (const panel::ImportEntryInfo& e : report.importTable)
    j["importTable"].push_back({{"importId", e.importId}, {"tableAddress", e.tableAddress}});
  const panel::LinkageInfo& l = report.linkage;
  j["linkage"] = {{"at", addr(l.address)},
                  {"linkageId", l.linkageId},
                  {"initHook", addr(l.initHook)},
                  {"deinitHook", addr(l.deinitHook)},
                  {"reserved", {l.reserved[0], l.reserved[1], l.reserved[2]}},
                  {"gaugeHeaders", ordered_json::array()}};
  for (uint32_t g : l.gaugeHeaders) j["linkage"]["gaugeHeaders"].push_back(addr(g));
  const panel::GaugeHeaderInfo& h = report.header;
  j["gaugeHeader"] = {{"at", addr(h.address)},       {"formatNumber", h.formatNumber},
                      {"name", h.name},              {"elementList", addr(h.elementList)},
                      {"head", addr(h.head)},        {"query", addr(h.query)},
                      {"install", addr(h.install)},  {"initialize", addr(h.initialize)},
                      {"update", addr(h.update)},    {"generate", addr(h.generate)},
                      {"draw", addr(h.draw)},        {"kill", addr(h.kill)},
                      {"hostFields", h.hostFields}};
  j["elements"] = ordered_json::array();
  for (const panel::ElementInfo& e : report.elements) {
    ordered_json element = {{"at", addr(e.address)},       {"kind", e.kind},
                            {"kindName", panel::elementKindName(e.kind)},
                            {"size", e.size},              {"resourceId", e.resourceId},
                            {"x", e.x},                    {"y", e.y},
                            {"imageFlags", e.imageFlags},  {"gaugeHeader", addr(e.gaugeHeader)},
                            {"image", e.image},            {"nextList", addr(e.nextList)},
                            {"next", ordered_json::array()}, {"failureList", addr(e.failureList)},
                            {"failures", ordered_json::array()}};
    for (uint32_t n : e.next) element["next"].push_back(addr(n));
    for (const panel::FailureInfo& f : e.failures) element["failures"].push_back({{"key", f.key}, {"action", f.action}});
    auto axis = [&](const std::optional<panel::AxisInfo>& a) -> ordered_json {
      ordered_json out = {{"at", addr(a->address)}, {"token", a->variable.token}, {"callback", addr(a->callback)}};
      if (e.kind == layout::kMovingImage) {
        out["min"] = a->min;
        out["max"] = a->max;
      } else {
        out["scale"] = a->scale;
      }
      return out;
    };
    if (e.xAxis) element["xAxis"] = axis(e.xAxis);
    if (e.yAxis) element["yAxis"] = axis(e.yAxis);
    j["elements"].push_back(element);
  }
  j["installCalls"] = ordered_json::array();
  for (const panel::ServiceCall& call : report.installCalls)
    j["installCalls"].push_back({{"service", call.service}, {"args", call.args}});
  j["mouseAreas"] = {{"at", addr(report.mouseList)}, {"records", ordered_json::array()}};
  for (const panel::MouseAreaInfo& a : report.mouseAreas)
    j["mouseAreas"]["records"].push_back({{"kind", a.kind},
                                          {"kindName", panel::mouseAreaKindName(a.kind)},
                                          {"x", a.x},
                                          {"y", a.y},
                                          {"width", a.width},
                                          {"height", a.height},
                                          {"cursor", a.cursor},
                                          {"helpId", a.helpId},
                                          {"flags", a.flags},
                                          {"eventId", a.eventId},
                                          {"handler", addr(a.handler)},
                                          {"userData", a.userData}});
  return j;
}

}  // namespace gb::cli
