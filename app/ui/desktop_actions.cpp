#include "ui/desktop_actions.h"

#include <QApplication>

void SetProgramWaitCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}
