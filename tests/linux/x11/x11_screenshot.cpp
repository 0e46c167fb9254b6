// Saves the X screen as a PNG file, for the demo and for looking at what a
// test saw.
//
//   zem-x11-screenshot [--when-changed X,Y] [--timeout MS] OUTPUT.png
//
// --when-changed waits until the pixel at (X, Y) differs from what it was at
// the start (a picture appeared there), at most --timeout ms (default
// 10000); exit status 1 when it never did.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "image.h"
#include "image_files.h"
#include "x_session.h"

int main(int argc, char** argv) {
  int x = -1;
  int y = -1;
  long timeoutMs = 10000;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--when-changed" && i + 1 < argc) {
      std::istringstream point(argv[++i]);
      char comma = 0;
      if (!(point >> x >> comma >> y)) x = y = -1;
    } else if (arg == "--timeout" && i + 1 < argc) {
      timeoutMs = std::max(0L, std::strtol(argv[++i], nullptr, 10));
    } else {
      output = arg;
    }
  }
  if (output.empty()) {
    std::cerr << "usage: zem-x11-screenshot [--when-changed X,Y] [--timeout MS] OUTPUT.png\n";
    return 2;
  }
  XTest::Screenshot shot = XTest::takeScreenshot("");
  if (shot.width == 0) {
    std::cerr << "zem-x11-screenshot: no X display\n";
    return 1;
  }
  bool changed = true;
  if (x >= 0 && y >= 0 && x < shot.width && y < shot.height) {
    const std::uint32_t before = shot.at(x, y);
    changed = XTest::waitFor(
        [&] {
          shot = XTest::takeScreenshot("");
          return shot.width > 0 && shot.at(x, y) != before;
        },
        std::chrono::milliseconds(timeoutMs));
    // A moment more: the window manager and the picture settle.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    shot = XTest::takeScreenshot("");
  }
  Pictures::Image image(shot.width, shot.height);
  for (int row = 0; row < shot.height; ++row) {
    for (int column = 0; column < shot.width; ++column) {
      const std::uint32_t pixel = shot.at(column, row);
      image.setPixel(
          column, row,
          Pictures::Rgb{static_cast<std::uint8_t>(pixel >> 16),
                        static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)});
    }
  }
  std::string error;
  if (!Pictures::writeFile(output, Pictures::encodePng(image), error)) {
    std::cerr << "zem-x11-screenshot: " << error << '\n';
    return 1;
  }
  return changed ? 0 : 1;
}
