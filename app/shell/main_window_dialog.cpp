#include "shell/main_window_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QMenuBar>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>

#include "download/converter_operations.h"
#include "download/job_folder.h"
#include "download/job_questions_dialog.h"
#include "download/resource_manager_dialog.h"
#include "download/resource_manager_ids.h"
#include "fleet/fleet_fonts_dialog.h"
#include "fleet/fleet_fonts_ids.h"
#include "fonts/font_list_dialog.h"
#include "printers/clock.h"
#include "shell/main_window_ids.h"
#include "snmp/add_printer_dialog.h"
#include "shell/job_port_dialog.h"
#include "snmp/community_strings_dialog.h"
#include "ui/check_list_box.h"
#include "ui/desktop_actions.h"
#include "ui/help_window.h"
#include "ui/popup_menu_button.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

using namespace main_window;

namespace {

constexpr int kStatusBarHeight = 25;

}  // namespace

MainWindowDialog::MainWindowDialog(MessageBoxes& boxes, UiThread& uiThread, LprSubmitter submitLpr,
                                   QWidget* parent)
    : TemplateDialog(kDialog, parent), boxes_(boxes), uiThread_(uiThread), submitLpr_(submitLpr),
      logic_(*this, boxes, uiThread, std::move(submitLpr)) {
  setWindowIcon(LoadResourceIcon(kIcon));
  Bind(kPrinterList, Notification::SelectionChanged,
       [this] { logic_.OnListSelectionChanged(List()->SelectedRow()); });
  Bind(kPrinterList, Notification::CheckChanged, [this] {
    const int row = List()->lastToggledRow();
    logic_.OnListCheckChanged(row, List()->IsChecked(row));
  });
  for (int id : {kAddPrinterButton, kFontListButton, kPrintFontListButton, kManageResourcesButton,
                 kRemovePrinterButton, kAboutButton, kHelpButton, kCloseButton})
    Bind(id, Notification::Clicked, [this, id] { logic_.OnCommand(id); });
  Bind(fleet_fonts::kMainWindowButton, Notification::Clicked, [this] { OpenFleetFonts(); });
  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(QString::number(kStatusBar));
  statusBar_->setSizeGripEnabled(false);
  statusBar_->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
  cancelWait_ = new QPushButton(tr("Cancel"), statusBar_);
  cancelWait_->setObjectName("cancelWait");
  cancelWait_->setMaximumHeight(kStatusBarHeight - 2);
  cancelWait_->hide();
  statusBar_->addPermanentWidget(cancelWait_);
  connect(cancelWait_, &QPushButton::clicked, this, [this] { logic_.CancelWaiting(); });
  BuildMenuBar();
  logic_.Initialize();
  ShowState();
}

MainWindowDialog::~MainWindowDialog() {
  // A printer list being asked stops after the printer it is asking.
  logic_.CancelWaiting();
  for (std::thread& work : background_) work.join();
}

void MainWindowDialog::BuildMenuBar() {
  menuBar_ = LoadMenuBar(kMenuBar, this);
  if (!menuBar_) return;
  for (QMenu* menu : menuBar_->findChildren<QMenu*>()) {
    for (QAction* action : menu->actions()) {
      const int command = action->data().toInt();
      if (command == 0) continue;
      connect(action, &QAction::triggered, this, [this, command] {
        RunMenuCommand(command);
        ShowState();
      });
    }
  }
  SetMenuBar(menuBar_);
}

// Fleet Fonts opens a window of its own; the other commands are the
// logic's.
void MainWindowDialog::RunMenuCommand(int command) {
  if (command == kFleetFonts)
    OpenFleetFonts();
  else
    logic_.OnCommand(command);
}

CheckListBox* MainWindowDialog::List() const { return ControlAs<CheckListBox>(kPrinterList); }

void MainWindowDialog::ShowState() {
  ShowItems();
  for (int id : {kFontListButton, kPrintFontListButton, kManageResourcesButton, kHardDiskLabel, kFlashLabel})
    EnableControl(id, logic_.IsEnabled(id));
  SetControlText(kAddressLabel, ShownFromSingleByte(logic_.addressText()));
  if (statusBar_) statusBar_->showMessage(ShownFromSingleByte(logic_.statusText()));
  EnableControl(kRemovePrinterButton, logic_.IsEnabled(kRemovePrinterButton));
  if (menuBar_)
    for (QMenu* menu : menuBar_->findChildren<QMenu*>())
      for (QAction* action : menu->actions())
        if (const int command = action->data().toInt()) action->setEnabled(logic_.IsEnabled(command));
}

void MainWindowDialog::ShowItems() {
  CheckListBox* list = List();
  if (!list) return;
  // Only what the logic changed is redone; the signals stay quiet because
  // this is the logic's state coming back, not the user's doing.
  const QSignalBlocker quiet(list);
  if (list->count() > static_cast<int>(logic_.items().size())) {
    // Printers were removed: the list is shown afresh.
    list->clear();
    shownRevision_ = logic_.itemsRevision() - 1;
  }
  if (shownRevision_ != logic_.itemsRevision()) {
    // Items join the list one at a time, so new ones are inserted where the
    // shown rows first differ and the rest keep their rows. Rebuilding the
    // list instead would move the scroll position and the current row while
    // the click that checked an item is still being handled, and that click
    // would then select whatever item had come under the pointer.
    const auto& items = logic_.items();
    for (size_t i = 0; i < items.size(); ++i) {
      const int row = static_cast<int>(i);
      const QString text = ShownFromSingleByte(items[i].text);
      if (row >= list->count() || list->item(row)->text() != text)
        list->InsertItem(row, text, items[i].checked);
      else
        list->SetChecked(row, items[i].checked);
    }
    shownRevision_ = logic_.itemsRevision();
  }
  list->SetHorizontalExtent(logic_.horizontalExtent());
  const int row = logic_.selectedRow();
  if (row < 0)
    list->clearSelection();
  else
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

int MainWindowDialog::ListTextWidth(const std::string& text) {
  return List()->fontMetrics().horizontalAdvance(ShownFromSingleByte(text));
}

int MainWindowDialog::ListAverageCharWidth() { return List()->fontMetrics().averageCharWidth(); }

void MainWindowDialog::SetWaitCursor(bool busy) { SetProgramWaitCursor(busy); }

// Only this window shows the wait: its other commands still answer.
void MainWindowDialog::ShowWaiting(bool waiting) {
  if (waiting)
    setCursor(Qt::BusyCursor);
  else
    unsetCursor();
  cancelWait_->setVisible(waiting);
}

int MainWindowDialog::PopUpFontListMenu() {
  auto* button = ControlAs<PopupMenuButton>(kPrintFontListButton);
  return button ? button->PopUp() : 0;
}

int MainWindowDialog::TrackPrinterMenu(int x, int y) {
  std::unique_ptr<QMenu> menu = LoadPopupMenu(kPrinterMenu, 0);
  if (!menu) return 0;
  for (QAction* action : menu->actions())
    if (const int command = action->data().toInt()) action->setEnabled(logic_.IsEnabled(command));
  return TrackMenu(*menu, mapToGlobal(QPoint(x, y)));
}

void MainWindowDialog::OpenAddPrinter(bool findOnSubnet) {
  AddPrinterDialog dialog(logic_, boxes_, this, findOnSubnet);
  dialog.exec();
}

void MainWindowDialog::RunInBackground(std::function<void()> work) { background_.emplace_back(std::move(work)); }

// Add Font in the font list opens the Resource Manager for the printer
// shown, whose printer list cannot be edited from there.
void MainWindowDialog::OpenFontList(PrinterRecord* const* printers, int count) {
  FontListDialog dialog(boxes_, logic_.uiThread(), SystemClock(),
                        std::vector<PrinterRecord*>(printers, printers + count), this,
                        [this](PrinterRecord& printer, QWidget* parent) {
                          RunResourceManager({&printer}, {&printer}, false, parent);
                        });
  dialog.exec();
}

void MainWindowDialog::OpenResourceManager(const ResourceManagerTargets& targets) {
  RunResourceManager(targets.targets, targets.allPrinters, true, this);
}

void MainWindowDialog::OpenFleetFonts() {
  std::vector<PrinterRecord*> checked;
  for (int i = 0; i < logic_.itemCount() && i < logic_.printers().count(); ++i)
    if (logic_.items()[static_cast<size_t>(i)].checked) checked.push_back(logic_.printers().at(i));
  if (checked.empty()) {
    boxes_.Show(kSelectPrinterText);
    return;
  }
  FleetFontsDialog dialog(boxes_, checked,
                          [this](const std::vector<PrinterRecord*>& printers, const std::vector<std::string>& files,
                                 StorageLocation location, QWidget* parent) {
                            RunResourceManager(printers, printers, false, parent, files, location);
                          },
                          this);
  dialog.exec();
}

void MainWindowDialog::RunResourceManager(const std::vector<PrinterRecord*>& targets,
                                          const std::vector<PrinterRecord*>& allPrinters,
                                          bool editListAllowed, QWidget* parent,
                                          const std::vector<std::string>& files, StorageLocation location) {
  // The job files live while the Resource Manager does: its download
  // worker has ended when the dialog is gone.
  const JobFolder jobs;
  JobQuestionsDialogs questions(parent);
  ResourceManagerDialog dialog({boxes_, questions, uiThread_, ConverterLibrary(), SystemClock(), submitLpr_,
                                jobs.path()},
                               targets, allPrinters, editListAllowed, parent);
  if (!files.empty()) {
    dialog.logic().AddFiles(files);
    if (location == kFlashMemory) dialog.logic().OnCommand(resource_manager::kFlashMemoryRadio);
  }
  dialog.exec();
}

void MainWindowDialog::OpenCommunityStrings(PrinterRecord& printer) {
  CommunityStringsDialog dialog(printer, this);
  dialog.exec();
}

void MainWindowDialog::OpenJobPort(const PrinterRecord& printer) {
  JobPortDialog dialog(printer, this);
  dialog.exec();
}

std::string MainWindowDialog::ChoosePrinterListFile(bool save) {
  const QString filter = ResourceText(kPrinterListFilterText);
  const QString path = save ? QFileDialog::getSaveFileName(this, QString(), "printers.txt", filter)
                            : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
  return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

void MainWindowDialog::ShowAbout() {
  TemplateDialog about(kAboutDialog, this);
  about.exec();
}

void MainWindowDialog::OpenHelp(const std::string& path) { ShowHelp(path, help_page::kMainWindow, this); }

void MainWindowDialog::Close() { QDialog::done(QDialog::Rejected); }

// The list and the description panel ignore the event, so it comes here
// from anywhere over them.
void MainWindowDialog::contextMenuEvent(QContextMenuEvent* event) {
  // Shift+F10 and the Menu key are handled as keys.
  if (event->reason() == QContextMenuEvent::Keyboard) return;
  const QPoint at = event->pos();
  QRect over = List()->geometry();
  for (const QGroupBox* group : findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) over |= group->geometry();
  if (!over.contains(at)) return;
  logic_.OnContextMenu(at.x(), at.y());
  ShowState();
}

void MainWindowDialog::keyPressEvent(QKeyEvent* event) {
  const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
  if (!shiftF10 && event->key() != Qt::Key_Menu) {
    TemplateDialog::keyPressEvent(event);
    return;
  }
  event->accept();
  OpenContextMenuFromKeyboard();
}

void MainWindowDialog::OpenContextMenuFromKeyboard() {
  CheckListBox* list = List();
  const QListWidgetItem* current = list->currentItem();
  const QRect row = current ? list->visualItemRect(current) : QRect();
  const QPoint inList = current ? row.bottomLeft() + QPoint(16, 0) : QPoint(16, 16);
  const QPoint at = list->viewport()->mapTo(this, inList);
  logic_.OnContextMenu(at.x(), at.y());
  ShowState();
}
