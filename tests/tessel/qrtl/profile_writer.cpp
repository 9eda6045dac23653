// Child process of the profile store's multi-process test: waits until its
// standard input closes, so that both children start together, then writes
// `count` entries named "<prefix><i>" to section "Shared" of scope 3.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tessel/qrtl.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string prefix = argv[1];
  const int count = std::atoi(argv[2]);
  while (std::getchar() != EOF) {
  }
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    if (QRTLWriteProfileEntry("Shared", name.c_str(), name.c_str(), 3) != QRTL_SUCCESS) return 1;
  }
  return 0;
}
