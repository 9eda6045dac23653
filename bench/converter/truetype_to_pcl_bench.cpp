// TrueType to a PCL TrueType soft font, file to file. No tool on this system
// writes PCL soft fonts, so there is no peer to run against: it runs in the
// same binary as TrueTypeToType1_Ours, the Type 1 conversion of the same
// font, which is the yardstick.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "converter.h"

namespace fs = std::filesystem;

namespace {

void TrueTypeToPcl_Ours(benchmark::State& state) {
  const fs::path input = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  std::string dir = (fs::temp_directory_path() / "gly-pcl-bench-XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const fs::path output = fs::path(dir) / "dejavu.sfp";
  for (auto _ : state) {
    if (ConvertTrueTypeToPclTrueType(input.c_str(), output.c_str()) != 0) state.SkipWithError("conversion failed");
  }
  fs::remove_all(dir);
}

BENCHMARK(TrueTypeToPcl_Ours)->Unit(benchmark::kMillisecond);

}  // namespace
