#include "panel/service_log.h"

#include "support/result.h"

namespace gb::panel {

std::string formatServiceCall(const ServiceCall& call) {
  std::string text = call.service + "(";
  for (size_t i = 0; i < call.args.size(); ++i) {
    if (i) text += ", ";
    text += hex(call.args[i]);
  }
  return text + ")";
}

}  // namespace gb::panel
