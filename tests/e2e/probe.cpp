// zem-probe: small Windows-side checks for the end-to-end tests.
//
//   zem-probe window CLASS TITLE [gone]
//       whether a top-level window of this class and title exists (or not)
//   zem-probe post CLASS TITLE MESSAGE WPARAM LPARAM
//       posts a message to that window (numbers decimal or 0x hex)
//   zem-probe screen (X,Y,W,H | nothing) TIMEOUT_MS
//       captures the screen until the pixels that differ from the test
//       programs' background (203040) all lie in the rectangle and cover at
//       least half of its width and of its height (or until there are none)
//
// Exit status: 0 when the condition was met, 1 when it was not (with what
// was seen on standard error), 2 on a usage error.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool empty() const { return right <= left || bottom <= top; }
};

// The bounding box of the pixels on the screen that differ from the
// background, or an empty box when the screen cannot be read.
Box changedPixels(bool& captured) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  Box found = {width, height, 0, 0};
  captured = false;
  if (memory != nullptr && bitmap != nullptr) {
    SelectObject(memory, bitmap);
    // CAPTUREBLT takes layered windows (the overlay stand-in) along.
    captured = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; captured && y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if ((pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF) == 0x203040) continue;
        found = {std::min(found.left, x), std::min(found.top, y), std::max(found.right, x + 1),
                 std::max(found.bottom, y + 1)};
      }
    }
  }
  DeleteDC(memory);  // before the bitmap, which it holds
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
  return found;
}

int screenCommand(const std::wstring& expected, unsigned long timeoutMs) {
  Box expect;
  int width = 0, height = 0;
  const bool nothing = expected == L"nothing";
  if (!nothing && std::swscanf(expected.c_str(), L"%d,%d,%d,%d", &expect.left, &expect.top, &width,
                               &height) != 4) {
    return 2;
  }
  expect.right = expect.left + width;
  expect.bottom = expect.top + height;
  Box seen;
  bool captured = false;
  for (const ULONGLONG end = GetTickCount64() + timeoutMs;; Sleep(50)) {
    seen = changedPixels(captured);
    if (nothing
            ? seen.empty()
            : !seen.empty() && seen.left >= expect.left && seen.top >= expect.top &&
                  seen.right <= expect.right && seen.bottom <= expect.bottom &&
                  2 * (seen.right - seen.left) >= width && 2 * (seen.bottom - seen.top) >= height) {
      return 0;
    }
    if (GetTickCount64() >= end) break;
  }
  std::fprintf(stderr, "zem-probe: %s; changed pixels: (%d,%d)-(%d,%d)\n",
               captured ? "not as expected" : "the screen cannot be read", seen.left, seen.top,
               seen.right, seen.bottom);
  return 1;
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args(argv, argv + count);
  LocalFree(argv);
  args.resize(7);  // missing arguments are empty
  const auto number = [](const std::wstring& text) {
    return std::wcstoul(text.c_str(), nullptr, 0);
  };
  const HWND window = FindWindowW(args[2].c_str(), args[3].c_str());
  if (args[1] == L"screen") return screenCommand(args[2], number(args[3]));
  if (args[1] == L"window") return (window != nullptr) != (args[4] == L"gone") ? 0 : 1;
  if (args[1] == L"post") {
    return window != nullptr && PostMessageW(window, number(args[4]), number(args[5]),
                                             static_cast<LPARAM>(number(args[6]))) != 0
               ? 0
               : 1;
  }
  std::fprintf(stderr, "zem-probe: bad arguments (see probe.cpp)\n");
  return 2;
}
