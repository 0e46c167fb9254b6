// ZEM.exe's terminate handler: the runtime's message and an abnormal end, as
// the C++ runtime's own handler gives them, without the demangler.
#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>

namespace {

void raise(bool standard) {
  if (standard) throw std::runtime_error("probe failure");
  throw 42;
}

// std::terminate with the exception active, as for an exception that leaves
// the program.
void raiseThroughNoexcept(bool standard) noexcept { raise(standard); }

TEST(TerminateHandlerDeathTest, WritesTheMessageAndAborts) {
  EXPECT_DEATH(raiseThroughNoexcept(true),
               "terminate called after throwing an exception\n  what..:  probe failure");
  EXPECT_DEATH(raiseThroughNoexcept(false), "terminate called after throwing an exception");
  EXPECT_DEATH(std::terminate(), "terminate called without an active exception");
}

}  // namespace
