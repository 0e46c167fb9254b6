#include "vm_report.h"

#include <cstdio>

bool VmReport::check(const std::string& name, bool passed, const std::string& why) {
  if (passed) {
    std::printf("ok - %s\n", name.c_str());
  } else {
    ++failed_;
    std::printf("not ok - %s: %s\n", name.c_str(), why.empty() ? "failed" : why.c_str());
  }
  std::fflush(stdout);
  return passed;
}

void VmReport::note(const std::string& text) {
  std::printf("# %s\n", text.c_str());
  std::fflush(stdout);
}
