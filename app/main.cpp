// The program: start-up, the main window for the whole run, and the end.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>

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

constexpr char kUsage[] =
    "Usage: gly [--check-setup | --help | --version] [Qt options]\n\n"
    "Finds network printers, lists and deletes their fonts and downloads fonts,\n"
    "macros, forms and print files to them, in a window.\n\n"
    "  --check-setup  print the program folder, resource library, data folder\n"
    "                 and printer models found; exit status 1 when one is missing\n"
    "  -h, --help     this help\n"
    "  -V, --version  the program's version\n\n"
    "glyctl does the same from a command line.\n";

// What is answered without a display: the help, the version and the set-up
// check. Nullopt to start the window.
std::optional<int> AnswerWithoutWindow(int argc, char** argv) {
  if (argc != 2) return std::nullopt;
  const std::string_view option = argv[1];
  if (option == "--check-setup") return CheckGlySetup(std::cout, DefaultResourceLibraryPath());
  if (option == "--help" || option == "-h") {
    std::cout << kUsage;
  } else if (option == "--version" || option == "-V") {
    std::cout << "gly " GLY_VERSION "\n";
  } else {
    return std::nullopt;
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> status = AnswerWithoutWindow(argc, argv)) return *status;
  RemoveStaleJobFolders();
  QApplication app(argc, argv);
  // One look on every desktop, whatever theme it runs.
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QtAppHost host;
  return RunGlyApp(host, DefaultResourceLibraryPath());
}
