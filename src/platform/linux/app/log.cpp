#include "platform/linux/app/log.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

void Log::writeRaw(const char* text, std::size_t length) noexcept {
  char line[512];
  static constexpr char prefix[] = "zem: ";
  std::size_t used = sizeof prefix - 1;
  std::memcpy(line, prefix, used);
  const std::size_t room = sizeof line - used - 1;
  if (length > room) length = room;
  std::memcpy(line + used, text, length);
  used += length;
  line[used++] = '\n';
  std::size_t done = 0;
  while (done < used) {
    const ssize_t count = write(STDERR_FILENO, line + done, used - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    done += static_cast<std::size_t>(count);
  }
}

void Log::info(const std::string& line) {
  if (sink_) {
    const std::lock_guard<std::mutex> lock(mutex_);
    sink_(line);
    return;
  }
  std::string text = "zem: " + line + "\n";
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t count = write(STDERR_FILENO, text.data() + done, text.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    done += static_cast<std::size_t>(count);
  }
}

void Log::once(const std::string& key, const std::string& line) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!seen_.insert(key).second) return;
  }
  info(line);
}
