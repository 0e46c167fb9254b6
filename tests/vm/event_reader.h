// A reader of an evdev node on its own thread: everything it receives is
// kept, in order, until the test looks. SYN_DROPPED is kept too, so a reader
// that fell behind shows up in the comparison.
#pragma once

#include <linux/input.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class EventReader {
 public:
  // Opens `node` (and grabs it when `grab`); check ok() and error().
  EventReader(const std::string& node, bool grab);
  ~EventReader();  // stops
  EventReader(const EventReader&) = delete;
  EventReader& operator=(const EventReader&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  int fd() const { return fd_; }

  // Waits until at least `count` events arrived or `timeout` passed; returns
  // the number received.
  std::size_t waitFor(std::size_t count, std::chrono::milliseconds timeout);
  std::vector<input_event> events();
  // True once the device went away (read gave ENODEV).
  bool deviceGone() const { return gone_; }
  void stop();

 private:
  void run();
  int fd_ = -1;
  int wake_ = -1;  // eventfd that ends the thread
  std::string error_;
  std::mutex mutex_;
  std::vector<input_event> events_;
  std::atomic<bool> gone_{false};
  std::thread thread_;
};
