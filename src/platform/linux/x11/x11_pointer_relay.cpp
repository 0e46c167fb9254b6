#include "platform/linux/x11/x11_pointer_relay.h"

#include <xcb/xtest.h>

namespace {

constexpr std::uint8_t firstButton = 1;
constexpr std::int32_t quarterPixels = 4;  // the samples' unit

}  // namespace

std::unique_ptr<X11PointerRelay> X11PointerRelay::open(const std::string& display) {
  xcb_connection_t* connection = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
  const xcb_query_extension_reply_t* xtest = xcb_connection_has_error(connection) == 0
                                                 ? xcb_get_extension_data(connection, &xcb_test_id)
                                                 : nullptr;
  if (xtest == nullptr || xtest->present == 0) {
    xcb_disconnect(connection);
    return nullptr;
  }
  return std::unique_ptr<X11PointerRelay>(new X11PointerRelay(connection));
}

X11PointerRelay::X11PointerRelay(xcb_connection_t* connection) : connection_(connection) {
  root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

X11PointerRelay::~X11PointerRelay() {
  // No application keeps a button held down.
  if (pressed_) fake(XCB_BUTTON_RELEASE, firstButton, 0, 0);
  xcb_disconnect(connection_);
}

void X11PointerRelay::fake(std::uint8_t type, std::uint8_t detail, std::int32_t x, std::int32_t y) {
  xcb_test_fake_input(connection_, type, detail, XCB_CURRENT_TIME,
                      type == XCB_MOTION_NOTIFY ? root_ : xcb_window_t{XCB_NONE},
                      static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
  xcb_flush(connection_);
}

void X11PointerRelay::relay(const MultipointSample& sample, bool passed) {
  if (!passed || sample.pointCount == 0) {
    if (pressed_) fake(XCB_BUTTON_RELEASE, firstButton, 0, 0);
    pressed_ = false;
    return;
  }
  fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int32_t>(sample.firstX) / quarterPixels,
       static_cast<std::int32_t>(sample.firstY) / quarterPixels);
  if (!pressed_) fake(XCB_BUTTON_PRESS, firstButton, 0, 0);
  pressed_ = true;
}
