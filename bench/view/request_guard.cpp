#include "view/request_guard.h"

#include <string_view>

namespace gb::view {

namespace {

struct Route {
  std::string_view path;
  bool post;  // otherwise GET (and HEAD)
};

constexpr Route kRoutes[] = {
    {"/", false},
    {"/view.css", false},
    {"/view.js", false},
    {"/api/state", false},
    {"/api/frame.png", false},
    {"/api/click", true},
    {"/api/click-area", true},
    {"/api/variable", true},
    {"/api/model", true},
    {"/api/run", true},
    {"/api/step", true},
    {"/api/reset", true},
};

const Route* findRoute(const std::string& path) {
  for (const Route& route : kRoutes)
    if (route.path == path) return &route;
  return nullptr;
}

// "application/json" or "application/json; charset=utf-8".
bool isJson(const std::string& contentType) {
  std::string_view type(contentType);
  type = type.substr(0, type.find(';'));
  while (!type.empty() && type.back() == ' ') type.remove_suffix(1);
  return type == "application/json";
}

// Header values are echoed in messages; keep them short and printable.
std::string quoted(const std::string& value) {
  std::string out = "'";
  for (char c : value.substr(0, 80)) out += (c >= 0x20 && c < 0x7f) ? c : '?';
  if (value.size() > 80) out += "...";
  return out + "'";
}

}  // namespace

RequestGuard::RequestGuard(std::string address, int port)
    : host_(address + ":" + std::to_string(port)), origin_("http://" + host_) {}

std::optional<Refusal> RequestGuard::check(const httplib::Request& request) const {
  const size_t hosts = request.get_header_value_count("Host");
  if (hosts == 0) return Refusal{400, "the request has no Host header; this viewer answers requests for " + host_};
  if (hosts > 1) return Refusal{400, "the request has more than one Host header"};
  const std::string host = request.get_header_value("Host");
  if (host != host_)
    return Refusal{403, "Host " + quoted(host) + " is not this viewer's address; open http://" + host_ + "/"};
  if (request.get_header_value_count("Origin") > 0 && request.get_header_value("Origin") != origin_)
    return Refusal{403, "requests from " + quoted(request.get_header_value("Origin")) +
                            " are refused; only pages served by this viewer (" + origin_ + ") may use it"};

  const Route* route = findRoute(request.path);
  if (!route) return Refusal{404, "no such page: " + quoted(request.path)};
  const bool get = request.method == "GET" || request.method == "HEAD";
  const bool post = request.method == "POST";
  if (route->post ? !post : !get)
    return Refusal{405, request.method + " is not allowed on " + request.path + "; use " + (route->post ? "POST" : "GET"),
                   route->post ? "POST" : "GET, HEAD"};

  if (request.has_header("Content-Length")) {
    const std::string length = request.get_header_value("Content-Length");
    if (length.empty() || length.size() > 12 || length.find_first_not_of("0123456789") != std::string::npos)
      return Refusal{400, "Content-Length " + quoted(length) + " is not a number"};
    if (std::stoull(length) > kMaxBodyBytes)
      return Refusal{413, "the body is " + length + " bytes; requests here take at most " +
                              std::to_string(kMaxBodyBytes)};
  }
  if (get && request.has_header("Transfer-Encoding"))
    return Refusal{400, "a GET request carries no body"};
  if (post && !isJson(request.get_header_value("Content-Type")))
    return Refusal{415, "POST bodies must be JSON (Content-Type: application/json), not " +
                            quoted(request.get_header_value("Content-Type"))};
  return std::nullopt;
}

}  // namespace gb::view
