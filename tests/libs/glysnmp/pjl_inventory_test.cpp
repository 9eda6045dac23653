// The PJL font inventory against the virtual printer's AppSocket port, as
// for printers without our font table: fonts downloaded over LPR listed and
// deleted over PJL, internal fonts from PCL readback and PostScript, the
// storage fallback, and the printer set-ups that keep the list away.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <thread>

#include "glysnmp_test_support.h"
#include "loopback_listener.h"
#include "pjl_inventory.h"
#include "pjl_reply.h"
#include "virtual_printer_support.h"

namespace {

using namespace glysnmp;
using printer_sim::PrinterConfig;
using printer_sim::Simulator;

constexpr int32_t kFirstFontIndexForTest = 0x40000000;

class PjlInventory : public ::testing::Test {
 protected:
  PjlPrinter Start(PrinterConfig config) {
    EXPECT_TRUE(simulator_.AddPrinter(config));
    simulator_.Start();
    return {AddressOf(config.address), 0, {simulator_.RawPort(0), 2000}};
  }

  static PrinterConfig Config(const std::string& address) {
    PrinterConfig config;
    config.address = address;
    config.postScriptFonts = 2;
    config.pclFonts = 3;
    return config;
  }

  void Send(const std::string& job) {
    ASSERT_EQ(SendJob(simulator_, 0, scratch_.file("job" + std::to_string(jobs_++)), job), "");
  }

  Simulator simulator_;
  TempDir scratch_;
  int jobs_ = 0;
};

const FontEntry* Named(const PjlFonts& read, const std::string& name) {
  for (const FontEntry& entry : read.fonts) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

TEST_F(PjlInventory, DownloadedFontsAreListedWithStableIndexesAndDeletedOverPjl) {
  PjlPrinter printer = Start(Config("127.66.1.10"));
  Send(sim_test::PjlDownload('0', "Gothic", sim_test::PclSoftFont("Gothic", 42)));
  Send(sim_test::PostScriptDownload(true, "Elegant", sim_test::Type1FontText("Elegant")));
  ASSERT_EQ(WaitForDownloadedFonts(simulator_, 0, 2).size(), 2u);

  PjlFonts read = ReadPjlFonts(printer);
  ASSERT_EQ(read.status, PjlStatus::kAnswered);
  EXPECT_EQ(read.source, kFontSourcePjl);
  ASSERT_EQ(read.fonts.size(), 2u + 3u + 2u) << "two files, three PCL and two PostScript internal fonts";
  const FontEntry* gothic = Named(read, "Gothic");
  const FontEntry* elegant = Named(read, "Elegant");
  ASSERT_TRUE(gothic && elegant);
  EXPECT_EQ(gothic->fontType, kFontTypePcl);
  EXPECT_EQ(gothic->fontId, 42);
  EXPECT_EQ(gothic->location, kFontOnHardDisk);
  EXPECT_EQ(gothic->persistence, kFontDownloaded);
  EXPECT_EQ(elegant->fontType, kFontTypePostScript);
  EXPECT_EQ(elegant->location, kFontInFlash);
  int32_t lastPermanent = -1;
  for (const FontEntry& entry : read.fonts) {
    if (entry.persistence == kFontPermanent) {
      EXPECT_EQ(entry.location, kFontInRom);
      lastPermanent = std::max(lastPermanent, entry.index);
    }
  }
  EXPECT_LT(lastPermanent, std::min(gothic->index, elegant->index)) << "downloads follow the permanent fonts";

  EXPECT_EQ(DeletePjlFont(printer, lastPermanent), PjlStatus::kRefused) << "internal fonts have no file";
  const int32_t gothicIndex = gothic->index;
  ASSERT_EQ(DeletePjlFont(printer, gothicIndex), PjlStatus::kAnswered);
  PjlDeletion state = PjlDeletion::kPending;
  for (int poll = 0; poll < 100 && state != PjlDeletion::kDeleted; ++poll) {
    state = QueryPjlFontDeletion(printer, gothicIndex);
    if (state != PjlDeletion::kDeleted) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(state, PjlDeletion::kDeleted);
  PjlFonts after = ReadPjlFonts(printer);
  EXPECT_EQ(Named(after, "Gothic"), nullptr);
  ASSERT_NE(Named(after, "Elegant"), nullptr);
  EXPECT_EQ(Named(after, "Elegant")->index, Named(read, "Elegant")->index) << "the other font keeps its index";
}

TEST_F(PjlInventory, ATrueTypeFileIsNamedByItsNameTableFarBeyondItsFirstBytes) {
  PjlPrinter printer = Start(Config("127.66.1.20"));
  std::ifstream file("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", std::ios::binary);
  const std::string font((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(font.size(), 4096u);
  simulator_.RunJob(0, sim_test::PjlDownload('0', "sans.ttf", font));
  const PjlFonts read = ReadPjlFonts(printer);
  const FontEntry* sans = Named(read, "Liberation Sans");
  ASSERT_NE(sans, nullptr);
  EXPECT_EQ(sans->fontType, kFontTypePcl) << "the PCL folder's TrueType serves PCL";
  EXPECT_EQ(sans->fontId, kNoFontId);
}

TEST_F(PjlInventory, StorageFromTheFileSystemTableLeavesOutAFullDisk) {
  PrinterConfig config = Config("127.66.2.10");
  config.diskFull = true;
  std::optional<StorageInventory> storage = QueryPjlStorage(Start(config));
  ASSERT_TRUE(storage);
  ASSERT_EQ(storage->areas.size(), 2u);
  EXPECT_EQ(storage->Options(), kStorageFlash);
}

TEST_F(PjlInventory, FileSystemSwitchedOffOrLockedIsToldApart) {
  PrinterConfig config = Config("127.66.3.10");
  config.fileSystemAccess = false;
  EXPECT_EQ(ReadPjlFonts(Start(config)).status, PjlStatus::kNoFileSystemAccess);

  Simulator locked;
  config = Config("127.66.3.11");
  config.pjlPassword = 4711;
  ASSERT_TRUE(locked.AddPrinter(config));
  locked.Start();
  PjlPrinter printer{AddressOf(config.address), 0, {locked.RawPort(0), 2000}};
  EXPECT_EQ(ReadPjlFonts(printer).status, PjlStatus::kFileSystemLocked);
  printer.password = 4711;
  PjlFonts read = ReadPjlFonts(printer);
  EXPECT_EQ(read.status, PjlStatus::kAnswered);
  EXPECT_EQ(read.fonts.size(), 5u);
}

// What a download's check asks: a file is there, not there (nor its
// volume, or a folder in its place), or the printer cannot say: locked,
// silent, or a path that would break out of its quotes.
TEST_F(PjlInventory, AStoredFileIsToldFromAMissingOneAndFromNoAnswer) {
  PrinterConfig config = Config("127.66.5.10");
  config.storage = printer_sim::Storage::kDisk;
  PjlPrinter printer = Start(config);
  Send(sim_test::PjlDownload('0', "Gothic", sim_test::PclSoftFont("Gothic", 42)));
  ASSERT_EQ(WaitForDownloadedFonts(simulator_, 0, 1).size(), 1u);
  std::optional<uint64_t> size;
  EXPECT_EQ(QueryPjlStoredFile(printer, "0:\\pcl\\fonts\\Gothic", &size), StoredFile::kStored);
  EXPECT_EQ(size, sim_test::PclSoftFont("Gothic", 42).size());
  EXPECT_EQ(QueryPjlStoredFile(printer, "0:\\pcl\\fonts\\Other"), StoredFile::kNotStored);
  EXPECT_EQ(QueryPjlStoredFile(printer, "1:\\pcl\\fonts\\Gothic"), StoredFile::kNotStored);
  EXPECT_EQ(QueryPjlStoredFile(printer, "0:\\pcl\\fonts"), StoredFile::kNotStored);
  EXPECT_EQ(QueryPjlStoredFile(printer, "0:\\pcl\\fonts\\Gothic\" ECHO x"), StoredFile::kUnknown);

  Simulator locked;
  config = Config("127.66.5.11");
  config.pjlPassword = 4711;
  ASSERT_TRUE(locked.AddPrinter(config));
  locked.Start();
  EXPECT_EQ(QueryPjlStoredFile({AddressOf(config.address), 0, {locked.RawPort(0), 2000}}, "0:\\fonts\\x"),
            StoredFile::kUnknown);

  // Connections are taken, nothing is ever answered.
  const int silent = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(AddressOf("127.66.5.12"));
  ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(silent, 4), 0);
  socklen_t length = sizeof address;
  getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
  EXPECT_EQ(QueryPjlStoredFile({AddressOf("127.66.5.12"), 0, {ntohs(address.sin_port), 200}}, "0:\\fonts\\x"),
            StoredFile::kUnknown);
  close(silent);
}

// FSQUERY's SIZE= is taken only as a whole decimal number that fits, and
// anything else there leaves the file a file; the name, quoted, may hold
// anything.
TEST(PjlReply, AFileSizeIsTakenOnlyWhenItIsAPlainNumber) {
  auto query = [](const std::string& options) {
    return ReadFileSystemReply("@PJL FSQUERY NAME=\"0:\\f\" " + options + "\r\n\f");
  };
  EXPECT_EQ(query("TYPE=FILE SIZE=1234").size, 1234u);
  EXPECT_EQ(query("SIZE=18446744073709551615 TYPE=FILE").size, UINT64_MAX);
  for (const char* garbage : {"SIZE=18446744073709551616", "SIZE=99999999999999999999999", "SIZE=-1", "SIZE=+5",
                              "SIZE=12abc", "SIZE=0x10", "SIZE=", "SIZE", "XSIZE=5"}) {
    const FileSystemReply reply = query(std::string("TYPE=FILE ") + garbage);
    EXPECT_EQ(reply.size, std::nullopt) << garbage;
    EXPECT_EQ(reply.type, "FILE") << garbage;
  }
  EXPECT_EQ(ReadFileSystemReply("@PJL FSQUERY NAME=\"0:\\f SIZE=5\" TYPE=FILE\r\n").size, std::nullopt);
}

// Printers that write their replies otherwise than the PJL reference, or
// answer slowly or late: each is listed whole and the font chosen, of two
// alike, is the one deleted.
struct Personality {
  const char* name;
  void (*shape)(printer_sim::PjlPersonality&);
  uint32_t timeoutMs = 2000;
};

class PjlPersonalities : public PjlInventory, public ::testing::WithParamInterface<Personality> {};

TEST_P(PjlPersonalities, FontsAreListedWholeAndTheRightOneDeleted) {
  PrinterConfig config = Config("127.66.7.10");
  GetParam().shape(config.pjl);
  PjlPrinter printer = Start(config);
  printer.settings.timeoutMs = GetParam().timeoutMs;
  for (const char* name : {"Bulk01", "Bulk02", "Bulk03"}) {
    Send(sim_test::PjlDownload('0', name, sim_test::PclSoftFont(name, 7)));
  }
  Send(sim_test::PostScriptDownload(true, "Elegant", sim_test::Type1FontText("Elegant")));
  ASSERT_EQ(WaitForDownloadedFonts(simulator_, 0, 4).size(), 4u);

  std::optional<StorageInventory> storage = QueryPjlStorage(printer);
  ASSERT_TRUE(storage);
  EXPECT_EQ(storage->areas.size(), 2u);
  const PjlFonts read = ReadPjlFonts(printer);
  ASSERT_EQ(read.status, PjlStatus::kAnswered);
  EXPECT_EQ(read.fonts.size(), 4u + 3u + 2u) << "four files, three PCL and two PostScript internal fonts";
  EXPECT_EQ(QueryPjlStoredFile(printer, "0:\\pcl\\fonts\\Bulk01"), StoredFile::kStored);
  const FontEntry* bulk02 = Named(read, "Bulk02");
  ASSERT_TRUE(bulk02 && Named(read, "Bulk01") && Named(read, "Bulk03") && Named(read, "Elegant"));

  ASSERT_EQ(DeletePjlFont(printer, bulk02->index), PjlStatus::kAnswered);
  PjlDeletion state = PjlDeletion::kPending;
  for (int poll = 0; poll < 50 && state != PjlDeletion::kDeleted; ++poll) state = QueryPjlFontDeletion(printer, bulk02->index);
  EXPECT_EQ(state, PjlDeletion::kDeleted);
  EXPECT_FALSE(simulator_.ReadFile(0, printer_sim::Volume::kDisk, "pcl/fonts/Bulk02"));
  EXPECT_TRUE(simulator_.ReadFile(0, printer_sim::Volume::kDisk, "pcl/fonts/Bulk01"));
  EXPECT_TRUE(simulator_.ReadFile(0, printer_sim::Volume::kDisk, "pcl/fonts/Bulk03"));
}

using printer_sim::PjlPersonality;
INSTANTIATE_TEST_SUITE_P(
    Printers, PjlPersonalities,
    ::testing::Values(
        Personality{"LineFeeds", [](PjlPersonality& p) { p.lineEnd = "\n"; }},
        Personality{"DoubleCarriageReturns", [](PjlPersonality& p) { p.lineEnd = "\r\r\n"; }},
        Personality{"EchoFirst", [](PjlPersonality& p) { p.echoFirst = true; }},
        Personality{"UnsolicitedStatus", [](PjlPersonality& p) { p.unsolicitedStatus = true; }},
        Personality{"ReferenceTable", [](PjlPersonality& p) { p.table = PjlPersonality::Table::kReference; }},
        Personality{"BlankAlignedTable",
                    [](PjlPersonality& p) {
                      p.table = PjlPersonality::Table::kBlanks;
                      p.backslashVolumes = true;
                    }},
        Personality{"ConfigIndentedWithBlanks", [](PjlPersonality& p) { p.configBlanks = true; }},
        Personality{"SmallPages", [](PjlPersonality& p) { p.directoryPage = 2; }},
        Personality{"LowerCase", [](PjlPersonality& p) { p.lowerCase = true; }},
        Personality{"BlanksAroundEquals", [](PjlPersonality& p) { p.blanksAroundEquals = true; }},
        Personality{"NulsBeforePjl", [](PjlPersonality& p) { p.nulBeforePjl = true; }},
        Personality{"SizeBeforeType", [](PjlPersonality& p) { p.sizeBeforeType = true; }},
        Personality{"NoCommandEcho", [](PjlPersonality& p) { p.noCommandEcho = true; }},
        // Slower than the base time-out: the first answers set the pace.
        Personality{"Slow", [](PjlPersonality& p) { p.answerDelayMs = 400; }, 300},
        // One answer long after the time-out: asked again on a new connection.
        Personality{"OneLateAnswer",
                    [](PjlPersonality& p) {
                      p.lateAnswer = 6;
                      p.lateAnswerMs = 2500;
                    },
                    300}),
    [](const ::testing::TestParamInfo<Personality>& info) { return std::string(info.param.name); });

// A PJL printer written in the test: each command line gets what `answer`
// says, each ECHO its echo.
class HostilePjlPrinter {
 public:
  HostilePjlPrinter(const std::string& address, std::function<std::string(const std::string&)> answer)
      : answer_(std::move(answer)) {
    listener_ = ListenOnLoopback(address.c_str(), port_);
    EXPECT_GE(listener_, 0);
    thread_ = std::thread([this] { Serve(); });
  }
  ~HostilePjlPrinter() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  uint16_t port() const { return port_; }
  int requests() const { return requests_; }

 private:
  void Serve() {
    while (!stop_) {
      pollfd ready{listener_, POLLIN, 0};
      if (poll(&ready, 1, 50) <= 0) continue;
      const int fd = accept(listener_, nullptr, nullptr);
      const int noDelay = 1;  // each reply as it is written, as printers send them
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
      std::string line;
      char c;
      while (!stop_) {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, 50) <= 0) continue;
        if (recv(fd, &c, 1, 0) <= 0) break;
        if (c != '\n') {
          line += c;
          continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string reply;
        if (line.rfind("@PJL ECHO ", 0) == 0) {
          reply = line + "\r\n\f";
        } else if (line.rfind("@PJL ", 0) == 0 && line != "@PJL USTATUSOFF" && line != "@PJL EOJ") {
          ++requests_;
          reply = answer_(line.substr(5));
        }
        send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        line.clear();
      }
      close(fd);
    }
  }

  std::function<std::string(const std::string&)> answer_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

std::string OneDiskTable(const std::string& command) {
  return command != "INFO FILESYS" ? std::string()
                                   : "@PJL INFO FILESYS [2 TABLE]\r\n\tVOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\t"
                                     "LABEL\tSTATUS\r\n\t0:\t100\t50\tDISK\t\tREAD-WRITE\r\n\f";
}

TEST(PjlBounds, PagesOfLinesThatAreNoFilesEndTheListing) {
  HostilePjlPrinter printer("127.66.8.10", [](const std::string& command) {
    if (command.rfind("FSDIRLIST", 0) == 0) return "@PJL " + command + "\r\nnot a file\r\n\r\n\f";
    return OneDiskTable(command);
  });
  const PjlFonts read = ReadPjlFonts({AddressOf("127.66.8.10"), 0, {printer.port(), 2000}});
  EXPECT_EQ(read.status, PjlStatus::kAnswered);
  EXPECT_TRUE(read.fonts.empty());
  EXPECT_LE(printer.requests(), 6) << "one page for each of the two font folders";
}

TEST(PjlBounds, ListingsAndDeletionsEndAtTheirRequestCapAndDeadline) {
  std::atomic<int> pages{0};
  HostilePjlPrinter printer("127.66.8.11", [&pages](const std::string& command) {
    if (command.rfind("FSDIRLIST", 0) != 0) return OneDiskTable(command);
    const std::string page = std::to_string(++pages);
    return "@PJL " + command + "\r\nnew" + page + "a TYPE=FILE SIZE=1\r\nnew" + page + "b TYPE=FILE SIZE=1\r\n\f";
  });
  PjlPrinter hostile{AddressOf("127.66.8.11"), 0, {printer.port(), 2000}};
  hostile.settings.mostRequests = 40;
  EXPECT_EQ(ReadPjlFonts(hostile).status, PjlStatus::kTooManyRequests);
  EXPECT_EQ(DeletePjlFont(hostile, kFirstFontIndexForTest), PjlStatus::kTooManyRequests);
  EXPECT_LE(printer.requests(), 2 * 40);

  // A clock on which each look takes 200 s passes the 600 s deadline.
  struct LeapingClock final : PjlClock {
    uint64_t now = 0;
    uint64_t NowMs() override { return now += 200000; }
  } clock;
  hostile.settings.mostRequests = kMostPjlRequests;
  hostile.settings.clock = &clock;
  EXPECT_EQ(ReadPjlFonts(hostile).status, PjlStatus::kDeadlinePassed);
  EXPECT_EQ(DeletePjlFont(hostile, kFirstFontIndexForTest), PjlStatus::kDeadlinePassed);
}

// A file name with a quote would end the name early in a command that
// quotes it: deleting `Bulk01" X` would delete Bulk01.
TEST(PjlBounds, NoCommandNamesAFileWhoseNameBreaksItsQuotes) {
  std::mutex lock;
  std::vector<std::string> commands;
  HostilePjlPrinter printer("127.66.8.12", [&](const std::string& command) {
    {
      std::lock_guard<std::mutex> guard(lock);
      commands.push_back(command);
    }
    if (command.rfind("FSDIRLIST", 0) != 0) return OneDiskTable(command);
    if (command.find("pcl\\fonts") == std::string::npos) return "@PJL " + command + "\r\n\f";
    return "@PJL " + command + "\r\nBulk01 TYPE=FILE SIZE=9\r\nBulk01\" X TYPE=FILE SIZE=9\r\n\f";
  });
  const PjlPrinter hostile{AddressOf("127.66.8.12"), 0, {printer.port(), 2000}};
  const PjlFonts read = ReadPjlFonts(hostile);
  ASSERT_EQ(read.status, PjlStatus::kAnswered);
  ASSERT_EQ(read.fonts.size(), 1u);
  EXPECT_STREQ(read.fonts[0].name, "Bulk01");
  std::lock_guard<std::mutex> guard(lock);
  for (const std::string& command : commands) {
    EXPECT_EQ(std::count(command.begin(), command.end(), '"') % 2, 0) << command;
  }
}

TEST_F(PjlInventory, APrinterWithoutFontsAnswersAnEmptyList) {
  PrinterConfig config = Config("127.66.4.10");
  config.postScriptFonts = 0;
  config.pclFonts = 0;
  PjlFonts read = ReadPjlFonts(Start(config));
  EXPECT_EQ(read.status, PjlStatus::kAnswered);
  EXPECT_TRUE(read.fonts.empty());
}

}  // namespace
