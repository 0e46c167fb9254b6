// The touch driver's sample record, as the driver hands it to the hook for
// one call. Every field is an unsigned 32-bit number in the platform's byte
// order; every target of this project is little-endian, as the driver's
// record is. Coordinates are in quarter pixels (4 units = 1 screen pixel).
//
// The hook reads the point count and both points, and may write 0 into the
// point count to withhold the sample from the system. The driver-owned words
// are never read. The record is 32 bytes here; a driver whose record runs
// longer passes a pointer to its own record, of which the hook touches only
// the first 28 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

struct MultipointSample {
  std::uint32_t pointCount = 0;  // 0 = no finger down, 1 or 2 points; others occur
  std::uint32_t firstX = 0;
  std::uint32_t firstY = 0;
  std::uint32_t driverData[2] = {0, 0};
  std::uint32_t secondX = 0;
  std::uint32_t secondY = 0;
  std::uint32_t moreDriverData = 0;
};

static_assert(offsetof(MultipointSample, pointCount) == 0, "driver record layout");
static_assert(offsetof(MultipointSample, firstX) == 4, "driver record layout");
static_assert(offsetof(MultipointSample, firstY) == 8, "driver record layout");
static_assert(offsetof(MultipointSample, driverData) == 12, "driver record layout");
static_assert(offsetof(MultipointSample, secondX) == 20, "driver record layout");
static_assert(offsetof(MultipointSample, secondY) == 24, "driver record layout");
static_assert(offsetof(MultipointSample, moreDriverData) == 28, "driver record layout");
static_assert(sizeof(MultipointSample) == 32, "driver record layout");
