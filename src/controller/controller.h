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
#include "platform/debug_port.h"
#include "platform/input_port.h"
#include "recognition/geometry.h"

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

  Controller(InputPort& input, DebugPort& debug);
  ~Controller();

  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  void attach(ControllerHost& application);
  // Twelve comma-separated integers; each code is the number's low 8 bits.
  void setKeys(const std::wstring& text);
  // 1 means 20 ms; any other value is taken as it is.
  void setVibrate(std::int32_t value);
  void setLandscape(bool rotated270);
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
  bool sidewaysLayout() const;
  bool landscapeScreen() const;
  bool fullCapture() const;
  std::int32_t vibrateMs() const;

 private:
  // helper fills in
};
