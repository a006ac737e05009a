// The viewer's server: one live gauge session behind an HTTP server bound to
// the loopback address only.
#pragma once

#include <memory>
#include <string>

#include "support/result.h"

namespace gb::view {

inline constexpr const char* kLoopback = "127.0.0.1";
inline constexpr int kDefaultPort = 8357;

struct ViewServerOptions {
  std::string path;      // the gauge module
  int port = kDefaultPort;  // 0: any free port
  bool running = true;   // start with time running
};

class ViewServer {
 public:
  explicit ViewServer(ViewServerOptions options);
  ~ViewServer();

  // Binds 127.0.0.1 at the port and returns the port bound.
  Result<int> bind();
  // Answers requests until stop(); returns false if serving failed.
  bool serve();
  // Safe from any thread.
  void stop();
  // "http://127.0.0.1:8357/"
  std::string url() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace gb::view
