// The main window's logic: the run's printers, the checked-list state, the
// description panel and the commands of the window.
//
// It owns the PrinterList, the ModelProfileTable and the SnmpContext for
// the whole run. Everything here runs on the user-interface thread; printer
// reports of the SNMP library reach it through UiThread (see discovery.h),
// and so does the result of a Print Font List job, which is sent on a
// worker thread of its own so that the window keeps answering.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "download/job_port.h"
#include "shell/font_list_job.h"
#include "printers/model_profile.h"
#include "printers/printer_list.h"
#include "snmp/add_printer.h"
#include "snmp/contract/glysnmp.h"
#include "snmp/discovery.h"

class MessageBoxes;
class UiThread;

// What the Resource Manager is opened with: copies made just before it
// opens and owned by the main window until the next command on checked
// printers, so printers found while it runs change nothing it holds.
struct ResourceManagerTargets {
  std::vector<PrinterRecord*> targets;      // copies of the checked printers, in list order
  std::vector<PrinterRecord*> allPrinters;  // copies of every listed printer, in list order
  std::vector<int> checkedIndexes;          // indices of the checked ones in allPrinters, ascending
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
  // While printers are asked off the user-interface thread: the busy
  // cursor over the window and a Cancel that calls CancelWaiting.
  virtual void ShowWaiting(bool waiting) = 0;
  // Opens the Print Font List button's menu; the chosen command, or 0.
  virtual int PopUpFontListMenu() = 0;
  // Opens the "Printer" menu at client position (x, y); the chosen command,
  // or 0.
  virtual int TrackPrinterMenu(int x, int y) = 0;
  // The Add Printer dialog; `findOnSubnet` starts it in the subnet fields.
  virtual void OpenAddPrinter(bool findOnSubnet) = 0;
  // Runs `work` off the user-interface thread; whatever it reports comes
  // back through UiThread. The window waits for it when it closes.
  virtual void RunInBackground(std::function<void()> work) = 0;
  virtual void OpenFontList(PrinterRecord* const* printers, int count) = 0;
  virtual void OpenResourceManager(const ResourceManagerTargets& targets) = 0;
  virtual void OpenCommunityStrings(PrinterRecord& printer) = 0;
  // The "Job Port" dialog for `printer`.
  virtual void OpenJobPort(const PrinterRecord& printer) = 0;
  // The file dialog for a printer list to save or to open; "" when
  // cancelled.
  virtual std::string ChoosePrinterListFile(bool save) = 0;
  virtual void ShowAbout() = 0;
  virtual void OpenHelp(const std::string& path) = 0;
  virtual void Close() = 0;
};

// Sends a job file to a printer through its job port (SubmitJob's shape).
using LprSubmitter = JobSubmitter;

class MainWindowLogic final : public PrinterListOwner {
 public:
  struct Item {
    std::string text;
    bool checked = false;
  };

  MainWindowLogic(MainWindowHost& host, MessageBoxes& boxes, UiThread& uiThread,
                  LprSubmitter submitLpr);
  // Waits for the Print Font List job being sent, if any (its waits are
  // bounded by the LPR time-outs); those not yet begun are left.
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
  // The context menu was asked for (right button, Shift+F10, the Menu key)
  // over the list or the description panel, at client position (x, y).
  void OnContextMenu(int x, int y);
  // Cancel while printers of a list or announced ones are asked: the
  // printers listed until then stay.
  void CancelWaiting();

  // PrinterListOwner. AddPrinter asks the library for the storage options
  // when the profile did not settle them before it lists the printer.
  // SelectItem selects as the user would, and the panel shows that printer.
  int AddPrinter(std::unique_ptr<PrinterRecord> record, const std::string& listText) override;
  void SelectItem(int row) override;
  int itemCount() const override { return static_cast<int>(items_.size()); }
  SnmpContext* snmpContext() override { return &snmpContext_; }
  const ModelProfileTable& profiles() const override { return profiles_; }
  UiThread& uiThread() override { return uiThread_; }
  void RunInBackground(std::function<void()> work) override { host_.RunInBackground(std::move(work)); }
  void ShowStatus(const std::string& text) override;
  std::vector<uint32_t> ListedAddresses() const override;

  // State for the window to show.
  const std::vector<Item>& items() const { return items_; }
  // Bumped whenever items are added or their checks change.
  unsigned itemsRevision() const { return itemsRevision_; }
  int selectedRow() const { return selectedRow_; }
  int horizontalExtent() const { return horizontalExtent_; }
  bool IsEnabled(int controlId) const;
  const std::string& addressText() const { return addressText_; }
  // The status bar: whether the last Print Font List job was sent.
  const std::string& statusText() const { return statusText_; }
  const PrinterList& printers() const { return printers_; }
  // The printer last shown in the description panel, -1 before any.
  int selectedIndex() const { return selectedIndex_; }
  int checkedCount() const { return static_cast<int>(checkedPointers_.size()); }
  // True while Print Font List jobs are being sent; the command waits.
  bool sendingFontList() const { return fontListJob_.joinable(); }
  // True while the printers of a list or announced ones are asked.
  bool waiting() const { return finder_ && finder_->busy(); }

 private:
  void OnPrinterSelectionChanged();
  void ShowPrinterDescription(int index);
  void UpdateCommandButtons();
  bool AnyChecked() const;
  void BuildCheckedPrinters();
  void OpenFontList();
  void OpenResourceManager();
  void PrintFontList();
  // Sends the font list job to each checked printer, or to the selected
  // one when none is checked, one after the other on a thread of its own.
  void PrintPrinterFontList(FontListKind kind);
  struct FontListResult {
    std::string printerName;
    JobPort port;
    JobOutcome outcome;
  };
  void FontListsSent(const std::vector<FontListResult>& results);
  // Removes the checked printers, or the selected one when none is
  // checked, keeping their community strings for when they come back.
  void RemovePrinters();
  // Close, Escape and the close box: with printers listed, asks first and
  // offers to save the list.
  void Quit();
  bool Lists(uint32_t address) const;
  // False when nothing was saved (cancelled, or the file not written).
  bool SavePrinterList();
  void OpenPrinterList();
  void FindAnnouncedPrinters();
  // A new finder_, which ends the wait when it finishes.
  AddPrinterLogic& NewFinder();
  // Shows `status` and the wait for a finder that `started` busy.
  void Wait(AddPrinterLogic::Outcome started, const std::string& status);
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

  // Copies for the commands on checked printers: of every listed printer
  // (the Resource Manager's whole list) and, among them, of the checked ones.
  std::vector<std::unique_ptr<PrinterRecord>> copies_;
  std::vector<PrinterRecord*> checkedPointers_;
  std::vector<int> checkedIndexes_;

  // The community strings of removed printers, by address, given back to
  // a printer that is listed again at that address. The SNMP library keeps
  // their SNMP security and PJL passwords itself, and RunPrinterSettings
  // their job ports.
  std::map<uint32_t, PrinterRecord> removedPrinters_;

  // Asks the printers of a list or the announced ones; kept after it
  // finished, as it is the one that reports the end.
  std::unique_ptr<AddPrinterLogic> finder_;

  std::thread fontListJob_;
  // Tells the job, and a result it posted, whether the window still exists.
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);

  bool commandsEnabled_ = false;  // View/Edit Font List and Manage Resources
  bool printEnabled_ = false;
  bool hardDiskEnabled_ = false;
  bool flashEnabled_ = false;
  std::string addressText_;
  std::string statusText_;
};
