// The module's boundary records: Linkage and ImportTable (the two exports),
// the one GaugeHeader and the gauge name.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "record_layout.h"

// Every record is defined in this module: reach it directly, not through an
// auto-import pointer.
#pragma GCC visibility push(hidden)

namespace quandel {

struct ElementHeader;
struct PanelServices;
struct GaugeHeaderRecord;

using GaugeRoutine = void(__stdcall*)();
using GaugeRoutineWithArgument = void(__stdcall*)(uint32_t argument);
using ModuleHook = void(__stdcall*)();

#pragma pack(push, 4)
struct GaugeHeaderRecord {
  uint32_t formatNumber;
  const char* name;
  ElementHeader** elementList;
  GaugeRoutine query;
  GaugeRoutineWithArgument install;
  GaugeRoutine initialize;
  GaugeRoutine update;
  GaugeRoutineWithArgument generate;
  GaugeRoutine draw;
  GaugeRoutine kill;
  uint32_t hostFields[12];
};

struct LinkageRecord {
  uint32_t linkageId;
  ModuleHook initHook;
  ModuleHook deinitHook;
  uint32_t reserved[3];
  GaugeHeaderRecord* gaugeHeaders[2];
};

struct ImportEntry {
  uint32_t importId;
  PanelServices* tableAddress;
};

struct ImportTableRecord {
  ImportEntry entries[layout::ImportTable::entryCount];
};
#pragma pack(pop)

static_assert(sizeof(GaugeHeaderRecord) == layout::GaugeHeader::size);
static_assert(offsetof(GaugeHeaderRecord, formatNumber) == layout::GaugeHeader::formatNumber);
static_assert(offsetof(GaugeHeaderRecord, name) == layout::GaugeHeader::name);
static_assert(offsetof(GaugeHeaderRecord, elementList) == layout::GaugeHeader::elementList);
static_assert(offsetof(GaugeHeaderRecord, query) == layout::GaugeHeader::query);
static_assert(offsetof(GaugeHeaderRecord, install) == layout::GaugeHeader::install);
static_assert(offsetof(GaugeHeaderRecord, initialize) == layout::GaugeHeader::initialize);
static_assert(offsetof(GaugeHeaderRecord, update) == layout::GaugeHeader::update);
static_assert(offsetof(GaugeHeaderRecord, generate) == layout::GaugeHeader::generate);
static_assert(offsetof(GaugeHeaderRecord, draw) == layout::GaugeHeader::draw);
static_assert(offsetof(GaugeHeaderRecord, kill) == layout::GaugeHeader::kill);
static_assert(offsetof(GaugeHeaderRecord, hostFields) == layout::GaugeHeader::hostFields);

static_assert(sizeof(LinkageRecord) == layout::Linkage::size);
static_assert(offsetof(LinkageRecord, linkageId) == layout::Linkage::linkageId);
static_assert(offsetof(LinkageRecord, initHook) == layout::Linkage::initHook);
static_assert(offsetof(LinkageRecord, deinitHook) == layout::Linkage::deinitHook);
static_assert(offsetof(LinkageRecord, reserved) == layout::Linkage::reserved);
static_assert(offsetof(LinkageRecord, gaugeHeaders) == layout::Linkage::gaugeHeaders);

static_assert(sizeof(ImportEntry) == layout::ImportEntry::size);
static_assert(offsetof(ImportEntry, importId) == layout::ImportEntry::importId);
static_assert(offsetof(ImportEntry, tableAddress) == layout::ImportEntry::tableAddress);
static_assert(sizeof(ImportTableRecord) == layout::ImportTable::size);

extern GaugeHeaderRecord GaugeHeader;
extern char GaugeName[];

void __stdcall ModuleInit();
void __stdcall ModuleDeinit();

void __stdcall GaugeQuery();
void __stdcall GaugeInstall(uint32_t installArgument);
void __stdcall GaugeInitialize();
void __stdcall GaugeUpdate();
void __stdcall GaugeGenerate(uint32_t generateArgument);
void __stdcall GaugeDraw();
void __stdcall GaugeKill();

}  // namespace quandel

// The two exports, under their export names.
extern "C" quandel::LinkageRecord Linkage;
extern "C" quandel::ImportTableRecord ImportTable;

#pragma GCC visibility pop
