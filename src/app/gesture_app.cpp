#include "app/gesture_app.h"

#include "app/app_settings.h"
#include "ports/touch_messages.h"

const wchar_t* toString(AppMode mode) {
  switch (mode) {
    case AppMode::gestures:
      return L"gestures";
    case AppMode::learning:
      return L"learning";
    case AppMode::controller:
      return L"controller";
  }
  return L"?";
}

GestureApp::GestureApp(Platform& platform)
    : platform_(platform),
      overlay(platform.windows, platform.overlayDevice, platform.debug),
      registry(platform.registry),
      taskManager(platform.windows, platform.processes, platform.input, platform.shell),
      vibrator(platform.processes, platform.clock, platform.leds),
      controller(platform.input, platform.debug) {}

int GestureApp::run() {
  WindowPort& windows = platform_.windows;
  leaving_ = false;
  platform_.shell.initialize();

  const std::wstring title =
      windows.loadString(MainWindow::titleStringId, AppSettings::resourceStringChars);
  const std::wstring className =
      windows.loadString(MainWindow::classStringId, AppSettings::resourceStringChars);

  // One instance only: bring the running one forward. The lowest bit of the
  // handle asks the platform to bring its owned windows forward too. The
  // main window is never shown, and a hidden window in front would become
  // the application that commands act on ("closeapp" would close ZEM, keys
  // would go to it): a hidden one is left where it is.
  if (const WindowHandle running = windows.findWindow(className, title); running != 0) {
    if (windows.isWindowVisible(running)) windows.setForegroundWindow(running | 1);
    return 0;
  }

  WindowClassSpec classSpec;
  classSpec.styles = AppSettings::classStyles;
  classSpec.className = className;
  classSpec.iconId = MainWindow::iconId;
  classSpec.arrowCursor = false;
  classSpec.stockBrush = AppSettings::whiteBrush;
  if (!windows.registerClass(classSpec, *this)) return 0;

  WindowSpec windowSpec;
  windowSpec.exStyle = 0;
  windowSpec.className = className;
  windowSpec.title = title;
  windowSpec.style = AppSettings::windowStyle;
  windowSpec.x = windowSpec.y = windowSpec.width = windowSpec.height = defaultWindowPosition;
  // The create message loads every setting before this returns.
  if (windows.createWindow(windowSpec) == 0) return 0;

  const WindowPort::AcceleratorTable accelerators =
      windows.loadAccelerators(MainWindow::acceleratorTableId);

  // A failed fetch (< 0) ends the loop as the quit message does: retrying it
  // would spin for ever on a broken queue.
  QueuedMessage message;
  std::int32_t fetched = 0;
  while ((fetched = windows.getMessage(message)) > 0) {
    if (!windows.translateAccelerator(message.window, accelerators, message)) {
      windows.translateMessage(message);
      windows.dispatchMessage(message);
    }
  }

  RearmTouchDriver(false);
  WriteLockTouch(TouchDriverRegistry::wholeScreen);
  // "closezem" ends the loop with the window still there; it must not
  // outlive this object, whose procedure it calls (the system may still
  // send it messages while the program shuts down).
  if (mainWindow_ != 0) {
    leaving_ = true;
    windows.destroyWindow(mainWindow_);
  }
  return fetched == 0 ? static_cast<int>(static_cast<std::int32_t>(message.wParam)) : -1;
}

LResult GestureApp::WindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                                    LParam lParam) {
  WindowPort& windows = platform_.windows;
  switch (message) {
    case WindowMessage::create:
      onCreate(window);
      return 0;
    case WindowMessage::destroy:
      mainWindow_ = 0;
      // Destroyed on the way out, the loop is over: no quit is left behind.
      if (!leaving_) windows.postQuitMessage(0);
      return 0;
    case WindowMessage::activate:
      platform_.shell.handleActivate(window, wParam, lParam, activationInfo_);
      return 0;
    case WindowMessage::paint:
      windows.validate(window);
      return 0;
    case WindowMessage::settingChange:
      platform_.shell.handleSettingChange(window, wParam, lParam, activationInfo_);
      return 0;
    case WindowMessage::command:
      if ((wParam & 0xFFFF) == MainWindow::closeCommandId) {
        windows.sendMessage(window, WindowMessage::close, 0, 0);
        return 0;
      }
      return windows.defaultProcedure(window, message, wParam, lParam);
    case WM_REGISTRY_CHANGED:
      ReloadSetting(lParam);
      return 0;
    case WM_APP_TOUCH:
      onTouchMove(wParam, lParam);
      return 0;
    case WM_APP_TOUCH_END:
      onTouchEnd();
      return 0;
    default:
      return windows.defaultProcedure(window, message, wParam, lParam);
  }
}

void GestureApp::onCreate(WindowHandle window) {
  mainWindow_ = window;
  activationInfo_ = ShellActivationInfo{};
  activationInfo_.size = sizeof(ShellActivationInfo);
  RegisterSettingNotifications(window);
  LoadAllSettings();
}

void GestureApp::onTouchMove(WParam wParam, LParam lParam) {
  // The packed words are the low 32 bits of wParam and lParam.
  tracker.touchUpdate(static_cast<std::uint32_t>(wParam),
                      static_cast<std::uint32_t>(static_cast<std::uintptr_t>(lParam)),
                      sampleMode());
  if (controllerShown()) forwardToController();
}

void GestureApp::onTouchEnd() {
  tracker.touchEnd(0, Geometry::Point2D(0.0, 0.0), Geometry::Point2D(0.0, 0.0), sampleMode());
  if (controllerShown()) {
    forwardToController();
    return;
  }
  // An end without a touch since the previous one (a tap the hook did not
  // post, a sample it could not forward) drew nothing: the tracker still
  // holds the previous gesture's results, which must not run again.
  if (tracker.previousTouchCount() == 0) return;
  CompleteGesture();
}

void GestureApp::forwardToController() {
  controller.handleTouch(tracker.touchCount(), tracker.currentPoint(Finger::first),
                         tracker.currentPoint(Finger::second));
}

SampleMode GestureApp::sampleMode() const {
  const Screen screen = screenAngle != 0 ? Screen::rotated : Screen::upright;
  return controllerShown() ? SampleMode::controller(screen) : SampleMode::gestures(screen);
}

void GestureApp::setControllerMode(bool shown) {
  if (shown) {
    setMode(AppMode::controller);
  } else if (mode_ == AppMode::controller) {
    setMode(AppMode::gestures);
  }
}

void GestureApp::setMode(AppMode mode) {
  if (mode == mode_) return;
  platform_.debug.debugOutput(std::wstring(L"GestureApp: mode ") + toString(mode_) + L" -> " +
                              toString(mode) + L"\n");
  mode_ = mode;
}
