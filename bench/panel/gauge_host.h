// The stand-in for the simulator's panel system around one loaded gauge
// module: it maps the module into a machine, fills its import table with the
// service table, runs its routines and handlers, and implements the services
// the module calls, recording each call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "panel/service_log.h"
#include "pe/pe_file.h"
#include "support/result.h"

namespace gb::panel {

// The module's routines, found through its exports as the host finds them.
struct ModuleEntryPoints {
  uint32_t importTable = 0;
  uint32_t linkage = 0;
  uint32_t initHook = 0;
  uint32_t deinitHook = 0;
  uint32_t gaugeHeader = 0;  // the first of the gauge-header list
  uint32_t query = 0, install = 0, initialize = 0, update = 0, generate = 0, draw = 0, kill = 0;
  uint32_t dllEntry = 0;
};

// A bitmap as the host holds it for drawing: palette-resolved RGB pixels.
struct Picture {
  uint32_t resourceId = 0;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, row-major from the top row
};

// Supplies the picture for a resource id (from the module's resources, or a
// fixture in tests).
using PictureSource = std::function<Result<Picture>(uint32_t resourceId)>;

struct KeyEvent {
  uint32_t id = 0;
  uint32_t value = 0;
  bool operator==(const KeyEvent&) const = default;
};

// An element the host took over in ElementListInstall.
struct InstalledElement {
  uint32_t address = 0;
  uint32_t kind = 0;
  uint32_t pictureRecord = 0;  // host record stored in the element's `image`
  std::shared_ptr<const Picture> picture;
  std::shared_ptr<const Picture> window;  // moving images: the window bitmap (id + 3)
  uint32_t windowRecord = 0;
};

// Host record of a loaded picture, in emulated memory: a tag, then the width
// and height as 32-bit integers from offset 4 (what the module's background
// picture reference points at), then the resource id.
struct PictureRecordLayout {
  static constexpr uint32_t tag = 0;
  static constexpr uint32_t width = 4;
  static constexpr uint32_t height = 8;
  static constexpr uint32_t resourceId = 12;
  static constexpr uint32_t size = 16;
  static constexpr uint32_t tagValue = 0x50494354;  // "PICT"
};

class GaugeHost {
 public:
  struct Options {
    std::optional<uint32_t> base;  // default: the image's preferred base
    PictureSource pictures;        // default: the module's own bitmaps
    uint64_t instructionBudget = 1'000'000;
  };

  static Result<std::unique_ptr<GaugeHost>> load(const std::string& path, Options options);
  static Result<std::unique_ptr<GaugeHost>> fromFile(pe::PeFile file, std::string name,
                                                     Options options);

  machine::Machine& machine() { return *machine_; }
  const machine::Machine& machine() const { return *machine_; }
  const pe::PeFile& file() const { return file_; }
  const ModuleEntryPoints& entryPoints() const { return entry_; }
  const std::string& name() const { return name_; }

  // The host's variables by token. Unknown tokens are refused by the
  // variable services.
  double variable(uint32_t token) const;
  void setVariable(uint32_t token, double value);
  bool knowsVariable(uint32_t token) const { return variables_.count(token) != 0; }
  const std::map<uint32_t, double>& variables() const { return variables_; }
  std::map<uint32_t, double>& variables() { return variables_; }

  // Module calls. Each returns the machine's fault report on failure.
  Result<uint32_t> callEntry(uint32_t reason);
  Status callInitHook();
  Status callDeinitHook();
  Status gaugeQuery();
  Status gaugeInstall(uint32_t installArgument);
  Status gaugeInitialize();
  Status gaugeUpdate();
  Status gaugeGenerate(uint32_t generateArgument);
  Status gaugeDraw();
  Status gaugeKill();
  Result<uint32_t> callHandler(const std::string& name, uint32_t handler, uint32_t arg1, uint32_t arg2);
  Result<double> callValueCallback(uint32_t callback, uint32_t variableAddress);

  // Stores the service table's address into the module's ImportTable, as
  // the host does before calling any routine. Done by load().
  Status connectServices();

  const ServiceLog& log() const { return log_; }
  void clearLog() { log_.clear(); }
  std::vector<KeyEvent> takeKeyEvents();

  bool mouseListRegistered() const { return mouseRegistered_; }
  uint32_t mouseList() const { return mouseList_; }
  uint32_t mouseListGauge() const { return mouseGauge_; }
  uint32_t mousePictureReference() const { return mousePictureReference_; }
  const std::vector<InstalledElement>& installedElements() const { return elements_; }

  uint64_t lastInstructionCount() const { return machine_->lastInstructionCount(); }

 private:
  GaugeHost() = default;
  Status findEntryPoints();
  void defineServices();
  Status callRoutine(const std::string& routine, uint32_t address, std::vector<uint32_t> args);
  Result<std::shared_ptr<const Picture>> loadPicture(uint32_t resourceId);

  // Services.
  Status elementListInstall(uint32_t head);
  Status elementListKill();
  Status refreshAxisVariables();
  Status storeVariable(uint32_t moduleVar);

  pe::PeFile file_;
  std::string name_;
  std::unique_ptr<machine::Machine> machine_;
  ModuleEntryPoints entry_;
  PictureSource pictures_;
  std::map<uint32_t, double> variables_;
  ServiceLog log_;
  std::vector<KeyEvent> keyEvents_;
  std::vector<InstalledElement> elements_;
  bool mouseRegistered_ = false;
  uint32_t mouseList_ = 0;
  uint32_t mouseGauge_ = 0;
  uint32_t mousePictureReference_ = 0;
};

}  // namespace gb::panel
