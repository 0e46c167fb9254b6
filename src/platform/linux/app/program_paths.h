// Where the Linux program keeps its files, from the XDG variables:
//   settings  $XDG_CONFIG_HOME/zem/settings.reg  (default ~/.config)
//   runtime   $XDG_RUNTIME_DIR/zem/              (the driver key, the lock)
// Without XDG_RUNTIME_DIR (a bare console) the runtime folder is
// /tmp/zem-UID, made private to the user.
#pragma once

#include <string>

struct ProgramPaths {
  std::string settingsFile;
  std::string runtimeFolder;
  std::string driverFile;  // runtimeFolder + "/driver.reg"
  std::string lockFile;    // runtimeFolder + "/zem.lock"

  // `getenv` is the environment to read (tests give their own).
  static ProgramPaths fromEnvironment(const char* (*getenv)(const char*), unsigned uid);
};

// The single-instance lock: held (flock) for the life of the object.
class InstanceLock {
 public:
  enum class Result { acquired, heldByAnother, failed };

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Creates the folder (0700) and the lock file when missing.
  Result acquire(const std::string& path, std::string& error);

 private:
  int fd_ = -1;
};
