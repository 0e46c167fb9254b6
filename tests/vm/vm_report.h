// The result lines of the programs the test VM runs, read back by
// scripts/vm/run.sh:
//
//   ok - <check>
//   not ok - <check>: <what went wrong>
//   # <a figure or a note>
//
// Each program exits non-zero when one of its checks failed.
#pragma once

#include <string>

class VmReport {
 public:
  // Records one check; returns `passed`.
  bool check(const std::string& name, bool passed, const std::string& why = {});
  void note(const std::string& text);
  int exitCode() const { return failed_ == 0 ? 0 : 1; }

 private:
  int failed_ = 0;
};
