#include <gtest/gtest.h>

#include "snmp/community_strings.h"

namespace {

TEST(CommunityStrings, OnlyFilledInStringsReplaceTheirs) {
  PrinterRecord printer = MakePrinterRecord();
  ApplyCommunityStrings(printer, {"", "", "new-trap"});
  EXPECT_STREQ(printer.readCommunity, "vorpal");
  EXPECT_STREQ(printer.writeCommunity, "quillet");
  EXPECT_STREQ(printer.trapCommunity, "new-trap");

  ApplyCommunityStrings(printer, {});
  EXPECT_STREQ(printer.trapCommunity, "new-trap");
}

TEST(CommunityStrings, LongStringKeepsItsFirst63Characters) {
  PrinterRecord printer = MakePrinterRecord();
  const std::string seventy(70, 'r');
  ApplyCommunityStrings(printer, {seventy, "w", ""});
  EXPECT_EQ(std::string(printer.readCommunity), seventy.substr(0, 63));
  EXPECT_STREQ(printer.writeCommunity, "w");
  // The next field is untouched by the cut.
  EXPECT_STREQ(printer.trapCommunity, "PLMB_vane");
}

TEST(CommunityStrings, TitleNamesThePrinterChanged) {
  PrinterRecord printer = MakePrinterRecord();
  CopyRecordText(printer.printerName, "LAB2");
  printer.address = 0x0A010203u;
  EXPECT_EQ(PrinterDialogTitle("Changing Printer Community Strings", printer),
            "Changing Printer Community Strings - LAB2 10.1.2.3");
}

}  // namespace
