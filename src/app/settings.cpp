// The registry settings: change notifications, the full load, the reload of
// one setting, the touch driver's re-arm and the pass-through rectangle.
// A value that cannot be read leaves its setting as it was.
#include <vector>

#include "app/app_settings.h"
#include "app/gesture_app.h"

namespace {

using List = TaskManager::List;

// A watched registry value: its notification identifier, where it lives, and
// what its value changes. Exactly one of the three `apply` members is set; it
// gives the value's type. A value that cannot be read changes nothing.
struct Setting {
  AppSettings::SettingId id;
  Registry::Root root;
  const wchar_t* key;
  const wchar_t* valueName;
  void (*applyList)(GestureApp& app, const List& list);
  void (*applyDword)(GestureApp& app, std::uint32_t value);
  void (*applyString)(GestureApp& app, const std::wstring& text);
};

constexpr Setting listSetting(AppSettings::SettingId id, const wchar_t* valueName,
                              void (*apply)(GestureApp&, const List&)) {
  return {id,     AppSettings::programRoot, AppSettings::programKey, valueName, apply, nullptr,
          nullptr};
}

constexpr Setting dwordSetting(AppSettings::SettingId id, const wchar_t* valueName,
                               void (*apply)(GestureApp&, std::uint32_t)) {
  return {id,     AppSettings::programRoot, AppSettings::programKey, valueName, nullptr, apply,
          nullptr};
}

// In the order the notifications are registered and the values loaded.
constexpr Setting settings[] = {
    listSetting(AppSettings::idBlackListClose, AppSettings::blackListClose,
                [](GestureApp& app, const List& list) { app.taskManager.setBlackListClose(list); }),
    listSetting(AppSettings::idBlackListAll, AppSettings::blackListAll,
                [](GestureApp& app, const List& list) { app.taskManager.setBlackListAll(list); }),
    listSetting(
        AppSettings::idBlackListSwitch, AppSettings::blackListSwitch,
        [](GestureApp& app, const List& list) { app.taskManager.setBlackListSwitch(list); }),
    listSetting(AppSettings::idWhiteListBack, AppSettings::whiteListBack,
                [](GestureApp& app, const List& list) { app.taskManager.setWhiteListBack(list); }),
    dwordSetting(AppSettings::idSingleTouchGestureSupport, AppSettings::singleTouchGestureSupport,
                 [](GestureApp& app, std::uint32_t value) {
                   app.tracker.setSingleTouchGestures(value != 0);
                 }),
    dwordSetting(AppSettings::idTapAndHoldGestureSupport, AppSettings::tapAndHoldGestureSupport,
                 [](GestureApp& app, std::uint32_t value) { app.tracker.setTapAndHold(value); }),
    dwordSetting(AppSettings::idShowOverlay, AppSettings::showOverlay,
                 [](GestureApp& app, std::uint32_t value) {
                   app.showOverlay = static_cast<std::int32_t>(value);
                 }),
    {AppSettings::idControllerKeys, AppSettings::programRoot, AppSettings::programKey,
     AppSettings::controllerKeys, nullptr, nullptr,
     [](GestureApp& app, const std::wstring& text) { app.controller.setKeys(text); }},
    dwordSetting(AppSettings::idControllerVibrate, AppSettings::controllerVibrate,
                 [](GestureApp& app, std::uint32_t value) {
                   app.controller.setVibrate(static_cast<std::int32_t>(value));
                 }),
    {AppSettings::idAngle, RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
     nullptr, [](GestureApp& app, std::uint32_t value) { app.applyAngle(value); }, nullptr},
};

// Reads the setting's value and applies it; a value that cannot be read (a
// list: any of its entries) leaves the setting as it was.
void load(GestureApp& app, const Setting& setting) {
  RegistryStore& registry = app.registry;
  if (setting.applyList != nullptr) {
    List list;
    if (registry.ReadStringList(setting.root, setting.key, setting.valueName, list, true)) {
      setting.applyList(app, list);
    }
  } else if (setting.applyDword != nullptr) {
    std::uint32_t value = 0;
    if (registry.ReadDword(setting.root, setting.key, setting.valueName, value)) {
      setting.applyDword(app, value);
    }
  } else if (setting.applyString != nullptr) {
    std::wstring text;
    if (registry.ReadString(setting.root, setting.key, setting.valueName, text, true)) {
      setting.applyString(app, text);
    }
  }
}

}  // namespace

void GestureApp::RegisterSettingNotifications(WindowHandle window) {
  // Neither the results nor the registrations are kept: they last as long
  // as the process.
  for (const Setting& setting : settings) {
    platform_.shell.notifyRegistryChange(setting.root, setting.key, setting.valueName, window,
                                         WM_REGISTRY_CHANGED, setting.id);
  }
}

void GestureApp::LoadAllSettings() {
  // The whole screen passes before the driver is re-armed, so the freshly
  // loaded hook reads it: a rectangle left behind by a game-pad that was
  // shown when the program last ended (or none at all on a new phone) would
  // otherwise withhold touches from every other application until the next
  // re-arm.
  WriteLockTouch(TouchDriverRegistry::wholeScreen);
  RearmTouchDriver(true);
  for (const Setting& setting : settings) load(*this, setting);
  controller.attach(*this);
  sipInfo = SipInfo{};
  sipInfo.size = sizeof(SipInfo);
}

void GestureApp::ReloadSetting(LParam identifier) {
  for (const Setting& setting : settings) {
    if (static_cast<LParam>(setting.id) == identifier) {
      load(*this, setting);
      return;
    }
  }
  // Not a setting of this program.
}

void GestureApp::RearmTouchDriver(bool apply) {
  const auto write = [this](std::uint32_t value) {
    registry.WriteDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                        TouchDriverRegistry::multiTouchDemo, value);
  };
  if (!apply) {
    write(0);
    return;
  }
  // The driver attaches the hook library afresh when its switch goes from
  // off to on. A switch that does not exist is never created here.
  std::uint32_t value = 0;
  if (!registry.ReadDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                          TouchDriverRegistry::multiTouchDemo, value)) {
    return;
  }
  if (value != 0) {
    write(0);
    platform_.clock.sleep(AppSettings::rearmPauseMs);
  }
  write(1);
}

void GestureApp::WriteLockTouch(const std::wstring& text) {
  registry.WriteString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::lockTouch, text);
}

void GestureApp::applyAngle(std::uint32_t degrees) {
  screenAngle = static_cast<std::int32_t>(degrees);
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
