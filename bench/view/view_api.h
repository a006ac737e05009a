// The viewer's HTTP interface: the page and its assets, the session's state
// as JSON, the frame as PNG, and the actions (click, variables, the lever
// model, run/pause, step, reset). Every answer that is not a success is JSON
// {"status", "error"} with one line saying why.
#pragma once

#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "view/live_session.h"
#include "view/request_guard.h"

namespace gb::view {

void installRoutes(httplib::Server& server, LiveSession& session);
// Guards every request, and turns errors and exceptions into JSON answers.
void installGuards(httplib::Server& server, const RequestGuard& guard);

void sendError(httplib::Response& response, int status, const std::string& message);

}  // namespace gb::view
