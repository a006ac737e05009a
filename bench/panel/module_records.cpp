#include "panel/module_records.h"

#include <bit>

#include "panel/element_chain.h"
#include "record_layout.h"
#include "support/byte_reader.h"

namespace gb::panel {

namespace layout = quandel::layout;

namespace {

// A record copied out of emulated memory, decoded by explicit
// little-endian reads at the declared offsets.
class RecordBytes {
 public:
  static Result<RecordBytes> read(const machine::Machine& m, uint32_t address, uint32_t size,
                                  const std::string& what) {
    Result<std::vector<uint8_t>> bytes = m.readBytes(address, size);
    if (!bytes)
      return Error{what + " at " + m.describeAddress(address) + ": " + std::to_string(size) +
                   " bytes are not mapped"};
    return RecordBytes(std::move(*bytes));
  }
  uint32_t u32(uint32_t offset) const { return loadU32(bytes_.data() + offset); }
  int32_t i32(uint32_t offset) const { return int32_t(u32(offset)); }
  double f64(uint32_t offset) const { return std::bit_cast<double>(u64(offset)); }
  uint64_t u64(uint32_t offset) const { return uint64_t(u32(offset)) | uint64_t(u32(offset + 4)) << 32; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  explicit RecordBytes(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::vector<uint8_t> bytes_;
};

Result<std::string> readCString(const machine::Machine& m, uint32_t address, const std::string& what) {
  std::string text;
  for (uint32_t i = 0; i < 256; ++i) {
    Result<std::vector<uint8_t>> byte = m.readBytes(address + i, 1);
    if (!byte) return Error{what + " at " + m.describeAddress(address) + " runs into unmapped memory"};
    if ((*byte)[0] == 0) return text;
    text.push_back(char((*byte)[0]));
  }
  return Error{what + " at " + m.describeAddress(address) + " has no NUL within 256 bytes"};
}

ModuleVarInfo moduleVarAt(const RecordBytes& r, uint32_t offset, uint32_t address) {
  ModuleVarInfo v;
  v.address = address + offset;
  v.token = r.u32(offset + layout::ModuleVar::token);
  v.varPointer = r.u32(offset + layout::ModuleVar::varPointer);
  v.type = r.u32(offset + layout::ModuleVar::type);
  v.value = r.f64(offset + layout::ModuleVar::value);
  v.oldValue = r.u64(offset + layout::ModuleVar::oldValue);
  return v;
}

AxisInfo axisAt(const RecordBytes& r, uint32_t offset, uint32_t address, bool moving) {
  AxisInfo a;
  a.address = address + offset;
  a.variable = moduleVarAt(r, offset, address);
  if (moving) {
    a.callback = r.u32(offset + layout::MovingImageAxis::callback);
    a.min = r.f64(offset + layout::MovingImageAxis::min);
    a.max = r.f64(offset + layout::MovingImageAxis::max);
    a.bytes.assign(r.bytes().begin() + offset, r.bytes().begin() + offset + layout::MovingImageAxis::size);
  } else {
    a.callback = r.u32(offset + layout::SliderAxis::callback);
    a.scale = r.f64(offset + layout::SliderAxis::scale);
    a.bytes.assign(r.bytes().begin() + offset, r.bytes().begin() + offset + layout::SliderAxis::size);
  }
  return a;
}

}  // namespace

std::string elementKindName(uint32_t kind) {
  switch (kind) {
    case layout::kStaticImage: return "static image";
    case layout::kSlider: return "slider";
    case layout::kMovingImage: return "moving image";
    default: return "kind " + std::to_string(kind);
  }
}

std::string mouseAreaKindName(uint32_t kind) {
  switch (kind) {
    case layout::kEndOfList: return "EndOfList";
    case layout::kParent: return "Parent";
    case layout::kChild: return "Child";
    case layout::kEndOfParent: return "EndOfParent";
    default: return "kind " + std::to_string(kind);
  }
}

Result<LinkageInfo> decodeLinkage(const machine::Machine& m, uint32_t address) {
  Result<RecordBytes> r = RecordBytes::read(m, address, layout::Linkage::size, "Linkage");
  if (!r) return r.error();
  LinkageInfo info;
  info.address = address;
  info.linkageId = r->u32(layout::Linkage::linkageId);
  info.initHook = r->u32(layout::Linkage::initHook);
  info.deinitHook = r->u32(layout::Linkage::deinitHook);
  for (uint32_t i = 0; i < 3; ++i) info.reserved[i] = r->u32(layout::Linkage::reserved + 4 * i);
  // The header list runs on past the record's first two slots until its null.
  for (uint32_t i = 0; i < 64; ++i) {
    Result<uint32_t> header = m.readU32(address + layout::Linkage::gaugeHeaders + 4 * i);
    if (!header) return Error{"Linkage: gauge-header list runs into unmapped memory"};
    if (*header == 0) return info;
    info.gaugeHeaders.push_back(*header);
  }
  return Error{"Linkage: gauge-header list has no null within 64 entries"};
}

Result<std::vector<ImportEntryInfo>> decodeImportTable(const machine::Machine& m, uint32_t address) {
  std::vector<ImportEntryInfo> entries;
  for (uint32_t i = 0; i < 64; ++i) {
    Result<RecordBytes> r = RecordBytes::read(m, address + i * layout::ImportEntry::size,
                                              layout::ImportEntry::size, "ImportTable entry");
    if (!r) return r.error();
    ImportEntryInfo entry{r->u32(layout::ImportEntry::importId), r->u32(layout::ImportEntry::tableAddress)};
    entries.push_back(entry);
    if (entry.importId == 0) return entries;
  }
  return Error{"ImportTable: no ending entry within 64 entries"};
}

Result<GaugeHeaderInfo> decodeGaugeHeader(const machine::Machine& m, uint32_t address) {
  Result<RecordBytes> r = RecordBytes::read(m, address, layout::GaugeHeader::size, "gauge header");
  if (!r) return r.error();
  using H = layout::GaugeHeader;
  GaugeHeaderInfo info;
  info.address = address;
  info.formatNumber = r->u32(H::formatNumber);
  info.nameAddress = r->u32(H::name);
  info.elementList = r->u32(H::elementList);
  info.query = r->u32(H::query);
  info.install = r->u32(H::install);
  info.initialize = r->u32(H::initialize);
  info.update = r->u32(H::update);
  info.generate = r->u32(H::generate);
  info.draw = r->u32(H::draw);
  info.kill = r->u32(H::kill);
  for (uint32_t i = 0; i < 12; ++i) info.hostFields[i] = r->u32(H::hostFields + 4 * i);
  Result<std::string> name = readCString(m, info.nameAddress, "gauge name");
  if (!name) return name.error();
  info.name = *name;
  Result<uint32_t> head = m.readU32(info.elementList);
  if (!head) return Error{"gauge header: element list at " + m.describeAddress(info.elementList) + " is not mapped"};
  info.head = *head;
  return info;
}

Result<ModuleVarInfo> decodeModuleVar(const machine::Machine& m, uint32_t address) {
  Result<RecordBytes> r = RecordBytes::read(m, address, layout::ModuleVar::size, "ModuleVar");
  if (!r) return r.error();
  return moduleVarAt(*r, 0, address);
}

Result<ElementInfo> decodeElement(const machine::Machine& m, uint32_t address) {
  Result<uint32_t> kind = m.readU32(address + layout::ElementHeader::kind);
  if (!kind) return Error{"element at " + m.describeAddress(address) + " is not mapped"};
  uint32_t size = 0;
  switch (*kind) {
    case layout::kStaticImage: size = layout::StaticImageElement::size; break;
    case layout::kSlider: size = layout::SliderElement::size; break;
    case layout::kMovingImage: size = layout::MovingImageElement::size; break;
    default:
      return Error{"element at " + m.describeAddress(address) + " has unknown kind " + std::to_string(*kind)};
  }
  Result<RecordBytes> r = RecordBytes::read(m, address, size, "element");
  if (!r) return r.error();
  using E = layout::ElementHeader;
  ElementInfo info;
  info.address = address;
  info.kind = *kind;
  info.size = size;
  info.resourceId = r->u32(E::resourceId);
  info.x = r->i32(E::x);
  info.y = r->i32(E::y);
  info.gaugeHeader = r->u32(E::gaugeHeader);
  info.nextList = r->u32(E::nextList);
  info.failureList = r->u32(E::failureList);
  info.imageFlags = r->u32(E::imageFlags);
  info.image = r->u32(layout::ElementBody::image);
  info.bytes = r->bytes();
  if (*kind == layout::kSlider) {
    info.xAxis = axisAt(*r, layout::SliderElement::xAxis, address, false);
    info.yAxis = axisAt(*r, layout::SliderElement::yAxis, address, false);
  } else if (*kind == layout::kMovingImage) {
    info.xAxis = axisAt(*r, layout::MovingImageElement::xAxis, address, true);
    info.yAxis = axisAt(*r, layout::MovingImageElement::yAxis, address, true);
  }
  Result<std::vector<uint32_t>> next = readNextList(m, address);
  if (!next) return next.error();
  info.next = *next;
  if (info.failureList) {
    for (uint32_t i = 0;; ++i) {
      if (i == 64) return Error{"failure list at " + m.describeAddress(info.failureList) + " has no end within 64 records"};
      Result<RecordBytes> f = RecordBytes::read(m, info.failureList + i * layout::FailureRecord::size,
                                                layout::FailureRecord::size, "failure record");
      if (!f) return f.error();
      FailureInfo failure{f->u32(layout::FailureRecord::key), f->u32(layout::FailureRecord::action)};
      if (failure.key == 0) break;
      info.failures.push_back(failure);
    }
  }
  return info;
}

Result<std::vector<ElementInfo>> decodeElementChain(const machine::Machine& m, uint32_t head) {
  Result<std::vector<uint32_t>> chain = walkElementChain(m, head);
  if (!chain) return chain.error();
  std::vector<ElementInfo> elements;
  for (uint32_t address : *chain) {
    Result<ElementInfo> element = decodeElement(m, address);
    if (!element) return element.error();
    elements.push_back(std::move(*element));
  }
  return elements;
}

Result<std::vector<MouseAreaInfo>> decodeMouseAreas(const machine::Machine& m, uint32_t address) {
  using A = layout::MouseArea;
  std::vector<MouseAreaInfo> areas;
  for (uint32_t i = 0; i < kMaxMouseAreas; ++i) {
    uint32_t at = address + i * A::size;
    Result<RecordBytes> r = RecordBytes::read(m, at, A::size, "mouse area");
    if (!r) return r.error();
    MouseAreaInfo area;
    area.address = at;
    area.kind = r->u32(A::kind);
    area.x = r->i32(A::x);
    area.y = r->i32(A::y);
    area.width = r->i32(A::width);
    area.height = r->i32(A::height);
    area.cursor = r->i32(A::cursor);
    area.helpId = r->u32(A::helpId);
    area.flags = r->u32(A::flags);
    area.eventId = r->u32(A::eventId);
    area.handler = r->u32(A::handler);
    area.userData = r->u32(A::userData);
    areas.push_back(area);
    if (area.kind == layout::kEndOfList) return areas;
  }
  return Error{"mouse-area list at " + m.describeAddress(address) + " has no EndOfList within " +
               std::to_string(kMaxMouseAreas) + " records"};
}

}  // namespace gb::panel
