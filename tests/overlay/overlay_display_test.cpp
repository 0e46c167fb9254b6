#include "overlay/overlay_display.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "platform/sim/sim_phone.h"

namespace {

using Overlay::Rect;
constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t far = int32Max - 9;

std::wstring text(const wchar_t* message) { return message ? message : L"(none)"; }

class OverlayDisplayTest : public ::testing::Test {
 protected:
  int gesture() { return overlay.loadPicture(171, 120, 280, {240, 240}, ImageKind::bitmap); }
  WindowHandle window() { return phone.windows().find(L"OverlayWndClass", L"Overlay"); }
  // Runs the program's message loop for one message.
  void dispatchNext() {
    QueuedMessage m;
    ASSERT_EQ(phone.windows().getMessage(m), 1);
    phone.windows().dispatchMessage(m);
  }
  void expectEmpty() {
    EXPECT_FALSE(overlay.holdsPicture());
    EXPECT_EQ(device.liveObjects() + device.invalidReleases(), 0u);  // no leak, no double release
    EXPECT_EQ(window(), 0u);
  }

  SimPhone phone;
  SimOverlayDevice& device = phone.overlayDevice();
  OverlayDisplay overlay{phone.windows(), device, phone.debug()};
};

TEST_F(OverlayDisplayTest, DestinationRectangles) {
  struct Case {
    std::uint32_t stretch, alignSource, alignDest;
    std::int32_t x, y, height, width;
    Rect source, destination;
  };
  const Case cases[] = {
      {1000, 0, 0, 120, 280, 240, 240, {0, 0, 240, 240}, {120, 280, 360, 520}},
      {1500, 0, 0, 120, 280, 240, 240, {0, 0, 240, 240}, {120, 280, 480, 640}},
      {500, 0, 0, 0, 0, 480, 800, {0, 0, 800, 480}, {0, 0, 800, 480}},  // landscape pad
      {1000, 100, 0, 120, 280, 240, 240, {0, 0, 300, 240}, {120, 280, 420, 520}},
      {1000, 0, 32, 120, 280, 240, 240, {0, 0, 240, 240}, {120, 280, 384, 520}},  // the edge
      {1000, 0, 4, -250, 0, 240, 240, {0, 0, 240, 240}, {-250, 0, -8, 240}},
      {1001, 0, 0, 0, 0, 3, 3, {0, 0, 3, 3}, {0, 0, 4, 3}},  // width rounds up
      {0xFFFFFFFF, 0, 0, far, far, 240, 240, {0, 0, 240, 240}, {far, far, int32Max, int32Max}},
  };
  for (const Case& c : cases) {
    device.config().caps =
        Overlay::Caps{Overlay::capsSourceColorKey, c.alignSource, c.alignDest, c.stretch};
    ASSERT_EQ(overlay.loadPicture(175, c.x, c.y, {c.width, c.height}, ImageKind::compressed), 0)
        << c.x;
    EXPECT_EQ(overlay.sourceRect(), c.source) << c.stretch << " " << c.x;
    EXPECT_EQ(overlay.destinationRect(), c.destination) << c.stretch << " " << c.x;
  }
}

TEST_F(OverlayDisplayTest, NothingIsBuiltForResourceZeroAnEmptySizeOrAHide) {
  EXPECT_EQ(overlay.loadPicture(0, 120, 280, {240, 240}, ImageKind::bitmap), 1);
  EXPECT_EQ(overlay.lastError(), nullptr);
  EXPECT_EQ(overlay.hidePicture(), 0);
  EXPECT_EQ(text(overlay.lastError()), L"SetTimer failed.");
  EXPECT_EQ(overlay.loadPicture(171, 120, 280, {240, -240}, ImageKind::bitmap), 1);
  EXPECT_EQ(overlay.loadPicture(171, 120, 280, {0, 240}, ImageKind::bitmap), 1);
  EXPECT_EQ(text(overlay.lastError()), L"Unable to load images to overlay surface!");
  expectEmpty();
  device.config().caps.overlayCaps = 0;  // hardware without overlays
  EXPECT_EQ(gesture(), 1);
  expectEmpty();
}

TEST_F(OverlayDisplayTest, ReloadReleasesTheEarlierPictureAndItsTimer) {
  ASSERT_EQ(gesture(), 0);
  ASSERT_EQ(overlay.showPicture(HideTimer::after, 500), 0);
  const WindowHandle first = window();
  ASSERT_EQ(overlay.loadPicture(167, 0, 0, {480, 800}, ImageKind::compressed), 0);
  EXPECT_FALSE(phone.windows().exists(first));
  EXPECT_EQ(phone.windows().timerCount(), 0u);
  EXPECT_EQ(device.liveObjects(), 3u);  // display object and two surfaces

  // Shown without a timer. A timer message of another window of the class
  // (as one queued before the reload) is not the held one's; one of the held
  // window hides the picture whatever its id, and the missing timer is
  // reported.
  EXPECT_EQ(overlay.showPicture(HideTimer::none), 0);
  EXPECT_EQ(device.shownPicture()->picture, 167u);
  WindowSpec other;
  other.className = L"OverlayWndClass";
  ASSERT_TRUE(
      phone.windows().postMessage(phone.windows().createWindow(other), WindowMessage::timer, 1, 0));
  dispatchNext();
  EXPECT_TRUE(overlay.holdsPicture());
  ASSERT_TRUE(phone.windows().postMessage(window(), WindowMessage::timer, 7, 0));
  dispatchNext();
  EXPECT_EQ(text(overlay.lastError()), L"SetTimer failed.");
  expectEmpty();
}

}  // namespace
