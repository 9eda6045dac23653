// Our conversions against their peers, file to file, in the same run:
// PFB to PFA against t1ascii, TrueType to Type 1 (both steps) against
// fontforge generating a PFA. The peers run as processes, as a user would
// run them; the large PFB case shows the pure conversion speed, where
// starting a process no longer counts.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "converter.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPfb = "/usr/share/fonts/X11/Type1/NimbusRoman-Regular.pfb";
const fs::path kTrueType = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

const fs::path& ScratchDir() {
  static const fs::path dir = [] {
    std::string pattern = (fs::temp_directory_path() / "gly-converter-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return fs::path(pattern);
  }();
  return dir;
}

bool Run(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const bool started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return started && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

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

void TrueTypeToType1_Ours(benchmark::State& state) {
  const fs::path program = ScratchDir() / "program.tmp";
  const fs::path output = ScratchDir() / "ours-dejavu.pfa";
  for (auto _ : state) {
    if (ConvertTrueTypeToType1(kTrueType.c_str(), program.c_str()) != 0 ||
        FinishType1Conversion(program.c_str(), output.c_str(), 0) != 0)
      state.SkipWithError("conversion failed");
  }
}

void TrueTypeToType1_FontForge(benchmark::State& state) {
  const fs::path output = ScratchDir() / "fontforge-dejavu.pfa";
  for (auto _ : state) {
    if (!Run({"fontforge", "-lang=ff", "-c", "Open($1); Generate($2)", kTrueType.string(), output.string()}))
      state.SkipWithError("fontforge failed");
  }
}

// Arg 0: a real font (NimbusRoman-Regular, 100 KB); arg 1: the 8 MiB one.
BENCHMARK(PfbToPfa_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PfbToPfa_T1ascii)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(TrueTypeToType1_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(TrueTypeToType1_FontForge)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(ScratchDir());
  return 0;
}
