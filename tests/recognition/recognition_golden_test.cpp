// Every recorded stroke (tests/data/all-strokes), as drawn and reversed, must
// be recognised exactly as recorded in tests/data/recognition-golden.tsv: the
// same id, name and picture, and the same score and bounds to the last bit. A
// faster recogniser may reorder its work, never its arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "recognition/recognizer.h"
#include "stroke_fixtures.h"

namespace {

using Gestures::RecognitionResult;
using Gestures::Recognizer;
using StrokeFixtures::RecordedStroke;

const std::string dataDir = ZEM_TEST_DATA_DIR;

// One line of zem-recognize's output: label, id, name, score, picture, bounds.
struct GoldenLine {
  std::int32_t id = 0;
  std::string name;
  double score = 0.0;
  std::int32_t bitmapId = 0;
  double bounds[4] = {};
};

std::map<std::string, GoldenLine> loadGolden() {
  std::map<std::string, GoldenLine> golden;
  std::ifstream in(dataDir + "/recognition-golden.tsv");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string label;
    std::string number[8];
    GoldenLine g;
    std::getline(fields, label, '\t');
    std::getline(fields, number[0], '\t');
    std::getline(fields, g.name, '\t');
    for (int i = 1; i < 8; ++i) std::getline(fields, number[i], '\t');
    g.id = std::stoi(number[0]);
    // 17 significant digits: strtod gives back the very double written.
    g.score = std::strtod(number[1].c_str(), nullptr);
    g.bitmapId = std::stoi(number[2]);
    for (int i = 0; i < 4; ++i) g.bounds[i] = std::strtod(number[3 + i].c_str(), nullptr);
    golden[label] = g;
  }
  return golden;
}

std::uint64_t bitsOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Compares one result with its golden line; the text of the first mismatch,
// or an empty text.
std::string mismatch(const RecognitionResult& r, const GoldenLine& g) {
  std::ostringstream out;
  out.precision(17);
  const double bounds[4] = {r.bounds.x, r.bounds.y, r.bounds.width, r.bounds.height};
  if (r.id != g.id || narrow(r.name) != g.name || r.bitmapId != g.bitmapId) {
    out << "gesture " << r.id << " " << narrow(r.name) << " " << r.bitmapId << ", recorded " << g.id
        << " " << g.name << " " << g.bitmapId;
  } else if (bitsOf(r.score) != bitsOf(g.score)) {
    out << "score " << r.score << ", recorded " << g.score;
  } else {
    for (int i = 0; i < 4; ++i) {
      if (bitsOf(bounds[i]) != bitsOf(g.bounds[i])) {
        out << "bound " << i << " " << bounds[i] << ", recorded " << g.bounds[i];
        break;
      }
    }
  }
  return out.str();
}

TEST(RecognitionGolden, EveryRecordedStrokeGivesTheRecordedResultToTheLastBit) {
  const std::map<std::string, GoldenLine> golden = loadGolden();
  ASSERT_EQ(golden.size(), 5100u) << "tests/data/recognition-golden.tsv is incomplete";

  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dataDir + "/all-strokes")) {
    if (entry.path().extension() == ".strokes") files.push_back(entry.path());
  }
  ASSERT_EQ(files.size(), 17u);

  Recognizer r;
  r.addBuiltInTemplates();
  std::size_t compared = 0;
  for (const std::filesystem::path& path : files) {
    const StrokeFixtures::StrokeFile file = StrokeFixtures::loadStrokeFile(path.string());
    ASSERT_TRUE(file.ok()) << file.error;
    for (const RecordedStroke& drawn : file.strokes) {
      const RecordedStroke reversed = StrokeFixtures::reversed(drawn);
      for (const auto& [label, stroke] :
           {std::pair{drawn.label, &drawn}, std::pair{drawn.label + "-reversed", &reversed}}) {
        const auto g = golden.find(label);
        ASSERT_NE(g, golden.end()) << label << " has no recorded result";
        EXPECT_EQ(mismatch(r.recognize(stroke->points), g->second), "") << label;
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, golden.size());
}

}  // namespace
