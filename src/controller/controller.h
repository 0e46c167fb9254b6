// The on-screen game-pad: a picture of a pad on the overlay, command areas
// whose touches become key presses for the application in front, and a
// pass-through rectangle ("LockTouch") whose touches still reach the system.
//
// Three layouts: portrait (pad in the bottom 320 pixels), sideways (across
// the whole unrotated screen) and landscape (the screen rotated by 270
// degrees); each optionally with full capture (nothing passes). Coordinates
// are pixels in the touch panel's unrotated 480 x 800 frame.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controller/commands.h"
#include "controller/controller_host.h"
#include "ports/debug_port.h"
#include "ports/input_port.h"
#include "recognition/geometry.h"

// The pad's layout. Landscape (the screen turned by 270 degrees) is the
// screen's state, not the pad's: on it the sideways areas serve every layout
// and only the capture changes.
enum class PadLayout {
  portrait,             // pad in the bottom 320 pixels, the top passes
  sideways,             // pad along the long edges, the middle band passes
  portraitFullCapture,  // nothing passes
  sidewaysFullCapture,
};

const wchar_t* toString(PadLayout layout);

// What the rotate button turns a layout into: on an upright screen the four
// layouts in a cycle, on a landscape screen only the capture toggles.
PadLayout nextLayout(PadLayout layout, bool landscapeScreen);

struct ControllerConfig {
  std::int32_t defaultVibrateMs = 20;  // ms, the pulse for "ControllerVibrate" = 1
};

class Controller {
 public:
  // The key codes of indices 0 to 11 when no list is set.
  static constexpr const wchar_t* defaultControllerKeys = L"40,38,37,39,13,12,96,97,98,99,100,101";

  struct CommandArea {
    Geometry::Rect2D first;
    Geometry::Rect2D second;
    std::unique_ptr<Command> command;
    bool twoRectangles = false;

    bool contains(const Geometry::Point2D& p) const;
  };

  Controller(InputPort& input, DebugPort& debug, ControllerConfig config = {});
  ~Controller();

  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  void attach(ControllerHost& application);
  // Twelve comma-separated integers; each code is the number's low 8 bits
  // (numbers beyond the 32-bit range are clamped first). Reading stops at
  // the first entry that is not a number; the entries not read keep the
  // default list's codes.
  void setKeys(const std::wstring& text);
  // 1 means the default pulse (ControllerConfig); any other value is taken as it is.
  void setVibrate(std::int32_t value);
  void setLandscape(bool rotated270);
  // Releases the pressed keys, then replaces the areas. Inside handleTouch
  // the rebuild waits until the pass has ended.
  void buildAreas();
  void show();
  void hide();
  void rotateLayout();
  // After every touch sample in controller mode: presses the commands of the
  // touched areas and releases the others, in area order.
  void handleTouch(std::int32_t count, const Geometry::Point2D& first,
                   const Geometry::Point2D& second);

  const std::vector<CommandArea>& areas() const;
  const std::vector<std::uint8_t>& keys() const;
  PadLayout layout() const { return layout_; }
  bool sidewaysLayout() const;
  bool landscapeScreen() const;
  bool fullCapture() const;
  std::int32_t vibrateMs() const;

 private:
  // Releases (key up, in area order) every key command that is pressed.
  void releasePressedKeys();
  // Releases the pressed keys, then forgets every other press without
  // running its action: a button held while the pad hides must not act
  // when the pad is next touched.
  void clearPressedCommands();
  // Changes the layout, with a line on the debug output.
  void setLayout(PadLayout layout);
  bool sidewaysAreas() const;

  InputPort& input_;
  DebugPort& debug_;
  ControllerHost* application_ = nullptr;
  std::vector<CommandArea> areas_;
  ControllerConfig config_;
  PadLayout layout_ = PadLayout::portrait;
  bool landscapeScreen_ = false;
  std::vector<std::uint8_t> keys_;
  std::int32_t vibrateMs_ = 0;
  // A command may change the layout from inside handleTouch (the rotate
  // button): the areas, and so the running command, must outlive the pass,
  // so the rebuild waits until every pass has ended.
  int touchPasses_ = 0;
  bool rebuildPending_ = false;
  // The pad was hidden during the running pass: the pass ends there.
  bool hiddenInPass_ = false;
};
