// Reading back the first bytes of a file the virtual printer holds, as a
// download's check does to tell its own copy from an older one.
#include "pjl_inventory.h"

#include <gtest/gtest.h>

#include "glysnmp_test_support.h"
#include "sim_test_support.h"
#include "virtual_printer_support.h"

namespace {

using glysnmp::PjlPrinter;
using glysnmp::StoredFile;
using glysnmp::UploadPjlFileHead;

// A short file comes whole; a missing one is told apart from a printer that
// will not say (its file system locked to a job without its password).
TEST(PjlUpload, AStoredFilesHeadIsReadBack) {
  printer_sim::PrinterConfig config;
  config.address = "127.66.5.13";
  config.pjlPassword = 4711;
  printer_sim::Simulator simulator;
  ASSERT_TRUE(simulator.AddPrinter(config));
  simulator.Start();
  const std::string font = sim_test::PclSoftFont("Gothic", 42);
  std::string job = sim_test::PjlDownload('0', "Gothic", font);
  job.insert(job.find("@PJL FSMKDIR"), "@PJL JOB PASSWORD=4711\r\n");
  simulator.RunJob(0, job);
  PjlPrinter printer{AddressOf(config.address), 4711, {simulator.RawPort(0), 2000}};

  std::string head;
  EXPECT_EQ(UploadPjlFileHead(printer, "0:\\pcl\\fonts\\Gothic", 8, &head), StoredFile::kStored);
  EXPECT_EQ(head, font.substr(0, 8));
  EXPECT_EQ(UploadPjlFileHead(printer, "0:\\pcl\\fonts\\Gothic", 100000, &head), StoredFile::kStored);
  EXPECT_EQ(head, font);
  EXPECT_EQ(UploadPjlFileHead(printer, "0:\\pcl\\fonts\\Other", 8, &head), StoredFile::kNotStored);
  printer.password = 0;
  EXPECT_EQ(UploadPjlFileHead(printer, "0:\\pcl\\fonts\\Gothic", 8, &head), StoredFile::kUnknown);
  EXPECT_TRUE(head.empty());
}

}  // namespace
