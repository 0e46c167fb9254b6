#include "platform/linux/panel/trace_touch_source.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

TraceTouchSource::TraceTouchSource(LinuxTouchDriver& driver, Trace::Trace trace)
    : driver_(driver), trace_(std::move(trace)) {}

TraceTouchSource::~TraceTouchSource() { stop(); }

bool TraceTouchSource::load(const std::string& path, Trace::Trace& trace,
                            std::vector<std::string>& problems) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problems.push_back(path + ": cannot be opened");
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  Trace::ParseResult parsed = Trace::parseTrace(text.str());
  for (const Trace::Error& e : parsed.errors) {
    problems.push_back(path + ":" + std::to_string(e.line) + ": " + e.message);
  }
  if (!parsed.errors.empty()) return false;
  trace = std::move(parsed.trace);
  return true;
}

void TraceTouchSource::play(const std::function<bool(std::uint64_t ms)>& waitUntil) {
  bool down = false;
  for (const Trace::TimedSample& timed : trace_.samples) {
    if (!waitUntil(timed.timeMs)) break;
    const bool passed = driver_.feed(timed.sample);
    if (passed_) passed_(timed.sample, passed);
    down = timed.sample.pointCount != 0;
  }
  if (down) {
    const bool passed = driver_.feed(MultipointSample());
    if (passed_) passed_(MultipointSample(), passed);
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  wake_.notify_all();
}

bool TraceTouchSource::start() {
  if (thread_.joinable()) return true;
  const auto begin = std::chrono::steady_clock::now();
  try {
    thread_ = std::thread([this, begin] {
      play([this, begin](std::uint64_t ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, begin + std::chrono::milliseconds(ms), [this] { return stopping_; });
        return !stopping_;
      });
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void TraceTouchSource::stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    wake_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

void TraceTouchSource::wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.wait(lock, [this] { return finished_; });
}

bool TraceTouchSource::finished() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}
