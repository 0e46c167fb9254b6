// The comma-separated integer scanner behind "LockTouch" and
// "ControllerKeys" on any text (see Reader::text for how bytes become
// characters; a seed of plain ASCII reads as itself).
//
// Invariants: with four and with twelve fields it scans at most that many,
// leaves the fields it did not reach alone, and agrees with the C library's
// "%d,%d,..." wherever that is defined; the hook's "LockTouch" reading gives
// the same four fields.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "hook/touch_area.h"
#include "scanf_reference.h"
#include "text/integer_list.h"

namespace {

constexpr std::int32_t untouched = -12345;

template <std::size_t Count>
std::array<std::int32_t, Count> checkScan(const std::wstring& text) {
  std::array<std::int32_t, Count> fields{};
  fields.fill(untouched);
  const std::size_t scanned = Text::scanIntegers(text, fields);
  FUZZ_CHECK(scanned <= Count);
  for (std::size_t i = scanned; i < Count; ++i) FUZZ_CHECK(fields[i] == untouched);
  if (const auto reference = ScanfReference::fields(text, Count)) {
    FUZZ_CHECK(reference->size() == scanned);
    for (std::size_t i = 0; i < reference->size(); ++i) FUZZ_CHECK(fields[i] == (*reference)[i]);
  }
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  const std::wstring text = in.restAsText();

  const std::array<std::int32_t, 4> four = checkScan<4>(text);
  checkScan<12>(text);

  TouchArea::Fields area = {untouched, untouched, untouched, untouched};
  TouchArea::scan(text, area);
  FUZZ_CHECK(area == four);
  return 0;
}
