// RegistryStore behaviour that must hold over every registry port. Each port
// supplies an Env with port(), root(), base() (a private, empty sub-key) and
// keyExists(subKey) (without creating it), and instantiates the suite with
// INSTANTIATE_TYPED_TEST_SUITE_P.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "registry/registry_store.h"

template <class Env>
class RegistryStoreContract : public ::testing::Test {
 protected:
  using Bytes = std::vector<std::uint8_t>;

  void setRaw(const wchar_t* name, Registry::ValueType type, const Bytes& bytes) {
    Registry::KeyHandle handle = 0;
    ASSERT_TRUE(env.port().openKey(root, key, handle));
    EXPECT_TRUE(env.port().setValue(handle, name, type, bytes.data(),
                                    static_cast<std::uint32_t>(bytes.size())));
    env.port().closeKey(handle);
  }

  std::pair<Registry::ValueType, Bytes> raw(const wchar_t* name) {
    Registry::KeyHandle handle = 0;
    std::pair<Registry::ValueType, Bytes> stored{0, Bytes(600)};
    auto size = static_cast<std::uint32_t>(stored.second.size());
    EXPECT_TRUE(env.port().openKey(root, key, handle));
    EXPECT_TRUE(env.port().queryValue(handle, name, &stored.first, stored.second.data(), size));
    env.port().closeKey(handle);
    stored.second.resize(size);
    return stored;
  }

  static Bytes utf16(const std::string& ascii) {
    Bytes bytes;
    for (const char c : ascii) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
    return bytes;
  }

  // The reads: nothing on failure, which must leave the output as it was.
  std::optional<std::uint32_t> dword(const wchar_t* name, const std::wstring& subKey = {}) {
    std::uint32_t value = 0xDEADBEEF;  // also shows stale bytes of a short value
    if (store.ReadDword(root, subKey.empty() ? key : subKey, name, value)) return value;
    EXPECT_EQ(value, 0xDEADBEEFu);
    return std::nullopt;
  }
  std::optional<std::wstring> text(const wchar_t* name, bool lower,
                                   const std::wstring& subKey = {}) {
    std::wstring value = L"kept";
    if (store.ReadString(root, subKey.empty() ? key : subKey, name, value, lower)) return value;
    EXPECT_EQ(value, L"kept");
    return std::nullopt;
  }
  Env env;
  RegistryStore store{env.port()};
  const Registry::Root root = env.root();
  const std::wstring key = env.base();
};

TYPED_TEST_SUITE_P(RegistryStoreContract);

TYPED_TEST_P(RegistryStoreContract, DwordIsAnyValueOfAtMostFourRawBytes) {
  ASSERT_TRUE(this->store.WriteDword(this->root, this->key, L"Dword", 0x12345678u));
  EXPECT_EQ(this->raw(L"Dword"),
            std::make_pair(Registry::typeDword, std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(this->dword(L"Dword"), 0x12345678u);
  ASSERT_TRUE(this->store.WriteString(this->root, this->key, L"Text", L"AB"));  // 4 bytes
  EXPECT_EQ(this->dword(L"Text"), 0x00420041u);
  this->setRaw(L"Short", Registry::typeDword, {0x34, 0x12});
  EXPECT_EQ(this->dword(L"Short"), 0x1234u);
  this->setRaw(L"Long", 11 /* 64-bit */, {1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(this->dword(L"Long"), std::nullopt);
}

TYPED_TEST_P(RegistryStoreContract, StringsRoundTripWithoutTerminator) {
  ASSERT_TRUE(this->store.WriteString(this->root, this->key, L"Text", L"0,0,480,800"));
  EXPECT_EQ(this->raw(L"Text"), std::make_pair(Registry::typeString, this->utf16("0,0,480,800")));
  EXPECT_EQ(this->text(L"Text", false), L"0,0,480,800");
  ASSERT_TRUE(this->store.WriteString(this->root, this->key, L"Text", L"go \U0001F600!"));
  EXPECT_EQ(this->raw(L"Text").second.size(), 12u);  // a surrogate pair
  EXPECT_EQ(this->text(L"Text", true), L"go \U0001F600!");
  // Lower-casing changes the copy only.
  ASSERT_TRUE(this->store.WriteString(this->root, this->key, L"Keys", L"UP,Down,\u00C4\u0416"));
  const auto stored = this->raw(L"Keys");
  EXPECT_EQ(this->text(L"Keys", true), L"up,down,\u00E4\u0436");
  EXPECT_EQ(this->raw(L"Keys"), stored);
}

TYPED_TEST_P(RegistryStoreContract, StringReadStopsAtNulDataEndOrBufferSize) {
  this->setRaw(L"Nul", Registry::typeString, this->utf16(std::string("ab\0cd", 5)));
  EXPECT_EQ(this->text(L"Nul", false), L"ab");
  this->setRaw(L"Odd", Registry::typeString, {'x', 0, 'y'});
  EXPECT_EQ(this->text(L"Odd", false), L"x");
  // The buffer holds 260 characters; more fail rather than cut the text.
  this->setRaw(L"Full", Registry::typeString, this->utf16(std::string(260, 'b')));
  EXPECT_EQ(this->text(L"Full", false), std::wstring(260, L'b'));
  ASSERT_TRUE(this->store.WriteString(this->root, this->key, L"Long", std::wstring(261, L'c')));
  EXPECT_EQ(this->text(L"Long", false), std::nullopt);
}

TYPED_TEST_P(RegistryStoreContract, StringListWalksOnlyTheData) {
  using List = std::vector<std::wstring>;
  const auto list = [this](const std::vector<std::uint8_t>& bytes) {
    this->setRaw(L"List", Registry::typeMultiString, bytes);
    List entries{L"kept"};  // entries are appended
    EXPECT_TRUE(this->store.ReadStringList(this->root, this->key, L"List", entries, true));
    return entries;
  };
  EXPECT_EQ(list(this->utf16(std::string("Tmail.EXE\0Calc\0\0", 16))),
            (List{L"kept", L"tmail.exe", L"calc"}));
  EXPECT_EQ(list(this->utf16(std::string("\0calc\0\0", 7))), List{L"kept"});
  EXPECT_EQ(list(this->utf16(std::string("ab\0cd", 5))), (List{L"kept", L"ab", L"cd"}));
  EXPECT_EQ(list({'a', 0, 0, 0, 'b', 0, 'c'}), (List{L"kept", L"a", L"b"}));  // odd last byte
}

TYPED_TEST_P(RegistryStoreContract, ReadsUnderAMissingKeyFailButCreateTheKey) {
  const std::wstring missing = this->key + L"\\Missing\\Deeper";
  ASSERT_FALSE(this->env.keyExists(missing));
  EXPECT_EQ(this->dword(L"ShowOverlay", missing), std::nullopt);
  EXPECT_TRUE(this->env.keyExists(missing));
  EXPECT_EQ(this->text(L"ControllerKeys", true, missing), std::nullopt);
  std::vector<std::wstring> entries{L"kept"};
  EXPECT_FALSE(this->store.ReadStringList(this->root, missing, L"BlackListAll", entries, true));
  EXPECT_EQ(entries, std::vector<std::wstring>{L"kept"});
}

REGISTER_TYPED_TEST_SUITE_P(RegistryStoreContract, DwordIsAnyValueOfAtMostFourRawBytes,
                            StringsRoundTripWithoutTerminator,
                            StringReadStopsAtNulDataEndOrBufferSize, StringListWalksOnlyTheData,
                            ReadsUnderAMissingKeyFailButCreateTheKey);
