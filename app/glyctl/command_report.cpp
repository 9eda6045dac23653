// report: a printer's font list as a PDF report, laid out by the report
// code the Printer Font List prints with. Needs no display: the PDF module
// draws the pages on Qt's offscreen platform.
#include <cstdio>
#include <fstream>

#include "fonts/font_list_logic.h"
#include "fonts/font_list_report.h"
#include "glyctl/command_support.h"
#include "glyctl/exit_codes.h"
#include "glyctl/pdf_module.h"
#include "platform/module.h"
#include "printers/app_directory.h"
#include "text/shown_text.h"

namespace {

// The PDF module's drawing function; null, with the module's path named,
// when it cannot be loaded. The module stays loaded for the process: Qt is
// not made to be unloaded.
GlyPrintOnPdfFn LoadPdfModule(Console& console) {
  const std::string path = PrivateLibraryPath(GLY_PDF_MODULE_FILE);
  HMODULE module = LoadLibraryA(path.c_str());
  const auto print = module ? reinterpret_cast<GlyPrintOnPdfFn>(GetProcAddress(module, kPrintOnPdfName)) : nullptr;
  if (!print) console.Message("cannot load the report module " + path);
  return print;
}

struct ListOnPdf {
  const ReportList& list;
  const std::string& path;
  std::string subtitle;
  std::string title;
};

ReportPrinted PrintList(PrintDevice& device, void* context) {
  const auto& report = *static_cast<const ListOnPdf*>(context);
  return PrintListReport(report.list, device, "PDF", report.path, report.subtitle, report.title);
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
  const GlyPrintOnPdfFn printOnPdf = LoadPdfModule(run.console);
  if (!printOnPdf) return kExitSetup;
  ConsolePrinters printers(run.console, run.communities, AskAbilities::kNo);
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
  const TableReportList table = FontListReportTable(rows);
  ListOnPdf report{table, *pdf, FontListReportSubtitle(*found.front(), std::time(nullptr)),
                   FontListReportTitle(*found.front())};
  const ReportPrinted printed = printOnPdf(pdf->c_str(), PrintList, &report);
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
