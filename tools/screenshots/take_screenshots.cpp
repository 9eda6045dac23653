// Takes the README's screenshots from the printers of
// scripts/demo_printers.conf: the main window with the three printers
// listed, the font list of the checked ones, the Resource Manager after a
// download of FONT_FILEs to them, and Fleet Fonts. The windows
// are those of the program, driven as a user would drive them, and each is
// grabbed without a frame into OUTPUT_DIR.
//
// Usage: gly-screenshots OUTPUT_DIR FONT_FILE...
// (scripts/screenshots.sh starts the printers and runs it under Xvfb.)
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "download/job_port.h"
#include "download/resource_manager_dialog.h"
#include "download/resource_manager_ids.h"
#include "fleet/fleet_fonts_ids.h"
#include "printers/app_directory.h"
#include "shell/gly_app.h"
#include "shell/main_window_dialog.h"
#include "shell/main_window_ids.h"
#include "snmp/add_printer.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_ui_thread.h"
#include "ui/resource_module.h"
#include "ui/resource_qt.h"

namespace {

// The demo's printers, 127.0.0.10 to 127.0.0.12.
const std::vector<uint32_t> kDemoPrinters = {0x7F00000Au, 0x7F00000Bu, 0x7F00000Cu};

// Runs the event loop until `done`; false after `seconds` without it.
bool WaitFor(const std::function<bool()>& done, int seconds = 30) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > seconds * 1000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(20);
  }
  return true;
}

bool Save(QWidget* window, const QString& path) {
  QCoreApplication::processEvents();
  const bool saved = window->grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

// Runs `take` with the next modal dialog once it is open, from the event
// loop of the command that opened it; `take` closes it.
void WhenDialogOpens(std::function<void(QDialog*)> take) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, take = std::move(take)] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    take(dialog);
  });
  timer->start(100);
}

// A dialog whose table fills from the printers: grabbed once it has rows
// and its progress bar, where it has one, is full.
void TakeFilledTable(QDialog* dialog, const QString& path, bool& ok) {
  const auto* rows = dialog->findChild<QAbstractItemView*>();
  const auto* progress = dialog->findChild<QProgressBar*>();
  ok = rows && WaitFor([rows, progress] {
         return rows->model()->rowCount() > 0 && (!progress || progress->value() == progress->maximum());
       });
  WaitFor([] { return false; }, 1);  // the status texts settle
  ok = Save(dialog, path) && ok;
  dialog->reject();
}

// Three files downloaded to the checked printers, grabbed when the download
// has ended.
void TakeDownload(QDialog* dialog, const std::vector<std::string>& files, const QString& path, bool& ok) {
  auto* manager = qobject_cast<ResourceManagerDialog*>(dialog);
  const auto* rows = dialog->findChild<QTreeWidget*>();
  if (!manager || !rows) {
    dialog->reject();
    return;
  }
  // The questions the files raise (how a TrueType font is converted) take
  // what they offer.
  QTimer answers;
  QObject::connect(&answers, &QTimer::timeout, [dialog] {
    auto* question = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (question && question != dialog) question->accept();
  });
  answers.start(100);
  manager->logic().AddFiles(files);
  manager->logic().OnCommand(resource_manager::kDownloadButton);
  // Wide enough for the printers' columns.
  dialog->resize(1180, dialog->height());
  // Grabbed once every printer is done, so each column and the status bar's
  // summary tell how the download went.
  const QWidget* stop = manager->Control(resource_manager::kStopButton);
  ok = WaitFor([stop] { return stop->isEnabled(); }) && WaitFor([stop] { return !stop->isEnabled(); }, 120);
  WaitFor([] { return false; }, 1);  // the status texts settle
  ok = Save(dialog, path) && ok;
  dialog->reject();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  if (argc < 3) {
    std::fprintf(stderr, "usage: gly-screenshots OUTPUT_DIR FONT_FILE...\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]) + "/";
  const std::vector<std::string> files(argv + 2, argv + argc);
  if (!LoadResourceModule(DefaultResourceLibraryPath().c_str())) {
    std::fprintf(stderr, "gly-screenshots: the resource library cannot be loaded\n");
    return 1;
  }
  StartAppDirectories();
  QApplication::setWindowIcon(LoadResourceIcon(128));

  QtMessageBoxes boxes;
  QtUiThread ui;
  MainWindowDialog window(boxes, ui, [](const char* address, JobPort port, const JobFile& job, const char* host, int number) {
    return SubmitJob(address, port, job, host, number);
  });
  window.show();
  // Listed as Open Printer List lists them, so the status bar tells what
  // was found.
  AddPrinterLogic finder(window.logic(), boxes);
  finder.AddPrintersAt(kDemoPrinters);
  if (!WaitFor([&] { return !finder.busy(); }) || window.logic().itemCount() != 3) {
    std::fprintf(stderr, "gly-screenshots: the demo's printers did not answer\n");
    return 1;
  }
  // Sorted by name: Basement, Front desk, Studio. The two with a hard disk
  // are checked, and the first of them is shown.
  window.logic().OnListCheckChanged(1, true);
  window.logic().OnListCheckChanged(2, true);
  window.logic().OnListSelectionChanged(1);
  bool ok = Save(&window, out + "main-window.png");

  bool taken = false;
  WhenDialogOpens([&](QDialog* dialog) { TakeFilledTable(dialog, out + "font-list.png", taken); });
  window.logic().OnCommand(main_window::kFontListButton);
  ok = ok && taken;

  taken = false;
  WhenDialogOpens([&](QDialog* dialog) { TakeDownload(dialog, files, out + "resource-manager-download.png", taken); });
  window.logic().OnCommand(main_window::kManageResourcesButton);
  ok = ok && taken;

  taken = false;
  WhenDialogOpens([&](QDialog* dialog) { TakeFilledTable(dialog, out + "fleet-fonts.png", taken); });
  if (auto* fleet = window.ControlAs<QPushButton>(fleet_fonts::kMainWindowButton)) fleet->click();
  ok = ok && taken;
  return ok ? 0 : 1;
}
