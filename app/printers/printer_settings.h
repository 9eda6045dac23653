// What the program keeps of a printer besides its record: the port its jobs
// go to, how LPR jobs are paced, and whether a download asks the printer
// afterwards what it holds.
// The printer record's layout is shared with the SNMP access library and
// stays as it is, so these live beside it, keyed by the printer's address.
//
// The run has one store (RunPrinterSettings), shared by the main window,
// the Resource Manager and glyctl; any thread may read or change it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "printers/address_keyed.h"

// Where a printer takes jobs: its line printer daemon (RFC 1179, port 515,
// paced by fixed waits), its raw AppSocket port (9100, paced by TCP alone),
// or IPP (631, Print-Job).
enum class JobPort : uint8_t { Lpr, Raw, Ipp };

// "lpr", "raw", "ipp": the names glyctl and the printer list file use.
const char* JobPortName(JobPort port);
std::optional<JobPort> ParseJobPort(std::string_view name);

// How jobs to a printer's line printer daemon are paced: Classic keeps the
// fixed waits that older printers rely on (250 ms after the job command and
// each subcommand, 10 ms after each 1024-byte block, 200 ms before closing);
// None sends as fast as TCP allows, for printers that need no pauses.
enum class LprPacing : uint8_t { Classic, None };

// "classic", "none": the names glyctl and the printer list file use.
const char* LprPacingName(LprPacing pacing);
std::optional<LprPacing> ParseLprPacing(std::string_view name);

struct PrinterSettings {
  JobPort port = JobPort::Lpr;
  // After a download, ask the printer whether each resource is there.
  bool verifyDownloads = true;
  LprPacing lprPacing = LprPacing::Classic;
  bool operator==(const PrinterSettings&) const = default;
};

class PrinterSettingsStore {
 public:
  // The defaults for an address never set; its job port is the one its
  // channels show enabled (DefaultJobPort), else LPR.
  PrinterSettings Get(uint32_t address) const;
  void Set(uint32_t address, const PrinterSettings& settings) { settings_.Set(address, settings); }
  void Clear() { settings_.Clear(); }

 private:
  AddressKeyed<PrinterSettings> settings_;
};

PrinterSettingsStore& RunPrinterSettings();
