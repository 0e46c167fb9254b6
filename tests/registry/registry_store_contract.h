// RegistryStore behaviour that must hold over every registry port. Each port
// supplies an environment type:
//
//   struct Env {
//     RegistryPort& port();
//     Registry::Root root() const;
//     std::wstring base() const;                  // a private, empty sub-key
//     bool keyExists(const std::wstring& subKey);  // without creating it
//   };
//
// and instantiates the suite with INSTANTIATE_TYPED_TEST_SUITE_P.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "registry/registry_store.h"

template <class Env>
class RegistryStoreContract : public ::testing::Test {
 protected:
  using Bytes = std::vector<std::uint8_t>;

  std::wstring key() const { return env.base(); }

  // Stores bytes as they are, through the port.
  void setRaw(const std::wstring& name, Registry::ValueType type, const Bytes& bytes) {
    Registry::KeyHandle handle = 0;
    ASSERT_TRUE(env.port().openKey(env.root(), key(), handle));
    EXPECT_TRUE(env.port().setValue(handle, name, type, bytes.data(),
                                    static_cast<std::uint32_t>(bytes.size())));
    env.port().closeKey(handle);
  }

  // The stored type and bytes; type 0xFFFFFFFF when the value is missing.
  std::pair<Registry::ValueType, Bytes> raw(const std::wstring& name) {
    Registry::KeyHandle handle = 0;
    std::pair<Registry::ValueType, Bytes> result{0xFFFFFFFF, {}};
    if (!env.port().openKey(env.root(), key(), handle)) return result;
    std::uint32_t size = 0;
    if (env.port().queryValue(handle, name, nullptr, nullptr, size)) {
      result.second.resize(size + 1);  // never a null buffer
      if (!env.port().queryValue(handle, name, &result.first, result.second.data(), size)) {
        result.first = 0xFFFFFFFF;
      }
      result.second.resize(size);
    }
    env.port().closeKey(handle);
    return result;
  }

  static Bytes utf16(const std::string& ascii) {
    Bytes bytes;
    for (const char c : ascii) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
    return bytes;
  }

  Env env;
  RegistryStore storeUnderTest{env.port()};
};

TYPED_TEST_SUITE_P(RegistryStoreContract);

TYPED_TEST_P(RegistryStoreContract, DwordIsAnyValueOfAtMostFourRawBytes) {
  auto& store = this->storeUnderTest;
  const Registry::Root root = this->env.root();
  const std::wstring key = this->key();
  ASSERT_TRUE(store.WriteDword(root, key, L"Dword", 0x12345678u));
  EXPECT_EQ(this->raw(L"Dword"), (std::pair<Registry::ValueType, std::vector<std::uint8_t>>{
                                     Registry::typeDword, {0x78, 0x56, 0x34, 0x12}}));
  std::uint32_t value = 0;
  ASSERT_TRUE(store.ReadDword(root, key, L"Dword", value));
  EXPECT_EQ(value, 0x12345678u);

  // A two-character string of 4 bytes reads as its raw bytes.
  ASSERT_TRUE(store.WriteString(root, key, L"Text", L"AB"));
  ASSERT_TRUE(store.ReadDword(root, key, L"Text", value));
  EXPECT_EQ(value, 0x00420041u);

  // Shorter values fill the low bytes and leave no stale high bytes.
  this->setRaw(L"Short", Registry::typeDword, {0x34, 0x12});
  value = 0xFFFFFFFF;
  ASSERT_TRUE(store.ReadDword(root, key, L"Short", value));
  EXPECT_EQ(value, 0x1234u);
  this->setRaw(L"Empty", Registry::typeDword, {});
  ASSERT_TRUE(store.ReadDword(root, key, L"Empty", value));
  EXPECT_EQ(value, 0u);

  this->setRaw(L"Long", 11 /* 64-bit */, {1, 2, 3, 4, 5, 6, 7, 8});
  value = 7;
  EXPECT_FALSE(store.ReadDword(root, key, L"Long", value));
  EXPECT_EQ(value, 7u);
}

TYPED_TEST_P(RegistryStoreContract, StringIsStoredWithoutTerminatorAndReadBack) {
  auto& store = this->storeUnderTest;
  const Registry::Root root = this->env.root();
  const std::wstring key = this->key();
  ASSERT_TRUE(store.WriteString(root, key, L"LockTouch", L"0,0,480,800"));
  EXPECT_EQ(this->raw(L"LockTouch").first, Registry::typeString);
  EXPECT_EQ(this->raw(L"LockTouch").second, this->utf16("0,0,480,800"));
  std::wstring text;
  ASSERT_TRUE(store.ReadString(root, key, L"LockTouch", text, false));
  EXPECT_EQ(text, L"0,0,480,800");

  // Lower-casing changes the copy only.
  ASSERT_TRUE(store.WriteString(root, key, L"Keys", L"UP,Down,\u00C4\u0416"));
  ASSERT_TRUE(store.ReadString(root, key, L"Keys", text, true));
  EXPECT_EQ(text, L"up,down,\u00E4\u0436");
  ASSERT_TRUE(store.ReadString(root, key, L"Keys", text, false));
  EXPECT_EQ(text, L"UP,Down,\u00C4\u0416");

  // Characters beyond the BMP travel as surrogate pairs.
  const std::wstring emoji = L"go \U0001F600!";
  ASSERT_TRUE(store.WriteString(root, key, L"Wide", emoji));
  EXPECT_EQ(this->raw(L"Wide").second.size(), 12u);
  ASSERT_TRUE(store.ReadString(root, key, L"Wide", text, true));
  EXPECT_EQ(text, emoji);

  ASSERT_TRUE(store.WriteString(root, key, L"Blank", L""));
  EXPECT_TRUE(this->raw(L"Blank").second.empty());
  text = L"old";
  ASSERT_TRUE(store.ReadString(root, key, L"Blank", text, false));
  EXPECT_EQ(text, L"");
}

TYPED_TEST_P(RegistryStoreContract, StringReadStopsAtNulDataEndOrBufferSize) {
  auto& store = this->storeUnderTest;
  const Registry::Root root = this->env.root();
  const std::wstring key = this->key();
  std::wstring text;
  this->setRaw(L"Terminated", Registry::typeString, this->utf16(std::string("ab\0cd\0", 6)));
  ASSERT_TRUE(store.ReadString(root, key, L"Terminated", text, false));
  EXPECT_EQ(text, L"ab");
  this->setRaw(L"Odd", Registry::typeString, {'x', 0, 'y'});
  ASSERT_TRUE(store.ReadString(root, key, L"Odd", text, false));
  EXPECT_EQ(text, L"x");

  // 520 bytes fit the buffer, with or without terminator; more fail.
  this->setRaw(L"Full", Registry::typeString, this->utf16(std::string(259, 'a') + '\0'));
  ASSERT_TRUE(store.ReadString(root, key, L"Full", text, false));
  EXPECT_EQ(text, std::wstring(259, L'a'));
  ASSERT_TRUE(store.WriteString(root, key, L"Full", std::wstring(260, L'b')));
  ASSERT_TRUE(store.ReadString(root, key, L"Full", text, false));
  EXPECT_EQ(text, std::wstring(260, L'b'));
  ASSERT_TRUE(store.WriteString(root, key, L"TooLong", std::wstring(261, L'c')));
  text = L"kept";
  EXPECT_FALSE(store.ReadString(root, key, L"TooLong", text, false));
  EXPECT_EQ(text, L"kept");
}

TYPED_TEST_P(RegistryStoreContract, StringListWalksOnlyTheData) {
  auto& store = this->storeUnderTest;
  const Registry::Root root = this->env.root();
  const std::wstring key = this->key();
  const auto list = [&](const std::string& data) {
    this->setRaw(L"List", Registry::typeMultiString, this->utf16(data));
    std::vector<std::wstring> entries{L"kept"};
    EXPECT_TRUE(store.ReadStringList(root, key, L"List", entries, true));
    return entries;
  };
  using Entries = std::vector<std::wstring>;
  EXPECT_EQ(list(std::string("Tmail.EXE\0Calc\0\0", 16)),
            (Entries{L"kept", L"tmail.exe", L"calc"}));
  EXPECT_EQ(list(std::string("\0calc\0\0", 7)), Entries{L"kept"});
  EXPECT_EQ(list(std::string("a\0\0b\0\0", 7)), (Entries{L"kept", L"a"}));
  EXPECT_EQ(list(std::string("ab\0cd", 5)), (Entries{L"kept", L"ab", L"cd"}));
  EXPECT_EQ(list(""), Entries{L"kept"});

  // An odd last byte is no character.
  this->setRaw(L"List", Registry::typeMultiString, {'a', 0, 0, 0, 'b', 0, 'c'});
  std::vector<std::wstring> entries;
  ASSERT_TRUE(store.ReadStringList(root, key, L"List", entries, false));
  EXPECT_EQ(entries, (Entries{L"a", L"b"}));
}

TYPED_TEST_P(RegistryStoreContract, ReadsUnderAMissingKeyFailButCreateTheKey) {
  auto& store = this->storeUnderTest;
  const Registry::Root root = this->env.root();
  const std::wstring missing = this->key() + L"\\Missing\\Deeper";
  ASSERT_FALSE(this->env.keyExists(missing));
  std::uint32_t value = 3;
  EXPECT_FALSE(store.ReadDword(root, missing, L"ShowOverlay", value));
  EXPECT_EQ(value, 3u);
  EXPECT_TRUE(this->env.keyExists(missing));
  std::wstring text = L"kept";
  EXPECT_FALSE(store.ReadString(root, missing, L"ControllerKeys", text, true));
  EXPECT_EQ(text, L"kept");
  std::vector<std::wstring> entries{L"kept"};
  EXPECT_FALSE(store.ReadStringList(root, missing, L"BlackListAll", entries, true));
  EXPECT_EQ(entries, std::vector<std::wstring>{L"kept"});
  // A read never creates the value.
  EXPECT_FALSE(store.ReadDword(root, missing, L"ShowOverlay", value));
}

REGISTER_TYPED_TEST_SUITE_P(RegistryStoreContract, DwordIsAnyValueOfAtMostFourRawBytes,
                            StringIsStoredWithoutTerminatorAndReadBack,
                            StringReadStopsAtNulDataEndOrBufferSize, StringListWalksOnlyTheData,
                            ReadsUnderAMissingKeyFailButCreateTheKey);
