// A QApplication for the whole test program, made before the first test
// and with the build's resource library loaded, as the program has them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "window_fakes.h"

class QtTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "gly-tests";
    static char* argv[] = {name, nullptr};
    // Dialog tests never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc, argv);
    LoadBuiltResources();
  }
  void TearDown() override {
    FreeResourceModule();
    app_.reset();
  }

 private:
  std::unique_ptr<QApplication> app_;
};

// Registered once for the whole test program, whichever files include this.
inline const auto* const kQtTestEnvironment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

// Runs `act` on the modal widget (dialog, message box or menu) that the
// code under test opens next. A zero timer fires from the first event loop
// that runs, which is the modal widget's own, after the widget is shown.
inline void WhenModalOpens(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activePopupWidget();
    if (!modal) modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr) << "nothing modal opened";
    act(modal);
  });
}
