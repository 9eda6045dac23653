#include "printers/printer_settings.h"

#include <cstddef>
#include <utility>

#include "printers/printer_abilities.h"

namespace {

constexpr std::pair<JobPort, const char*> kPortNames[] = {
    {JobPort::Lpr, "lpr"}, {JobPort::Raw, "raw"}, {JobPort::Ipp, "ipp"}};
constexpr std::pair<LprPacing, const char*> kPacingNames[] = {{LprPacing::Classic, "classic"},
                                                               {LprPacing::None, "none"}};

// The name of `value` in a table of names, the first one for a value it
// lacks; the value of `name`, nullopt for a name it lacks.
template <typename Value, size_t count>
const char* NameIn(const std::pair<Value, const char*> (&names)[count], Value value) {
  for (const auto& [known, name] : names)
    if (known == value) return name;
  return names[0].second;
}

template <typename Value, size_t count>
std::optional<Value> ValueIn(const std::pair<Value, const char*> (&names)[count], std::string_view name) {
  for (const auto& [value, known] : names)
    if (name == known) return value;
  return std::nullopt;
}

}  // namespace

const char* JobPortName(JobPort port) { return NameIn(kPortNames, port); }
std::optional<JobPort> ParseJobPort(std::string_view name) { return ValueIn(kPortNames, name); }

const char* LprPacingName(LprPacing pacing) { return NameIn(kPacingNames, pacing); }
std::optional<LprPacing> ParseLprPacing(std::string_view name) { return ValueIn(kPacingNames, name); }

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
