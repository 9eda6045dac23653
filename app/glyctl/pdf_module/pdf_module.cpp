// The module behind `glyctl report`: a PDF print device on Qt GUI's
// offscreen platform, needing no display.
#include <QGuiApplication>
#include <cstdio>
#include <memory>

#include "fonts/qt/pdf_device.h"
#include "glyctl/pdf_module.h"
#include "text/shown_text.h"

namespace {

// Qt's own notices (a missing runtime folder, font substitutions) are not
// the command's; only its critical and fatal messages get through.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "glyctl: %s\n", ShownUtf8(message.toStdString()).c_str());
}

// The report measures its text with Qt's fonts, which need an application
// object; one made here lives for the drawing.
std::unique_ptr<QGuiApplication> OffscreenApplication() {
  if (QGuiApplication::instance()) return nullptr;
  qInstallMessageHandler(QuietQtMessages);
  static int argc = 3;
  static char name[] = "glyctl";
  static char platform[] = "-platform";
  static char offscreen[] = "offscreen";
  static char* argv[] = {name, platform, offscreen, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ReportPrinted GlyPrintOnPdf(const char* path, GlyPdfPrintFn print,
                                                                             void* context) {
  static_assert(std::is_same_v<decltype(&GlyPrintOnPdf), GlyPrintOnPdfFn>);
  const std::unique_ptr<QGuiApplication> application = OffscreenApplication();
  return PrintOnPdf(path, [&](PrintDevice& device) { return print(device, context); });
}
