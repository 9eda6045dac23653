#include "fonts/font_list_dialog.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTreeWidget>

#include "fonts/delete_fonts_dialog.h"
#include "fonts/font_list_ids.h"
#include "fonts/font_list_report.h"
#include "fonts/list_report.h"
#include "printers/app_directory.h"
#include "ui/help_window.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"
#include "fonts/qt/tree_report_list.h"

using namespace font_list;

namespace {

constexpr int kStatusBarHeight = 25;

}  // namespace

FontListDialog::FontListDialog(MessageBoxes& boxes, UiThread& uiThread, Clock& clock,
                               std::vector<PrinterRecord*> printers, QWidget* parent,
                               ResourceManagerOpener openResourceManager)
    : TemplateDialog(kDialog, parent), boxes_(boxes), uiThread_(uiThread), clock_(clock),
      openResourceManager_(std::move(openResourceManager)), logic_(*this, boxes, std::move(printers)) {
  if (QTreeWidget* table = Table()) {
    QStringList headings;
    for (int id : kFontColumnHeadings) headings << ResourceText(id);
    table->setHeaderLabels(headings);
    for (int column = 0; column < kFontColumnCount; ++column)
      table->setColumnWidth(column, kFontColumnWidths[column]);
  }
  logic_.Initialize();
  if (auto* views = ControlAs<QComboBox>(kViewCombo)) {
    const QSignalBlocker quiet(views);
    for (const char* text : kFontViewTexts) views->addItem(FromSingleByte(text));
  }
  if (auto* printerBox = ControlAs<QComboBox>(kPrinterCombo)) {
    const QSignalBlocker quiet(printerBox);
    for (const std::string& line : logic_.printerLines()) printerBox->addItem(ShownFromSingleByte(line));
  }
  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(QString::number(kStatusBar));
  statusBar_->setSizeGripEnabled(false);
  statusBar_->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);

  Bind(kViewCombo, Notification::SelectionChanged,
       [this] { logic_.OnViewChanged(ControlAs<QComboBox>(kViewCombo)->currentIndex()); });
  Bind(kPrinterCombo, Notification::SelectionChanged,
       [this] { logic_.OnPrinterChanged(ControlAs<QComboBox>(kPrinterCombo)->currentIndex()); });
  Bind(kFontTable, Notification::SelectionChanged, [this] { logic_.OnRowsSelected(SelectedRows()); });
  Bind(kDeleteButton, Notification::Clicked, [this] { logic_.OnDeleteFont(); });
  Bind(kAddFontButton, Notification::Clicked, [this] { logic_.OnAddFont(); });
  Bind(kPrintReportButton, Notification::Clicked, [this] { PrintReport(); });
  Bind(kHelpButton, Notification::Clicked, [this] { ShowHelp(AppDataFilePath(kHelpFileName), help_page::kFontList, this); });
  ShowState();
}

QTreeWidget* FontListDialog::Table() const { return ControlAs<QTreeWidget>(kFontTable); }

std::vector<int> FontListDialog::SelectedRows() const {
  std::vector<int> rows;
  QTreeWidget* table = Table();
  for (int row = 0; row < table->topLevelItemCount(); ++row)
    if (table->topLevelItem(row)->isSelected()) rows.push_back(row);
  return rows;
}

void FontListDialog::ShowState() {
  ShowRows();
  for (int id : {kDeleteButton, kAddFontButton}) EnableControl(id, logic_.IsEnabled(id));
  if (statusBar_) statusBar_->showMessage(ShownFromSingleByte(logic_.statusText()));
}

void FontListDialog::ShowRows() {
  QTreeWidget* table = Table();
  if (!table || shownRevision_ == logic_.rowsRevision()) return;
  const QSignalBlocker quiet(table);
  table->clear();
  QList<QTreeWidgetItem*> items;
  for (const FontListLogic::Row& row : logic_.rows()) {
    auto* item = new QTreeWidgetItem;
    for (int column = 0; column < kFontColumnCount; ++column) item->setText(column, ShownFromSingleByte(row.cells[column]));
    item->setData(0, Qt::UserRole, row.index);
    items << item;
  }
  table->addTopLevelItems(items);
  shownRevision_ = logic_.rowsRevision();
}

int FontListDialog::RunDeleteFonts(PrinterRecord& printer, const std::vector<FontEntry>& fonts) {
  DeleteFontsDialog dialog(boxes_, uiThread_, clock_, printer, fonts, this);
  dialog.exec();
  return dialog.deletedCount();
}

void FontListDialog::PrintReport() {
  const QTreeWidget* table = Table();
  if (!table) return;
  const TreeReportList list(*table);
  PrintJobDialogs windows(this, runPrintDialog_);
  ListReport report(windows, boxes_, clock_, &list);
  report.SetTitle(FontListReportTitle(logic_.shownPrinter()));
  report.SetSubtitle(FontListReportSubtitle(logic_.shownPrinter(), std::time(nullptr)));
  report.Run();
}
