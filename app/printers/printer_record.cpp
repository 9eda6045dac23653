#include "printers/printer_record.h"

#include <cstdio>
#include <cstring>

#include "printers/printer_name.h"

PrinterRecord MakePrinterRecord() {
  PrinterRecord record;
  std::memset(&record, 0, sizeof record);
  CopyRecordText(record.readCommunity, kDefaultReadCommunity);
  CopyRecordText(record.writeCommunity, kDefaultWriteCommunity);
  CopyRecordText(record.trapCommunity, kDefaultTrapCommunity);
  record.fontNameIndex = 1;
  return record;
}

void CopyRecordText(char* field, size_t fieldSize, const char* text) {
  if (fieldSize == 0) return;
  size_t length = text ? strnlen(text, fieldSize - 1) : 0;
  if (length > 0) std::memcpy(field, text, length);  // never from a null text
  field[length] = '\0';
}

std::string FormatAddress(uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFFu,
                (address >> 16) & 0xFFu, (address >> 8) & 0xFFu, address & 0xFFu);
  return text;
}

std::string PrinterDialogTitle(const std::string& title, const PrinterRecord& printer) {
  return title + " - " + PrinterDisplayName(printer);
}
