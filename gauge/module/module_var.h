// ModuleVar: the binding of one host variable. The module sets only `token`
// and reads only `value`; the host fills the rest.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "record_layout.h"

namespace quandel {

#pragma pack(push, 4)
struct ModuleVar {
  uint32_t token;
  uint32_t varPointer;
  uint32_t type;
  double value;  // on a 4-byte boundary: offset 12, not 16
  uint8_t oldValue[8];
};
#pragma pack(pop)

static_assert(sizeof(ModuleVar) == layout::ModuleVar::size);
static_assert(offsetof(ModuleVar, token) == layout::ModuleVar::token);
static_assert(offsetof(ModuleVar, varPointer) == layout::ModuleVar::varPointer);
static_assert(offsetof(ModuleVar, type) == layout::ModuleVar::type);
static_assert(offsetof(ModuleVar, value) == layout::ModuleVar::value);
static_assert(offsetof(ModuleVar, oldValue) == layout::ModuleVar::oldValue);

// A value callback: takes the axis's ModuleVar, returns the axis value.
using ValueCallback = double(__stdcall*)(const ModuleVar* variable);

}  // namespace quandel
