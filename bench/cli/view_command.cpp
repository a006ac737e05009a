#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <ostream>
#include <thread>

#include "cli/commands.h"
#include "view/view_server.h"

extern char** environ;

namespace gb::cli {

namespace {

// xdg-open, when the system has it, in the background; false when it has not.
bool openInBrowser(const std::string& url) {
  const char* path = std::getenv("PATH");
  bool found = false;
  std::string dirs = path ? path : "";
  for (size_t start = 0; start <= dirs.size() && !found;) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/xdg-open";
    found = end > start && ::access(candidate.c_str(), X_OK) == 0;
    start = end + 1;
  }
  if (!found) return false;
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
  return posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) == 0;
}

}  // namespace

int runView(const ViewOptions& options, std::ostream& out, std::ostream& err) {
  // Ctrl+C and SIGTERM stop the server cleanly: the signals are blocked in
  // every thread and taken by one waiting thread.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
  // A browser that goes away mid-answer must not end the viewer.
  signal(SIGPIPE, SIG_IGN);

  int status = 0;
  {
    view::ViewServer server({.path = options.path, .port = options.port, .running = true});
    Result<int> port = server.bind();
    if (!port) {
      err << "gaugebench: " << port.error().message << "\n";
      status = 1;
    } else {
      out << "gaugebench view: " << options.path << " at " << server.url() << "  (Ctrl+C stops)" << std::endl;
      if (options.open && !openInBrowser(server.url()))
        out << "gaugebench view: no xdg-open here; open " << server.url() << " in a browser" << std::endl;

      std::atomic<bool> done{false};
      std::thread waiter([&] {
        const timespec slice{0, 200'000'000};
        while (!done) {
          if (sigtimedwait(&stopSignals, nullptr, &slice) > 0) {
            server.stop();
            return;
          }
        }
      });
      if (!server.serve()) {
        err << "gaugebench: the server stopped with an error\n";
        status = 1;
      }
      done = true;
      waiter.join();
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return status;
}

}  // namespace gb::cli
