// Settings files of the Linux program (the registry editor's text format)
// through the document: any bytes, as an editor may leave them.
//
// Input: the file's bytes.
//
// Invariants: a file that parses is written back byte for byte as it was
// read; a file that does not parse names a line within the file. After every
// value is set again (ZEM's own write of the same bytes) and one value more is
// added, the written file parses again and gives exactly the same values.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "platform/linux/app/reg_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  RegDocument::Error error;
  auto document = RegDocument::parse(bytes, error);
  if (!document) {
    std::size_t lines = 1;
    for (const char c : bytes) lines += c == '\n' ? 1 : 0;
    FUZZ_CHECK(error.line >= 1 && error.line <= lines);
    FUZZ_CHECK(!error.what.empty());
    return 0;
  }
  FUZZ_CHECK(document->serialize() == bytes);

  // The values as they stand, written again, plus a new one in a new key.
  const RegDocument::Values values = document->values();
  const RegKeyName zemKey{Registry::currentUser, L"Software\\ZEM"};
  for (const auto& [key, names] : values) {
    for (const auto& [name, value] : names) {
      // The folded forms address the same entries.
      const std::size_t colon = key.find(L':');
      const RegKeyName keyName{static_cast<Registry::Root>(std::stoul(key.substr(0, colon))),
                               key.substr(colon + 1)};
      document->set(keyName, name, value);
    }
  }
  document->set(zemKey, L"Fuzzed \"name\"", RegValue{7, {data, data + (size < 64 ? size : 64)}});
  RegDocument::Error againError;
  const auto again = RegDocument::parse(document->serialize(), againError);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(again->values() == document->values());
  return 0;
}
