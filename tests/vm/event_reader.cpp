#include "event_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

EventReader::EventReader(const std::string& node, bool grab) {
  fd_ = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = "open " + node + ": " + std::strerror(errno);
    return;
  }
  if (grab && ioctl(fd_, EVIOCGRAB, 1) < 0) {
    error_ = "EVIOCGRAB " + node + ": " + std::strerror(errno);
    return;
  }
  wake_ = eventfd(0, EFD_CLOEXEC);
  thread_ = std::thread([this] { run(); });
}

EventReader::~EventReader() {
  stop();
  if (fd_ >= 0) close(fd_);
  if (wake_ >= 0) close(wake_);
}

void EventReader::stop() {
  if (!thread_.joinable()) return;
  const std::uint64_t one = 1;
  (void)!::write(wake_, &one, sizeof one);
  thread_.join();
}

void EventReader::run() {
  input_event buffer[64];
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0) {
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        const std::lock_guard<std::mutex> lock(mutex_);
        events_.insert(events_.end(), buffer,
                       buffer + static_cast<std::size_t>(n) / sizeof buffer[0]);
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR) ||
                 (fds[0].revents & (POLLERR | POLLHUP)) != 0) {
        gone_ = true;  // the device was removed (ENODEV)
        return;
      }
    }
    if ((fds[1].revents & POLLIN) != 0) return;
  }
}

std::size_t EventReader::waitFor(std::size_t count, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::size_t have = 0;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      have = events_.size();
    }
    if (have >= count || std::chrono::steady_clock::now() >= end || gone_) return have;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::vector<input_event> EventReader::events() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}
