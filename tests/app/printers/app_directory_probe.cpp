// Prints what the program would take as its directory and as its resource
// library's place, one per line: run from a copy placed where a test wants.
#include <cstdio>

#include "printers/app_directory.h"

int main() {
  if (!InitAppDirectory()) return 1;
  std::printf("%s\n%s\n", AppDirectory(), DefaultResourceLibraryPath().c_str());
  return 0;
}
