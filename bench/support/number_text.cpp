#include "support/number_text.h"

#include <charconv>
#include <cmath>

namespace gb {

bool parseFiniteNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

}  // namespace gb
