#include "fleet/fleet_fonts_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "download/converter_operations.h"
#include "fleet/fleet_fonts_ids.h"
#include "ui/message_boxes.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

using namespace fleet_fonts;

FleetFontsDialog::FleetFontsDialog(MessageBoxes& boxes, const std::vector<PrinterRecord*>& printers,
                                   FleetDownloader download, QWidget* parent)
    : QDialog(parent), boxes_(boxes), download_(std::move(download)) {
  for (const PrinterRecord* printer : printers) printers_.push_back(*printer);
  setWindowTitle(ResourceText(kTitleText));
  auto* openSet = new QPushButton(ResourceText(kOpenSetText));
  filter_ = new QLineEdit;
  auto* top = new QHBoxLayout;
  top->addWidget(openSet);
  top->addWidget(new QLabel(ResourceText(kFilterText)));
  top->addWidget(filter_, 1);
  table_ = new QTableWidget;
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setSelectionBehavior(QAbstractItemView::SelectItems);
  // A printer's column is as wide as its name.
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  progress_ = new QProgressBar;
  stop_ = new QPushButton(ResourceText(kStopText));
  download_button_ = new QPushButton(ResourceText(kDownloadText));
  auto* saveCsv = new QPushButton(ResourceText(kSaveCsvText));
  auto* close = new QPushButton(ResourceText(kCloseText));
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(progress_, 1);
  for (QPushButton* button : {stop_, download_button_, saveCsv, close}) bottom->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(table_, 1);
  layout->addLayout(bottom);
  resize(760, 480);

  logic_ = std::make_unique<FleetFontsLogic>(*this, uiThread_, ConverterLibrary(), jobs_.path(), printers_);
  connect(openSet, &QPushButton::clicked, this, [this] { logic_->OnOpenSet(); });
  connect(filter_, &QLineEdit::textChanged, this,
          [this](const QString& text) { logic_->OnFilterChanged(ToSingleByte(text).value_or(std::string())); });
  connect(stop_, &QPushButton::clicked, this, [this] { logic_->OnStop(); });
  connect(download_button_, &QPushButton::clicked, this, [this] { logic_->OnDownload(); });
  connect(saveCsv, &QPushButton::clicked, this, [this] { logic_->OnSaveCsv(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
  logic_->Start();
}

void FleetFontsDialog::StateChanged() {
  const FleetFontsLogic& logic = *logic_;
  const QSignalBlocker blocker(table_);
  QStringList columns;
  for (const std::string& column : logic.columns()) columns << ShownFromSingleByte(column);
  table_->setColumnCount(columns.size());
  table_->setHorizontalHeaderLabels(columns);
  table_->setRowCount(static_cast<int>(logic.rows().size()));
  QStringList rows;
  for (size_t r = 0; r < logic.rows().size(); ++r) {
    const FleetFontsLogic::Row& row = logic.rows()[r];
    rows << ShownFromSingleByte(row.name);
    for (size_t c = 0; c < row.cells.size(); ++c) {
      QTableWidgetItem* item = table_->item(static_cast<int>(r), static_cast<int>(c));
      if (!item) {
        item = new QTableWidgetItem;
        table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
      }
      item->setText(QString::fromLatin1(row.cells[c]));
    }
  }
  table_->setVerticalHeaderLabels(rows);
  filter_->setEnabled(!logic.setOpen());
  progress_->setRange(0, logic.total());
  progress_->setValue(logic.arrived());
  stop_->setEnabled(logic.running());
  download_button_->setEnabled(logic.downloadEnabled());
}

void FleetFontsDialog::SelectionChanged() {
  std::vector<FleetCell> cells;
  for (const QModelIndex& index : table_->selectionModel()->selectedIndexes()) cells.push_back({index.row(), index.column()});
  logic_->OnCellsSelected(std::move(cells));
}

std::string FleetFontsDialog::ChooseSetFile() {
  const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), ResourceText(kSetFilterText));
  return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

std::string FleetFontsDialog::ChooseCsvFile() {
  const QString path = QFileDialog::getSaveFileName(this, QString(), "fleet.csv", ResourceText(kCsvFilterText));
  return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

void FleetFontsDialog::ShowText(const std::string& text) { boxes_.ShowMessage(text); }

void FleetFontsDialog::Download(const std::vector<size_t>& printers, const std::vector<std::string>& paths,
                                StorageLocation location) {
  std::vector<PrinterRecord*> targets;
  for (size_t p : printers) targets.push_back(&printers_[p]);
  if (download_) download_(targets, paths, location, this);
}
