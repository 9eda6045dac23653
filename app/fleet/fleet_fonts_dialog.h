// The Fleet Fonts window: a table of resources by printers, showing what
// FleetFontsLogic says and forwarding its controls' events to it.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "download/job_folder.h"
#include "fleet/fleet_fonts_logic.h"
#include "ui/qt_ui_thread.h"

class MessageBoxes;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// Sends `paths` to `printers` (stored at `location`) through the Resource
// Manager, modal to `parent`.
using FleetDownloader = std::function<void(const std::vector<PrinterRecord*>& printers,
                                           const std::vector<std::string>& paths, StorageLocation location,
                                           QWidget* parent)>;

class FleetFontsDialog final : public QDialog, public FleetFontsHost {
  Q_OBJECT
 public:
  // The printers are copied; their fonts are read as soon as the window opens.
  FleetFontsDialog(MessageBoxes& boxes, const std::vector<PrinterRecord*>& printers, FleetDownloader download,
                   QWidget* parent = nullptr);

  FleetFontsLogic& logic() { return *logic_; }

  // FleetFontsHost
  void StateChanged() override;
  std::string ChooseSetFile() override;
  std::string ChooseCsvFile() override;
  void ShowText(const std::string& text) override;
  void Download(const std::vector<size_t>& printers, const std::vector<std::string>& paths,
                StorageLocation location) override;

 private:
  void SelectionChanged();

  MessageBoxes& boxes_;
  FleetDownloader download_;
  std::vector<PrinterRecord> printers_;
  QtUiThread uiThread_;
  JobFolder jobs_;
  QLineEdit* filter_ = nullptr;
  QTableWidget* table_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* download_button_ = nullptr;
  // Last, so that it goes first: its reading ends before the window's parts go.
  std::unique_ptr<FleetFontsLogic> logic_;
};
