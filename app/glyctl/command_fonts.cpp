// fonts and delete: a printer's font list under one of the nine views, and
// the deletion of downloaded fonts, on the Printer Font List's logic and
// the font deletion worker.
#include <algorithm>

#include "fonts/delete_fonts_worker.h"
#include "fonts/font_list_ids.h"
#include "fonts/font_list_logic.h"
#include "glyctl/command_support.h"
#include "glyctl/exit_codes.h"
#include "glyctl/printer_details.h"
#include "ui/resource_module.h"

namespace {

// The Printer Font List's window, on a console: a deletion runs at once on
// the command's thread and reports each font as it goes.
class ConsoleFontList final : public FontListHost, private DeleteFontsEvents {
 public:
  ConsoleFontList(Console& console, MessageBoxes& boxes, Clock& clock)
      : console_(console), boxes_(boxes), clock_(clock) {}

  void StateChanged() override {}
  void OpenResourceManager(PrinterRecord&) override {}
  int RunDeleteFonts(PrinterRecord& printer, const std::vector<FontEntry>& fonts) override {
    deleting_ = fonts;
    statuses_.assign(fonts.size(), DeleteStatus::NotDeleted);
    console_.StartProgress(static_cast<int>(fonts.size()), "Deleting");
    DeleteRun run;
    DeleteFontsWorker(printer, fonts, run, clock_, *this);
    console_.EndProgress();
    deleted_ = run.deletedCount;
    boxes_.Show(DeleteSummaryText(deleted_, static_cast<int>(fonts.size())));
    return deleted_;
  }

  const std::vector<FontEntry>& deleting() const { return deleting_; }
  const std::vector<DeleteStatus>& statuses() const { return statuses_; }
  int deleted() const { return deleted_; }

 private:
  void StatusChanged(int row, DeleteStatus status) override {
    statuses_[static_cast<size_t>(row)] = status;
    if (status == DeleteStatus::Deleted) console_.Advance();
  }
  void RunEnded() override {}

  Console& console_;
  MessageBoxes& boxes_;
  Clock& clock_;
  std::vector<FontEntry> deleting_;
  std::vector<DeleteStatus> statuses_;
  int deleted_ = 0;
};

OutputTable FontTable(const FontListLogic& logic) {
  using namespace font_list;
  OutputTable table;
  table.columns = {{LoadResourceString(kFontNameHeading), "name"},
                   {LoadResourceString(kResourceTypeHeading), "type"},
                   {LoadResourceString(kFontIdHeading), "id", CellType::kNumber},
                   {LoadResourceString(kPersistenceHeading), "persistence"},
                   {LoadResourceString(kLocationHeading), "location"},
                   {"Index", "index", CellType::kNumber}};
  for (const FontListLogic::Row& row : logic.rows()) {
    std::vector<std::string> cells(row.cells.begin(), row.cells.end());
    cells.push_back(std::to_string(row.index));
    table.rows.push_back(std::move(cells));
  }
  return table;
}

// JSON has room for the printer beside its fonts.
void WriteFontsJson(std::ostream& out, PrinterRecord& printer, const OutputTable& fonts) {
  WriteJsonDocument(out, {{"printer", PrinterJson(printer, ReadPrinterDetails(printer))}, {"fonts", JsonRows(fonts)}});
}

// The one printer a font command works on; nullptr after a message.
PrinterRecord* OnePrinter(CommandRun& run, ConsolePrinters& printers, int& failure) {
  const std::vector<PrinterRecord*> found = LookUpPrinters(run, printers, {run.line.positional[0]}, failure);
  return found.empty() ? nullptr : found.front();
}

}  // namespace

int RunFonts(CommandRun& run) {
  if (run.line.positional.size() != 1) {
    run.console.Message("fonts takes one ADDRESS");
    return kExitUsage;
  }
  const std::optional<OutputFormat> format = OutputFormatOf(run);
  if (!format) return kExitUsage;
  const std::optional<int> view = FontViewOf(run);
  if (!view) return kExitUsage;
  ConsolePrinters printers(run.console, run.communities, AskAbilities::kNo);
  int failure = kExitOk;
  PrinterRecord* printer = OnePrinter(run, printers, failure);
  if (!printer) return failure;
  ConsoleBoxes boxes(run.console);
  ConsoleFontList window(run.console, boxes, run.environment.clock);
  FontListLogic logic(window, boxes, {printer});
  if (!logic.Initialize()) return FontListFailure(run, logic.readResult());
  logic.OnViewChanged(*view);
  if (*format == OutputFormat::kJson) {
    WriteFontsJson(run.console.out(), *printer, FontTable(logic));
  } else {
    WriteOutputTable(run.console.out(), FontTable(logic), *format);
  }
  if (logic.listCut()) {
    run.console.Message("the printer reported " + std::to_string(kMostListedFonts) +
                        " fonts, as many as are read: the list may lack fonts");
    return kExitListCut;
  }
  return logic.fonts().empty() ? kExitNoFonts : kExitOk;
}

int RunDelete(CommandRun& run) {
  if (run.line.positional.size() < 2) {
    run.console.Message("delete takes an ADDRESS and one or more FONT names");
    return kExitUsage;
  }
  const std::optional<OutputFormat> format = OutputFormatOf(run);
  if (!format) return kExitUsage;
  ConsolePrinters printers(run.console, run.communities, AskAbilities::kNo);
  int failure = kExitOk;
  PrinterRecord* printer = OnePrinter(run, printers, failure);
  if (!printer) return failure;
  ConsoleBoxes boxes(run.console, {font_list::kDeleteQuestion});
  ConsoleFontList window(run.console, boxes, run.environment.clock);
  FontListLogic logic(window, boxes, {printer});
  if (!logic.Initialize()) return FontListFailure(run, logic.readResult());

  // Every row of each name: a font may be on the disk and in the flash.
  std::vector<int> rows;
  for (size_t i = 1; i < run.line.positional.size(); ++i) {
    const std::string& name = run.line.positional[i];
    bool found = false;
    for (size_t row = 0; row < logic.rows().size(); ++row) {
      if (logic.rows()[row].cells[0] != name) continue;
      if (std::find(rows.begin(), rows.end(), static_cast<int>(row)) == rows.end()) rows.push_back(static_cast<int>(row));
      found = true;
    }
    if (!found) {
      run.console.Message("the printer holds no font named " + name);
      return kExitBadInput;
    }
  }
  std::sort(rows.begin(), rows.end());
  logic.OnRowsSelected(rows);
  logic.OnDeleteFont();
  if (window.deleting().empty()) return kExitBadInput;  // permanent fonts only

  OutputTable table;
  table.columns = {{LoadResourceString(delete_fonts::kFontNameHeading), "name"},
                   {LoadResourceString(delete_fonts::kFontTypeHeading), "type"},
                   {LoadResourceString(delete_fonts::kStatusHeading), "status"}};
  table.jsonKey = "fonts";
  for (size_t i = 0; i < window.deleting().size(); ++i)
    table.rows.push_back({FontName(window.deleting()[i]), FontTypeText(window.deleting()[i]),
                          DeleteStatusText(window.statuses()[i])});
  WriteOutputTable(run.console.out(), table, *format);

  for (const DeleteStatus status : window.statuses())
    if (status == DeleteStatus::TimedOut) return kExitTimedOut;
  const bool skippedPermanent = boxes.WasShown(font_list::kSomeArePermanent);
  return window.deleted() == static_cast<int>(window.deleting().size()) && !skippedPermanent ? kExitOk
                                                                                              : kExitPartly;
}
