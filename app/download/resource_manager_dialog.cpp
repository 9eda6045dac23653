#include "download/resource_manager_dialog.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTreeWidget>

#include "download/resource_manager_ids.h"
#include "download/edit_printer_list_dialog.h"
#include "ui/desktop_actions.h"
#include "ui/help_window.h"
#include "ui/qt_message_boxes.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

using namespace resource_manager;

namespace {

constexpr int kColumnWidth = 120;
constexpr int kStatusBarHeight = 25;
constexpr int kStatusPartCount = 4;

// The first filter, chosen when the dialog opens, shows every kind at once.
constexpr char kResourceFilter[] =
    "All resource files (*.pfa *.pfb *.hpp *.sfl *.sfs *.sfp *.ttf *.pcl *.frm *.prn);;"
    "PostScript Font Files (*.pfa *.pfb);;PCL Font Files (*.hpp *.sfl *.sfs *.sfp);;"
    "True Type Fonts (*.ttf);;PCL Macros (*.pcl);;PostScript Form Files (*.frm);;Print Files (*.prn);;"
    "All Files (*)";
constexpr char kPrintFileFilter[] = "Print Files (*.prn)";

std::string ToLocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

ResourceManagerDialog::ResourceManagerDialog(ResourceManagerServices services,
                                             const std::vector<PrinterRecord*>& targets,
                                             const std::vector<PrinterRecord*>& allPrinters,
                                             bool editListAllowed, QWidget* parent)
    : TemplateDialog(kDialog, parent),
      boxes_(services.boxes),
      logic_(*this, std::move(services), targets, allPrinters, editListAllowed) {
  CreateColumns();
  CreateStatusBar();
  for (int id : {kAddButton, kRemoveButton, kEditPrinterListButton, kHardDiskRadio, kFlashMemoryRadio,
                 kDownloadButton, kStopButton, kExportButton, kCloseButton, kCancelButton, kHelpButton})
    Bind(id, Notification::Clicked, [this, id] { logic_.OnCommand(id); });
  Bind(kSelectedPrinters, Notification::SelectionChanged,
       [this] { logic_.OnPrinterSelectionChanged(Printers()->currentRow()); });
  Bind(kResourceList, Notification::SelectionChanged, [this] { logic_.OnRowSelectionChanged(SelectedRows()); });
  ShowState();
}

QListWidget* ResourceManagerDialog::Printers() const { return ControlAs<QListWidget>(kSelectedPrinters); }
QTreeWidget* ResourceManagerDialog::Resources() const { return ControlAs<QTreeWidget>(kResourceList); }

void ResourceManagerDialog::CreateColumns() {
  QTreeWidget* list = Resources();
  if (!list) return;
  QStringList headings;
  for (int id : {kFileNameHeading, kFontNameHeading, kResourceTypeHeading}) headings << ResourceText(id);
  // After a download, one column per printer it served, the one being
  // served marked; otherwise the status column the export fills.
  const auto& results = logic_.results();
  if (results.empty()) {
    headings << ResourceText(kPersistanceHeading);
  } else {
    const auto& printers = logic_.resultPrinters();
    for (size_t p = 0; p < results.size(); ++p)
      headings << (static_cast<int>(p) == logic_.currentPrinter() ? QStringLiteral("\u25B6 ") : QString()) +
                      ShownFromSingleByte(p < printers.size() ? printers[p] : std::string());
  }
  QStringList shown;
  for (int column = 0; column < list->columnCount(); ++column) shown << list->headerItem()->text(column);
  if (shown == headings) return;
  const int before = list->columnCount();
  list->setHeaderLabels(headings);
  for (int column = before; column < headings.size(); ++column) list->setColumnWidth(column, kColumnWidth);
}

void ResourceManagerDialog::CreateStatusBar() {
  auto* bar = new QStatusBar(this);
  bar->setObjectName(QString::number(kStatusBar));
  bar->setSizeGripEnabled(false);
  bar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
  // Four equal parts: their right edges at a quarter, a half and three
  // quarters of the width, the last one to the edge.
  for (int i = 0; i < kStatusPartCount; ++i) {
    auto* part = new QLabel(bar);
    bar->addWidget(part, 1);
    statusParts_.push_back(part);
  }
}

void ResourceManagerDialog::ShowState() {
  ShowPrinters();
  CreateColumns();
  ShowRows();
  for (int id : {kAddButton, kRemoveButton, kEditPrinterListButton, kHardDiskRadio, kFlashMemoryRadio,
                 kDownloadButton, kStopButton, kExportButton})
    EnableControl(id, logic_.IsEnabled(id));
  const int checked = logic_.downloadLocation() == kFlashMemory ? kFlashMemoryRadio : kHardDiskRadio;
  if (auto* radio = ControlAs<QAbstractButton>(checked)) radio->setChecked(true);
  const std::vector<std::string> parts = logic_.StatusParts();
  for (size_t i = 0; i < statusParts_.size() && i < parts.size(); ++i)
    statusParts_[i]->setText(ShownFromSingleByte(parts[i]));
}

void ResourceManagerDialog::ShowPrinters() {
  QListWidget* list = Printers();
  if (!list) return;
  const QSignalBlocker quiet(list);
  const std::vector<std::string> entries = logic_.PrinterEntries();
  bool same = list->count() == static_cast<int>(entries.size());
  for (int i = 0; same && i < list->count(); ++i)
    same = list->item(i)->text() == ShownFromSingleByte(entries[static_cast<size_t>(i)]);
  if (!same) {
    list->clear();
    for (const std::string& entry : entries) list->addItem(ShownFromSingleByte(entry));
  }
  list->setCurrentRow(logic_.selectedPrinter());
}

void ResourceManagerDialog::ShowRows() {
  QTreeWidget* list = Resources();
  if (!list) return;
  const QSignalBlocker quiet(list);
  const auto& rows = logic_.rows();
  // Rows are only appended or removed while no download runs; a removal
  // rebuilds the list, status changes only rewrite cells.
  if (list->topLevelItemCount() > static_cast<int>(rows.size())) list->clear();
  const auto& results = logic_.results();
  for (size_t i = 0; i < rows.size(); ++i) {
    const ResourceRow& texts = rows[i].texts;
    QTreeWidgetItem* item = list->topLevelItem(static_cast<int>(i));
    if (!item) item = new QTreeWidgetItem(list);
    std::vector<std::string> cells = {texts.fileName, texts.fontName, texts.typeText};
    if (results.empty()) cells.push_back(texts.status);
    for (const auto& printer : results) cells.push_back(i < printer.size() ? OutcomeText(printer[i]) : std::string());
    for (size_t column = 0; column < cells.size(); ++column) {
      const QString text = ShownFromSingleByte(cells[column]);
      if (item->text(static_cast<int>(column)) != text) item->setText(static_cast<int>(column), text);
    }
  }
}

std::vector<int> ResourceManagerDialog::SelectedRows() const {
  std::vector<int> rows;
  if (const QTreeWidget* list = Resources())
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      if (list->topLevelItem(i)->isSelected()) rows.push_back(i);
  return rows;
}

std::vector<std::string> ResourceManagerDialog::ChooseResourceFiles() {
  std::vector<std::string> paths;
  for (const QString& path : QFileDialog::getOpenFileNames(this, {}, {}, kResourceFilter))
    paths.push_back(ToLocalPath(path));
  return paths;
}

std::string ResourceManagerDialog::ChooseExportFile() {
  QFileDialog dialog(this, {}, {}, kPrintFileFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("prn");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return ToLocalPath(dialog.selectedFiles().front());
}

void ResourceManagerDialog::ShowText(const std::string& text) {
  QtMessageBoxes::ShowText(this, ShownFromSingleByte(text));
}

void ResourceManagerDialog::SetWaitCursor(bool busy) { SetProgramWaitCursor(busy); }

void ResourceManagerDialog::OpenEditPrinterList() {
  EditPrinterListDialog dialog(logic_, this);
  dialog.exec();
}

void ResourceManagerDialog::OpenHelp(const std::string& path) { ShowHelp(path, help_page::kResourceManager, this); }

void ResourceManagerDialog::Close() { QDialog::done(QDialog::Accepted); }
