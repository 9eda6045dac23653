#include "fonts/qt/qt_printer_device.h"

#include <QFile>

#include "ui/single_byte_text.h"

QtPrinterDevice::QtPrinterDevice(std::unique_ptr<QPrinter> printer)
    : PainterPrintDevice(*printer), printer_(std::move(printer)) {}

void QtPrinterDevice::NameDocument(const std::string& documentName, const std::string& outputFile) {
  printer_->setDocName(FromSingleByte(documentName));
  // Print files are PDF, whatever their name.
  if (outputFile.empty()) return;
  printer_->setOutputFormat(QPrinter::PdfFormat);
  printer_->setOutputFileName(FromSingleByte(outputFile));
}

void QtPrinterDevice::AbortDoc() {
  printer_->abort();
  PainterPrintDevice::AbortDoc();
  const QString file = printer_->outputFileName();
  if (!file.isEmpty()) QFile::remove(file);
}
