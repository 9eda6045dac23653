// The Fleet Fonts window, offscreen, reading two virtual printers with the
// real SNMP library: the matrix as each list arrives, a set opened, and a
// download of exactly the missing cells selected.
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "fleet/fleet_fonts_dialog.h"
#include "glysnmp_test_support.h"
#include "qt_test_environment.h"
#include "sim_test_support.h"
#include "temp_dir.h"
#include "virtual_printer_support.h"

namespace {

using printer_sim::PrinterConfig;

const std::string kType1Pfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";

struct Sent {
  std::vector<std::string> printers;
  std::vector<std::string> files;
};

class FleetFontsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> addresses = {"127.66.46.10", "127.66.46.11"};
    const uint16_t snmpPort = FreeUdpPort(addresses);
    for (const std::string& address : addresses) {
      PrinterConfig config;
      config.address = address;
      config.snmpPort = snmpPort;
      config.pclFonts = 1;
      config.postScriptFonts = 1;
      ASSERT_TRUE(simulator.AddPrinter(config));
      records.push_back(RecordFor(address));
    }
    CopyRecordText(records[0].printerName, "Front desk");
    CopyRecordText(records[0].modelName, "Quill 4500 PS");
    simulator.Start();
    agent = std::make_unique<AgentTest>(snmpPort);
    simulator.RunJob(0, sim_test::PjlDownload('0', "Gothic", sim_test::PclSoftFont("Gothic", 12)));
    std::vector<PrinterRecord*> printers;
    for (PrinterRecord& record : records) printers.push_back(&record);
    window = std::make_unique<FleetFontsDialog>(
        boxes, printers,
        [this](const std::vector<PrinterRecord*>& to, const std::vector<std::string>& files, StorageLocation,
               QWidget*) {
          Sent batch{{}, files};
          for (const PrinterRecord* printer : to) batch.printers.push_back(FormatAddress(printer->address));
          sent.push_back(batch);
        });
  }

  void WaitForAll() {
    for (int wait = 0; wait < 500 && window->logic().running(); ++wait) QTest::qWait(10);
    ASSERT_FALSE(window->logic().running());
  }
  QTableWidget* Table() { return window->findChild<QTableWidget*>(); }
  std::vector<QString> Row(int row) {
    std::vector<QString> texts{Table()->verticalHeaderItem(row)->text()};
    for (int column = 0; column < Table()->columnCount(); ++column) texts.push_back(Table()->item(row, column)->text());
    return texts;
  }

  printer_sim::Simulator simulator;
  std::unique_ptr<AgentTest> agent;
  std::vector<PrinterRecord> records;
  ScriptedBoxes boxes;
  TempDir scratch;
  std::vector<Sent> sent;
  std::unique_ptr<FleetFontsDialog> window;
};

TEST_F(FleetFontsDialogTest, TheMatrixFillsAndMissingCellsSelectedAreSentToTheirPrinters) {
  WaitForAll();
  EXPECT_EQ(Table()->columnCount(), 2);
  // Each printer is named as everywhere else, and its column is as wide as its name.
  const QString named = "Front desk (Quill 4500 PS) 127.66.46.10";
  EXPECT_EQ(Table()->horizontalHeaderItem(0)->text(), named);
  EXPECT_GE(Table()->horizontalHeader()->sectionSize(0), Table()->fontMetrics().horizontalAdvance(named));
  // Every font found: one internal font of each type on both, Gothic on the first.
  window->findChild<QLineEdit*>()->setText("GOTH");
  ASSERT_EQ(Table()->rowCount(), 1);
  EXPECT_EQ(Row(0), (std::vector<QString>{"Gothic (PCL)", "held", "missing"}));
  window->findChild<QLineEdit*>()->setText("");
  EXPECT_EQ(Table()->rowCount(), 3);

  const std::string set = scratch.file("floor.set");
  sim_test::WriteFile(scratch.file("Gothic.sfp"), sim_test::PclSoftFont("Gothic", 12));
  sim_test::WriteFile(set, "resource Gothic.sfp\nresource " + kType1Pfb + "\n");
  ASSERT_TRUE(window->logic().OpenSet(set));
  WaitForAll();
  ASSERT_EQ(Table()->rowCount(), 2);
  EXPECT_EQ(Row(0), (std::vector<QString>{"Gothic.sfp", "held", "missing"}));
  EXPECT_EQ(Row(1), (std::vector<QString>{"NimbusSans-Regular.pfb", "missing", "missing"}));
  EXPECT_EQ(window->logic().CsvText(),
            "Resource,Front desk (Quill 4500 PS) 127.66.46.10,127.66.46.11\r\n"
            "Gothic.sfp,held,missing\r\nNimbusSans-Regular.pfb,missing,missing\r\n");

  // A held cell among those selected is not sent; resources bound for the
  // same printers go together.
  QPushButton* download = nullptr;
  for (QPushButton* button : window->findChildren<QPushButton*>())
    if (button->text() == "&Download") download = button;
  EXPECT_FALSE(download->isEnabled());
  Table()->setRangeSelected({0, 0, 0, 1}, true);
  Table()->setRangeSelected({1, 0, 1, 1}, true);
  ASSERT_TRUE(download->isEnabled());
  download->click();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].printers, (std::vector<std::string>{"127.66.46.10", "127.66.46.11"}));
  EXPECT_EQ(sent[0].files, std::vector<std::string>{kType1Pfb});
  EXPECT_EQ(sent[1].printers, std::vector<std::string>{"127.66.46.11"});
  EXPECT_EQ(sent[1].files, std::vector<std::string>{scratch.file("Gothic.sfp")});
  WaitForAll();
}

}  // namespace
