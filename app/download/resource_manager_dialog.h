// The Resource Manager: dialog 129 from the resource library, showing what
// ResourceManagerLogic says and forwarding its controls' events to it. The
// list of resources is a report list; the status bar is made here.
#pragma once

#include "download/resource_manager_logic.h"
#include "ui/template_dialog.h"

class QLabel;
class QListWidget;
class QTreeWidget;

class ResourceManagerDialog final : public TemplateDialog, public ResourceManagerHost {
  Q_OBJECT
 public:
  // `services` are those of ResourceManagerLogic; the printers are copied.
  ResourceManagerDialog(ResourceManagerServices services, const std::vector<PrinterRecord*>& targets,
                        const std::vector<PrinterRecord*>& allPrinters, bool editListAllowed = true,
                        QWidget* parent = nullptr);

  ResourceManagerLogic& logic() { return logic_; }

  // ResourceManagerHost
  void StateChanged() override { ShowState(); }
  std::vector<std::string> ChooseResourceFiles() override;
  std::string ChooseExportFile() override;
  void ShowText(const std::string& text) override;
  void SetWaitCursor(bool busy) override;
  void OpenEditPrinterList() override;
  void OpenHelp(const std::string& path) override;
  void Close() override;

 protected:
  void ShowState() override;

 private:
  void CreateColumns();
  void CreateStatusBar();
  void ShowPrinters();
  void ShowRows();
  std::vector<int> SelectedRows() const;
  QListWidget* Printers() const;
  QTreeWidget* Resources() const;

  MessageBoxes& boxes_;
  ResourceManagerLogic logic_;
  std::vector<QLabel*> statusParts_;
};
