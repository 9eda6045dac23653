#include "ui/desktop_actions.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/resource_qt.h"

namespace {

constexpr int kHelpTitleText = 32886;

}  // namespace

void SetProgramWaitCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

bool OpenWithDesktop(const QUrl& url) { return QDesktopServices::openUrl(url); }

QWidget* ShowHelp(const std::string& path, QWidget* parent, const UrlOpener& open) {
  const QUrl url = QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
  if (open(url)) return nullptr;
  // Not modal, so that the help stays open beside the dialog it explains;
  // it closes with that dialog at the latest.
  auto* window = new QDialog(parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(ResourceText(kHelpTitleText));
  auto* browser = new QTextBrowser(window);
  browser->setOpenExternalLinks(true);
  browser->setSource(url);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  window->resize(640, 480);
  window->show();
  return window;
}
