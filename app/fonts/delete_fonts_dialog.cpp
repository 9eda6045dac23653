#include "fonts/delete_fonts_dialog.h"

#include <QCloseEvent>
#include <QTreeWidget>

#include "fonts/font_list_ids.h"
#include "fonts/font_rows.h"
#include "ui/message_boxes.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

using namespace delete_fonts;

namespace {

constexpr int kColumnWidths[] = {200, 95, 200};
constexpr int kStatusColumn = 2;

}  // namespace

DeleteFontsDialog::DeleteFontsDialog(MessageBoxes& boxes, UiThread& uiThread, Clock& clock,
                                     PrinterRecord& printer, std::vector<FontEntry> fonts, QWidget* parent)
    : TemplateDialog(kDialog, parent), logic_(*this, boxes, uiThread, clock, printer, std::move(fonts)) {
  QTreeWidget* table = Table();
  if (table) {
    table->setHeaderLabels({ResourceText(kFontNameHeading), ResourceText(kFontTypeHeading),
                            ResourceText(kStatusHeading)});
    for (int column = 0; column < 3; ++column) table->setColumnWidth(column, kColumnWidths[column]);
    table->setSelectionMode(QAbstractItemView::NoSelection);
  }
  Bind(kCancelButton, Notification::Clicked, [this] { logic_.OnCancel(); });
  Bind(kCloseButton, Notification::Clicked, [this] { logic_.OnClose(); });
  logic_.Initialize();
  SetControlText(kPrinterText, ShownFromSingleByte(logic_.printerText()));
  if (table) {
    for (const FontEntry& font : logic_.fonts())
      table->addTopLevelItem(new QTreeWidgetItem(
          {ShownFromSingleByte(FontName(font)), ShownFromSingleByte(FontTypeText(font)), QString()}));
  }
  ShowState();
}

QTreeWidget* DeleteFontsDialog::Table() const { return ControlAs<QTreeWidget>(kFontTable); }

void DeleteFontsDialog::ShowState() {
  QTreeWidget* table = Table();
  if (!table) return;
  const auto& statuses = logic_.statuses();
  for (int row = 0; row < table->topLevelItemCount() && row < static_cast<int>(statuses.size()); ++row)
    table->topLevelItem(row)->setText(kStatusColumn, DeleteStatusText(statuses[row]));
}

void DeleteFontsDialog::Close(int result) { done(result == IDOK ? QDialog::Accepted : QDialog::Rejected); }

void DeleteFontsDialog::closeEvent(QCloseEvent* event) {
  // The logic ends the dialog itself once it may close.
  event->ignore();
  logic_.OnClose();
  ShowState();
}
