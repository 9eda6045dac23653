#include "snmp/add_printer.h"
#include "snmp/add_printer_ids.h"
#include "window_fixture.h"

using namespace add_printer;

namespace {

IpAddressValue Fields(std::optional<uint8_t> a, std::optional<uint8_t> b = {},
                      std::optional<uint8_t> c = {}, std::optional<uint8_t> d = {}) {
  IpAddressValue value;
  value.fields = {a, b, c, d};
  return value;
}

class AddPrinterTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartWithoutProfiles();
    dialog = std::make_unique<AddPrinterLogic>(*logic, boxes);
  }
  void Known(uint32_t address, int32_t addResult = kSnmpAddAnswered) {
    snmp_double::Device device;
    device.info = snmp_double::MakeDeviceInfo(address, "1.2", "NEW", "Laser");
    device.addResult = addResult;
    snmp_double::AddDevice(device);
  }
  std::unique_ptr<AddPrinterLogic> dialog;
};

TEST_F(AddPrinterTest, BlankAddressKeepsTheDialogOpenWithoutAskingTheLibrary) {
  EXPECT_EQ(dialog->AddPrinterByAddress(IpAddressValue{}), AddPrinterLogic::Outcome::StayOpen);
  EXPECT_EQ(boxes.shown, std::vector<int>{kIncompleteAddressText});
  EXPECT_EQ(snmp_double::CallCount("SnmpAddPrinter"), 0);
}

TEST_F(AddPrinterTest, OnlyTheFirstFieldFilledIsAnAddressWithZeros) {
  const IpAddressValue value = Fields(10);
  EXPECT_FALSE(value.IsBlank());
  EXPECT_EQ(value.Address(), Ip(10, 0, 0, 0));
  EXPECT_EQ(Fields({}, {}, {}, 7).Address(), Ip(0, 0, 0, 7));

  dialog->AddPrinterByAddress(value);
  ASSERT_EQ(snmp_double::CallCount("SnmpAddPrinter"), 1);
  EXPECT_EQ(snmp_double::Calls().back().address, Ip(10, 0, 0, 0));
}

TEST_F(AddPrinterTest, AddedPrinterIsListedSelectedAndAnnounced) {
  Report(Ip(10, 0, 0, 9), "OLD");
  Known(Ip(10, 0, 0, 1));
  EXPECT_EQ(dialog->AddPrinterByAddress(IpAddressValue::FromAddress(Ip(10, 0, 0, 1))),
            AddPrinterLogic::Outcome::Close);
  EXPECT_EQ(boxes.shown, std::vector<int>{kPrinterAddedText});
  ASSERT_EQ(logic->itemCount(), 2);
  EXPECT_EQ(logic->selectedRow(), 0);
  EXPECT_EQ(logic->printers().at(0)->address, Ip(10, 0, 0, 1));
  EXPECT_EQ(logic->items()[0].text, "NEW (Laser) 10.0.0.1");
}

// Each failure says what it is and keeps the dialog open with what was
// typed; addresses no printer can have are not asked at all.
TEST_F(AddPrinterTest, LibraryRefusalsAreToldApartAndKeepTheDialogOpen) {
  Known(Ip(10, 0, 0, 2), kSnmpAddAlreadyListed);
  Known(Ip(10, 0, 0, 3), kSnmpNoSession);
  Known(Ip(10, 0, 0, 5), kSnmpNoAnswer);
  Known(Ip(10, 0, 0, 6), kSnmpMalformedAnswer);
  Known(Ip(10, 0, 0, 7), kSnmpAuthenticationFailed);
  // 10.0.0.4 is unknown to the library: not a printer address.
  for (uint32_t address : {Ip(10, 0, 0, 4), Ip(10, 0, 0, 2), Ip(10, 0, 0, 3), Ip(10, 0, 0, 5), Ip(10, 0, 0, 6),
                           Ip(10, 0, 0, 7), Ip(0, 1, 2, 3), Ip(224, 0, 0, 1)})
    EXPECT_EQ(dialog->AddPrinterByAddress(IpAddressValue::FromAddress(address)),
              AddPrinterLogic::Outcome::StayOpen);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kNotAPrinterText, kAlreadyListedText, ScriptedBoxes::kTextShown,
                                          ScriptedBoxes::kTextShown, kUnreadableAnswerText, ScriptedBoxes::kTextShown,
                                          ScriptedBoxes::kTextShown, ScriptedBoxes::kTextShown}));
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"The printer at 10.0.0.3 could not be asked (no SNMP session could be opened).",
                                                  "No printer answers at 10.0.0.5.",
                                                  "The printer at 10.0.0.7 refused the SNMPv3 settings (authentication failed).",
                                                  "0.1.2.3 is not an address a printer can have.",
                                                  "224.0.0.1 is not an address a printer can have."}));
  EXPECT_EQ(snmp_double::CallCount("SnmpAddPrinter"), 6);
  EXPECT_EQ(logic->itemCount(), 0);
}

// Cancel stops waiting for the library: its answer is dropped when it
// comes, and a printer it found is forgotten again.
TEST_F(AddPrinterTest, CancelledAddDropsTheAnswerAndForgetsThePrinter) {
  Known(Ip(10, 0, 0, 1));
  ui.current = false;  // the answer comes from the background
  EXPECT_EQ(dialog->AddPrinterByAddress(IpAddressValue::FromAddress(Ip(10, 0, 0, 1))), AddPrinterLogic::Outcome::Busy);
  EXPECT_TRUE(dialog->busy());
  dialog->Cancel();
  EXPECT_FALSE(dialog->busy());
  ui.current = true;
  ui.RunPosted();
  EXPECT_EQ(logic->itemCount(), 0);
  EXPECT_TRUE(boxes.shown.empty());
  ASSERT_EQ(snmp_double::CallCount("SnmpForgetPrinter"), 1);
  EXPECT_EQ(snmp_double::Calls().back().address, Ip(10, 0, 0, 1));
}

TEST_F(AddPrinterTest, SubnetSearchNeedsAddressAndMask) {
  EXPECT_EQ(dialog->GetSubnetPrinters(Fields(10), IpAddressValue{}), AddPrinterLogic::Outcome::StayOpen);
  EXPECT_EQ(dialog->GetSubnetPrinters(IpAddressValue{}, Fields(255)), AddPrinterLogic::Outcome::StayOpen);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kSubnetIncompleteText, kSubnetIncompleteText}));
  EXPECT_EQ(snmp_double::CallCount("SnmpDiscoverPrinters"), 0);
}

TEST_F(AddPrinterTest, MasksUpToASlash16AreSearchedOthersAreExplained) {
  EXPECT_EQ(CheckSubnetMask(Ip(255, 255, 0, 0)), SubnetMaskCheck::kSearched);
  EXPECT_EQ(CheckSubnetMask(Ip(255, 255, 255, 255)), SubnetMaskCheck::kSearched);
  EXPECT_EQ(CheckSubnetMask(Ip(255, 254, 0, 0)), SubnetMaskCheck::kTooLarge);
  EXPECT_EQ(CheckSubnetMask(0), SubnetMaskCheck::kTooLarge);
  EXPECT_EQ(CheckSubnetMask(Ip(255, 255, 0, 255)), SubnetMaskCheck::kNotAMask);
  EXPECT_EQ(CheckSubnetMask(Ip(0, 255, 255, 255)), SubnetMaskCheck::kNotAMask);

  EXPECT_EQ(dialog->GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 0, 255, 0)), AddPrinterLogic::Outcome::StayOpen);
  EXPECT_EQ(dialog->GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 0, 0, 0)), AddPrinterLogic::Outcome::StayOpen);
  // The library hands out no target for what it will not search.
  EXPECT_EQ(dialog->GetSubnetPrinters(Fields(0, 0, 0, 1), Fields(255, 255, 0, 0)), AddPrinterLogic::Outcome::StayOpen);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kNotAMaskText, kSubnetTooLargeText, kSubnetRefusedText}));
  EXPECT_EQ(snmp_double::CallCount("SnmpDiscoverPrinters"), 0);
  EXPECT_EQ(dialog->GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 255, 0, 0)), AddPrinterLogic::Outcome::Busy);
  EXPECT_EQ(snmp_double::CallCount("SnmpDiscoverPrinters"), 1);
}

TEST_F(AddPrinterTest, SubnetSearchListsWhatIsFoundAndSelectsTheLastItem) {
  // Nothing found and nothing listed: no selection, no message.
  std::vector<AddPrinterLogic::Outcome> finished;
  AddPrinterLogic searching(*logic, boxes, [&](AddPrinterLogic::Outcome outcome) { finished.push_back(outcome); });
  EXPECT_EQ(searching.GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 255, 255, 0)),
            AddPrinterLogic::Outcome::Busy);
  ui.RunPosted();
  EXPECT_EQ(finished, std::vector<AddPrinterLogic::Outcome>{AddPrinterLogic::Outcome::Close});
  EXPECT_EQ(logic->selectedRow(), -1);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(logic->statusText(), "Found 0 printers (0 already listed, 254 did not answer SNMP)");

  for (int d : {7, 12}) {
    snmp_double::Device device;
    device.info = snmp_double::MakeDeviceInfo(Ip(10, 0, 0, d), "1.2", "P", "Laser");
    snmp_double::AddDevice(device);
  }
  dialog->GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 255, 255, 0));
  ui.RunPosted();
  EXPECT_EQ(logic->itemCount(), 2);
  EXPECT_EQ(logic->selectedRow(), 1);
  // The panel shows the selected printer too.
  EXPECT_EQ(logic->selectedIndex(), 1);
  EXPECT_EQ(logic->addressText(), "IP Address: 10.0.0.7");
  EXPECT_EQ(snmp_double::Calls().back().operation, "SnmpGetPrinterAbilities");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(logic->statusText(), "Found 2 printers (0 already listed, 252 did not answer SNMP)");

  // The library leaves listed printers out; the count says so.
  for (int d : {7, 12}) {
    snmp_double::Device listed = snmp_double::GetDevice(Ip(10, 0, 0, d));
    listed.discoverable = false;
    snmp_double::AddDevice(listed);
  }
  Known(Ip(10, 0, 0, 30));
  dialog->GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 255, 255, 0));
  ui.RunPosted();
  EXPECT_EQ(logic->statusText(), "Found 1 printers (2 already listed, 251 did not answer SNMP)");
}

TEST_F(AddPrinterTest, SubnetSearchSelectsOnlyAfterReportsFromOtherThreadsAreListed) {
  for (int d : {3, 20, 9}) {
    snmp_double::Device device;
    device.info = snmp_double::MakeDeviceInfo(Ip(10, 0, 0, d), "1.2", "P", "Laser");
    snmp_double::AddDevice(device);
  }
  // The library reports from a thread of its own: the reports wait in the
  // user-interface thread's queue when the search returns.
  ui.current = false;
  dialog->GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 255, 255, 0));
  EXPECT_EQ(logic->itemCount(), 0);
  ui.current = true;
  ui.RunPosted();
  EXPECT_EQ(logic->itemCount(), 3);
  EXPECT_EQ(logic->selectedRow(), 2);
}

TEST_F(AddPrinterTest, SelectionAfterTheSearchIsDroppedWhenTheWindowClosedFirst) {
  dialog->GetSubnetPrinters(Fields(10, 0, 0, 0), Fields(255, 255, 255, 0));
  dialog.reset();
  logic.reset();
  ui.RunPosted();  // must not reach the destroyed window
}

TEST_F(AddPrinterTest, InitialAddressIsTheLibrarysDefaultWhenItHasOne) {
  snmp_double::SetDefaultAddress(0, Ip(192, 0, 2, 5));
  EXPECT_EQ(dialog->InitialAddress(), Ip(192, 0, 2, 5));
  snmp_double::SetDefaultAddress(1, Ip(192, 0, 2, 5));
  EXPECT_EQ(dialog->InitialAddress(), std::nullopt);
}

}  // namespace
