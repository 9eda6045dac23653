#include <QAbstractButton>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "qt_test_environment.h"
#include "printers/app_directory.h"
#include "shell/job_port_choice.h"
#include "shell/job_port_dialog.h"
#include "shell/main_window_dialog.h"
#include "snmp/community_strings_dialog.h"
#include "snmp_double.h"
#include "ui/check_list_box.h"
#include "ui/ip_address_edit.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_ui_thread.h"

namespace {

class MainWindowDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    snmp_double::Reset();
    window = std::make_unique<MainWindowDialog>(boxes, ui, [this](const char* address, JobPort, const JobFile&, const char*, int) {
      sentTo.push_back(address);  // one job at a time, on the job's thread
      return 0;
    });
  }
  void TearDown() override {
    window.reset();
    snmp_double::Reset();
  }
  static void AddDevice(const DeviceInfo& info, uint32_t storage) {
    snmp_double::Device device;
    device.info = info;
    device.storageOptions = storage;
    snmp_double::AddDevice(device);
  }
  CheckListBox* List() { return window->ControlAs<CheckListBox>(1000); }
  // The library is asked in the background; the dialog's button `id` waits
  // until its answer has been carried out.
  void AwaitAnswer(TemplateDialog* dialog, int id) {
    while (!dialog->Control(id)->isEnabled())
      if (!ui.AwaitAndRunPosted()) return;
  }

  // Opens Add Printer and presses Get Printer(s) for `subnet` under `mask`;
  // the dialog is given back when it stays open.
  void GetPrinters(uint32_t subnet, uint32_t mask, bool* stayedOpen = nullptr) {
    WhenModalOpens([=, this](QWidget* modal) {
      auto* dialog = qobject_cast<TemplateDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      dialog->ControlAs<IpAddressEdit>(1076)->SetAddress(subnet);
      dialog->ControlAs<IpAddressEdit>(1077)->SetAddress(mask);
      dialog->ControlAs<QPushButton>(1015)->click();
      AwaitAnswer(dialog, 1015);
      if (stayedOpen) *stayedOpen = dialog->isVisible();
      dialog->ControlAs<QPushButton>(2)->click();
    });
    window->ControlAs<QPushButton>(1024)->click();
  }
  void ClickCheckBox(int row) {
    const QRect rect = List()->visualItemRect(List()->item(row));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 4, rect.center().y()));
  }
  QString Status() { return window->findChild<QStatusBar*>("32500")->currentMessage(); }

  ScriptedBoxes boxes;
  FakeUiThread ui;
  std::vector<std::string> sentTo;
  std::unique_ptr<MainWindowDialog> window;
};

// After a search the last row is selected: the panel, Print Font List and
// Change Community String all take that printer.
TEST_F(MainWindowDialogTest, AfterGetPrintersEveryCommandGoesToThePrinterShown) {
  ASSERT_TRUE(InitAppDirectory());  // the job file is opened before it is sent
  for (uint32_t d : {3u, 1u, 2u})
    AddDevice(snmp_double::MakeDeviceInfo(0x0A000000u + d, "1.2", d == 3 ? "LAST" : "A", "Laser"), kStorageBoth);
  GetPrinters(0x0A000000u, 0xFFFFFF00u);
  ui.RunPosted();  // the selection waits for the reports queued before it
  ASSERT_EQ(List()->count(), 3);
  EXPECT_EQ(List()->SelectedRow(), 2);
  EXPECT_EQ(window->ControlAs<QLabel>(1030)->text(), "IP Address: 10.0.0.3");

  WhenModalOpens([](QWidget* modal) {
    auto* menu = qobject_cast<QMenu*>(modal);
    ASSERT_NE(menu, nullptr);
    menu->setActiveAction(menu->actions()[1]);  // "PS Font List"
    QTest::keyClick(menu, Qt::Key_Return);
  });
  window->ControlAs<QPushButton>(1003)->click();
  ASSERT_TRUE(ui.AwaitAndRunPosted());
  EXPECT_EQ(sentTo, std::vector<std::string>{"10.0.0.3"});
  EXPECT_EQ(Status(), "The font list was sent to LAST (Laser) 10.0.0.3.");

  QString title;
  WhenModalOpens([&](QWidget* modal) {
    title = modal->windowTitle();
    qobject_cast<QDialog*>(modal)->reject();
  });
  window->logic().OnCommand(32775);  // Change Community String
  EXPECT_EQ(title, "Changing Printer Community Strings - LAST (Laser) 10.0.0.3");
}

// Checking the row that is already selected, or unchecking with Space,
// moves no selection; the buttons follow all the same.
TEST_F(MainWindowDialogTest, CommandButtonsFollowTheCheckBoxes) {
  for (uint32_t d : {1u, 2u})
    ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000000u + d, "1.2", "P", "Laser")));
  window->show();
  List()->setFocus();
  List()->setCurrentRow(1);
  ASSERT_EQ(List()->SelectedRow(), 1);
  EXPECT_FALSE(window->Control(1002)->isEnabled());
  ClickCheckBox(1);
  for (int id : {1002, 1004}) EXPECT_TRUE(window->Control(id)->isEnabled()) << id;
  QTest::keyClick(List(), Qt::Key_Space);
  EXPECT_FALSE(List()->IsChecked(1));
  for (int id : {1002, 1004}) EXPECT_FALSE(window->Control(id)->isEnabled()) << id;
}

// A mask the search refuses is explained and the dialog stays open for
// another; a /16 is searched.
TEST_F(MainWindowDialogTest, RefusedMasksAreExplainedAndASlash16IsSearched) {
  bool stayedOpen = false;
  GetPrinters(0x0A000000u, 0xFF00FF00u, &stayedOpen);
  EXPECT_TRUE(stayedOpen);
  GetPrinters(0x0A000000u, 0xFFFE0000u, &stayedOpen);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(boxes.shown, (std::vector<int>{32882, 32883}));
  EXPECT_EQ(snmp_double::CallCount("SnmpDiscoverPrinters"), 0);
  GetPrinters(0x0A000000u, 0xFFFF0000u, &stayedOpen);
  EXPECT_FALSE(stayedOpen);
  EXPECT_EQ(snmp_double::CallCount("SnmpDiscoverPrinters"), 1);
}


TEST_F(MainWindowDialogTest, OpensFromItsTemplateInItsStartingState) {
  EXPECT_EQ(window->windowTitle(), "GLY");
  ASSERT_NE(List(), nullptr);
  EXPECT_EQ(List()->objectName(), "1000");
  EXPECT_TRUE(window->Control(1024)->isEnabled());
  for (int id : {1002, 1003, 1004, 1026, 1027}) EXPECT_FALSE(window->Control(id)->isEnabled()) << id;
  EXPECT_EQ(window->ControlAs<QLabel>(1030)->text(), "");
  EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(MainWindowDialogTest, AddPrinterButtonOpensTheDialogThatListsThePrinter) {
  AddDevice(snmp_double::MakeDeviceInfo(0x0A010203u, "1.2", "LAB2", "Laser"), kStorageBoth);
  WhenModalOpens([this](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Add Printer Options");
    dialog->ControlAs<IpAddressEdit>(1052)->SetAddress(0x0A010203u);
    dialog->ControlAs<QPushButton>(1082)->click();
    AwaitAnswer(dialog, 1082);
  });
  window->ControlAs<QPushButton>(1024)->click();

  EXPECT_EQ(boxes.shown, std::vector<int>{32793});
  ASSERT_EQ(List()->count(), 1);
  EXPECT_EQ(List()->item(0)->text(), "LAB2 (Laser) 10.1.2.3");
  EXPECT_EQ(List()->SelectedRow(), 0);
}

TEST_F(MainWindowDialogTest, SelectingACheckedPrinterShowsItsDescription) {
  AddDevice(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "A", "Laser"), kStorageFlash);
  ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "A", "Laser")));
  window->show();
  const QRect row = List()->visualItemRect(List()->item(0));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 4, row.center().y()));
  EXPECT_TRUE(List()->IsChecked(0));
  for (int id : {1002, 1003, 1004, 1027}) EXPECT_TRUE(window->Control(id)->isEnabled()) << id;
  EXPECT_FALSE(window->Control(1026)->isEnabled());
  EXPECT_EQ(window->ControlAs<QLabel>(1030)->text(), "IP Address: 10.0.0.1");
}

TEST_F(MainWindowDialogTest, ViewEditFontListOpensTheFontListOfTheCheckedPrinter) {
  AddDevice(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "A", "Laser"), kStorageFlash);
  ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "A", "Laser")));
  window->logic().OnListCheckChanged(0, true);
  QString printerLine;
  WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->templateId(), 130);
    printerLine = dialog->ControlAs<QComboBox>(1018)->itemText(0);
    dialog->ControlAs<QPushButton>(2)->click();
  });
  window->logic().OnCommand(1002);
  EXPECT_EQ(printerLine, "A (Laser) 10.0.0.1");
  EXPECT_EQ(snmp_double::CallCount("SnmpGetFontList"), 1);
}

// Add Font opens the Resource Manager for the printer shown alone, whose
// printer list cannot be edited from there.
TEST_F(MainWindowDialogTest, AddFontInTheFontListOpensTheResourceManagerForThatPrinter) {
  AddDevice(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "A", "Laser"), kStorageHardDisk);
  ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "A", "Laser")));
  window->logic().OnListCheckChanged(0, true);
  int entries = -1;
  bool editListEnabled = true;
  WhenModalOpens([&](QWidget* fontList) {
    WhenModalOpens([&](QWidget* modal) {
      auto* manager = qobject_cast<TemplateDialog*>(modal);
      ASSERT_NE(manager, nullptr);
      EXPECT_EQ(manager->windowTitle(), "Resource Manager");
      entries = qobject_cast<QListWidget*>(manager->Control(1005))->count();
      editListEnabled = manager->Control(1007)->isEnabled();
      manager->ControlAs<QPushButton>(1)->click();  // Close
    });
    auto* dialog = qobject_cast<TemplateDialog*>(fontList);
    ASSERT_NE(dialog, nullptr);
    dialog->ControlAs<QPushButton>(1022)->click();  // Add Font...
    dialog->ControlAs<QPushButton>(2)->click();
  });
  window->logic().OnCommand(1002);
  EXPECT_EQ(entries, 1);
  EXPECT_FALSE(editListEnabled);
}

TEST_F(MainWindowDialogTest, CheckingAnItemOfAScrolledListChecksAndSelectsThatItem) {
  for (uint32_t i = 1; i <= 30; ++i)
    ASSERT_TRUE(snmp_double::ReportPrinter(
        snmp_double::MakeDeviceInfo(0x0A000000u + i, "1.2", "P", "Laser")));
  window->show();
  // Later printers went in between earlier ones, each row at its place.
  ASSERT_EQ(List()->count(), 30);
  for (int i = 0; i < 30; ++i)
    EXPECT_EQ(List()->item(i)->text().toStdString(), window->logic().items()[static_cast<size_t>(i)].text);
  // The first printer is the one selected when the list is scrolled away.
  const QRect first = List()->visualItemRect(List()->item(0));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, first.center());
  ASSERT_EQ(List()->SelectedRow(), 0);
  List()->scrollToBottom();
  const int row = List()->count() - 1;
  const int scrolled = List()->verticalScrollBar()->value();
  ASSERT_GT(scrolled, 0);
  const QRect rect = List()->visualItemRect(List()->item(row));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 4, rect.center().y()));
  EXPECT_TRUE(List()->IsChecked(row));
  EXPECT_EQ(List()->SelectedRow(), row);
  EXPECT_EQ(List()->verticalScrollBar()->value(), scrolled);
  for (int id : {1002, 1004}) EXPECT_TRUE(window->Control(id)->isEnabled()) << id;
}

TEST_F(MainWindowDialogTest, ManageResourcesOpensTheResourceManagerForTheCheckedPrinters) {
  for (uint32_t i = 1; i <= 3; ++i)
    ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000000u + i, "1.2", "P", "Laser")));
  List()->SetChecked(1, true);
  window->logic().OnListCheckChanged(1, true);
  window->logic().OnListSelectionChanged(1);
  int entries = -1;
  WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Resource Manager");
    entries = qobject_cast<QListWidget*>(dialog->Control(1005))->count();
    dialog->ControlAs<QPushButton>(1)->click();  // Close
  });
  window->ControlAs<QPushButton>(1004)->click();
  EXPECT_EQ(entries, 1);
}

// What the library reports is single-byte text: a Latin-1 description
// shows its own letters, not replacement characters.
TEST_F(MainWindowDialogTest, ListTextsAreShownAsTheirSingleByteCharacters) {
  ASSERT_TRUE(snmp_double::ReportPrinter(
      snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "B\xFCro", "Drucker f\xFCr \xA7 5")));
  ASSERT_EQ(List()->count(), 1);
  EXPECT_EQ(List()->item(0)->text(),
            QString::fromUtf8("B\u00FCro (Drucker f\u00FCr \u00A7 5) 10.0.0.1"));
}

// The printer menu opens over the list and anywhere over the description
// panel, and from the keyboard; Remove in it takes the printer out.
TEST_F(MainWindowDialogTest, PrinterMenuOpensOverTheListThePanelAndFromTheKeyboard) {
  for (uint32_t d : {1u, 2u})
    ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000000u + d, "1.2", "P", "Laser")));
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  List()->setFocus();
  List()->setCurrentRow(0);
  std::vector<int> firstCommands;
  auto chooseRemove = [&] {
    WhenModalOpens([&](QWidget* modal) {
      auto* menu = qobject_cast<QMenu*>(modal);
      ASSERT_NE(menu, nullptr);
      firstCommands.push_back(menu->actions()[0]->data().toInt());
      menu->setActiveAction(menu->actions().back());  // Remove Printer
      QTest::keyClick(menu, Qt::Key_Return);
    });
  };
  auto rightClick = [](QWidget* over) {
    const QPoint at = over->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, over->mapToGlobal(at));
    QApplication::sendEvent(over, &event);
  };
  chooseRemove();
  QTest::keyClick(List(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_EQ(List()->count(), 1);
  chooseRemove();
  rightClick(window->Control(1030));  // the address line of the panel
  EXPECT_EQ(List()->count(), 0);
  WhenModalOpens([&](QWidget* modal) {
    auto* menu = qobject_cast<QMenu*>(modal);
    ASSERT_NE(menu, nullptr);
    firstCommands.push_back(menu->actions()[0]->data().toInt());
    EXPECT_FALSE(menu->actions().back()->isEnabled());  // nothing left to remove
    menu->close();
  });
  rightClick(List()->viewport());
  EXPECT_EQ(firstCommands, (std::vector<int>{32775, 32775, 32775}));
  EXPECT_TRUE(boxes.shown.empty());
}

// Every command is in the menu bar, by mnemonic and shortcut; Delete
// removes the selected printer and Escape asks before the window closes.
TEST_F(MainWindowDialogTest, MenuBarHoldsEveryCommandAndKeysLoseNothing) {
  auto* bar = window->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  QStringList titles;
  for (QAction* menu : bar->actions()) titles << menu->text();
  EXPECT_EQ(titles, (QStringList{"Prin&ter", "F&onts", "Re&sources", "He&lp"}));
  std::map<int, QAction*> entries;
  for (QMenu* menu : bar->findChildren<QMenu*>())
    for (QAction* action : menu->actions())
      if (action->data().toInt()) entries[action->data().toInt()] = action;
  for (int command : {1024, 33031, 33032, 1032, 32775, 32778, 32776, 32777, 1002, 32771, 32772, 33033, 1004, 57670, 1031})
    EXPECT_TRUE(entries.count(command)) << command;
  EXPECT_EQ(entries[1032]->shortcut(), QKeySequence(Qt::Key_Delete));

  ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "P", "Laser")));
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->logic().OnListSelectionChanged(0);
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(Status(), "Removed from the list: 10.0.0.1.");

  ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "P", "Laser")));
  boxes.answers = {IDCANCEL};
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Quit and forget 1 printer?"});
  boxes.answers = {IDNO};
  window->close();
  EXPECT_FALSE(window->isVisible());
}

// Print Font List sends one job to each checked printer, whichever row is
// highlighted.
TEST_F(MainWindowDialogTest, PrintFontListGoesToEveryCheckedPrinter) {
  ASSERT_TRUE(InitAppDirectory());
  for (uint32_t d : {1u, 2u, 3u})
    ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000000u + d, "1.2", "P", "Laser")));
  window->logic().OnListCheckChanged(0, true);
  window->logic().OnListCheckChanged(2, true);
  window->logic().OnListSelectionChanged(1);
  window->logic().OnCommand(32772);  // PS Font List
  EXPECT_EQ(Status(), "Sending the font list job to P (Laser) 10.0.0.1, P (Laser) 10.0.0.3 ...");
  ASSERT_TRUE(ui.AwaitAndRunPosted());
  EXPECT_EQ(sentTo, (std::vector<std::string>{"10.0.0.1", "10.0.0.3"}));
  EXPECT_EQ(Status(), "The font list was sent to P (Laser) 10.0.0.1, P (Laser) 10.0.0.3.");
}

// Find Announced Printers browses off the window's thread: the status bar
// tells what it waits for and offers Cancel, and the outcome comes back
// through the event queue in one box (what it found, or why it could not
// look).
TEST_F(MainWindowDialogTest, FindAnnouncedPrintersWaitsWithACancelInTheStatusBar) {
  auto* cancel = window->findChild<QPushButton*>("cancelWait");
  ASSERT_NE(cancel, nullptr);
  window->show();
  window->logic().OnCommand(33032);
  EXPECT_FALSE(cancel->isHidden());
  EXPECT_EQ(Status(), "Looking for announced printers ...");
  EXPECT_FALSE(window->logic().IsEnabled(32777));  // Open Printer List waits too
  cancel->click();
  EXPECT_TRUE(cancel->isHidden());
  EXPECT_EQ(Status(), "Stopped asking printers.");

  window->logic().OnCommand(33032);
  while (window->logic().waiting())
    if (!ui.AwaitAndRunPosted()) break;
  EXPECT_TRUE(cancel->isHidden());
  EXPECT_EQ(boxes.texts.size(), 1u);  // the cancelled browse tells nothing
}

// A failure leaves the dialog open with what was typed; Enter in the mask
// searches; a field refuses a number over 255 and says so.
TEST_F(MainWindowDialogTest, AddPrinterKeepsWhatWasTypedAndEnterInTheMaskSearches) {
  AddDevice(snmp_double::MakeDeviceInfo(0x0A000007u, "1.2", "P", "Laser"), kStorageNone);
  snmp_double::Device silent;
  silent.info = snmp_double::MakeDeviceInfo(0x0A000009u, "1.2", "S", "Laser");
  silent.addResult = kSnmpNoAnswer;
  snmp_double::AddDevice(silent);
  QString refusal;
  bool openAfterFailure = false;
  WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<TemplateDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    auto* address = dialog->ControlAs<IpAddressEdit>(1052);
    address->SetAddress(0x0A000009u);
    dialog->ControlAs<QPushButton>(1082)->click();
    AwaitAnswer(dialog, 1082);
    openAfterFailure = dialog->isVisible() && address->Value().Address() == 0x0A000009u;

    auto* mask = dialog->ControlAs<IpAddressEdit>(1077);
    QObject::connect(mask, &IpAddressEdit::refused, [&](const QString& message) { refusal = message; });
    dialog->ControlAs<IpAddressEdit>(1076)->SetAddress(0x0A000000u);
    mask->Field(0)->setFocus();
    QTest::keyClicks(mask->Field(0), "300");
    EXPECT_EQ(mask->Field(0)->text(), "30");
    mask->SetAddress(0xFFFFFF00u);
    mask->Field(3)->setFocus();
    QTest::keyClick(mask->Field(3), Qt::Key_Return);
    AwaitAnswer(dialog, 1015);
  });
  window->ControlAs<QPushButton>(1024)->click();
  EXPECT_TRUE(openAfterFailure);
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"No printer answers at 10.0.0.9."});
  EXPECT_EQ(refusal, "300 is over 255: each part of an address is a number from 0 to 255.");
  EXPECT_EQ(snmp_double::CallCount("SnmpDiscoverPrinters"), 1);
  EXPECT_EQ(Status(), "Found 2 printers (0 already listed, 252 did not answer SNMP)");
}

// The job goes out on its own thread and its result comes back through the
// window's event loop, which keeps running meanwhile.
TEST(MainWindowDialogPrinting, FontListJobLeavesTheWindowAnsweringAndTellsAFailure) {
  snmp_double::Reset();
  ASSERT_TRUE(InitAppDirectory());  // the job file is opened before it is sent
  ScriptedBoxes boxes;
  QtUiThread ui;
  std::atomic<bool> release{false};
  MainWindowDialog window(boxes, ui, [&](const char*, JobPort, const JobFile&, const char*, int) {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 10061;  // WSAECONNREFUSED
  });
  ASSERT_TRUE(snmp_double::ReportPrinter(snmp_double::MakeDeviceInfo(0x0A000001u, "1.2", "A", "Laser")));
  window.show();
  window.logic().OnListSelectionChanged(0);
  WhenModalOpens([](QWidget* modal) {
    auto* menu = qobject_cast<QMenu*>(modal);
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions())
      if (action->data().toInt() == 32772) menu->setActiveAction(action);  // "PS Font List"
    QTest::keyClick(menu, Qt::Key_Return);
  });
  window.ControlAs<QPushButton>(1003)->click();

  // Back in the event loop while the printer has not answered.
  EXPECT_FALSE(window.Control(1003)->isEnabled());
  QTest::qWait(50);
  EXPECT_TRUE(boxes.shown.empty());

  release = true;
  EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.shown.empty(); }, 10000));
  EXPECT_EQ(boxes.shown, std::vector<int>{ScriptedBoxes::kTextShown});
  EXPECT_TRUE(window.Control(1003)->isEnabled());
  snmp_double::Reset();
}

TEST(MessageBoxes, BoxByNumberShowsTheStringTablesText) {
  QString text;
  WhenModalOpens([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    text = box->text();
    box->button(QMessageBox::Yes)->click();
  });
  QtMessageBoxes boxes;
  EXPECT_EQ(boxes.Show(32794, MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(text, "Please select a Printer and try again.");
}

TEST(CommunityStringsDialog, ShowsTheOldStringsAndAppliesTheNewOnesOnOk) {
  PrinterRecord printer = MakePrinterRecord();
  CommunityStringsDialog dialog(printer, nullptr);
  EXPECT_EQ(dialog.ControlAs<QLineEdit>(1087)->text(), "vorpal");
  EXPECT_TRUE(dialog.ControlAs<QLineEdit>(1089)->isReadOnly());
  dialog.ControlAs<QLineEdit>(1086)->setText("new-trap");
  dialog.ControlAs<QPushButton>(1)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_STREQ(printer.trapCommunity, "new-trap");
  EXPECT_STREQ(printer.readCommunity, "vorpal");

  // Latin-1 goes in and comes back as it is.
  CommunityStringsDialog latin1(printer, nullptr);
  EXPECT_EQ(latin1.ControlAs<QLineEdit>(1089)->text(), "new-trap");
  latin1.ControlAs<QLineEdit>(1084)->setText(QString::fromUtf8("\u00E9t\u00E9"));
  latin1.ControlAs<QPushButton>(1)->click();
  EXPECT_STREQ(printer.readCommunity, "\xE9t\xE9");

  CommunityStringsDialog cancelled(printer, nullptr);
  cancelled.ControlAs<QLineEdit>(1084)->setText("ignored");
  cancelled.ControlAs<QPushButton>(2)->click();
  EXPECT_STREQ(printer.readCommunity, "\xE9t\xE9");
}

// The LPR pacing check box shows the printer's pacing and stores it on OK.
TEST(JobPortDialog, LprPacingIsShownAndKept) {
  const PrinterRecord printer = MakePrinterRecord();
  JobPortDialog dialog(printer, nullptr);
  auto* paced = dialog.ControlAs<QAbstractButton>(job_port_dialog::kLprPacingCheck);
  ASSERT_NE(paced, nullptr);
  EXPECT_LE(paced->sizeHint().width(), paced->width()) << "its text is cut";
  EXPECT_TRUE(paced->isChecked());
  paced->setChecked(false);
  dialog.ControlAs<QPushButton>(1)->click();
  EXPECT_EQ(RunPrinterSettings().Get(printer.address).lprPacing, LprPacing::None);
  JobPortDialog reopened(printer, nullptr);
  EXPECT_FALSE(reopened.ControlAs<QAbstractButton>(job_port_dialog::kLprPacingCheck)->isChecked());
  RunPrinterSettings().Clear();
}

// The PJL password goes to the library for the printer's address; one that
// is no number keeps the dialog open and changes nothing.
TEST(CommunityStringsDialog, APjlPasswordGoesToTheLibraryOnlyWhenItIsANumber) {
  snmp_double::Reset();
  PrinterRecord printer = MakePrinterRecord();
  CommunityStringsDialog refused(printer, nullptr);
  refused.ControlAs<QLineEdit>(1084)->setText("other");
  refused.ControlAs<QLineEdit>(1090)->setText("47x1");  // set without typing: no validator
  refused.ControlAs<QPushButton>(1)->click();
  EXPECT_NE(refused.result(), QDialog::Accepted);
  EXPECT_STREQ(printer.readCommunity, "vorpal");
  EXPECT_EQ(snmp_double::CallCount("SnmpSetPjlPassword"), 0);

  CommunityStringsDialog dialog(printer, nullptr);
  dialog.ControlAs<QLineEdit>(1090)->setText("4711");
  dialog.ControlAs<QPushButton>(1)->click();
  ASSERT_EQ(snmp_double::CallCount("SnmpSetPjlPassword"), 1);
  EXPECT_EQ(snmp_double::Calls().back().address, printer.address);
  EXPECT_EQ(snmp_double::Calls().back().target, 4711u);
}

// The SNMP rows go to the library only when a version is chosen, and v3
// only with its user and passphrases long enough for the level.
TEST(CommunityStringsDialog, SnmpV3SettingsGoToTheLibraryWhenComplete) {
  snmp_double::Reset();
  PrinterRecord printer = MakePrinterRecord();
  CommunityStringsDialog unchanged(printer, nullptr);
  EXPECT_FALSE(unchanged.Control(1092)->isEnabled());
  unchanged.ControlAs<QPushButton>(1)->click();
  EXPECT_EQ(unchanged.result(), QDialog::Accepted);
  EXPECT_EQ(snmp_double::CallCount("SnmpSetPrinterSecurity"), 0);

  CommunityStringsDialog dialog(printer, nullptr);
  dialog.ControlAs<QComboBox>(1091)->setCurrentText("v3");
  EXPECT_TRUE(dialog.Control(1092)->isEnabled());
  EXPECT_EQ(dialog.ControlAs<QLineEdit>(1095)->echoMode(), QLineEdit::Password);
  dialog.ControlAs<QLineEdit>(1084)->setText("other");
  dialog.ControlAs<QLineEdit>(1092)->setText("admin");
  dialog.ControlAs<QLineEdit>(1095)->setText("auth-pass");
  dialog.ControlAs<QLineEdit>(1097)->setText("short");  // authPriv wants 8 characters
  dialog.ControlAs<QPushButton>(1)->click();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(snmp_double::CallCount("SnmpSetPrinterSecurity"), 0);
  EXPECT_STREQ(printer.readCommunity, "vorpal");

  dialog.ControlAs<QLineEdit>(1097)->setText("priv-pass");
  dialog.ControlAs<QPushButton>(1)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(snmp_double::CallCount("SnmpSetPrinterSecurity"), 1);
  EXPECT_EQ(snmp_double::Calls().back().address, printer.address);
  EXPECT_EQ(snmp_double::Calls().back().target, static_cast<uint32_t>(kSnmpVersion3));
  EXPECT_STREQ(printer.readCommunity, "other");
}

// A single-byte text cannot hold the euro sign: it is refused, never stored
// as something else.
TEST(CommunityStringsDialog, CharactersBeyondSingleByteAreRefusedNotReplaced) {
  PrinterRecord printer = MakePrinterRecord();
  CommunityStringsDialog dialog(printer, nullptr);
  auto* read = dialog.ControlAs<QLineEdit>(1084);
  dialog.show();
  read->setFocus();
  QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\u20AC"));
  QApplication::sendEvent(read, &euro);
  QTest::keyClicks(read, "abc");
  EXPECT_EQ(read->text(), "abc");  // typing the euro sign does nothing

  read->setText(QString::fromUtf8("\u20ACabc"));  // set without typing
  dialog.ControlAs<QPushButton>(1)->click();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_STREQ(printer.readCommunity, "vorpal");
}

}  // namespace
