#include "view/file_stamp.h"

#include <sys/stat.h>

namespace gb::view {

FileStamp stampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  FileStamp stamp;
  stamp.exists = true;
  stamp.modifiedNs = int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
  stamp.size = uint64_t(info.st_size);
  stamp.inode = uint64_t(info.st_ino);
  return stamp;
}

bool ReloadWatch::shouldReload(const FileStamp& now) {
  // A vanished file keeps the module that is loaded; it reloads when the
  // file comes back.
  if (!now.exists || now == current_) {
    pending_ = current_;
    return false;
  }
  if (now != pending_) {
    pending_ = now;
    return false;
  }
  return true;
}

}  // namespace gb::view
