// The "LockTouch" text scanner on any text (see Reader::text for how bytes
// become characters; a seed of plain ASCII reads as itself).
//
// Invariants: it scans at most four fields, leaves the fields it did not
// reach alone, and agrees with the C library's "%d,%d,%d,%d" wherever that
// is defined.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "hook/touch_area.h"
#include "scanf_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  const std::wstring text = in.restAsText();

  constexpr std::int32_t untouched = -12345;
  TouchArea::Fields fields = {untouched, untouched, untouched, untouched};
  const int scanned = TouchArea::scan(text, fields);
  FUZZ_CHECK(scanned >= 0 && scanned <= 4);
  for (std::size_t i = static_cast<std::size_t>(scanned); i < fields.size(); ++i) {
    FUZZ_CHECK(fields[i] == untouched);
  }

  if (const auto reference = ScanfReference::fields(text, 4)) {
    FUZZ_CHECK(reference->size() == static_cast<std::size_t>(scanned));
    for (std::size_t i = 0; i < reference->size(); ++i) FUZZ_CHECK(fields[i] == (*reference)[i]);
  }
  return 0;
}
