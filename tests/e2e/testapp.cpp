// zem-testapp: a foreground program for the end-to-end tests. It shows one
// top-level window and logs what it receives, one line per event, to the
// file given with --log (appended, written at once):
//
//   started pid PID title TITLE     at start, followed by
//   arg N TEXT                      every command-line argument (N from 1)
//   ready                           the window is shown
//   keydown VK / keyup VK           key messages (virtual-key code, decimal)
//   mousedown X,Y / mouseup X,Y     left button, in screen pixels
//   activate / deactivate           the window gains or loses activation
//                                   (a click never activates it)
//   touch WPARAM LPARAM / touchend  the hook library's messages (hex)
//   close                           a close request; the program then ends
//
// Options (any other argument is only logged, so a launched program can be
// given arbitrary arguments): --title T, --class C, --log FILE,
// --rect X,Y,W,H (window rectangle, default 0,0,480,800), --color RRGGBB
// (background of the window, default 203040).
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "ports/touch_messages.h"

namespace {

std::FILE* logFile = nullptr;

std::string utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                      nullptr, nullptr);
  return result;
}

void logLine(const std::string& text) {
  if (logFile == nullptr) return;
  std::fprintf(logFile, "%s\n", text.c_str());
  std::fflush(logFile);
}

std::string screenPoint(HWND window, LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(window, &point);
  return std::to_string(point.x) + "," + std::to_string(point.y);
}

std::string hex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof(text), "0x%08llX", static_cast<unsigned long long>(value));
  return text;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      logLine("keydown " + std::to_string(wParam));
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      logLine("keyup " + std::to_string(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      logLine("mousedown " + screenPoint(window, lParam));
      return 0;
    case WM_LBUTTONUP:
      logLine("mouseup " + screenPoint(window, lParam));
      return 0;
    case WM_MOUSEACTIVATE:
      // A click never activates the window: gestures pass over the programs
      // as clicks, and the tests want the foreground to change only through
      // the programs under test.
      return MA_NOACTIVATE;
    case WM_ACTIVATE:
      logLine(LOWORD(wParam) == WA_INACTIVE ? "deactivate" : "activate");
      break;
    case WM_APP_TOUCH:
      logLine("touch " + hex(wParam) + " " + hex(static_cast<std::uintptr_t>(lParam)));
      return 0;
    case WM_APP_TOUCH_END:
      logLine("touchend");
      return 0;
    case WM_CLOSE:
      logLine("close");
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool parseRect(const std::wstring& text, RECT& rect) {
  int x = 0, y = 0, width = 0, height = 0;
  wchar_t rest = 0;
  if (std::swscanf(text.c_str(), L"%d,%d,%d,%d%lc", &x, &y, &width, &height, &rest) != 4 ||
      width <= 0 || height <= 0) {
    return false;
  }
  rect = {x, y, x + width, y + height};
  return true;
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 0; argv != nullptr && i < count; ++i) args.emplace_back(argv[i]);
  if (argv != nullptr) LocalFree(argv);

  std::wstring title = L"zem-testapp";
  std::wstring className = L"ZemTestApp";
  std::wstring logPath;
  RECT rect = {0, 0, 480, 800};
  unsigned long color = 0x203040;
  for (std::size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == L"--title") {
      title = args[++i];
    } else if (args[i] == L"--class") {
      className = args[++i];
    } else if (args[i] == L"--log") {
      logPath = args[++i];
    } else if (args[i] == L"--rect") {
      if (!parseRect(args[++i], rect)) {
        std::fprintf(stderr, "zem-testapp: --rect needs X,Y,WIDTH,HEIGHT\n");
        return 2;
      }
    } else if (args[i] == L"--color") {
      color = std::wcstoul(args[++i].c_str(), nullptr, 16);
    }
  }
  if (!logPath.empty()) logFile = _wfopen(logPath.c_str(), L"ab");

  logLine("started pid " + std::to_string(GetCurrentProcessId()) + " title " + utf8(title));
  for (std::size_t i = 1; i < args.size(); ++i) {
    logLine("arg " + std::to_string(i) + " " + utf8(args[i]));
  }

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  // COLORREF is 0x00BBGGRR.
  windowClass.hbrBackground =
      CreateSolidBrush(RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
  windowClass.lpszClassName = className.c_str();
  if (RegisterClassW(&windowClass) == 0) {
    logLine("cannot register the window class: " + std::to_string(GetLastError()));
    return 1;
  }
  // A pop-up window: the client area is the whole rectangle, with no frame
  // of the window manager's or Wine's own.
  const HWND window = CreateWindowExW(0, className.c_str(), title.c_str(), WS_POPUP | WS_VISIBLE,
                                      rect.left, rect.top, rect.right - rect.left,
                                      rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    logLine("cannot create the window: " + std::to_string(GetLastError()));
    return 1;
  }
  SetForegroundWindow(window);
  UpdateWindow(window);
  logLine("ready");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  logLine("exit");
  return 0;
}
