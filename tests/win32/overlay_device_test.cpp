// The overlay device under the real Windows API: pictures from this
// program's resources (overlay_pictures.rc), the stand-in's surfaces and
// layered window, and the choice of the DirectDraw path. (The overlay display
// driving the device is shown by the end-to-end groups.)
#include "platform/win32/win32_overlay_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>

#include "overlay/overlay_display.h"

namespace {

constexpr std::uint32_t bitmapPicture = 157;  // 8 x 6
constexpr std::uint32_t png = 175;            // 12 x 8, in a "GIF" resource
constexpr wchar_t standInClass[] = L"ZemOverlaySurface";
constexpr std::uint32_t showKeyed = Overlay::updateShow | Overlay::updateSourceColorKeyOverride;
constexpr std::uint32_t flipOverlay = Overlay::surfaceFlip | Overlay::surfaceOverlay;
const Overlay::Effects blackKey{28, 0, 0};

// A display object of the device with its primary surface, and overlay
// surfaces holding a picture.
struct Display {
  explicit Display(OverlayPath path) : device(GetModuleHandleW(nullptr), path) {
    EXPECT_EQ(device.createDisplayObject(display), 0);
    EXPECT_EQ(device.setCooperativeLevel(display, 0, 0), 0);  // DirectDraw needs it first
    EXPECT_EQ(device.createPrimarySurface(display, primary), 0);
  }
  Overlay::Object surface(std::int32_t width, std::int32_t height, std::uint32_t picture,
                          bool compressed = false) {
    Overlay::SurfaceRequest request{0x1027, width, height, 1, flipOverlay, {}};
    request.format = OverlayDisplay::overlayFormats[0];  // 16-bit RGB 5-5-5
    Overlay::Object made = 0;
    if (device.createOverlaySurface(display, request, made) != 0) return 0;
    const Overlay::Image image = device.loadImage(picture, compressed);
    EXPECT_NE(image, 0u) << picture;
    EXPECT_TRUE(device.copyImage(made, image, width, height));
    device.deleteImage(image);
    return made;
  }
  std::uint32_t pixel(Overlay::Object surface, std::int32_t x, std::int32_t y) const {
    std::uint32_t rgb = 0xBADBAD;
    EXPECT_TRUE(device.surfacePixel(surface, x, y, rgb));
    return rgb;
  }

  Win32OverlayDevice device;
  Overlay::Object display = 0;
  Overlay::Object primary = 0;
};

TEST(Win32OverlayDeviceTest, LoadsBothKindsOfPictureIntoStandInSurfaces) {
  Display d(OverlayPath::standIn);
  for (const auto& [id, compressed, width, height] :
       {std::tuple{bitmapPicture, false, 8, 6}, std::tuple{png, true, 12, 8}}) {
    const Overlay::Object surface = d.surface(width, height, id, compressed);
    // Black frame; red, green, blue, white: not upside down, not BGR.
    EXPECT_EQ(d.pixel(surface, 0, 0) | d.pixel(surface, width - 1, height - 1), 0u) << id;
    EXPECT_EQ(d.pixel(surface, 1, 1), 0xFF0000u) << id;
    EXPECT_EQ(d.pixel(surface, width - 2, 1), 0x00FF00u) << id;
    EXPECT_EQ(d.pixel(surface, 1, height - 2), 0x0000FFu) << id;
    EXPECT_EQ(d.pixel(surface, width - 2, height - 2), 0xFFFFFFu) << id;
  }
  // Only in its own kind; a 16-bit alias of the id names nothing.
  EXPECT_EQ(d.device.loadImage(bitmapPicture, true), 0u);
  EXPECT_EQ(d.device.loadImage(png, false), 0u);
  EXPECT_EQ(d.device.loadImage(0x10000 + bitmapPicture, false), 0u);
}

// That the picture reaches the screen where it belongs, over the program in
// front without taking its keys, and leaves it when hidden, the end-to-end
// groups read on the screen; here what they cannot see: touches pass through
// the window, and the device's end takes a shown window along.
TEST(Win32OverlayDeviceTest, StandInShowsAClickThroughTopmostWindow) {
  {
    Display d(OverlayPath::standIn);
    Overlay::Caps caps;
    ASSERT_EQ(d.device.getCaps(d.display, caps), 0);
    EXPECT_NE(caps.overlayCaps & Overlay::capsSourceColorKey, 0u);
    const Overlay::Object surface = d.surface(8, 6, bitmapPicture);
    ASSERT_NE(surface, 0u);
    const Overlay::Rect to{300, 200, 308, 206};
    ASSERT_EQ(d.device.updateOverlay(surface, nullptr, d.primary, &to, showKeyed, &blackKey), 0);
    const HWND window = d.device.shownWindow(surface);
    ASSERT_NE(window, nullptr);
    const LONG_PTR required =
        WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & required, required);
  }
  EXPECT_EQ(FindWindowW(standInClass, nullptr), nullptr);
}

TEST(Win32OverlayDeviceTest, RefusesBadCallsWithoutShowingOrLeaking) {
  Display d(OverlayPath::standIn);
  const Overlay::Object surface = d.surface(8, 6, bitmapPicture);
  ASSERT_NE(surface, 0u);
  const Overlay::Rect to{0, 0, 8, 6};
  const Overlay::Rect outside{0, 0, 9, 6};
  auto update = [&](Overlay::Object object, const Overlay::Rect* from, const Overlay::Rect* dest,
                    std::uint32_t flags, const Overlay::Effects* fx) {
    return d.device.updateOverlay(object, from, d.primary, dest, flags, fx);
  };
  EXPECT_NE(update(0xDEAD, nullptr, &to, Overlay::updateShow, nullptr), 0);
  EXPECT_NE(update(d.display, nullptr, &to, Overlay::updateShow, nullptr), 0);
  EXPECT_NE(update(surface, nullptr, nullptr, Overlay::updateShow, nullptr), 0);
  EXPECT_NE(update(surface, nullptr, &to, showKeyed, nullptr), 0);
  EXPECT_NE(update(surface, nullptr, &to, Overlay::updateShow | Overlay::updateHide, nullptr), 0);
  EXPECT_NE(update(surface, &outside, &to, Overlay::updateShow, nullptr), 0);
  EXPECT_EQ(d.device.shownWindow(surface), nullptr);

  Overlay::SurfaceRequest request{0x1027, 8, 6, 1, Overlay::surfaceFlip, {}};
  Overlay::Object refused = 0;
  EXPECT_NE(d.device.createOverlaySurface(d.display, request, refused), 0);  // not an overlay
  EXPECT_EQ(refused, 0u);

  d.device.release(0xDEAD);
  d.device.release(surface);
  d.device.release(surface);
  EXPECT_EQ(d.device.liveObjects(), 2u);
}

TEST(Win32OverlayDeviceTest, DirectDrawPathAndTheChoiceOfPath) {
  Display d(OverlayPath::directDraw);
  ASSERT_NE(d.display, 0u);
  Overlay::Caps caps;
  ASSERT_EQ(d.device.getCaps(d.display, caps), 0);

  // Left to itself, the device stands in exactly where the hardware has no
  // overlay; the environment can force either path.
  for (const auto& [variable, standIn] :
       {std::pair{L"", caps.overlayCaps == 0}, std::pair{L"standin", true},
        std::pair{L"directdraw", false}}) {
    SetEnvironmentVariableW(L"ZEM_OVERLAY", *variable != 0 ? variable : nullptr);
    Win32OverlayDevice device(nullptr);
    Overlay::Object display = 0;
    EXPECT_EQ(device.createDisplayObject(display), 0);
    EXPECT_EQ(device.isStandIn(display), standIn) << "ZEM_OVERLAY=" << *variable;
  }
  SetEnvironmentVariableW(L"ZEM_OVERLAY", nullptr);
}

}  // namespace
