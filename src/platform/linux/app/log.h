// The program's log: one line per call on standard error (the journal when
// run as a service), prefixed "zem: ". Detail lines appear only with
// --verbose. once() writes a line the first time its key is seen, so a
// repeated failure is reported without flooding the log.
//
// Thread-safe; a line is written with one write(2), so lines of several
// threads never interleave. A test may give a sink that receives the lines
// instead.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>

class Log {
 public:
  using Sink = std::function<void(const std::string& line)>;

  explicit Log(Sink sink = nullptr) : sink_(std::move(sink)) {}

  void setVerbose(bool verbose) { verbose_.store(verbose, std::memory_order_relaxed); }
  bool verbose() const { return verbose_.load(std::memory_order_relaxed); }

  void info(const std::string& line);
  void detail(const std::string& line) {
    if (verbose()) info(line);
  }
  void once(const std::string& key, const std::string& line);

  // Writes the bytes as one line on standard error without allocating (the
  // hook's debug output); text beyond the buffer is cut.
  static void writeRaw(const char* text, std::size_t length) noexcept;

 private:
  Sink sink_;
  std::atomic<bool> verbose_{false};
  std::mutex mutex_;
  std::set<std::string> seen_;
};
