// The host services the module calls, each recorded in the service log.
// Services never call back into the module: value callbacks and clicks are
// run by the host between gauge routines.
#include "panel/element_chain.h"
#include "panel/gauge_host.h"
#include "record_layout.h"
#include "support/byte_reader.h"

namespace gb::panel {

namespace layout = quandel::layout;

void GaugeHost::defineServices() {
  machine::Machine& m = *machine_;
  // Every service logs its call first, then has its effect.
  auto define = [&](uint32_t slot, const char* name, unsigned argCount,
                    std::function<Status(std::span<const uint32_t>)> effect) {
    m.defineService(slot, name, argCount,
                    [this, name, effect](machine::Machine&, std::span<const uint32_t> args) {
                      log_.push_back({name, {args.begin(), args.end()}});
                      return effect ? effect(args) : Status(Ok{});
                    });
  };
  using P = layout::PanelServices;
  define(P::elementListQuery, "ElementListQuery", 1, nullptr);
  define(P::elementListInstall, "ElementListInstall", 2,
         [this](std::span<const uint32_t> args) { return elementListInstall(args[0]); });
  define(P::elementListInitialize, "ElementListInitialize", 1, nullptr);
  define(P::elementListUpdate, "ElementListUpdate", 1,
         [this](std::span<const uint32_t>) { return refreshAxisVariables(); });
  define(P::elementListGenerate, "ElementListGenerate", 2, nullptr);
  define(P::elementListDraw, "ElementListDraw", 1, nullptr);
  define(P::elementListKill, "ElementListKill", 1,
         [this](std::span<const uint32_t>) { return elementListKill(); });
  define(P::mouseListInstall, "MouseListInstall", 3, [this](std::span<const uint32_t> args) {
    mouseList_ = args[0];
    mouseGauge_ = args[1];
    mousePictureReference_ = args[2];
    return Status(Ok{});
  });
  define(P::mouseListRegister, "MouseListRegister", 2, [this](std::span<const uint32_t> args) {
    mouseList_ = args[0];
    mouseGauge_ = args[1];
    mouseRegistered_ = true;
    return Status(Ok{});
  });
  define(P::mouseListUnregister, "MouseListUnregister", 2, [this](std::span<const uint32_t>) {
    mouseRegistered_ = false;
    return Status(Ok{});
  });
  define(P::triggerKeyEvent, "TriggerKeyEvent", 2, [this](std::span<const uint32_t> args) {
    keyEvents_.push_back({args[0], args[1]});
    return Status(Ok{});
  });
  define(P::initializeVar, "InitializeVar", 1,
         [this](std::span<const uint32_t> args) { return storeVariable(args[0]); });
  define(P::lookupVar, "LookupVar", 1,
         [this](std::span<const uint32_t> args) { return storeVariable(args[0]); });
}

Status GaugeHost::storeVariable(uint32_t moduleVar) {
  Result<uint32_t> token = machine_->readU32(moduleVar + layout::ModuleVar::token);
  if (!token) return token.error();
  if (!knowsVariable(*token))
    return Error{std::string("record at ") + machine_->describeAddress(moduleVar) +
                 " names unknown host variable token " + std::to_string(*token)};
  return machine_->writeF64(moduleVar + layout::ModuleVar::value, variable(*token));
}

Result<std::shared_ptr<const Picture>> GaugeHost::loadPicture(uint32_t resourceId) {
  Result<Picture> picture = pictures_(resourceId);
  if (!picture) return picture.error();
  return std::make_shared<const Picture>(std::move(*picture));
}

Status GaugeHost::elementListInstall(uint32_t head) {
  if (!elements_.empty())
    if (Status s = elementListKill(); !s) return s;
  Result<std::vector<uint32_t>> chain = walkElementChain(*machine_, head);
  if (!chain) return chain.error();
  std::vector<InstalledElement> installed;
  for (uint32_t address : *chain) {
    Result<uint32_t> kind = machine_->readU32(address + layout::ElementHeader::kind);
    Result<uint32_t> resourceId = machine_->readU32(address + layout::ElementHeader::resourceId);
    if (!kind || !resourceId) return Error{"element at " + machine_->describeAddress(address) + " is not readable"};
    if (*kind != layout::kStaticImage && *kind != layout::kSlider && *kind != layout::kMovingImage)
      return Error{"element at " + machine_->describeAddress(address) + " has unknown kind " +
                   std::to_string(*kind)};
    InstalledElement element;
    element.address = address;
    element.kind = *kind;
    Result<std::shared_ptr<const Picture>> picture = loadPicture(*resourceId);
    if (!picture)
      return withContext("element at " + machine_->describeAddress(address), picture.error());
    element.picture = *picture;
    if (*kind == layout::kMovingImage) {
      Result<std::shared_ptr<const Picture>> window = loadPicture(*resourceId + 3);
      if (!window)
        return withContext("element at " + machine_->describeAddress(address) + " (window)",
                           window.error());
      element.window = *window;
    }
    installed.push_back(std::move(element));
  }
  // Build the host's picture records and hand them to the elements.
  for (InstalledElement& element : installed) {
    Result<uint32_t> record = machine_->allocate(PictureRecordLayout::size);
    if (!record) return record.error();
    element.pictureRecord = *record;
    const Picture& p = *element.picture;
    uint8_t bytes[PictureRecordLayout::size];
    storeU32(bytes + PictureRecordLayout::tag, PictureRecordLayout::tagValue);
    storeU32(bytes + PictureRecordLayout::width, uint32_t(p.width));
    storeU32(bytes + PictureRecordLayout::height, uint32_t(p.height));
    storeU32(bytes + PictureRecordLayout::resourceId, p.resourceId);
    if (Status s = machine_->writeBytes(*record, bytes); !s) return s;
    if (Status s = machine_->writeU32(element.address + layout::ElementBody::image, *record); !s)
      return s;
  }
  elements_ = std::move(installed);
  return refreshAxisVariables();
}

Status GaugeHost::elementListKill() {
  for (const InstalledElement& element : elements_) {
    if (Status s = machine_->writeU32(element.address + layout::ElementBody::image, 0); !s) return s;
    if (Status s = machine_->release(element.pictureRecord); !s) return s;
  }
  elements_.clear();
  return Ok{};
}

Status GaugeHost::refreshAxisVariables() {
  for (const InstalledElement& element : elements_) {
    uint32_t axes[2] = {0, 0};
    if (element.kind == layout::kSlider) {
      axes[0] = element.address + layout::SliderElement::xAxis;
      axes[1] = element.address + layout::SliderElement::yAxis;
    } else if (element.kind == layout::kMovingImage) {
      axes[0] = element.address + layout::MovingImageElement::xAxis;
      axes[1] = element.address + layout::MovingImageElement::yAxis;
    }
    for (uint32_t axis : axes) {
      if (!axis) continue;
      Result<uint32_t> token = machine_->readU32(axis + layout::ModuleVar::token);
      if (!token) return token.error();
      if (*token == 0) continue;  // an unused axis
      if (Status s = storeVariable(axis); !s) return s;
    }
  }
  return Ok{};
}

}  // namespace gb::panel
