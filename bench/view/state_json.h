// The session as the page reads it: JSON for a snapshot and for a click, and
// the cursor this host shows for each of the mouse list's cursor codes.
#pragma once

#include <cstdint>

#include <nlohmann/json.hpp>

#include "view/live_session.h"

namespace gb::view {

struct CursorLook {
  const char* name;  // what the host shows, in words
  const char* css;   // the browser cursor closest to it
};
CursorLook cursorLook(int32_t code);

nlohmann::json snapshotJson(const SessionSnapshot& snapshot);
nlohmann::json clickJson(const ClickReport& report);

}  // namespace gb::view
