// gaugebench view's server, in this process on a free port: what it refuses
// (a table of malformed and unwelcome requests, each with its status and
// reason), what a click does through it, and how it reloads a module whose
// file changes, keeping the variables, and shows a module that cannot load.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "panel/panel_session.h"
#include "pe/pe_file.h"
#include "view/file_stamp.h"
#include "view/view_server.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Reply {
  int status = 0;
  std::string head;
  std::string body;
};

// Sends raw bytes on a fresh connection and reads the answer until the
// server closes it (every request here asks to close).
Reply rawRequest(int port, const std::string& bytes) {
  Reply reply;
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return reply;
  timeval timeout{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return reply;
  }
  for (size_t sent = 0; sent < bytes.size();) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += size_t(n);
  }
  // Until the body is whole: after some errors the library keeps the
  // connection open a while, though the request asked to close it.
  auto complete = [](const std::string& text) {
    size_t split = text.find("\r\n\r\n");
    if (split == std::string::npos) return false;
    size_t length = text.find("Content-Length: ");
    if (length == std::string::npos || length > split) return false;
    return text.size() - split - 4 >= std::stoul(text.substr(length + 16));
  };
  std::string text;
  char buffer[4096];
  for (ssize_t n; !complete(text) && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) text.append(buffer, size_t(n));
  ::close(fd);
  size_t split = text.find("\r\n\r\n");
  reply.head = text.substr(0, split);
  reply.body = split == std::string::npos ? "" : text.substr(split + 4);
  if (text.rfind("HTTP/1.1 ", 0) == 0) reply.status = std::stoi(text.substr(9, 3));
  return reply;
}

class ViewServerTest : public ::testing::Test {
 protected:
  void startOn(const std::string& path) {
    server_ = std::make_unique<gb::view::ViewServer>(gb::view::ViewServerOptions{.path = path, .port = 0});
    gb::Result<int> port = server_->bind();
    ASSERT_TRUE(port) << port.error().message;
    port_ = *port;
    thread_ = std::thread([this] { server_->serve(); });
  }
  void TearDown() override {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
  }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

  Reply get(const std::string& target) {
    return rawRequest(port_, "GET " + target + " HTTP/1.1\r\nHost: " + host() + "\r\nConnection: close\r\n\r\n");
  }
  Reply post(const std::string& target, const std::string& body) {
    return rawRequest(port_, "POST " + target + " HTTP/1.1\r\nHost: " + host() +
                                 "\r\nContent-Type: application/json\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  }
  json state() {
    Reply reply = get("/api/state");
    EXPECT_EQ(reply.status, 200) << reply.body;
    return json::parse(reply.body, nullptr, false);
  }
  // Polls the state until `ready` holds, for at most five seconds.
  json waitFor(const std::function<bool(const json&)>& ready) {
    json s;
    for (int i = 0; i < 100; ++i) {
      s = state();
      if (!s.is_discarded() && ready(s)) return s;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "state never got there; last: " << s.dump().substr(0, 400);
    return s;
  }

  std::unique_ptr<gb::view::ViewServer> server_;
  std::thread thread_;
  int port_ = 0;
};

struct BadRequest {
  const char* name;
  std::function<std::string(const std::string& host)> bytes;
  int status;
  const char* reason;  // a part of the JSON error message
};

std::string postWith(const std::string& host, const std::string& target, const std::string& body,
                     const std::string& extraHeaders = "", const std::string& type = "application/json") {
  return "POST " + target + " HTTP/1.1\r\nHost: " + host + "\r\nContent-Type: " + type + "\r\n" + extraHeaders +
         "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}
std::string getWith(const std::string& host, const std::string& target, const std::string& extraHeaders = "") {
  return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + extraHeaders + "Connection: close\r\n\r\n";
}

const BadRequest kBadRequests[] = {
    {"another site's name", [](auto&) { return getWith("evil.example:80", "/"); }, 403, "is not this viewer's address"},
    {"localhost instead of the address", [](auto& h) { return getWith("localhost:" + h.substr(h.find(':') + 1), "/"); }, 403, "open http://127.0.0.1:"},
    {"no Host header", [](auto&) { return std::string("GET / HTTP/1.0\r\n\r\n"); }, 400, "no Host header"},
    {"two Host headers", [](auto& h) { return "GET / HTTP/1.1\r\nHost: " + h + "\r\nHost: " + h + "\r\nConnection: close\r\n\r\n"; }, 400, "more than one Host"},
    {"a post from another site's page", [](auto& h) { return postWith(h, "/api/click", R"({"x":1,"y":1})", "Origin: http://evil.example\r\n"); }, 403, "only pages served by this viewer"},
    {"an unknown page", [](auto& h) { return getWith(h, "/etc/passwd"); }, 404, "no such page"},
    {"DELETE on an action", [](auto& h) { return "DELETE /api/click HTTP/1.1\r\nHost: " + h + "\r\nConnection: close\r\n\r\n"; }, 405, "use POST"},
    {"GET on an action", [](auto& h) { return getWith(h, "/api/reset"); }, 405, "use POST"},
    {"POST on the page", [](auto& h) { return postWith(h, "/", "{}"); }, 405, "use GET"},
    {"a form post", [](auto& h) { return postWith(h, "/api/click", "x=1&y=1", "", "application/x-www-form-urlencoded"); }, 415, "must be JSON"},
    {"a body over the limit", [](auto& h) { return postWith(h, "/api/click", std::string(5000, ' ')); }, 413, "at most 4096"},
    {"a Content-Length that is no number", [](auto& h) { return "POST /api/step HTTP/1.1\r\nHost: " + h + "\r\nContent-Type: application/json\r\nContent-Length: 1x\r\nConnection: close\r\n\r\n{}"; }, 400, "is not a number"},
    {"a body that is not JSON", [](auto& h) { return postWith(h, "/api/click", "{x: 1"); }, 400, "not valid JSON"},
    {"a JSON array", [](auto& h) { return postWith(h, "/api/click", "[1, 2]"); }, 400, "must be a JSON object"},
    {"an unknown field", [](auto& h) { return postWith(h, "/api/click", R"({"x":1,"y":1,"z":1})"); }, 400, "unknown field 'z'"},
    {"a missing field", [](auto& h) { return postWith(h, "/api/click", R"({"x":1})"); }, 400, "field 'y' is missing"},
    {"a fractional pixel", [](auto& h) { return postWith(h, "/api/click", R"({"x":1.5,"y":1})"); }, 400, "'x' must be a whole number"},
    {"a pixel far off", [](auto& h) { return postWith(h, "/api/click", R"({"x":1,"y":99999999999999999999})"); }, 400, "field 'y'"},
    {"a string for a number", [](auto& h) { return postWith(h, "/api/click-area", R"({"index":"2"})"); }, 400, "'index' must be a whole number"},
    {"a variable the bench does not model", [](auto& h) { return postWith(h, "/api/variable", R"({"token":999,"value":1})"); }, 400, "not one the bench models"},
    {"a variable value out of range", [](auto& h) { return postWith(h, "/api/variable", R"({"token":318,"value":1e300})"); }, 400, "'value' must lie from"},
    {"a negative travel rate", [](auto& h) { return postWith(h, "/api/model", R"({"rate":-1})"); }, 400, "'rate' must lie from 0"},
    {"a model change with nothing in it", [](auto& h) { return postWith(h, "/api/model", "{}"); }, 400, "give 'rate'"},
    {"run with a word", [](auto& h) { return postWith(h, "/api/run", R"({"running":"yes"})"); }, 400, "true or false"},
    {"step with a field", [](auto& h) { return postWith(h, "/api/step", R"({"frames":3})"); }, 400, "takes none"},
    {"an area the list does not have", [](auto& h) { return postWith(h, "/api/click-area", R"({"index":7})"); }, 409, "no clickable area 7"},
    {"a negative log position", [](auto& h) { return getWith(h, "/api/state?since=-1"); }, 400, "'since' must be a whole number"},
    {"a log position in words", [](auto& h) { return getWith(h, "/api/state?since=ten"); }, 400, "'since'"},
    {"an unknown query parameter", [](auto& h) { return getWith(h, "/api/state?debug=1"); }, 400, "unknown query parameter 'debug'"},
    {"a parameter given twice", [](auto& h) { return getWith(h, "/api/state?since=1&since=2"); }, 400, "more than once"},
    {"a zoom past 8", [](auto& h) { return getWith(h, "/api/frame.png?scale=9"); }, 400, "'scale'"},
    {"a request line that is no request", [](auto&) { return std::string("HELLO THERE\r\n\r\n"); }, 400, "bad request"},
    {"an address over 8 KiB", [](auto& h) { return getWith(h, "/api/state?since=" + std::string(9000, '1')); }, 414, "too long"},
};

TEST_F(ViewServerTest, RefusesBadRequestsWithAStatusAndAReason) {
  startOn(QUANDEL_GAU_PATH);
  for (const BadRequest& bad : kBadRequests) {
    SCOPED_TRACE(bad.name);
    Reply reply = rawRequest(port_, bad.bytes(host()));
    EXPECT_EQ(reply.status, bad.status) << reply.head << "\n" << reply.body;
    json body = json::parse(reply.body, nullptr, false);
    ASSERT_FALSE(body.is_discarded()) << "not JSON: " << reply.body;
    EXPECT_EQ(body.value("status", 0), bad.status);
    EXPECT_NE(body.value("error", "").find(bad.reason), std::string::npos) << body.dump();
    if (bad.status == 405) EXPECT_NE(reply.head.find("Allow: "), std::string::npos);
  }
  // None of it hurt the viewer or the gauge.
  EXPECT_EQ(get("/").status, 200);
  json s = state();
  EXPECT_EQ(s["error"], "");
  EXPECT_EQ(s["clicks"], 0);
}

TEST_F(ViewServerTest, ServesThePageAndAFrameWithoutReachingElsewhere) {
  startOn(QUANDEL_GAU_PATH);
  Reply page = get("/");
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.head.find("Content-Security-Policy: default-src 'none'"), std::string::npos);
  EXPECT_EQ(page.body.find("http"), std::string::npos) << "the page names an address elsewhere";
  Reply png = get("/api/frame.png?scale=2&areas=1");
  ASSERT_EQ(png.status, 200);
  EXPECT_NE(png.head.find("Content-Type: image/png"), std::string::npos);
  ASSERT_GT(png.body.size(), 24u);
  EXPECT_EQ(png.body.substr(1, 3), "PNG");
  // Width and height in the IHDR chunk: the gauge's 74 x 178, doubled.
  auto be32 = [&](size_t at) {
    return uint32_t(uint8_t(png.body[at])) << 24 | uint32_t(uint8_t(png.body[at + 1])) << 16 |
           uint32_t(uint8_t(png.body[at + 2])) << 8 | uint32_t(uint8_t(png.body[at + 3]));
  };
  EXPECT_EQ(be32(16), 148u);
  EXPECT_EQ(be32(20), 356u);
}

TEST_F(ViewServerTest, AClickOnTheMiddleAreaStepsTheLever) {
  startOn(QUANDEL_GAU_PATH);
  ASSERT_EQ(post("/api/model", R"({"rate":0})").status, 200);
  Reply click = post("/api/click", R"({"x":10,"y":100})");
  ASSERT_EQ(click.status, 200) << click.body;
  json outcome = json::parse(click.body);
  EXPECT_EQ(outcome["hit"], true);
  EXPECT_EQ(outcome["area"], 2);
  ASSERT_EQ(outcome["events"].size(), 1u);
  EXPECT_EQ(outcome["events"][0]["name"], "SpeedBrakeSetEvent");
  EXPECT_EQ(outcome["events"][0]["value"], 4096);
  json s = waitFor([](const json& s) { return s["variables"]["326"] == 4096.0; });
  EXPECT_EQ(s["model"]["target"], 4096.0);
  EXPECT_EQ(s["keyEvents"], 1);
  std::string log;
  const json lines = state()["log"];
  for (const json& line : lines) log += line["text"].get<std::string>() + "\n";
  EXPECT_NE(log.find("key event SpeedBrakeSetEvent 4096"), std::string::npos) << log;
  EXPECT_NE(log.find("var 326: 0 -> 4096"), std::string::npos) << log;

  // A dead row between two areas reaches no handler.
  json miss = json::parse(post("/api/click", R"({"x":10,"y":85})").body);
  EXPECT_EQ(miss["hit"], false);
  EXPECT_TRUE(miss["events"].empty());
}

TEST_F(ViewServerTest, ReloadsTheModuleWhenItsFileChangesKeepingTheVariables) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("view-reload-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path module = dir / "quandel.gau";
  fs::copy_file(QUANDEL_GAU_PATH, module, fs::copy_options::overwrite_existing);
  startOn(module.string());
  ASSERT_EQ(post("/api/variable", R"({"token":318,"value":5000})").status, 200);
  ASSERT_EQ(post("/api/variable", R"({"token":324,"value":1})").status, 200);

  // A file that is no module: the error takes the gauge's place, and the server goes on.
  { std::ofstream(module, std::ios::binary | std::ios::trunc) << "not a module at all"; }
  json broken = waitFor([](const json& s) { return s["loadCount"] == 2; });
  EXPECT_EQ(broken["loaded"], false);
  EXPECT_NE(broken["error"].get<std::string>().find("quandel.gau"), std::string::npos) << broken["error"];
  Reply refused = post("/api/click", R"({"x":10,"y":100})");
  EXPECT_EQ(refused.status, 409);
  EXPECT_NE(refused.body.find("quandel.gau"), std::string::npos) << refused.body;

  // The module back: loaded again with the variables as they were.
  fs::copy_file(QUANDEL_GAU_PATH, module, fs::copy_options::overwrite_existing);
  json back = waitFor([](const json& s) { return s["loadCount"] == 3; });
  EXPECT_EQ(back["error"], "");
  EXPECT_EQ(back["loaded"], true);
  EXPECT_EQ(back["variables"]["318"], 5000.0);
  EXPECT_EQ(back["variables"]["324"], 1.0);
  EXPECT_EQ(post("/api/click", R"({"x":10,"y":100})").status, 200);

  // Reset: a fresh load with every variable at rest.
  ASSERT_EQ(post("/api/reset", "{}").status, 200);
  json fresh = state();
  EXPECT_EQ(fresh["variables"]["318"], 0.0);
  EXPECT_EQ(fresh["variables"]["324"], 0.0);
  fs::remove_all(dir);
}

// A copy of the module whose middle-area handler starts with an invalid
// instruction (ud2), so a click there faults inside the emulated module.
void writeModuleWithFaultingHandler(const fs::path& to) {
  auto session = gb::panel::PanelSession::open(QUANDEL_GAU_PATH, {});
  ASSERT_TRUE(session) << session.error().message;
  ASSERT_TRUE((*session)->start());
  auto layout = (*session)->mouseLayout();
  ASSERT_TRUE(layout) << layout.error().message;
  ASSERT_GE(layout->children.size(), 2u);
  const uint32_t rva = layout->children[1].record.handler - (*session)->host().machine().moduleBase();
  auto file = gb::pe::loadPeFile(QUANDEL_GAU_PATH);
  ASSERT_TRUE(file) << file.error().message;
  std::optional<uint32_t> offset;
  for (const gb::pe::Section& section : file->sections)
    if (rva >= section.virtualAddress && rva + 2 <= section.virtualAddress + section.rawSize)
      offset = section.rawOffset + (rva - section.virtualAddress);
  ASSERT_TRUE(offset) << "handler at rva " << rva << " is in no section's file bytes";
  fs::copy_file(QUANDEL_GAU_PATH, to, fs::copy_options::overwrite_existing);
  std::fstream patch(to, std::ios::in | std::ios::out | std::ios::binary);
  patch.seekp(*offset);
  patch.write("\x0f\x0b", 2);
}

TEST_F(ViewServerTest, AModuleThatFaultsShowsTheFaultAndTheServerGoesOn) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("view-fault-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path module = dir / "quandel.gau";
  ASSERT_NO_FATAL_FAILURE(writeModuleWithFaultingHandler(module));
  startOn(module.string());

  Reply click = post("/api/click", R"({"x":10,"y":100})");
  ASSERT_EQ(click.status, 200) << click.body;
  json outcome = json::parse(click.body);
  ASSERT_TRUE(outcome.contains("fault")) << click.body;
  EXPECT_NE(outcome["fault"].get<std::string>().find("mouse handler"), std::string::npos) << outcome["fault"];
  json s = state();
  EXPECT_EQ(s["error"], outcome["fault"]);
  EXPECT_EQ(post("/api/click", R"({"x":10,"y":10})").status, 409);
  EXPECT_EQ(post("/api/step", "{}").status, 409);
  EXPECT_EQ(get("/").status, 200);

  // A good module in its place runs again.
  fs::copy_file(QUANDEL_GAU_PATH, module, fs::copy_options::overwrite_existing);
  json back = waitFor([](const json& s) { return s["loadCount"] == 2; });
  EXPECT_EQ(back["error"], "");
  EXPECT_EQ(post("/api/click", R"({"x":10,"y":100})").status, 200);
  fs::remove_all(dir);
}

TEST(ReloadWatch, LoadsAChangedFileOnlyOnceItHoldsStill) {
  using gb::view::FileStamp;
  gb::view::ReloadWatch watch;
  const FileStamp loaded{true, 100, 5000, 7};
  const FileStamp writing{true, 200, 1000, 7};
  const FileStamp written{true, 300, 6000, 7};
  watch.loaded(loaded);
  EXPECT_FALSE(watch.shouldReload(loaded));
  EXPECT_FALSE(watch.shouldReload(writing));  // changed: wait a look
  EXPECT_FALSE(watch.shouldReload(written));  // still changing
  EXPECT_TRUE(watch.shouldReload(written));   // held still
  watch.loaded(written);
  EXPECT_FALSE(watch.shouldReload(written));
  EXPECT_FALSE(watch.shouldReload(FileStamp{}));  // gone: keep what is loaded
  EXPECT_FALSE(watch.shouldReload(FileStamp{}));
  EXPECT_FALSE(watch.shouldReload(written));  // back as it was: nothing to do
}

}  // namespace
