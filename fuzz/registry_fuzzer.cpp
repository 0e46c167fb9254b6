// Raw registry data through every typed read of the registry store: strings
// without terminators, lists without their final terminator, odd and wrong
// sizes, every type tag, and a value that another writer replaces between
// the size query and the data query.
//
// Input: a type byte (any 32-bit type after a byte of 0xF0 or more), a flags
// byte (bit 0: lower-case; bit 1: the value is replaced after the first
// size-only query of each read), the stored data (a 16-bit length and the
// bytes), then the replacing data in the same form.
//
// Invariants: each read succeeds exactly when the data it saw fit its limit,
// and then yields exactly that data's content; a failed read leaves its
// output alone; a list read appends only non-empty entries without NULs,
// never more than the data has NUL-separated pieces; every opened key is
// closed again.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "platform/sim/sim_registry.h"
#include "registry/registry_store.h"
#include "text/lower_case.h"
#include "text/utf16.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint16_t>;

constexpr Registry::Root root = Registry::currentUser;
const std::wstring subKey = L"Software\\ZEM";
const std::wstring name = L"Value";

// A store whose value another writer replaces right after the next size-only
// query, as a value may change between the two queries of a read.
class ChangingRegistry : public SimRegistry {
 public:
  void replaceAfterSizeQuery(const Registry::ValueType type, const Bytes& data) {
    replacement_ = data;
    type_ = type;
  }

  bool queryValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType* type,
                  std::uint8_t* data, std::uint32_t& size) override {
    const bool ok = SimRegistry::queryValue(key, valueName, type, data, size);
    if (data == nullptr && replacement_) {
      setRaw(root, subKey, name, type_, *replacement_);
      replacement_.reset();
    }
    return ok;
  }

 private:
  std::optional<Bytes> replacement_;
  Registry::ValueType type_ = 0;
};

Bytes readBytes(FuzzInput::Reader& in) {
  const std::string raw = in.bytes(in.u16());
  return Bytes(raw.begin(), raw.end());
}

Units units(const Bytes& b) {
  Units out;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    out.push_back(static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8)));
  }
  return out;
}

Units unitsOf(const std::wstring& text) { return units(Text::toUtf16Bytes(text)); }

// The entries of a NUL-separated list: the first empty one ends it, and so
// does the end of the data.
std::vector<Units> listEntries(const Units& all) {
  std::vector<Units> out;
  Units current;
  for (const std::uint16_t u : all) {
    if (u != 0) {
      current.push_back(u);
      continue;
    }
    if (current.empty()) return out;
    out.push_back(current);
    current.clear();
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  const std::uint8_t t = in.u8();
  const Registry::ValueType type = t < 0xF0 ? t % 12u : in.u32();
  const std::uint8_t flags = in.u8();
  const bool lowerCase = (flags & 1u) != 0;
  const bool changes = (flags & 2u) != 0;
  const Bytes stored = readBytes(in);
  const Bytes replacement = changes ? readBytes(in) : stored;

  ChangingRegistry registry;
  RegistryStore store(registry);
  // Stores the value afresh before each read; returns the size that the
  // read's size query sees.
  const auto prepare = [&] {
    registry.setRaw(root, subKey, name, type, stored);
    if (changes) registry.replaceAfterSizeQuery(type, replacement);
    return stored.size();
  };

  // 32-bit: no size query, so the stored data is what it reads.
  prepare();
  std::uint32_t dword = 0xDEADBEEF;
  const bool dwordOk = store.ReadDword(root, subKey, name, dword);
  FUZZ_CHECK(dwordOk == (stored.size() <= 4));
  if (dwordOk) {
    std::uint32_t expected = 0;
    for (std::size_t i = 0; i < stored.size(); ++i) expected |= std::uint32_t{stored[i]} << (8 * i);
    FUZZ_CHECK(dword == expected);
  } else {
    FUZZ_CHECK(dword == 0xDEADBEEF);
  }

  // String: the data after the size query, up to its first NUL.
  for (const bool lower : {false, true}) {
    prepare();
    std::wstring text = L"untouched";
    const bool ok = store.ReadString(root, subKey, name, text, lower);
    FUZZ_CHECK(ok == (replacement.size() <= 520));
    if (!ok) {
      FUZZ_CHECK(text == L"untouched");
      continue;
    }
    FUZZ_CHECK(text.find(L'\0') == std::wstring::npos);
    Units expected = units(replacement);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (expected[i] == 0) expected.resize(i);
    }
    if (!lower) {
      FUZZ_CHECK(unitsOf(text) == expected);
    } else {
      std::wstring plain;
      FUZZ_CHECK(store.ReadString(root, subKey, name, plain, false));
      FUZZ_CHECK(text == Text::lowerCased(plain));
    }
  }

  // List: read into a buffer of the size the size query saw.
  const std::size_t seen = prepare();
  std::vector<std::wstring> list{L"kept"};
  const bool listOk = store.ReadStringList(root, subKey, name, list, lowerCase);
  FUZZ_CHECK(listOk == (seen == 0 || replacement.size() <= seen));
  FUZZ_CHECK(!list.empty() && list.front() == L"kept");
  if (listOk && seen != 0) {
    const std::vector<Units> expected = listEntries(units(replacement));
    FUZZ_CHECK(list.size() == expected.size() + 1);
    for (std::size_t i = 0; i < expected.size() && i + 1 < list.size(); ++i) {
      const std::wstring& entry = list[i + 1];
      FUZZ_CHECK(!entry.empty() && entry.find(L'\0') == std::wstring::npos);
      if (!lowerCase) FUZZ_CHECK(unitsOf(entry) == expected[i]);
    }
  } else {
    FUZZ_CHECK(list.size() == 1);
  }

  // Failures of the platform: false, and nothing changes hands.
  registry.faults().open = 1;
  FUZZ_CHECK(!store.ReadDword(root, subKey, name, dword));
  registry.faults().query = 1;
  std::wstring text = L"untouched";
  FUZZ_CHECK(!store.ReadString(root, subKey, name, text, lowerCase) && text == L"untouched");
  registry.faults().query = 1;
  const std::size_t entries = list.size();
  FUZZ_CHECK(!store.ReadStringList(root, subKey, name, list, lowerCase) && list.size() == entries);
  FUZZ_CHECK(!store.ReadString(root, subKey, L"Missing", text, false) && text == L"untouched");

  FUZZ_CHECK(registry.openKeyCount() == 0);
  return 0;
}
