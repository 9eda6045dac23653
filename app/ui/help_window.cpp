#include "ui/help_window.h"

#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/resource_qt.h"

namespace {

constexpr int kHelpTitleText = 32886;  // "GLY Help"
constexpr char kHelpWindowName[] = "helpWindow";
constexpr QSize kHelpWindowSize(720, 560);

QDialog* MakeHelpWindow(QWidget* parent) {
  auto* window = new QDialog(parent);
  window->setObjectName(kHelpWindowName);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(ResourceText(kHelpTitleText));
  auto* browser = new QTextBrowser(window);
  browser->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  // Never taller or wider than the screen it opens on.
  QSize size = kHelpWindowSize;
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableSize() * 9 / 10);
  window->resize(size);
  return window;
}

}  // namespace

QWidget* ShowHelp(const std::string& path, const std::string& page, QWidget* parent) {
  auto* window = parent ? parent->findChild<QDialog*>(kHelpWindowName, Qt::FindDirectChildrenOnly) : nullptr;
  if (!window) window = MakeHelpWindow(parent);
  QUrl url = QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
  url.setFragment(QString::fromStdString(page));
  auto* browser = window->findChild<QTextBrowser*>();
  browser->setSource(url);
  // The same file again only moves to the section.
  browser->scrollToAnchor(url.fragment());
  window->show();
  window->raise();
  return window;
}
