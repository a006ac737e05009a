// Write watching: a memory-write hook limited to the module's image, added
// and removed on request. Translated code only sees hooks that existed when
// it was translated, so switching drops the image's translations.
#include <unicorn/unicorn.h>

#include "machine/machine.h"

namespace gb::machine {

Status Machine::watchImageWrites(bool on) {
  if (on == watchingImageWrites()) return Ok{};
  if (moduleSize_ == 0) return Error{"machine: no module is mapped to watch"};
  if (inCall_) return Error{"machine: write watching cannot change during a call"};
  uc_err err;
  if (on) {
    uc_hook hook = 0;
    err = uc_hook_add(
        uc_, &hook, UC_HOOK_MEM_WRITE,
        reinterpret_cast<void*>(+[](uc_engine*, uc_mem_type, uint64_t address, int size,
                                    int64_t value, void* self) {
          static_cast<Machine*>(self)->onImageWrite(address, size, value);
        }),
        this, uint64_t(moduleBase_), uint64_t(moduleBase_) + moduleSize_ - 1);
    if (err != UC_ERR_OK)
      return Error{std::string("machine: cannot watch image writes: ") + uc_strerror(err)};
    writeHook_ = hook;
  } else {
    err = uc_hook_del(uc_, writeHook_);
    if (err != UC_ERR_OK)
      return Error{std::string("machine: cannot stop watching image writes: ") + uc_strerror(err)};
    writeHook_ = 0;
  }
  err = uc_ctl_remove_cache(uc_, uint64_t(moduleBase_), uint64_t(moduleBase_) + moduleSize_);
  if (err != UC_ERR_OK)
    return Error{std::string("machine: cannot drop the image's translations: ") + uc_strerror(err)};
  return Ok{};
}

void Machine::onImageWrite(uint64_t address, int size, int64_t value) {
  // Only module code runs during a call and can store into the image: the
  // code hook over the image has just named the storing instruction.
  if (imageWrites_.size() >= kMaxImageWrites) {
    ++droppedImageWrites_;
    return;
  }
  uint64_t bytes = size >= 8 ? uint64_t(value) : uint64_t(value) & ((uint64_t(1) << (8 * size)) - 1);
  imageWrites_.push_back(ImageWrite{uint32_t(address), uint32_t(size), bytes, lastModuleInstruction_});
}

void Machine::clearImageWrites() {
  imageWrites_.clear();
  droppedImageWrites_ = 0;
}

}  // namespace gb::machine
