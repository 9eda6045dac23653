#include "printers/printer_list_file.h"

#include <charconv>
#include <cstring>
#include <fstream>

#include "printers/printer_record.h"
#include "printers/regular_file.h"
#include "text/shown_text.h"
#include "text/text_lines.h"

namespace {

std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// Tabs and line ends would split a field; they become blanks.
std::string Setting(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Applies one name=value field; unknown names are left for later versions.
bool ApplySetting(std::string_view field, SavedPrinter& printer) {
  const size_t equals = field.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view name = field.substr(0, equals), value = field.substr(equals + 1);
  if (name == "name") printer.name = value;
  else if (name == "model") printer.model = value;
  else if (name == "storage") return ParseNumber(value, printer.storageOptions);
  else if (name == "snmp") return ParseNumber(value, printer.snmpLevel);
  else if (name == "port") return (printer.port = ParseJobPort(value)).has_value();
  else if (name == "lpr-pacing") return (printer.lprPacing = ParseLprPacing(value)).has_value();
  else if (name == "verify") {
    if (value != "yes" && value != "no") return false;
    printer.verify = value == "yes";
  }
  return true;
}

}  // namespace

std::optional<uint32_t> ParseDottedAddress(std::string_view text) {
  uint32_t address = 0;
  for (int octet = 0; octet < 4; ++octet) {
    const size_t dot = octet < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos || dot == 0 || dot > 3) return std::nullopt;
    unsigned value = 0;
    if (!ParseNumber(text.substr(0, dot), value) || value > 255) return std::nullopt;
    address = (address << 8) | value;
    text.remove_prefix(octet < 3 ? dot + 1 : dot);
  }
  return address;
}

std::string PrinterListText(const std::vector<const PrinterRecord*>& printers,
                            const PrinterSettingsStore* settings) {
  std::string text = "# GLY printer list: address, then settings; community strings are not kept.\n";
  for (const PrinterRecord* printer : printers) {
    text += FormatAddress(printer->address);
    text += "\tname=" + Setting(FieldText(printer->printerName, sizeof printer->printerName));
    text += "\tmodel=" + Setting(FieldText(printer->modelName, sizeof printer->modelName));
    text += "\tstorage=" + std::to_string(printer->storageOptions);
    text += "\tsnmp=" + std::to_string(printer->snmpLevel);
    if (settings) {
      const PrinterSettings kept = settings->Get(printer->address);
      text += std::string("\tport=") + JobPortName(kept.port);
      if (!kept.verifyDownloads) text += "\tverify=no";
      if (kept.lprPacing != LprPacing::Classic) text += std::string("\tlpr-pacing=") + LprPacingName(kept.lprPacing);
    }
    text += "\n";
  }
  return text;
}

std::optional<std::vector<SavedPrinter>> ParsePrinterList(std::string_view text, std::string& error) {
  std::vector<SavedPrinter> printers;
  int lineNumber = 0;
  while (!text.empty()) {
    const std::string_view line = TakeLine(text);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    const size_t tab = line.find('\t');
    const std::string_view addressText = line.substr(0, tab);
    const std::optional<uint32_t> address = ParseDottedAddress(addressText);
    if (!address) {
      error = where + "not an IPv4 address: " + ShownSingleByte(addressText);
      return std::nullopt;
    }
    SavedPrinter printer;
    printer.address = *address;
    std::string_view fields = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    while (!fields.empty()) {
      const size_t next = fields.find('\t');
      const std::string_view field = fields.substr(0, next);
      if (!field.empty() && !ApplySetting(field, printer)) {
        error = where + "not a setting: " + ShownSingleByte(field);
        return std::nullopt;
      }
      fields.remove_prefix(next == std::string_view::npos ? fields.size() : next + 1);
    }
    if (printers.size() == kPrinterListMaxPrinters) {
      error = where + "more than " + std::to_string(kPrinterListMaxPrinters) + " printers";
      return std::nullopt;
    }
    printers.push_back(std::move(printer));
  }
  return printers;
}

void KeepSavedSettings(const SavedPrinter& printer, PrinterSettingsStore& settings) {
  PrinterSettings kept = settings.Get(printer.address);
  kept.port = printer.port.value_or(kept.port);
  kept.verifyDownloads = printer.verify.value_or(kept.verifyDownloads);
  kept.lprPacing = printer.lprPacing.value_or(kept.lprPacing);
  settings.Set(printer.address, kept);
}

bool WritePrinterListFile(const std::string& path, const std::vector<const PrinterRecord*>& printers,
                          std::string& error, const PrinterSettingsStore* settings) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << PrinterListText(printers, settings);
  file.close();
  if (!file) error = "cannot write " + path;
  return static_cast<bool>(file);
}

std::optional<std::vector<SavedPrinter>> ReadPrinterListFile(const std::string& path, std::string& error) {
  const std::optional<std::string> text = ReadRegularFile(path, kPrinterListFileLimit, error);
  if (!text) return std::nullopt;
  return ParsePrinterList(*text, error);
}
