// The one place where untrusted bytes are read: every access is checked
// against the buffer with overflow-safe arithmetic, and a failure names the
// table being read and the offset that did not fit.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "support/result.h"

namespace gb {

class ByteReader {
 public:
  // `table` names what the bytes are ("export table", "resource 0x2000"); it
  // leads every error message.
  ByteReader(std::span<const uint8_t> bytes, std::string table)
      : bytes_(bytes), table_(std::move(table)) {}

  std::span<const uint8_t> bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }
  const std::string& table() const { return table_; }

  // True when [offset, offset + length) lies inside the buffer.
  bool contains(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  Result<uint8_t> u8(uint64_t offset, const char* field) const;
  Result<uint16_t> u16(uint64_t offset, const char* field) const;
  Result<uint32_t> u32(uint64_t offset, const char* field) const;
  Result<double> f64(uint64_t offset, const char* field) const;
  Result<std::span<const uint8_t>> span(uint64_t offset, uint64_t length,
                                        const char* field) const;
  // NUL-terminated string of at most `limit` bytes.
  Result<std::string> cString(uint64_t offset, const char* field, size_t limit = 4096) const;

  // "<table>: <field> at offset 0x.. (N bytes) outside the N-byte data"
  Error outOfRange(uint64_t offset, uint64_t length, const char* field) const;

 private:
  std::span<const uint8_t> bytes_;
  std::string table_;
};

// Little-endian decoding of bytes already known to be in range.
inline uint16_t loadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t loadU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void storeU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

}  // namespace gb
