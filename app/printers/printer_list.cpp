#include "printers/printer_list.h"

PrinterList::PrinterList() { printers_.reserve(kInitialCapacity); }

PrinterList::~PrinterList() {
  for (PrinterRecord* record : printers_) delete record;
}

bool PrinterList::InsertPrinter(int index, std::unique_ptr<PrinterRecord> record) {
  if (!record || index < 0 || index > count()) return false;
  // std::vector keeps the order when it grows and shifts the tail up by one.
  printers_.insert(printers_.begin() + index, record.get());
  (void)record.release();  // the list owns it now
  return true;
}

std::unique_ptr<PrinterRecord> PrinterList::RemovePrinter(int index) {
  if (index < 0 || index >= count()) return nullptr;
  std::unique_ptr<PrinterRecord> record(printers_[static_cast<size_t>(index)]);
  printers_.erase(printers_.begin() + index);
  return record;
}
