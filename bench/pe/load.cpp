// Parsing a PE file from memory or from disk.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "pe/pe_internal.h"

namespace gb::pe {

Result<PeFile> parsePe(std::vector<uint8_t> bytes) {
  PeFile file;
  file.bytes = std::move(bytes);
  for (auto parse : {detail::parseHeaders, detail::parseRelocations, detail::parseExports,
                     detail::parseResources}) {
    if (auto status = parse(file); !status) return status.error();
  }
  return file;
}

namespace {

Result<std::vector<uint8_t>> readWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Error{"cannot open: " + std::string(std::strerror(errno))};
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      return Error{"cannot read: " + std::string(std::strerror(error))};
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  ::close(fd);
  return bytes;
}

}  // namespace

Result<PeFile> loadPeFile(const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes) return withContext(path, bytes.error());
  auto parsed = parsePe(std::move(*bytes));
  if (!parsed) return withContext(path, parsed.error());
  return parsed;
}

}  // namespace gb::pe
