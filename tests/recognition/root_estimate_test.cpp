#include "recognition/root_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

using Gestures::Quad;

// The search's bounds rely on the estimate lying within 1.5 * 2^-12 of
// 1 / sqrt(x) for every squared distance it can meet: from the smallest
// input (1e-30) to far beyond the largest (2 * 8192^2). The estimate's error
// repeats with every factor of four, so a dense comb of the floats of [1, 4)
// is checked, and a spread of mantissas at every exponent of the range.
template <typename Estimate>
void expectWithinBound(Estimate estimate, const char* what) {
  const double bound = 1.5 * std::ldexp(1.0, -12);
  const auto check = [&](const Quad& x) {
    const Quad y = estimate(x);
    for (int lane = 0; lane < 4; ++lane) {
      const double error =
          std::fabs(static_cast<double>(y[lane]) * std::sqrt(static_cast<double>(x[lane])) - 1.0);
      ASSERT_LE(error, bound) << what << " at " << x[lane];
    }
  };
  std::uint32_t bits = 0;
  const float one = 1.0F;
  std::memcpy(&bits, &one, sizeof bits);
  for (std::uint32_t step = 0; step < (std::uint32_t{1} << 24); step += 4 * 61) {
    Quad x;
    for (std::uint32_t lane = 0; lane < 4; ++lane) {
      const std::uint32_t at = bits + step + lane;
      float value = 0.0F;
      std::memcpy(&value, &at, sizeof value);
      x[lane] = value;
    }
    check(x);
  }
  for (int exponent = -100; exponent <= 60; ++exponent) {
    for (int m = 0; m < 256; m += 4) {
      Quad x;
      for (int lane = 0; lane < 4; ++lane) {
        x[lane] = std::ldexp(1.0F + static_cast<float>(m + lane) / 256.0F, exponent);
      }
      check(x);
    }
  }
}

TEST(RootEstimateTest, EveryEstimateIsWithinItsBound) {
  expectWithinBound(Gestures::reciprocalRootEstimate, "processor");
  expectWithinBound(Gestures::reciprocalRootByNewton, "newton");
}

}  // namespace
