// The main window's logic: the run's printers, the checked-list state, the
// description panel and the commands of the window.
//
// It owns the PrinterList, the ModelProfileTable and the SnmpContext for
// the whole run. Everything here runs on the user-interface thread; printer
// reports of the SNMP library reach it through UiThread (see discovery.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/model_profile.h"
#include "shell/printer_list.h"
#include "snmp/contract/glysnmp.h"

class MessageBoxes;
class UiThread;

// What the Resource Manager is opened with.
struct ResourceManagerTargets {
  PrinterRecord* const* targets;  // copies of the checked printers, owned by the main window
  int targetCount;
  PrinterRecord* const* allPrinters;  // the list's own records
  int allPrinterCount;
  std::vector<int> checkedIndexes;  // list indices of the checked items, ascending
};

// What the logic needs from its window.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // The list, the enabled controls or a text changed: show them again.
  virtual void StateChanged() = 0;
  // Widths in pixels in the list box's font.
  virtual int ListTextWidth(const std::string& text) = 0;
  virtual int ListAverageCharWidth() = 0;
  virtual void SetWaitCursor(bool busy) = 0;
  // Opens the Print Font List button's menu; the chosen command, or 0.
  virtual int PopUpFontListMenu() = 0;
  // Opens the "Printer" menu at client position (x, y); the chosen command,
  // or 0.
  virtual int TrackPrinterMenu(int x, int y) = 0;
  virtual void OpenAddPrinter() = 0;
  virtual void OpenFontList(PrinterRecord* const* printers, int count) = 0;
  virtual void OpenResourceManager(const ResourceManagerTargets& targets) = 0;
  virtual void OpenCommunityStrings(PrinterRecord& printer) = 0;
  virtual void ShowAbout() = 0;
  virtual void OpenHelp(const std::string& path) = 0;
  virtual void Close() = 0;
};

// Sends a job file to a printer's LPR queue (SubmitLprJob's shape).
using LprSubmitter =
    std::function<int(const char* address, const char* jobFile, const char* hostName, int jobNumber)>;

enum class FontListKind { PostScript, Pcl };

// The help file in the program directory.
inline constexpr char kHelpFileName[] = "Gly.html";

class MainWindowLogic {
 public:
  struct Item {
    std::string text;
    bool checked = false;
  };

  MainWindowLogic(MainWindowHost& host, MessageBoxes& boxes, UiThread& uiThread,
                  LprSubmitter submitLpr);
  ~MainWindowLogic();
  MainWindowLogic(const MainWindowLogic&) = delete;
  MainWindowLogic& operator=(const MainWindowLogic&) = delete;

  // Reads the model profiles, then starts the SNMP library's context with
  // this window as the context of its printer reports.
  void Initialize(const char* profileFileName = kModelProfileFileName);

  // Events of the window.
  void OnCommand(int id);
  // The list's selection moved to `row` (-1: none).
  void OnListSelectionChanged(int row);
  void OnListCheckChanged(int row, bool checked);
  void OnRightButtonDown(int x, int y);

  // Adding printers (printer discovery). AddPrinter asks the library for the
  // storage options when the profile did not settle them, puts `listText`
  // at its sorted place and the record at the same place of the printer
  // list, and returns that place.
  int AddPrinter(std::unique_ptr<PrinterRecord> record, const std::string& listText);
  // Selects item `row` (-1 or out of range: none) without running the
  // selection handler, as a program-made selection does.
  void SelectItem(int row);
  int itemCount() const { return static_cast<int>(items_.size()); }
  SnmpContext* snmpContext() { return &snmpContext_; }
  const ModelProfileTable& profiles() const { return profiles_; }
  UiThread& uiThread() { return uiThread_; }

  // State for the window to show.
  const std::vector<Item>& items() const { return items_; }
  // Bumped whenever items are added or their checks change.
  unsigned itemsRevision() const { return itemsRevision_; }
  int selectedRow() const { return selectedRow_; }
  int horizontalExtent() const { return horizontalExtent_; }
  bool IsEnabled(int controlId) const;
  const std::string& addressText() const { return addressText_; }
  const PrinterList& printers() const { return printers_; }
  // The printer last shown in the description panel, -1 before any.
  int selectedIndex() const { return selectedIndex_; }
  int checkedCount() const { return static_cast<int>(checkedCopies_.size()); }

 private:
  void OnPrinterSelectionChanged();
  void ShowPrinterDescription(int index);
  void UpdateCommandButtons();
  bool AnyChecked() const;
  void BuildCheckedPrinters();
  void OpenFontList();
  void OpenResourceManager();
  void PrintFontList();
  void PrintPrinterFontList(FontListKind kind);
  int SortedPosition(const std::string& text) const;

  MainWindowHost& host_;
  MessageBoxes& boxes_;
  UiThread& uiThread_;
  LprSubmitter submitLpr_;

  PrinterList printers_;
  ModelProfileTable profiles_;
  SnmpContext snmpContext_{};

  std::vector<Item> items_;
  unsigned itemsRevision_ = 0;
  int selectedRow_ = -1;
  int selectedIndex_ = -1;
  int horizontalExtent_ = 0;

  std::vector<std::unique_ptr<PrinterRecord>> checkedCopies_;
  std::vector<PrinterRecord*> checkedPointers_;

  bool commandsEnabled_ = false;  // View/Edit Font List and Manage Resources
  bool printEnabled_ = false;
  bool hardDiskEnabled_ = false;
  bool flashEnabled_ = false;
  std::string addressText_;
};
