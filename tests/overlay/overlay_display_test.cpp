#include "overlay/overlay_display.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Overlay::Rect;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kCode = static_cast<std::int32_t>(0x887600A0u);

// Windows and overlay hardware in one. Every object, image and window it
// hands out stays in `live` until given back, so leaks and double releases
// show. `failStep` names the call that fails with `failCode`; a creating
// call "fails" with code 0 by handing out nothing.
struct FakePhone : WindowPort, OverlayDevicePort {
  std::string failStep;
  std::int32_t failCode = kCode;
  std::uint32_t rejectedRedMask = 0;  // the hardware refuses this format
  Overlay::Caps caps{Overlay::capsSourceColorKey | 1, 0, 0, 1000};

  std::set<std::uintptr_t> live;
  std::uintptr_t next = 0x100;
  MessageHandler* handler = nullptr;
  int registrations = 0;
  int defaultCalls = 0;
  std::vector<WindowSpec> windows;
  WindowHandle levelWindow = 0;
  std::map<WindowHandle, std::map<std::uintptr_t, std::uint32_t>> timers;
  std::vector<Overlay::SurfaceRequest> requests;
  std::vector<std::string> images;  // "<resource> <png|bmp>", "copy <w>x<h>"
  std::uint32_t lastFlags = 0;

  std::int32_t make(const char* step, std::uintptr_t& object) {
    object = failStep == step ? 0 : ++next;
    if (object != 0) live.insert(object);
    return object != 0 ? 0 : failCode;
  }
  void drop(std::uintptr_t object) { EXPECT_EQ(live.erase(object), 1u) << object; }
  std::int32_t code(const char* step) const { return failStep == step ? failCode : 0; }

  bool registerClass(const WindowClassSpec& spec, MessageHandler& h) override {
    ++registrations;
    EXPECT_EQ(spec.className, L"OverlayWndClass");
    if (handler != nullptr) return false;  // already registered
    handler = &h;
    return true;
  }
  WindowHandle createWindow(const WindowSpec& spec) override {
    windows.push_back(spec);
    WindowHandle window = 0;
    make("window", window);
    return window;
  }
  bool destroyWindow(WindowHandle window) override { return live.erase(window) == 1; }
  LResult defaultProcedure(WindowHandle, std::uint32_t, WParam, LParam) override {
    return ++defaultCalls;
  }
  std::int32_t screenWidth() override { return 480; }
  std::int32_t screenHeight() override { return 800; }
  std::uintptr_t setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t ms) override {
    if (failStep == "timer") return 0;
    timers[window][id] = ms;
    return id;
  }
  bool killTimer(WindowHandle window, std::uintptr_t id) override {
    return timers[window].erase(id) == 1;
  }

  std::int32_t createDisplayObject(Overlay::Object& display) override {
    return make("display", display);
  }
  std::int32_t setCooperativeLevel(Overlay::Object, WindowHandle window,
                                   std::uint32_t flags) override {
    levelWindow = window;
    return flags == 0 ? code("level") : -1;
  }
  std::int32_t createPrimarySurface(Overlay::Object, Overlay::Object& surface) override {
    return make("primary", surface);
  }
  std::int32_t getCaps(Overlay::Object, Overlay::Caps& out) override {
    out = caps;
    return code("caps");
  }
  std::int32_t createOverlaySurface(Overlay::Object, const Overlay::SurfaceRequest& request,
                                    Overlay::Object& surface) override {
    requests.push_back(request);
    surface = 0;
    return request.format.redMask == rejectedRedMask ? kCode + 1 : make("surface", surface);
  }
  std::int32_t surfaceSize(Overlay::Object, std::int32_t& w, std::int32_t& h) override {
    w = requests.back().width;
    h = requests.back().height;
    return code("size");
  }
  Overlay::Image loadImage(std::uint32_t resourceId, bool compressed) override {
    images.push_back(std::to_string(resourceId) + (compressed ? " png" : " bmp"));
    Overlay::Image image = 0;
    make("image", image);
    return image;
  }
  bool copyImage(Overlay::Object, Overlay::Image, std::int32_t w, std::int32_t h) override {
    images.push_back("copy " + std::to_string(w) + "x" + std::to_string(h));
    return failStep != "copy";
  }
  void deleteImage(Overlay::Image image) override { drop(image); }
  std::int32_t updateOverlay(Overlay::Object, const Rect* source, Overlay::Object,
                             const Rect* destination, std::uint32_t flags,
                             const Overlay::Effects* effects) override {
    const bool shows = (flags & Overlay::updateShow) != 0;
    EXPECT_EQ(shows, source && destination && effects && effects->size == 28);
    lastFlags = flags;
    return shows ? code("show") : 0;
  }
  void release(Overlay::Object object) override { drop(object); }

  // Not used by the overlay display.
  std::wstring loadString(std::uint32_t, std::size_t) override { return {}; }
  AcceleratorTable loadAccelerators(std::uint32_t) override { return 0; }
  void validate(WindowHandle) override {}
  bool postMessage(WindowHandle, std::uint32_t, WParam, LParam) override { return false; }
  LResult sendMessage(WindowHandle, std::uint32_t, WParam, LParam) override { return 0; }
  void postQuitMessage(std::int32_t) override {}
  std::int32_t getMessage(QueuedMessage&) override { return -1; }
  bool translateAccelerator(WindowHandle, AcceleratorTable, const QueuedMessage&) override {
    return false;
  }
  void translateMessage(const QueuedMessage&) override {}
  LResult dispatchMessage(const QueuedMessage&) override { return 0; }
  WindowHandle findWindow(const std::wstring&, const std::wstring&) override { return 0; }
  WindowHandle findWindowByTitle(const std::wstring&) override { return 0; }
  WindowHandle foregroundWindow() override { return 0; }
  bool setForegroundWindow(WindowHandle) override { return false; }
  bool activateWindow(WindowHandle) override { return false; }
  bool windowProcessId(WindowHandle, std::uint32_t&) override { return false; }
  bool isWindowVisible(WindowHandle) override { return false; }
  std::wstring windowText(WindowHandle, std::size_t) override { return {}; }
  bool enumerateWindows(const std::function<bool(WindowHandle)>&) override { return false; }
};

std::wstring text(const wchar_t* message) { return message ? message : L"(none)"; }

class OverlayDisplayTest : public ::testing::Test {
 protected:
  int gesture() { return overlay.loadPicture(171, 120, 280, 240, 240, false); }
  void expectEmpty() {
    EXPECT_FALSE(overlay.holdsPicture());
    EXPECT_TRUE(phone.live.empty());
  }

  FakePhone phone;
  OverlayDisplay overlay{phone, phone};
};

TEST_F(OverlayDisplayTest, GesturePictureLoadsShowsAndHidesOnAnyTimer) {
  ASSERT_EQ(gesture(), 0);
  ASSERT_EQ(phone.windows.size(), 1u);
  EXPECT_EQ(phone.windows[0].width * 10000 + phone.windows[0].height, 480 * 10000 + 800);
  ASSERT_EQ(phone.requests.size(), 1u);
  const Overlay::SurfaceRequest& request = phone.requests[0];
  EXPECT_EQ(request.validFields, 0x1027u);
  EXPECT_EQ(request.backBufferCount, 1u);
  EXPECT_EQ(request.caps, 0x14u);
  EXPECT_EQ(request.format.redMask, 0x7C00u);
  EXPECT_EQ(phone.images, (std::vector<std::string>{"171 bmp", "copy 240x240"}));
  EXPECT_EQ(phone.lastFlags, 0u);  // loaded, not shown

  const WindowHandle window = phone.levelWindow;
  EXPECT_EQ(overlay.showPicture(true, 500), 0);
  EXPECT_EQ(phone.lastFlags, 0x600u);  // shown with black transparent
  EXPECT_EQ(phone.timers[window][1], 500u);

  phone.handler->handleMessage(window + 1, WindowMessage::timer, 1, 0);  // not ours
  EXPECT_TRUE(overlay.holdsPicture());
  phone.handler->handleMessage(window, WindowMessage::timer, 7, 0);
  expectEmpty();
  EXPECT_EQ(phone.lastFlags, 0x20u);
  EXPECT_EQ(phone.defaultCalls, 2);
  EXPECT_EQ(overlay.lastError(), nullptr);
}

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
      {0xFFFFFFFF,
       0,
       0,
       kMax - 9,
       kMax - 9,
       240,
       240,
       {0, 0, 240, 240},
       {kMax - 9, kMax - 9, kMax, kMax}},
  };
  for (const Case& c : cases) {
    phone.caps.minOverlayStretch = c.stretch;
    phone.caps.alignSizeSource = c.alignSource;
    phone.caps.alignSizeDest = c.alignDest;
    ASSERT_EQ(overlay.loadPicture(175, c.x, c.y, c.height, c.width, true), 0);
    EXPECT_EQ(overlay.sourceRect(), c.source) << c.stretch << " " << c.x;
    EXPECT_EQ(overlay.destinationRect(), c.destination) << c.stretch << " " << c.x;
  }
}

TEST_F(OverlayDisplayTest, WithoutColourKeyingOpaqueAndSecondFormatAsFallBack) {
  phone.caps.overlayCaps = 1;
  phone.rejectedRedMask = 0x7C00;
  ASSERT_EQ(gesture(), 0);
  EXPECT_EQ(overlay.updateFlags(), 0x400u);
  ASSERT_EQ(phone.requests.size(), 2u);
  EXPECT_EQ(phone.requests[1].format.redMask, 0xF800u);
}

TEST_F(OverlayDisplayTest, EveryFailingStepReleasesEverything) {
  struct Case {
    const char* step;
    std::int32_t code;
    const wchar_t* message;
    int result;
  };
  const Case cases[] = {
      {"display", kCode, L"DirectDrawCreate failed.", kCode},
      {"display", 0, L"DirectDrawCreate failed.", 1},
      {"level", kCode, L"SetCooperativeLevel failed.", kCode},
      {"primary", kCode, L"CreateSurface failed.", kCode},
      {"caps", kCode, L"GetCaps failed", kCode},
      {"no overlay", 0, L"Overlays are not supported in hardware!", 1},
      {"surface", kCode, L"Unable to create overlay surface!", kCode},
      {"size", kCode, L"Unable to load images to overlay surface!", 1},
      {"image", 0, L"Unable to load images to overlay surface!", 1},
      {"copy", 0, L"Unable to load images to overlay surface!", 1},
  };
  for (const Case& c : cases) {
    FakePhone fake;
    fake.failStep = c.step;
    fake.failCode = c.code;
    if (fake.failStep == "no overlay") fake.caps.overlayCaps = 0;
    OverlayDisplay failing(fake, fake);
    EXPECT_EQ(failing.loadPicture(171, 120, 280, 240, 240, false), c.result) << c.step;
    EXPECT_EQ(text(failing.lastError()), c.message) << c.step;
    EXPECT_TRUE(fake.live.empty()) << c.step;
    EXPECT_FALSE(failing.holdsPicture()) << c.step;
  }
}

TEST_F(OverlayDisplayTest, ShowFailuresReleaseEverything) {
  phone.failStep = "show";
  ASSERT_EQ(gesture(), 0);
  EXPECT_EQ(overlay.showPicture(true, 500), kCode);
  EXPECT_EQ(text(overlay.lastError()), L"Unable to show overlay surface!");
  expectEmpty();
  EXPECT_EQ(overlay.showPicture(false, 0), 1);  // nothing loaded

  phone.failStep = "timer";  // no timer would ever hide the picture
  ASSERT_EQ(gesture(), 0);
  EXPECT_EQ(overlay.showPicture(true, 500), 0);
  EXPECT_EQ(text(overlay.lastError()), L"SetTimer failed.");
  expectEmpty();
}

TEST_F(OverlayDisplayTest, NothingIsBuiltForResourceZeroAnEmptySizeOrAHide) {
  EXPECT_EQ(overlay.loadPicture(0, 120, 280, 240, 240, false), 1);
  EXPECT_EQ(overlay.lastError(), nullptr);
  EXPECT_EQ(overlay.hidePicture(), 0);
  EXPECT_EQ(text(overlay.lastError()), L"SetTimer failed.");
  EXPECT_EQ(overlay.loadPicture(171, 120, 280, -240, 240, false), 1);
  EXPECT_EQ(overlay.loadPicture(171, 120, 280, 240, 0, false), 1);
  EXPECT_EQ(text(overlay.lastError()), L"Unable to load images to overlay surface!");
  EXPECT_EQ(phone.registrations, 0);
  EXPECT_TRUE(phone.windows.empty());
  expectEmpty();
}

TEST_F(OverlayDisplayTest, ReloadReleasesTheEarlierPictureAndItsTimer) {
  ASSERT_EQ(gesture(), 0);
  ASSERT_EQ(overlay.showPicture(true, 500), 0);
  const WindowHandle first = phone.levelWindow;
  ASSERT_EQ(overlay.loadPicture(167, 0, 0, 800, 480, true), 0);
  EXPECT_TRUE(phone.timers[first].empty());
  EXPECT_EQ(phone.live.size(), 4u);  // one window, display object, two surfaces
  EXPECT_EQ(phone.registrations, 2);

  phone.handler->handleMessage(first, WindowMessage::timer, 1, 0);  // queued earlier
  EXPECT_TRUE(overlay.holdsPicture());
  EXPECT_EQ(overlay.showPicture(false, 0), 0);
  EXPECT_EQ(overlay.hidePicture(), 0);
  EXPECT_EQ(text(overlay.lastError()), L"SetTimer failed.");  // shown without a timer
  expectEmpty();
}

}  // namespace
