#include "cli/variable_settings.h"

#include <charconv>

#include "support/number_text.h"

namespace gb::cli {

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
  if (!parseFiniteNumber(text.substr(equals + 1), setting.value))
    return Error{"--set " + text + ": '" + text.substr(equals + 1) + "' is not a finite number"};
  return setting;
}

}  // namespace gb::cli
