// Both steps of the TrueType to Type 1 conversion as one process, the way
// the benchmark runs fontforge: `truetype_to_type1_process in.ttf out.pfa`.
#include <cstdio>
#include <string>

#include "converter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s in.ttf out.pfa\n", argv[0]);
    return 2;
  }
  const std::string program = std::string(argv[2]) + ".program";
  const bool converted = ConvertTrueTypeToType1(argv[1], program.c_str()) == 0 &&
                         FinishType1Conversion(program.c_str(), argv[2], 0) == 0;
  std::remove(program.c_str());
  return converted ? 0 : 1;
}
