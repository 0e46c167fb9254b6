// Windows and messages as the main program needs them: its own hidden
// windows with a message handler, the message loop with an accelerator
// table, timers, and the other applications' top-level windows (find,
// enumerate, text, owner process, visibility, the foreground window).
//
// Handles are opaque numbers; 0 is never a window. The adapter routes every
// message of a window whose class was registered here to that class's
// MessageHandler, on the thread that runs the message loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using WindowHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// The platform's standard message numbers used by the core.
namespace WindowMessage {
inline constexpr std::uint32_t create = 0x0001;
inline constexpr std::uint32_t destroy = 0x0002;
inline constexpr std::uint32_t activate = 0x0006;
inline constexpr std::uint32_t paint = 0x000F;
inline constexpr std::uint32_t close = 0x0010;
inline constexpr std::uint32_t quit = 0x0012;
inline constexpr std::uint32_t settingChange = 0x001A;
inline constexpr std::uint32_t keyDown = 0x0100;
inline constexpr std::uint32_t keyUp = 0x0101;
inline constexpr std::uint32_t command = 0x0111;
inline constexpr std::uint32_t timer = 0x0113;
}  // namespace WindowMessage

// A message taken from the queue.
struct QueuedMessage {
  WindowHandle window = 0;
  std::uint32_t message = 0;
  WParam wParam = 0;
  LParam lParam = 0;
};

// The window procedure of a registered class.
class MessageHandler {
 public:
  virtual ~MessageHandler() = default;
  virtual LResult handleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) = 0;
};

struct WindowClassSpec {
  std::uint32_t styles = 0;  // 3: redraw on horizontal and vertical resize
  std::wstring className;
  std::uint32_t iconId = 0;      // icon resource of the program, 0 for none
  bool arrowCursor = false;      // the standard arrow cursor, else none
  std::uint32_t stockBrush = 0;  // stock object of the background: 0 white, 4 black
};

struct WindowSpec {
  std::uint32_t exStyle = 0;  // 0x8: topmost
  std::wstring className;
  std::wstring title;
  std::uint32_t style = 0x80000000;  // pop-up, not visible
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The platform's "default" position and size value.
inline constexpr std::int32_t defaultWindowPosition = static_cast<std::int32_t>(0x80000000u);

class WindowPort {
 public:
  using AcceleratorTable = std::uintptr_t;  // 0 when not loaded

  virtual ~WindowPort() = default;

  // --- the program's resources ---
  // A string of the string table, at most maxChars - 1 characters; empty
  // when missing.
  virtual std::wstring loadString(std::uint32_t id, std::size_t maxChars) = 0;
  virtual AcceleratorTable loadAccelerators(std::uint32_t id) = 0;

  // --- the program's own windows ---
  // False when the class cannot be registered (for example already is).
  virtual bool registerClass(const WindowClassSpec& params, MessageHandler& handler) = 0;
  // The create message reaches the class's handler before this returns.
  // 0 on failure.
  virtual WindowHandle createWindow(const WindowSpec& params) = 0;
  // Sends the destroy message to the window's handler, then forgets it.
  virtual bool destroyWindow(WindowHandle window) = 0;
  virtual LResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                                   LParam lParam) = 0;
  // Begin and end painting: validates the window without drawing.
  virtual void validate(WindowHandle window) = 0;
  // The primary display's size in pixels (system metrics 0 and 1).
  virtual std::int32_t screenWidth() = 0;
  virtual std::int32_t screenHeight() = 0;

  // --- messages ---
  virtual bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                           LParam lParam) = 0;
  virtual LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                              LParam lParam) = 0;
  virtual void postQuitMessage(std::int32_t exitCode) = 0;
  // Waits for the next message of this thread's windows. Returns > 0 with a
  // message, 0 when it is the quit message (message.wParam is its code),
  // < 0 on failure.
  virtual std::int32_t getMessage(QueuedMessage& message) = 0;
  // True when the table turned the message into a command and dispatched it.
  virtual bool translateAccelerator(WindowHandle window, AcceleratorTable table,
                                    const QueuedMessage& message) = 0;
  virtual void translateMessage(const QueuedMessage& message) = 0;
  virtual LResult dispatchMessage(const QueuedMessage& message) = 0;
  // A timer that posts the timer message to the window every `ms`
  // milliseconds. Returns the timer id (non-zero) or 0 on failure.
  virtual std::uintptr_t setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t ms) = 0;
  virtual bool killTimer(WindowHandle window, std::uintptr_t id) = 0;

  // --- all top-level windows ---
  virtual WindowHandle findWindow(const std::wstring& className, const std::wstring& title) = 0;
  // Any class.
  virtual WindowHandle findWindowByTitle(const std::wstring& title) = 0;
  virtual WindowHandle foregroundWindow() = 0;
  // The handle is passed on as given (a caller may set its lowest bit).
  virtual bool setForegroundWindow(WindowHandle window) = 0;
  // The second call of a switch: activates the window just made foreground.
  virtual bool activateWindow(WindowHandle window) = 0;
  // False when the window does not exist.
  virtual bool windowProcessId(WindowHandle window, std::uint32_t& processId) = 0;
  virtual bool isWindowVisible(WindowHandle window) = 0;
  // At most maxChars - 1 characters; empty on failure.
  virtual std::wstring windowText(WindowHandle window, std::size_t maxChars) = 0;
  // Calls `visit` for every top-level window in z-order until it returns
  // false. False when the enumeration failed.
  virtual bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) = 0;
};
