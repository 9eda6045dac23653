#include "printers/printer_settings.h"

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
  const std::lock_guard guard(lock_);
  const auto found = settings_.find(address);
  return found == settings_.end() ? PrinterSettings{} : found->second;
}

void PrinterSettingsStore::Set(uint32_t address, const PrinterSettings& settings) {
  const std::lock_guard guard(lock_);
  settings_[address] = settings;
}

void PrinterSettingsStore::Clear() {
  const std::lock_guard guard(lock_);
  settings_.clear();
}

PrinterSettingsStore& RunPrinterSettings() {
  static PrinterSettingsStore store;
  return store;
}
