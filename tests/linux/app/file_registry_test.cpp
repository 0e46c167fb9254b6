#include "platform/linux/app/file_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "linux_test_support.h"
#include "registry/registry_store.h"
#include "registry/registry_store_contract.h"

namespace {

const std::wstring zemKey = L"Software\\ZEM";
const std::wstring driverKey = L"HARDWARE\\DEVICEMAP\\TOUCH";
const std::string header = "Windows Registry Editor Version 5.00\n\n";
const std::string zemSection = header + "[HKEY_CURRENT_USER\\Software\\ZEM]\n";

std::vector<FileRegistry::FileSpec> filesIn(const TempFolder& folder) {
  return {{folder / "config/settings.reg", {}},
          {folder / "runtime/driver.reg",
           {{Registry::localMachine, L"HARDWARE\\DEVICEMAP\\TOUCH"},
            {Registry::localMachine, L"System\\GDI\\Rotation"}}}};
}

struct FileEnv {
  RegistryPort& port() { return registry; }
  Registry::Root root() const { return Registry::currentUser; }
  std::wstring base() const { return L"Software\\ZEMTest"; }
  bool keyExists(const std::wstring& subKey) { return registry.keyExists(root(), subKey); }
  TempFolder folder;
  FileRegistry registry{filesIn(folder), nullptr};
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(File, RegistryStoreContract, FileEnv);

namespace {

class FileRegistryTest : public ::testing::Test {
 protected:
  FileRegistryTest() { mkdir((folder / "config").c_str(), 0700); }
  std::string settingsPath() const { return folder / "config/settings.reg"; }

  FileRegistry& open() {
    registry = std::make_unique<FileRegistry>(
        filesIn(folder), [this](const std::string& line) { log.push_back(line); });
    store = std::make_unique<RegistryStore>(*registry);
    return *registry;
  }
  std::optional<std::uint32_t> dword(const std::wstring& name) {
    std::uint32_t value = 0;
    if (store->ReadDword(Registry::currentUser, zemKey, name, value)) return value;
    return std::nullopt;
  }
  TempFolder folder;
  std::vector<std::string> log;
  std::unique_ptr<FileRegistry> registry;
  std::unique_ptr<RegistryStore> store;
};

TEST_F(FileRegistryTest, ZemsWritesReplaceTheFileAtomicallyAndKeepEverythingElse) {
  const std::string original = header +
                               "; my settings\n[HKEY_CURRENT_USER\\Software\\ZEM]\n"
                               "\"SwipeRightDouble\"=\"nextapp\" \n"
                               "; bindings below\n\"Square\"=\"/usr/bin/xterm,-e top\"\n";
  writeFile(settingsPath(), original);
  // A reader that has the file open keeps seeing the whole old file.
  std::ifstream reader(settingsPath(), std::ios::binary);
  open();
  ASSERT_TRUE(store->WriteString(Registry::currentUser, zemKey, L"Square", L"/usr/bin/gimp"));
  ASSERT_TRUE(store->WriteString(Registry::currentUser, zemKey, L"Diamond", L"rotate"));
  EXPECT_EQ(readFile(settingsPath()), header +
                                          "; my settings\n[HKEY_CURRENT_USER\\Software\\ZEM]\n"
                                          "\"SwipeRightDouble\"=\"nextapp\" \n"
                                          "; bindings below\n\"Square\"=\"/usr/bin/gimp\"\n"
                                          "\"Diamond\"=\"rotate\"\n");
  std::stringstream seen;
  seen << reader.rdbuf();
  EXPECT_EQ(seen.str(), original);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "config"), {}), 1);
  EXPECT_TRUE(log.empty());
}

TEST_F(FileRegistryTest, SymbolicLinkStaysALink) {
  writeFile(folder / "kept.reg", header);
  ASSERT_EQ(symlink((folder / "kept.reg").c_str(), settingsPath().c_str()), 0);
  open();
  ASSERT_TRUE(store->WriteDword(Registry::currentUser, zemKey, L"ShowOverlay", 7));
  struct stat info {};
  ASSERT_EQ(lstat(settingsPath().c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_NE(readFile(folder / "kept.reg").find("dword:00000007"), std::string::npos);
}

TEST_F(FileRegistryTest, ABadFileIsReportedAndNeitherLosesNorRewritesAnything) {
  writeFile(settingsPath(), zemSection + "\"ShowOverlay\"=dword:000007d0\n");
  open();
  const std::string broken = zemSection + "\"ShowOverlay\"=dword:0\n\"Oops\"=maybe\n";
  replaceFile(settingsPath(), broken);
  registry->reload();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind(settingsPath() + ":5: ", 0), 0u) << log[0];
  EXPECT_EQ(dword(L"ShowOverlay"), 2000u);  // the last good settings
  EXPECT_FALSE(registry->allFilesGood());

  // ZEM's own write is in force at once but waits for a good file.
  ASSERT_TRUE(store->WriteString(Registry::currentUser, zemKey, L"Square", L"learned"));
  std::wstring binding;
  EXPECT_TRUE(store->ReadString(Registry::currentUser, zemKey, L"Square", binding, false));
  EXPECT_EQ(binding, L"learned");
  EXPECT_EQ(readFile(settingsPath()), broken);
  registry->reload();
  EXPECT_EQ(log.size(), 1u);  // reported once

  // The user's fix and the waiting write both end up in the file.
  replaceFile(settingsPath(), zemSection + "\"ShowOverlay\"=dword:0\n");
  registry->reload();
  EXPECT_TRUE(registry->allFilesGood());
  EXPECT_EQ(dword(L"ShowOverlay"), 0u);
  EXPECT_EQ(readFile(settingsPath()),
            zemSection + "\"ShowOverlay\"=dword:0\n\"Square\"=\"learned\"\n");
}

TEST_F(FileRegistryTest, ObserversHearOfTheirOwnValueOnlyWhenItsBytesChange) {
  writeFile(settingsPath(), zemSection +
                                "\"ShowOverlay\"=dword:1\n"
                                "\"ControllerKeys\"=\"40,38\"\n");
  open();
  std::vector<std::wstring> heard;
  const auto observe = [&](Registry::Root root, const std::wstring& key, const wchar_t* name) {
    registry->observeValue(root, key, name, [&heard, name] { heard.emplace_back(name); });
  };
  observe(Registry::currentUser, L"software\\zem", L"showoverlay");  // any case
  observe(Registry::currentUser, zemKey, L"ControllerVibrate");
  observe(Registry::localMachine, driverKey, L"MultiTouchDemo");
  // The same bytes in other words, another value, a comment: nothing.
  replaceFile(settingsPath(), zemSection +
                                  "\"ShowOverlay\"=dword:00000001\n"
                                  "; keys\n\"ControllerKeys\"=\"38,40\"\n");
  registry->reload();
  EXPECT_TRUE(heard.empty());
  replaceFile(settingsPath(), zemSection +
                                  "\"ShowOverlay\"=dword:2\n"
                                  "\"ControllerVibrate\"=dword:0\n");
  registry->reload();
  EXPECT_EQ(heard, (std::vector<std::wstring>{L"showoverlay", L"ControllerVibrate"}));
  heard.clear();
  // ZEM's own writes notify too, once per change; a deleted file removes values.
  ASSERT_TRUE(store->WriteDword(Registry::localMachine, driverKey, L"MultiTouchDemo", 0));
  ASSERT_TRUE(store->WriteDword(Registry::localMachine, driverKey, L"MultiTouchDemo", 0));
  ASSERT_TRUE(store->WriteDword(Registry::localMachine, driverKey, L"MultiTouchDemo", 1));
  std::remove(settingsPath().c_str());
  registry->reload();
  EXPECT_EQ(heard, (std::vector<std::wstring>{L"MultiTouchDemo", L"MultiTouchDemo", L"showoverlay",
                                              L"ControllerVibrate"}));
}

}  // namespace
