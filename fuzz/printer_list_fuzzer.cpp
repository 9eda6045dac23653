#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "printers/printer_list_file.h"
#include "printers/printer_record.h"

// A printer list file is whatever the user opens. What it reads is written
// out again and reads back as the same printers; what it refuses is said
// without a control character of the file's.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto saved = ParsePrinterList(std::string(reinterpret_cast<const char*>(data), size), error);
  if (!saved) {
    if (error.empty()) std::abort();
    for (const char c : error)
      if (static_cast<std::uint8_t>(c) < 0x20 || (static_cast<std::uint8_t>(c) >= 0x7F && static_cast<std::uint8_t>(c) <= 0x9F))
        std::abort();
    return 0;
  }
  std::vector<PrinterRecord> records;
  PrinterSettingsStore settings;
  for (const SavedPrinter& printer : *saved) {
    KeepSavedSettings(printer, settings);
    PrinterRecord record = MakePrinterRecord();
    record.address = printer.address;
    CopyRecordText(record.printerName, printer.name.c_str());
    CopyRecordText(record.modelName, printer.model.c_str());
    records.push_back(record);
  }
  std::vector<const PrinterRecord*> pointers;
  for (const PrinterRecord& record : records) pointers.push_back(&record);
  const auto again = ParsePrinterList(PrinterListText(pointers, &settings), error);
  if (!again || again->size() != saved->size()) std::abort();
  for (size_t i = 0; i < saved->size(); ++i)
    if ((*again)[i].address != (*saved)[i].address ||
        (*again)[i].port.value_or(JobPort::Lpr) != settings.Get((*saved)[i].address).port ||
        (*again)[i].verify.value_or(true) != settings.Get((*saved)[i].address).verifyDownloads ||
        (*again)[i].lprPacing.value_or(LprPacing::Classic) != settings.Get((*saved)[i].address).lprPacing)
      std::abort();
  return 0;
}
