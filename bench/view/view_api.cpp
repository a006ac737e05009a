#include "view/view_api.h"

#include <exception>

#include "record_layout.h"
#include "view/frame_image.h"
#include "view/page_assets.h"
#include "view/request_body.h"
#include "view/state_json.h"

namespace gb::view {

using nlohmann::json;
namespace layout = quandel::layout;

namespace {

constexpr const char* kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "frame-ancestors 'none'; base-uri 'none'; form-action 'none'";

void sendJson(httplib::Response& response, const json& body, int status = 200) {
  response.status = status;
  // Replacement characters keep the answer valid whatever a module names.
  response.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void sendOk(httplib::Response& response) { sendJson(response, {{"ok", true}}); }

void sendAsset(httplib::Response& response, std::string_view content, const char* type) {
  response.set_header("Content-Security-Policy", kPagePolicy);
  response.set_content(std::string(content), type);
}

// A request's JSON fields, or the 400 already sent.
template <class T>
bool take(Result<T> result, T& out, httplib::Response& response) {
  if (!result) {
    sendError(response, 400, result.error().message);
    return false;
  }
  out = std::move(*result);
  return true;
}

panel::MouseLayout layoutOf(const SessionSnapshot& s) {
  panel::MouseLayout layout;
  if (s.parent) layout.parent = *s.parent;
  for (const AreaView& a : s.areas) layout.children.push_back({a.index, a.record, a.box});
  return layout;
}

std::string frameKey(const SessionSnapshot& s, bool overflow) {
  return std::to_string(s.loadCount) + "-" + std::to_string(s.frameCount) + (overflow ? "o" : "c");
}

bool modelledVariable(int64_t token) {
  return token == layout::kStripScrollVariable || token == layout::kArmFlagVariable ||
         token == layout::kLeverPositionVariable;
}

const char* statusText(int status) {
  switch (status) {
    case 400: return "bad request";
    case 404: return "no such page";
    case 405: return "method not allowed";
    case 408: return "the request took too long to arrive";
    case 413: return "the request is too large";
    case 414: return "the request's address is too long";
    case 415: return "unsupported body type";
    case 416: return "unsatisfiable range";
    default: return status >= 500 ? "internal error" : "the request was refused";
  }
}

}  // namespace

void sendError(httplib::Response& response, int status, const std::string& message) {
  sendJson(response, {{"status", status}, {"error", message}}, status);
}

void installGuards(httplib::Server& server, const RequestGuard& guard) {
  server.set_pre_routing_handler([&guard](const httplib::Request& request, httplib::Response& response) {
    std::optional<Refusal> refusal = guard.check(request);
    if (!refusal) return httplib::Server::HandlerResponse::Unhandled;
    sendError(response, refusal->status, refusal->message);
    if (!refusal->allow.empty()) response.set_header("Allow", refusal->allow);
    // A refused body is never read; the connection cannot carry another request.
    response.set_header("Connection", "close");
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
    // Errors the library finds itself (a request it cannot parse, a body over
    // the limit) come without a body; ours already carry one.
    if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    sendError(response, response.status, statusText(response.status));
    return httplib::Server::HandlerResponse::Handled;
  }));
  server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
    std::string what = "unknown exception";
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
    sendError(response, 500, "internal error: " + what);
  });
}

void installRoutes(httplib::Server& server, LiveSession& session) {
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    sendAsset(response, kPageHtml, "text/html; charset=utf-8");
  });
  server.Get("/view.css", [](const httplib::Request&, httplib::Response& response) {
    sendAsset(response, kPageCss, "text/css; charset=utf-8");
  });
  server.Get("/view.js", [](const httplib::Request&, httplib::Response& response) {
    sendAsset(response, kPageScript, "text/javascript; charset=utf-8");
  });

  server.Get("/api/state", [&session](const httplib::Request& request, httplib::Response& response) {
    if (Status query = checkQuery(request, {"since", "have", "overflow"}); !query)
      return sendError(response, 400, query.error().message);
    int64_t since = 0, overflow = 0;
    if (!take(integerParameter(request, "since", 0, int64_t(1) << 53, 0), since, response)) return;
    if (!take(integerParameter(request, "overflow", 0, 1, 0), overflow, response)) return;
    const std::string have = request.get_param_value("have");
    if (have.size() > 64) return sendError(response, 400, "query parameter 'have' is longer than 64 characters");

    SessionSnapshot snapshot = session.snapshot(uint64_t(since));
    json body = snapshotJson(snapshot);
    const std::string key = frameKey(snapshot, overflow != 0);
    body["frameKey"] = key;
    if (snapshot.frame.width > 0) {
      Result<FrameImage> image = frameImage(snapshot.frame, {.overflow = overflow != 0});
      if (!image) return sendError(response, 500, image.error().message);
      json& frame = body["frame"];
      frame["originX"] = image->originX;
      frame["originY"] = image->originY;
      frame["imageWidth"] = image->width;
      frame["imageHeight"] = image->height;
      if (have != key) frame["image"] = "data:image/png;base64," + base64(image->png);
    }
    response.set_header("Cache-Control", "no-store");
    sendJson(response, body);
  });

  server.Get("/api/frame.png", [&session](const httplib::Request& request, httplib::Response& response) {
    if (Status query = checkQuery(request, {"overflow", "scale", "areas"}); !query)
      return sendError(response, 400, query.error().message);
    int64_t overflow = 0, scale = 1, areas = 0;
    if (!take(integerParameter(request, "overflow", 0, 1, 0), overflow, response)) return;
    if (!take(integerParameter(request, "scale", 1, 8, 1), scale, response)) return;
    if (!take(integerParameter(request, "areas", 0, 1, 0), areas, response)) return;
    SessionSnapshot snapshot = session.snapshot(UINT64_MAX, 0);
    if (!snapshot.error.empty() && snapshot.frame.width == 0) return sendError(response, 409, snapshot.error);
    const panel::MouseLayout layout = layoutOf(snapshot);
    Result<FrameImage> image =
        frameImage(snapshot.frame, {.overflow = overflow != 0, .scale = int(scale), .areas = areas ? &layout : nullptr});
    if (!image) return sendError(response, 409, image.error().message);
    response.set_header("Cache-Control", "no-store");
    response.set_content(std::move(image->png), "image/png");
  });

  auto sendClick = [](Result<ClickReport> report, httplib::Response& response) {
    if (!report) return sendError(response, 409, report.error().message);
    sendJson(response, clickJson(*report));
  };

  server.Post("/api/click", [&session, sendClick](const httplib::Request& request, httplib::Response& response) {
    json body;
    int64_t x = 0, y = 0;
    if (!take(parseObject(request.body, {"x", "y"}), body, response)) return;
    if (!take(integerField(body, "x", -4096, 4096), x, response)) return;
    if (!take(integerField(body, "y", -4096, 4096), y, response)) return;
    sendClick(session.click(int(x), int(y)), response);
  });

  server.Post("/api/click-area", [&session, sendClick](const httplib::Request& request, httplib::Response& response) {
    json body;
    int64_t index = 0;
    if (!take(parseObject(request.body, {"index"}), body, response)) return;
    if (!take(integerField(body, "index", 0, int64_t(panel::kMaxMouseAreas)), index, response)) return;
    sendClick(session.clickArea(size_t(index)), response);
  });

  server.Post("/api/variable", [&session](const httplib::Request& request, httplib::Response& response) {
    json body;
    int64_t token = 0;
    double value = 0;
    if (!take(parseObject(request.body, {"token", "value"}), body, response)) return;
    if (!take(integerField(body, "token", 0, UINT32_MAX), token, response)) return;
    if (!modelledVariable(token))
      return sendError(response, 400, "variable " + std::to_string(token) + " is not one the bench models (318, 324, 326)");
    if (!take(numberField(body, "value", -1e9, 1e9), value, response)) return;
    if (Status set = session.setVariable(uint32_t(token), value); !set) return sendError(response, 409, set.error().message);
    sendOk(response);
  });

  server.Post("/api/model", [&session](const httplib::Request& request, httplib::Response& response) {
    json body;
    std::optional<double> rate, target;
    if (!take(parseObject(request.body, {"rate", "target"}), body, response)) return;
    if (!take(optionalNumberField(body, "rate", 0, 1e7), rate, response)) return;
    if (!take(optionalNumberField(body, "target", -1e9, 1e9), target, response)) return;
    if (!rate && !target) return sendError(response, 400, "give 'rate' (units of 326 per second, 0 for instant), 'target', or both");
    if (rate)
      if (Status set = session.setRate(*rate); !set) return sendError(response, 409, set.error().message);
    if (target)
      if (Status set = session.setTarget(*target); !set) return sendError(response, 409, set.error().message);
    sendOk(response);
  });

  server.Post("/api/run", [&session](const httplib::Request& request, httplib::Response& response) {
    json body;
    bool running = true;
    if (!take(parseObject(request.body, {"running"}), body, response)) return;
    if (!take(booleanField(body, "running"), running, response)) return;
    session.setRunning(running);
    sendOk(response);
  });

  server.Post("/api/step", [&session](const httplib::Request& request, httplib::Response& response) {
    json body;
    if (!take(parseObject(request.body, {}), body, response)) return;
    if (Status stepped = session.step(); !stepped) return sendError(response, 409, stepped.error().message);
    sendOk(response);
  });

  server.Post("/api/reset", [&session](const httplib::Request& request, httplib::Response& response) {
    json body;
    if (!take(parseObject(request.body, {}), body, response)) return;
    session.reset();
    sendOk(response);
  });
}

}  // namespace gb::view
