// The epoll message loop for real: eventfd and signalfd. Its timers and
// inotify in the real zem: the program test (the driver's re-arm, a settings
// file edited), the X11 runs (a picture hidden after "ShowOverlay") and the VM.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app/app_settings.h"
#include "platform/linux/app/linux_ports.h"
#include "platform/linux/app/linux_windows.h"
#include "platform/linux/app/null_desktop.h"
#include "ports/main_window.h"
#include "ports/touch_messages.h"

namespace {

class Recorder final : public MessageHandler {
 public:
  LResult handleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override {
    seen.push_back(QueuedMessage{window, message, wParam, lParam});
    return 0;
  }
  std::vector<QueuedMessage> seen;
};

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(windows.open());
    WindowClassSpec windowClass;
    windowClass.className = MainWindow::className;
    ASSERT_TRUE(windows.registerClass(windowClass, handler));
    WindowSpec params;
    params.className = MainWindow::className;
    params.title = MainWindow::title;
    main = windows.createWindow(params);
    ASSERT_NE(main, 0u);
  }

  // The next message, which must come within the test's patience.
  QueuedMessage next(std::int32_t expectedResult = 1) {
    QueuedMessage message;
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
      for (int i = 0; i < 500 && !done; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (!done) windows.postFromAnyThread(main, 0xDEAD, 0, 0);  // unblock a hung wait
    });
    EXPECT_EQ(windows.getMessage(message), expectedResult);
    done = true;
    watchdog.join();
    EXPECT_NE(message.message, 0xDEADu) << "no message came";
    return message;
  }

  std::vector<std::string> log;
  Log logger{[this](const std::string& line) { log.push_back(line); }};
  NullDesktop desktop{logger};
  LinuxWindowPort windows{desktop, logger, 480, 800};
  Recorder handler;
  WindowHandle main = 0;
};

TEST_F(MessageLoopTest, PostedAndDriverMessagesArriveInOrderAndWakeTheLoop) {
  LinuxHookPort hook(windows, logger);
  constexpr int perThread = 1000;
  std::thread first([&] {
    for (int i = 0; i < perThread; ++i) EXPECT_TRUE(hook.postMessage(main, WM_APP_TOUCH, 1, i));
  });
  std::thread second([&] {
    for (int i = 0; i < perThread; ++i) EXPECT_TRUE(hook.postMessage(main, WM_APP_TOUCH_END, 1, i));
  });
  LParam expected[2] = {0, 0};
  for (int i = 0; i < 2 * perThread; ++i) {
    const QueuedMessage message = next();
    ASSERT_TRUE(message.message == WM_APP_TOUCH || message.message == WM_APP_TOUCH_END);
    EXPECT_EQ(message.lParam, expected[message.message - WM_APP_TOUCH]++);
  }
  first.join();
  second.join();
  EXPECT_TRUE(windows.postMessage(main, WM_REGISTRY_CHANGED, 0, 7));
  EXPECT_EQ(next().lParam, 7);
}

TEST_F(MessageLoopTest, AFullDriverQueueFailsThePostAtOnce) {
  LinuxHookPort hook(windows, logger);
  std::size_t posted = 0;
  while (hook.postMessage(main, WM_APP_TOUCH, 1, 0)) ++posted;
  EXPECT_EQ(posted, LinuxWindowPort::driverQueueSize);
  EXPECT_EQ(hook.lastError(), errorNotEnoughQuota);
  EXPECT_FALSE(hook.postMessage(42, WM_APP_TOUCH, 1, 0));  // not the program's window
  EXPECT_EQ(hook.lastError(), errorInvalidWindowHandle);
  next();  // room again
  EXPECT_TRUE(hook.postMessage(main, WM_APP_TOUCH, 1, 0));
}

TEST_F(MessageLoopTest, TerminationSignalsSendTheCloseCommandToTheMainWindow) {
  for (const int signal : {SIGTERM, SIGINT}) {
    ASSERT_EQ(kill(getpid(), signal), 0);
    const QueuedMessage message = next();
    EXPECT_EQ(message.window, main);
    EXPECT_EQ(message.message, WindowMessage::command);
    EXPECT_EQ(message.wParam, MainWindow::closeCommandId);
  }
  // The close request destroys the window (the destroy message reaches it).
  windows.defaultProcedure(main, WindowMessage::close, 0, 0);
  EXPECT_EQ(handler.seen.back().message, WindowMessage::destroy);
  EXPECT_FALSE(windows.postMessage(main, WM_APP_TOUCH, 1, 0));
  // Without a main window a signal quits at once.
  ASSERT_EQ(kill(getpid(), SIGTERM), 0);
  EXPECT_EQ(next(0).message, WindowMessage::quit);
}

}  // namespace
