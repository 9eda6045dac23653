// The Printer Font List and Delete Fonts dialogs, offscreen, with the real
// SNMP library reading and deleting the fonts of virtual printers.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "fake_clock.h"
#include "fonts/delete_fonts_dialog.h"
#include "fonts/font_list_dialog.h"
#include "fonts/font_list_ids.h"
#include "glysnmp_test_support.h"
#include "qt_test_environment.h"
#include "printers/clock.h"
#include "ui/qt_ui_thread.h"
#include "virtual_printer_support.h"

using namespace font_list;

namespace {

using printer_sim::PrinterConfig;
using printer_sim::Simulator;

// The Resource Manager's part, played by the test: what it would download
// while it is open.
class FontListWithDownloads final : public FontListDialog {
 public:
  using FontListDialog::FontListDialog;
  void OpenResourceManager(PrinterRecord& printer) override {
    opened.push_back(&printer);
    if (download) download();
  }
  std::vector<PrinterRecord*> opened;
  std::function<void()> download;
};

class FontListDialogTest : public ::testing::Test {
 protected:
  void Start(PrinterConfig config) {
    config.snmpPort = FreeUdpPort({config.address});
    config.deletionMs = 50;
    ASSERT_TRUE(simulator.AddPrinter(config));
    simulator.Start();
    settings = std::make_unique<AgentTest>(config.snmpPort);
    printer = RecordFor(config.address);
    std::snprintf(printer.printerName, sizeof printer.printerName, "VP");
    std::snprintf(printer.modelName, sizeof printer.modelName, "Virtual");
    printer.storageOptions = kStorageBoth;
  }
  // Downloads a PCL font to the disk and a PostScript font to the flash
  // memory, and waits until the printer lists them.
  void DownloadTwo(const std::string& pclName, const std::string& postScriptName) {
    const size_t before = simulator.Fonts(0).size();
    simulator.RunJob(0, sim_test::PjlDownload('0', pclName, sim_test::PclSoftFont(pclName, 77)));
    simulator.RunJob(0, sim_test::PostScriptDownload(true, postScriptName, sim_test::Type1FontText(postScriptName)));
    for (int wait = 0; wait < 100 && simulator.Fonts(0).size() < before + 2; ++wait) QTest::qWait(20);
    ASSERT_EQ(simulator.Fonts(0).size(), before + 2);
  }
  void Open() { window = std::make_unique<FontListWithDownloads>(boxes, ui, clock(), std::vector{&printer}); }
  virtual Clock& clock() { return SystemClock(); }

  QTreeWidget* Table() { return window->ControlAs<QTreeWidget>(kFontTable); }
  std::vector<QString> Column(QTreeWidget* table, int column) {
    std::vector<QString> texts;
    for (int row = 0; row < table->topLevelItemCount(); ++row) texts.push_back(table->topLevelItem(row)->text(column));
    return texts;
  }
  int RowOf(const QString& name) {
    const auto names = Column(Table(), 0);
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
  }
  // Presses Delete on the named fonts and closes the Delete Fonts dialog
  // once its run is over; returns the dialog's last statuses.
  std::vector<QString> DeleteFonts(const std::vector<QString>& names) {
    Table()->clearSelection();
    for (const QString& name : names) Table()->topLevelItem(RowOf(name))->setSelected(true);
    std::vector<QString> statuses;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      auto* deletion = window->findChild<DeleteFontsDialog*>();
      if (!deletion || !deletion->logic().runOver()) return;
      statuses = Column(deletion->ControlAs<QTreeWidget>(delete_fonts::kFontTable), 2);
      deletion->ControlAs<QPushButton>(delete_fonts::kCloseButton)->click();
    });
    watch.start(10);
    boxes.answers = {IDYES};
    window->ControlAs<QPushButton>(kDeleteButton)->click();
    return statuses;
  }

  Simulator simulator;
  std::unique_ptr<AgentTest> settings;
  PrinterRecord printer{};
  ScriptedBoxes boxes;
  QtUiThread ui;
  std::unique_ptr<FontListWithDownloads> window;
};

TEST_F(FontListDialogTest, AThousandFontsUnderEachOfTheNineViews) {
  PrinterConfig config;
  config.address = "127.66.1.10";
  config.postScriptFonts = 499;
  config.pclFonts = 499;
  Start(config);
  DownloadTwo("Gothic", "Elegant");
  Open();
  EXPECT_EQ(window->windowTitle(), "Printer Font List");
  EXPECT_EQ(window->ControlAs<QComboBox>(kPrinterCombo)->itemText(0), "VP (Virtual) 127.66.1.10");
  EXPECT_EQ(Table()->topLevelItemCount(), 1000);
  EXPECT_EQ(window->statusBar()->currentMessage(), "1000 Font(s)");
  EXPECT_FALSE(window->Control(kDeleteButton)->isEnabled());

  // 499 internal fonts of each type, permanent, and one downloaded of each.
  const int counts[kFontViewCount] = {1000, 998, 2, 500, 500, 499, 499, 1, 1};
  auto* views = window->ControlAs<QComboBox>(kViewCombo);
  ASSERT_EQ(views->count(), kFontViewCount);
  for (int view = 0; view < kFontViewCount; ++view) {
    views->setCurrentIndex(view);
    EXPECT_EQ(Table()->topLevelItemCount(), counts[view]) << view;
    EXPECT_EQ(window->statusBar()->currentMessage(), QString("%1 Font(s)").arg(counts[view])) << view;
  }
  views->setCurrentIndex(kPclDownloaded);
  ASSERT_EQ(Table()->topLevelItemCount(), 1);
  EXPECT_EQ(Table()->topLevelItem(0)->text(0), "Gothic");
  EXPECT_EQ(Table()->topLevelItem(0)->text(2), "77");
  EXPECT_EQ(Table()->topLevelItem(0)->text(3), "Downloaded");
  EXPECT_EQ(Table()->topLevelItem(0)->text(4), "Hard Disk");
}

TEST_F(FontListDialogTest, TwoDownloadedFontsAreDeletedAndGoneAfterTheRefresh) {
  PrinterConfig config;
  config.address = "127.66.2.10";
  Start(config);
  DownloadTwo("Gothic", "Elegant");
  DownloadTwo("Roman", "Plain");
  Open();
  ASSERT_EQ(Table()->topLevelItemCount(), 12);
  const std::vector<QString> statuses = DeleteFonts({"Gothic", "Plain"});
  EXPECT_EQ(statuses, (std::vector<QString>{"Deleted", "Deleted"}));
  EXPECT_EQ(boxes.shown, (std::vector<int>{kDeleteQuestion, delete_fonts::kAllDeleted}));
  EXPECT_EQ(Table()->topLevelItemCount(), 10);
  EXPECT_EQ(RowOf("Gothic"), -1);
  EXPECT_EQ(RowOf("Plain"), -1);
  EXPECT_NE(RowOf("Elegant"), -1);
  EXPECT_EQ(simulator.Fonts(0).size(), 10u);
}

class FontListTimeOutTest : public FontListDialogTest {
 protected:
  Clock& clock() override { return fakeClock; }
  FakeClock fakeClock;
};

TEST_F(FontListTimeOutTest, ADeletionThatNeverFinishesTimesOut) {
  PrinterConfig config;
  config.address = "127.66.3.10";
  Start(config);
  DownloadTwo("Gothic", "Elegant");
  printer_sim::Faults faults;
  faults.deletionsHang = true;
  simulator.SetFaults(0, faults);
  Open();
  const std::vector<QString> statuses = DeleteFonts({"Gothic", "Elegant"});
  EXPECT_EQ(statuses, (std::vector<QString>{"Time out.", "Not reached"}));
  EXPECT_EQ(boxes.shown, (std::vector<int>{kDeleteQuestion, delete_fonts::kNoneDeleted}));
  EXPECT_EQ(fakeClock.sleptMs(), 1000u + 599u * 150u);
  EXPECT_EQ(Table()->topLevelItemCount(), 10);
}

TEST_F(FontListDialogTest, AddFontShowsTheDownloadedFontAfterThePartialReread) {
  PrinterConfig config;
  config.address = "127.66.4.10";
  Start(config);
  Open();
  ASSERT_EQ(Table()->topLevelItemCount(), 8);
  window->download = [this] { DownloadTwo("Gothic", "Elegant"); };
  window->ControlAs<QPushButton>(kAddFontButton)->click();
  ASSERT_EQ(window->opened.size(), 1u);
  EXPECT_EQ(window->opened[0], &printer);
  EXPECT_EQ(Table()->topLevelItemCount(), 10);
  EXPECT_NE(RowOf("Gothic"), -1);
  EXPECT_EQ(window->statusBar()->currentMessage(), "10 Font(s)");
}

// A wrong read community and a printer without fonts both leave the list
// empty; only the first one says the printer did not answer.
TEST_F(FontListDialogTest, AWrongCommunityIsToldApartFromAPrinterWithoutFonts) {
  PrinterConfig config;
  config.address = "127.66.6.10";
  config.postScriptFonts = 0;
  config.pclFonts = 0;
  Start(config);
  Open();
  EXPECT_EQ(Table()->topLevelItemCount(), 0);
  EXPECT_EQ(window->statusBar()->currentMessage(), "0 Font(s)");

  std::snprintf(printer.readCommunity, sizeof printer.readCommunity, "wrong");
  Open();
  EXPECT_EQ(Table()->topLevelItemCount(), 0);
  EXPECT_EQ(window->statusBar()->currentMessage(), "The printer did not answer with this community string.");
  // Delete with nothing selected asks for a selection.
  window->logic().OnDeleteFont();
  EXPECT_EQ(boxes.shown, std::vector<int>{kSelectFontsToDelete});
}

TEST_F(FontListDialogTest, EveryWayOfClosingTheDeletionWaitsForItsWorker) {
  PrinterConfig config;
  config.address = "127.66.5.10";
  Start(config);
  DownloadTwo("Gothic", "Elegant");
  FontList fonts{};
  ASSERT_EQ(SnmpGetFontList(&printer, &fonts), 0);
  std::vector<FontEntry> downloaded(fonts.entries + 8, fonts.entries + 10);
  SnmpFreeFontList(&fonts);

  // The close box asks as Close does; No lets the run go on.
  boxes.answers = {IDNO};
  DeleteFontsDialog deletion(boxes, ui, SystemClock(), printer, downloaded);
  EXPECT_EQ(deletion.ControlAs<QLineEdit>(delete_fonts::kPrinterText)->text(), "VP (Virtual) 127.66.5.10");
  deletion.show();
  deletion.close();
  EXPECT_EQ(boxes.shown, std::vector<int>{delete_fonts::kStopQuestion});
  EXPECT_EQ(deletion.logic().runState(), kDeleteRunning);
  // Escape stops after the font in progress; Close and the close box then
  // close only once the worker has ended and shown its summary.
  QTest::keyClick(&deletion, Qt::Key_Escape);
  EXPECT_EQ(deletion.logic().runState(), kDeleteStopRequested);
  deletion.ControlAs<QPushButton>(delete_fonts::kCloseButton)->click();
  deletion.close();
  EXPECT_TRUE(deletion.isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !deletion.isVisible(); }, 10000));
  EXPECT_TRUE(deletion.logic().runOver());
  EXPECT_EQ(deletion.result(), QDialog::Accepted);
  EXPECT_EQ(deletion.deletedCount(), 1);
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Stopped: 1 of 2 fonts deleted."});
  EXPECT_EQ(Column(deletion.ControlAs<QTreeWidget>(delete_fonts::kFontTable), 2),
            (std::vector<QString>{"Deleted", "Not reached"}));
}

}  // namespace
