// The registry of the Linux program: keys and values kept in text files in
// the registry editor's format (see reg_document.h), so that the same file
// imports on Windows.
//
// Each file holds the keys under its prefixes; one file without prefixes
// holds every other key. The program uses two: the user's settings
// ($XDG_CONFIG_HOME/zem/settings.reg) and, in the runtime folder, the touch
// driver's key and the rotation key, which live only as long as the session
// (as HKEY_LOCAL_MACHINE\HARDWARE does on Windows).
//
//   - Reading: the files are read at construction and again by reload()
//     (the program calls it when inotify reports a change in their folders;
//     watch() sets that up). A file that does not parse is reported once as
//     "path:line: what" and ignored: the last good contents stay in force,
//     and the file is neither rewritten nor replaced.
//   - Writing: setValue changes the value's own entry only and replaces the
//     file atomically (temporary file in the same folder, fsync, rename), so
//     a reader sees the old file or the new one, every comment and every
//     other value kept. While the file does not parse, a write is kept in
//     memory (and in force) and written once the file parses again, on top
//     of what the user changed.
//   - Change observers: called after a value's type or bytes changed (set,
//     appeared or removed), by ZEM's own write or by a change of the file.
//   - Keys opened but never given a value exist in memory only.
//
// Thread-safe: the touch driver's thread reads while the program's thread
// writes. Observers run on the thread that made the change, without the
// registry's lock held.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/app/reg_document.h"
#include "ports/registry_port.h"

class FileRegistry final : public RegistryPort {
 public:
  struct FileSpec {
    std::string path;
    std::vector<RegKeyName> keys;  // the keys (and their sub-keys) it holds; empty: all others
  };
  using Logger = std::function<void(const std::string& line)>;
  using Observer = std::function<void()>;

  FileRegistry(std::vector<FileSpec> files, Logger log);
  ~FileRegistry() override;

  FileRegistry(const FileRegistry&) = delete;
  FileRegistry& operator=(const FileRegistry&) = delete;

  bool openKey(Registry::Root root, const std::wstring& subKey, Registry::KeyHandle& key) override;
  bool queryValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType* type,
                  std::uint8_t* data, std::uint32_t& size) override;
  bool setValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType type,
                const std::uint8_t* data, std::uint32_t size) override;
  void closeKey(Registry::KeyHandle key) override;

  // Reads every file again; observers of changed values are called.
  void reload();
  // True when every file parsed at its last reading.
  bool allFilesGood() const;

  // Calls `observer` after every change of this value. Never removed.
  void observeValue(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                    Observer observer);

  // An inotify descriptor that watches the files' folders (created when
  // missing); -1 when it cannot be set up. Call onWatchEvents() when it is
  // readable. The registry owns the descriptor.
  int watch();
  void onWatchEvents();

  bool keyExists(Registry::Root root, const std::wstring& subKey) const;

 private:
  struct File {
    FileSpec setup;
    RegDocument document;
    std::optional<std::string> lastBytes;  // as last read or written; none: missing
    bool bad = false;                      // the file on disk does not parse
    bool unreadable = false;               // it could not be read at the last try
    std::vector<std::pair<RegKeyName, std::pair<std::wstring, RegValue>>> pending;
  };
  struct OpenKey {
    std::size_t file = 0;
    RegKeyName name;
  };
  struct Watched {
    std::size_t file = 0;
    RegKeyName key;
    std::wstring valueName;
    std::optional<RegValue> last;
    Observer observer;
  };

  std::size_t fileOf(const RegKeyName& key) const;
  // Reads the file when its bytes changed; true when the document changed.
  bool refresh(File& file);
  bool writeFile(File& file, const RegDocument& document);
  std::vector<Observer> changedObservers();

  mutable std::mutex mutex_;
  std::vector<File> files_;
  Logger log_;
  std::map<Registry::KeyHandle, OpenKey> handles_;
  Registry::KeyHandle nextHandle_ = 1;
  std::vector<Watched> watched_;
  int inotify_ = -1;
};
