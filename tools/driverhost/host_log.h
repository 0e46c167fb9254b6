// The touch-driver host's log: one line per event, each with the
// milliseconds since the host started, written at once (other programs read
// the file while the host runs). Safe to use from several threads.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

class HostLog {
 public:
  // Lines go to `file` (UTF-8, appended); when it is null, to standard output.
  explicit HostLog(std::FILE* file) : file_(file != nullptr ? file : stdout) {}

  void line(const std::string& text) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start_);
    const std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(file_, "%7lld ms  %s\n", static_cast<long long>(elapsed.count()), text.c_str());
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
  std::mutex mutex_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
