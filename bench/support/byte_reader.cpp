#include "support/byte_reader.h"

#include <bit>
#include <cstring>

namespace gb {

Error ByteReader::outOfRange(uint64_t offset, uint64_t length, const char* field) const {
  return Error{table_ + ": " + field + " at offset " + hex(offset) + " (" + std::to_string(length) +
               " bytes) outside the " + std::to_string(bytes_.size()) + "-byte data"};
}

Result<uint8_t> ByteReader::u8(uint64_t offset, const char* field) const {
  if (!contains(offset, 1)) return outOfRange(offset, 1, field);
  return bytes_[offset];
}

Result<uint16_t> ByteReader::u16(uint64_t offset, const char* field) const {
  if (!contains(offset, 2)) return outOfRange(offset, 2, field);
  return loadU16(bytes_.data() + offset);
}

Result<uint32_t> ByteReader::u32(uint64_t offset, const char* field) const {
  if (!contains(offset, 4)) return outOfRange(offset, 4, field);
  return loadU32(bytes_.data() + offset);
}

Result<double> ByteReader::f64(uint64_t offset, const char* field) const {
  if (!contains(offset, 8)) return outOfRange(offset, 8, field);
  const uint8_t* p = bytes_.data() + offset;
  uint64_t bits = uint64_t(loadU32(p)) | (uint64_t(loadU32(p + 4)) << 32);
  return std::bit_cast<double>(bits);
}

Result<std::span<const uint8_t>> ByteReader::span(uint64_t offset, uint64_t length,
                                                  const char* field) const {
  if (!contains(offset, length)) return outOfRange(offset, length, field);
  return bytes_.subspan(offset, length);
}

Result<std::string> ByteReader::cString(uint64_t offset, const char* field, size_t limit) const {
  if (!contains(offset, 1)) return outOfRange(offset, 1, field);
  size_t available = bytes_.size() - offset;
  size_t max = available < limit ? available : limit;
  const uint8_t* start = bytes_.data() + offset;
  const void* nul = std::memchr(start, 0, max);
  if (!nul)
    return Error{table_ + ": " + field + " at offset " + hex(offset) +
                 " has no terminating NUL within " + std::to_string(max) + " bytes"};
  return std::string(reinterpret_cast<const char*>(start),
                     static_cast<const uint8_t*>(nul) - start);
}

}  // namespace gb
