#include "fonts/qt/report_pdf.h"

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

ReportPrinted WriteListReportPdf(const ReportList& list, const std::string& path, const std::string& subtitle,
                                 const std::string& title) {
  QPdfWriter writer(FromSingleByte(path));
  writer.setResolution(kPdfDotsPerInch);
  writer.setPageSize(QPageSize(QPageSize::A4));
  PdfWriterDevice device(writer);
  return PrintListReport(list, device, "PDF", path, subtitle, title);
}
