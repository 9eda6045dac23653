// What the program knows of what each printer speaks (its languages) and
// where it takes jobs (its channels, each enabled or not), from the
// printer's SNMP answers or, where those say nothing, from what it
// announces over DNS-SD. Like the printer settings, they live beside the
// 524-byte record, keyed by the printer's address, in one store for the
// run (RunPrinterAbilities) that any thread may read or change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "printers/address_keyed.h"
#include "printers/printer_settings.h"
#include "snmp/contract/glysnmp.h"

struct PrinterAbilities {
  uint32_t languages = 0;             // SnmpLanguage bits; 0: not known
  std::vector<SnmpChannel> channels;  // in the printer's order; empty: not known
  bool operator==(const PrinterAbilities& other) const;
};

// What is known of `primary`, with `fallback`'s languages and channels where
// `primary` knows none.
PrinterAbilities Completed(PrinterAbilities primary, const PrinterAbilities& fallback);

// The cell of a resource that is not sent because the printer does not
// speak its language (strings 32970 and 32971).
inline constexpr const char* kNoPostScriptText = "The printer does not speak PostScript";
inline constexpr const char* kNoPclText = "The printer does not speak PCL";

enum class ResourceLanguage { kPostScript, kPcl, kUnknown };

// Why the printer cannot take a resource in `language`, or nullptr when it
// may. Only a printer that names a page language (PCL, PCL XL, PostScript,
// PDF) is held to what it names; unknown languages never block.
const char* LanguageRefusal(const PrinterAbilities& abilities, ResourceLanguage language);

// The job port the enabled channels offer: LPR, else raw, else IPP; none
// when the printer told no channel of these.
std::optional<JobPort> DefaultJobPort(const PrinterAbilities& abilities);

// "PJL, PCL, PostScript"; empty when not known.
std::string LanguagesText(uint32_t languages);
// "LPD, raw, IPP (off)"; empty when not known.
std::string ChannelsText(const std::vector<SnmpChannel>& channels);

class PrinterAbilitiesStore {
 public:
  // Nothing known for an address never set.
  PrinterAbilities Get(uint32_t address) const { return abilities_.Find(address).value_or(PrinterAbilities{}); }
  void Set(uint32_t address, const PrinterAbilities& abilities) { abilities_.Set(address, abilities); }
  void Clear() { abilities_.Clear(); }

 private:
  AddressKeyed<PrinterAbilities> abilities_;
};

PrinterAbilitiesStore& RunPrinterAbilities();
