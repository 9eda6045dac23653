// The state behind each SnmpContext: the printer-found callback and the
// addresses already given to the program through it. A context is three
// words in the caller's memory, so they hold a check mark and a number
// that names the state kept here; the state lives as long as the process.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>

#include "glysnmp.h"

namespace glysnmp {

class PrinterContext {
 public:
  PrinterContext(PrinterFoundCallback callback, void* callbackContext)
      : callback_(callback), callbackContext_(callbackContext) {}

  // True when `address` was added or reported through this context.
  bool Knows(uint32_t address) const;
  void Remember(uint32_t address);
  void Forget(uint32_t address);
  // Remembers the device and reports it through the callback, on the
  // calling thread.
  void Report(const DeviceInfo& device);

 private:
  PrinterFoundCallback callback_;
  void* callbackContext_;
  mutable std::mutex mutex_;
  std::set<uint32_t> known_;
};

// Fills `context` with the marks of a new state.
void CreatePrinterContext(SnmpContext* context, PrinterFoundCallback callback, void* callbackContext);
// The state `context` names; null for words that name none (zero, never
// initialised, overwritten).
std::shared_ptr<PrinterContext> FindPrinterContext(const SnmpContext* context);

}  // namespace glysnmp
