#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "snmp/announced_txt.h"
#include "snmp/contract/printer_languages.h"

// The input, split at NUL bytes, is the values of the TXT keys a printer
// announces, in the order the program reads them, and then the services.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const char* const keys[] = {"ty", "product", "pdl", "usb_mfg", "usb_mdl", "usb_cmd"};
  const char* const services[] = {"_pdl-datastream._tcp", "_printer._tcp", "_ipp._tcp", "_ipps._tcp", "_x._tcp"};
  AnnouncedPrinter printer;
  size_t start = 0;
  for (const char* key : keys) {
    if (start > input.size()) break;
    const size_t end = std::min(input.find('\0', start), input.size());
    printer.txt[key] = input.substr(start, end - start);
    start = end + 1;
  }
  for (size_t i = start; i < input.size(); ++i)
    printer.services.push_back({services[static_cast<uint8_t>(input[i]) % std::size(services)], 0});

  const std::string model = AnnouncedModel(printer);
  const PrinterAbilities abilities = AnnouncedAbilities(printer);
  if (abilities.channels.size() != printer.services.size()) std::abort();
  // Every language named is one of the known bits.
  const uint32_t known = kLanguagePcl | kLanguagePclXl | kLanguagePjl | kLanguagePostScript | kLanguagePdf | kLanguageOther;
  if ((abilities.languages & ~known) != 0 || (LanguagesOfCommandSet(input) & ~known) != 0) std::abort();
  LanguagesText(abilities.languages);
  ChannelsText(abilities.channels);
  return 0;
}
