// The main window: dialog 102 from the resource library, showing what
// MainWindowLogic says and forwarding its controls' events to it.
#pragma once

#include <thread>
#include <vector>

#include "download/download_job.h"
#include "shell/main_window_logic.h"
#include "ui/template_dialog.h"

class CheckListBox;
class QMenuBar;
class QPushButton;
class QStatusBar;

class MainWindowDialog final : public TemplateDialog, public MainWindowHost {
  Q_OBJECT
 public:
  MainWindowDialog(MessageBoxes& boxes, UiThread& uiThread, LprSubmitter submitLpr,
                   QWidget* parent = nullptr);
  // Stops asking printers and waits for the work still running in the
  // background.
  ~MainWindowDialog() override;

  MainWindowLogic& logic() { return logic_; }

  // MainWindowHost
  void StateChanged() override { ShowState(); }
  int ListTextWidth(const std::string& text) override;
  int ListAverageCharWidth() override;
  void SetWaitCursor(bool busy) override;
  void ShowWaiting(bool waiting) override;
  int PopUpFontListMenu() override;
  int TrackPrinterMenu(int x, int y) override;
  void OpenAddPrinter(bool findOnSubnet) override;
  void RunInBackground(std::function<void()> work) override;
  void OpenFontList(PrinterRecord* const* printers, int count) override;
  void OpenResourceManager(const ResourceManagerTargets& targets) override;
  void OpenCommunityStrings(PrinterRecord& printer) override;
  void OpenJobPort(const PrinterRecord& printer) override;
  std::string ChoosePrinterListFile(bool save) override;
  void ShowAbout() override;
  void OpenHelp(const std::string& path) override;
  void Close() override;

 protected:
  void ShowState() override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowItems();
  CheckListBox* List() const;
  void BuildMenuBar();
  void RunMenuCommand(int command);
  // The context menu from the keyboard: at the current row of the list.
  void OpenContextMenuFromKeyboard();
  // With `files`, the Resource Manager opens with them listed, for `location`.
  void RunResourceManager(const std::vector<PrinterRecord*>& targets,
                          const std::vector<PrinterRecord*>& allPrinters, bool editListAllowed,
                          QWidget* parent, const std::vector<std::string>& files = {},
                          StorageLocation location = kHardDisk);
  void OpenFleetFonts();

  MessageBoxes& boxes_;
  UiThread& uiThread_;
  LprSubmitter submitLpr_;  // the Resource Manager's downloads send with it too
  MainWindowLogic logic_;
  unsigned shownRevision_ = 0;
  QStatusBar* statusBar_ = nullptr;
  QPushButton* cancelWait_ = nullptr;  // in the status bar while printers are asked
  QMenuBar* menuBar_ = nullptr;
  std::vector<std::thread> background_;
};
