#include "platform/linux/app/program_paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string variable(const char* (*getenv)(const char*), const char* name) {
  const char* value = getenv(name);
  // Relative paths are invalid by the XDG rules and are ignored.
  return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

// Creates the folder and its parents, private to the user.
bool makeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/") return true;
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const std::size_t slash = folder.rfind('/');
  if (slash != std::string::npos && !makeFolders(folder.substr(0, slash))) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

ProgramPaths ProgramPaths::fromEnvironment(const char* (*getenv)(const char*), unsigned uid) {
  ProgramPaths paths;
  std::string config = variable(getenv, "XDG_CONFIG_HOME");
  if (config.empty()) {
    const std::string home = variable(getenv, "HOME");
    config =
        (home.empty() ? std::string("/tmp/zem-config-") + std::to_string(uid) : home) + "/.config";
  }
  paths.settingsFile = config + "/zem/settings.reg";
  std::string runtime = variable(getenv, "XDG_RUNTIME_DIR");
  paths.runtimeFolder = runtime.empty() ? "/tmp/zem-" + std::to_string(uid) : runtime + "/zem";
  paths.driverFile = paths.runtimeFolder + "/driver.reg";
  paths.lockFile = paths.runtimeFolder + "/zem.lock";
  return paths;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);
}

InstanceLock::Result InstanceLock::acquire(const std::string& path, std::string& error) {
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    const std::string folder = path.substr(0, slash);
    if (!makeFolders(folder)) {
      error = folder + ": " + std::strerror(errno);
      return Result::failed;
    }
  }
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    error = path + ": " + std::strerror(errno);
    return Result::failed;
  }
  if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return Result::acquired;
  const int why = errno;
  close(fd_);
  fd_ = -1;
  if (why == EWOULDBLOCK) return Result::heldByAnother;
  error = path + ": " + std::strerror(why);
  return Result::failed;
}
