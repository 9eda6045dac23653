#include "printers/printer_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<PrinterRecord> Printer(uint32_t address) {
  auto record = std::make_unique<PrinterRecord>(MakePrinterRecord());
  record->address = address;
  return record;
}

TEST(PrinterRecord, NewRecordsCarryTheDefaults) {
  PrinterRecord record = MakePrinterRecord();
  EXPECT_STREQ(record.readCommunity, "vorpal");
  EXPECT_STREQ(record.writeCommunity, "quillet");
  EXPECT_STREQ(record.trapCommunity, "PLMB_vane");
  EXPECT_STREQ(record.modelName, "");
  EXPECT_EQ(record.address, 0u);
  EXPECT_EQ(record.pclList, 0);
  EXPECT_EQ(record.fontNameIndex, 1);
  EXPECT_EQ(record.optionsKnown, 0);
}

TEST(PrinterRecord, TextsAreCutToTheirFieldsAndAddressesPrintDotted) {
  PrinterRecord record = MakePrinterRecord();
  std::string longName(40, 'p');
  CopyRecordText(record.printerName, longName.c_str());
  EXPECT_EQ(std::string(record.printerName), longName.substr(0, 31));
  EXPECT_EQ(record.readCommunity[0], 'v') << "the next field is untouched";
  CopyRecordText(record.printerName, nullptr);
  EXPECT_STREQ(record.printerName, "") << "no text empties the field";

  EXPECT_EQ(FormatAddress(0x0A010203u), "10.1.2.3");
  EXPECT_EQ(FormatAddress(0xFFFFFFFFu), "255.255.255.255");
  EXPECT_EQ(FormatAddress(0u), "0.0.0.0");
}

TEST(PrinterList, InsertsAtTheListBoxPositionAndGrowsPastFourHundred) {
  PrinterList list;
  EXPECT_EQ(list.capacity(), PrinterList::kInitialCapacity);
  // Insert 400 printers in an order that exercises front, middle and end
  // positions: address i ends up at position i.
  std::vector<uint32_t> expected;
  for (uint32_t i = 0; i < 400; ++i) {
    size_t position = (i * 37) % (expected.size() + 1);
    expected.insert(expected.begin() + static_cast<long>(position), i);
    ASSERT_TRUE(list.InsertPrinter(static_cast<int>(position), Printer(i)));
  }
  EXPECT_EQ(list.count(), 400);

  ASSERT_TRUE(list.InsertPrinter(200, Printer(1000)));
  expected.insert(expected.begin() + 200, 1000);
  ASSERT_EQ(list.count(), 401);
  EXPECT_GT(list.capacity(), 400);
  for (int i = 0; i < list.count(); ++i) {
    ASSERT_EQ(list.printers()[i]->address, expected[static_cast<size_t>(i)]) << i;
  }
}

TEST(PrinterList, RefusesPositionsOutsideTheList) {
  PrinterList list;
  ASSERT_TRUE(list.InsertPrinter(0, Printer(1)));
  EXPECT_FALSE(list.InsertPrinter(2, Printer(2)));
  EXPECT_FALSE(list.InsertPrinter(-1, Printer(3)));
  EXPECT_FALSE(list.InsertPrinter(0, nullptr));
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.at(0)->address, 1u);
}

}  // namespace
