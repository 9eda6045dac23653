// A printer list kept between runs: a plain text file with one printer a
// line, its address first and then its settings as name=value, separated
// by tabs; lines starting with # are comments:
//
//   10.1.2.3<TAB>name=LAB2<TAB>model=Model 40<TAB>storage=3<TAB>snmp=2<TAB>port=raw<TAB>verify=no
//
// verify=no is written only for a printer whose downloads are not checked,
// lpr-pacing=none only for one whose LPR jobs go without the fixed waits.
// Readers skip settings they do not know, so a list with a job port still
// opens in versions that have none.
//
// Community strings are never written: whoever opens the list gives them
// again. Read by the main window's Open Printer List and by glyctl
// (--printers-file); both ask every printer afresh, so only the addresses
// decide, and the settings tell a reader what was listed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printers/printer_settings.h"
#include "snmp/contract/snmp_records.h"

// Files larger than this, or with more printers, are refused unread.
inline constexpr size_t kPrinterListFileLimit = 1 << 20;
inline constexpr size_t kPrinterListMaxPrinters = 4096;

struct SavedPrinter {
  uint32_t address = 0;
  std::string name;
  std::string model;
  uint32_t storageOptions = kStorageNone;
  int32_t snmpLevel = 0;
  std::optional<JobPort> port;  // when the list names one
  std::optional<bool> verify;   // likewise
  std::optional<LprPacing> lprPacing;  // likewise
};

// The job port, download check and LPR pacing a saved printer names, into
// `settings`.
void KeepSavedSettings(const SavedPrinter& printer, PrinterSettingsStore& settings);

// "a.b.c.d" with four decimal octets of 0 to 255; nullopt otherwise.
std::optional<uint32_t> ParseDottedAddress(std::string_view text);

// The file's text for `printers`, in their order, with each one's job port
// and download check from `settings` when given.
std::string PrinterListText(const std::vector<const PrinterRecord*>& printers,
                            const PrinterSettingsStore* settings = nullptr);

// The printers of a file's text. nullopt when a line is not a printer, with
// `error` naming the line ("line 3: not an IPv4 address: 10.1.2"), or the
// list is too long.
std::optional<std::vector<SavedPrinter>> ParsePrinterList(std::string_view text, std::string& error);

// Writes or reads the file at `path`; false or nullopt with `error` set.
// Only a regular file is read (a FIFO, a device or a socket is refused by
// name), and a line in error is quoted with its controls shown as '?'.
bool WritePrinterListFile(const std::string& path, const std::vector<const PrinterRecord*>& printers,
                          std::string& error, const PrinterSettingsStore* settings = nullptr);
std::optional<std::vector<SavedPrinter>> ReadPrinterListFile(const std::string& path, std::string& error);
