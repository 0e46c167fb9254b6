// Gesture completion: the gate, the gesture's picture, learning a binding or
// running the bound command word or program.
#include <cstddef>

#include "app/app_settings.h"
#include "app/gesture_app.h"
#include "text/lower_case.h"

namespace {

using Action = bool (*)(GestureApp&);

// A word either runs its action or, without one, injects its key.
struct CommandWord {
  const wchar_t* word = nullptr;
  Action action = nullptr;
  std::uint8_t key = 0;  // virtual key
};

}  // namespace

void GestureApp::CompleteGesture() {
  if (!GesturesAllowed()) return;  // learn mode, if set, stays set

  const Gestures::RecognitionResult result = tracker.gestureResult();
  if (result.id == 0) return;

  if (showOverlay != 0) showGesturePicture(static_cast<std::uint32_t>(result.bitmapId));

  if (mode_ == AppMode::learning) {
    const std::wstring application = taskManager.foregroundAppName(NameForm::fullPath);
    // An unreadable foreground program must not replace a binding with an
    // empty text, and a binding that was not stored is not learned: either
    // way learn mode stays for the next gesture.
    if (application.empty()) return;
    if (registry.WriteString(AppSettings::programRoot, AppSettings::programKey, result.name,
                             application)) {
      setMode(AppMode::gestures);
    }
    return;
  }

  std::wstring binding;
  if (!registry.ReadString(AppSettings::programRoot, AppSettings::programKey, result.name, binding,
                           false)) {
    return;  // no binding for this gesture
  }
  if (!RunCommandWord(binding)) LaunchBinding(binding);
}

bool GestureApp::GesturesAllowed() {
  if (taskManager.isForegroundAppBlocked()) return false;
  // The size field is the query's input; keep it right whatever an earlier
  // query left in the record.
  sipInfo.size = sizeof(SipInfo);
  if (platform_.shell.querySip(sipInfo) && (sipInfo.flags & AppSettings::sipShownFlag) != 0) {
    return false;  // the on-screen keyboard is shown
  }
  return IsSupportedAngle();
}

bool GestureApp::IsSupportedAngle() const { return screenAngle == 0 || screenAngle == 270; }

std::uint32_t GestureApp::pictureHideMs() const {
  // A negative setting would be a hide period of about 49 days as an
  // unsigned count, leaving the picture over the screen: it counts as the
  // default, like 1.
  if (showOverlay == 1 || showOverlay < 0) return AppSettings::defaultPictureMs;
  return static_cast<std::uint32_t>(showOverlay);
}

void GestureApp::showGesturePicture(std::uint32_t bitmapId) {
  const bool rotated = screenAngle != 0;
  const std::int32_t x = rotated ? AppSettings::landscapePictureX : AppSettings::portraitPictureX;
  const std::int32_t y = rotated ? AppSettings::landscapePictureY : AppSettings::portraitPictureY;
  // A picture that cannot be loaded is skipped; the gesture goes on.
  constexpr PictureSize size{AppSettings::pictureSize, AppSettings::pictureSize};
  if (overlay.loadPicture(bitmapId, x, y, size, ImageKind::bitmap) == 0) {
    overlay.showPicture(HideTimer::after, pictureHideMs());
  }
}

bool GestureApp::RunCommandWord(const std::wstring& binding) {
  if (binding.empty() || binding.size() > AppSettings::longestCommandWord) return false;

  // Tried in this order; the first equal word wins.
  static constexpr CommandWord commandWords[] = {
      {L"closezem", [](GestureApp& app) { return app.closeProgram(); }},
      {L"closeapp",
       [](GestureApp& app) {
         app.taskManager.closeForegroundApp();  // a protected application is no failure
         return true;
       }},
      {L"nextapp",
       [](GestureApp& app) {
         app.taskManager.switchToNextApp();
         return true;
       }},
      {L"prevapp",
       [](GestureApp& app) {
         app.taskManager.switchToPreviousApp();
         return true;
       }},
      {L"learn",
       [](GestureApp& app) {
         app.setMode(AppMode::learning);
         return true;
       }},
      {L"back",
       [](GestureApp& app) {
         app.taskManager.sendBack();
         return true;
       }},
      {L"home", [](GestureApp& app) { return app.goHome(); }},
      {L"start", nullptr, 0x5B},  // left Windows key
      {L"lock", nullptr, 0x85},   // F22
      {L"phone", nullptr, 0x72},  // F3
      {L"up", nullptr, 0x26},
      {L"down", nullptr, 0x28},
      {L"left", nullptr, 0x25},
      {L"right", nullptr, 0x27},
      {L"rotate", [](GestureApp& app) { return app.rotateScreen(); }},
      {L"controller", [](GestureApp& app) { return app.showController(); }},
  };

  const std::wstring word = Text::lowerCased(binding);
  for (const CommandWord& command : commandWords) {
    if (word != command.word) continue;
    if (command.action != nullptr) return command.action(*this);
    injectKey(command.key);
    return true;
  }
  return false;
}

bool GestureApp::LaunchBinding(const std::wstring& binding) {
  // "program" or "program,arguments"; further commas belong to the
  // arguments, and nothing is trimmed.
  const std::size_t comma = binding.find(L',');
  const std::wstring program = binding.substr(0, comma);
  const std::wstring arguments = comma == std::wstring::npos ? L"" : binding.substr(comma + 1);
  // An empty program (an emptied binding) names nothing to start.
  if (!program.empty()) taskManager.launch(program, arguments);
  return true;
}

void GestureApp::injectKey(std::uint8_t virtualKey) {
  platform_.input.keyEvent(virtualKey, 0, KeyFlags::down, 0);
  platform_.input.keyEvent(virtualKey, 0, KeyFlags::up, 0);
}

bool GestureApp::goHome() {
  WindowPort& windows = platform_.windows;
  const WindowHandle desktop = windows.findWindowByTitle(AppSettings::desktopTitle);
  if (desktop == 0) return false;  // then "home" is launched as a program
  windows.setForegroundWindow(desktop);
  windows.activateWindow(desktop);
  return true;
}

bool GestureApp::rotateScreen() {
  platform_.clock.sleep(AppSettings::actionPauseMs);
  overlay.hidePicture();
  // The system's "Angle" follows the display and its notification brings
  // the new angle in; screenAngle is not changed here.
  OrientationRequest request;
  request.orientation = screenAngle == 0 ? AppSettings::orientation270 : AppSettings::orientation0;
  platform_.input.changeOrientation(request);
  return true;
}

bool GestureApp::showController() {
  platform_.clock.sleep(AppSettings::actionPauseMs);
  overlay.hidePicture();
  tracker.reset();
  controller.show();
  return true;
}

bool GestureApp::closeProgram() {
  platform_.clock.sleep(AppSettings::closePauseMs);
  platform_.windows.postQuitMessage(0);
  return true;
}
