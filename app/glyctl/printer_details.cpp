#include "glyctl/printer_details.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "glyctl/console_printers.h"

namespace {

std::string Text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// Binary units with one decimal: "812.5 MiB".
std::string ByteText(uint64_t bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
  double value = static_cast<double>(bytes);
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string ByteCount(uint64_t bytes) { return bytes == kSnmpUnknownSize ? std::string() : std::to_string(bytes); }

}  // namespace

SnmpPrinterDetails ReadPrinterDetails(PrinterRecord& printer) {
  SnmpPrinterDetails details{};
  SnmpGetPrinterDetails(&printer, &details);
  // Texts end within their fields, whatever the library left there.
  details.systemId[sizeof details.systemId - 1] = '\0';
  details.model[sizeof details.model - 1] = '\0';
  details.serialNumber[sizeof details.serialNumber - 1] = '\0';
  details.storageCount = std::min(details.storageCount, kSnmpMostStorageAreas);
  return details;
}

std::string FontSourceText(int32_t source) {
  switch (source) {
    case kFontSourceFontMib: return "font MIB";
    case kFontSourcePjl: return "PJL";
    case kFontSourcePclReadback: return "PCL readback";
    case kFontSourcePostScript: return "PostScript";
    default: return "";
  }
}

std::string StorageSpaceText(const SnmpPrinterDetails& details) {
  std::string text;
  for (uint32_t i = 0; i < details.storageCount; ++i) {
    const SnmpStorageArea& area = details.storage[i];
    if (!text.empty()) text += "; ";
    text += StorageText(area.kind);
    if (area.freeBytes != kSnmpUnknownSize) text += " " + ByteText(area.freeBytes) + " free of";
    if (area.capacityBytes != kSnmpUnknownSize) text += " " + ByteText(area.capacityBytes);
    if (!area.usable) text += " (not usable)";
  }
  return text.empty() ? "none" : text;
}

OutputTable StorageAreaTable(const SnmpPrinterDetails& details) {
  OutputTable table;
  table.columns = {{"Kind", "kind"},
                   {"Description", "description"},
                   {"Capacity", "capacity_bytes", CellType::kNumber},
                   {"Free", "free_bytes", CellType::kNumber},
                   {"Usable", "usable", CellType::kYesNo}};
  for (uint32_t i = 0; i < details.storageCount; ++i) {
    const SnmpStorageArea& area = details.storage[i];
    table.rows.push_back({StorageText(area.kind), Text(area.description, sizeof area.description),
                          ByteCount(area.capacityBytes), ByteCount(area.freeBytes), area.usable ? "yes" : "no"});
  }
  return table;
}

Json PrinterJson(const PrinterRecord& printer, const SnmpPrinterDetails& details) {
  const std::string source = FontSourceText(details.fontSource);
  return {{"address", FormatAddress(printer.address)},
          {"name", JsonText(Text(printer.printerName, sizeof printer.printerName))},
          {"model", JsonText(Text(printer.modelName, sizeof printer.modelName))},
          {"device_model", JsonText(details.model)},
          {"system_id", JsonText(details.systemId)},
          {"serial_number", JsonText(details.serialNumber)},
          {"storage", JsonRows(StorageAreaTable(details))},
          {"font_source", source.empty() ? Json(nullptr) : Json(source)}};
}
