// The library entry and the two module hooks. Nothing to set up: every
// record is initialised at build time.
#include <stdint.h>

#include "module/linkage.h"

extern "C" int __stdcall DllEntry(void* /*module*/, uint32_t /*reason*/, void* /*reserved*/) {
  return 1;
}

namespace quandel {

void __stdcall ModuleInit() {}
void __stdcall ModuleDeinit() {}

}  // namespace quandel
