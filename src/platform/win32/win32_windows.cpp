#include "platform/win32/win32_windows.h"

#include <climits>
#include <exception>
#include <map>
#include <mutex>

namespace {

constexpr WORD idcArrow = 32512;  // IDC_ARROW

// The handlers of the classes registered by any adapter of the process, by
// class atom. Never destroyed: windows may outlive every static object.
std::mutex handlersMutex;
std::map<ATOM, MessageHandler*>& handlers() {
  static auto* map = new std::map<ATOM, MessageHandler*>();
  return *map;
}

MessageHandler* handlerOf(HWND window) {
  const auto atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
  const std::lock_guard<std::mutex> lock(handlersMutex);
  const auto it = handlers().find(atom);
  return it == handlers().end() ? nullptr : it->second;
}

// A handler's exception, kept until the port call on this thread returns.
thread_local std::exception_ptr pendingException;

void rethrowPending() {
  if (pendingException) {
    std::exception_ptr error = std::exchange(pendingException, nullptr);
    std::rethrow_exception(error);
  }
}

HWND toHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle toHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }
// Desktop Windows refuses a handle with the lowest bit set.
HWND plain(WindowHandle window) { return toHwnd(window & ~WindowHandle{1}); }

MSG toMsg(const QueuedMessage& message) {
  MSG msg{};
  msg.hwnd = toHwnd(message.window);
  msg.message = message.message;
  msg.wParam = message.wParam;
  msg.lParam = message.lParam;
  msg.time = static_cast<DWORD>(GetMessageTime());
  const DWORD position = GetMessagePos();
  msg.pt.x = static_cast<short>(LOWORD(position));
  msg.pt.y = static_cast<short>(HIWORD(position));
  return msg;
}

int clampToInt(std::size_t chars) {
  return chars > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(chars);
}

LRESULT CALLBACK routeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MessageHandler* handler = handlerOf(window);
  if (handler == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return handler->handleMessage(toHandle(window), message, wParam, lParam);
  } catch (...) {
    if (!pendingException) pendingException = std::current_exception();
    if (message == WM_NCCREATE) return FALSE;
    if (message == WM_CREATE) return -1;
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

struct Enumeration {
  const std::function<bool(WindowHandle)>* visit = nullptr;
  bool stopped = false;
  std::exception_ptr error;
};

BOOL CALLBACK visitWindow(HWND window, LPARAM parameter) {
  auto& enumeration = *reinterpret_cast<Enumeration*>(parameter);
  try {
    if ((*enumeration.visit)(toHandle(window))) return TRUE;
    enumeration.stopped = true;
  } catch (...) {
    enumeration.error = std::current_exception();
  }
  return FALSE;
}

}  // namespace

Win32Windows::~Win32Windows() {
  for (const auto& [atom, instance] : classes_) {
    {
      const std::lock_guard<std::mutex> lock(handlersMutex);
      handlers().erase(atom);
    }
    UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), instance);
  }
}

// --- resources ---

std::wstring Win32Windows::loadString(std::uint32_t id, std::size_t maxChars) {
  // A zero-sized buffer would ask for a pointer into the resource instead.
  if (maxChars == 0) return std::wstring();
  std::vector<wchar_t> buffer(maxChars, L'\0');
  const int length = LoadStringW(instance_, id, buffer.data(), clampToInt(maxChars));
  return length > 0 ? std::wstring(buffer.data(), static_cast<std::size_t>(length))
                    : std::wstring();
}

WindowPort::AcceleratorTable Win32Windows::loadAccelerators(std::uint32_t id) {
  return reinterpret_cast<AcceleratorTable>(LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(id)));
}

// --- the program's own windows ---

bool Win32Windows::registerClass(const WindowClassSpec& params, MessageHandler& handler) {
  WNDCLASSW windowClass{};
  windowClass.style = params.styles;
  windowClass.lpfnWndProc = routeMessage;
  windowClass.hInstance = instance_;
  windowClass.hIcon =
      params.iconId != 0 ? LoadIconW(instance_, MAKEINTRESOURCEW(params.iconId)) : nullptr;
  windowClass.hCursor =
      params.arrowCursor ? LoadCursorW(nullptr, MAKEINTRESOURCEW(idcArrow)) : nullptr;
  windowClass.hbrBackground =
      static_cast<HBRUSH>(GetStockObject(static_cast<int>(params.stockBrush)));
  windowClass.lpszClassName = params.className.c_str();
  // Registered before any window of the class can exist, so its create
  // message finds the handler.
  const ATOM atom = RegisterClassW(&windowClass);
  if (atom == 0) return false;
  {
    const std::lock_guard<std::mutex> lock(handlersMutex);
    handlers()[atom] = &handler;
  }
  classes_.emplace_back(atom, instance_);
  return true;
}

WindowHandle Win32Windows::createWindow(const WindowSpec& params) {
  const HWND window = CreateWindowExW(
      params.exStyle, params.className.c_str(), params.title.c_str(), params.style, params.x,
      params.y, params.width, params.height, nullptr, nullptr, instance_, nullptr);
  if (pendingException && window != nullptr) DestroyWindow(window);
  rethrowPending();
  return toHandle(window);
}

bool Win32Windows::destroyWindow(WindowHandle window) {
  const BOOL destroyed = DestroyWindow(toHwnd(window));
  rethrowPending();
  return destroyed != FALSE;
}

LResult Win32Windows::defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                                       LParam lParam) {
  return DefWindowProcW(toHwnd(window), message, wParam, lParam);
}

void Win32Windows::validate(WindowHandle window) {
  PAINTSTRUCT paint{};
  if (BeginPaint(toHwnd(window), &paint) != nullptr) EndPaint(toHwnd(window), &paint);
}

std::int32_t Win32Windows::screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
std::int32_t Win32Windows::screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// --- messages ---

bool Win32Windows::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                               LParam lParam) {
  return PostMessageW(toHwnd(window), message, wParam, lParam) != FALSE;
}

LResult Win32Windows::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                  LParam lParam) {
  const LRESULT result = SendMessageW(toHwnd(window), message, wParam, lParam);
  rethrowPending();
  return result;
}

void Win32Windows::postQuitMessage(std::int32_t exitCode) { PostQuitMessage(exitCode); }

std::int32_t Win32Windows::getMessage(QueuedMessage& message) {
  MSG msg{};
  // Messages sent from other threads are handled inside.
  const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
  rethrowPending();
  if (result == -1) return -1;
  message = QueuedMessage{toHandle(msg.hwnd), msg.message, msg.wParam, msg.lParam};
  return result == 0 ? 0 : 1;
}

bool Win32Windows::translateAccelerator(WindowHandle window, AcceleratorTable table,
                                        const QueuedMessage& message) {
  if (window == 0 || table == 0) return false;
  MSG msg = toMsg(message);
  const int translated =
      TranslateAcceleratorW(toHwnd(window), reinterpret_cast<HACCEL>(table), &msg);
  rethrowPending();
  return translated != 0;
}

void Win32Windows::translateMessage(const QueuedMessage& message) {
  const MSG msg = toMsg(message);
  TranslateMessage(&msg);
}

LResult Win32Windows::dispatchMessage(const QueuedMessage& message) {
  const MSG msg = toMsg(message);
  const LRESULT result = DispatchMessageW(&msg);
  rethrowPending();
  return result;
}

std::uintptr_t Win32Windows::setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t ms) {
  if (window == 0 || id == 0) return 0;
  return SetTimer(toHwnd(window), id, ms, nullptr) != 0 ? id : 0;
}

bool Win32Windows::killTimer(WindowHandle window, std::uintptr_t id) {
  return KillTimer(toHwnd(window), id) != FALSE;
}

// --- all top-level windows ---

WindowHandle Win32Windows::findWindow(const std::wstring& className, const std::wstring& title) {
  return toHandle(FindWindowW(className.c_str(), title.c_str()));
}

WindowHandle Win32Windows::findWindowByTitle(const std::wstring& title) {
  return toHandle(FindWindowW(nullptr, title.c_str()));
}

WindowHandle Win32Windows::foregroundWindow() { return toHandle(GetForegroundWindow()); }

bool Win32Windows::setForegroundWindow(WindowHandle window) {
  return SetForegroundWindow(plain(window)) != FALSE;
}

bool Win32Windows::activateWindow(WindowHandle window) {
  const HWND target = plain(window);
  if (IsWindow(target) == FALSE) return false;
  // The window belongs to another program: ShowWindow and BringWindowToTop
  // would wait for its thread, and a hung program would stop ours. These
  // calls only queue the request.
  if (IsIconic(target) != FALSE) ShowWindowAsync(target, SW_RESTORE);
  SetWindowPos(target, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  if (SetForegroundWindow(target) != FALSE) return true;
  // Desktop Windows lets only the thread that has the foreground hand it on:
  // share the input state with that thread for the moment of the call.
  const DWORD own = GetCurrentThreadId();
  const DWORD front = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  if (front == 0 || front == own || AttachThreadInput(own, front, TRUE) == FALSE) return false;
  const BOOL done = SetForegroundWindow(target);
  AttachThreadInput(own, front, FALSE);
  return done != FALSE;
}

bool Win32Windows::windowProcessId(WindowHandle window, std::uint32_t& processId) {
  DWORD id = 0;
  if (window == 0 || GetWindowThreadProcessId(toHwnd(window), &id) == 0) return false;
  processId = id;
  return true;
}

bool Win32Windows::isWindowVisible(WindowHandle window) {
  return IsWindowVisible(toHwnd(window)) != FALSE;
}

std::wstring Win32Windows::windowText(WindowHandle window, std::size_t maxChars) {
  if (window == 0 || maxChars == 0) return std::wstring();
  std::vector<wchar_t> buffer(maxChars, L'\0');
  const int length = GetWindowTextW(toHwnd(window), buffer.data(), clampToInt(maxChars));
  return length > 0 ? std::wstring(buffer.data(), static_cast<std::size_t>(length))
                    : std::wstring();
}

bool Win32Windows::enumerateWindows(const std::function<bool(WindowHandle)>& visit) {
  Enumeration enumeration;
  enumeration.visit = &visit;
  const BOOL completed = EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&enumeration));
  if (enumeration.error) std::rethrow_exception(enumeration.error);
  // A visitor that stops the walk makes the call report failure.
  return completed != FALSE || enumeration.stopped;
}
