// Loading a module into a machine, finding its routines, and calling them.
#include "panel/gauge_host.h"

#include <filesystem>

#include "panel/element_chain.h"
#include "panel/module_pictures.h"
#include "record_layout.h"

namespace gb::panel {

namespace layout = quandel::layout;

Result<std::unique_ptr<GaugeHost>> GaugeHost::load(const std::string& path, Options options) {
  Result<pe::PeFile> file = pe::loadPeFile(path);
  if (!file) return file.error();
  std::string name = std::filesystem::path(path).filename().string();
  Result<std::unique_ptr<GaugeHost>> host = fromFile(std::move(*file), name, std::move(options));
  if (!host) return withContext(path, host.error());
  return host;
}

Result<std::unique_ptr<GaugeHost>> GaugeHost::fromFile(pe::PeFile file, std::string name,
                                                       Options options) {
  if (!file.isDll()) return Error{"not a DLL (the image is an executable)"};
  std::unique_ptr<GaugeHost> host(new GaugeHost());
  host->file_ = std::move(file);
  host->name_ = std::move(name);
  host->pictures_ = std::move(options.pictures);
  if (!host->pictures_) host->pictures_ = modulePictureSource(host->file_);
  // The simulator variables this host models, at rest.
  host->variables_ = {{layout::kStripScrollVariable, 0.0},
                      {layout::kArmFlagVariable, 0.0},
                      {layout::kLeverPositionVariable, 0.0}};

  Result<std::unique_ptr<machine::Machine>> machine = machine::Machine::create();
  if (!machine) return machine.error();
  host->machine_ = std::move(*machine);
  host->machine_->setInstructionBudget(options.instructionBudget);
  uint32_t base = options.base.value_or(host->file_.imageBase);
  if (Status s = host->machine_->mapModule(host->file_, base, host->name_); !s) return s.error();
  host->defineServices();
  if (Status s = host->findEntryPoints(); !s) return s.error();
  if (Status s = host->connectServices(); !s) return s.error();
  return host;
}

Status GaugeHost::findEntryPoints() {
  const machine::Machine& m = *machine_;
  const uint32_t base = m.moduleBase();
  const pe::Export* importTable = file_.findExport("ImportTable");
  const pe::Export* linkage = file_.findExport("Linkage");
  if (!importTable && !linkage) return Error{"the DLL exports neither ImportTable nor Linkage"};
  if (!importTable) return Error{"the DLL does not export ImportTable"};
  if (!linkage) return Error{"the DLL does not export Linkage"};
  entry_.importTable = base + importTable->rva;
  entry_.linkage = base + linkage->rva;
  entry_.dllEntry = file_.entryRva ? base + file_.entryRva : 0;

  auto word = [&](uint32_t address, const char* what) -> Result<uint32_t> {
    Result<uint32_t> value = m.readU32(address);
    if (!value) return Error{std::string(what) + " at " + m.describeAddress(address) + " is not mapped"};
    return value;
  };
  Result<uint32_t> init = word(entry_.linkage + layout::Linkage::initHook, "Linkage initHook");
  Result<uint32_t> deinit = word(entry_.linkage + layout::Linkage::deinitHook, "Linkage deinitHook");
  Result<uint32_t> header = word(entry_.linkage + layout::Linkage::gaugeHeaders, "Linkage gaugeHeaders");
  if (!init) return init.error();
  if (!deinit) return deinit.error();
  if (!header) return header.error();
  if (*header == 0) return Error{"Linkage lists no gauge header"};
  entry_.initHook = *init;
  entry_.deinitHook = *deinit;
  entry_.gaugeHeader = *header;

  struct Field {
    uint32_t offset;
    uint32_t* target;
    const char* name;
  };
  const Field fields[] = {
      {layout::GaugeHeader::query, &entry_.query, "gauge header query"},
      {layout::GaugeHeader::install, &entry_.install, "gauge header install"},
      {layout::GaugeHeader::initialize, &entry_.initialize, "gauge header initialize"},
      {layout::GaugeHeader::update, &entry_.update, "gauge header update"},
      {layout::GaugeHeader::generate, &entry_.generate, "gauge header generate"},
      {layout::GaugeHeader::draw, &entry_.draw, "gauge header draw"},
      {layout::GaugeHeader::kill, &entry_.kill, "gauge header kill"},
  };
  for (const Field& field : fields) {
    Result<uint32_t> value = word(entry_.gaugeHeader + field.offset, field.name);
    if (!value) return value.error();
    *field.target = *value;
  }
  return Ok{};
}

Status GaugeHost::connectServices() {
  // Entries of (importId, tableAddress) up to an importId of 0.
  for (uint32_t i = 0; i < 64; ++i) {
    uint32_t entry = entry_.importTable + i * layout::ImportEntry::size;
    Result<uint32_t> id = machine_->readU32(entry + layout::ImportEntry::importId);
    if (!id) return withContext("ImportTable", id.error());
    if (*id == 0) break;
    if (*id == layout::kPanelServicesImportId)
      return machine_->writeU32(entry + layout::ImportEntry::tableAddress,
                                machine_->serviceTableAddress());
  }
  return Error{"ImportTable asks for no panel services (no entry with id 0xf)"};
}

std::vector<KeyEvent> GaugeHost::takeKeyEvents() {
  std::vector<KeyEvent> events;
  events.swap(keyEvents_);
  return events;
}

double GaugeHost::variable(uint32_t token) const {
  auto it = variables_.find(token);
  return it == variables_.end() ? 0.0 : it->second;
}

void GaugeHost::setVariable(uint32_t token, double value) { variables_[token] = value; }

Status GaugeHost::callRoutine(const std::string& routine, uint32_t address,
                              std::vector<uint32_t> args) {
  if (address == 0) return Error{routine + ": the module gives no address for it"};
  Result<machine::CallOutcome> outcome = machine_->call(routine, address, args);
  if (!outcome) return outcome.error();
  return Ok{};
}

Result<uint32_t> GaugeHost::callEntry(uint32_t reason) {
  if (entry_.dllEntry == 0) return Error{"DllEntry: the module has no entry point"};
  uint32_t args[] = {machine_->moduleBase(), reason, 0};
  Result<machine::CallOutcome> outcome = machine_->call("DllEntry", entry_.dllEntry, args);
  if (!outcome) return outcome.error();
  return outcome->eax;
}

Status GaugeHost::callInitHook() { return callRoutine("ModuleInit", entry_.initHook, {}); }
Status GaugeHost::callDeinitHook() { return callRoutine("ModuleDeinit", entry_.deinitHook, {}); }
Status GaugeHost::gaugeQuery() { return callRoutine("GaugeQuery", entry_.query, {}); }
Status GaugeHost::gaugeInstall(uint32_t installArgument) {
  return callRoutine("GaugeInstall", entry_.install, {installArgument});
}
Status GaugeHost::gaugeInitialize() { return callRoutine("GaugeInitialize", entry_.initialize, {}); }
Status GaugeHost::gaugeUpdate() { return callRoutine("GaugeUpdate", entry_.update, {}); }
Status GaugeHost::gaugeGenerate(uint32_t generateArgument) {
  return callRoutine("GaugeGenerate", entry_.generate, {generateArgument});
}
Status GaugeHost::gaugeDraw() { return callRoutine("GaugeDraw", entry_.draw, {}); }
Status GaugeHost::gaugeKill() { return callRoutine("GaugeKill", entry_.kill, {}); }

Result<uint32_t> GaugeHost::callHandler(const std::string& name, uint32_t handler, uint32_t arg1,
                                        uint32_t arg2) {
  uint32_t args[] = {arg1, arg2};
  Result<machine::CallOutcome> outcome = machine_->call(name, handler, args);
  if (!outcome) return outcome.error();
  return outcome->eax;
}

Result<double> GaugeHost::callValueCallback(uint32_t callback, uint32_t variableAddress) {
  uint32_t args[] = {variableAddress};
  Result<machine::CallOutcome> outcome = machine_->call(
      "value callback " + machine_->describeAddress(callback), callback, args,
      machine::Returns::Double);
  if (!outcome) return outcome.error();
  return outcome->st0;
}

}  // namespace gb::panel
