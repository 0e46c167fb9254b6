// The application object of the main program: it owns every component, runs
// the program's entry steps and the message loop, and is the window
// procedure of the hidden main window, which routes the touch messages of the
// hook library, the registry-change notifications and the close command.
//
// Lifecycle:
//   construction   members built in declaration order (overlay, tracker,
//                  registry store, task manager, vibrator, controller).
//   run()          shell initialisation; single instance; main window; its
//                  create message registers the ten change notifications and
//                  loads every setting; the message loop; on the way out the
//                  touch driver's switch goes off, the whole screen passes,
//                  and the main window, if still there, is destroyed.
//   destruction    members in reverse order.
//
// A touch sample updates the tracker; in controller mode the controller gets
// the current points, otherwise the touch end completes the gesture: the
// gate, the picture, then learning a binding or running the bound command.
// An end with no touch since the previous end completes nothing.
//
// One thread: everything happens inside run(), in message handlers.
#pragma once

#include <cstdint>
#include <string>

#include "capture/touch_tracker.h"
#include "controller/controller.h"
#include "controller/controller_host.h"
#include "controller/vibrator.h"
#include "overlay/overlay_display.h"
#include "ports/platform.h"
#include "registry/registry_store.h"
#include "tasks/task_manager.h"

// What a finished touch does: complete a gesture, learn a binding with it,
// or nothing (the game-pad takes every touch).
enum class AppMode {
  gestures,
  learning,    // the next gesture binds the application in front
  controller,  // the game-pad is shown
};

const wchar_t* toString(AppMode mode);

class GestureApp : public ControllerHost, private MessageHandler {
  Platform& platform_;

 public:
  explicit GestureApp(Platform& platform);
  ~GestureApp() override = default;

  GestureApp(const GestureApp&) = delete;
  GestureApp& operator=(const GestureApp&) = delete;

  // The entry steps. The quit message's code; 0 when another instance runs
  // or the main window cannot be made; -1 when fetching a message failed.
  int run();

  // The main window's procedure (also reached through the message handler).
  LResult WindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);

  // --- settings ---
  void RegisterSettingNotifications(WindowHandle window);
  void LoadAllSettings();
  // Reloads the setting with this notification identifier; others do nothing.
  void ReloadSetting(LParam identifier);
  void RearmTouchDriver(bool apply) override;
  void WriteLockTouch(const std::wstring& text) override;
  // "Angle" changed: a game-pad that is shown comes back laid out for it.
  void applyAngle(std::uint32_t degrees);

  // --- gesture completion and commands ---
  void CompleteGesture();
  bool GesturesAllowed();
  bool IsSupportedAngle() const;
  // True when the binding is a command word and its action succeeded.
  bool RunCommandWord(const std::wstring& binding);
  // Starts "program" or "program,arguments". Always true.
  bool LaunchBinding(const std::wstring& binding);

  // --- ControllerHost ---
  void setControllerMode(bool shown) override;
  OverlayDisplay& overlayDisplay() override { return overlay; }
  Vibrator& vibratorDevice() override { return vibrator; }

  WindowHandle mainWindow() const { return mainWindow_; }
  // How long a gesture's picture stays, in ms (showOverlay != 0).
  std::uint32_t pictureHideMs() const;

  AppMode mode() const { return mode_; }

  std::int32_t showOverlay = 1;  // 0: no picture, 1: 500 ms, other: that many ms
  std::int32_t screenAngle = 0;  // degrees, from "Angle"
  SipInfo sipInfo;
  OverlayDisplay overlay;
  TouchTracker tracker;
  RegistryStore registry;
  TaskManager taskManager;
  Vibrator vibrator;
  Controller controller;

 private:
  LResult handleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override {
    return WindowProcedure(window, message, wParam, lParam);
  }

  void onCreate(WindowHandle window);
  void onTouchMove(WParam wParam, LParam lParam);
  void onTouchEnd();
  void forwardToController();
  void showGesturePicture(std::uint32_t bitmapId);
  void injectKey(std::uint8_t virtualKey);
  bool goHome();
  bool rotateScreen();
  bool showController();
  bool closeProgram();

  // Changes the mode, with a line on the debug output.
  void setMode(AppMode mode);
  bool controllerShown() const { return mode_ == AppMode::controller; }
  // How the tracker takes the next sample.
  SampleMode sampleMode() const;

  AppMode mode_ = AppMode::gestures;
  WindowHandle mainWindow_ = 0;  // 0 once destroyed
  bool leaving_ = false;         // run() has left its message loop
  ShellActivationInfo activationInfo_;
};
