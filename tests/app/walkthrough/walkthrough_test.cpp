// The main window driven from the keyboard in a real X server, the way a
// new user meets it: add a printer, remove it, find a subnet's printers,
// press Escape, and open every entry of the menu bar. Every step leaves a
// screenshot in GLY_SCREENSHOT_DIR.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <execinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>

#include "printers/app_directory.h"
#include "qt_test_environment.h"
#include "shell/main_window_dialog.h"
#include "snmp_double.h"
#include "ui/check_list_box.h"
#include "ui/ip_address_edit.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_ui_thread.h"

namespace {

void Shot(const QString& name) {
  const QString folder = qEnvironmentVariable("GLY_SCREENSHOT_DIR", "walkthrough");
  QDir().mkpath(folder);
  QApplication::processEvents();
  QGuiApplication::primaryScreen()->grabWindow(0).save(folder + "/" + name + ".png");
}

// Xvfb runs no window manager: a window is made active by hand, and again
// after each dialog above it has closed.
void Activate(QWidget* window) {
  QApplication::setActiveWindow(window);
  window->activateWindow();
  QTest::qWait(20);
}

// Answers each modal window as it opens: photographs it, then runs the
// answer queued for it, or presses Escape. Should the walk stand still, it
// tells where before the test's time-out ends it without a word.
class Responder : public QObject {
 public:
  Responder() {
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start(20);
    clock_.start();
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] { TellWhereItStandsAndEnd(); });
    watchdog_.start(kLongestWalkMs);
  }
  void Next(std::function<void(QWidget*)> answer) { answers_.push_back(std::move(answer)); }
  QString step;
  QStringList seen;  // window titles, in order

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    // Until the X server shows the window it has not the keyboard focus:
    // keys typed into it would reach the window below.
    if (!modal || !modal->isVisible() || !modal->windowHandle()->isExposed()) return;
    if (modal->property("answered").toBool()) {
      // A window that outstays its answer would stop the walk: it goes.
      if (modal->property("answeredAt").toLongLong() + kLongestStayMs < clock_.elapsed()) {
        modal->setProperty("answeredAt", clock_.elapsed());
        QTest::keyClick(modal, Qt::Key_Escape);
      }
      return;
    }
    modal->setProperty("answered", true);
    modal->setProperty("answeredAt", clock_.elapsed());
    seen << modal->windowTitle();
    Shot(QString("%1-%2").arg(step).arg(seen.size(), 2, 10, QChar('0')));
    std::function<void(QWidget*)> answer = [](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); };
    if (!answers_.empty()) {
      answer = std::move(answers_.front());
      answers_.pop_front();
    }
    // Qt fires no timer again while its slot runs, so a box that the answer
    // opens would wait here forever: the answer runs after the slot.
    QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(modal), answer] {
      if (!window) return;
      Activate(window);
      answer(window);
      if (window) window->setProperty("answeredAt", clock_.elapsed());
    });
  }

  // The windows shown and the stack of the user-interface thread, whose
  // nested event loops tell which code opened the window that stays
  // (addr2line -e walkthrough_tests turns its offsets into lines).
  void TellWhereItStandsAndEnd() const {
    std::fprintf(stderr, "The walk stands still in step %s after the windows %s\n", qPrintable(step),
                 qPrintable(seen.join(", ")));
    for (const QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->isVisible()) continue;
      std::fprintf(stderr, "  %s \"%s\"%s%s %s\n", window->metaObject()->className(), qPrintable(window->windowTitle()),
                   window->isModal() ? " modal" : "", window == QApplication::activeModalWidget() ? " (on top)" : "",
                   qPrintable(window->property("text").toString()));
    }
    void* frames[64];
    backtrace_symbols_fd(frames, backtrace(frames, 64), STDERR_FILENO);
    std::abort();
  }

  static constexpr qint64 kLongestStayMs = 3000;
  // Well inside the test's time-out, well beyond a walk on a loaded machine.
  static constexpr int kLongestWalkMs = 45000;
  QElapsedTimer clock_;
  QTimer timer_;
  QTimer watchdog_;
  std::deque<std::function<void(QWidget*)>> answers_;
};

void TypeAddress(IpAddressEdit* edit, const char* address) {
  edit->Clear();
  edit->Field(0)->setFocus();
  // Each key goes where the dialog's focus is: a dot moves it to the next
  // field.
  for (const char* key = address; *key; ++key) QTest::keyClicks(edit->window()->focusWidget(), QString(QChar(*key)));
}

// Opens the menu of the menu bar under Alt+`menu`, photographs it, types
// `items` (mnemonics, into submenus too), and closes what stays open.
void ChooseFromMenuBar(QWidget* window, Qt::Key menu, const QString& items, const QString& name) {
  Activate(window);
  QTest::keyClick(window, menu, Qt::AltModifier);
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_NE(popup, nullptr) << name.toStdString();
  Shot("menu-" + name);
  for (QChar item : items) {
    if (QWidget* open = QApplication::activePopupWidget()) QTest::keyClicks(open, QString(item));
  }
  // A disabled entry leaves its menu open.
  for (int i = 0; i < 3 && QApplication::activePopupWidget(); ++i)
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
}

TEST(Walkthrough, AddRemoveEscapeAndEveryMenuEntryByKeyboard) {
  snmp_double::Reset();
  ASSERT_TRUE(InitAppDirectory());  // the font-list jobs are data files
  for (uint32_t d : {1u, 2u}) {
    snmp_double::Device device;
    device.info = snmp_double::MakeDeviceInfo(0x0A000000u + d, "1.2", d == 1 ? "LAB1" : "LAB2", "Laser");
    device.storageOptions = kStorageBoth;
    snmp_double::AddDevice(device);
  }
  QtMessageBoxes boxes;
  QtUiThread ui;
  MainWindowDialog window(boxes, ui, [](const char*, JobPort, const JobFile&, const char*, int) { return JobOutcome(0); });
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Activate(&window);
  auto* list = window.ControlAs<CheckListBox>(1000);
  Responder responder;
  responder.step = "01-start";
  Shot("01-start");

  // Add Printer: the address typed, Enter, and the success box.
  responder.step = "02-add";
  responder.Next([](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    TypeAddress(dialog->ControlAs<IpAddressEdit>(1052), "10.0.0.1");
    QTest::keyClick(dialog->ControlAs<IpAddressEdit>(1052)->Field(3), Qt::Key_Return);
  });
  QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(list->count(), 1);
  Shot("03-added");

  // Delete takes the selected printer out.
  Activate(&window);
  list->setFocus();
  list->setCurrentRow(0);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(list->count(), 0);
  Shot("04-removed");

  // Find on a Subnet: Enter in the mask searches.
  responder.step = "05-find";
  responder.Next([](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    TypeAddress(dialog->ControlAs<IpAddressEdit>(1076), "10.0.0.0");
    TypeAddress(dialog->ControlAs<IpAddressEdit>(1077), "255.255.255.0");
    QTest::keyClick(dialog->ControlAs<IpAddressEdit>(1077)->Field(3), Qt::Key_Return);
  });
  Activate(&window);
  QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(list->count(), 2);
  Shot("06-found");

  // Escape asks before the printers are forgotten; Escape again stays.
  responder.step = "07-escape";
  Activate(&window);
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());

  // Every entry of the menu bar, the first printer checked and selected.
  Activate(&window);
  list->setFocus();
  list->setCurrentRow(0);
  QTest::keyClick(list, Qt::Key_Space);
  ASSERT_TRUE(list->IsChecked(0));
  struct Entry {
    Qt::Key menu;
    const char* items;
    const char* name;
  };
  const Entry entries[] = {
      {Qt::Key_T, "a", "add"},         {Qt::Key_T, "f", "find-subnet"}, {Qt::Key_T, "n", "find-announced"},
      {Qt::Key_T, "c", "communities"}, {Qt::Key_T, "j", "job-port"},    {Qt::Key_T, "s", "save-list"},
      {Qt::Key_T, "o", "open-list"},   {Qt::Key_O, "f", "font-list"},   {Qt::Key_O, "pc", "print-pcl-list"},
      {Qt::Key_O, "e", "fleet-fonts"}, {Qt::Key_S, "m", "resources"},   {Qt::Key_L, "c", "help"},
      {Qt::Key_L, "a", "about"},       {Qt::Key_T, "r", "remove"},
  };
  int step = 8;
  for (const Entry& entry : entries) {
    responder.step = QString("%1-%2").arg(step++, 2, 10, QChar('0')).arg(entry.name);
    ChooseFromMenuBar(&window, entry.menu, entry.items, responder.step);
    // Find Announced Printers answers in a box once its browse has ended.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.logic().waiting(); }, 10000)) << entry.name;
  }
  // Help opens in the program's own window, beside the main window.
  const QWidgetList windows = QApplication::topLevelWidgets();
  EXPECT_TRUE(std::any_of(windows.begin(), windows.end(),
                          [](const QWidget* w) { return w->isVisible() && w->windowTitle() == "GLY Help"; }));
  EXPECT_EQ(list->count(), 1);
  EXPECT_TRUE(window.isVisible());
  // The only boxes: the printer added, the question Escape asked, and what
  // Find Announced Printers found (or why it could not look). Escape in
  // every other window closed that window, not the program.
  EXPECT_EQ(responder.seen.count("GLY"), 3) << responder.seen.join(", ").toStdString();
  for (const char* title : {"Add Printer Options", "Job Port - LAB1 (Laser) 10.0.0.1", "About GLY", "Resource Manager"})
    EXPECT_TRUE(responder.seen.contains(title)) << title << " " << responder.seen.join(", ").toStdString();
  snmp_double::Reset();
}

}  // namespace

