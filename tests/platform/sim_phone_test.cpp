#include "platform/sim/sim_phone.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

const std::wstring kZemKey = L"Software\\ZEM";

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
  cls.className = L"ZEM";
  EXPECT_TRUE(phone.windows().registerClass(cls, recorder));
  WindowSpec spec;
  spec.className = L"ZEM";
  spec.title = L"ZEM";
  return phone.windows().createWindow(spec);
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
  windows.postMessage(zem, 0x8001, 1, 2);
  windows.postQuitMessage(3);
  windows.postMessage(zem, 0x8002, 1, 0);
  QueuedMessage m;
  EXPECT_EQ(windows.getMessage(m), 1);
  EXPECT_EQ(m.message, 0x8001u);
  EXPECT_EQ(windows.getMessage(m), 1);
  EXPECT_EQ(m.message, 0x8002u);
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

TEST_F(SimPhoneTest, CtrlQBecomesTheCommandAndCloseDestroysTheOwnWindow) {
  SimWindows& windows = phone.windows();
  Recorder recorder(windows);
  const WindowHandle zem = zemWindow(phone, recorder);
  const auto table = windows.loadAccelerators(2);
  EXPECT_EQ(windows.loadAccelerators(3), 0u);
  ASSERT_TRUE(phone.pressCtrlQ());
  QueuedMessage m;
  ASSERT_EQ(windows.getMessage(m), 1);
  recorder.seen.clear();
  EXPECT_TRUE(windows.translateAccelerator(m.window, table, m));
  ASSERT_FALSE(recorder.seen.empty());
  EXPECT_EQ(recorder.seen[0].message, WindowMessage::command);
  EXPECT_EQ(recorder.seen[0].wParam & 0xFFFF, 40000u);
  // The command is not handled: sending close ends the window as the default
  // procedure does.
  windows.sendMessage(zem, WindowMessage::close, 0, 0);
  EXPECT_FALSE(windows.exists(zem));
  EXPECT_EQ(recorder.seen.back().message, WindowMessage::destroy);
  EXPECT_EQ(windows.getMessage(m), 0);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(windows.postMessage(zem, 0x8001, 1, 1));
  EXPECT_EQ(windows.lastError(), SimWindows::errorInvalidWindowHandle);
}

TEST_F(SimPhoneTest, RegistryChangesAreLoggedAndNotifyWithTheIdentifier) {
  Recorder recorder(phone.windows());
  const WindowHandle zem = zemWindow(phone, recorder);
  ASSERT_TRUE(phone.shell().notifyRegistryChange(Registry::currentUser, kZemKey, L"ShowOverlay",
                                                 zem, 0x400, 7));
  SimRegistry& registry = phone.registry();
  registry.setDword(Registry::currentUser, kZemKey, L"showoverlay", 2000);
  registry.setDword(Registry::currentUser, kZemKey, L"ShowOverlayX", 1);  // not watched
  registry.setStringList(Registry::currentUser, kZemKey, L"BlackListClose",
                         {L"\\windows\\a.exe", L"b.exe"});
  registry.setString(Registry::localMachine, L"HARDWARE\\DEVICEMAP\\TOUCH", L"LockTouch",
                     L"0,0,480,800", true);
  registry.setRaw(Registry::currentUser, kZemKey, L"SwipeUp", 3, {1, 2, 3});
  registry.deleteValue(Registry::currentUser, kZemKey, L"SwipeUp");
  EXPECT_THAT(events(phone),
              ElementsAre("registry HKCU\\Software\\ZEM\\showoverlay = 2000",
                          "registry HKCU\\Software\\ZEM\\ShowOverlayX = 1",
                          "registry HKCU\\Software\\ZEM\\BlackListClose = [\"\\windows\\a.exe\", "
                          "\"b.exe\"]",
                          "registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\LockTouch = \"0,0,480,800\"",
                          "registry HKCU\\Software\\ZEM\\SwipeUp = <type 3, 3 bytes>",
                          "registry HKCU\\Software\\ZEM\\SwipeUp deleted"));
  EXPECT_THAT(phone.windows().messages(zem), ElementsAre(SimWindows::Message{0x400, 0, 7}));
}

TEST_F(SimPhoneTest, CloseRequestClosesTheAppAndTheNextComesToTheFront) {
  const WindowHandle notes = phone.addApp(L"Notes.exe", L"\\Windows\\Notes.exe", L"N", L"Notes");
  const WindowHandle mail = phone.addApp(L"Mail.exe", L"\\Windows\\Mail.exe", L"M", L"Mail");
  const WindowHandle hidden = phone.addApp(L"Svc.exe", L"\\Svc.exe", L"S", L"Svc", false);
  phone.setForeground(notes);
  phone.setForeground(mail);
  std::uint32_t mailProcess = 0;
  ASSERT_TRUE(phone.windows().windowProcessId(mail, mailProcess));
  EXPECT_TRUE(phone.windows().postMessage(mail, 0x100, 0x26, 0));
  EXPECT_TRUE(phone.windows().postMessage(mail, WindowMessage::close, 0, 0));
  EXPECT_THAT(events(phone), ElementsAre("foreground \"Notes\"", "foreground \"Mail\"",
                                         "message 0x0100 to \"Mail\"", "close request to \"Mail\"",
                                         "\"Mail\" closes", "foreground \"Notes\""));
  EXPECT_FALSE(phone.windows().exists(mail));
  EXPECT_FALSE(phone.processes().running(mailProcess));
  EXPECT_EQ(phone.windows().foregroundWindow(), notes);
  EXPECT_TRUE(phone.windows().exists(hidden));
  // The real platform accepts a handle with its lowest bit set.
  EXPECT_TRUE(phone.windows().setForegroundWindow(hidden | 1));
  EXPECT_EQ(phone.windows().foregroundWindow(), hidden);
}

TEST_F(SimPhoneTest, LaunchStartsRegisteredProgramsOnly) {
  phone.addProgram(L"\\Windows\\Calc.exe", L"CalcClass", L"Calc");
  ShellExecuteRequest request{L"open", L"\\windows\\calc.exe", L"-x", 5};
  EXPECT_TRUE(phone.shell().execute(request));
  const WindowHandle calc = phone.windows().foregroundWindow();
  EXPECT_EQ(phone.windows().title(calc), L"Calc");
  std::uint32_t process = 0;
  ASSERT_TRUE(phone.windows().windowProcessId(calc, process));
  std::wstring path;
  EXPECT_TRUE(phone.processes().moduleFileName(process, 9, path));
  EXPECT_EQ(path, L"\\Windows");
  std::vector<std::wstring> names;
  phone.processes().forEachProcess([&](const ProcessEntry& e) {
    names.push_back(e.exeFile);
    return true;
  });
  EXPECT_THAT(names, ElementsAre(L"ZEM.exe", L"Calc.exe"));
  phone.faults().execute = 1;
  EXPECT_FALSE(phone.shell().execute(request));
  request.file = L"\\Windows\\Nothing.exe";
  EXPECT_FALSE(phone.shell().execute(request));
  EXPECT_THAT(events(phone),
              ElementsAre("launch \"\\windows\\calc.exe\" \"-x\"", "foreground \"Calc\"",
                          "launch \"\\windows\\calc.exe\" failed",
                          "launch \"\\Windows\\Nothing.exe\" failed"));
}

TEST_F(SimPhoneTest, OrientationChangeWritesTheAngleAndTurnsTheScreen) {
  OrientationRequest request;
  request.orientation = 4;
  EXPECT_EQ(phone.input().changeOrientation(request), 0);
  EXPECT_EQ(phone.registry().dwordValue(Registry::localMachine, L"System\\GDI\\Rotation", L"Angle"),
            270u);
  EXPECT_EQ(phone.windows().screenWidth(), 800);
  request.orientation = 3;
  EXPECT_NE(phone.input().changeOrientation(request), 0);
  phone.setAngle(0);
  EXPECT_EQ(phone.windows().screenHeight(), 800);
  EXPECT_THAT(events(phone), ElementsAre("display orientation 270",
                                         "registry HKLM\\System\\GDI\\Rotation\\Angle = 270",
                                         "registry HKLM\\System\\GDI\\Rotation\\Angle = 0"));
}

// The overlay steps as the program drives them for one gesture picture.
struct OverlayRun {
  SimPhone& phone;
  Overlay::Object display = 0, primary = 0, overlay = 0;

  std::int32_t load(std::uint32_t picture, std::int32_t width, std::int32_t height) {
    OverlayDevicePort& device = phone.overlayDevice();
    const WindowHandle window = phone.windows().create(L"OverlayWndClass", L"Overlay");
    if (std::int32_t r = device.createDisplayObject(display)) return r;
    if (std::int32_t r = device.setCooperativeLevel(display, window, 0)) return r;
    if (std::int32_t r = device.createPrimarySurface(display, primary)) return r;
    Overlay::SurfaceRequest request;
    request.width = width;
    request.height = height;
    request.caps = Overlay::surfaceFlip | Overlay::surfaceOverlay;
    request.format = {32, Overlay::pixelFormatRgb, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
    if (std::int32_t r = device.createOverlaySurface(display, request, overlay)) return r;
    const Overlay::Image image = device.loadImage(picture, false);
    const bool copied = device.copyImage(overlay, image, width, height);
    device.deleteImage(image);
    return copied ? 0 : 1;
  }
  std::int32_t show(const Overlay::Rect& destination, bool keyed) {
    const Overlay::Rect source{0, 0, 240, 240};
    const Overlay::Effects effects{28, 0, 0};
    const std::uint32_t flags =
        Overlay::updateShow | (keyed ? Overlay::updateSourceColorKeyOverride : 0);
    return phone.overlayDevice().updateOverlay(overlay, &source, primary, &destination, flags,
                                               &effects);
  }
  void releaseAll() {
    OverlayDevicePort& device = phone.overlayDevice();
    device.updateOverlay(overlay, nullptr, primary, nullptr, Overlay::updateHide, nullptr);
    device.release(overlay);
    device.release(primary);
    device.release(display);
  }
};

TEST_F(SimPhoneTest, OverlayRecordsThePictureAndWhereItIsShown) {
  SimOverlayDevice& device = phone.overlayDevice();
  OverlayRun run{phone};
  ASSERT_EQ(run.load(171, 240, 240), 0);
  // A leaked primary surface blocks the next picture, as on the hardware.
  Overlay::Object second = 0;
  EXPECT_NE(device.createPrimarySurface(run.display, second), 0);
  EXPECT_EQ(run.show({120, 280, 360, 520}, true), 0);
  ASSERT_TRUE(device.shownPicture().has_value());
  EXPECT_EQ(device.shownPicture()->picture, 171u);
  EXPECT_EQ(device.shownPicture()->destination, (Overlay::Rect{120, 280, 360, 520}));
  run.releaseAll();
  EXPECT_EQ(device.liveObjects(), 0u);
  EXPECT_EQ(device.invalidReleases(), 0u);
  EXPECT_FALSE(device.shownPicture().has_value());

  // Hardware that stretches by at least 1.5 refuses a smaller destination;
  // without colour keying in the capabilities a keyed show fails.
  device.config().caps = Overlay::Caps{1, 0, 0, 1500};
  ASSERT_EQ(run.load(157, 240, 240), 0);
  EXPECT_NE(run.show({120, 280, 360, 520}, false), 0);
  EXPECT_NE(run.show({120, 280, 480, 640}, true), 0);
  EXPECT_EQ(run.show({120, 280, 480, 640}, false), 0);
  run.releaseAll();
  run.releaseAll();  // a second release of everything is counted
  EXPECT_EQ(device.invalidReleases(), 3u);
  EXPECT_EQ(device.loadImage(171, true), 0u);  // not a compressed picture
  EXPECT_THAT(
      events(phone),
      ElementsAre("overlay shows picture 171 at (120,280)-(360,520) keyed", "overlay hidden",
                  "overlay shows picture 157 at (120,280)-(480,640)", "overlay hidden"));
}

TEST_F(SimPhoneTest, InjectedFaultsFailTheCallsAndThenWearOff) {
  const WindowHandle notes = phone.addApp(L"Notes.exe", L"\\Notes.exe", L"N", L"Notes");
  phone.windows().setLastError(0);
  phone.faults().post = 1;
  EXPECT_FALSE(phone.windows().postMessage(notes, 0x100, 0, 0));
  EXPECT_EQ(phone.windows().lastError(), SimWindows::errorNotEnoughQuota);
  EXPECT_TRUE(phone.windows().postMessage(notes, 0x100, 0, 0));

  phone.faults().snapshot = -1;
  EXPECT_FALSE(phone.processes().forEachProcess([](const ProcessEntry&) { return true; }));
  EXPECT_FALSE(phone.processes().forEachProcess([](const ProcessEntry&) { return true; }));
  phone.faults().snapshot = 0;
  EXPECT_TRUE(phone.processes().forEachProcess([](const ProcessEntry&) { return true; }));

  phone.faults().createThread = 1;
  bool ran = false;
  EXPECT_EQ(phone.processes().createThread([&] { ran = true; }), 0u);
  EXPECT_FALSE(ran);
  EXPECT_EQ(phone.processes().openThreadHandles(), 0u);

  phone.faults().setLed = 1;
  EXPECT_FALSE(phone.leds().setLed(1, 1));
  EXPECT_EQ(phone.leds().state(1), 0);
  phone.faults().changeOrientation = 1;
  EXPECT_NE(phone.input().changeOrientation(OrientationRequest{}), 0);
  EXPECT_EQ(phone.registry().dwordValue(Registry::localMachine, L"System\\GDI\\Rotation", L"Angle"),
            0u);
}

TEST_F(SimPhoneTest, TouchDriverReloadsOnRearmAndLogsSamples) {
  Recorder recorder(phone.windows());
  const WindowHandle zem = zemWindow(phone, recorder);
  SimRegistry& registry = phone.registry();
  const std::wstring touchKey = L"HARDWARE\\DEVICEMAP\\TOUCH";
  registry.setString(Registry::localMachine, touchKey, L"LockTouch", L"0,0,240,800");
  registry.setDword(Registry::localMachine, touchKey, L"MultiTouchDemo", 0);
  registry.setDword(Registry::localMachine, touchKey, L"MultiTouchDemo", 1);
  phone.log().clear();
  EXPECT_TRUE(phone.touch({1, 400, 400, {0, 0}, 0, 0, 0}));
  EXPECT_FALSE(phone.touch({1, 1600, 400, {0, 0}, 0, 0, 0}));
  EXPECT_THAT(phone.log().texts(LogCategory::touch),
              ElementsAre("touch 1 (400,400) -> pen input", "touch 1 (1600,400) -> withheld"));
  EXPECT_EQ(phone.windows().messages(zem).size(), 2u);  // found the window this time
}

TEST_F(SimPhoneTest, KeysNameTheFrontWindowInUtf8AndTheLogFormatsInTimeOrder) {
  phone.setForeground(phone.addApp(L"A.exe", L"\\A.exe", L"A", L"Caf\u00e9 \U0001F600"));
  phone.log().clear();
  phone.clock().advanceTo(1234);
  phone.input().keyEvent(8, 142, KeyFlags::up, 0);
  phone.log().add(5, LogCategory::touch, "early");
  phone.log().add(1234, LogCategory::debug, "late");
  EXPECT_EQ(phone.log().format(),
            "      5 ms  early\n"
            "   1234 ms  key up 8 scan 142 -> Caf\xC3\xA9 \xF0\x9F\x98\x80\n"
            "   1234 ms  late\n");
  EXPECT_EQ(phone.log().format(false).find("early"), std::string::npos);

  phone.setKeyboardShown(true);
  SipInfo sip;
  EXPECT_FALSE(phone.shell().querySip(sip));  // the size field must be set
  sip.size = sizeof sip;
  ASSERT_TRUE(phone.shell().querySip(sip));
  EXPECT_EQ(sip.flags & 1u, 1u);
}

TEST_F(SimPhoneTest, DestroyedWindowsTakeTheirMessagesAndTimersWithThem) {
  SimWindows& windows = phone.windows();
  Recorder recorder(windows);
  const WindowHandle zem = zemWindow(phone, recorder);
  WindowSpec spec;
  spec.className = L"ZEM";
  spec.title = L"Overlay";
  const WindowHandle overlay = windows.createWindow(spec);
  ASSERT_NE(overlay, 0u);
  EXPECT_EQ(windows.createWindow(WindowSpec{}), 0u);  // no such class
  windows.setTimer(overlay, 1, 500);
  windows.postMessage(overlay, 0x8001, 1, 1);
  windows.postMessage(zem, 0x8002, 1, 0);
  EXPECT_TRUE(windows.destroyWindow(overlay));
  EXPECT_FALSE(windows.hasTimer(overlay, 1));
  QueuedMessage m;
  ASSERT_EQ(windows.getMessage(m), 1);
  EXPECT_EQ(m.window, zem);
  EXPECT_EQ(windows.getMessage(m), 0);  // the quit of the destroy message
  EXPECT_EQ(windows.getMessage(m), 0);
  EXPECT_EQ(events(phone).back(), "end of scenario");
  // Another application's window is not the program's to destroy.
  EXPECT_FALSE(windows.destroyWindow(phone.addApp(L"B.exe", L"\\B.exe", L"B", L"B")));
}

}  // namespace
