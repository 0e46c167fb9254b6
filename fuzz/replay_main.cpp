// Replays fuzz inputs through a fuzz target without libFuzzer, so that the
// ordinary test build checks every seed and every kept input (CTest runs one
// program per target over its corpus folders).
//
//   <target>_replay FILE|FOLDER...
//
// Every file named, and every file in the folders named (not their
// sub-folders), goes through the target once, in name order. An invariant
// that breaks aborts the program; it prints the file before each run so the
// failing input is named. Exit status 0 when all ran, 1 when a path cannot
// be read or no input was found.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool collect(const fs::path& path, std::vector<fs::path>& files) {
  std::error_code error;
  if (fs::is_regular_file(path, error)) {
    files.push_back(path);
    return true;
  }
  if (!fs::is_directory(path, error)) return false;
  std::vector<fs::path> inFolder;
  for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
    if (entry.is_regular_file(error)) inFolder.push_back(entry.path());
  }
  if (error) return false;
  std::sort(inFolder.begin(), inFolder.end());
  files.insert(files.end(), inFolder.begin(), inFolder.end());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    if (!collect(argv[i], files)) {
      std::fprintf(stderr, "replay: cannot read %s\n", argv[i]);
      return 1;
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "replay: no inputs\n");
    return 1;
  }
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (in.bad()) {
      std::fprintf(stderr, "replay: cannot read %s\n", file.string().c_str());
      return 1;
    }
    std::printf("%s\n", file.string().c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return 0;
}
