// The scenario-script parser on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "panel/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto scenario = gb::panel::parseScenario(text, "fuzz.txt");
  if (scenario)
    for (const auto& step : scenario->steps) (void)step.text.size();
  return 0;
}
