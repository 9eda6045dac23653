#include "ui/qt_ui_thread.h"

#include <QCoreApplication>
#include <QThread>

bool QtUiThread::IsCurrent() const {
  return QCoreApplication::instance() &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

void QtUiThread::Post(std::function<void()> call) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}
