// The program: start-up, the main window for the whole run, and the end.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "download/job_port.h"
#include "printers/app_directory.h"
#include "shell/gly_app.h"
#include "shell/main_window_dialog.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_ui_thread.h"
#include "ui/resource_qt.h"
#include "ui/single_byte_text.h"

namespace {

class QtAppHost final : public GlyAppHost {
 public:
  bool InitSockets() override { return SocketLayerAvailable(); }

  void ShowStartupMessage(const char* text) override {
    std::fprintf(stderr, "gly: %s\n", text);
    QtMessageBoxes::ShowText(nullptr, FromSingleByte(text), MB_OK | MB_ICONSTOP);
  }

  void RunMainWindow() override {
    QApplication::setWindowIcon(LoadResourceIcon(128));
    QtMessageBoxes boxes;
    QtUiThread uiThread;
    MainWindowDialog window(boxes, uiThread,
                            [](const char* address, JobPort port, const JobFile& jobFile, const char* host, int job) {
                              return SubmitJob(address, port, jobFile, host, job);
                            });
    window.exec();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--check-setup") == 0) {
    return CheckGlySetup(std::cout, DefaultResourceLibraryPath());
  }
  RemoveStaleJobFolders();
  QApplication app(argc, argv);
  // One look on every desktop, whatever theme it runs.
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QtAppHost host;
  return RunGlyApp(host, DefaultResourceLibraryPath());
}
