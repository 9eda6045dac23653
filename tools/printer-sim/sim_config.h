// The printer-sim program's configuration: command-line options, the
// optional configuration file of printers, and the model table
// (QPntStrPrfl.ini) it takes sysObjectIDs from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "printer_sim.h"

namespace printer_sim {

struct ModelProfile {
  std::string name;
  std::string systemId;
};

// The model sections of a QPntStrPrfl.ini; empty when it cannot be read.
std::vector<ModelProfile> ReadModelProfiles(const std::string& path);

struct SimOptions {
  int count = 1;
  std::string first = "127.0.0.10";
  std::optional<uint16_t> snmpPort;  // unset: 161, else GLY_SNMP_PORT
  std::optional<uint16_t> lpdPort;   // unset: 515, else GLY_LPR_PORT
  std::optional<uint16_t> rawPort;   // unset: 9100, else GLY_RAW_PORT
  std::string configFile;
  std::string profilesFile;
  std::string model;  // a model of the profiles; unset: each printer the next model
  PrinterConfig defaults;
  bool help = false;
};

// Parses argv; false with `error` on a bad option.
bool ParseOptions(int argc, const char* const* argv, SimOptions& options, std::string& error);
extern const char kUsage[];

// The printers to start: from the configuration file when one is given,
// else `count` printers from `first` on. Addresses and ports are filled.
bool PlanPrinters(const SimOptions& options, const std::vector<ModelProfile>& models,
                  std::vector<PrinterConfig>& printers, std::string& error);

// The address after `address` ("127.0.0.10" gives "127.0.0.11").
std::optional<std::string> NextAddress(const std::string& address);

}  // namespace printer_sim
