#include "cli/variable_settings.h"

#include <charconv>
#include <cmath>

namespace gb::cli {

bool parseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool parseToken(const std::string& text, uint32_t& token) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), token);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

Result<VariableSetting> parseVariableSetting(const std::string& text) {
  size_t equals = text.find('=');
  if (equals == std::string::npos)
    return Error{"--set " + text + ": expected TOKEN=VALUE, for example 318=-8000"};
  VariableSetting setting;
  if (!parseToken(text.substr(0, equals), setting.token))
    return Error{"--set " + text + ": '" + text.substr(0, equals) + "' is not a variable token"};
  if (!parseNumber(text.substr(equals + 1), setting.value))
    return Error{"--set " + text + ": '" + text.substr(equals + 1) + "' is not a finite number"};
  return setting;
}

}  // namespace gb::cli
