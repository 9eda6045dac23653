#include "fonts/print_job_dialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QWindow>

#include "fonts/print_progress_dialog.h"
#include "fonts/qt/qt_printer_device.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

using namespace print_progress;

namespace {

QWidget* TopOf(QWidget* widget) {
  while (widget && widget->parentWidget()) widget = widget->parentWidget();
  return widget;
}

}  // namespace

bool RunSystemPrintDialog(QPrinter& printer, int minPage, int maxPage, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setMinMax(minPage, maxPage);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  printer.setPrintRange(QPrinter::AllPages);
  return dialog.exec() == QDialog::Accepted;
}

PrintJobDialogs::PrintJobDialogs(QWidget* owner, PrintDialogRunner runPrintDialog)
    : owner_(owner), main_(TopOf(owner)), runPrintDialog_(std::move(runPrintDialog)) {}

PrintJobDialogs::~PrintJobDialogs() = default;

bool PrintJobDialogs::ChoosePrinter(PrintInfo& info) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (!runPrintDialog_(*printer, info.minPage, info.maxPage, owner_)) return false;
  if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
    info.fromPage = static_cast<uint16_t>(printer->fromPage());
    info.toPage = static_cast<uint16_t>(printer->toPage());
  }
  info.printToFile = printer->outputFormat() == QPrinter::PdfFormat || !printer->outputFileName().isEmpty();
  // A name that a single-byte text cannot hold is asked for again.
  info.outputFile = ToSingleByte(printer->outputFileName()).value_or(std::string());
  info.portName = ToSingleByte(printer->printerName()).value_or(std::string());
  info.deviceName = info.printToFile ? std::string("PDF") : info.portName;
  info.ownedDevice = std::make_unique<QtPrinterDevice>(std::move(printer));
  info.device = info.ownedDevice.get();
  return true;
}

bool PrintJobDialogs::ChooseOutputFile(std::string& path) {
  QFileDialog dialog(owner_, ResourceText(kPrintFileCaption), ResourceText(kPrintFileName),
                     ResourceText(kPrintFileFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("pdf");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const std::optional<std::string> chosen = ToSingleByte(dialog.selectedFiles().front());
  if (!chosen) return false;
  path = *chosen;
  return true;
}

QWidget* PrintJobDialogs::Window(JobWindow window) const {
  return window == JobWindow::Main ? main_.data() : owner_.data();
}

bool PrintJobDialogs::IsEnabled(JobWindow window) {
  const QWidget* widget = Window(window);
  return !widget || widget->isEnabled();
}

void PrintJobDialogs::SetEnabled(JobWindow window, bool enabled) {
  if (QWidget* widget = Window(window)) widget->setEnabled(enabled);
}

void PrintJobDialogs::OpenProgress(PrintProgress& progress) {
  // Not a child of the owner, which is disabled while the job runs and
  // would disable the dialog with it; modal, so it takes input above the
  // modal dialog that started the job.
  progress_ = std::make_unique<PrintProgressDialog>(progress, owner_);
  progress_->setWindowModality(Qt::ApplicationModal);
  progress_->winId();
  if (owner_ && owner_->window()->windowHandle())
    progress_->windowHandle()->setTransientParent(owner_->window()->windowHandle());
  progress_->show();
  progress_->repaint();
}

void PrintJobDialogs::CloseProgress() { progress_.reset(); }

bool PrintJobDialogs::ProcessMessages() {
  QCoreApplication::processEvents();
  return !QCoreApplication::closingDown();
}
