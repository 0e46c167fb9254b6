#include "platform/linux/x11/x11_desktop.h"

#include <spawn.h>
#include <sys/wait.h>
#include <xcb/randr.h>
#include <xcb/shape.h>
#include <xcb/xcb_icccm.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "app/app_settings.h"
#include "platform/linux/x11/x11_settings.h"
#include "registry/registry_store.h"
#include "text/utf8.h"

extern char** environ;

namespace {

// The platform's results of a display-mode change.
constexpr std::int32_t changeSuccessful = 0;
constexpr std::int32_t changeFailed = -1;
constexpr std::int32_t changeBadMode = -2;
constexpr std::int32_t changeBadParam = -5;
constexpr std::uint32_t orientationField = 0x800000;

// Requests made for the user, as a pager or task bar makes them.
constexpr auto sourcePager = XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER;

template <class T>
struct FreeReply {
  void operator()(T* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

std::uint16_t rotationFor(std::uint32_t orientation) {
  switch (orientation) {
    case 0:
      return XCB_RANDR_ROTATION_ROTATE_0;
    case 1:
      return XCB_RANDR_ROTATION_ROTATE_90;
    case 2:
      return XCB_RANDR_ROTATION_ROTATE_180;
    case 4:
      return XCB_RANDR_ROTATION_ROTATE_270;
    default:
      return 0;
  }
}

std::int32_t degreesOf(std::uint16_t rotation) {
  switch (rotation & 0xF) {
    case XCB_RANDR_ROTATION_ROTATE_0:
      return 0;
    case XCB_RANDR_ROTATION_ROTATE_90:
      return 90;
    case XCB_RANDR_ROTATION_ROTATE_180:
      return 180;
    case XCB_RANDR_ROTATION_ROTATE_270:
      return 270;
    default:
      return -1;
  }
}

std::string lowerCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

}  // namespace

std::unique_ptr<X11Desktop> X11Desktop::open(const std::string& display, RegistryPort* registry,
                                             std::string& error, Log log) {
  const char* name = display.empty() ? std::getenv("DISPLAY") : display.c_str();
  const std::string shown = name != nullptr ? name : "";
  if (shown.empty()) {
    error = "no X display named ($DISPLAY is not set)";
    return nullptr;
  }
  int screen = 0;
  xcb_connection_t* connection = xcb_connect(shown.c_str(), &screen);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    error = "cannot open the X display " + shown;
    return nullptr;
  }
  if (!log) log = [](const std::string& line) { std::cerr << "zem: " << line << '\n'; };
  return std::unique_ptr<X11Desktop>(
      new X11Desktop(connection, screen, shown, registry, std::move(log)));
}

namespace {

xcb_screen_t* screenOf(xcb_connection_t* connection, int number) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; it.rem != 0 && i < number; ++i) xcb_screen_next(&it);
  return it.rem != 0 ? it.data : nullptr;
}

}  // namespace

X11Desktop::X11Desktop(xcb_connection_t* connection, int screenNumber, std::string display,
                       RegistryPort* registry, Log log)
    : connection_(connection),
      screen_(screenOf(connection, screenNumber)),
      screenNumber_(screenNumber),
      display_(std::move(display)),
      registry_(registry),
      log_(std::move(log)),
      overlay_(connection, screen_) {
  xcb_intern_atom_cookie_t* atoms = xcb_ewmh_init_atoms(connection_, &ewmh_);
  xcb_ewmh_init_atoms_replies(&ewmh_, atoms, nullptr);
  const char deleteWindowAtom[] = "WM_DELETE_WINDOW";
  const Reply<xcb_intern_atom_reply_t> deleteAtom(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, sizeof deleteWindowAtom - 1, deleteWindowAtom),
      nullptr));
  if (deleteAtom) deleteWindowAtom_ = deleteAtom->atom;

  const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection_, &xcb_randr_id);
  if (randr != nullptr && randr->present != 0) {
    const Reply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
        connection_, xcb_randr_query_version(connection_, 1, 2), nullptr));
    randr_ = version != nullptr;
    randrEventBase_ = randr->first_event;
    if (randr_) {
      xcb_randr_select_input(connection_, screen_->root, XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE);
    }
  }
  const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection_, &xcb_test_id);
  xtest_ = xtest != nullptr && xtest->present != 0;
  // Windows that appear or move: a shown picture stays on top.
  const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, screen_->root, XCB_CW_EVENT_MASK, &events);
  loadKeyboardMap();
  if (randr_) {
    const std::int32_t degrees = rotationDegrees();
    if (degrees >= 0) followRotation(static_cast<std::uint16_t>(1u << (degrees / 90)));
  }
  xcb_flush(connection_);
}

X11Desktop::~X11Desktop() {
  if (connection_ == nullptr) return;
  // Keysyms bound for injection go again.
  for (const auto& [keysym, keycode] : boundKeysyms_) {
    std::vector<xcb_keysym_t> none(1, 0);
    xcb_change_keyboard_mapping(connection_, 1, keycode, 1, none.data());
  }
  overlay_.disconnect();
  xcb_ewmh_connection_wipe(&ewmh_);
  xcb_flush(connection_);
  xcb_disconnect(connection_);
}

std::string X11Desktop::name() const { return "X11 " + display_; }

int X11Desktop::eventFd() const {
  return connection_ != nullptr ? xcb_get_file_descriptor(connection_) : -1;
}

bool X11Desktop::alive() {
  if (connection_ == nullptr) return false;
  if (xcb_connection_has_error(connection_) == 0) return true;
  lost();
  return false;
}

void X11Desktop::lost() {
  log_("the X server " + display_ +
       " has gone: no windows, pictures or rotation until zem is started again");
  overlay_.disconnect();
  xcb_ewmh_connection_wipe(&ewmh_);
  // Closing the connection closes its descriptor, which leaves the loop's
  // watch list with it.
  xcb_disconnect(connection_);
  connection_ = nullptr;
}

void X11Desktop::processEvents() {
  reapCommands();
  if (!alive()) return;
  handleEvents(true);
  alive();
}

void X11Desktop::handleEvents(bool readSocket) {
  bool raise = false;
  while (xcb_generic_event_t* event = readSocket ? xcb_poll_for_event(connection_)
                                                 : xcb_poll_for_queued_event(connection_)) {
    const std::uint8_t type = event->response_type & 0x7F;
    if (randr_ && type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
      followRotation(reinterpret_cast<xcb_randr_screen_change_notify_event_t*>(event)->rotation);
    } else if (type == XCB_MAPPING_NOTIFY) {
      loadKeyboardMap();
    } else if (type == XCB_MAP_NOTIFY) {
      raise |= reinterpret_cast<xcb_map_notify_event_t*>(event)->window != overlay_.shownWindow();
    } else if (type == XCB_CONFIGURE_NOTIFY) {
      raise |=
          reinterpret_cast<xcb_configure_notify_event_t*>(event)->window != overlay_.shownWindow();
    }
    std::free(event);
  }
  if (raise) overlay_.raise();
}

X11Desktop::Drain::~Drain() {
  // Events read while waiting for a reply stay in xcb's queue, where the
  // loop's watch on the descriptor cannot see them.
  if (desktop.connection_ != nullptr && xcb_connection_has_error(desktop.connection_) == 0) {
    desktop.handleEvents(false);
  }
}

// --- windows ---

bool X11Desktop::windowManagerPresent() {
  xcb_window_t check = XCB_NONE;
  bool present = false;
  if (xcb_ewmh_get_supporting_wm_check_reply(
          &ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, screen_->root), &check, nullptr) != 0 &&
      check != XCB_NONE) {
    // The root's note outlives a window manager that was killed; its own
    // window does not.
    xcb_window_t self = XCB_NONE;
    present = xcb_ewmh_get_supporting_wm_check_reply(
                  &ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, check), &self, nullptr) != 0 &&
              self == check;
  }
  if (!present && !saidNoWindowManager_) {
    log_("no window manager on " + display_ +
         ": windows are found and switched through the X server alone");
  }
  saidNoWindowManager_ = !present;
  return present;
}

bool X11Desktop::isApplicationWindow(xcb_window_t window) {
  xcb_ewmh_get_atoms_reply_t types;
  if (xcb_ewmh_get_wm_window_type_reply(&ewmh_, xcb_ewmh_get_wm_window_type(&ewmh_, window), &types,
                                        nullptr) == 0) {
    return true;  // untyped: a normal window
  }
  bool application = true;
  for (std::uint32_t i = 0; i < types.atoms_len; ++i) {
    const xcb_atom_t type = types.atoms[i];
    if (type == ewmh_._NET_WM_WINDOW_TYPE_DESKTOP || type == ewmh_._NET_WM_WINDOW_TYPE_DOCK ||
        type == ewmh_._NET_WM_WINDOW_TYPE_TOOLBAR || type == ewmh_._NET_WM_WINDOW_TYPE_MENU ||
        type == ewmh_._NET_WM_WINDOW_TYPE_SPLASH ||
        type == ewmh_._NET_WM_WINDOW_TYPE_NOTIFICATION) {
      application = false;
    }
  }
  xcb_ewmh_get_atoms_reply_wipe(&types);
  return application;
}

std::vector<xcb_window_t> X11Desktop::clientWindows() {
  std::vector<xcb_window_t> windows;
  xcb_ewmh_get_windows_reply_t list;
  if (xcb_ewmh_get_client_list_stacking_reply(
          &ewmh_, xcb_ewmh_get_client_list_stacking(&ewmh_, screenNumber_), &list, nullptr) == 0 &&
      xcb_ewmh_get_client_list_reply(&ewmh_, xcb_ewmh_get_client_list(&ewmh_, screenNumber_), &list,
                                     nullptr) == 0) {
    return windows;
  }
  windows.assign(list.windows, list.windows + list.windows_len);
  xcb_ewmh_get_windows_reply_wipe(&list);
  std::reverse(windows.begin(), windows.end());  // the list is bottom first
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [this](xcb_window_t w) { return !isApplicationWindow(w); }),
                windows.end());
  return windows;
}

std::vector<xcb_window_t> X11Desktop::serverTopLevels() {
  std::vector<xcb_window_t> windows;
  const Reply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection_, xcb_query_tree(connection_, screen_->root), nullptr));
  if (!tree) return windows;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  for (int i = count; i-- > 0;) {  // the tree lists the bottom first
    const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
    if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
        attributes->override_redirect == 0 && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT &&
        isApplicationWindow(children[i])) {
      windows.push_back(children[i]);
    }
  }
  return windows;
}

bool X11Desktop::windowExists(xcb_window_t window) {
  if (window == XCB_NONE || window > 0x1FFFFFFF) return false;  // X ids have 29 bits
  const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window), nullptr));
  return attributes != nullptr;
}

bool X11Desktop::windowClass(xcb_window_t window, std::string& instance, std::string& className) {
  xcb_icccm_get_wm_class_reply_t reply;
  if (xcb_icccm_get_wm_class_reply(connection_, xcb_icccm_get_wm_class(connection_, window), &reply,
                                   nullptr) == 0) {
    return false;
  }
  instance = reply.instance_name != nullptr ? reply.instance_name : "";
  className = reply.class_name != nullptr ? reply.class_name : "";
  xcb_icccm_get_wm_class_reply_wipe(&reply);
  return true;
}

std::wstring X11Desktop::title(xcb_window_t window) {
  xcb_ewmh_get_utf8_strings_reply_t utf8;
  if (xcb_ewmh_get_wm_name_reply(&ewmh_, xcb_ewmh_get_wm_name(&ewmh_, window), &utf8, nullptr) !=
      0) {
    const std::string text(utf8.strings, utf8.strings_len);
    xcb_ewmh_get_utf8_strings_reply_wipe(&utf8);
    return Text::fromUtf8Lossy(text.substr(0, text.find('\0')));
  }
  xcb_icccm_get_text_property_reply_t name;
  if (xcb_icccm_get_wm_name_reply(connection_, xcb_icccm_get_wm_name(connection_, window), &name,
                                  nullptr) == 0) {
    return std::wstring();
  }
  std::string text(name.name, name.name_len);
  text = text.substr(0, text.find('\0'));
  const bool utf8Text = name.encoding == ewmh_.UTF8_STRING;
  xcb_icccm_get_text_property_reply_wipe(&name);
  return utf8Text ? Text::fromUtf8Lossy(text) : X11Settings::fromLatin1(text);
}

xcb_window_t X11Desktop::topLevelOf(xcb_window_t window) {
  for (int depth = 0; depth < 64 && window != XCB_NONE; ++depth) {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree) return XCB_NONE;
    if (tree->parent == screen_->root) return window;
    if (tree->parent == XCB_NONE) return XCB_NONE;  // the root itself
    window = tree->parent;
  }
  return XCB_NONE;
}

WindowHandle X11Desktop::findWindow(const std::wstring& className, const std::wstring& wanted) {
  const Drain drain{*this};
  if (!alive()) return 0;
  const std::string wantedClass = Text::toUtf8(className);
  const std::vector<xcb_window_t> windows =
      windowManagerPresent() ? clientWindows() : serverTopLevels();
  for (const xcb_window_t window : windows) {
    std::string instance;
    std::string windowClassName;
    if (windowClass(window, instance, windowClassName) &&
        (instance == wantedClass || windowClassName == wantedClass) && title(window) == wanted) {
      return window;
    }
  }
  return 0;
}

WindowHandle X11Desktop::findWindowByTitle(const std::wstring& wanted) {
  const Drain drain{*this};
  if (!alive()) return 0;
  const std::vector<xcb_window_t> windows =
      windowManagerPresent() ? clientWindows() : serverTopLevels();
  for (const xcb_window_t window : windows) {
    if (title(window) == wanted) return window;
  }
  // "home" looks for the phone's desktop window: here the root stands for
  // it, and bringing it forward shows the desktop.
  if (wanted == AppSettings::desktopTitle && showingDesktopSupported()) return screen_->root;
  return 0;
}

WindowHandle X11Desktop::foregroundWindow() {
  const Drain drain{*this};
  if (!alive()) return 0;
  if (windowManagerPresent()) {
    xcb_window_t active = XCB_NONE;
    if (xcb_ewmh_get_active_window_reply(&ewmh_, xcb_ewmh_get_active_window(&ewmh_, screenNumber_),
                                         &active, nullptr) == 0) {
      return 0;
    }
    return active;
  }
  const Reply<xcb_get_input_focus_reply_t> focus(
      xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
      focus->focus == screen_->root) {
    return 0;
  }
  return topLevelOf(focus->focus);
}

bool X11Desktop::setForegroundWindow(WindowHandle handle) {
  const Drain drain{*this};
  if (!alive() || handle > 0xFFFFFFFFu) return false;
  const auto window = static_cast<xcb_window_t>(handle);
  if (window == screen_->root) return showDesktop();
  if (!windowExists(window)) return false;
  if (windowManagerPresent()) {
    xcb_ewmh_request_change_active_window(&ewmh_, screenNumber_, window, sourcePager,
                                          XCB_CURRENT_TIME, XCB_NONE);
  } else {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
  }
  xcb_flush(connection_);
  return true;
}

bool X11Desktop::activateWindow(WindowHandle window) {
  // One request does both; a second one for a window already in front
  // changes nothing.
  return setForegroundWindow(window);
}

bool X11Desktop::windowProcessId(WindowHandle handle, std::uint32_t& processId) {
  const Drain drain{*this};
  if (!alive() || handle == 0 || handle > 0xFFFFFFFFu) return false;
  std::uint32_t pid = 0;
  if (xcb_ewmh_get_wm_pid_reply(&ewmh_,
                                xcb_ewmh_get_wm_pid(&ewmh_, static_cast<xcb_window_t>(handle)),
                                &pid, nullptr) == 0) {
    return false;
  }
  processId = pid;
  return true;
}

bool X11Desktop::isWindowVisible(WindowHandle handle) {
  const Drain drain{*this};
  if (!alive() || handle == 0 || handle > 0xFFFFFFFFu) return false;
  const auto window = static_cast<xcb_window_t>(handle);
  if (windowManagerPresent()) {
    // As on the phone, a window is visible while it is shown or minimised:
    // while the window manager lists it.
    const std::vector<xcb_window_t> clients = clientWindows();
    return std::find(clients.begin(), clients.end(), window) != clients.end();
  }
  const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::wstring X11Desktop::windowText(WindowHandle handle, std::size_t maxChars) {
  const Drain drain{*this};
  if (!alive() || handle == 0 || handle > 0xFFFFFFFFu || maxChars == 0) return std::wstring();
  std::wstring text = title(static_cast<xcb_window_t>(handle));
  if (text.size() > maxChars - 1) text.resize(maxChars - 1);
  return text;
}

bool X11Desktop::enumerateWindows(const std::function<bool(WindowHandle)>& visit) {
  const Drain drain{*this};
  if (!alive()) return false;
  const std::vector<xcb_window_t> windows =
      windowManagerPresent() ? clientWindows() : serverTopLevels();
  for (const xcb_window_t window : windows) {
    if (!visit(window)) break;
  }
  return true;
}

bool X11Desktop::sendDeleteWindow(xcb_window_t window) {
  xcb_icccm_get_wm_protocols_reply_t protocols;
  if (deleteWindowAtom_ == XCB_ATOM_NONE ||
      xcb_icccm_get_wm_protocols_reply(
          connection_, xcb_icccm_get_wm_protocols(connection_, window, ewmh_.WM_PROTOCOLS),
          &protocols, nullptr) == 0) {
    return false;
  }
  const bool supported = std::find(protocols.atoms, protocols.atoms + protocols.atoms_len,
                                   deleteWindowAtom_) != protocols.atoms + protocols.atoms_len;
  xcb_icccm_get_wm_protocols_reply_wipe(&protocols);
  if (!supported) return false;  // asked politely or not at all: never killed
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = ewmh_.WM_PROTOCOLS;
  message.data.data32[0] = deleteWindowAtom_;
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&message));
  return true;
}

bool X11Desktop::postToWindow(WindowHandle handle, std::uint32_t message, WParam, LParam) {
  const Drain drain{*this};
  if (!alive() || message != WindowMessage::close || handle > 0xFFFFFFFFu) return false;
  const auto window = static_cast<xcb_window_t>(handle);
  if (!windowExists(window)) return false;
  bool sent = false;
  if (windowManagerPresent()) {
    xcb_ewmh_request_close_window(&ewmh_, screenNumber_, window, XCB_CURRENT_TIME, sourcePager);
    sent = true;
  } else {
    sent = sendDeleteWindow(window);
  }
  xcb_flush(connection_);
  return sent;
}

bool X11Desktop::showingDesktopSupported() {
  if (!windowManagerPresent()) return false;
  xcb_ewmh_get_atoms_reply_t supported;
  if (xcb_ewmh_get_supported_reply(&ewmh_, xcb_ewmh_get_supported(&ewmh_, screenNumber_),
                                   &supported, nullptr) == 0) {
    return false;
  }
  const bool showing =
      std::find(supported.atoms, supported.atoms + supported.atoms_len,
                ewmh_._NET_SHOWING_DESKTOP) != supported.atoms + supported.atoms_len;
  xcb_ewmh_get_atoms_reply_wipe(&supported);
  return showing;
}

bool X11Desktop::showDesktop() {
  const Drain drain{*this};
  if (!alive() || !showingDesktopSupported()) return false;
  xcb_ewmh_request_change_showing_desktop(&ewmh_, screenNumber_, 1);
  xcb_flush(connection_);
  return true;
}

// --- keys ---

void X11Desktop::loadKeyboardMap() {
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  const std::uint8_t first = setup->min_keycode;
  const auto count = static_cast<std::uint8_t>(setup->max_keycode - first + 1);
  const Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
      connection_, xcb_get_keyboard_mapping(connection_, first, count), nullptr));
  if (!mapping) return;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int length = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
  keyboard_ = X11Keys::KeyboardMap(first, mapping->keysyms_per_keycode,
                                   std::vector<std::uint32_t>(keysyms, keysyms + length));
}

bool X11Desktop::pressKey(std::uint32_t keysym, bool down) {
  X11Keys::KeyStroke stroke;
  if (!keyboard_.find(keysym, stroke)) {
    // Not on this keyboard: bound to a free key for as long as zem runs.
    const std::uint8_t spare = keyboard_.spareKeycode();
    if (spare == 0) return false;
    const xcb_keysym_t keysyms[2] = {keysym, keysym};
    xcb_change_keyboard_mapping(connection_, 1, spare, 2, keysyms);
    boundKeysyms_.emplace_back(keysym, spare);
    loadKeyboardMap();
    if (!keyboard_.find(keysym, stroke)) return false;
  }
  const std::uint8_t shift = keyboard_.keycodeOf(0xFFE1);  // Shift_L
  if (stroke.shifted && down && shift != 0) {
    xcb_test_fake_input(connection_, XCB_KEY_PRESS, shift, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  }
  xcb_test_fake_input(connection_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, stroke.keycode,
                      XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  if (stroke.shifted && down && shift != 0) {
    xcb_test_fake_input(connection_, XCB_KEY_RELEASE, shift, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  }
  xcb_flush(connection_);
  return true;
}

bool X11Desktop::keyEvent(std::uint8_t virtualKey, bool down) {
  const Drain drain{*this};
  reapCommands();
  const std::string command = X11Settings::commandForKey(registry_, virtualKey);
  if (!command.empty()) {
    if (down) runCommand(command);
    return true;
  }
  if (!alive() || !xtest_) return false;
  const std::uint32_t keysym = X11Keys::keysymFor(virtualKey);
  return keysym != 0 && pressKey(keysym, down);
}

void X11Desktop::runCommand(const std::string& command) {
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  pid_t pid = 0;
  // posix_spawn takes the arguments as char* const[] but never writes them.
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) ==
      0) {
    commands_.push_back(pid);
  } else {
    log_("cannot run \"" + command + "\"");
  }
}

void X11Desktop::reapCommands() {
  commands_.erase(std::remove_if(commands_.begin(), commands_.end(),
                                 [](int pid) {
                                   int status = 0;
                                   const pid_t done = waitpid(pid, &status, WNOHANG);
                                   return done == pid || done < 0;
                                 }),
                  commands_.end());
}

// --- display ---

std::int32_t X11Desktop::rotationDegrees() {
  const Drain drain{*this};
  if (!alive() || !randr_) return -1;
  const Reply<xcb_randr_get_screen_info_reply_t> info(xcb_randr_get_screen_info_reply(
      connection_, xcb_randr_get_screen_info(connection_, screen_->root), nullptr));
  return info ? degreesOf(info->rotation) : -1;
}

void X11Desktop::followRotation(std::uint16_t rotation) {
  const std::int32_t degrees = degreesOf(rotation);
  if (degrees < 0 || degrees == lastAngle_) return;
  lastAngle_ = degrees;
  if (registry_ == nullptr) return;
  RegistryStore store(*registry_);
  std::uint32_t stored = 0;
  if (store.ReadDword(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
                      stored) &&
      stored == static_cast<std::uint32_t>(degrees)) {
    return;  // no change to notify
  }
  store.WriteDword(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
                   static_cast<std::uint32_t>(degrees));
}

std::int32_t X11Desktop::changeOrientation(const OrientationRequest& request) {
  const Drain drain{*this};
  if ((request.fields & orientationField) == 0) return changeBadParam;
  const std::uint16_t rotation = rotationFor(request.orientation);
  if (rotation == 0) return changeBadParam;
  if (!alive() || !randr_) return changeFailed;
  const Reply<xcb_randr_get_screen_info_reply_t> info(xcb_randr_get_screen_info_reply(
      connection_, xcb_randr_get_screen_info(connection_, screen_->root), nullptr));
  if (!info) return changeFailed;
  if ((info->rotations & rotation) == 0) return changeBadMode;  // the screen cannot turn so
  const Reply<xcb_randr_set_screen_config_reply_t> done(xcb_randr_set_screen_config_reply(
      connection_,
      xcb_randr_set_screen_config(connection_, screen_->root, XCB_CURRENT_TIME,
                                  info->config_timestamp, info->sizeID, rotation, info->rate),
      nullptr));
  if (!done || done->status != XCB_RANDR_SET_CONFIG_SUCCESS) return changeFailed;
  followRotation(rotation);
  return changeSuccessful;
}

bool X11Desktop::hasKeyboardClass(xcb_window_t window, const std::vector<std::string>& classes) {
  std::string instance;
  std::string className;
  if (!windowClass(window, instance, className)) return false;
  instance = lowerCased(instance);
  className = lowerCased(className);
  return std::any_of(classes.begin(), classes.end(), [&](const std::string& wanted) {
    return wanted == instance || wanted == className;
  });
}

bool X11Desktop::onScreenKeyboardShown() {
  const Drain drain{*this};
  if (!alive()) return false;
  const std::vector<std::string> classes = X11Settings::keyboardClasses(registry_);
  if (classes.empty()) return false;
  // A keyboard's window is a child of the root, or of the frame a window
  // manager put around it.
  const std::function<bool(xcb_window_t, int)> search = [&](xcb_window_t parent, int depth) {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent), nullptr));
    if (!tree) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i) {
      const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
          connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
      if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
      if (hasKeyboardClass(children[i], classes)) return true;
      if (depth < 1 && search(children[i], depth + 1)) return true;
    }
    return false;
  };
  return search(screen_->root, 0);
}
