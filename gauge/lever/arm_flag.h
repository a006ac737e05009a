// The arm-flag binding and the callback that parks the handle at the armed
// mark while the speed brake is armed and stowed.
#pragma once

#include "module/module_var.h"

// Every record is defined in this module: reach it directly, not through an
// auto-import pointer.
#pragma GCC visibility push(hidden)

namespace quandel {

extern ModuleVar ArmFlagVar;

double __stdcall HandlePositionCallback(const ModuleVar* position);

}  // namespace quandel

#pragma GCC visibility pop
