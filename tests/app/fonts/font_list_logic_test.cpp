#include "fonts/font_list_logic.h"

#include <gtest/gtest.h>

#include "font_test_support.h"
#include "fonts/font_list_ids.h"
#include "window_fakes.h"

using namespace font_list;

namespace {

class FakeFontListHost final : public FontListHost {
 public:
  void StateChanged() override {}
  void OpenResourceManager(PrinterRecord& printer) override {
    resourceManagerPrinters.push_back(&printer);
    if (whileResourceManagerOpen) whileResourceManagerOpen();
  }
  int RunDeleteFonts(PrinterRecord& printer, const std::vector<FontEntry>& fonts) override {
    deletePrinters.push_back(&printer);
    toDelete = fonts;
    for (const FontEntry& font : fonts) {
      uint32_t pending = 1;
      DeleteContext context{&printer, 0};
      if (deleteForReal && SnmpDeleteFontStart(&context, font.index) == 0)
        SnmpDeleteFontPoll(&context, font.index, &pending);
    }
    return deletedCount;
  }
  std::vector<PrinterRecord*> resourceManagerPrinters;
  std::function<void()> whileResourceManagerOpen;
  std::vector<PrinterRecord*> deletePrinters;
  std::vector<FontEntry> toDelete;
  bool deleteForReal = false;
  int deletedCount = 0;
};

std::vector<std::string> Names(const std::vector<FontListLogic::Row>& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.cells[0]);
  return names;
}

class FontListLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltResources();
    snmp_double::Reset();
  }
  void TearDown() override {
    logic.reset();
    EXPECT_EQ(snmp_double::OutstandingFontLists(), 0);
    EXPECT_EQ(snmp_double::ForeignFrees(), 0);
    snmp_double::Reset();
  }
  void Open(std::vector<PrinterRecord*> printers) {
    logic = std::make_unique<FontListLogic>(host, boxes, std::move(printers));
    logic->Initialize();
  }

  // Two permanent fonts, an "In RAM" one, downloaded ones of both types and
  // one of a type code the list does not name.
  std::vector<FontEntry> MixedTable() {
    return {MakeFontEntry("Courier", 1, kFontTypePcl, kFontPermanent, kFontInRom, 3),
            MakeFontEntry("Times", 2, kFontTypePostScript, kFontPermanent, kFontInRom, 7),
            MakeFontEntry("Scratch", 3, kFontTypePcl, kFontOnlyInRam, kFontInRam, kNoFontId),
            MakeFontEntry("Logo", 4, kFontTypePcl, kFontDownloaded, kFontOnHardDisk, 12),
            MakeFontEntry("Garamond", 5, kFontTypePostScript, kFontDownloaded, kFontInFlash),
            MakeFontEntry("Odd", 6, 9, kFontDownloaded, 8, 44)};
  }

  PrinterRecord laser = MakePrinter(0x0A000001u, "LASER1", "Model 40");
  FakeFontListHost host;
  ScriptedBoxes boxes;
  std::unique_ptr<FontListLogic> logic;
};

TEST_F(FontListLogicTest, OpensWithTheFirstPrintersWholeTableAndItsCount) {
  // A model text that holds its maker (a description) shows it once.
  PrinterRecord other = MakePrinter(0x0A000002u, "INK", "Ostrel Jet 2", kStorageNone);
  AddPrinterWithFonts(laser, MixedTable());
  Open({&laser, &other});
  EXPECT_EQ(logic->printerLines(), (std::vector<std::string>{"LASER1 (Model 40) 10.0.0.1",
                                                            "INK (Ostrel Jet 2) 10.0.0.2"}));
  EXPECT_EQ(Names(logic->rows()),
            (std::vector<std::string>{"Courier", "Times", "Scratch", "Logo", "Garamond", "Odd"}));
  EXPECT_EQ(logic->statusText(), "6 Font(s)");
  EXPECT_FALSE(logic->IsEnabled(kDeleteButton));
  EXPECT_TRUE(logic->IsEnabled(kAddFontButton));
  EXPECT_EQ(snmp_double::CallCount("SnmpGetFontList"), 1);

  // Cells: an ID only for PCL fonts that have one; empty cells for codes
  // the list does not name.
  const auto& rows = logic->rows();
  EXPECT_EQ(rows[0].cells, (FontCells{"Courier", "PCL", "3", "Permanent", "In ROM"}));
  EXPECT_EQ(rows[1].cells, (FontCells{"Times", "Postscript", "", "Permanent", "In ROM"}));
  EXPECT_EQ(rows[2].cells, (FontCells{"Scratch", "PCL", "", "In RAM", "RAM"}));
  EXPECT_EQ(rows[3].cells, (FontCells{"Logo", "PCL", "12", "Downloaded", "Hard Disk"}));
  EXPECT_EQ(rows[4].cells, (FontCells{"Garamond", "Postscript", "", "Downloaded", "Flash Memory"}));
  EXPECT_EQ(rows[5].cells, (FontCells{"Odd", "", "", "Downloaded", ""}));
  EXPECT_EQ(rows[3].index, 4);
}

TEST_F(FontListLogicTest, ViewsHideWhatTheyNameAndShowEverythingElse) {
  AddPrinterWithFonts(laser, MixedTable());
  Open({&laser});
  const std::vector<std::vector<std::string>> views = {
      {"Courier", "Times", "Scratch", "Logo", "Garamond", "Odd"},
      {"Courier", "Times", "Scratch"},
      {"Scratch", "Logo", "Garamond", "Odd"},
      {"Times", "Garamond", "Odd"},
      {"Courier", "Scratch", "Logo", "Odd"},
      {"Times"},
      {"Courier", "Scratch"},
      {"Garamond", "Odd"},
      {"Scratch", "Logo", "Odd"},
  };
  for (int view = 0; view < kFontViewCount; ++view) {
    logic->OnViewChanged(view);
    EXPECT_EQ(Names(logic->rows()), views[view]) << kFontViewTexts[view];
    EXPECT_EQ(logic->statusText(), std::to_string(views[view].size()) + " Font(s)");
  }
  // Every ID lands in the row of its own entry under a narrowing view.
  logic->OnViewChanged(kPclDownloaded);
  EXPECT_EQ(logic->rows()[1].cells[2], "12");
  EXPECT_EQ(logic->rows()[2].cells[2], "");
  EXPECT_EQ(logic->rows()[2].index, 6);
}

TEST_F(FontListLogicTest, PrinterChangeKeepsTheViewAndFollowsStorageAndReadFailures) {
  PrinterRecord ink = MakePrinter(0x0A000002u, "INK", "Jet 2", kStorageNone);
  PrinterRecord broken = MakePrinter(0x0A000003u, "OFF", "Model 9");
  AddPrinterWithFonts(laser, MixedTable());
  AddPrinterWithFonts(ink, {MakeFontEntry("Arial", 1, kFontTypePcl, kFontDownloaded, kFontInRam)});
  AddPrinterWithFonts(broken, MixedTable(), 5);
  Open({&laser, &ink, &broken});
  logic->OnViewChanged(kAllDownloaded);
  logic->OnPrinterChanged(1);
  EXPECT_EQ(Names(logic->rows()), std::vector<std::string>{"Arial"});
  EXPECT_EQ(logic->statusText(), "1 Font(s)");
  EXPECT_FALSE(logic->IsEnabled(kAddFontButton));
  // A failed read leaves no rows and says why.
  logic->OnPrinterChanged(2);
  EXPECT_TRUE(logic->rows().empty());
  EXPECT_EQ(logic->statusText(), "The printer did not answer with this community string.");
  EXPECT_TRUE(logic->IsEnabled(kAddFontButton));
  logic->OnPrinterChanged(0);
  EXPECT_EQ(Names(logic->rows()), (std::vector<std::string>{"Scratch", "Logo", "Garamond", "Odd"}));
}

TEST_F(FontListLogicTest, FailedFirstReadShowsNoRowsAndSaysThePrinterDidNotAnswer) {
  AddPrinterWithFonts(laser, MixedTable(), 1);
  Open({&laser});
  EXPECT_TRUE(logic->rows().empty());
  EXPECT_EQ(logic->statusText(), "The printer did not answer with this community string.");
}

TEST_F(FontListLogicTest, RefusedSnmpv3SettingsAndAnUnreadableAnswerAreToldApart) {
  PrinterRecord garbled = MakePrinter(0x0A000004u, "GARBLED", "Model 9");
  AddPrinterWithFonts(laser, MixedTable(), kSnmpAuthenticationFailed);
  AddPrinterWithFonts(garbled, MixedTable(), kSnmpMalformedAnswer);
  Open({&laser, &garbled});
  EXPECT_EQ(logic->statusText(), "The font list could not be read: authentication failed.");
  logic->OnPrinterChanged(1);
  EXPECT_EQ(logic->statusText(), "The font list could not be read: the printer's answer could not be read.");
}

TEST_F(FontListLogicTest, AFileSystemClosedLockedOrTooSlowToListIsToldInTheStatusBar) {
  PrinterRecord closed = MakePrinter(0x0A000004u, "PJL", "Model 9");
  PrinterRecord locked = MakePrinter(0x0A000005u, "PIN", "Model 9");
  PrinterRecord slow = MakePrinter(0x0A000006u, "SLOW", "Model 9");
  PrinterRecord endless = MakePrinter(0x0A000007u, "PAGES", "Model 9");
  AddPrinterWithFonts(laser, MixedTable(), kSnmpFontsNoFileSystemAccess);
  AddPrinterWithFonts(closed, MixedTable(), kSnmpFontsNoFileSystemAccess);
  AddPrinterWithFonts(locked, MixedTable(), kSnmpFontsFileSystemLocked);
  AddPrinterWithFonts(slow, MixedTable(), kSnmpPjlDeadlinePassed);
  AddPrinterWithFonts(endless, MixedTable(), kSnmpPjlTooManyRequests);
  Open({&laser, &closed, &locked, &slow, &endless});
  EXPECT_TRUE(logic->rows().empty());
  EXPECT_EQ(logic->statusText(), "The printer does not allow access to its file system.");
  logic->OnPrinterChanged(1);
  EXPECT_EQ(logic->statusText(), "The printer does not allow access to its file system.");
  logic->OnPrinterChanged(2);
  EXPECT_TRUE(logic->rows().empty());
  EXPECT_EQ(logic->statusText(), "The printer asks for a PJL password to open its file system.");
  logic->OnPrinterChanged(3);
  EXPECT_TRUE(logic->rows().empty());
  EXPECT_EQ(logic->statusText(),
            "The printer answered too slowly: its fonts could not all be read or deleted in the time allowed.");
  logic->OnPrinterChanged(4);
  EXPECT_EQ(logic->statusText(), "The printer needed too many requests: its fonts could not all be read or deleted.");
}

// A list as long as the SNMP library reads says that it may be cut.
TEST_F(FontListLogicTest, AListAtTheReadLimitSaysItMayBeCut) {
  std::vector<FontEntry> many;
  for (int i = 1; i <= static_cast<int>(kMostListedFonts); ++i)
    many.push_back(MakeFontEntry(("F" + std::to_string(i)).c_str(), i, kFontTypePcl, kFontDownloaded, kFontOnHardDisk));
  AddPrinterWithFonts(laser, many);
  Open({&laser});
  EXPECT_TRUE(logic->listCut());
  EXPECT_EQ(logic->statusText(), "20000 Font(s)" + std::string(kListCutText));
  logic->OnViewChanged(kAllPostScript);
  EXPECT_EQ(logic->statusText(), "0 Font(s)" + std::string(kListCutText));
}

TEST_F(FontListLogicTest, DeleteOffersOnlyDownloadedFontsWithTheRightQuestion) {
  AddPrinterWithFonts(laser, MixedTable());
  Open({&laser});
  // Nothing selected, or only permanent and "In RAM" fonts: refused.
  logic->OnDeleteFont();
  logic->OnRowsSelected({0, 2});
  EXPECT_TRUE(logic->IsEnabled(kDeleteButton));
  logic->OnDeleteFont();
  EXPECT_EQ(boxes.shown, (std::vector<int>{kSelectFontsToDelete, kCannotDeletePermanent}));
  EXPECT_TRUE(host.deletePrinters.empty());

  // Only downloaded ones: the plain question; No stops.
  boxes.shown.clear();
  logic->OnViewChanged(kAllDownloaded);
  logic->OnRowsSelected({1, 2});
  boxes.answers = {IDNO, IDYES};
  logic->OnDeleteFont();
  EXPECT_TRUE(host.deletePrinters.empty());
  logic->OnDeleteFont();
  EXPECT_EQ(boxes.shown, (std::vector<int>{kDeleteQuestion, kDeleteQuestion}));
  EXPECT_EQ(boxes.styles.back(), MB_YESNO | MB_ICONEXCLAMATION);
  ASSERT_EQ(host.toDelete.size(), 2u);
  EXPECT_EQ(host.toDelete[0].index, 4);
  EXPECT_EQ(host.toDelete[1].index, 5);

  // Mixed: the warning; Cancel stops, OK goes on with the downloaded ones in
  // row order.
  boxes.shown.clear();
  host.deletePrinters.clear();
  logic->OnViewChanged(kAllFonts);
  logic->OnRowsSelected({5, 0, 3});
  boxes.answers = {IDCANCEL, IDOK};
  logic->OnDeleteFont();
  EXPECT_TRUE(host.deletePrinters.empty());
  logic->OnDeleteFont();
  EXPECT_EQ(boxes.shown, (std::vector<int>{kSomeArePermanent, kSomeArePermanent}));
  EXPECT_EQ(boxes.styles.back(), MB_OKCANCEL | MB_ICONEXCLAMATION);
  ASSERT_EQ(host.toDelete.size(), 2u);
  EXPECT_EQ(host.toDelete[0].index, 6);
  EXPECT_EQ(host.toDelete[1].index, 4);
  EXPECT_EQ(host.deletePrinters[0], &laser);
}

TEST_F(FontListLogicTest, DeletionRereadsFromTheFontAfterTheLastPermanentOne) {
  // An "In RAM" font among the permanent ones is re-read with the rest.
  std::vector<FontEntry> table = {
      MakeFontEntry("P1", 10, kFontTypePcl, kFontPermanent, kFontInRom),
      MakeFontEntry("P2", 30, kFontTypePcl, kFontPermanent, kFontInRom),
      MakeFontEntry("R", 20, kFontTypePcl, kFontOnlyInRam, kFontInRam),
      MakeFontEntry("D1", 31, kFontTypePcl, kFontDownloaded, kFontOnHardDisk),
      MakeFontEntry("D2", 32, kFontTypePostScript, kFontDownloaded, kFontOnHardDisk)};
  AddPrinterWithFonts(laser, table);
  Open({&laser});
  EXPECT_EQ(logic->FindLastPermanentFont(), 30);
  EXPECT_EQ(logic->lastPermanentEntry(), 1);

  host.deleteForReal = true;
  host.deletedCount = 1;
  boxes.answers = {IDYES};
  logic->OnRowsSelected({3});
  logic->OnDeleteFont();
  EXPECT_EQ(snmp_double::Calls().back().operation, "SnmpFreeFontList");
  EXPECT_EQ(Names(logic->rows()), (std::vector<std::string>{"P1", "P2", "R", "D2"}));
  EXPECT_EQ(logic->statusText(), "4 Font(s)");
  // Delete stays as it was after the rebuild.
  EXPECT_TRUE(logic->IsEnabled(kDeleteButton));

  // Deleting every font behind the last permanent one empties the tail: the
  // list no longer shows fonts that are gone.
  snmp_double::Device device = snmp_double::GetDevice(laser.address);
  std::erase_if(device.fonts, [](const FontEntry& e) { return e.index == 20; });
  snmp_double::AddDevice(device);  // the printer dropped its RAM font meanwhile
  boxes.answers = {IDOK};
  logic->OnViewChanged(kAllDownloaded);
  logic->OnRowsSelected({0, 1});
  logic->OnDeleteFont();
  ASSERT_EQ(host.toDelete.size(), 1u);
  logic->OnViewChanged(kAllFonts);
  EXPECT_EQ(Names(logic->rows()), (std::vector<std::string>{"P1", "P2"}));
}

TEST_F(FontListLogicTest, NothingIsRereadWithoutPermanentFontsOrAfterAFailedRead) {
  AddPrinterWithFonts(laser, {MakeFontEntry("D1", 1, kFontTypePcl, kFontDownloaded, kFontInRam),
                              MakeFontEntry("D2", 2, kFontTypePcl, kFontDownloaded, kFontInRam)});
  Open({&laser});
  host.deleteForReal = true;
  host.deletedCount = 1;
  boxes.answers = {IDYES};
  logic->OnRowsSelected({0});
  logic->OnDeleteFont();
  logic->OnAddFont();
  EXPECT_EQ(snmp_double::CallCount("SnmpGetFontListFrom"), 0);
  EXPECT_EQ(Names(logic->rows()), (std::vector<std::string>{"D1", "D2"}));

  // The printer stops answering: a failed partial read changes nothing.
  snmp_double::Reset();
  AddPrinterWithFonts(laser, MixedTable());
  Open({&laser});
  AddPrinterWithFonts(laser, MixedTable(), 1);
  logic->OnAddFont();
  EXPECT_EQ(snmp_double::CallCount("SnmpGetFontListFrom"), 1);
  EXPECT_EQ(logic->rows().size(), 6u);
  EXPECT_EQ(logic->statusText(), "");
}

TEST_F(FontListLogicTest, AddFontOpensTheResourceManagerForTheShownPrinterThenRereads) {
  PrinterRecord other = MakePrinter(0x0A000002u, "LASER2", "Model 40");
  AddPrinterWithFonts(laser, MixedTable());
  AddPrinterWithFonts(other, MixedTable());
  Open({&laser, &other});
  logic->OnPrinterChanged(1);
  logic->OnViewChanged(kAllDownloaded);
  host.whileResourceManagerOpen = [&] {
    auto table = MixedTable();
    table.push_back(MakeFontEntry("New", 40, kFontTypePostScript, kFontDownloaded, kFontOnHardDisk));
    AddPrinterWithFonts(other, table);
  };
  logic->OnAddFont();
  ASSERT_EQ(host.resourceManagerPrinters.size(), 1u);
  EXPECT_EQ(host.resourceManagerPrinters[0], &other);
  EXPECT_EQ(snmp_double::Calls().back().operation, "SnmpFreeFontList");
  EXPECT_EQ(Names(logic->rows()), (std::vector<std::string>{"Scratch", "Logo", "Garamond", "Odd", "New"}));
  EXPECT_EQ(logic->fonts().size(), 7u);
}

}  // namespace
