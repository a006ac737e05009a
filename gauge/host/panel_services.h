// The host's table of services as the module sees it: one function address
// at each fixed byte offset. Only the slots the module calls are named; the
// host owns the table and stores its address into ImportTable.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "record_layout.h"

namespace quandel {

struct ElementHeader;
struct GaugeHeaderRecord;
struct ModuleVar;
struct MouseArea;

struct PanelServices {
  void* unusedBefore60[24];
  void(__stdcall* elementListQuery)(ElementHeader* head);
  void(__stdcall* elementListInstall)(ElementHeader* head, uint32_t installArgument);
  void(__stdcall* elementListInitialize)(ElementHeader* head);
  void(__stdcall* elementListUpdate)(ElementHeader* head);
  void(__stdcall* elementListGenerate)(ElementHeader* head, uint32_t generateArgument);
  void(__stdcall* elementListDraw)(ElementHeader* head);
  void* unused78;
  void(__stdcall* elementListKill)(ElementHeader* head);
  void(__stdcall* mouseListInstall)(MouseArea* list, GaugeHeaderRecord* gauge, void* pictureReference);
  void(__stdcall* mouseListRegister)(MouseArea* list, GaugeHeaderRecord* gauge);
  void(__stdcall* mouseListUnregister)(MouseArea* list, GaugeHeaderRecord* gauge);
  void* unused8C;
  void(__stdcall* triggerKeyEvent)(uint32_t eventId, uint32_t value);
  void* unused94;
  void(__stdcall* initializeVar)(ModuleVar* variable);
  void* unused9C;
  void(__stdcall* lookupVar)(ModuleVar* variable);
};

static_assert(sizeof(void*) == 4, "the module is 32-bit");
static_assert(offsetof(PanelServices, elementListQuery) == layout::PanelServices::elementListQuery);
static_assert(offsetof(PanelServices, elementListInstall) == layout::PanelServices::elementListInstall);
static_assert(offsetof(PanelServices, elementListInitialize) ==
              layout::PanelServices::elementListInitialize);
static_assert(offsetof(PanelServices, elementListUpdate) == layout::PanelServices::elementListUpdate);
static_assert(offsetof(PanelServices, elementListGenerate) ==
              layout::PanelServices::elementListGenerate);
static_assert(offsetof(PanelServices, elementListDraw) == layout::PanelServices::elementListDraw);
static_assert(offsetof(PanelServices, elementListKill) == layout::PanelServices::elementListKill);
static_assert(offsetof(PanelServices, mouseListInstall) == layout::PanelServices::mouseListInstall);
static_assert(offsetof(PanelServices, mouseListRegister) == layout::PanelServices::mouseListRegister);
static_assert(offsetof(PanelServices, mouseListUnregister) ==
              layout::PanelServices::mouseListUnregister);
static_assert(offsetof(PanelServices, triggerKeyEvent) == layout::PanelServices::triggerKeyEvent);
static_assert(offsetof(PanelServices, initializeVar) == layout::PanelServices::initializeVar);
static_assert(offsetof(PanelServices, lookupVar) == layout::PanelServices::lookupVar);

}  // namespace quandel

#include "module/linkage.h"

namespace quandel {

// The table the host last stored into ImportTable; read afresh at every call.
inline PanelServices* panelServices() { return ImportTable.entries[0].tableAddress; }

}  // namespace quandel
