#include "fonts/qt/report_pdf.h"

#include "fonts/qt/pdf_device.h"

ReportPrinted WriteListReportPdf(const ReportList& list, const std::string& path, const std::string& subtitle,
                                 const std::string& title) {
  return PrintOnPdf(path, [&](PrintDevice& device) { return PrintListReport(list, device, "PDF", path, subtitle, title); });
}
