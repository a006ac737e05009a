// "TOKEN=VALUE" settings of host variables from the command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/result.h"

namespace gb::cli {

struct VariableSetting {
  uint32_t token = 0;
  double value = 0.0;
};

// Parses a whole decimal token, '=', and a finite decimal number.
Result<VariableSetting> parseVariableSetting(const std::string& text);

bool parseToken(const std::string& text, uint32_t& token);

}  // namespace gb::cli
