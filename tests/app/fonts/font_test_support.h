// Printers and font tables for the font list's tests, on the SNMP double.
#pragma once

#include <cstring>
#include <vector>

#include "snmp_double.h"

inline PrinterRecord MakePrinter(uint32_t address, const char* name, const char* model,
                                 uint32_t storage = kStorageHardDisk) {
  PrinterRecord record{};
  record.address = address;
  std::strncpy(record.printerName, name, sizeof record.printerName - 1);
  std::strncpy(record.modelName, model, sizeof record.modelName - 1);
  record.storageOptions = storage;
  return record;
}

inline void AddPrinterWithFonts(const PrinterRecord& printer, std::vector<FontEntry> fonts,
                                int32_t fontListResult = 0) {
  snmp_double::Device device;
  device.info.address = printer.address;
  device.storageOptions = printer.storageOptions;
  device.fonts = std::move(fonts);
  device.fontListResult = fontListResult;
  snmp_double::AddDevice(device);
}

using snmp_double::MakeFontEntry;
