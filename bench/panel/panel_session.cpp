#include "panel/panel_session.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

#include "record_layout.h"
#include "support/byte_reader.h"

namespace gb::panel {

namespace layout = quandel::layout;

namespace {

// Windows' notification reasons for the library entry.
constexpr uint32_t kProcessAttach = 1;
constexpr uint32_t kProcessDetach = 0;

int roundToPixel(double value) {
  if (!std::isfinite(value)) return 0;
  double clamped = std::clamp(value, -1.0e6, 1.0e6);
  return int(std::lround(clamped));
}

}  // namespace

std::string formatNumber(double value) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc() ? std::string(text, end) : "?";
}

Result<std::unique_ptr<PanelSession>> PanelSession::open(const std::string& path, Options options) {
  Result<std::unique_ptr<GaugeHost>> host = GaugeHost::load(path, options.host);
  if (!host) return host.error();
  return std::unique_ptr<PanelSession>(new PanelSession(std::move(*host), std::move(options)));
}

PanelSession::PanelSession(std::unique_ptr<GaugeHost> host, Options options)
    : host_(std::move(host)), options_(std::move(options)), model_(host_->variables()) {
  model_.setRate(options_.rate);
}

Status PanelSession::start() {
  if (started_) return Ok{};
  Result<uint32_t> attached = host_->callEntry(kProcessAttach);
  if (!attached) return attached.error();
  if (*attached == 0) return Error{"DllEntry: the module refused process attach (returned 0)"};
  if (Status s = host_->callInitHook(); !s) return s;
  if (Status s = host_->gaugeInstall(options_.installArgument); !s) return s;
  if (Status s = host_->gaugeInitialize(); !s) return s;
  started_ = true;
  return Ok{};
}

Status PanelSession::stop() {
  if (!started_) return Ok{};
  started_ = false;
  if (Status s = host_->gaugeKill(); !s) return s;
  if (Status s = host_->callDeinitHook(); !s) return s;
  Result<uint32_t> detached = host_->callEntry(kProcessDetach);
  if (!detached) return detached.error();
  return Ok{};
}

Result<ElementPlacement> PanelSession::place(const InstalledElement& element) {
  const machine::Machine& m = host_->machine();
  ElementPlacement p;
  p.address = element.address;
  p.kind = element.kind;
  p.picture = element.picture;
  p.window = element.window;
  Result<std::vector<uint8_t>> bytes = m.readBytes(element.address, layout::ElementHeader::size);
  if (!bytes) return bytes.error();
  p.x = int32_t(loadU32(bytes->data() + layout::ElementHeader::x));
  p.y = int32_t(loadU32(bytes->data() + layout::ElementHeader::y));
  p.imageFlags = loadU32(bytes->data() + layout::ElementHeader::imageFlags);
  if (element.kind == layout::kStaticImage) return p;

  const bool moving = element.kind == layout::kMovingImage;
  const uint32_t axes[2] = {
      element.address + (moving ? layout::MovingImageElement::xAxis : layout::SliderElement::xAxis),
      element.address + (moving ? layout::MovingImageElement::yAxis : layout::SliderElement::yAxis)};
  double values[2];
  double stripRows[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const uint32_t axis = axes[i];
    Result<std::vector<uint8_t>> a = m.readBytes(axis, moving ? layout::MovingImageAxis::size : layout::SliderAxis::size);
    if (!a) return a.error();
    auto f64 = [&](uint32_t offset) {
      uint64_t bits = uint64_t(loadU32(a->data() + offset)) | uint64_t(loadU32(a->data() + offset + 4)) << 32;
      return std::bit_cast<double>(bits);
    };
    const uint32_t callback = loadU32(a->data() + layout::SliderAxis::callback);
    double value = f64(layout::ModuleVar::value);
    if (callback) {
      Result<double> result = host_->callValueCallback(callback, axis);
      if (!result) return result.error();
      value = *result;
    }
    values[i] = value;
    if (moving) {
      // min shows the strip's first row, max its last window-full.
      const double min = f64(layout::MovingImageAxis::min), max = f64(layout::MovingImageAxis::max);
      const int travel = i == 1 ? element.picture->height - element.window->height
                                : element.picture->width - element.window->width;
      double t = (max == min || !std::isfinite(value)) ? 0.0 : (value - min) / (max - min);
      t = std::clamp(t, 0.0, 1.0);
      stripRows[i] = std::max(0, roundToPixel(t * travel));
    } else {
      const double scale = f64(layout::SliderAxis::scale);
      (i == 0 ? p.dx : p.dy) = roundToPixel(value * scale);
    }
  }
  p.xValue = values[0];
  p.yValue = values[1];
  p.stripRow = int(stripRows[1]);
  return p;
}

Result<Frame> PanelSession::frame() {
  if (!started_)
    if (Status s = start(); !s) return s.error();
  if (Status s = host_->gaugeUpdate(); !s) return s.error();
  Frame frame;
  for (const InstalledElement& element : host_->installedElements()) {
    Result<ElementPlacement> placement = place(element);
    if (!placement) return placement.error();
    frame.elements.push_back(std::move(*placement));
  }
  if (Status s = host_->gaugeGenerate(options_.generateArgument); !s) return s.error();
  if (Status s = host_->gaugeDraw(); !s) return s.error();
  if (!frame.elements.empty() && frame.elements[0].picture) {
    frame.width = frame.elements[0].picture->width;
    frame.height = frame.elements[0].picture->height;
  }
  lastFrame_ = frame;
  return frame;
}

Result<MouseLayout> PanelSession::mouseLayout() const {
  if (!host_->mouseListRegistered()) return Error{"no mouse list is registered"};
  return layoutMouseAreas(host_->machine(), host_->mouseList(), host_->mousePictureReference());
}

void PanelSession::logChanges(const std::vector<VariableChange>& changes) {
  for (const VariableChange& c : changes)
    note(LogEntry::VariableChanged, "var " + std::to_string(c.token) + ": " + formatNumber(c.before) + " -> " +
                                        formatNumber(c.after));
}

Status PanelSession::applyKeyEvents(std::vector<KeyEvent> events, std::vector<VariableChange>& changes) {
  for (const KeyEvent& event : events) {
    sent_.push_back(event);
    note(LogEntry::KeyEventSent, "key event " + keyEventName(event.id) + " " + std::to_string(event.value));
    if (!model_.apply(event.id, event.value, changes))
      note(LogEntry::Note, "  (the model has no use for event " + hex(event.id) + ")");
  }
  return Ok{};
}

Result<ClickOutcome> PanelSession::click(int x, int y) {
  if (!started_)
    if (Status s = start(); !s) return s.error();
  ClickOutcome outcome;
  note(LogEntry::Click, "click " + std::to_string(x) + " " + std::to_string(y));
  if (!host_->mouseListRegistered()) {
    note(LogEntry::Note, "  no mouse list registered");
    return outcome;
  }
  Result<MouseLayout> layout = mouseLayout();
  if (!layout) return layout.error();
  const ChildArea* area = hitTest(*layout, x, y);
  if (!area) {
    note(LogEntry::Note, "  no area there");
    return outcome;
  }
  outcome.hit = true;
  outcome.areaIndex = area->index;
  outcome.handler = area->record.handler;
  host_->takeKeyEvents();
  if (outcome.handler) {
    // The host passes the click's place within the area and the left button.
    const uint32_t where = uint32_t(x - area->box.x) | uint32_t(y - area->box.y) << 16;
    const uint32_t buttons = 1;
    std::string name = "mouse handler " + host_->machine().describeAddress(outcome.handler);
    Result<uint32_t> result = host_->callHandler(name, outcome.handler, where, buttons);
    if (!result) return result.error();
    outcome.result = *result;
  }
  note(LogEntry::Handler, "  area " + std::to_string(area->index) + " (" + std::to_string(area->box.x) + "," +
                              std::to_string(area->box.y) + " " + std::to_string(area->box.width) + "x" +
                              std::to_string(area->box.height) + "): handler " +
                              (outcome.handler ? host_->machine().describeAddress(outcome.handler) : "none") +
                              " returned " + std::to_string(int32_t(outcome.result)));
  outcome.events = host_->takeKeyEvents();
  if (Status s = applyKeyEvents(outcome.events, outcome.changes); !s) return s.error();
  logChanges(outcome.changes);
  return outcome;
}

Status PanelSession::advance(double seconds) {
  if (!(seconds >= 0.0) || !std::isfinite(seconds)) return Error{"advance: time must be a finite number of seconds >= 0"};
  if (!started_)
    if (Status s = start(); !s) return s;
  const double step = 1.0 / kFrameRate;
  double left = seconds;
  while (left > 1e-12) {
    const double dt = std::min(step - sinceFrame_, left);
    std::vector<VariableChange> changes;
    model_.advance(dt, changes);
    logChanges(changes);
    time_ += dt;
    left -= dt;
    sinceFrame_ += dt;
    if (sinceFrame_ >= step - 1e-12) {
      sinceFrame_ = 0.0;
      Result<Frame> f = frame();
      if (!f) return f.error();
    }
  }
  return Ok{};
}

Status PanelSession::setVariable(uint32_t token, double value) {
  if (!host_->knowsVariable(token))
    return Error{"unknown host variable token " + std::to_string(token) + " (the bench models 318, 324 and 326)"};
  std::vector<VariableChange> changes;
  double before = host_->variable(token);
  if (before != value || std::signbit(before) != std::signbit(value)) changes.push_back({token, before, value});
  host_->setVariable(token, value);
  if (token == layout::kLeverPositionVariable) model_.setTarget(value);
  logChanges(changes);
  return Ok{};
}

}  // namespace gb::panel
