// Estimates of 1 / sqrt(x), four floats at a time, for bounds that allow for
// their error. For every normal positive float x the estimate lies within
// 1.5 * 2^-12 of the true value, relatively.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace Gestures {

using Quad = float __attribute__((vector_size(16)));

// Two Newton steps from the bit-level first guess: any processor.
inline Quad reciprocalRootByNewton(Quad x) {
  using Bits = std::int32_t __attribute__((vector_size(16)));
  Bits bits;
  std::memcpy(&bits, &x, sizeof bits);
  const Bits guessBits = 0x5f375a86 - (bits >> 1);
  Quad y;
  std::memcpy(&y, &guessBits, sizeof y);
  const Quad half = x * 0.5F;
  y = y * (1.5F - half * y * y);
  y = y * (1.5F - half * y * y);
  return y;
}

// The processor's own estimate where it has one.
inline Quad reciprocalRootEstimate(Quad x) {
#if defined(__SSE__)
  return _mm_rsqrt_ps(x);
#else
  return reciprocalRootByNewton(x);
#endif
}

}  // namespace Gestures
