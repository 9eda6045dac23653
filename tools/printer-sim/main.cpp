// printer-sim: virtual printers on loopback addresses until interrupted.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "printer_sim.h"
#include "sim_config.h"

namespace {

using namespace printer_sim;

constexpr uint16_t kSnmpPort = 161;
constexpr uint16_t kLpdPort = 515;
constexpr uint16_t kRawPort = 9100;

bool CanBind(const std::string& address, int type, uint16_t port) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) return false;
  int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
  int on = 1;
  if (type == SOCK_STREAM) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
  if (fd >= 0) close(fd);
  return bound;
}

// The protocol's own port when it can be bound, else the one the
// environment names, which the program then uses as well.
bool ChoosePort(const std::optional<uint16_t>& given, uint16_t standard, const char* variable,
                const std::string& address, int type, uint16_t& port) {
  if (given) {
    port = *given;
    return true;
  }
  if (CanBind(address, type, standard)) {
    port = standard;
    return true;
  }
  const char* text = std::getenv(variable);
  int value = text ? std::atoi(text) : 0;
  if (value < 1 || value > 65535) {
    std::fprintf(stderr, "printer-sim: port %u cannot be bound; set %s\n", standard, variable);
    return false;
  }
  port = static_cast<uint16_t>(value);
  return true;
}

std::string DefaultProfilesPath() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return (program.parent_path() / "QPntStrPrfl.ini").string();
}

const char* StorageName(Storage storage) {
  switch (storage) {
    case Storage::kNone: return "none";
    case Storage::kDisk: return "disk";
    case Storage::kFlash: return "flash";
    case Storage::kBoth: return "both";
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "printer-sim: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::vector<ModelProfile> models =
      ReadModelProfiles(options.profilesFile.empty() ? DefaultProfilesPath() : options.profilesFile);
  std::vector<PrinterConfig> printers;
  if (!PlanPrinters(options, models, printers, error)) {
    std::fprintf(stderr, "printer-sim: %s\n", error.c_str());
    return 2;
  }
  uint16_t snmpPort = 0, lpdPort = 0, rawPort = 0;
  if (!ChoosePort(options.snmpPort, kSnmpPort, "GLY_SNMP_PORT", printers[0].address, SOCK_DGRAM, snmpPort) ||
      !ChoosePort(options.lpdPort, kLpdPort, "GLY_LPR_PORT", printers[0].address, SOCK_STREAM, lpdPort) ||
      !ChoosePort(options.rawPort, kRawPort, "GLY_RAW_PORT", printers[0].address, SOCK_STREAM, rawPort)) {
    return 1;
  }

  // The loop thread inherits the mask, so the signals reach sigwait alone.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  Simulator simulator;
  std::vector<std::string> addresses;
  for (PrinterConfig& config : printers) {
    config.snmpPort = snmpPort;
    config.lpdPort = lpdPort;
    if (config.rawPort == 0) config.rawPort = rawPort;  // a raw-port of its own stays
    if (!simulator.AddPrinter(config, &error)) {
      std::fprintf(stderr, "printer-sim: %s\n", error.c_str());
      return 1;
    }
    addresses.push_back(config.address);
  }
  simulator.SetLogSink([&addresses](size_t printer, const std::string& line) {
    std::fprintf(stderr, "%s: %s\n", addresses[printer].c_str(), line.c_str());
  });
  simulator.Start();
  for (size_t i = 0; i < simulator.PrinterCount(); ++i) {
    PrinterConfig config = simulator.Config(i);
    std::printf("%s snmp %u lpd %u raw %u sysName %s sysObjectID %s storage %s fonts %d+%d\n",
                config.address.c_str(), simulator.SnmpPort(i), simulator.LpdPort(i), simulator.RawPort(i),
                config.name.c_str(), config.systemId.c_str(),
                StorageName(config.storage), config.postScriptFonts, config.pclFonts);
  }
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stopSignals, &signal);
  simulator.Stop();
  return 0;
}
