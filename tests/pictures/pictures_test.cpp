#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "capture/gesture_naming.h"
#include "controller/controller_layout.h"
#include "image_files.h"
#include "picture_reader.h"
#include "picture_set.h"
#include "recognition/builtin_templates.h"

namespace {

using Geometry::Point2D;
using Geometry::Rect2D;
using Pictures::Picture;
using Pictures::PictureKind;

const std::map<std::int32_t, Picture>& pictures() {
  static const std::map<std::int32_t, Picture> byId = [] {
    std::map<std::int32_t, Picture> all;
    for (Picture& p : Pictures::allPictures()) all.emplace(p.id, std::move(p));
    return all;
  }();
  return byId;
}

// Every picture the program names (gesture pictures 240 x 240, the pad's at
// their sizes), each in the resource file of its kind.
TEST(Pictures, ResourceScriptNamesFilesThatHoldEveryPictureAtItsSize) {
  std::set<std::int32_t> named;  // what recognition and naming refer to
  for (const auto& g : Gestures::builtInGestures()) {
    if (g.bitmapId != 0) named.insert(g.bitmapId);
  }
  for (const auto& v : GestureNaming::twoFingerVariants) named.insert(v.bitmapId);
  std::map<std::int32_t, std::pair<int, int>> sizes = {
      {167, {480, 800}}, {168, {480, 320}}, {175, {800, 480}}};
  for (const std::int32_t id : named) sizes[id] = {240, 240};
  ASSERT_EQ(pictures().size(), sizes.size());
  const auto dir = std::filesystem::temp_directory_path() /
                   ("zem_pictures_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  std::string error;
  ASSERT_TRUE(Pictures::writeResources(dir.string(), error)) << error;
  std::ifstream script(dir / "pictures.rc");
  std::set<std::int32_t> listed;
  for (std::string line; std::getline(script, line);) {
    if (line.rfind("//", 0) == 0) continue;
    std::istringstream fields(line);
    std::int32_t id = 0;
    std::string type, quoted;
    fields >> id >> type >> quoted;
    ASSERT_EQ(pictures().count(id), 1u) << line;
    const bool bitmap = named.count(id) != 0;
    EXPECT_EQ(pictures().at(id).kind, bitmap ? PictureKind::bitmap : PictureKind::compressed);
    EXPECT_EQ(type, bitmap ? "BITMAP" : "GIF") << line;
    const auto bytes =
        PictureReader::readFile((dir / quoted.substr(1, quoted.size() - 2)).string());
    const auto back = bitmap ? PictureReader::readBmp(bytes) : PictureReader::readPng(bytes);
    ASSERT_EQ(back.problem, "") << line;
    EXPECT_EQ(std::pair(back.image.width(), back.image.height()), sizes[id]) << line;
    EXPECT_EQ(back.image.bytes(), pictures().at(id).image.bytes()) << line;
    listed.insert(id);
  }
  EXPECT_EQ(listed.size(), pictures().size());
  EXPECT_EQ(PictureReader::readFile((dir / "zem.ico").string()).size(), 6u + 16 + 40 + 4096 + 128);
  // A directory that is not there: a failure naming the file.
  EXPECT_FALSE(Pictures::writeResources((dir / "missing").string(), error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  script.close();  // Windows removes no open file
  std::filesystem::remove_all(dir);
}

// The pad pictures against the layouts the controller presses, so that
// neither drifts from the other.
TEST(Pictures, PadPicturesShowTheControllerLayouts) {
  struct View {
    std::int32_t id;
    const std::array<ControllerLayout::AreaSpec, 14>& areas;
    double shiftY;     // panel to picture, in pixels
    bool turned;       // the picture is the panel turned a quarter
    bool panelArrows;  // arrows point along the panel, not the screen
  };
  const View views[] = {{168, ControllerLayout::portraitAreas, -480, false, false},
                        {175, ControllerLayout::sidewaysAreas, 0, true, false},
                        {167, ControllerLayout::sidewaysAreas, 0, false, true}};
  const Point2D arrows[4] = {{0, 1}, {0, -1}, {-1, 0}, {1, 0}};  // down, up, left, right
  for (const View& view : views) {
    SCOPED_TRACE(view.id);
    const Pictures::Image& image = pictures().at(view.id).image;
    const auto white = [&image](double x, double y) {
      return image.pixel(static_cast<int>(x), static_cast<int>(y)) == Pictures::white;
    };
    const auto place = [&view](const Rect2D& r) {
      return view.turned ? Rect2D{r.y, 480 - r.x - r.width, r.height, r.width}
                         : Rect2D{r.x, r.y + view.shiftY, r.width, r.height};
    };
    std::vector<Rect2D> rects;
    for (const auto& area : view.areas) {
      const Rect2D r = place(area.first);
      rects.push_back(r);
      if (area.twoRectangles) rects.push_back(place(area.second));
      if (area.key < 0 || area.key > 3) continue;
      // An arrow key points its way: white towards the tip, black behind.
      const Point2D a = arrows[area.key];
      const Point2D d = view.panelArrows ? Point2D{-a.y, a.x} : a;
      const double reach = 0.24 * std::min(r.width, r.height);
      const double cx = r.x + r.width / 2, cy = r.y + r.height / 2;
      EXPECT_TRUE(white(cx + d.x * reach, cy + d.y * reach)) << area.key;
      EXPECT_FALSE(white(cx - d.x * reach, cy - d.y * reach)) << area.key;
    }
    // Every outline is white where its area lies, and nothing is drawn
    // outside the areas: transparent on the overlay.
    for (const Rect2D& r : rects) {
      const double midX = r.x + r.width / 2, midY = r.y + r.height / 2;
      EXPECT_TRUE(white(r.x + 1, midY) && white(r.x + r.width - 1, midY) && white(midX, r.y + 1) &&
                  white(midX, r.y + r.height - 1))
          << r.x << "," << r.y;
    }
    int strays = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        strays += image.pixel(x, y) != Pictures::black &&
                  std::none_of(rects.begin(), rects.end(), [&](const Rect2D& r) {
                    return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
                  });
      }
    }
    EXPECT_EQ(strays, 0);
  }
}

// The documentation shows what the build makes.
TEST(Pictures, DocumentationCopiesAreCurrent) {
  const std::string docs = std::string(ZEM_TEST_DATA_DIR) + "/../../docs/pictures/";
  for (const auto& [id, p] : pictures()) {
    const std::string name = Pictures::documentationFileName(p);
    // Pixels, not bytes: another zlib version may compress differently.
    const PictureReader::Decoded copy =
        PictureReader::readPng(PictureReader::readFile(docs + name));
    EXPECT_EQ(copy.problem, "") << name;
    EXPECT_EQ(std::pair(copy.image.width(), copy.image.height()),
              std::pair(p.image.width(), p.image.height()))
        << name;
    EXPECT_TRUE(copy.image.bytes() == p.image.bytes())
        << name << " is stale: run zem-pictures --docs docs/pictures";
  }
}

// The BMP forms the resources do not use (rows padded to 4 bytes; 24 bits for
// more than 256 colours) read back pixel for pixel.
TEST(ImageFiles, PaddedAndRichBitmapsReadBack) {
  Pictures::Image image(3, 2), rich(300, 1);
  image.setPixel(2, 1, {200, 100, 50});
  for (int x = 0; x < 300; ++x) {
    rich.setPixel(x, 0,
                  {static_cast<std::uint8_t>(x % 256), static_cast<std::uint8_t>(x / 256), 7});
  }
  for (const Pictures::Image* original : {&image, &rich}) {
    const auto back = PictureReader::readBmp(Pictures::encodeBmp(*original));
    ASSERT_EQ(back.problem, "");
    EXPECT_EQ(back.image.width(), original->width());
    EXPECT_EQ(back.image.bytes(), original->bytes());
  }
  EXPECT_TRUE(Pictures::encodePng(Pictures::Image(0, 5)).empty());
  EXPECT_TRUE(Pictures::encodeBmp(Pictures::Image()).empty());
}

}  // namespace
