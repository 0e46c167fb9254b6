// What every fuzz target shares: reading the input bytes as typed values, and
// the invariant check that turns a broken invariant into a crash that the
// fuzzer reports and minimises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace FuzzInput {

// Reads values front to back. Past the end every read gives zero, so every
// byte string is a valid input and a shorter one is a prefix of a longer one.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return position_ >= size_; }
  std::size_t remaining() const { return empty() ? 0 : size_ - position_; }

  std::uint8_t u8() { return position_ < size_ ? data_[position_++] : std::uint8_t{0}; }
  std::uint16_t u16() {
    const auto low = static_cast<std::uint16_t>(u8());
    return static_cast<std::uint16_t>(low | (u8() << 8));
  }
  std::uint32_t u32() {
    const std::uint32_t low = u16();
    return low | (static_cast<std::uint32_t>(u16()) << 16);
  }
  bool flag() { return (u8() & 1u) != 0; }

  // Any double, NaNs and infinities included: eight raw bytes.
  double f64() {
    const std::uint64_t bits = u32() | (static_cast<std::uint64_t>(u32()) << 32);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // A coordinate in pixels: a selector byte picks a whole screen pixel
  // (mostly), a value that no screen has, or any double.
  double coordinate() {
    const std::uint8_t kind = u8();
    if (kind < 0xE0) return static_cast<double>(u16() % 1024u);
    switch (kind & 7u) {
      case 0:
        return -static_cast<double>(u16());
      case 1:
        return static_cast<double>(u32()) * 1e300;
      case 2:
        return 1e-310;  // subnormal
      default:
        return f64();
    }
  }

  // `count` bytes as wide text (see wideText), or fewer at the end.
  std::wstring text(std::size_t count);
  // Text of a length byte's size.
  std::wstring shortText() { return text(u8()); }
  // Everything that is left, as wide text.
  std::wstring restAsText() { return text(remaining()); }
  // Up to `count` raw bytes.
  std::string bytes(std::size_t count) {
    const std::size_t n = count < remaining() ? count : remaining();
    std::string out(reinterpret_cast<const char*>(data_ + position_), n);
    position_ += n;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Bytes as wide text, so that a seed file of plain ASCII reads as the same
// text: a byte below 0xF0 is the character of that number; 0xF0 to 0xFF take
// the next two bytes as one 16-bit code unit (little-endian), which reaches
// every character of the Basic Multilingual Plane and unpaired surrogates.
inline std::wstring Reader::text(std::size_t count) {
  const std::size_t end = position_ + (count < remaining() ? count : remaining());
  std::wstring out;
  while (position_ < end) {
    const std::uint8_t b = u8();
    if (b < 0xF0) {
      out.push_back(static_cast<wchar_t>(b));
    } else {
      out.push_back(static_cast<wchar_t>(u16()));
    }
  }
  return out;
}

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

}  // namespace FuzzInput

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : FuzzInput::fail(__FILE__, __LINE__, #condition))
