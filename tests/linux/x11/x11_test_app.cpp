// A small X application for the desktop's tests: one top-level window with a
// title, a class, its process id and the close protocol, filled with blue
// (0x3060C0). It writes what it receives to a log, one line each, flushed at
// once:
//   ready                   mapped and shown
//   focus                   it got the input focus
//   key <keysym hex>        a key press, the keysym for the key and Shift
//   button <x> <y>          a pointer button press, in window coordinates
//   close                   the window manager asked it to close (it exits,
//                           unless started with --stay)
//
//   zem-x11-test-app --title T --class C --log FILE
//                    [--type toolbar|desktop|normal] [--stay] [--no-pid]
//                    [--geometry X,Y,W,H]
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

FILE* logFile = nullptr;

void note(const std::string& line) {
  if (logFile == nullptr) return;
  std::fprintf(logFile, "%s\n", line.c_str());
  std::fflush(logFile);
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  std::string title = "Test", windowClass = "zem-test", logPath, type = "normal";
  std::string geometry = "0,0,480,800";
  bool stay = false, pid = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string* value = arg == "--title"      ? &title
                         : arg == "--class"    ? &windowClass
                         : arg == "--log"      ? &logPath
                         : arg == "--type"     ? &type
                         : arg == "--geometry" ? &geometry
                                               : nullptr;
    if (value != nullptr && i + 1 < argc) {
      *value = argv[++i];
    } else if (arg == "--stay" || arg == "--no-pid") {
      stay = stay || arg == "--stay";
      pid = pid && arg != "--no-pid";
    } else {
      std::fprintf(stderr, "zem-x11-test-app: unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  int x = 0, y = 0, width = 0, height = 0;
  char comma = 0;
  if (!(std::istringstream(geometry) >> x >> comma >> y >> comma >> width >> comma >> height)) {
    std::fprintf(stderr, "zem-x11-test-app: bad geometry %s\n", geometry.c_str());
    return 2;
  }
  if (!logPath.empty()) logFile = std::fopen(logPath.c_str(), "a");

  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) return 1;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_ewmh_connection_t ewmh;
  xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr);

  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t values[] = {0x3060C0,  // blue
                                  XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_BUTTON_PRESS |
                                      XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_EXPOSURE};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<std::int16_t>(x),
                    static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                    static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
  xcb_ewmh_set_wm_name(&ewmh, window, static_cast<std::uint32_t>(title.size()), title.c_str());
  // WM_CLASS: instance and class, each ending in a NUL.
  const std::string classes = windowClass + '\0' + windowClass + '\0';
  xcb_icccm_set_wm_class(c, window, static_cast<std::uint32_t>(classes.size()), classes.c_str());
  if (pid) xcb_ewmh_set_wm_pid(&ewmh, window, static_cast<std::uint32_t>(getpid()));
  xcb_atom_t deleteWindow = atom(c, "WM_DELETE_WINDOW");
  xcb_icccm_set_wm_protocols(c, window, ewmh.WM_PROTOCOLS, 1, &deleteWindow);
  xcb_icccm_wm_hints_t hints{};
  xcb_icccm_wm_hints_set_input(&hints, 1);
  xcb_icccm_wm_hints_set_normal(&hints);
  xcb_icccm_set_wm_hints(c, window, &hints);
  if (type == "toolbar" || type == "desktop") {
    xcb_atom_t windowType =
        type == "toolbar" ? ewmh._NET_WM_WINDOW_TYPE_TOOLBAR : ewmh._NET_WM_WINDOW_TYPE_DESKTOP;
    xcb_ewmh_set_wm_window_type(&ewmh, window, 1, &windowType);
  }
  xcb_map_window(c, window);
  xcb_flush(c);

  // The keyboard map, to name the keys pressed; fetched again when it changes.
  const xcb_setup_t* setup = xcb_get_setup(c);
  const auto keyboardMap = [&] {
    return xcb_get_keyboard_mapping_reply(
        c,
        xcb_get_keyboard_mapping(
            c, setup->min_keycode,
            static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1)),
        nullptr);
  };
  xcb_get_keyboard_mapping_reply_t* mapping = keyboardMap();

  bool ready = false;
  bool closing = false;
  while (xcb_generic_event_t* event = closing ? nullptr : xcb_wait_for_event(c)) {
    switch (event->response_type & 0x7F) {
      case XCB_EXPOSE:
        if (!ready) note("ready");
        ready = true;
        break;
      case XCB_FOCUS_IN:
        note("focus");
        break;
      case XCB_KEY_PRESS: {
        if (mapping == nullptr) break;  // no map: the key cannot be named
        const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        const int per = mapping->keysyms_per_keycode;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
        const int index = (press->detail - setup->min_keycode) * per;
        xcb_keysym_t sym = syms[index];
        if ((press->state & XCB_MOD_MASK_SHIFT) != 0 && per > 1 && syms[index + 1] != 0) {
          sym = syms[index + 1];
        }
        char line[32];
        std::snprintf(line, sizeof line, "key %x", sym);
        note(line);
        break;
      }
      case XCB_BUTTON_PRESS: {
        const auto* press = reinterpret_cast<xcb_button_press_event_t*>(event);
        note("button " + std::to_string(press->event_x) + " " + std::to_string(press->event_y));
        break;
      }
      case XCB_MAPPING_NOTIFY:
        std::free(mapping);
        mapping = keyboardMap();
        break;
      case XCB_CLIENT_MESSAGE: {
        const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        if (message->type == ewmh.WM_PROTOCOLS && message->data.data32[0] == deleteWindow) {
          note("close");
          closing = !stay;
        }
        break;
      }
      default:
        break;
    }
    std::free(event);
  }
  std::free(mapping);
  xcb_ewmh_connection_wipe(&ewmh);
  xcb_disconnect(c);
  return 0;
}
