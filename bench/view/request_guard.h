// What every request must pass before it reaches the gauge: a known path and
// method, the Host header naming the loopback address the viewer listens on
// (so no other site's page can reach it through a name that resolves here),
// an Origin, when a browser sends one, of the viewer itself, JSON bodies on
// posts, and a small body. Refusals carry a status and one line saying why.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <httplib.h>

namespace gb::view {

inline constexpr size_t kMaxBodyBytes = 4096;

struct Refusal {
  int status = 400;
  std::string message;
  std::string allow;  // for 405: the methods the path takes
};

class RequestGuard {
 public:
  RequestGuard(std::string address, int port);

  std::optional<Refusal> check(const httplib::Request& request) const;
  // "127.0.0.1:8357", what the Host header must say.
  const std::string& expectedHost() const { return host_; }
  const std::string& expectedOrigin() const { return origin_; }

 private:
  std::string host_;
  std::string origin_;
};

}  // namespace gb::view
