#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "printers/app_directory.h"
#include "shell/main_window_ids.h"
#include "printers/printer_list_file.h"
#include "window_fixture.h"

using namespace main_window;

namespace {

class MainWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartWithoutProfiles();
  }
};

TEST_F(MainWindowTest, StartsEmptyWithOnlyAddPrinterOfTheCommandButtonsEnabled) {
  EXPECT_EQ(logic->itemCount(), 0);
  EXPECT_EQ(logic->selectedIndex(), -1);
  EXPECT_TRUE(logic->IsEnabled(kAddPrinterButton));
  for (int id : {kFontListButton, kPrintFontListButton, kManageResourcesButton, kHardDiskLabel, kFlashLabel})
    EXPECT_FALSE(logic->IsEnabled(id)) << id;
  EXPECT_EQ(logic->addressText(), "");
  EXPECT_EQ(snmp_double::CallCount("SnmpInitContext"), 1);
}

TEST_F(MainWindowTest, CommandButtonsFollowTheChecks) {
  Report(Ip(10, 0, 0, 1), "A");
  Report(Ip(10, 0, 0, 3), "C");
  Report(Ip(10, 0, 0, 2), "B");
  logic->OnListSelectionChanged(1);
  EXPECT_TRUE(logic->IsEnabled(kPrintFontListButton));
  EXPECT_FALSE(logic->IsEnabled(kFontListButton));
  EXPECT_FALSE(logic->IsEnabled(kManageResourcesButton));

  // A click on the first item's box checks it and selects it.
  logic->OnListCheckChanged(0, true);
  logic->OnListSelectionChanged(0);
  EXPECT_TRUE(logic->IsEnabled(kFontListButton));
  EXPECT_TRUE(logic->IsEnabled(kManageResourcesButton));

  // Unchecking it and moving on to another item disables them again.
  logic->OnListCheckChanged(0, false);
  logic->OnListSelectionChanged(2);
  EXPECT_FALSE(logic->IsEnabled(kFontListButton));
  EXPECT_FALSE(logic->IsEnabled(kManageResourcesButton));

  // Checking the selected item moves no selection, and counts all the same.
  logic->OnListCheckChanged(2, true);
  EXPECT_TRUE(logic->IsEnabled(kFontListButton));
  logic->OnListCheckChanged(2, false);
  EXPECT_FALSE(logic->IsEnabled(kManageResourcesButton));

  // No selection: nothing to print.
  logic->OnListSelectionChanged(-1);
  EXPECT_FALSE(logic->IsEnabled(kPrintFontListButton));
}

TEST_F(MainWindowTest, OptionLabelsShowTheStorageOfTheSelectedPrinter) {
  Report(Ip(10, 0, 0, 1), "both", kStorageBoth);
  Report(Ip(10, 0, 0, 2), "none", kStorageNone);
  Report(Ip(10, 0, 0, 3), "disk", kStorageHardDisk);
  Report(Ip(10, 0, 0, 4), "odd", 7);

  logic->OnListSelectionChanged(RowOf(Ip(10, 0, 0, 1)));
  EXPECT_TRUE(logic->IsEnabled(kHardDiskLabel));
  EXPECT_TRUE(logic->IsEnabled(kFlashLabel));
  // An unknown value leaves the labels as the last printer set them.
  logic->OnListSelectionChanged(RowOf(Ip(10, 0, 0, 4)));
  EXPECT_TRUE(logic->IsEnabled(kHardDiskLabel));
  EXPECT_TRUE(logic->IsEnabled(kFlashLabel));
  logic->OnListSelectionChanged(RowOf(Ip(10, 0, 0, 2)));
  EXPECT_FALSE(logic->IsEnabled(kHardDiskLabel));
  EXPECT_FALSE(logic->IsEnabled(kFlashLabel));
  logic->OnListSelectionChanged(RowOf(Ip(10, 0, 0, 3)));
  EXPECT_TRUE(logic->IsEnabled(kHardDiskLabel));
  EXPECT_FALSE(logic->IsEnabled(kFlashLabel));
}

TEST_F(MainWindowTest, AddressLabelNamesTheSelectedPrinter) {
  Report(Ip(10, 1, 2, 3), "LAB2");
  logic->OnListSelectionChanged(0);
  EXPECT_EQ(logic->addressText(), "IP Address: 10.1.2.3");
  EXPECT_EQ(logic->selectedIndex(), 0);
}

TEST_F(MainWindowTest, PrintFontListSendsTheJobFileForTheKindAndModel) {
  ASSERT_TRUE(InitAppDirectory());
  Report(Ip(10, 0, 0, 1), "A");
  Report(Ip(10, 0, 0, 2), "B");
  logic->OnListSelectionChanged(0);
  // The first printer's model wants the other PCL list.
  logic->printers().at(0)->pclList = 1;

  auto print = [&](int choice) {
    host.fontListMenuChoice = choice;
    logic->OnCommand(kPrintFontListButton);
    if (choice != 0) {
      ASSERT_TRUE(ui.AwaitAndRunPosted());
    }
  };
  print(kPclFontList);
  print(kPsFontList);
  logic->OnListSelectionChanged(1);
  print(kPclFontList);
  print(0);  // dismissed
  EXPECT_FALSE(logic->sendingFontList());

  ASSERT_EQ(submissions.size(), 3u);
  EXPECT_EQ(submissions[0].jobFile, AppDataFilePath("FontList1.pcl"));
  EXPECT_EQ(submissions[1].jobFile, AppDataFilePath("FontList.ps"));
  EXPECT_EQ(submissions[2].jobFile, AppDataFilePath("FontList.pcl"));
  EXPECT_EQ(submissions[0].address, "10.0.0.1");
  EXPECT_EQ(submissions[2].address, "10.0.0.2");
  EXPECT_EQ(submissions[0].hostName, "GLY");
  EXPECT_EQ(submissions[0].jobNumber, 0);
  EXPECT_EQ(host.waitCursor, 0);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(logic->statusText(), "The font list was sent to B (Laser printer) 10.0.0.2.");
}

// The window keeps answering while a font-list job waits on its printer:
// the job is sent on another thread, the command is greyed until it ends,
// and a failure is told.
TEST_F(MainWindowTest, PrintFontListSendsOffTheWindowsThreadAndTellsAFailure) {
  ASSERT_TRUE(InitAppDirectory());  // the job file is opened before it is sent
  std::mutex gate;
  std::unique_lock held(gate);
  std::thread::id sender;
  submitResult = 10060;  // WSAETIMEDOUT
  onSubmit = [&] {
    sender = std::this_thread::get_id();
    const std::lock_guard wait(gate);  // the printer takes its time
  };
  Report(Ip(10, 0, 0, 1), "A");
  logic->OnListSelectionChanged(0);
  host.fontListMenuChoice = kPsFontList;
  logic->OnCommand(kPrintFontListButton);

  // The command returned while the job is still on its way.
  EXPECT_TRUE(logic->sendingFontList());
  EXPECT_FALSE(logic->IsEnabled(kPrintFontListButton));
  EXPECT_EQ(host.waitCursor, 1);
  EXPECT_EQ(logic->statusText(),
            "No printer is checked: sending the font list job to the highlighted printer, A (Laser printer) 10.0.0.1 ...");
  logic->OnCommand(kPrintFontListButton);  // a second one waits for the first
  held.unlock();

  ASSERT_TRUE(ui.AwaitAndRunPosted());
  EXPECT_NE(sender, std::this_thread::get_id());
  EXPECT_EQ(submissions.size(), 1u);
  // The box and the status bar name the port and what went wrong there.
  EXPECT_EQ(boxes.texts, std::vector<std::string>{logic->statusText()});
  EXPECT_EQ(logic->statusText(), "The font list was not sent to A (Laser printer) 10.0.0.1 (lpr port 515): Socket failure! Please check "
                                 "the printer and try again. (timed out)");
  EXPECT_EQ(host.waitCursor, 0);
  EXPECT_TRUE(logic->IsEnabled(kPrintFontListButton));
}

// Closing waits for the job being sent, leaves those to the other checked
// printers, and drops what came of them.
TEST_F(MainWindowTest, ClosingWhileFontListJobsAreSentWaitsForTheOneBegunOnly) {
  ASSERT_TRUE(InitAppDirectory());
  Report(Ip(10, 0, 0, 1), "A");
  Report(Ip(10, 0, 0, 2), "B");
  logic->OnListCheckChanged(0, true);
  logic->OnListCheckChanged(1, true);
  std::atomic<bool> begun = false;
  onSubmit = [&] {
    begun = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the printer takes its time
  };
  submitResult = 10061;  // WSAECONNREFUSED
  logic->OnCommand(kPsFontList);
  for (int i = 0; i < 500 && !begun; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(begun);
  logic.reset();
  ui.RunPosted();
  EXPECT_EQ(submissions.size(), 1u);
  EXPECT_TRUE(boxes.shown.empty());
}

// Remove takes the checked printers out, or the selected one when none is
// checked; the library forgets them, so adding one again asks it afresh,
// and it comes back with the community strings it had.
TEST_F(MainWindowTest, RemovedPrintersLeaveTheListAndComeBackWithTheirCommunities) {
  for (int d : {1, 2, 3, 4}) Report(Ip(10, 0, 0, d), "P");
  EXPECT_FALSE(logic->IsEnabled(kRemovePrinterButton));
  logic->OnListSelectionChanged(1);
  CopyRecordText(logic->printers().at(1)->readCommunity, "secret");
  host.printerMenuChoice = kRemovePrinterButton;  // from the context menu
  logic->OnContextMenu(10, 10);
  EXPECT_EQ(logic->itemCount(), 3);
  EXPECT_EQ(logic->printers().count(), 3);
  EXPECT_EQ(RowOf(Ip(10, 0, 0, 2)), -1);
  EXPECT_EQ(logic->statusText(), "Removed from the list: 10.0.0.2.");
  ASSERT_EQ(snmp_double::CallCount("SnmpForgetPrinter"), 1);
  EXPECT_EQ(snmp_double::Calls().back().address, Ip(10, 0, 0, 2));
  // The next printer is selected, so that Delete can go on.
  EXPECT_EQ(logic->selectedRow(), 1);
  EXPECT_EQ(logic->addressText(), "IP Address: 10.0.0.3");

  logic->OnListCheckChanged(0, true);
  logic->OnListCheckChanged(2, true);
  logic->OnCommand(kRemovePrinterButton);
  ASSERT_EQ(logic->itemCount(), 1);
  EXPECT_EQ(logic->printers().at(0)->address, Ip(10, 0, 0, 3));
  EXPECT_EQ(logic->statusText(), "Removed from the list: 10.0.0.1, 10.0.0.4.");

  Report(Ip(10, 0, 0, 2), "P");
  EXPECT_STREQ(logic->printers().at(RowOf(Ip(10, 0, 0, 2)))->readCommunity, "secret");
  Report(Ip(10, 0, 0, 1), "P");
  EXPECT_STREQ(logic->printers().at(RowOf(Ip(10, 0, 0, 1)))->readCommunity, "vorpal");
}

// Close, Escape and the close box ask first when printers are listed; the
// list can be saved on the way out, and a save that did not happen stays.
TEST_F(MainWindowTest, QuittingWithPrintersListedAsksAndOffersToSave) {
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(host.closed, 1);
  EXPECT_TRUE(boxes.shown.empty());

  Report(Ip(10, 0, 0, 1), "A");
  boxes.answers = {IDCANCEL, IDYES};  // then the file dialog is cancelled
  logic->OnCommand(kCloseButton);
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(host.closed, 1);
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Quit and forget 1 printer?", "Quit and forget 1 printer?"}));
  EXPECT_EQ(boxes.styles[0], MB_SAVEQUITCANCEL | MB_ICONQUESTION);

  Report(Ip(10, 0, 0, 2), "B");
  host.printerListFile = scratch.file("printers.txt");
  boxes.answers = {IDYES, IDNO};
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(host.closed, 2);
  EXPECT_EQ(boxes.texts.back(), "Quit and forget 2 printers?");
  std::string error;
  ASSERT_TRUE(ReadPrinterListFile(host.printerListFile, error));
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(host.closed, 3);
}

TEST_F(MainWindowTest, ChangeCommunityStringReachesThePrinterShownInThePanel) {
  Report(Ip(10, 0, 0, 5), "E");
  host.printerMenuChoice = kChangeCommunityString;
  // Nothing was shown yet: nothing opens.
  logic->OnContextMenu(100, 300);
  EXPECT_TRUE(host.communityPrinters.empty());

  logic->OnListSelectionChanged(0);
  // A printer listed ahead of the shown one moves it down a row; the
  // command still reaches the printer the panel shows.
  Report(Ip(10, 0, 0, 1), "A");
  logic->OnContextMenu(100, 300);
  ASSERT_EQ(host.communityPrinters.size(), 1u);
  EXPECT_EQ(host.communityPrinters[0]->address, Ip(10, 0, 0, 5));
  // The list's own record, not a copy.
  EXPECT_EQ(host.communityPrinters[0], logic->printers().at(RowOf(Ip(10, 0, 0, 5))));
}

TEST_F(MainWindowTest, CommandsOnCheckedPrintersGetCopiesInListOrder) {
  logic->OnCommand(kFontListButton);
  logic->OnCommand(kManageResourcesButton);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kSelectPrinterText, kSelectPrinterText}));
  EXPECT_TRUE(host.fontListPrinters.empty());
  EXPECT_TRUE(host.resourceTargets.empty());

  Report(Ip(10, 0, 0, 3), "C");
  Report(Ip(10, 0, 0, 1), "A");
  Report(Ip(10, 0, 0, 2), "B");
  logic->OnListCheckChanged(2, true);
  logic->OnListCheckChanged(0, true);
  logic->OnCommand(kFontListButton);
  ASSERT_EQ(host.fontListPrinters.size(), 2u);
  EXPECT_EQ(host.fontListPrinters[0]->address, Ip(10, 0, 0, 1));
  EXPECT_EQ(host.fontListPrinters[1]->address, Ip(10, 0, 0, 3));
  EXPECT_NE(host.fontListPrinters[0], logic->printers().at(0));
  EXPECT_EQ(host.waitCursor, 0);

  logic->OnCommand(kManageResourcesButton);
  ASSERT_EQ(host.resourceTargets.size(), 2u);
  EXPECT_EQ(host.resourceAllCount, 3);
  EXPECT_EQ(host.resourceCheckedIndexes, (std::vector<int>{0, 2}));
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(host.resourceAllPrinters[host.resourceCheckedIndexes[i]], host.resourceTargets[i]);
    EXPECT_NE(host.resourceAllPrinters[i], logic->printers().at(static_cast<int>(i)));
  }
}

// Printers the library finds while the Resource Manager is open shift the
// list and, past 400, move its array: what the dialog holds stays as it was.
TEST_F(MainWindowTest, PrintersFoundWhileTheResourceManagerRunsChangeNothingItHolds) {
  for (int i = 0; i < 400; ++i) Report(Ip(10, 1, i / 250, 1 + i % 250), "P");
  logic->OnListCheckChanged(399, true);
  const uint32_t checked = logic->printers().at(399)->address;
  host.whileResourceManagerOpen = [&] { Report(Ip(10, 0, 0, 1), "first in the list"); };
  logic->OnCommand(kManageResourcesButton);
  EXPECT_EQ(logic->printers().count(), 401);
  ASSERT_EQ(host.resourceAllCount, 400);
  ASSERT_EQ(host.resourceCheckedIndexes, std::vector<int>{399});
  EXPECT_EQ(host.resourceAllPrinters[399]->address, checked);
  EXPECT_EQ(host.resourceTargets[0]->address, checked);
  EXPECT_EQ(host.resourceAllPrinters[0]->address, Ip(10, 1, 0, 1));
}

TEST_F(MainWindowTest, ButtonsReachTheirDialogsAndHelpOpensTheProgramsHelpFile) {
  ASSERT_TRUE(InitAppDirectory());
  logic->OnCommand(kAddPrinterButton);
  EXPECT_FALSE(host.addPrinterOnSubnet);
  logic->OnCommand(kFindOnSubnet);
  EXPECT_TRUE(host.addPrinterOnSubnet);
  logic->OnCommand(kAboutButton);
  logic->OnCommand(kHelpButton);
  logic->OnCommand(kCloseButton);
  EXPECT_EQ(host.addPrinterOpened, 2);
  EXPECT_EQ(host.aboutShown, 1);
  EXPECT_EQ(host.helpPaths, (std::vector<std::string>{AppDataFilePath(kHelpFileName)}));
  EXPECT_EQ(host.closed, 1);
}

// Save Printer List writes the listed printers; Open Printer List asks each
// printer of a list afresh, off the window's thread, and tells what came of
// it as a search does; Cancel drops the answers still to come.
TEST_F(MainWindowTest, PrinterListIsSavedAndOpenedAgainThroughTheLibrary) {
  Report(Ip(10, 0, 0, 1), "A", kStorageBoth);
  Report(Ip(10, 0, 0, 2), "B");
  host.printerListFile = scratch.file("printers.txt");
  logic->OnCommand(kSavePrinterList);
  EXPECT_EQ(logic->statusText(), "The printer list was saved in " + host.printerListFile + ".");
  std::string error;
  const auto saved = ReadPrinterListFile(host.printerListFile, error);
  ASSERT_TRUE(saved) << error;
  ASSERT_EQ(saved->size(), 2u);
  EXPECT_EQ((*saved)[0].name, "A");

  // A new run: A answers, B is already listed, C does not answer.
  snmp_double::Reset();
  logic = std::make_unique<MainWindowLogic>(host, boxes, ui, [](const char*, JobPort, const JobFile&, const char*, int) { return 0; });
  StartWithoutProfiles();
  snmp_double::Device a;
  a.info = snmp_double::MakeDeviceInfo(Ip(10, 0, 0, 1), "1.2", "A", "Laser");
  snmp_double::AddDevice(a);
  snmp_double::Device b;
  b.info = snmp_double::MakeDeviceInfo(Ip(10, 0, 0, 2), "1.2", "B", "Laser");
  b.addResult = kSnmpAddAlreadyListed;
  snmp_double::AddDevice(b);
  std::ofstream(host.printerListFile) << "10.0.0.1\n10.0.0.2\tname=B\n10.0.0.3\n";
  logic->OnCommand(kOpenPrinterList);
  EXPECT_EQ(logic->statusText(), "Found 1 printers (1 already listed, 1 did not answer SNMP)");
  ASSERT_EQ(logic->itemCount(), 1);
  EXPECT_EQ(logic->addressText(), "IP Address: 10.0.0.1");
  EXPECT_FALSE(host.waiting);

  snmp_double::Device d;
  d.info = snmp_double::MakeDeviceInfo(Ip(10, 0, 0, 4), "1.2", "D", "Laser");
  snmp_double::AddDevice(d);
  std::ofstream(host.printerListFile) << "10.0.0.4\n10.0.0.3\n";
  ui.current = false;  // the answers come from the background
  logic->OnCommand(kOpenPrinterList);
  ui.current = true;
  EXPECT_TRUE(host.waiting);
  EXPECT_EQ(logic->statusText(), "Asking the 2 printers of " + host.printerListFile + " ...");
  EXPECT_FALSE(logic->IsEnabled(kOpenPrinterList));
  logic->CancelWaiting();
  ui.RunPosted();
  EXPECT_FALSE(host.waiting);
  EXPECT_EQ(logic->statusText(), "Stopped asking printers.");
  EXPECT_EQ(logic->itemCount(), 1);
  ASSERT_EQ(snmp_double::CallCount("SnmpForgetPrinter"), 1);
  EXPECT_EQ(snmp_double::Calls().back().address, Ip(10, 0, 0, 4));

  std::ofstream(host.printerListFile) << "10.0.0.1\nprinter two\n";
  logic->OnCommand(kOpenPrinterList);
  EXPECT_EQ(logic->statusText(), "line 2: not an IPv4 address: printer two");
  host.printerListFile.clear();  // cancelled
  logic->OnCommand(kOpenPrinterList);
  logic->OnCommand(kSavePrinterList);
  EXPECT_EQ(host.printerListSaves, (std::vector<bool>{true, false, false, false, false, true}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowTest, HorizontalExtentFollowsTheWidestItem) {
  Report(Ip(10, 0, 0, 1), "a-rather-long-printer-name");
  const int wide = logic->horizontalExtent();
  EXPECT_EQ(wide, 7 * static_cast<int>(logic->items()[0].text.size()) + 6);
  Report(Ip(10, 0, 0, 2), "b");
  EXPECT_EQ(logic->horizontalExtent(), wide);
}

}  // namespace
