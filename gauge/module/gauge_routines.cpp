// The seven gauge routines: each hands the module's records to the host's
// services in a fixed order. No results are read, nothing is checked.
#include <stdint.h>

#include "host/panel_services.h"
#include "lever/arm_flag.h"
#include "lever/mouse_areas.h"
#include "module/linkage.h"
#include "picture/element_records.h"

namespace quandel {

void __stdcall GaugeQuery() {
  // The host may reach the head through the header, so go the same way.
  panelServices()->elementListQuery(*GaugeHeader.elementList);
}

void __stdcall GaugeInstall(uint32_t installArgument) {
  panelServices()->elementListInstall(ElementListHead, installArgument);
  panelServices()->initializeVar(&ArmFlagVar);
  // The host filled `image` during the element-list install; the mouse list
  // takes its extent from the picture record, 4 bytes in.
  // Integer arithmetic: the host may have left `image` null.
  void* pictureReference =
      reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(BackgroundElement.image) + 4);
  panelServices()->mouseListInstall(LeverMouseAreas, &GaugeHeader, pictureReference);
  panelServices()->mouseListRegister(LeverMouseAreas, &GaugeHeader);
}

void __stdcall GaugeInitialize() { panelServices()->elementListInitialize(ElementListHead); }

void __stdcall GaugeUpdate() {
  panelServices()->elementListUpdate(ElementListHead);
  panelServices()->lookupVar(&ArmFlagVar);
}

void __stdcall GaugeGenerate(uint32_t generateArgument) {
  panelServices()->elementListGenerate(ElementListHead, generateArgument);
}

void __stdcall GaugeDraw() { panelServices()->elementListDraw(ElementListHead); }

void __stdcall GaugeKill() {
  panelServices()->mouseListUnregister(LeverMouseAreas, &GaugeHeader);
  panelServices()->elementListKill(ElementListHead);
}

}  // namespace quandel
