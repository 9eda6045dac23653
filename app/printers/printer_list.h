// The printers of this run, in the order of the main window's list box.
//
// The list owns its records: they join it one by one, leave it when the
// user removes them, and the rest are freed with the list. Used on the user-interface thread only.
#pragma once

#include <memory>
#include <vector>

#include "printers/printer_record.h"

class PrinterList {
 public:
  static constexpr int kInitialCapacity = 400;

  PrinterList();
  ~PrinterList();
  PrinterList(const PrinterList&) = delete;
  PrinterList& operator=(const PrinterList&) = delete;

  // Stores `record` at `index` (where the list box placed the new item),
  // moving the entries from `index` on up by one. The array grows when it
  // is full. An index outside 0..count() is refused (false; the record is
  // freed) rather than written past the end.
  bool InsertPrinter(int index, std::unique_ptr<PrinterRecord> record);

  // Takes the record at `index` out of the list and gives it to the caller,
  // moving the entries after it down by one; null for an index outside
  // 0..count()-1.
  std::unique_ptr<PrinterRecord> RemovePrinter(int index);

  int count() const { return static_cast<int>(printers_.size()); }
  int capacity() const { return static_cast<int>(printers_.capacity()); }
  PrinterRecord* at(int index) const { return printers_.at(static_cast<size_t>(index)); }
  // The array of record pointers, entry i for list item i; valid until the
  // next InsertPrinter or RemovePrinter.
  PrinterRecord* const* printers() const { return printers_.data(); }

 private:
  std::vector<PrinterRecord*> printers_;  // owned
};
