// Linkage, ImportTable, the gauge header and its name.
#include "module/linkage.h"

#include "host/panel_services.h"
#include "picture/element_records.h"

namespace quandel {

constinit char GaugeName[] = "Marvik Talmerend  by Y Pellam";

constinit GaugeHeaderRecord GaugeHeader = {
    .formatNumber = layout::kGaugeHeaderFormat,
    .name = GaugeName,
    .elementList = &ElementListHead,
    .query = GaugeQuery,
    .install = GaugeInstall,
    .initialize = GaugeInitialize,
    .update = GaugeUpdate,
    .generate = GaugeGenerate,
    .draw = GaugeDraw,
    .kill = GaugeKill,
    // Values the host expects in its own fields: 0, 100, then zeros.
    .hostFields = {0, 100, 0, 0, 0},
};

}  // namespace quandel

constinit quandel::LinkageRecord Linkage = {
    .linkageId = quandel::layout::kLinkageId,
    .initHook = quandel::ModuleInit,
    .deinitHook = quandel::ModuleDeinit,
    .reserved = {},
    .gaugeHeaders = {&quandel::GaugeHeader, nullptr},
};

// The host stores the address of its service table into the first entry.
constinit quandel::ImportTableRecord ImportTable = {{
    {quandel::layout::kPanelServicesImportId, nullptr},
    {0, nullptr},
}};
