#include "printers/printer_settings.h"

#include "printers/printer_abilities.h"

namespace {

constexpr std::pair<JobPort, const char*> kPortNames[] = {
    {JobPort::Lpr, "lpr"}, {JobPort::Raw, "raw"}, {JobPort::Ipp, "ipp"}};

}  // namespace

const char* JobPortName(JobPort port) {
  for (const auto& [value, name] : kPortNames)
    if (value == port) return name;
  return "lpr";
}

std::optional<JobPort> ParseJobPort(std::string_view name) {
  for (const auto& [value, text] : kPortNames)
    if (name == text) return value;
  return std::nullopt;
}

PrinterSettings PrinterSettingsStore::Get(uint32_t address) const {
  if (std::optional<PrinterSettings> kept = settings_.Find(address)) return *kept;
  PrinterSettings defaults;
  defaults.port = DefaultJobPort(RunPrinterAbilities().Get(address)).value_or(defaults.port);
  return defaults;
}

PrinterSettingsStore& RunPrinterSettings() {
  static PrinterSettingsStore store;
  return store;
}
