#include "controller/controller.h"

#include <array>
#include <cstddef>

#include "controller/controller_layout.h"
#include "controller/vibrator.h"
#include "overlay/overlay_display.h"
#include "ports/shared_registry.h"
#include "text/integer_list.h"

namespace {

constexpr std::size_t keyCount = 12;

using ControllerLayout::AreaSpec;
using ControllerLayout::exitButton;
using ControllerLayout::PadPicture;
using ControllerLayout::rotateButton;

// "LockTouch" values: the rectangle (left, top, width, height) whose touches
// still reach the system.
constexpr const wchar_t* bandPassesThrough = L"0,200,480,400";
constexpr const wchar_t* topPassesThrough = L"0,0,480,460";
constexpr const wchar_t* nothingPassesThrough = L"0,0,0,0";

// Reads up to twelve integers separated by single commas into `keys` (low 8
// bits each), stopping at the first one that cannot be read; the entries
// after it keep their values.
void readKeyCodes(const std::wstring& text, std::vector<std::uint8_t>& keys) {
  std::array<std::int32_t, keyCount> fields{};
  const std::size_t read = Text::scanIntegers(text, fields);
  for (std::size_t index = 0; index < read; ++index) {
    keys[index] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(fields[index]) & 0xFFu);
  }
}

struct LayoutStep {
  PadLayout from;
  PadLayout upright;    // the next layout on an upright screen
  PadLayout landscape;  // the next layout on a landscape screen
};

constexpr LayoutStep layoutSteps[] = {
    {PadLayout::portrait, PadLayout::sideways, PadLayout::portraitFullCapture},
    {PadLayout::sideways, PadLayout::portraitFullCapture, PadLayout::sidewaysFullCapture},
    {PadLayout::portraitFullCapture, PadLayout::sidewaysFullCapture, PadLayout::portrait},
    {PadLayout::sidewaysFullCapture, PadLayout::portrait, PadLayout::sideways},
};

std::vector<std::uint8_t> defaultKeys() {
  std::vector<std::uint8_t> keys(keyCount, 0);
  readKeyCodes(Controller::defaultControllerKeys, keys);
  return keys;
}

}  // namespace

const wchar_t* toString(PadLayout layout) {
  switch (layout) {
    case PadLayout::portrait:
      return L"portrait";
    case PadLayout::sideways:
      return L"sideways";
    case PadLayout::portraitFullCapture:
      return L"portrait, full capture";
    case PadLayout::sidewaysFullCapture:
      return L"sideways, full capture";
  }
  return L"?";
}

PadLayout nextLayout(PadLayout layout, bool landscapeScreen) {
  for (const LayoutStep& step : layoutSteps) {
    if (step.from == layout) return landscapeScreen ? step.landscape : step.upright;
  }
  return PadLayout::portrait;
}

bool Controller::CommandArea::contains(const Geometry::Point2D& p) const {
  return Geometry::contains(first, p.x, p.y) ||
         (twoRectangles && Geometry::contains(second, p.x, p.y));
}

Controller::Controller(InputPort& input, DebugPort& debug, ControllerConfig config)
    : input_(input), debug_(debug), config_(config), keys_(defaultKeys()) {}

Controller::~Controller() = default;

void Controller::attach(ControllerHost& application) {
  application_ = &application;
  buildAreas();
}

void Controller::setKeys(const std::wstring& text) {
  // Entries the text does not give keep the default list's codes, so the
  // layouts always have their twelve keys.
  keys_ = defaultKeys();
  readKeyCodes(text, keys_);
  buildAreas();
}

void Controller::setVibrate(std::int32_t value) {
  vibrateMs_ = value == 1 ? config_.defaultVibrateMs : value;
}

void Controller::setLandscape(bool rotated270) {
  landscapeScreen_ = rotated270;
  buildAreas();
}

void Controller::releasePressedKeys() {
  for (CommandArea& area : areas_) {
    auto* key = dynamic_cast<CommandKey*>(area.command.get());
    if (key != nullptr && key->active()) key->activate(false);
  }
}

void Controller::clearPressedCommands() {
  releasePressedKeys();
  for (CommandArea& area : areas_) area.command->clearPressed();
}

void Controller::buildAreas() {
  if (touchPasses_ > 0) {
    rebuildPending_ = true;
    return;
  }
  // Discarding a pressed key would leave it down in the application.
  releasePressedKeys();
  areas_.clear();
  const auto& table =
      sidewaysAreas() ? ControllerLayout::sidewaysAreas : ControllerLayout::portraitAreas;
  areas_.reserve(table.size());
  for (const AreaSpec& row : table) {
    CommandArea area;
    area.first = row.first;
    area.second = row.second;
    area.twoRectangles = row.twoRectangles;
    if (row.key == exitButton) {
      area.command = std::make_unique<CommandExit>(*this);
    } else if (row.key == rotateButton) {
      area.command = std::make_unique<CommandRotate>(*this);
    } else {
      area.command = std::make_unique<CommandKey>(input_, keys_[static_cast<std::size_t>(row.key)],
                                                  std::uint8_t{0});
    }
    areas_.push_back(std::move(area));
  }
}

void Controller::show() {
  if (application_ == nullptr) return;
  ControllerHost& app = *application_;
  app.setControllerMode(true);
  const PadPicture& picture = landscapeScreen_   ? ControllerLayout::landscapePicture
                              : sidewaysLayout() ? ControllerLayout::sidewaysPicture
                                                 : ControllerLayout::portraitPicture;
  OverlayDisplay& overlay = app.overlayDisplay();
  const bool loaded =
      overlay.loadPicture(picture.resource, picture.x, picture.y, {picture.width, picture.height},
                          ImageKind::compressed) == 0;
  const wchar_t* passThrough = sidewaysAreas() ? bandPassesThrough : topPassesThrough;
  app.WriteLockTouch(fullCapture() ? nothingPassesThrough : passThrough);
  // Showing needs a loaded picture; without one the pad works unseen.
  if (loaded) overlay.showPicture(HideTimer::none);
  app.RearmTouchDriver(true);
}

void Controller::hide() {
  if (application_ == nullptr) return;
  ControllerHost& app = *application_;
  app.overlayDisplay().hidePicture();
  app.setControllerMode(false);
  // No more touches reach the areas: a key still held (one finger on a key,
  // another on the exit button) would stay down in the application, and a
  // button still held would act at the first touch after the next show.
  clearPressedCommands();
  if (touchPasses_ > 0) hiddenInPass_ = true;
  app.WriteLockTouch(TouchDriverRegistry::wholeScreen);
  app.RearmTouchDriver(true);
}

void Controller::rotateLayout() {
  hide();
  setLayout(nextLayout(layout_, landscapeScreen_));
  buildAreas();
  show();
}

void Controller::handleTouch(std::int32_t count, const Geometry::Point2D& first,
                             const Geometry::Point2D& second) {
  if (touchPasses_ == 0) hiddenInPass_ = false;
  ++touchPasses_;
  // No command can change the areas while the pass runs (see buildAreas).
  // A command that hid the pad ends the pass: the areas after it would act
  // on a pad that is gone (or press again what hiding released).
  for (std::size_t i = 0; i < areas_.size() && !hiddenInPass_; ++i) {
    CommandArea& area = areas_[i];
    const bool hit = (count > 0 && area.contains(first)) || (count > 1 && area.contains(second));
    if (hit) {
      const bool changed = area.command->activate(true);
      if (changed && vibrateMs_ != 0 && application_ != nullptr) {
        application_->vibratorDevice().vibrate(vibrateMs_);
      }
    } else {
      area.command->activate(false);
    }
  }
  --touchPasses_;
  if (touchPasses_ == 0 && rebuildPending_) {
    rebuildPending_ = false;
    buildAreas();
  }
}

const std::vector<Controller::CommandArea>& Controller::areas() const { return areas_; }
const std::vector<std::uint8_t>& Controller::keys() const { return keys_; }
void Controller::setLayout(PadLayout layout) {
  debug_.debugOutput(std::wstring(L"Controller: layout ") + toString(layout_) + L" -> " +
                     toString(layout) + L"\n");
  layout_ = layout;
}

bool Controller::sidewaysAreas() const { return landscapeScreen_ || sidewaysLayout(); }

bool Controller::sidewaysLayout() const {
  return layout_ == PadLayout::sideways || layout_ == PadLayout::sidewaysFullCapture;
}

bool Controller::landscapeScreen() const { return landscapeScreen_; }

bool Controller::fullCapture() const {
  return layout_ == PadLayout::portraitFullCapture || layout_ == PadLayout::sidewaysFullCapture;
}
std::int32_t Controller::vibrateMs() const { return vibrateMs_; }
