// Plays a touch trace (trace/touch_trace.h) through the touch driver's feed()
// on a thread of its own, with the trace's timing: the Linux program's touch
// source for demos and tests when no panel is wanted (`zem --touch-trace`).
//
// A late sample is played at once, never dropped. When the trace ends, or is
// stopped, with a finger down, a sample with count 0 follows, as a panel
// would report the lift. The driver's reader thread must not run meanwhile
// (feed() refuses while it does).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/panel/touch_driver.h"
#include "trace/touch_trace.h"

class TraceTouchSource {
 public:
  TraceTouchSource(LinuxTouchDriver& driver, Trace::Trace trace);
  ~TraceTouchSource();  // stops

  TraceTouchSource(const TraceTouchSource&) = delete;
  TraceTouchSource& operator=(const TraceTouchSource&) = delete;

  // Reads a trace file; false with `file:line: what` problems when it cannot
  // be opened or has bad lines (such a trace must not be played).
  static bool load(const std::string& path, Trace::Trace& trace,
                   std::vector<std::string>& problems);

  // Where each sample goes after the driver, with whether it passed (the
  // pass-through where no panel copy reaches applications). Before start().
  void onPassed(std::function<void(const MultipointSample&, bool passed)> sink) {
    passed_ = std::move(sink);
  }

  // Starts playing; false when the thread cannot be started.
  bool start();
  // Stops early (the lift is still fed) and joins.
  void stop();
  // Waits until the whole trace has been played.
  void wait();
  bool finished() const;

  // Plays the trace on the calling thread. `waitUntil(ms)` returns once `ms`
  // after the start has come, or false to stop.
  void play(const std::function<bool(std::uint64_t ms)>& waitUntil);

 private:
  LinuxTouchDriver& driver_;
  Trace::Trace trace_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool finished_ = false;
  std::function<void(const MultipointSample&, bool)> passed_;
};
