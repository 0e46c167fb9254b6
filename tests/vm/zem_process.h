// The program under test, started as a child process inside the VM. Its
// output goes to the console (the first serial port).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class ZemProcess {
 public:
  // Starts `program` with `arguments`; check running().
  ZemProcess(const std::string& program, const std::vector<std::string>& arguments);
  ~ZemProcess();  // kills it if still running
  ZemProcess(const ZemProcess&) = delete;
  ZemProcess& operator=(const ZemProcess&) = delete;

  bool running();
  // SIGTERM, then waits up to `wait`; the exit status, or -1 when it had to
  // be killed (or never ran).
  int stop(std::chrono::milliseconds wait);

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};
