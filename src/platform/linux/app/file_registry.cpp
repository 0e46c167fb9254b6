#include "platform/linux/app/file_registry.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

namespace {

std::string errorText(int error) { return std::strerror(error); }

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates the folder and its parents (0700, as the XDG folders are).
bool makeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/" || folder == ".") return true;
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (!makeFolders(folderOf(folder))) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

enum class ReadResult { read, missing, failed };

ReadResult readWhole(const std::string& path, std::string& bytes, int& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return error == ENOENT ? ReadResult::missing : ReadResult::failed;
  }
  bytes.clear();
  char buffer[8192];
  for (;;) {
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      error = errno;
      close(fd);
      return ReadResult::failed;
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  close(fd);
  return ReadResult::read;
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<std::size_t>(count);
  }
  return true;
}

// The file a write replaces: a symbolic link's target, so that a settings
// file linked from elsewhere stays where it is.
std::string writeTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

}  // namespace

FileRegistry::FileRegistry(std::vector<FileSpec> files, Logger log) : log_(std::move(log)) {
  for (FileSpec& setup : files) {
    File file;
    file.setup = std::move(setup);
    files_.push_back(std::move(file));
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  for (File& file : files_) refresh(file);
}

FileRegistry::~FileRegistry() {
  if (inotify_ >= 0) close(inotify_);
}

std::size_t FileRegistry::fileOf(const RegKeyName& key) const {
  const std::wstring folded = RegDocument::fold(key);
  std::size_t fallback = files_.size();
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (files_[i].setup.keys.empty() && fallback == files_.size()) fallback = i;
    for (const RegKeyName& prefix : files_[i].setup.keys) {
      const std::wstring start = RegDocument::fold(prefix);
      if (folded == start || folded.compare(0, start.size() + 1, start + L"\\") == 0) return i;
    }
  }
  return fallback;
}

bool FileRegistry::refresh(File& file) {
  std::string bytes;
  int error = 0;
  const ReadResult result = readWhole(file.setup.path, bytes, error);
  if (result == ReadResult::failed) {
    if (!file.unreadable && log_) {
      log_(file.setup.path + ": cannot read: " + errorText(error) +
           " (the last good settings stay in force)");
    }
    file.unreadable = true;
    return false;
  }
  const bool wasUnreadable = std::exchange(file.unreadable, false);
  std::optional<std::string> now;
  if (result == ReadResult::read) now = std::move(bytes);
  if (now == file.lastBytes && !wasUnreadable) return false;
  file.lastBytes = now;

  RegDocument document;
  if (now) {
    RegDocument::Error parseError;
    auto parsed = RegDocument::parse(*now, parseError);
    if (!parsed) {
      if (log_) {
        log_(file.setup.path + ":" + std::to_string(parseError.line) + ": " + parseError.what +
             " (the last good settings stay in force)");
      }
      file.bad = true;
      return false;
    }
    document = std::move(*parsed);
  }
  file.bad = false;
  if (!file.pending.empty()) {
    for (const auto& [key, value] : file.pending) document.set(key, value.first, value.second);
    if (writeFile(file, document) && log_) {
      log_(file.setup.path + ": " + std::to_string(file.pending.size()) +
           " value(s) set while the file could not be read are now written");
    }
    file.pending.clear();
  }
  file.document = std::move(document);
  return true;
}

bool FileRegistry::writeFile(File& file, const RegDocument& document) {
  const std::string target = writeTarget(file.setup.path);
  const std::string folder = folderOf(target);
  if (!makeFolders(folder)) {
    if (log_) log_(folder + ": cannot create the folder: " + errorText(errno));
    return false;
  }
  const std::string bytes = document.serialize();
  std::string temporary = target + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    if (log_) log_(target + ": cannot write: " + errorText(errno));
    return false;
  }
  struct stat old {};
  if (stat(target.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  const bool written = writeAll(fd, bytes) && fsync(fd) == 0;
  const int writeError = errno;
  close(fd);
  if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = written ? errno : writeError;
    unlink(temporary.c_str());
    if (log_) log_(target + ": cannot write: " + errorText(error));
    return false;
  }
  // The rename itself survives a crash once the folder is on disk.
  const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    close(folderFd);
  }
  file.lastBytes = bytes;
  return true;
}

bool FileRegistry::openKey(Registry::Root root, const std::wstring& subKey,
                           Registry::KeyHandle& key) {
  if (root != Registry::currentUser && root != Registry::localMachine) return false;
  if (!RegDocument::validPath(subKey)) return false;
  const RegKeyName name{root, subKey};
  const std::lock_guard<std::mutex> lock(mutex_);
  const std::size_t file = fileOf(name);
  if (file >= files_.size()) return false;
  files_[file].document.createKey(name);
  key = nextHandle_++;
  handles_[key] = OpenKey{file, name};
  return true;
}

bool FileRegistry::queryValue(Registry::KeyHandle key, const std::wstring& valueName,
                              Registry::ValueType* type, std::uint8_t* data, std::uint32_t& size) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto open = handles_.find(key);
  if (open == handles_.end()) return false;
  const RegValue* value = files_[open->second.file].document.find(open->second.name, valueName);
  if (value == nullptr) return false;
  const auto length = static_cast<std::uint32_t>(value->data.size());
  if (type != nullptr) *type = value->type;
  if (data == nullptr) {
    size = length;
    return true;
  }
  if (size < length) {
    size = length;
    return false;
  }
  if (length != 0) std::memcpy(data, value->data.data(), length);
  size = length;
  return true;
}

bool FileRegistry::setValue(Registry::KeyHandle key, const std::wstring& valueName,
                            Registry::ValueType type, const std::uint8_t* data,
                            std::uint32_t size) {
  if (data == nullptr && size != 0) return false;
  std::vector<Observer> observers;
  bool stored = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto open = handles_.find(key);
    if (open == handles_.end()) return false;
    File& file = files_[open->second.file];
    // What an editor saved a moment ago is the base of this write.
    refresh(file);
    const RegValue value{type, std::vector<std::uint8_t>(data, data + size)};
    RegDocument changed = file.document;
    changed.set(open->second.name, valueName, value);
    if (file.bad || file.unreadable) {
      file.pending.emplace_back(open->second.name, std::make_pair(valueName, value));
      stored = true;
    } else {
      stored = writeFile(file, changed);
    }
    if (stored) file.document = std::move(changed);
    observers = changedObservers();
  }
  for (const Observer& observer : observers) observer();
  return stored;
}

void FileRegistry::closeKey(Registry::KeyHandle key) {
  const std::lock_guard<std::mutex> lock(mutex_);
  handles_.erase(key);
}

void FileRegistry::reload() {
  std::vector<Observer> observers;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (File& file : files_) refresh(file);
    observers = changedObservers();
  }
  for (const Observer& observer : observers) observer();
}

bool FileRegistry::allFilesGood() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  for (const File& file : files_) {
    if (file.bad || file.unreadable) return false;
  }
  return true;
}

std::vector<FileRegistry::Observer> FileRegistry::changedObservers() {
  std::vector<Observer> observers;
  for (Watched& watched : watched_) {
    const RegValue* value = files_[watched.file].document.find(watched.key, watched.valueName);
    std::optional<RegValue> now;
    if (value != nullptr) now = *value;
    if (now != watched.last) {
      watched.last = std::move(now);
      observers.push_back(watched.observer);
    }
  }
  return observers;
}

void FileRegistry::observeValue(Registry::Root root, const std::wstring& subKey,
                                const std::wstring& valueName, Observer observer) {
  const RegKeyName key{root, subKey};
  const std::lock_guard<std::mutex> lock(mutex_);
  const std::size_t file = fileOf(key);
  if (file >= files_.size()) return;
  Watched watched;
  watched.file = file;
  watched.key = key;
  watched.valueName = valueName;
  if (const RegValue* value = files_[file].document.find(key, valueName)) watched.last = *value;
  watched.observer = std::move(observer);
  watched_.push_back(std::move(watched));
}

bool FileRegistry::keyExists(Registry::Root root, const std::wstring& subKey) const {
  const RegKeyName key{root, subKey};
  const std::lock_guard<std::mutex> lock(mutex_);
  const std::size_t file = fileOf(key);
  return file < files_.size() && files_[file].document.hasKey(key);
}

int FileRegistry::watch() {
  if (inotify_ >= 0) return inotify_;
  inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify_ < 0) {
    if (log_) log_(std::string("inotify: ") + errorText(errno) + ": settings changes not followed");
    return -1;
  }
  std::set<std::string> folders;
  for (const File& file : files_) folders.insert(folderOf(file.setup.path));
  for (const std::string& folder : folders) {
    // Editors save by writing a new file and renaming it over the old one.
    if (!makeFolders(folder) ||
        inotify_add_watch(inotify_, folder.c_str(),
                          IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE) < 0) {
      if (log_) log_(folder + ": cannot watch: " + errorText(errno));
    }
  }
  return inotify_;
}

void FileRegistry::onWatchEvents() {
  alignas(inotify_event) char buffer[4096];
  bool concerned = false;
  for (;;) {
    const ssize_t count = read(inotify_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    for (ssize_t offset = 0; offset < count;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      const std::string name = event->len > 0 ? std::string(event->name) : std::string();
      for (const File& file : files_) {
        if (name == baseName(file.setup.path)) concerned = true;
      }
      if ((event->mask & IN_Q_OVERFLOW) != 0) concerned = true;
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (concerned) reload();
}
