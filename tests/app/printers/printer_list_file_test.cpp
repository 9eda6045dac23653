// The kept printer list: what Save writes, what Open and glyctl read back.
#include "printers/printer_list_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "printers/printer_record.h"
#include "temp_dir.h"

namespace {

PrinterRecord Printer(uint32_t address, const char* name, const char* model) {
  PrinterRecord record = MakePrinterRecord();
  record.address = address;
  CopyRecordText(record.printerName, name);
  CopyRecordText(record.modelName, model);
  record.storageOptions = kStorageBoth;
  record.snmpLevel = 2;
  return record;
}

TEST(PrinterListFile, SavedPrintersComeBackWithTheirSettingsAndNoCommunityString) {
  PrinterRecord lab = Printer(0x0A010203u, "LAB2", "Model 40");
  CopyRecordText(lab.readCommunity, "secret-read");
  CopyRecordText(lab.writeCommunity, "secret-write");
  const PrinterRecord odd = Printer(0xC0A80001u, "ODD\tNAME", "Jet\n9");
  const std::string text = PrinterListText({&lab, &odd});
  EXPECT_EQ(text.find("secret"), std::string::npos);
  EXPECT_EQ(text.find("vorpal"), std::string::npos);
  EXPECT_NE(text.find("10.1.2.3\tname=LAB2\tmodel=Model 40\tstorage=3\tsnmp=2\n"), std::string::npos);

  std::string error;
  const auto saved = ParsePrinterList(text, error);
  ASSERT_TRUE(saved) << error;
  ASSERT_EQ(saved->size(), 2u);
  EXPECT_EQ((*saved)[0].address, 0x0A010203u);
  EXPECT_EQ((*saved)[0].model, "Model 40");
  EXPECT_EQ((*saved)[0].storageOptions, kStorageBoth);
  EXPECT_EQ((*saved)[1].name, "ODD NAME");  // a tab would have split the line
  EXPECT_EQ((*saved)[1].model, "Jet 9");

  TempDir scratch;
  ASSERT_TRUE(WritePrinterListFile(scratch.file("printers.txt"), {&lab}, error)) << error;
  const auto read = ReadPrinterListFile(scratch.file("printers.txt"), error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->size(), 1u);
  EXPECT_FALSE(WritePrinterListFile(scratch.file("no/such/folder/printers.txt"), {&lab}, error));
}

// The job port, the download check and the LPR pacing ride along as more
// settings, which readers without them skip.
TEST(PrinterListFile, JobPortsDownloadChecksAndPacingComeBackAndBadOnesAreRefused) {
  const PrinterRecord lab = Printer(0x0A010203u, "LAB2", "Model 40");
  const PrinterRecord other = Printer(0x0A010204u, "LAB3", "Model 40");
  PrinterSettingsStore settings;
  settings.Set(lab.address, {JobPort::Ipp, false, LprPacing::None});
  const std::string text = PrinterListText({&lab, &other}, &settings);
  EXPECT_NE(text.find("\tsnmp=2\tport=ipp\tverify=no\tlpr-pacing=none\n"), std::string::npos);
  EXPECT_NE(text.find("\tsnmp=2\tport=lpr\n"), std::string::npos);  // the defaults stay unwritten
  std::string error;
  const auto saved = ParsePrinterList(text, error);
  ASSERT_TRUE(saved) << error;
  PrinterSettingsStore opened;
  for (const SavedPrinter& printer : *saved) KeepSavedSettings(printer, opened);
  EXPECT_EQ(opened.Get(lab.address), (PrinterSettings{JobPort::Ipp, false, LprPacing::None}));
  EXPECT_EQ(opened.Get(other.address), PrinterSettings{});
  EXPECT_EQ((*ParsePrinterList("10.0.0.1\tname=A\n", error))[0].port, std::nullopt);
  EXPECT_FALSE(ParsePrinterList("10.0.0.1\tport=usb\n", error));
  EXPECT_EQ(error, "line 1: not a setting: port=usb");
  EXPECT_FALSE(ParsePrinterList("10.0.0.1\tverify=maybe\n", error));
  EXPECT_FALSE(ParsePrinterList("10.0.0.1\tlpr-pacing=fast\n", error));
}

TEST(PrinterListFile, AddressesAloneAndCommentsAreReadOtherLinesRefusedWithTheirNumber) {
  std::string error;
  const auto plain = ParsePrinterList("# mine\r\n10.0.0.1\r\n\n10.0.0.2\tcolour=blue\n", error);
  ASSERT_TRUE(plain) << error;
  EXPECT_EQ(plain->size(), 2u);  // unknown settings are left alone
  for (const char* bad : {"10.0.0.1\n10.0.0\n", "10.0.0.1\n256.0.0.1\n", "10.0.0.1\n10.0.0.1x\n",
                          "10.0.0.1\n1.2.3.4.5\n", "10.0.0.1\n10.0.0.2\tstorage=two\n",
                          "10.0.0.1\n10.0.0.2 name=A\n", "10.0.0.1\n10.0.0.2\tjunk\n"}) {
    EXPECT_FALSE(ParsePrinterList(bad, error)) << bad;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
  EXPECT_EQ(ParseDottedAddress("255.255.255.255"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseDottedAddress("-1.0.0.0"), std::nullopt);

  TempDir scratch;
  std::ofstream(scratch.file("big.txt")) << std::string(kPrinterListFileLimit + 1, '#');
  EXPECT_FALSE(ReadPrinterListFile(scratch.file("big.txt"), error));
  EXPECT_FALSE(ReadPrinterListFile(scratch.file("missing.txt"), error));
}

// A FIFO, a folder or a device in the list's place is refused at once by its
// name; a bad line is quoted without the controls it holds.
TEST(PrinterListFile, OnlyARegularFileIsReadAndABadLineIsQuotedWithoutItsControls) {
  TempDir scratch;
  ASSERT_EQ(mkfifo(scratch.file("fifo").c_str(), 0600), 0);
  for (const std::string& path : {scratch.file("fifo"), scratch.path(), std::string("/dev/zero")}) {
    std::string error;
    EXPECT_FALSE(ReadPrinterListFile(path, error));
    EXPECT_EQ(error, path + " is not a regular file");
  }
  std::string error;
  EXPECT_FALSE(ParsePrinterList("10.0.0.1\tx\x1b]0;owned\x07\x9b" "2J\r\n", error));
  EXPECT_EQ(error, "line 1: not a setting: x?]0;owned??2J");
}

}  // namespace
