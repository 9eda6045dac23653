// A print device on a QPrinter of its own: a printer of the system's print
// service, or a PDF file.
#pragma once

#include <QPrinter>
#include <memory>

#include "fonts/qt/painter_print_device.h"

class QtPrinterDevice final : public PainterPrintDevice {
 public:
  explicit QtPrinterDevice(std::unique_ptr<QPrinter> printer);

  QPrinter& printer() { return *printer_; }

  // A printer drops the job; a PDF file that was only partly written is
  // removed rather than left looking like a whole report.
  void AbortDoc() override;

 protected:
  void NameDocument(const std::string& documentName, const std::string& outputFile) override;

 private:
  std::unique_ptr<QPrinter> printer_;
};
