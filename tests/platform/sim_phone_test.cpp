#include "platform/sim/sim_phone.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "ports/touch_messages.h"

namespace {

// A window procedure that leaves everything to the platform's default one.
class DefaultHandler : public MessageHandler {
 public:
  explicit DefaultHandler(SimWindows& windows) : windows_(windows) {}
  LResult handleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override {
    return windows_.defaultProcedure(window, message, wParam, lParam);
  }

 private:
  SimWindows& windows_;
};

// Posted messages first, then the quit, then due timers, then clock events.
TEST(SimPhoneTest, MessageLoopServesPostedThenQuitThenTimersThenEvents) {
  SimPhone phone;
  SimWindows& windows = phone.windows();
  DefaultHandler handler(windows);
  WindowClassSpec cls;
  cls.className = L"Test";
  ASSERT_TRUE(windows.registerClass(cls, handler));
  WindowSpec params;
  params.className = L"Test";
  const WindowHandle window = windows.createWindow(params);
  ASSERT_NE(window, 0u);

  phone.clock().at(50, [&] { windows.postMessage(window, 0x400, 0, 9); });
  EXPECT_EQ(windows.setTimer(window, 1, 50), 1u);  // due at 50 too: before the event
  windows.postMessage(window, WM_APP_TOUCH, 1, 2);
  windows.postQuitMessage(3);
  windows.postMessage(window, WM_APP_TOUCH_END, 1, 0);
  const std::pair<std::int32_t, std::uint32_t> fetched[] = {{1, WM_APP_TOUCH},
                                                            {1, WM_APP_TOUCH_END},
                                                            {0, WindowMessage::quit},
                                                            {1, WindowMessage::timer},
                                                            {1, 0x400}};  // result, message
  QueuedMessage m;
  for (const auto& [result, message] : fetched) {
    EXPECT_EQ(windows.getMessage(m), result);
    EXPECT_EQ(m.message, message);
  }
  EXPECT_EQ(phone.clock().nowMs(), 50u);

  // A timer nobody kills keeps firing only for a while after the last event.
  windows.setSettleMs(500);
  int ticks = 0;
  while (windows.getMessage(m) > 0) ++ticks;
  EXPECT_EQ(ticks, 10);  // 100 ... 550 ms: up to 500 ms after the event at 50
  EXPECT_EQ(phone.log().texts(LogCategory::event).back(), "end of scenario");
}

}  // namespace
