#include "ui/desktop_actions.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

void SetProgramWaitCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void OpenLocalFile(const std::string& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}
