// What the hot-reload watcher compares: a file's modification time, size and
// inode. A rebuild changes at least one of them.
#pragma once

#include <cstdint>
#include <string>

namespace gb::view {

struct FileStamp {
  bool exists = false;
  int64_t modifiedNs = 0;
  uint64_t size = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of `path` now; `exists` is false when it cannot be read.
FileStamp stampOf(const std::string& path);

// Decides when a changed file is ready to load: the new stamp must hold
// for two looks in a row, so a file still being written is not loaded half
// done.
class ReloadWatch {
 public:
  // The stamp of the file that was (or failed to be) loaded.
  void loaded(const FileStamp& stamp) {
    current_ = stamp;
    pending_ = stamp;
  }
  // True when the file has changed and stayed the same since the last look.
  bool shouldReload(const FileStamp& now);

 private:
  FileStamp current_;
  FileStamp pending_;
};

}  // namespace gb::view
