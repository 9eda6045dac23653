#include "fonts/qt/pdf_device.h"

#include <QPageSize>
#include <QPdfWriter>

#include "fonts/qt/painter_print_device.h"
#include "ui/single_byte_text.h"

namespace {

constexpr int kPdfDotsPerInch = 1200;

class PdfWriterDevice final : public PainterPrintDevice {
 public:
  explicit PdfWriterDevice(QPdfWriter& writer) : PainterPrintDevice(writer), writer_(writer) {}

 protected:
  void NameDocument(const std::string& documentName, const std::string&) override {
    writer_.setTitle(FromSingleByte(documentName));
  }

 private:
  QPdfWriter& writer_;
};

}  // namespace

ReportPrinted PrintOnPdf(const std::string& path, const std::function<ReportPrinted(PrintDevice&)>& print) {
  QPdfWriter writer(FromSingleByte(path));
  writer.setResolution(kPdfDotsPerInch);
  writer.setPageSize(QPageSize(QPageSize::A4));
  PdfWriterDevice device(writer);
  return print(device);
}
