#include "view/view_server.h"

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "view/live_session.h"
#include "view/request_guard.h"
#include "view/view_api.h"

namespace gb::view {

namespace {
// Each open connection holds a thread while it is kept alive, so there are
// threads for a few browsers' parallel connections and tools at once, and
// idle connections are let go after a short while.
constexpr size_t kServerThreads = 48;
constexpr time_t kKeepAliveSeconds = 2;
}  // namespace

struct ViewServer::Parts {
  ViewServerOptions options;
  LiveSession session;
  httplib::Server server;
  std::unique_ptr<RequestGuard> guard;
  int port = 0;
  std::atomic<bool> serving{false};
  std::atomic<bool> stopRequested{false};

  explicit Parts(ViewServerOptions o)
      : options(std::move(o)), session(LiveSession::Options{.path = options.path, .running = options.running}) {}
};

ViewServer::ViewServer(ViewServerOptions options) : parts_(std::make_unique<Parts>(std::move(options))) {}

ViewServer::~ViewServer() { stop(); }

Result<int> ViewServer::bind() {
  Parts& p = *parts_;
  const int requested = p.options.port;
  if (requested < 0 || requested > 65535) return Error{"port " + std::to_string(requested) + " is not a TCP port"};
  p.server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  p.server.set_payload_max_length(kMaxBodyBytes);
  p.server.set_keep_alive_timeout(kKeepAliveSeconds);
  p.server.set_read_timeout(5, 0);
  p.server.set_write_timeout(5, 0);
  p.server.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "no-referrer"}});
  int port = requested;
  if (requested == 0) {
    port = p.server.bind_to_any_port(kLoopback);
    if (port < 0) return Error{std::string("cannot listen on ") + kLoopback + ": " + std::strerror(errno)};
  } else if (!p.server.bind_to_port(kLoopback, requested)) {
    return Error{std::string("cannot listen on ") + kLoopback + ":" + std::to_string(requested) +
                 " (in use? try --port 0 for any free port)"};
  }
  p.port = port;
  p.guard = std::make_unique<RequestGuard>(kLoopback, port);
  installGuards(p.server, *p.guard);
  installRoutes(p.server, p.session);
  return port;
}

bool ViewServer::serve() {
  Parts& p = *parts_;
  p.serving = true;
  if (p.stopRequested) {
    p.serving = false;
    return true;
  }
  const bool ok = p.server.listen_after_bind();
  p.serving = false;
  return ok;
}

void ViewServer::stop() {
  Parts& p = *parts_;
  p.stopRequested = true;
  // A stop that comes while serve() is still starting waits for it to listen,
  // since the library can only stop a running server.
  for (int i = 0; i < 2000 && p.serving && !p.server.is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  p.server.stop();
}

std::string ViewServer::url() const {
  return "http://" + std::string(kLoopback) + ":" + std::to_string(parts_->port) + "/";
}

}  // namespace gb::view
