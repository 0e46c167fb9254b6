#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "capture/gesture_naming.h"
#include "controller/controller_layout.h"
#include "gesture_art.h"
#include "picture_reader.h"
#include "picture_set.h"
#include "recognition/builtin_templates.h"

namespace {

using Geometry::Point2D;
using Geometry::Rect2D;
using Pictures::Image;
using Pictures::Picture;
using Pictures::PictureKind;

const std::vector<Picture>& pictures() {
  static const std::vector<Picture> all = Pictures::allPictures();
  return all;
}

const Picture& picture(std::int32_t id) {
  static const Picture none{0, PictureKind::bitmap, "", {}};
  const auto found = std::find_if(pictures().begin(), pictures().end(),
                                  [id](const Picture& p) { return p.id == id; });
  return found != pictures().end() ? *found : none;
}

TEST(Pictures, EveryPictureTheProgramNamesExistsAtItsSize) {
  std::set<std::int32_t> named;  // what recognition and naming refer to
  for (const auto& g : Gestures::builtInGestures()) {
    if (g.bitmapId != 0) named.insert(g.bitmapId);
  }
  for (const auto& v : GestureNaming::twoFingerVariants) named.insert(v.bitmapId);

  std::map<std::int32_t, std::pair<int, int>> expected = {
      {167, {480, 800}}, {168, {480, 320}}, {175, {800, 480}}};
  for (std::int32_t id : {157, 158, 159, 160, 169, 170, 171, 172, 173, 174, 176, 177, 178, 179}) {
    expected[id] = {240, 240};
    EXPECT_EQ(named.count(id), 1u) << id;
  }
  EXPECT_EQ(named.size(), 14u);
  ASSERT_EQ(pictures().size(), expected.size());
  for (const Picture& p : pictures()) {
    EXPECT_EQ(p.kind, named.count(p.id) != 0 ? PictureKind::bitmap : PictureKind::compressed);
    EXPECT_EQ(std::pair(p.image.width(), p.image.height()), expected[p.id]) << p.id;
  }
}

TEST(Pictures, ResourceScriptNamesFilesThatHoldThePictures) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("zem_pictures_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  std::string error;
  ASSERT_TRUE(Pictures::writeResources(dir.string(), error)) << error;
  std::ifstream script(dir / "pictures.rc");
  std::size_t entries = 0;
  for (std::string line; std::getline(script, line);) {
    if (line.rfind("//", 0) == 0) continue;
    std::istringstream fields(line);
    std::int32_t id = 0;
    std::string type, quoted;
    fields >> id >> type >> quoted;
    const Picture& p = picture(id);
    ASSERT_NE(p.id, 0) << line;
    const bool bitmap = p.kind == PictureKind::bitmap;
    EXPECT_EQ(type, bitmap ? "BITMAP" : "GIF") << line;
    const auto bytes =
        PictureReader::readFile((dir / quoted.substr(1, quoted.size() - 2)).string());
    const auto back = bitmap ? PictureReader::readBmp(bytes) : PictureReader::readPng(bytes);
    ASSERT_EQ(back.problem, "") << line;
    EXPECT_EQ(back.image.bytes(), p.image.bytes()) << line;
    ++entries;
  }
  EXPECT_EQ(entries, pictures().size());
  EXPECT_EQ(PictureReader::readFile((dir / "zem.ico").string()).size(), 6u + 16 + 40 + 4096 + 128);

  // A directory that is not there: a failure naming the file.
  EXPECT_FALSE(Pictures::writeResources((dir / "missing").string(), error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

// The pad pictures against the layouts the controller presses.
Rect2D portrait(const Rect2D& r) { return {r.x, r.y - 480, r.width, r.height}; }
Rect2D landscape(const Rect2D& r) { return {r.y, 480 - r.x - r.width, r.height, r.width}; }
Rect2D sideways(const Rect2D& r) { return r; }
Point2D upright(Point2D onScreen) { return onScreen; }
Point2D onPanel(Point2D onScreen) { return {-onScreen.y, onScreen.x}; }

bool isWhite(const Image& image, double x, double y) {
  return image.pixel(static_cast<int>(x), static_cast<int>(y)) == Pictures::white;
}

TEST(Pictures, PadPicturesShowTheControllerLayouts) {
  struct View {
    std::int32_t id;
    const std::array<ControllerLayout::AreaSpec, 14>& areas;
    Rect2D (*place)(const Rect2D&);  // panel rectangle to picture rectangle
    Point2D (*turn)(Point2D);        // a direction on screen to one in the picture
  };
  const View views[] = {{168, ControllerLayout::portraitAreas, portrait, upright},
                        {175, ControllerLayout::sidewaysAreas, landscape, upright},
                        {167, ControllerLayout::sidewaysAreas, sideways, onPanel}};
  const Point2D arrow[4] = {{0, 1}, {0, -1}, {-1, 0}, {1, 0}};  // down, up, left, right
  for (const View& view : views) {
    SCOPED_TRACE(view.id);
    const Image& image = picture(view.id).image;
    std::vector<Rect2D> rects;
    for (const auto& area : view.areas) {
      const Rect2D r = view.place(area.first);
      rects.push_back(r);
      if (area.twoRectangles) rects.push_back(view.place(area.second));
      // An arrow key points its way: white towards the tip, black behind.
      if (area.key >= 0 && area.key <= 3) {
        const Point2D d = view.turn(arrow[area.key]);
        const double reach = 0.24 * std::min(r.width, r.height);
        const double cx = r.x + r.width / 2, cy = r.y + r.height / 2;
        EXPECT_TRUE(isWhite(image, cx + d.x * reach, cy + d.y * reach)) << area.key;
        EXPECT_FALSE(isWhite(image, cx - d.x * reach, cy - d.y * reach)) << area.key;
      }
    }
    // Every outline is white where its area lies ...
    for (const Rect2D& r : rects) {
      const double midX = r.x + r.width / 2, midY = r.y + r.height / 2;
      EXPECT_TRUE(isWhite(image, r.x + 1, midY) && isWhite(image, r.x + r.width - 1, midY) &&
                  isWhite(image, midX, r.y + 1) && isWhite(image, midX, r.y + r.height - 1))
          << r.x << "," << r.y;
    }
    // ... and nothing is drawn outside the areas: transparent on the overlay.
    int strays = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const bool inside = std::any_of(rects.begin(), rects.end(), [&](const Rect2D& r) {
          return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
        });
        strays += !inside && image.pixel(x, y) != Pictures::black;
      }
    }
    EXPECT_EQ(strays, 0);
  }
  // The centre of the band the sideways layouts leave to the system.
  EXPECT_EQ(picture(167).image.pixel(240, 400), Pictures::black);
  EXPECT_EQ(picture(175).image.pixel(400, 240), Pictures::black);
}

TEST(Pictures, GesturePicturesAreDistinctStrokesOnTheTile) {
  std::set<std::vector<std::uint8_t>> seen;
  for (const Picture& p : pictures()) {
    if (p.kind != PictureKind::bitmap) continue;
    const Image& image = p.image;
    EXPECT_EQ(image.pixel(0, 0), Pictures::black) << p.id;  // rounded corners are keyed away
    EXPECT_EQ(image.pixel(239, 239), Pictures::black) << p.id;
    EXPECT_EQ(image.pixel(120, 8), Pictures::tileColour) << p.id;
    const auto white = std::count(image.bytes().begin(), image.bytes().end(), 255);
    EXPECT_GT(white, 3 * 1500) << p.id;  // a stroke and its arrow head
    EXPECT_TRUE(seen.insert(image.bytes()).second) << p.id;
  }
}

// The documentation shows what the build makes.
TEST(Pictures, DocumentationCopiesAreCurrent) {
  const std::string docs = std::string(ZEM_TEST_DATA_DIR) + "/../../docs/pictures/";
  for (const Picture& p : pictures()) {
    const std::string name = Pictures::documentationFileName(p);
    EXPECT_TRUE(PictureReader::readFile(docs + name) == Pictures::encodePng(p.image))
        << name << " is stale: run zem-pictures --docs docs/pictures";
  }
}

}  // namespace
