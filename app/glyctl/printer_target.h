// A printer as an administrator names it on the command line: a dotted
// IPv4 address or a host name, either with ":PORT" for the SNMP port, as
// net-snmp's tools take their agents.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct PrinterTarget {
  uint32_t address = 0;  // first octet most significant
  std::optional<uint16_t> snmpPort;
};

// `text` with its host name resolved (once, to its first IPv4 address);
// nullopt with the reason in `error`.
std::optional<PrinterTarget> ResolvePrinterTarget(const std::string& text, std::string& error);

// Whether `word` may name a printer: host or address, ":PORT" optional, and
// no file of that name here (a list of printers ends at the first file).
bool LooksLikePrinterTarget(const std::string& word);
