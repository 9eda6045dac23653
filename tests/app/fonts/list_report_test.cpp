// The list report's layout on a recording device of 4800 x 6600 units at
// 600 dpi: margins of 10 mm are 236 units, so the table runs from x 236 to
// 4564 (4328 wide). Fonts of 12, 8 and 6 points are 100, 66 and 50 units
// high: the header takes 100, a table line 70 (+1 between rows), the footer
// block 52, which leaves (6364 - 52 - 406) / 71 - 1 = 82 rows per page.
#include "fonts/list_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <set>

#include "fake_clock.h"
#include "fonts/font_list_report.h"
#include "fonts/print_progress.h"
#include "print_job_fakes.h"
#include "window_fakes.h"

namespace {

constexpr int kLeft = 236;
constexpr int kRight = 4564;
constexpr int kTop = 236;
constexpr int kBottom = 6364;
constexpr int kFirstRowTop = kTop + 100 + 70;
constexpr int kRowsPerPage = 82;

using Text = RecordingPrintDevice::Text;

TableReportList Rows(int count, std::vector<ReportColumn> columns = {{100, LVCFMT_LEFT, "Name"},
                                                                      {300, LVCFMT_LEFT, "Type"}}) {
  std::vector<std::vector<std::string>> rows;
  for (int row = 0; row < count; ++row) {
    std::vector<std::string> cells;
    for (size_t column = 0; column < columns.size(); ++column)
      cells.push_back("r" + std::to_string(row) + "c" + std::to_string(column));
    rows.push_back(cells);
  }
  return TableReportList(std::move(columns), std::move(rows));
}

class ListReportTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadBuiltResources(); }
  PrintOutcome Print(const ReportList* list) {
    ListReport report(windows, boxes, clock, list);
    const PrintOutcome outcome = report.Run();
    rowsPerPage = report.rowsPerPage();
    return outcome;
  }
  RecordingPrintDevice& device() { return windows.device; }
  // The row tops of the horizontal lines drawn under the headings.
  std::set<int> RuledLines(int page) {
    std::set<int> ys;
    for (const auto& line : device().pages[page - 1].lines)
      if (line.y1 == line.y2 && line.y1 >= kFirstRowTop) ys.insert(line.y1);
    return ys;
  }

  FakeJobWindows windows;
  ScriptedBoxes boxes;
  FakeClock clock;
  int rowsPerPage = 0;
};

TEST_F(ListReportTest, FiveRowsPrintOnePageOfRuledRowsUnderTheTitleAndThePageNumber) {
  const TableReportList list = Rows(5);
  EXPECT_EQ(Print(&list), PrintOutcome::Printed);
  EXPECT_EQ(rowsPerPage, kRowsPerPage);
  ASSERT_EQ(device().pages.size(), 1u);
  EXPECT_EQ(device().faces, (std::vector<std::string>{"Arial", "Arial", "Arial"}));

  // Title and page number share the first line under the top margin.
  const std::vector<Text> header = device().TextsInFont(1, 12);
  ASSERT_EQ(header.size(), 2u);
  EXPECT_EQ(header[0].text, "Page 1 of 1");
  EXPECT_EQ(header[0].rect, (PrintRect{kRight - 11 * 50, kTop, kRight, kTop + 100}));
  EXPECT_EQ(header[0].flags, DT_RIGHT | DT_SINGLELINE);
  EXPECT_EQ(header[1].text, "Printer Font List");
  EXPECT_EQ(header[1].rect.left, kLeft);
  EXPECT_EQ(header[1].rect.top, kTop);
  EXPECT_EQ(header[1].flags, DT_LEFT | DT_SINGLELINE);

  // The footer sits directly above the bottom margin.
  const std::vector<Text> footer = device().TextsInFont(1, 6);
  ASSERT_EQ(footer.size(), 1u);
  EXPECT_EQ(footer[0].text, "The Paper Works, Ostrel");
  EXPECT_EQ(footer[0].rect, (PrintRect{kLeft, kBottom - 52, kRight, kBottom}));

  // Headings, then the five rows' cells; the other rows are ruled and empty.
  const std::vector<Text> body = device().TextsInFont(1, 8);
  ASSERT_EQ(body.size(), 2u + 5u * 2u);
  EXPECT_EQ(body[0].text, "Name");
  EXPECT_EQ(body[0].rect, (PrintRect{kLeft, kTop + 100, kLeft + 1082, kTop + 170}));
  EXPECT_EQ(body[11].text, "r4c1");
  EXPECT_EQ(body[11].rect, (PrintRect{kLeft + 1082, kFirstRowTop + 4 * 71, kRight, kFirstRowTop + 4 * 71 + 70}));
  EXPECT_EQ(RuledLines(1).size(), static_cast<size_t>(kRowsPerPage + 1));
  EXPECT_EQ(*RuledLines(1).rbegin(), kFirstRowTop + kRowsPerPage * 71);
  EXPECT_EQ(device().backgroundMode, OPAQUE);  // put back after the page
}

// The font list's report says under its title which printer, on which day;
// the table moves down one line for it. Its title also names the document.
TEST_F(ListReportTest, SubtitleNamesThePrinterAndTheDayUnderTheTitle) {
  PrinterRecord printer{};
  std::snprintf(printer.printerName, sizeof printer.printerName, "LAB2");
  printer.address = 0x0A010203u;
  const std::time_t noon = 1796817600;  // 2026-12-09 12:00 UTC: that day in any zone within 11 hours
  const std::string subtitle = FontListReportSubtitle(printer, noon);
  EXPECT_EQ(subtitle, "Printer LAB2 10.1.2.3, 2026-12-09");

  const TableReportList list = Rows(90);
  ListReport report(windows, boxes, clock, &list);
  report.SetSubtitle(subtitle);
  report.SetTitle("Printer Font List (through PJL)");
  ASSERT_EQ(report.Run(), PrintOutcome::Printed);
  EXPECT_EQ(device().documentName, "Printer Font List (through PJL)");
  EXPECT_EQ(device().TextsInFont(2, 12).at(1).text, "Printer Font List (through PJL)");
  EXPECT_EQ(report.rowsPerPage(), kRowsPerPage - 1);
  for (int page = 1; page <= 2; ++page) {
    const std::vector<Text> body = device().TextsInFont(page, 8);
    ASSERT_GE(body.size(), 2u);
    EXPECT_EQ(body[0].text, subtitle);
    EXPECT_EQ(body[0].rect, (PrintRect{kLeft, kTop + 100, kRight, kTop + 170}));
    EXPECT_EQ(body[1].text, "Name");
    EXPECT_EQ(body[1].rect.top, kTop + 170);
  }
}

TEST_F(ListReportTest, AnExactMultipleOfThePageLeavesNoEmptyPageBehind) {
  const TableReportList twoPages = Rows(2 * kRowsPerPage);
  Print(&twoPages);
  ASSERT_EQ(device().pages.size(), 2u);
  EXPECT_EQ(device().TextsInFont(2, 12)[0].text, "Page 2 of 2");
  EXPECT_EQ(device().TextsInFont(2, 8).back().text, "r163c1");

  device() = RecordingPrintDevice();
  const TableReportList threePages = Rows(2 * kRowsPerPage + 1);
  Print(&threePages);
  ASSERT_EQ(device().pages.size(), 3u);
  EXPECT_EQ(device().TextsInFont(3, 12)[0].text, "Page 3 of 3");
  EXPECT_EQ(device().TextsInFont(3, 8).size(), 2u + 2u);
  EXPECT_EQ(RuledLines(3).size(), static_cast<size_t>(kRowsPerPage + 1));
}

TEST_F(ListReportTest, ColumnsKeepTheirOnScreenProportionsAndAlignments) {
  const TableReportList list = Rows(1, {{100, LVCFMT_RIGHT, "Id"}, {300, LVCFMT_CENTER, "Name"}});
  Print(&list);
  const std::vector<Text> body = device().TextsInFont(1, 8);
  ASSERT_EQ(body.size(), 4u);
  // A quarter and three quarters of the width between the margins.
  EXPECT_EQ(device().pages[0].rectangles,
            (std::vector<PrintRect>{{kLeft, kTop + 100, kLeft + 1082, kTop + 170},
                                    {kLeft + 1082, kTop + 100, kRight, kTop + 170}}));
  EXPECT_EQ(body[0].flags, DT_RIGHT | DT_VCENTER);
  EXPECT_EQ(body[1].flags, DT_CENTER | DT_VCENTER);
  EXPECT_EQ(body[2].flags, DT_RIGHT | DT_VCENTER);
  EXPECT_EQ(body[3].flags, DT_CENTER | DT_VCENTER);
  EXPECT_EQ(body[3].rect.left, kLeft + 1082);

  // Every column dragged to nothing: they share the width evenly.
  device() = RecordingPrintDevice();
  const TableReportList squeezed = Rows(1, {{0, LVCFMT_LEFT, "A"}, {0, LVCFMT_LEFT, "B"}, {0, LVCFMT_LEFT, "C"}});
  EXPECT_EQ(Print(&squeezed), PrintOutcome::Printed);
  std::vector<int> lefts;
  for (const PrintRect& cell : device().pages[0].rectangles) lefts.push_back(cell.left);
  EXPECT_EQ(lefts, (std::vector<int>{kLeft, kLeft + 1442, kLeft + 2885}));
  EXPECT_EQ(device().pages[0].rectangles.back().right, kRight);
}

TEST_F(ListReportTest, WhenNotOneRowFitsOnThePageNothingIsPrintedAndTheUserIsTold) {
  device() = RecordingPrintDevice(4800, 700, 600);
  const TableReportList list = Rows(5);
  EXPECT_EQ(Print(&list), PrintOutcome::NotPrinted);
  EXPECT_LT(rowsPerPage, 1);
  EXPECT_EQ(boxes.shown, (std::vector<int>{print_progress::kReportDoesNotFit}));
  EXPECT_TRUE(device().calls.empty());
  EXPECT_EQ(windows.progressOpened, 0);
}

TEST_F(ListReportTest, AnEmptyListOrOneWithoutColumnsPrintsNothingAndShowsNothing) {
  const TableReportList empty = Rows(0);
  const TableReportList noColumns = Rows(3, {});
  for (const ReportList* list : {static_cast<const ReportList*>(&empty), static_cast<const ReportList*>(&noColumns),
                                 static_cast<const ReportList*>(nullptr)})
    EXPECT_EQ(Print(list), PrintOutcome::NotPrinted);
  EXPECT_EQ(windows.printDialogs, 0);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(device().calls.empty());
}

TEST(PrintListReport, PrintsTheFontListStraightOntoADeviceWithoutAnyWindow) {
  LoadBuiltResources();
  std::vector<FontCells> rows(100, FontCells{"Courier", "PCL", "3", "Permanent", "In ROM"});
  const TableReportList list = FontListReportTable(rows);
  RecordingPrintDevice device;
  const ReportPrinted printed = PrintListReport(list, device, "PDF", "/reports/fonts.pdf");
  EXPECT_EQ(printed.outcome, PrintOutcome::Printed);
  EXPECT_EQ(printed.pages, 2);
  EXPECT_EQ(device.pages.size(), 2u);
  EXPECT_EQ(printed.rowsPerPage, kRowsPerPage);
  EXPECT_EQ(device.outputFile, "/reports/fonts.pdf");
  // The font list's headings, at its on-screen widths of 200 and 4 x 95.
  const std::vector<Text> body = device.TextsInFont(1, 8);
  EXPECT_EQ(body[0].text, "Font Name");
  EXPECT_EQ(body[4].text, "Location");
  EXPECT_EQ(body[1].rect.left, kLeft + 4328 * 200 / 580);
}

}  // namespace
