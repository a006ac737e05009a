#include "view/state_json.h"

#include "panel/speed_brake_model.h"
#include "record_layout.h"
#include "support/result.h"

namespace gb::view {

using nlohmann::json;
namespace layout = quandel::layout;

CursorLook cursorLook(int32_t code) {
  switch (code) {
    case -1: return {"none (the host's default)", "default"};
    case 0: return {"normal arrow", "default"};
    case 1: return {"up arrow", "n-resize"};
    case 2: return {"down arrow", "s-resize"};
    case 3: return {"left arrow", "w-resize"};
    case 4: return {"right arrow", "e-resize"};
    case 5: return {"hand", "pointer"};
    case 6: return {"crosshair", "crosshair"};
    case 7: return {"grab", "grab"};
    default: return {"unknown code", "default"};
  }
}

namespace {

json boxJson(const panel::Box& box) {
  return {{"x", box.x}, {"y", box.y}, {"width", box.width}, {"height", box.height}};
}

const char* elementKindName(uint32_t kind) {
  switch (kind) {
    case layout::kStaticImage: return "static image";
    case layout::kSlider: return "slider";
    case layout::kMovingImage: return "moving image";
    default: return "unknown";
  }
}

json elementJson(size_t index, const panel::ElementPlacement& e) {
  json out = {{"index", index},
              {"address", hex(e.address)},
              {"kind", e.kind},
              {"kindName", elementKindName(e.kind)},
              {"resourceId", e.picture ? hex(e.picture->resourceId) : ""},
              {"x", e.x},
              {"y", e.y},
              {"dx", e.dx},
              {"dy", e.dy},
              {"yValue", e.yValue},
              {"stripRow", e.stripRow}};
  // The part of the gauge the element covers: a strip shows through its window.
  panel::Box bounds;
  if (e.kind == layout::kMovingImage && e.window)
    bounds = {e.x, e.y, e.window->width, e.window->height};
  else if (e.picture)
    bounds = {e.x + e.dx, e.y + e.dy, e.picture->width, e.picture->height};
  out["bounds"] = boxJson(bounds);
  return out;
}

}  // namespace

json snapshotJson(const SessionSnapshot& s) {
  json elements = json::array();
  for (size_t i = 0; i < s.frame.elements.size(); ++i) elements.push_back(elementJson(i, s.frame.elements[i]));
  json areas = json::array();
  for (const AreaView& a : s.areas) {
    const CursorLook look = cursorLook(a.record.cursor);
    areas.push_back({{"index", a.index},
                     {"box", boxJson(a.box)},
                     {"record", {{"x", a.record.x}, {"y", a.record.y}, {"width", a.record.width}, {"height", a.record.height}}},
                     {"address", hex(a.record.address)},
                     {"cursor", a.record.cursor},
                     {"cursorName", look.name},
                     {"cssCursor", look.css},
                     {"helpId", a.record.helpId},
                     {"flags", hex(a.record.flags)},
                     {"eventId", a.record.eventId},
                     {"handler", a.record.handler ? hex(a.record.handler) : ""},
                     {"handlerName", a.handlerName}});
  }
  json variables = json::object();
  for (const auto& [token, value] : s.variables) variables[std::to_string(token)] = value;
  json log = json::array();
  for (const LogLine& line : s.log)
    log.push_back({{"seq", line.seq}, {"time", line.time}, {"kind", line.kind}, {"text", line.text}});
  return {{"path", s.path},
          {"loaded", s.loaded},
          {"error", s.error},
          {"running", s.running},
          {"time", s.time},
          {"loadCount", s.loadCount},
          {"frameCount", s.frameCount},
          {"frame", {{"width", s.frame.width}, {"height", s.frame.height}, {"elements", elements}}},
          {"parent", s.parent ? boxJson(*s.parent) : json(nullptr)},
          {"areas", areas},
          {"variables", variables},
          {"model", {{"rate", s.rate}, {"target", s.target}, {"moving", s.moving}}},
          {"log", log},
          {"logNext", s.logNext},
          {"clicks", s.clicks},
          {"keyEvents", s.keyEvents}};
}

json clickJson(const ClickReport& report) {
  const panel::ClickOutcome& o = report.outcome;
  json events = json::array();
  for (const panel::KeyEvent& e : o.events)
    events.push_back({{"id", hex(e.id)}, {"name", panel::keyEventName(e.id)}, {"value", e.value}});
  json changes = json::array();
  for (const panel::VariableChange& c : o.changes)
    changes.push_back({{"token", c.token}, {"before", c.before}, {"after", c.after}});
  // A handler that faulted gives no outcome to tell, only the fault.
  if (!report.fault.empty()) return {{"fault", report.fault}, {"events", events}, {"changes", changes}};
  json out = {{"hit", o.hit}, {"events", events}, {"changes", changes}};
  if (o.hit) {
    out["area"] = o.areaIndex;
    out["handler"] = o.handler ? hex(o.handler) : "";
    out["handlerName"] = report.handlerName;
    out["result"] = o.result;
  }
  return out;
}

}  // namespace gb::view
