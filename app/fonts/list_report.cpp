#include "fonts/list_report.h"

#include <algorithm>

#include "fonts/format_text.h"
#include "fonts/print_progress.h"
#include "printers/clock.h"
#include "ui/message_boxes.h"

namespace {

constexpr int kMarginHundredthsMm = 1000;
constexpr const char* kFontFace = "Arial";
constexpr int kTitlePoints = 12;
constexpr int kFooterPoints = 6;
constexpr int kBodyPoints = 8;
constexpr const char* kFooter = "The Paper Works, Ostrel";
constexpr const char* kPageFormat = "Page %d of %d";
constexpr size_t kHeadingLength = 127;

int HundredthsMmToDevice(int hundredthsMm, int dotsPerInch) {
  return static_cast<int>((static_cast<long long>(hundredthsMm) * dotsPerInch + 1270) / 2540);
}

}  // namespace

ListReport::ListReport(PrintJobWindows& windows, MessageBoxes& boxes, Clock& clock, const ReportList* list)
    : PrintJob(windows, boxes, clock), list_(list) {
  SetTitle(kFontListReportTitle);
}

bool ListReport::Prepare(PrintInfo& info, bool skipDialog) {
  info.minPage = 1;
  if (!list_ || list_->ItemCount() <= 0 || list_->ColumnCount() <= 0) return false;
  itemCount_ = list_->ItemCount();
  columnCount_ = list_->ColumnCount();
  columns_.assign(static_cast<size_t>(columnCount_), ReportColumn{});
  for (int c = 0; c < columnCount_; ++c) {
    ReportColumn column;
    if (!list_->Column(c, column)) column = ReportColumn{};
    if (column.heading.size() > kHeadingLength) column.heading.resize(kHeadingLength);
    columns_[static_cast<size_t>(c)] = column;
  }
  return PrintJob::Prepare(info, skipDialog);
}

PrintRect ListReport::MarginRect(PrintDevice& device, const PrintRect& page) const {
  const int x = HundredthsMmToDevice(kMarginHundredthsMm, device.DotsPerInchX());
  const int y = HundredthsMmToDevice(kMarginHundredthsMm, device.DotsPerInchY());
  return {page.left + x, page.top + y, page.right - x, page.bottom - y};
}

bool ListReport::BeginPrinting(PrintDevice& device, PrintInfo& info) {
  titleFont_ = device.CreateFont(kFontFace, kTitlePoints);
  footerFont_ = device.CreateFont(kFontFace, kFooterPoints);
  bodyFont_ = device.CreateFont(kFontFace, kBodyPoints);
  const int previousFont = device.SelectFont(bodyFont_);
  lineHeight_ = device.GetTextExtent("X").height + 4;

  columnEdges_.assign(static_cast<size_t>(columnCount_) + 1, 0);
  for (size_t c = 0; c < columns_.size(); ++c)
    columnEdges_[c + 1] = columnEdges_[c] + std::max(0, columns_[c].width);
  PrintRect area = MarginRect(device, info.pageRect);
  const int width = area.Width();
  if (columnEdges_.back() > 0) {
    const double factor = static_cast<double>(width) / columnEdges_.back();
    for (int& edge : columnEdges_) edge = static_cast<int>(edge * factor);
  } else {
    // Every column was dragged to nothing: they share the width evenly.
    for (size_t c = 0; c < columnEdges_.size(); ++c)
      columnEdges_[c] = static_cast<int>(static_cast<long long>(width) * static_cast<long long>(c) / columnCount_);
  }

  area.top += lineHeight_;
  PageHeader(device, area, info.currentPage, info.maxPage, false);
  device.SelectFont(footerFont_);
  footerBlock_ = device.GetTextExtent(kFooter).height + 2;
  area.bottom -= footerBlock_;
  device.SelectFont(previousFont);

  rowsPerPage_ = area.Height() / (lineHeight_ + 1) - 1;
  if (rowsPerPage_ < 1) {
    pageCount_ = 0;
    boxes().Show(print_progress::kReportDoesNotFit, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  pageCount_ = (itemCount_ + rowsPerPage_ - 1) / rowsPerPage_;
  info.maxPage = static_cast<uint16_t>(std::min<int>(pageCount_, kPageCountUnknown - 1));
  return true;
}

void ListReport::PageHeader(PrintDevice& device, PrintRect& area, int page, int pages, bool draw) {
  const int previousFont = device.SelectFont(titleFont_);
  const std::string pageText = FormatText(kPageFormat, page, pages);
  PrintRect pageRect = area;
  device.DrawText(pageText, pageRect, DT_CALCRECT | DT_SINGLELINE | DT_RIGHT);
  const int pageHeight = pageRect.Height();
  pageRect = {area.right - pageRect.Width(), area.top, area.right, area.top + pageHeight};
  if (draw) device.DrawText(pageText, pageRect, DT_SINGLELINE | DT_RIGHT);

  PrintRect titleRect{area.left, area.top, pageRect.left, area.bottom};
  device.DrawText(title_, titleRect, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
  if (draw) device.DrawText(title_, titleRect, DT_SINGLELINE | DT_LEFT);
  area.top += std::max(pageHeight, titleRect.Height());

  // The subtitle takes one table line.
  if (!subtitle_.empty()) {
    device.SelectFont(bodyFont_);
    PrintRect subtitleRect{area.left, area.top, area.right, area.top + lineHeight_};
    if (draw) device.DrawText(subtitle_, subtitleRect, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    area.top += lineHeight_;
  }
  device.SelectFont(previousFont);
}

unsigned ListReport::Alignment(int column) const {
  const unsigned format = columns_[static_cast<size_t>(column)].format;
  if (format & LVCFMT_CENTER) return DT_CENTER;
  if (format & LVCFMT_RIGHT) return DT_RIGHT;
  return DT_LEFT;
}

PrintRect ListReport::Cell(const PrintRect& area, int column, int top) const {
  return {area.left + columnEdges_[static_cast<size_t>(column)], top,
          area.left + columnEdges_[static_cast<size_t>(column) + 1], top + lineHeight_};
}

void ListReport::HeadingRow(PrintDevice& device, PrintRect& area) {
  const int bottom = area.top + lineHeight_;
  device.MoveTo(area.left, area.top);
  device.LineTo(area.right, area.top);
  device.LineTo(area.right, bottom);
  device.LineTo(area.left, bottom);
  device.LineTo(area.left, area.top);
  for (int c = 0; c < columnCount_; ++c) {
    const PrintRect cell = Cell(area, c, area.top);
    device.Rectangle(cell);
    PrintRect text = cell;
    device.DrawText(columns_[static_cast<size_t>(c)].heading, text, Alignment(c) | DT_VCENTER);
    device.MoveTo(cell.left, cell.bottom);
    device.LineTo(cell.left, cell.top);
    device.LineTo(cell.right, cell.top);
  }
  area.top = bottom;
}

void ListReport::Row(PrintDevice& device, const PrintRect& area, int y, int row) {
  PrintRect cell;
  for (int c = 0; c < columnCount_; ++c) {
    cell = Cell(area, c, y);
    if (row < itemCount_) {
      PrintRect text = cell;
      device.DrawText(list_->CellText(row, c), text, Alignment(c) | DT_VCENTER);
    }
    device.MoveTo(cell.left, cell.bottom);
    device.LineTo(cell.left, cell.top);
    device.LineTo(cell.right, cell.top);
  }
  device.LineTo(cell.right, cell.bottom);
}

void ListReport::PrintPage(PrintDevice& device, PrintInfo& info) {
  const int page = info.currentPage;
  PrintRect area = MarginRect(device, info.pageRect);
  const int previousMode = device.SetBkMode(TRANSPARENT);
  const int previousFont = device.SelectFont(bodyFont_);
  PageHeader(device, area, page, pageCount_, true);
  HeadingRow(device, area);

  // Every page shows its full number of ruled rows; on the last one the
  // rows past the end of the list stay empty.
  int y = area.top;
  for (int row = (page - 1) * rowsPerPage_; row < page * rowsPerPage_; ++row) {
    Row(device, area, y, row);
    y += lineHeight_ + 1;
  }
  device.MoveTo(area.left, y);
  device.LineTo(area.right, y);

  PrintRect footer = MarginRect(device, info.pageRect);
  footer.top = footer.bottom - footerBlock_;
  device.SelectFont(footerFont_);
  device.DrawText(kFooter, footer, DT_LEFT | DT_SINGLELINE);
  device.SetBkMode(previousMode);
  device.SelectFont(previousFont);
}

namespace {

// Nothing to show and no one to ask: the job runs straight through.
class NoWindows final : public PrintJobWindows {
 public:
  bool ChoosePrinter(PrintInfo&) override { return false; }
  bool ChooseOutputFile(std::string&) override { return false; }
  bool IsEnabled(JobWindow) override { return true; }
  void SetEnabled(JobWindow, bool) override {}
  void OpenProgress(PrintProgress&) override {}
  void CloseProgress() override {}
  bool ProcessMessages() override { return true; }
};

class NoBoxes final : public MessageBoxes {
 public:
  int Show(int, unsigned) override { return IDOK; }
  int ShowMessage(const std::string&, unsigned) override { return IDOK; }
};

}  // namespace

ReportPrinted PrintListReport(const ReportList& list, PrintDevice& device, const std::string& deviceName,
                              const std::string& outputFile, const std::string& subtitle,
                              const std::string& title) {
  NoWindows windows;
  NoBoxes boxes;
  ListReport report(windows, boxes, SystemClock(), &list);
  if (!title.empty()) report.SetTitle(title);
  report.SetSubtitle(subtitle);
  ReportPrinted printed;
  printed.outcome = report.RunOn(device, deviceName, outputFile);
  printed.pages = report.pageCount();
  printed.rowsPerPage = report.rowsPerPage();
  return printed;
}
