// zem-pictures: draws the main program's pictures from the gesture templates
// and the game-pad layouts.
//
//   zem-pictures --resources DIR   picture files, zem.ico and pictures.rc
//   zem-pictures --docs DIR        PNG copies for the documentation
//
// The directory must exist. Exit status 0 on success, 1 when a file cannot be
// written, 2 on a usage error.
#include <iostream>
#include <string>

#include "picture_set.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: zem-pictures --resources DIR | --docs DIR\n";
    return 2;
  }
  const std::string mode = argv[1];
  const std::string directory = argv[2];
  std::string error;
  bool written = false;
  if (mode == "--resources") {
    written = Pictures::writeResources(directory, error);
  } else if (mode == "--docs") {
    written = Pictures::writeDocumentation(directory, error);
  } else {
    std::cerr << "zem-pictures: unknown option " << mode << "\n";
    return 2;
  }
  if (!written) {
    std::cerr << "zem-pictures: " << error << "\n";
    return 1;
  }
  return 0;
}
