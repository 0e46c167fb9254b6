#include "platform/sim/sim_phone.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ports/main_window.h"
#include "ports/touch_messages.h"

namespace {

using ::testing::ElementsAre;

// A window procedure that records what reaches it and closes like the
// platform's default one.
class Recorder : public MessageHandler {
 public:
  explicit Recorder(SimWindows& windows) : windows_(windows) {}
  LResult handleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override {
    seen.push_back({message, wParam, lParam});
    if (message == WindowMessage::destroy) windows_.postQuitMessage(7);
    return windows_.defaultProcedure(window, message, wParam, lParam);
  }
  std::vector<SimWindows::Message> seen;

 private:
  SimWindows& windows_;
};

std::vector<std::string> events(SimPhone& phone) { return phone.log().texts(LogCategory::event); }

// A phone whose log starts empty (the touch driver logs its first load).
class SimPhoneTest : public ::testing::Test {
 protected:
  SimPhoneTest() { phone.log().clear(); }
  SimPhone phone;
};

WindowHandle zemWindow(SimPhone& phone, Recorder& recorder) {
  WindowClassSpec cls;
  cls.className = MainWindow::className;
  EXPECT_TRUE(phone.windows().registerClass(cls, recorder));
  WindowSpec params;
  params.className = MainWindow::className;
  params.title = MainWindow::title;
  return phone.windows().createWindow(params);
}

TEST_F(SimPhoneTest, SleepRunsDueEventsInOrderAndWorkersKeepTheirOwnTime) {
  SimClock& clock = phone.clock();
  std::vector<int> ran;
  clock.at(300, [&] { ran.push_back(3); });
  clock.at(100, [&] { ran.push_back(1); });
  clock.at(100, [&] { ran.push_back(2); });  // same time: scheduling order
  clock.at(1001, [&] { ran.push_back(4); });
  clock.sleep(1000);
  EXPECT_THAT(ran, ElementsAre(1, 2, 3));
  EXPECT_EQ(clock.nowMs(), 1000u);
  EXPECT_EQ(clock.pendingEvents(), 1u);

  // A worker sleeps on its own timeline; its entries carry its time and sort
  // in among the main thread's.
  phone.log().clear();
  std::uint64_t workerEnd = 0;
  const ProcessPort::ThreadHandle thread = phone.processes().createThread([&] {
    phone.leds().setLed(1, 1);
    clock.sleep(20);
    phone.leds().setLed(1, 0);
    workerEnd = clock.nowMs();
  });
  ASSERT_NE(thread, 0u);
  EXPECT_EQ(workerEnd, 1020u);
  EXPECT_EQ(clock.nowMs(), 1000u);
  EXPECT_EQ(ran.size(), 3u);  // a worker's sleep runs no events
  phone.input().keyEvent(38, 0, KeyFlags::down, 0);
  EXPECT_THAT(events(phone), ElementsAre("led 1 on", "key down 38", "led 1 off"));
  EXPECT_EQ(phone.processes().openThreadHandles(), 1u);
  phone.processes().closeThread(thread);
  EXPECT_EQ(phone.processes().openThreadHandles(), 0u);
}

TEST_F(SimPhoneTest, MessageLoopServesPostedThenQuitThenTimersThenEvents) {
  SimWindows& windows = phone.windows();
  Recorder recorder(windows);
  const WindowHandle zem = zemWindow(phone, recorder);
  ASSERT_NE(zem, 0u);
  EXPECT_THAT(recorder.seen, ElementsAre(SimWindows::Message{WindowMessage::create, 0, 0}));

  phone.clock().at(50, [&] { windows.postMessage(zem, 0x400, 0, 9); });
  EXPECT_EQ(windows.setTimer(zem, 1, 50), 1u);  // due at 50 too: before the event
  windows.postMessage(zem, WM_APP_TOUCH, 1, 2);
  windows.postQuitMessage(3);
  windows.postMessage(zem, WM_APP_TOUCH_END, 1, 0);
  QueuedMessage m;
  EXPECT_EQ(windows.getMessage(m), 1);
  EXPECT_EQ(m.message, WM_APP_TOUCH);
  EXPECT_EQ(windows.getMessage(m), 1);
  EXPECT_EQ(m.message, WM_APP_TOUCH_END);
  EXPECT_EQ(windows.getMessage(m), 0);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(windows.getMessage(m), 1);
  EXPECT_EQ(m.message, WindowMessage::timer);
  EXPECT_EQ(phone.clock().nowMs(), 50u);
  EXPECT_EQ(windows.getMessage(m), 1);
  EXPECT_EQ(m.message, 0x400u);
  EXPECT_EQ(m.lParam, 9);

  // A timer nobody kills keeps firing only for a while after the last event.
  windows.setSettleMs(500);
  int ticks = 0;
  while (windows.getMessage(m) > 0) ++ticks;
  EXPECT_EQ(ticks, 10);  // 100 ... 550 ms: up to 500 ms after the event at 50
  EXPECT_EQ(events(phone).back(), "end of scenario");
  EXPECT_TRUE(windows.killTimer(zem, 1));
  EXPECT_FALSE(windows.killTimer(zem, 1));
}

}  // namespace
