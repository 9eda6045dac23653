// report: a printer's font list as a PDF report, laid out by the report
// code the Printer Font List prints with. Needs no display: Qt draws the
// pages on its offscreen platform.
#include <QGuiApplication>
#include <cstdio>
#include <fstream>
#include <memory>

#include "fonts/font_list_logic.h"
#include "fonts/font_list_report.h"
#include "glyctl/command_support.h"
#include "glyctl/exit_codes.h"
#include "fonts/qt/report_pdf.h"
#include "text/shown_text.h"

namespace {

// Qt's own notices (a missing runtime folder, font substitutions) are not
// the command's; only its critical and fatal messages get through.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "glyctl: %s\n", ShownUtf8(message.toStdString()).c_str());
}

// The report measures its text with Qt's fonts, which need an application
// object; one made here lives for the command.
std::unique_ptr<QGuiApplication> OffscreenApplication() {
  if (QGuiApplication::instance()) return nullptr;
  qInstallMessageHandler(QuietQtMessages);
  static int argc = 3;
  static char name[] = "glyctl";
  static char platform[] = "-platform";
  static char offscreen[] = "offscreen";
  static char* argv[] = {name, platform, offscreen, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

class NoWindow final : public FontListHost {
 public:
  void StateChanged() override {}
  void OpenResourceManager(PrinterRecord&) override {}
  int RunDeleteFonts(PrinterRecord&, const std::vector<FontEntry>&) override { return 0; }
};

}  // namespace

int RunReport(CommandRun& run) {
  const std::optional<std::string> pdf = run.line.Value("pdf");
  if (run.line.positional.size() != 1 || !pdf) {
    run.console.Message("report takes one ADDRESS and --pdf OUT.pdf");
    return kExitUsage;
  }
  const std::optional<int> view = FontViewOf(run);
  if (!view) return kExitUsage;
  ConsolePrinters printers(run.console, run.communities);
  int failure = kExitOk;
  const std::vector<PrinterRecord*> found = LookUpPrinters(run, printers, run.line.positional, failure);
  if (found.empty()) return failure;
  NoWindow window;
  ConsoleBoxes boxes(run.console);
  FontListLogic logic(window, boxes, {found.front()});
  if (!logic.Initialize()) return FontListFailure(run, logic.readResult());
  logic.OnViewChanged(*view);
  std::vector<FontCells> rows;
  for (const FontListLogic::Row& row : logic.rows()) rows.push_back(row.cells);
  if (rows.empty()) {
    run.console.Message("no fonts under view " + std::to_string(*view) + ": nothing to report");
    return kExitPartly;
  }
  if (!std::ofstream(*pdf, std::ios::binary | std::ios::app)) {
    run.console.Message("cannot write " + *pdf);
    return kExitCannotWrite;
  }
  const std::unique_ptr<QGuiApplication> application = OffscreenApplication();
  const ReportPrinted printed = WriteListReportPdf(FontListReportTable(rows), *pdf,
                                                   FontListReportSubtitle(*found.front(), std::time(nullptr)),
                                                   FontListReportTitle(*found.front()));
  switch (printed.outcome) {
    case PrintOutcome::Printed:
      run.console.out() << ShownUtf8(*pdf) << ": " << rows.size() << " font(s) on " << printed.pages << " page(s)\n";
      return kExitOk;
    case PrintOutcome::NotPrinted:
      // Not one row fits on the page: nothing is written.
      run.console.Message("not one row of the report fits on a page; nothing was written");
      std::remove(pdf->c_str());
      return kExitPartly;
    case PrintOutcome::Aborted:
    case PrintOutcome::Failed: break;
  }
  // No half-written report is left looking like a whole one.
  std::remove(pdf->c_str());
  run.console.Message("cannot write " + *pdf);
  return kExitCannotWrite;
}
