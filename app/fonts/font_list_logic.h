// The Printer Font List's logic: the fonts of one of the selected printers
// at a time under one of nine views, the choice of fonts to delete, and the
// partial re-read of the font table after a download or a deletion.
//
// Everything runs on the user-interface thread; the SNMP calls block it
// while they run. The logic keeps its own copy of every font table it
// reads and hands the library's arrays straight back to the library, so
// each array is released by the allocator that made it.
#pragma once

#include <string>
#include <vector>

#include "fonts/font_rows.h"
#include "snmp/contract/glysnmp.h"

class MessageBoxes;

// What the logic needs from its window.
class FontListHost {
 public:
  virtual ~FontListHost() = default;
  // Rows, status text or enabled buttons changed: show them again.
  virtual void StateChanged() = 0;
  // Opens the Resource Manager modally for `printer` alone and returns when
  // it has closed.
  virtual void OpenResourceManager(PrinterRecord& printer) = 0;
  // Runs the Delete Fonts dialog modally and returns how many fonts it
  // deleted.
  virtual int RunDeleteFonts(PrinterRecord& printer, const std::vector<FontEntry>& fonts) = 0;
};

// The SNMP library stops reading a table after 20 000 rows.
inline constexpr size_t kMostListedFonts = 20000;
// Follows the font count in the status bar when the list may be cut.
inline constexpr char kListCutText[] = " (the first 20000 reported; the printer may hold more)";

// The string that tells why a font list read returned `readResult`
// instead of a list: file system closed, PJL password wanted, a PJL
// listing cut short by its bounds, no answer.
int FontReadRefusalText(int32_t readResult);
// What a font list read that returned `readResult` shows: the text of
// FontReadRefusalText, or for refused SNMPv3 settings, an answer that could
// not be read and a session that could not be opened, the library's reason.
std::string FontReadRefusalMessage(int32_t readResult);
// The string that tells a PJL listing or deletion ended by its bounds
// (deadline or request cap), or 0 for any other result.
int PjlBoundText(int32_t result);

class FontListLogic {
 public:
  struct Row {
    FontCells cells;
    int32_t index;  // the entry's own index, the row's item data
  };

  // `printers` are not owned and outlive the logic; at least one.
  FontListLogic(FontListHost& host, MessageBoxes& boxes, std::vector<PrinterRecord*> printers);

  // Opening: reads the first printer's fonts under view 0. False when the
  // font table could not be read (the list then stays empty).
  bool Initialize();

  // Events of the dialog.
  void OnViewChanged(int view);
  void OnPrinterChanged(int printer);
  // The rows now selected, in row order.
  void OnRowsSelected(std::vector<int> rows);
  void OnDeleteFont();
  void OnAddFont();

  // The highest index among the permanent fonts, or -1 when there is none;
  // remembers the position of that font in lastPermanentEntry().
  int32_t FindLastPermanentFont();
  // Re-reads the fonts after `afterIndex` and puts them behind the entries
  // up to position `keepUpTo`.
  void RefreshDownloadedFonts(PrinterRecord& printer, int32_t afterIndex, int keepUpTo);

  // State for the window to show.
  const std::vector<std::string>& printerLines() const { return printerLines_; }
  int printer() const { return printer_; }
  const PrinterRecord& shownPrinter() const { return *printers_[static_cast<size_t>(printer_)]; }
  int view() const { return view_; }
  const std::vector<Row>& rows() const { return rows_; }
  // Bumped whenever the rows are rebuilt.
  unsigned rowsRevision() const { return rowsRevision_; }
  const std::string& statusText() const { return statusText_; }
  // Whether the printer reported as many fonts as the SNMP library reads
  // at most: more may be there that the list does not show.
  bool listCut() const { return fonts_.size() >= kMostListedFonts; }
  bool IsEnabled(int controlId) const;
  const std::vector<FontEntry>& fonts() const { return fonts_; }
  int lastPermanentEntry() const { return lastPermanentEntry_; }
  // What the last full read of a font list returned (0: read).
  int32_t readResult() const { return readResult_; }

 private:
  bool ReadFonts(PrinterRecord& printer);
  void FillFontRows();
  void ClearRows();
  void ShowFontCount(int count);
  void ShowReadRefusal();
  void RefreshAfterDeletion();

  FontListHost& host_;
  MessageBoxes& boxes_;
  std::vector<PrinterRecord*> printers_;
  std::vector<std::string> printerLines_;
  int printer_ = 0;
  int view_ = kAllFonts;

  std::vector<FontEntry> fonts_;
  std::vector<int> rowToEntry_;
  std::vector<Row> rows_;
  unsigned rowsRevision_ = 0;
  std::vector<int> selectedRows_;
  int lastPermanentEntry_ = -1;
  std::string statusText_;
  int32_t readResult_ = 0;
  bool deleteEnabled_ = false;
  bool addFontEnabled_ = true;
};
