// zem-testapp: a foreground program for the end-to-end tests. It shows one
// top-level window and logs what it receives, one line per event, to the
// file given with --log (appended, written at once):
//
//   arg N TEXT                      every command-line argument (N from 1;
//                                   characters beyond ASCII come out cut)
//   ready                           the window is shown
//   keydown VK / keyup VK           key messages (virtual-key code, decimal)
//   mousedown X,Y / mouseup X,Y     left button, in screen pixels
//   activate / deactivate           the window gains or loses activation
//                                   (a click never activates it)
//   close                           a close request; the program then ends
//
// Options (any other argument is only logged, so a launched program can be
// given arbitrary arguments): --title T, --log FILE. The window
// covers the panel (480 x 800) in the colour 203040.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::FILE* logFile = nullptr;

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

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      logLine((message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? "keydown " : "keyup ") +
              std::to_string(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      logLine((message == WM_LBUTTONDOWN ? "mousedown " : "mouseup ") +
              screenPoint(window, lParam));
      return 0;
    case WM_MOUSEACTIVATE:
      // A click never activates the window: gestures pass over the programs
      // as clicks, and the tests want the foreground to change only through
      // the programs under test.
      return MA_NOACTIVATE;
    case WM_ACTIVATE:
      logLine(LOWORD(wParam) == WA_INACTIVE ? "deactivate" : "activate");
      break;
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

}  // namespace

int main() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::vector<std::wstring> args(argv, argv + count);
  LocalFree(argv);

  std::wstring title = L"zem-testapp";
  const wchar_t* const className = L"ZemTestApp";
  std::wstring logPath;
  for (std::size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == L"--title") {
      title = args[++i];
    } else if (args[i] == L"--log") {
      logPath = args[++i];
    }
  }
  if (!logPath.empty()) logFile = _wfopen(logPath.c_str(), L"ab");

  for (std::size_t i = 1; i < args.size(); ++i) {
    logLine("arg " + std::to_string(i) + " " + std::string(args[i].begin(), args[i].end()));
  }

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = CreateSolidBrush(RGB(0x20, 0x30, 0x40));  // 203040
  windowClass.lpszClassName = className;
  // A pop-up window over the whole panel: no frame of the window manager's
  // or Wine's own.
  const HWND window = RegisterClassW(&windowClass) == 0
                          ? nullptr
                          : CreateWindowExW(0, className, title.c_str(), WS_POPUP | WS_VISIBLE, 0,
                                            0, 480, 800, nullptr, nullptr, instance, nullptr);
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
