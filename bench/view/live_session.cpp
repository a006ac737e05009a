#include "view/live_session.h"

#include <stdexcept>

namespace gb::view {

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kFramePeriod = 1.0 / panel::kFrameRate;

// Whether two frames show the same picture, so an idle gauge does not make
// every page fetch a new image 18 times a second.
bool sameLook(const panel::Frame& a, const panel::Frame& b) {
  if (a.width != b.width || a.height != b.height || a.elements.size() != b.elements.size()) return false;
  for (size_t i = 0; i < a.elements.size(); ++i) {
    const panel::ElementPlacement& p = a.elements[i];
    const panel::ElementPlacement& q = b.elements[i];
    if (p.x != q.x || p.y != q.y || p.dx != q.dx || p.dy != q.dy || p.stripRow != q.stripRow ||
        p.imageFlags != q.imageFlags || p.picture != q.picture || p.window != q.window)
      return false;
  }
  return true;
}

}  // namespace

LiveSession::LiveSession(Options options) : options_(std::move(options)), running_(options_.running) {
  thread_ = std::thread([this] { threadMain(); });
}

LiveSession::~LiveSession() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

template <class F>
auto LiveSession::onGaugeThread(F work) -> decltype(work()) {
  using R = decltype(work());
  auto task = std::make_shared<std::packaged_task<R()>>(std::move(work));
  std::future<R> result = task->get_future();
  {
    std::lock_guard lock(mutex_);
    if (stopping_) throw std::runtime_error("the viewer is shutting down");
    work_.push_back([task] { (*task)(); });
  }
  wake_.notify_one();
  return result.get();
}

void LiveSession::guarded(const std::function<void()>& work) {
  // Work of the thread's own (not a request's) must not end the program:
  // what throws stops the module as a fault would.
  try {
    work();
  } catch (const std::exception& e) {
    fault(std::string("internal error: ") + e.what());
  }
}

void LiveSession::threadMain() {
  const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kFramePeriod));
  guarded([this] { load(false); });
  auto nextTick = Clock::now() + period;
  auto nextWatch = Clock::now() + options_.watchInterval;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait_until(lock, std::min(nextTick, nextWatch), [&] { return stopping_ || !work_.empty(); });
    // Work left in the queue runs even when stopping, so no caller waits forever.
    while (!work_.empty()) {
      std::function<void()> job = std::move(work_.front());
      work_.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
    if (stopping_) break;
    const auto now = Clock::now();
    lock.unlock();
    if (now >= nextTick) {
      guarded([this] { tick(); });
      nextTick += period;
      if (nextTick < now) nextTick = now + period;  // fell behind: skip, do not race to catch up
    }
    if (now >= nextWatch) {
      guarded([this] { watch(); });
      nextWatch = now + options_.watchInterval;
    }
    lock.lock();
  }
}

Status LiveSession::usable() const {
  if (!session_) return Error{error_.empty() ? "no module is loaded" : error_};
  if (!error_.empty())
    return Error{"the module stopped after a fault: " + error_ + " (reset, or rebuild the module, to load it again)"};
  return Ok{};
}

void LiveSession::collectLog(bool live) {
  if (!session_) return;
  log_.take(session_->log(), session_->simulatedTime(), live);
  session_->clearLog();
}

void LiveSession::noteFrame() {
  if (!session_) return;
  if (sameLook(session_->lastFrame(), shown_) && frameCount_ != 0) return;
  shown_ = session_->lastFrame();
  ++frameCount_;
}

void LiveSession::fault(const std::string& message) {
  error_ = message;
  log_.settle(session_ ? session_->simulatedTime() : 0.0);
  log_.system("fault: " + message, session_ ? session_->simulatedTime() : 0.0);
}

void LiveSession::load(bool keepVariables) {
  if (session_) {
    log_.settle(session_->simulatedTime());
    if (keepVariables) {
      carried_ = session_->host().variables();
      carriedRate_ = session_->model().rate();
      carriedTarget_ = session_->model().target();
    }
  }
  if (!keepVariables) {
    carried_.clear();
    carriedRate_ = panel::SpeedBrakeModel::kDefaultRate;
    carriedTarget_.reset();
  }
  watch_.loaded(stampOf(options_.path));
  session_.reset();
  error_.clear();
  shown_ = {};
  ++loadCount_;
  ++frameCount_;
  const std::string what = loadCount_ == 1 ? "loaded " : keepVariables ? "reloaded " : "reset: loaded ";

  Result<std::unique_ptr<panel::PanelSession>> opened = panel::PanelSession::open(options_.path, {});
  if (!opened) {
    error_ = opened.error().message;
    log_.system("cannot load the module: " + error_, 0.0);
    return;
  }
  panel::PanelSession& s = **opened;
  s.model().setRate(carriedRate_);
  for (const auto& [token, value] : carried_)
    if (s.host().knowsVariable(token)) (void)s.setVariable(token, value);
  if (carriedTarget_) s.model().setTarget(*carriedTarget_);
  s.clearLog();
  session_ = std::move(*opened);
  log_.system(what + options_.path + (keepVariables && !carried_.empty() ? " (variables kept)" : ""), 0.0);
  if (Status started = s.start(); !started) return fault(started.error().message);
  Result<panel::Frame> first = s.frame();
  collectLog(false);
  if (!first) return fault(first.error().message);
  noteFrame();
}

void LiveSession::tick() {
  if (!running_ || !usable()) return;
  Status advanced = session_->advance(kFramePeriod);
  collectLog(true);
  if (!advanced) return fault(advanced.error().message);
  if (!session_->model().moving()) log_.settle(session_->simulatedTime());
  noteFrame();
}

void LiveSession::watch() {
  if (watch_.shouldReload(stampOf(options_.path))) load(true);
}

void LiveSession::redrawIfPaused() {
  if (running_ || !usable()) return;
  // Time stands still; the picture follows what was just changed.
  Result<panel::Frame> frame = session_->frame();
  collectLog(false);
  if (!frame) return fault(frame.error().message);
  noteFrame();
}

Result<ClickReport> LiveSession::clickAt(int x, int y) {
  if (Status u = usable(); !u) return u.error();
  Result<panel::ClickOutcome> outcome = session_->click(x, y);
  collectLog(false);
  ++clicks_;
  ClickReport report;
  if (!outcome) {
    fault(outcome.error().message);
    report.fault = error_;
    return report;
  }
  report.outcome = std::move(*outcome);
  keyEvents_ += report.outcome.events.size();
  if (report.outcome.handler)
    report.handlerName = session_->host().machine().describeAddress(report.outcome.handler);
  redrawIfPaused();
  return report;
}

SessionSnapshot LiveSession::snapshot(uint64_t logSince, size_t logLimit) {
  return onGaugeThread([&] {
    SessionSnapshot s;
    s.path = options_.path;
    s.loaded = session_ != nullptr;
    s.error = error_;
    s.running = running_;
    s.loadCount = loadCount_;
    s.frameCount = frameCount_;
    s.frame = shown_;
    s.clicks = clicks_;
    s.keyEvents = keyEvents_;
    s.log = log_.since(logSince, logLimit);
    s.logNext = s.log.empty() ? log_.next() : s.log.back().seq + 1;
    if (session_) {
      s.time = session_->simulatedTime();
      s.variables = session_->host().variables();
      s.rate = session_->model().rate();
      s.target = session_->model().target();
      s.moving = session_->model().moving();
      if (Result<panel::MouseLayout> layout = session_->mouseLayout()) {
        s.parent = layout->parent;
        for (const panel::ChildArea& child : layout->children) {
          AreaView area{child.index, child.box, child.record, ""};
          if (child.record.handler)
            area.handlerName = session_->host().machine().describeAddress(child.record.handler);
          s.areas.push_back(std::move(area));
        }
      }
    } else {
      s.variables = carried_;
      s.rate = carriedRate_;
      s.target = carriedTarget_.value_or(0.0);
    }
    return s;
  });
}

Result<ClickReport> LiveSession::click(int x, int y) {
  return onGaugeThread([&] { return clickAt(x, y); });
}

Result<ClickReport> LiveSession::clickArea(size_t index) {
  return onGaugeThread([&]() -> Result<ClickReport> {
    if (Status u = usable(); !u) return u.error();
    Result<panel::MouseLayout> layout = session_->mouseLayout();
    if (!layout) return layout.error();
    std::string known;
    for (const panel::ChildArea& child : layout->children) {
      if (child.index == index) {
        if (child.box.empty()) return Error{"mouse area " + std::to_string(index) + " has an empty box: no pixel clicks it"};
        return clickAt(child.box.x + (child.box.width - 1) / 2, child.box.y + (child.box.height - 1) / 2);
      }
      known += (known.empty() ? "" : ", ") + std::to_string(child.index);
    }
    return Error{"the mouse list has no clickable area " + std::to_string(index) + " (its areas: " + known + ")"};
  });
}

Status LiveSession::setVariable(uint32_t token, double value) {
  return onGaugeThread([&]() -> Status {
    if (Status u = usable(); !u) return u;
    Status set = session_->setVariable(token, value);
    collectLog(false);
    if (!set) return set;
    redrawIfPaused();
    return Ok{};
  });
}

Status LiveSession::setRate(double unitsPerSecond) {
  return onGaugeThread([&]() -> Status {
    if (Status u = usable(); !u) return u;
    session_->model().setRate(unitsPerSecond);
    log_.system("lever travel rate: " + (unitsPerSecond > 0 ? panel::formatNumber(unitsPerSecond) + " per second" : std::string("instant")),
                session_->simulatedTime());
    return Ok{};
  });
}

Status LiveSession::setTarget(double target) {
  return onGaugeThread([&]() -> Status {
    if (Status u = usable(); !u) return u;
    session_->model().setTarget(target);
    log_.system("lever target: " + panel::formatNumber(target), session_->simulatedTime());
    return Ok{};
  });
}

void LiveSession::setRunning(bool running) {
  onGaugeThread([&] {
    if (running_ == running) return;
    running_ = running;
    const double time = session_ ? session_->simulatedTime() : 0.0;
    log_.settle(time);
    log_.system(running ? "running" : "paused", time);
  });
}

Status LiveSession::step() {
  return onGaugeThread([&]() -> Status {
    if (Status u = usable(); !u) return u;
    Status advanced = session_->advance(kFramePeriod);
    // Stepped frames are logged as they come, not folded.
    collectLog(false);
    if (!advanced) {
      fault(advanced.error().message);
      return Error{error_};
    }
    noteFrame();
    return Ok{};
  });
}

void LiveSession::reset() {
  onGaugeThread([&] { load(false); });
}

}  // namespace gb::view
