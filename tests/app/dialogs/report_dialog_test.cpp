// Print Report in the Printer Font List, offscreen: the print dialog is
// played by the test and chooses a PDF file, so Qt's QPrinter writes a real
// document that poppler's tools then read back.
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "font_test_support.h"
#include "fonts/font_list_dialog.h"
#include "fonts/font_list_ids.h"
#include "fonts/font_list_report.h"
#include "fonts/list_report.h"
#include "fonts/print_progress.h"
#include "fonts/print_progress_dialog.h"
#include "qt_test_environment.h"
#include "printers/clock.h"
#include "temp_dir.h"
#include "fonts/qt/qt_printer_device.h"
#include "fonts/qt/report_pdf.h"

namespace {

std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  return output;
}

std::string FontName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "Face%03d-Regular", i);
  return name;
}

std::unique_ptr<QPrinter> PdfPrinter(const std::string& path) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(QString::fromStdString(path));
  return printer;
}

PrintProgressDialog* OpenProgressDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<PrintProgressDialog*>(widget)) return dialog;
  return nullptr;
}

// Rows of the image that are dark across the middle half of the page: the
// table's horizontal rules.
int HorizontalRules(const QImage& page) {
  int rules = 0;
  bool inRule = false;
  for (int y = 0; y < page.height(); ++y) {
    int dark = 0;
    for (int x = page.width() / 4; x < page.width() * 3 / 4; ++x) dark += qGray(page.pixel(x, y)) < 128;
    const bool rule = dark > page.width() / 2 * 9 / 10;
    if (rule && !inRule) ++rules;
    inRule = rule;
  }
  return rules;
}

class ReportDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    snmp_double::Reset();
    // Enough fonts for two full pages and half of a third.
    const int rows = 2 * RowsPerPage() + RowsPerPage() / 2;
    std::vector<FontEntry> fonts;
    for (int i = 0; i < rows; ++i)
      fonts.push_back(MakeFontEntry(FontName(i).c_str(), i + 1, kFontTypePostScript, kFontPermanent, kFontInRom));
    AddPrinterWithFonts(printer, fonts);
    window = std::make_unique<FontListDialog>(boxes, ui, SystemClock(), std::vector{&printer});
    window->SetPrintDialog([this](QPrinter& chosen, int minPage, int maxPage, QWidget*) {
      dialogRange = {minPage, maxPage};
      chosen.setOutputFormat(QPrinter::PdfFormat);
      chosen.setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
  }
  void TearDown() override {
    window.reset();
    snmp_double::Reset();
  }
  // How many rows the report puts on a page of the printer the dialog
  // gives: a one-row report on the same kind of printer tells.
  int RowsPerPage() {
    QtPrinterDevice device(PdfPrinter(scratch.file("probe.pdf")));
    const TableReportList one = FontListReportTable({FontCells{"Probe"}});
    // The dialog's report has its subtitle line.
    return PrintListReport(one, device, "PDF", "", "Printer LAB2").rowsPerPage;
  }
  void PressPrintReport() { window->ControlAs<QPushButton>(font_list::kPrintReportButton)->click(); }

  TempDir scratch;
  std::string pdf = scratch.file("fonts.pdf");
  PrinterRecord printer = MakePrinter(0x7F000101, "LAB2", "Model 40");
  ScriptedBoxes boxes;
  FakeUiThread ui;
  std::unique_ptr<FontListDialog> window;
  std::pair<int, int> dialogRange;
};

TEST_F(ReportDialogTest, PrintReportToPdfMakesThreePagesOfTheFontListInOrder) {
  const int rowsPerPage = RowsPerPage();
  ASSERT_GT(rowsPerPage, 10);
  // A printer whose font list the library reads over PJL.
  snmp_double::Device device = snmp_double::GetDevice(printer.address);
  device.fontSource = kFontSourcePjl;
  snmp_double::AddDevice(device);
  // Seen between pages 1 and 2, while the job lets messages through.
  bool fontListEnabled = true;
  QString percent, pageText, printingText;
  QTimer::singleShot(0, [&] {
    fontListEnabled = window->isEnabled();
    PrintProgressDialog* progress = OpenProgressDialog();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->ControlAs<QProgressBar>(print_progress::kProgressBar)->value(), 1);
    percent = progress->ControlAs<QLabel>(print_progress::kPercentText)->text();
    pageText = progress->ControlAs<QLabel>(print_progress::kPageText)->text();
    printingText = progress->ControlAs<QLabel>(print_progress::kPrintingText)->text();
  });
  PressPrintReport();

  EXPECT_EQ(dialogRange, (std::pair<int, int>{1, kPageCountUnknown}));
  EXPECT_FALSE(fontListEnabled);
  EXPECT_TRUE(window->isEnabled());
  EXPECT_EQ(OpenProgressDialog(), nullptr);
  EXPECT_EQ(percent, "33 %");
  EXPECT_EQ(pageText, "Page 1 of 3, ?? left to end ..");
  EXPECT_EQ(printingText,
            QString::fromStdString("Printing Printer Font List (through PJL) on PDF on file " + pdf + "  .."));
  EXPECT_TRUE(boxes.shown.empty());

  const std::string info = Output("pdfinfo '" + pdf + "'");
  EXPECT_NE(info.find("Pages:           3\n"), std::string::npos);
  EXPECT_NE(info.find("Title:           Printer Font List (through PJL)\n"), std::string::npos) << info;
  const std::string text = Output("pdftotext -layout '" + pdf + "' -");
  size_t at = text.find("Printer Font List (through PJL)");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(text.find("Page 3 of 3"), std::string::npos);
  EXPECT_NE(text.find("Printer LAB2 (Model 40) 127.0.1.1, 20"), std::string::npos);
  EXPECT_NE(text.find("The Paper Works, Ostrel"), std::string::npos);
  const int rows = 2 * rowsPerPage + rowsPerPage / 2;
  for (int i = 0; i < rows; ++i) {
    at = text.find(FontName(i), at);
    ASSERT_NE(at, std::string::npos) << FontName(i) << " missing or out of order";
  }

  const std::string png = scratch.file("page");
  Output("pdftoppm -png -r 100 -f 1 -l 1 '" + pdf + "' '" + png + "'");
  const QImage page(QString::fromStdString(png + "-1.png"));
  ASSERT_FALSE(page.isNull());
  // The heading row's top and bottom, a rule above every row, and the
  // line under the last one.
  EXPECT_EQ(HorizontalRules(page), rowsPerPage + 2);
}

TEST_F(ReportDialogTest, CancelInTheProgressDialogEndsTheJobAndLeavesNoHalfDocument) {
  bool cancelled = false;
  QTimer::singleShot(0, [&] {
    PrintProgressDialog* progress = OpenProgressDialog();
    ASSERT_NE(progress, nullptr);
    progress->ControlAs<QPushButton>(print_progress::kCancelButton)->click();
    cancelled = true;
  });
  PressPrintReport();
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_TRUE(window->isEnabled());
  EXPECT_EQ(OpenProgressDialog(), nullptr);
}

TEST(WriteListReportPdf, WritesTheReportWithoutAnyWindow) {
  TempDir scratch;
  const TableReportList list = FontListReportTable({FontCells{"Courier", "PCL", "3", "Permanent", "In ROM"}});
  const ReportPrinted printed = WriteListReportPdf(list, scratch.file("report.pdf"));
  EXPECT_EQ(printed.outcome, PrintOutcome::Printed);
  EXPECT_EQ(printed.pages, 1);
  EXPECT_NE(Output("pdfinfo '" + scratch.file("report.pdf") + "'").find("Pages:           1\n"), std::string::npos);
  EXPECT_NE(Output("pdftotext '" + scratch.file("report.pdf") + "' -").find("Courier"), std::string::npos);

  EXPECT_EQ(WriteListReportPdf(list, scratch.file("no/such/folder/report.pdf")).outcome, PrintOutcome::Failed);
}

}  // namespace
