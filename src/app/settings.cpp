// The registry settings: change notifications, the full load, the reload of
// one setting, the touch driver's re-arm and the pass-through rectangle.
// A value that cannot be read leaves its setting as it was.
#include <vector>

#include "app/app_settings.h"
#include "app/gesture_app.h"

namespace {

using List = TaskManager::List;

// The list on success only, so a failed read keeps the task manager's list.
template <typename Setter>
void loadList(RegistryStore& registry, const wchar_t* valueName, Setter set) {
  List list;
  if (registry.ReadStringList(AppSettings::programRoot, AppSettings::programKey, valueName, list,
                              true)) {
    set(list);
  }
}

}  // namespace

void GestureApp::RegisterSettingNotifications(WindowHandle window) {
  // Neither the results nor the registrations are kept: they last as long
  // as the process.
  for (const AppSettings::WatchedValue& watched : AppSettings::watchedValues) {
    platform_.shell.notifyRegistryChange(watched.root, watched.subKey, watched.valueName, window,
                                         WM_REGISTRY_CHANGED, watched.id);
  }
}

void GestureApp::LoadAllSettings() {
  // The whole screen passes before the driver is re-armed, so the freshly
  // loaded hook reads it: a rectangle left behind by a game-pad that was
  // shown when the program last ended (or none at all on a new phone) would
  // otherwise withhold touches from every other application until the next
  // re-arm.
  WriteLockTouch(AppSettings::wholeScreenLockTouch);
  RearmTouchDriver(true);
  LoadBlackListClose();
  LoadBlackListAll();
  LoadBlackListSwitch();
  LoadWhiteListBack();
  LoadSingleTouchGestureSupport();
  LoadTapAndHoldGestureSupport();
  LoadShowOverlay();
  LoadControllerKeys();
  LoadControllerVibrate();
  LoadAngle();
  controller.attach(*this);
  sipInfo = SipInfo{};
  sipInfo.size = sizeof(SipInfo);
}

void GestureApp::ReloadSetting(LParam identifier) {
  switch (identifier) {
    case AppSettings::idBlackListClose:
      LoadBlackListClose();
      break;
    case AppSettings::idBlackListAll:
      LoadBlackListAll();
      break;
    case AppSettings::idBlackListSwitch:
      LoadBlackListSwitch();
      break;
    case AppSettings::idWhiteListBack:
      LoadWhiteListBack();
      break;
    case AppSettings::idSingleTouchGestureSupport:
      LoadSingleTouchGestureSupport();
      break;
    case AppSettings::idTapAndHoldGestureSupport:
      LoadTapAndHoldGestureSupport();
      break;
    case AppSettings::idShowOverlay:
      LoadShowOverlay();
      break;
    case AppSettings::idControllerKeys:
      LoadControllerKeys();
      break;
    case AppSettings::idControllerVibrate:
      LoadControllerVibrate();
      break;
    case AppSettings::idAngle:
      LoadAngle();
      break;
    default:
      break;  // not a setting of this program
  }
}

void GestureApp::RearmTouchDriver(bool apply) {
  const auto write = [this](std::uint32_t value) {
    registry.WriteDword(AppSettings::touchDriverRoot, AppSettings::touchDriverKey,
                        AppSettings::multiTouchDemo, value);
  };
  if (!apply) {
    write(0);
    return;
  }
  // The driver attaches the hook library afresh when its switch goes from
  // off to on. A switch that does not exist is never created here.
  std::uint32_t value = 0;
  if (!registry.ReadDword(AppSettings::touchDriverRoot, AppSettings::touchDriverKey,
                          AppSettings::multiTouchDemo, value)) {
    return;
  }
  if (value != 0) {
    write(0);
    platform_.clock.sleep(AppSettings::rearmPauseMs);
  }
  write(1);
}

void GestureApp::WriteLockTouch(const std::wstring& text) {
  registry.WriteString(AppSettings::touchDriverRoot, AppSettings::touchDriverKey,
                       AppSettings::lockTouch, text);
}

void GestureApp::LoadBlackListClose() {
  loadList(registry, AppSettings::blackListClose,
           [this](const List& list) { taskManager.setBlackListClose(list); });
}

void GestureApp::LoadBlackListAll() {
  loadList(registry, AppSettings::blackListAll,
           [this](const List& list) { taskManager.setBlackListAll(list); });
}

void GestureApp::LoadBlackListSwitch() {
  loadList(registry, AppSettings::blackListSwitch,
           [this](const List& list) { taskManager.setBlackListSwitch(list); });
}

void GestureApp::LoadWhiteListBack() {
  loadList(registry, AppSettings::whiteListBack,
           [this](const List& list) { taskManager.setWhiteListBack(list); });
}

void GestureApp::LoadSingleTouchGestureSupport() {
  std::uint32_t value = 0;
  if (registry.ReadDword(AppSettings::programRoot, AppSettings::programKey,
                         AppSettings::singleTouchGestureSupport, value)) {
    tracker.setSingleTouchGestures(value != 0);
  }
}

void GestureApp::LoadTapAndHoldGestureSupport() {
  std::uint32_t value = 0;
  if (registry.ReadDword(AppSettings::programRoot, AppSettings::programKey,
                         AppSettings::tapAndHoldGestureSupport, value)) {
    tracker.setTapAndHold(value);
  }
}

void GestureApp::LoadShowOverlay() {
  std::uint32_t value = 0;
  if (registry.ReadDword(AppSettings::programRoot, AppSettings::programKey,
                         AppSettings::showOverlay, value)) {
    showOverlay = static_cast<std::int32_t>(value);
  }
}

void GestureApp::LoadControllerKeys() {
  std::wstring text;
  if (registry.ReadString(AppSettings::programRoot, AppSettings::programKey,
                          AppSettings::controllerKeys, text, true)) {
    controller.setKeys(text);
  }
}

void GestureApp::LoadControllerVibrate() {
  std::uint32_t value = 0;
  if (registry.ReadDword(AppSettings::programRoot, AppSettings::programKey,
                         AppSettings::controllerVibrate, value)) {
    controller.setVibrate(static_cast<std::int32_t>(value));
  }
}

void GestureApp::LoadAngle() {
  std::uint32_t value = 0;
  if (!registry.ReadDword(AppSettings::rotationRoot, AppSettings::rotationKey, AppSettings::angle,
                          value)) {
    return;
  }
  screenAngle = static_cast<std::int32_t>(value);
  controller.setLandscape(screenAngle == 270);
  // Only a controller shown at the change comes back, laid out for the new
  // orientation, and only on an orientation it has a layout for.
  if (controllerShown()) {
    controller.hide();
    if (IsSupportedAngle()) {
      platform_.clock.sleep(AppSettings::angleReshowPauseMs);
      controller.show();
    }
  }
}
