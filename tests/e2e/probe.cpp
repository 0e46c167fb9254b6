// zem-probe: small Windows-side checks for the end-to-end tests.
//
//   zem-probe window TITLE [--class C] [--gone] [--timeout MS]
//       waits until a top-level window with this title (and class) exists,
//       or with --gone until none does
//   zem-probe post TITLE [--class C] MESSAGE WPARAM LPARAM
//       posts a message to that window (numbers decimal or 0x hex)
//   zem-probe screen --background RRGGBB --within X,Y,W,H
//                    (--expect X,Y,W,H | --expect-nothing)
//                    [--timeout MS] [--save FILE.bmp]
//       captures the screen until, inside the --within rectangle, the pixels
//       that differ from the background colour all lie in the --expect
//       rectangle and cover at least half of its width and of its height
//       (or, with --expect-nothing, until there are none)
//
// Exit status: 0 when the condition was met, 1 when it was not (with what
// was seen on standard error), 2 on a usage error.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int exitMet = 0;
constexpr int exitNotMet = 1;
constexpr int exitUsage = 2;

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool empty() const { return right <= left || bottom <= top; }
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

std::string describe(const Box& box) {
  if (box.empty()) return "nothing";
  return "(" + std::to_string(box.left) + "," + std::to_string(box.top) + ")-(" +
         std::to_string(box.right) + "," + std::to_string(box.bottom) + ")";
}

bool parseBox(const std::wstring& text, Box& box) {
  int x = 0, y = 0, width = 0, height = 0;
  wchar_t rest = 0;
  if (std::swscanf(text.c_str(), L"%d,%d,%d,%d%lc", &x, &y, &width, &height, &rest) != 4 ||
      width <= 0 || height <= 0) {
    return false;
  }
  box = {x, y, x + width, y + height};
  return true;
}

bool parseNumber(const std::wstring& text, unsigned long long& value) {
  if (text.empty() || text[0] == L'-') return false;
  wchar_t* end = nullptr;
  value = std::wcstoull(text.c_str(), &end, 0);
  return *end == L'\0';
}

using Clock = std::chrono::steady_clock;

template <typename Check>
bool pollUntil(unsigned long long timeoutMs, Check check) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (check()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// --- screen ---------------------------------------------------------------

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

bool capture(Screenshot& shot) {
  shot.width = GetSystemMetrics(SM_CXSCREEN);
  shot.height = GetSystemMetrics(SM_CYSCREEN);
  if (shot.width <= 0 || shot.height <= 0) return false;
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (memory != nullptr && bitmap != nullptr) {
    const HGDIOBJ old = SelectObject(memory, bitmap);
    // CAPTUREBLT takes layered windows (the overlay stand-in) along.
    ok = BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    if (ok) {
      const auto* source = static_cast<const std::uint32_t*>(bits);
      shot.pixels.assign(source, source + static_cast<std::size_t>(shot.width) *
                                              static_cast<std::size_t>(shot.height));
      for (std::uint32_t& pixel : shot.pixels) pixel &= 0x00FFFFFF;
    }
    SelectObject(memory, old);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool saveBitmap(const Screenshot& shot, const std::wstring& path) {
  std::FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return false;
  const auto imageBytes = static_cast<DWORD>(shot.pixels.size() * 4);
  BITMAPFILEHEADER header = {};
  BITMAPINFOHEADER info = {};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + imageBytes;
  info.biSize = sizeof(info);
  info.biWidth = shot.width;
  info.biHeight = -shot.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  const bool ok =
      std::fwrite(&header, sizeof(header), 1, file) == 1 &&
      std::fwrite(&info, sizeof(info), 1, file) == 1 &&
      std::fwrite(shot.pixels.data(), 4, shot.pixels.size(), file) == shot.pixels.size();
  return std::fclose(file) == 0 && ok;
}

// The bounding box of the pixels inside `within` that differ from `background`.
Box changedPixels(const Screenshot& shot, const Box& within, std::uint32_t background,
                  long& count) {
  Box found = {within.right, within.bottom, within.left, within.top};
  count = 0;
  const int top = std::max(within.top, 0), bottom = std::min(within.bottom, shot.height);
  const int left = std::max(within.left, 0), right = std::min(within.right, shot.width);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (shot.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(shot.width) +
                      static_cast<std::size_t>(x)] == background) {
        continue;
      }
      ++count;
      found.left = std::min(found.left, x);
      found.top = std::min(found.top, y);
      found.right = std::max(found.right, x + 1);
      found.bottom = std::max(found.bottom, y + 1);
    }
  }
  return count == 0 ? Box{} : found;
}

int screenCommand(const std::vector<std::wstring>& args) {
  unsigned long long background = 0;
  bool haveBackground = false, haveWithin = false, haveExpect = false, expectNothing = false;
  Box within, expect;
  unsigned long long timeoutMs = 5000;
  std::wstring savePath;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == L"--background" && hasValue) {
      haveBackground = parseNumber(L"0x" + args[++i], background);
    } else if (args[i] == L"--within" && hasValue) {
      haveWithin = parseBox(args[++i], within);
    } else if (args[i] == L"--expect" && hasValue) {
      haveExpect = parseBox(args[++i], expect);
    } else if (args[i] == L"--expect-nothing") {
      expectNothing = true;
    } else if (args[i] == L"--timeout" && hasValue) {
      if (!parseNumber(args[++i], timeoutMs)) return exitUsage;
    } else if (args[i] == L"--save" && hasValue) {
      savePath = args[++i];
    } else {
      return exitUsage;
    }
  }
  if (!haveBackground || !haveWithin || haveExpect == expectNothing) return exitUsage;

  Screenshot shot;
  Box seen;
  long count = 0;
  bool captured = false;
  const bool met = pollUntil(timeoutMs, [&] {
    if (!capture(shot)) return false;
    captured = true;
    seen = changedPixels(shot, within, static_cast<std::uint32_t>(background), count);
    if (expectNothing) return seen.empty();
    return !seen.empty() && seen.left >= expect.left && seen.top >= expect.top &&
           seen.right <= expect.right && seen.bottom <= expect.bottom &&
           2 * seen.width() >= expect.width() && 2 * seen.height() >= expect.height();
  });
  if (!savePath.empty() && captured && !saveBitmap(shot, savePath)) {
    std::fprintf(stderr, "zem-probe: cannot save the screenshot\n");
  }
  if (!captured) {
    std::fprintf(stderr, "zem-probe: the screen could not be captured\n");
    return exitNotMet;
  }
  if (!met) {
    std::fprintf(stderr, "zem-probe: changed pixels: %ld within %s, bounding box %s; expected %s\n",
                 count, describe(within).c_str(), describe(seen).c_str(),
                 expectNothing ? "nothing" : describe(expect).c_str());
    return exitNotMet;
  }
  std::printf("changed pixels: %ld, bounding box %s\n", count, describe(seen).c_str());
  return exitMet;
}

// --- windows --------------------------------------------------------------

struct WindowQuery {
  std::wstring title;
  std::wstring className;
  HWND find() const {
    return FindWindowW(className.empty() ? nullptr : className.c_str(), title.c_str());
  }
};

// Takes --class C out of the arguments after the title.
bool windowQuery(std::vector<std::wstring>& args, WindowQuery& query) {
  if (args.size() < 3) return false;
  query.title = args[2];
  for (std::size_t i = 3; i + 1 < args.size(); ++i) {
    if (args[i] == L"--class") {
      query.className = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                 args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      break;
    }
  }
  return true;
}

int windowCommand(std::vector<std::wstring> args) {
  WindowQuery query;
  if (!windowQuery(args, query)) return exitUsage;
  bool gone = false;
  unsigned long long timeoutMs = 10000;
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == L"--gone") {
      gone = true;
    } else if (args[i] == L"--timeout" && i + 1 < args.size()) {
      if (!parseNumber(args[++i], timeoutMs)) return exitUsage;
    } else {
      return exitUsage;
    }
  }
  if (pollUntil(timeoutMs, [&] { return (query.find() != nullptr) != gone; })) return exitMet;
  std::fprintf(stderr, "zem-probe: after %llu ms the window is %s\n", timeoutMs,
               gone ? "still there" : "not there");
  return exitNotMet;
}

int postCommand(std::vector<std::wstring> args) {
  WindowQuery query;
  if (!windowQuery(args, query) || args.size() != 6) return exitUsage;
  unsigned long long message = 0, wParam = 0, lParam = 0;
  if (!parseNumber(args[3], message) || !parseNumber(args[4], wParam) ||
      !parseNumber(args[5], lParam) || message > 0xFFFFFFFFull) {
    return exitUsage;
  }
  const HWND window = query.find();
  if (window == nullptr) {
    std::fprintf(stderr, "zem-probe: no such window\n");
    return exitNotMet;
  }
  if (PostMessageW(window, static_cast<UINT>(message), static_cast<WPARAM>(wParam),
                   static_cast<LPARAM>(lParam)) == 0) {
    std::fprintf(stderr, "zem-probe: PostMessage failed: %lu\n", GetLastError());
    return exitNotMet;
  }
  return exitMet;
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 0; argv != nullptr && i < count; ++i) args.emplace_back(argv[i]);
  if (argv != nullptr) LocalFree(argv);

  int result = exitUsage;
  if (args.size() >= 2 && args[1] == L"screen") {
    result = screenCommand(args);
  } else if (args.size() >= 2 && args[1] == L"window") {
    result = windowCommand(args);
  } else if (args.size() >= 2 && args[1] == L"post") {
    result = postCommand(args);
  }
  if (result == exitUsage) std::fprintf(stderr, "zem-probe: bad arguments (see probe.cpp)\n");
  return result;
}
