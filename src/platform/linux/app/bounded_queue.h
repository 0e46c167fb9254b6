// A bounded multi-producer queue that never blocks, never allocates after
// construction and takes no lock: the touch driver's thread posts through
// it while the program's thread takes the messages out.
//
// Each cell carries a sequence number. A producer claims the cell at the
// enqueue position when its sequence equals that position (the cell is
// free), writes the value and publishes it by setting the sequence to
// position + 1 (release). The consumer takes the cell at the dequeue
// position when its sequence equals position + 1 (acquire: the value is
// complete) and frees it for the next round by setting the sequence to
// position + Capacity. A cell whose sequence lags behind means the queue is
// full (push fails) or empty (pop fails); no side ever waits for another.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

template <typename T, std::size_t Capacity>
class BoundedQueue {
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "a power of two");

 public:
  BoundedQueue() {
    for (std::size_t i = 0; i < Capacity; ++i)
      cells_[i].sequence.store(i, std::memory_order_relaxed);
  }

  BoundedQueue(const BoundedQueue&) = delete;
  BoundedQueue& operator=(const BoundedQueue&) = delete;

  // False when the queue is full.
  bool push(const T& value) noexcept {
    std::size_t position = enqueue_.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = cells_[position & (Capacity - 1)];
      const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
      const auto lag = static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position);
      if (lag == 0) {
        if (enqueue_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
          cell.value = value;
          cell.sequence.store(position + 1, std::memory_order_release);
          return true;
        }
      } else if (lag < 0) {
        return false;
      } else {
        position = enqueue_.load(std::memory_order_relaxed);
      }
    }
  }

  // One consumer only. False when the queue is empty.
  bool pop(T& value) noexcept {
    const std::size_t position = dequeue_.load(std::memory_order_relaxed);
    Cell& cell = cells_[position & (Capacity - 1)];
    const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
    if (sequence != position + 1) return false;
    value = cell.value;
    dequeue_.store(position + 1, std::memory_order_relaxed);
    cell.sequence.store(position + Capacity, std::memory_order_release);
    return true;
  }

 private:
  struct Cell {
    std::atomic<std::size_t> sequence{0};
    T value{};
  };
  std::array<Cell, Capacity> cells_;
  alignas(64) std::atomic<std::size_t> enqueue_{0};
  alignas(64) std::atomic<std::size_t> dequeue_{0};
};
