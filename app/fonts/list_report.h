// A list report: any report list laid out as a ruled table over as many
// pages as it needs, with a title and the page number at the top of every
// page, an optional subtitle line under them, the column headings, and a
// footer line at the bottom. Columns keep the proportions of their
// on-screen widths across the width between the margins.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fonts/print_job.h"
#include "fonts/report_list.h"

inline constexpr char kFontListReportTitle[] = "Printer Font List";

class ListReport : public PrintJob {
 public:
  // `list` is not owned and must not change while the job runs; null
  // prints nothing.
  ListReport(PrintJobWindows& windows, MessageBoxes& boxes, Clock& clock, const ReportList* list);

  // The title at the top of every page, which also names the document for
  // the printer (a PDF's title); kFontListReportTitle unless set before
  // the job runs.
  void SetTitle(const std::string& title) { title_ = documentName = title; }
  // A line under the title on every page, in the body font (what and when
  // the report shows); none when empty. Set before the job runs.
  void SetSubtitle(std::string subtitle) { subtitle_ = std::move(subtitle); }

  // The layout of the last job, once it began printing.
  int rowsPerPage() const { return rowsPerPage_; }
  int pageCount() const { return pageCount_; }
  int lineHeight() const { return lineHeight_; }
  const std::vector<int>& columnEdges() const { return columnEdges_; }

 protected:
  bool Prepare(PrintInfo& info, bool skipDialog) override;
  bool BeginPrinting(PrintDevice& device, PrintInfo& info) override;
  void PrintPage(PrintDevice& device, PrintInfo& info) override;

 private:
  PrintRect MarginRect(PrintDevice& device, const PrintRect& page) const;
  // Measures the page header, draws it when `draw`, and moves the top of
  // `area` below it.
  void PageHeader(PrintDevice& device, PrintRect& area, int page, int pages, bool draw);
  void HeadingRow(PrintDevice& device, PrintRect& area);
  void Row(PrintDevice& device, const PrintRect& area, int y, int row);
  PrintRect Cell(const PrintRect& area, int column, int top) const;
  unsigned Alignment(int column) const;

  const ReportList* list_;
  std::string title_;
  std::string subtitle_;
  int itemCount_ = 0;
  int columnCount_ = 0;
  std::vector<ReportColumn> columns_;
  std::vector<int> columnEdges_;

  int titleFont_ = 0;
  int footerFont_ = 0;
  int bodyFont_ = 0;
  int lineHeight_ = 0;
  int rowsPerPage_ = 0;
  int pageCount_ = 0;
  int footerBlock_ = 0;
};

// What printing a report without any window gave.
struct ReportPrinted {
  PrintOutcome outcome = PrintOutcome::NotPrinted;
  int pages = 0;
  int rowsPerPage = 0;  // below 1 when not one row fits on a page
};

// Prints `list` as a list report on `device` with no dialog, no progress
// window and no message box: for output that no user watches, such as a
// PDF file written by a command. `outputFile` is handed to the device;
// `title` (the default one when empty) and `subtitle` head every page.
ReportPrinted PrintListReport(const ReportList& list, PrintDevice& device, const std::string& deviceName,
                              const std::string& outputFile, const std::string& subtitle = {},
                              const std::string& title = {});
