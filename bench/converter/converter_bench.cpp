// Our conversions against their peers, file to file, in the same run:
// PFB to PFA against t1ascii, TrueType to Type 1 (both steps) against
// fontforge generating a PFA. The peers run as processes, as a user would
// run them; the large PFB case shows the pure conversion speed, where
// starting a process no longer counts. TrueType to Type 1 is also timed as
// our own process against fontforge's, one right after the other, so that
// both see the same load; the median of the pairs' ratios is reported, and
// the sizes of both fonts, which a printer has to store.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "converter.h"
#include "quiet_process.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPfb = "/usr/share/fonts/X11/Type1/NimbusRoman-Regular.pfb";
// Arg 0 to 3 of the TrueType benchmarks.
const fs::path kTrueTypes[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                               "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                               "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
                               "/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf"};

const fs::path& ScratchDir() {
  static const fs::path dir = [] {
    std::string pattern = (fs::temp_directory_path() / "gly-converter-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return fs::path(pattern);
  }();
  return dir;
}

// Our conversion process, built beside this program.
fs::path OurProcess() { return fs::read_symlink("/proc/self/exe").parent_path() / "truetype_to_type1_process"; }

bool Run(std::vector<std::string> arguments) { return RunQuietly(std::move(arguments)).status == 0; }

// The real font's text segment around 8 MiB of binary data: the cost of a
// conversion then lies in the bytes, not in opening files or processes.
const fs::path& LargePfb() {
  static const fs::path path = [] {
    std::ifstream in(kPfb, std::ios::binary);
    std::string font((std::istreambuf_iterator<char>(in)), {});
    const std::size_t textLength = static_cast<unsigned char>(font[2]) | static_cast<unsigned char>(font[3]) << 8 |
                                   static_cast<unsigned char>(font[4]) << 16;
    std::string binary(8u << 20, '\0');
    std::mt19937 random(7);
    for (char& byte : binary) byte = static_cast<char>(random());
    std::string pfb = font.substr(0, 6 + textLength);
    pfb += "\x80\x02";
    for (int shift = 0; shift < 32; shift += 8) pfb += static_cast<char>(binary.size() >> shift);
    pfb += binary + std::string("\x80\x03", 2);
    const fs::path large = ScratchDir() / "large.pfb";
    std::ofstream(large, std::ios::binary).write(pfb.data(), static_cast<std::streamsize>(pfb.size()));
    return large;
  }();
  return path;
}

const fs::path& PfbInput(const benchmark::State& state) { return state.range(0) == 0 ? kPfb : LargePfb(); }

void PfbToPfa_Ours(benchmark::State& state) {
  const fs::path& input = PfbInput(state);
  const fs::path output = ScratchDir() / "ours.pfa";
  for (auto _ : state) {
    if (ConvertPfbToPfa(input.c_str(), output.c_str()) != 0) state.SkipWithError("conversion failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(input)));
}

void PfbToPfa_T1ascii(benchmark::State& state) {
  const fs::path& input = PfbInput(state);
  const fs::path output = ScratchDir() / "t1ascii.pfa";
  for (auto _ : state) {
    if (!Run({"t1ascii", input.string(), output.string()})) state.SkipWithError("t1ascii failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(input)));
}

const fs::path& TrueTypeInput(const benchmark::State& state) { return kTrueTypes[state.range(0)]; }

void TrueTypeToType1_Ours(benchmark::State& state) {
  const fs::path& input = TrueTypeInput(state);
  state.SetLabel(input.stem().string());
  const fs::path program = ScratchDir() / "program.tmp";
  const fs::path output = ScratchDir() / "ours.pfa";
  for (auto _ : state) {
    if (ConvertTrueTypeToType1(input.c_str(), program.c_str()) != 0 ||
        FinishType1Conversion(program.c_str(), output.c_str(), 0) != 0)
      state.SkipWithError("conversion failed");
  }
}

// Seconds a process takes from start to exit; negative when it fails.
double TimeProcess(std::vector<std::string> arguments) {
  const auto start = std::chrono::steady_clock::now();
  const bool ran = Run(std::move(arguments));
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
  return ran ? taken.count() : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Each iteration runs our process and fontforge's on the font, the one
// that goes first taking turns; the iteration's time is ours. Counters:
// the medians of both times and of fontforge's time over ours per pair, and
// the sizes of both PFAs with ours over fontforge's.
void TrueTypeToType1_ProcessPairs(benchmark::State& state) {
  const fs::path& input = TrueTypeInput(state);
  state.SetLabel(input.stem().string());
  const fs::path ours = ScratchDir() / "process.pfa", theirs = ScratchDir() / "fontforge.pfa";
  const std::vector<std::string> ourCommand = {OurProcess().string(), input.string(), ours.string()};
  const std::vector<std::string> theirCommand = {"fontforge", "-lang=ff", "-c", "Open($1); Generate($2)",
                                                 input.string(), theirs.string()};
  std::vector<double> ourTimes, theirTimes, ratios;
  for (auto _ : state) {
    // Both write a new file each time, as for a conversion before a download.
    fs::remove(ours);
    fs::remove(theirs);
    const bool oursFirst = ourTimes.size() % 2 == 0;
    const double first = TimeProcess(oursFirst ? ourCommand : theirCommand);
    const double second = TimeProcess(oursFirst ? theirCommand : ourCommand);
    const double ourTime = oursFirst ? first : second, theirTime = oursFirst ? second : first;
    if (ourTime < 0 || theirTime < 0) {
      state.SkipWithError("a conversion process failed");
      break;
    }
    state.SetIterationTime(ourTime);
    ourTimes.push_back(ourTime);
    theirTimes.push_back(theirTime);
    ratios.push_back(theirTime / ourTime);
  }
  if (ratios.empty()) return;
  state.counters["ours_ms"] = Median(ourTimes) * 1e3;
  state.counters["fontforge_ms"] = Median(theirTimes) * 1e3;
  state.counters["fontforge_over_ours"] = Median(ratios);
  const auto ourBytes = static_cast<double>(fs::file_size(ours)), theirBytes = static_cast<double>(fs::file_size(theirs));
  state.counters["ours_KB"] = ourBytes / 1e3;
  state.counters["fontforge_KB"] = theirBytes / 1e3;
  state.counters["size_ours_over_fontforge"] = ourBytes / theirBytes;
}

// Arg 0: a real font (NimbusRoman-Regular, 100 KB); arg 1: the 8 MiB one.
BENCHMARK(PfbToPfa_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PfbToPfa_T1ascii)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
// Arg 0: DejaVuSans, 1: LiberationSans-Regular, 2: NotoSans-Regular,
// 3: LiberationSerif-Italic (accented letters placed off the grid).
BENCHMARK(TrueTypeToType1_Ours)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(TrueTypeToType1_ProcessPairs)->DenseRange(0, 3)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(ScratchDir());
  return 0;
}
