// The handler std::terminate calls unless the program sets another, for
// ZEM.exe. The C++ runtime's own one names the exception's type through the
// demangler, about 70 KB of the program, for a message on standard error,
// which a program without a console shows no one. This one writes the same
// message without the type's name, with what() of a standard exception, and
// then aborts as that one does.
#include <cxxabi.h>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  static bool terminating = false;
  if (terminating) {  // what() threw, or a destructor on the way out did
    std::fputs("terminate called recursively\n", stderr);
    std::abort();
  }
  terminating = true;
  if (abi::__cxa_current_exception_type() == nullptr) {
    std::fputs("terminate called without an active exception\n", stderr);
    std::abort();
  }
  std::fputs("terminate called after throwing an exception\n", stderr);
  try {
    throw;
  } catch (const std::exception& e) {
    std::fputs("  what():  ", stderr);
    std::fputs(e.what(), stderr);
    std::fputs("\n", stderr);
  } catch (...) {
  }
  std::abort();
}

}  // namespace __gnu_cxx
