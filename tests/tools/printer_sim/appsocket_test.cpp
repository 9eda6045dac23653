// The virtual printer's AppSocket channel over real TCP connections, read
// by a PJL client written here from the reference's reply formats (it
// shares nothing with the printer's parser): INFO, the file-system
// commands and their FILEERROR numbers, a font that arrived over LPD,
// the channel's personalities, PCL status readback and PostScript queries.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <sstream>

#include "printer_sim.h"
#include "sim_test_support.h"
#include "temp_dir.h"

using namespace printer_sim;

namespace {

const std::string kUel = "\x1b%-12345X";

class PjlClient {
 public:
  PjlClient(const std::string& address, uint16_t port) : fd_(sim_test::ConnectTcp(address, port)) {}
  ~PjlClient() {
    if (fd_ >= 0) close(fd_);
  }

  bool connected() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void Send(const std::string& bytes) { send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // A PJL command in its own job.
  void Command(const std::string& command) { Send(kUel + "@PJL " + command + "\r\n" + kUel); }
  // One reply: everything up to and without its form feed ("" on time-out).
  std::string Reply() {
    std::string reply;
    for (char c; Read(&c, 1) && c != '\f';) reply.push_back(c);
    return reply;
  }
  // An FSUPLOAD reply: the header line, then SIZE bytes of data, then FF.
  std::string UploadedData() {
    std::string header;
    for (char c; Read(&c, 1) && c != '\n';) header.push_back(c);
    size_t size = header.find(" SIZE=");
    if (header.rfind("@PJL FSUPLOAD FORMAT:BINARY NAME=", 0) != 0 || size == std::string::npos) return "error";
    std::string data(std::stoul(header.substr(size + 6)), '\0');
    char end = 0;
    if (!Read(data.data(), data.size()) || !Read(&end, 1) || end != '\f') return "error";
    return data;
  }

 private:
  bool Read(char* out, size_t size) {
    for (size_t got = 0; got < size;) {
      ssize_t n = recv(fd_, out + got, size - got, 0);
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return true;
  }

  int fd_ = -1;
};

std::vector<std::string> Lines(const std::string& reply) {
  std::vector<std::string> lines;
  std::istringstream in(reply);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

struct Listed {
  bool directory = false;
  uint64_t size = 0;
};
// The entries of an FSDIRLIST reply, after its echo line.
std::map<std::string, Listed> DirectoryEntries(const std::string& reply) {
  std::map<std::string, Listed> entries;
  std::vector<std::string> lines = Lines(reply);
  for (size_t i = 1; i < lines.size(); ++i) {
    size_t type = lines[i].rfind(" TYPE=");
    if (type == std::string::npos) continue;
    Listed& entry = entries[lines[i].substr(0, type)];
    entry.directory = lines[i].compare(type, 9, " TYPE=DIR") == 0;
    size_t size = lines[i].find("SIZE=", type);
    if (size != std::string::npos) entry.size = std::stoull(lines[i].substr(size + 5));
  }
  return entries;
}

struct VolumeSpace {
  uint64_t total = 0;
  uint64_t free = 0;
};
// "[n TABLE]" counts the header and one row per volume; columns by tabs.
std::map<std::string, VolumeSpace> FileSystemTable(const std::string& reply) {
  std::map<std::string, VolumeSpace> volumes;
  std::vector<std::string> lines = Lines(reply);
  if (lines.size() < 2 || lines[0].rfind("@PJL INFO FILESYS [", 0) != 0 ||
      std::stoul(lines[0].substr(19)) != lines.size() - 1 || lines[1].find("VOLUME\tTOTAL SIZE\tFREE SPACE") == std::string::npos) {
    return volumes;
  }
  for (size_t i = 2; i < lines.size(); ++i) {
    std::vector<std::string> columns;
    std::istringstream row(lines[i]);
    for (std::string column; std::getline(row, column, '\t');) columns.push_back(column);
    if (columns.size() >= 4) volumes[columns[1]] = {std::stoull(columns[2]), std::stoull(columns[3])};
  }
  return volumes;
}

class AppSocketTest : public testing::Test {
 protected:
  size_t Start(const char* address, PrinterConfig config = {}) {
    config.address = address;
    size_t printer = *simulator_.AddPrinter(config);
    simulator_.Start();
    return printer;
  }
  PjlClient Connect(size_t printer) {
    return PjlClient(simulator_.Config(printer).address, simulator_.RawPort(printer));
  }
  // Sends `data` as an LPD job with rlpr, the independent LPD client.
  int Lpr(size_t printer, const std::string& data) {
    sim_test::WriteFile(scratch_.file("job.prn"), data);
    return sim_test::RunCommand("rlpr --no-bind --timeout=10 -H " + simulator_.Config(printer).address +
                                " --port=" + std::to_string(simulator_.LpdPort(printer)) + " -P lp " +
                                scratch_.file("job.prn") + " 2>&1")
        .exitCode;
  }

  Simulator simulator_;
  TempDir scratch_;
};

TEST_F(AppSocketTest, InfoRepliesFollowTheReference) {
  PrinterConfig config;
  config.description = "Slate 8300";
  size_t printer = Start("127.0.0.61", config);
  PjlClient client = Connect(printer);
  ASSERT_TRUE(client.connected());

  client.Command("INFO ID");
  EXPECT_EQ(client.Reply(), "@PJL INFO ID\r\n\"Slate 8300\"\r\n");
  client.Command("INFO CONFIG");
  std::string configuration = client.Reply();
  EXPECT_EQ(Lines(configuration)[0], "@PJL INFO CONFIG");
  EXPECT_NE(configuration.find("LANGUAGES [2 ENUMERATED]\r\n\tPCL\r\n\tPOSTSCRIPT\r\n"), std::string::npos);

  simulator_.RunJob(printer, sim_test::PjlDownload('0', "Mine", sim_test::PclSoftFont("Mine", 7)));
  client.Command("INFO FILESYS");
  std::map<std::string, VolumeSpace> volumes = FileSystemTable(client.Reply());
  ASSERT_EQ(volumes.size(), 2u);
  EXPECT_EQ(volumes["0:"].total, config.diskBytes);
  EXPECT_EQ(volumes["0:"].free, config.diskBytes - simulator_.UsedBytes(printer, Volume::kDisk));
  EXPECT_LT(volumes["0:"].free, volumes["0:"].total);
  EXPECT_EQ(volumes["1:"].free, config.flashBytes);

  client.Command("INFO VARIABLES");
  EXPECT_NE(client.Reply().find("\r\nCOPIES=1 [2 RANGE]\r\n"), std::string::npos);
  // USTATUS is taken without an answer: the next reply is the ECHO's.
  client.Send(kUel + "@PJL USTATUS DEVICE=ON\r\n@PJL ECHO marker 1\r\n@PJL INFO NOTHING\r\n@PJL FROB X=1\r\n" + kUel);
  EXPECT_EQ(client.Reply(), "@PJL ECHO marker 1\r\n");
  EXPECT_EQ(client.Reply(), "@PJL INFO NOTHING\r\n\"?\"\r\n");
  EXPECT_EQ(client.Reply(), "@PJL FROB X=1\r\n\"?\"\r\n");
  // A line too long for the printer is dropped, and the channel goes on.
  client.Send(kUel + "@PJL COMMENT " + std::string(10000, 'x') + "\r\n@PJL ECHO after\r\n" + kUel);
  EXPECT_EQ(client.Reply(), "@PJL ECHO after\r\n");
}

// A client that asks and asks but never reads: the printer stops reading
// it instead of keeping ever more replies.
TEST_F(AppSocketTest, ClientThatNeverReadsIsNoLongerRead) {
  size_t printer = Start("127.0.0.69");
  PjlClient client = Connect(printer);
  std::string requests;
  for (int i = 0; i < 1000; ++i) requests += "@PJL INFO CONFIG\r\n";
  fcntl(client.fd(), F_SETFL, O_NONBLOCK);
  uint64_t sent = 0;
  const uint64_t limit = 256ull << 20;  // without the bound, the printer reads all of it
  while (sent < limit) {
    ssize_t n = send(client.fd(), requests.data(), requests.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EAGAIN) {
      usleep(100 * 1000);  // the printer may still be reading what was sent
      n = send(client.fd(), requests.data(), requests.size(), MSG_NOSIGNAL);
      if (n < 0 && errno == EAGAIN) break;
    }
    ASSERT_GT(n, 0);
    sent += static_cast<uint64_t>(n);
  }
  EXPECT_LT(sent, limit) << sent;
}

TEST_F(AppSocketTest, FontDownloadedOverLprIsListedReadAndDeletedOverPjl) {
  size_t printer = Start("127.0.0.62");
  const std::string font = sim_test::PclSoftFont("Corsiva", 42);
  ASSERT_EQ(Lpr(printer, sim_test::PjlDownload('0', "Corsiva", font)), 0);
  PjlClient client = Connect(printer);

  client.Command("FSDIRLIST NAME=\"0:\\pcl\\fonts\" ENTRY=1 COUNT=100");
  std::string listing = client.Reply();
  EXPECT_EQ(Lines(listing)[0], "@PJL FSDIRLIST NAME=\"0:\\pcl\\fonts\" ENTRY=1");
  std::map<std::string, Listed> entries = DirectoryEntries(listing);
  EXPECT_TRUE(entries["."].directory);
  EXPECT_TRUE(entries[".."].directory);
  EXPECT_FALSE(entries["Corsiva"].directory);
  EXPECT_EQ(entries["Corsiva"].size, font.size());
  client.Command("FSDIRLIST NAME=\"0:\" ENTRY=3 COUNT=1");  // past "." and ".."
  EXPECT_EQ(DirectoryEntries(client.Reply()).size(), 1u);

  client.Command("FSQUERY NAME=\"0:\\pcl\\fonts\\Corsiva\"");
  EXPECT_EQ(client.Reply(), "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\Corsiva\" TYPE=FILE SIZE=" +
                                std::to_string(font.size()) + "\r\n");
  client.Command("FSQUERY NAME=\"0:\\pcl\\fonts\\\"");
  EXPECT_EQ(client.Reply(), "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\\" TYPE=DIR\r\n");
  client.Command("FSUPLOAD NAME=\"0:\\pcl\\fonts\\Corsiva\" OFFSET=0 SIZE=100000");
  EXPECT_EQ(client.UploadedData(), font);
  client.Command("FSUPLOAD NAME=\"0:\\pcl\\fonts\\Corsiva\" OFFSET=3 SIZE=5");
  EXPECT_EQ(client.UploadedData(), font.substr(3, 5));

  client.Command("FSDELETE NAME=\"0:\\pcl\\fonts\\Corsiva\"");
  client.Command("FSQUERY NAME=\"0:\\pcl\\fonts\\Corsiva\"");
  EXPECT_EQ(client.Reply(), "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\Corsiva\"\r\nFILEERROR=3\r\n");
  for (const Font& row : simulator_.Fonts(printer)) EXPECT_NE(row.name, "Corsiva");
}

TEST_F(AppSocketTest, FileSystemCommandsWriteAndReportTheReferenceErrors) {
  size_t printer = Start("127.0.0.63");
  PjlClient client = Connect(printer);
  client.Send(kUel + "@PJL FSMKDIR NAME=\"1:\\forms\\a\"\r\n" +
              "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"1:\\forms\\a\\f\" SIZE=4\r\nab\fc" +
              "@PJL FSAPPEND FORMAT:BINARY NAME=\"1:\\forms\\a\\f\" SIZE=2\r\nde" + kUel);
  client.Command("FSUPLOAD NAME=\"1:\\forms\\a\\f\" SIZE=100");
  EXPECT_EQ(client.UploadedData(), "ab\fcde");
  EXPECT_EQ(simulator_.ReadFile(printer, Volume::kFlash, "forms/a/f"), "ab\fcde");

  const std::pair<std::string, int> failures[] = {
      {"FSDELETE NAME=\"1:\\forms\"", 14},             // not empty
      {"FSDELETE NAME=\"1:\\\"", 8},                   // the root
      {"FSQUERY NAME=\"0:\\nothing\"", 3},
      {"FSQUERY NAME=\"2:\\fonts\"", 1},               // no such volume
      {"FSDIRLIST NAME=\"0:\\fonts\\..\\..\" ENTRY=1", 7},
      {"FSDIRLIST NAME=\"1:\\forms\\a\\f\" ENTRY=1", 10},  // a file
      {"FSUPLOAD NAME=\"1:\\forms\" OFFSET=0 SIZE=1", 9},  // a folder
      {"FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\no\\such\\f\" SIZE=1\r\nx", 3}};
  for (const auto& [command, error] : failures) {
    client.Command(command);
    std::vector<std::string> lines = Lines(client.Reply());
    ASSERT_EQ(lines.size(), 2u) << command;
    EXPECT_EQ(lines[1], "FILEERROR=" + std::to_string(error)) << command;
  }
  client.Command("FSDELETE NAME=\"1:\\forms\\a\\f\"");
  client.Command("FSDELETE NAME=\"1:\\forms\\a\"");  // now empty
  client.Command("FSQUERY NAME=\"1:\\forms\\a\"");
  EXPECT_EQ(Lines(client.Reply()).back(), "FILEERROR=3");
}

TEST_F(AppSocketTest, PersonalitiesLimitTheFileSystem) {
  PrinterConfig locked;
  locked.fileSystemAccess = false;
  PrinterConfig guarded;
  guarded.pjlPassword = 4711;
  PrinterConfig full;
  full.diskFull = true;
  size_t lockedPrinter = Start("127.0.0.64", locked);
  size_t guardedPrinter = Start("127.0.0.65", guarded);
  size_t fullPrinter = Start("127.0.0.66", full);
  const std::string download = "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\fonts\\f\" SIZE=3\r\nabc";

  // File-system access off: no answer at all, and nothing stored.
  PjlClient lockedClient = Connect(lockedPrinter);
  lockedClient.Send(kUel + "@PJL FSQUERY NAME=\"0:\\fonts\"\r\n" + download + "@PJL ECHO done\r\n" + kUel);
  EXPECT_EQ(lockedClient.Reply(), "@PJL ECHO done\r\n");
  EXPECT_FALSE(simulator_.ReadFile(lockedPrinter, Volume::kDisk, "fonts/f"));
  const std::string font = sim_test::PjlDownload('0', "F", sim_test::PclSoftFont("F", 1));
  simulator_.RunJob(lockedPrinter, font);  // as if over LPD
  EXPECT_FALSE(simulator_.ReadFile(lockedPrinter, Volume::kDisk, "pcl/fonts/F"));

  // A PJL password: refused without it, taken within a job that gives it.
  PjlClient guardedClient = Connect(guardedPrinter);
  guardedClient.Send(kUel + download + "@PJL FSQUERY NAME=\"0:\\fonts\"\r\n" + kUel);
  EXPECT_EQ(Lines(guardedClient.Reply()).back(), "FILEERROR=0");
  EXPECT_FALSE(simulator_.ReadFile(guardedPrinter, Volume::kDisk, "fonts/f"));
  guardedClient.Send(kUel + "@PJL JOB PASSWORD=4711\r\n" + download + "@PJL FSQUERY NAME=\"0:\\fonts\\f\"\r\n" +
                     "@PJL EOJ\r\n@PJL FSQUERY NAME=\"0:\\fonts\"\r\n" + kUel);
  EXPECT_NE(guardedClient.Reply().find("TYPE=FILE SIZE=3"), std::string::npos);
  EXPECT_EQ(Lines(guardedClient.Reply()).back(), "FILEERROR=0");
  simulator_.RunJob(guardedPrinter, font);
  EXPECT_FALSE(simulator_.ReadFile(guardedPrinter, Volume::kDisk, "pcl/fonts/F"));
  simulator_.RunJob(guardedPrinter, kUel + "@PJL JOB PASSWORD=4711\r\n" + font);
  EXPECT_TRUE(simulator_.ReadFile(guardedPrinter, Volume::kDisk, "pcl/fonts/F"));

  // A full disk: the download fails, LPD still acknowledges its job.
  PjlClient fullClient = Connect(fullPrinter);
  fullClient.Send(kUel + download + kUel);
  EXPECT_EQ(Lines(fullClient.Reply()).back(), "FILEERROR=2");
  fullClient.Command("INFO FILESYS");
  EXPECT_EQ(FileSystemTable(fullClient.Reply())["0:"].free, 0u);
  EXPECT_EQ(Lpr(fullPrinter, sim_test::PjlDownload('0', "Big", sim_test::PclSoftFont("Big", 3))), 0);
  EXPECT_FALSE(simulator_.ReadFile(fullPrinter, Volume::kDisk, "pcl/fonts/Big"));
}

TEST_F(AppSocketTest, PclStatusReadbackListsFontsAndMacros) {
  PrinterConfig config;
  config.pclFonts = 2;
  size_t printer = Start("127.0.0.67", config);
  simulator_.RunJob(printer, sim_test::PjlDownload('1', "Soft", sim_test::PclSoftFont("Soft Font", 77)));
  // A macro stored in the disk's macros folder under its ID.
  simulator_.RunJob(printer, kUel + "@PJL FSMKDIR NAME=\"0:\\pcl\\macros\"\r\n"
                                    "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\pcl\\macros\\12\" SIZE=3\r\nabc" + kUel);
  EXPECT_EQ(simulator_.StoredMacros(printer), std::set<int32_t>{12});
  PjlClient client = Connect(printer);

  client.Send(kUel + "\x1b*s4t0u4I" + kUel);  // downloaded fonts, extended
  EXPECT_EQ(client.Reply(),
            "PCL\r\nINFO FONTS EXTENDED\r\nSELECT=\"<Esc>(8U<Esc>(s0p__h0s0b4099T<Esc>(77X\"\r\n"
            "DEFID=\"S 77\"\r\nNAME=\"Soft Font\"\r\n");
  client.Send(kUel + "\x1b*s3T\x1b*s0I" + kUel);  // internal fonts
  std::vector<std::string> internal = Lines(client.Reply());
  EXPECT_EQ(std::count_if(internal.begin(), internal.end(),
                          [](const std::string& line) { return line.rfind("SELECT=", 0) == 0; }),
            2);
  // Macros 5 and 9 defined, 9 deleted again.
  client.Send(kUel + "\x1b&f5y0X\x1b&f1X\x1b&f9y0X\x1b&f1X\x1b&f9y8X\x1b*s2t1I" + kUel);
  EXPECT_EQ(client.Reply(), "PCL\r\nINFO MACROS\r\nIDLIST=\"5,12\"\r\n");
  client.Send(kUel + "\x1b*s0t4I" + kUel);
  EXPECT_EQ(client.Reply(), "PCL\r\nINFO FONTS EXTENDED\r\nERROR=INVALID LOCATION\r\n");
}

TEST_F(AppSocketTest, PostScriptQueriesAnswerFontsAndDisk) {
  PrinterConfig config;
  config.postScriptFonts = 2;
  size_t printer = Start("127.0.0.68", config);
  PjlClient client = Connect(printer);
  // A download on this channel runs as over LPD.
  client.Send(kUel + sim_test::PostScriptDownload(false, "Quirk", sim_test::Type1FontText("Quirk-Regular")) + kUel);
  auto ask = [&](const std::string& program) {
    client.Send(kUel + "\x04%!\n" + program + "\n" + kUel + "@PJL ECHO end\r\n");
    std::string answer = client.Reply();
    return answer.substr(0, answer.find("@PJL ECHO end"));
  };

  EXPECT_EQ(ask("(*) {cvn ==} 128 string /Font resourceforall"), "/Courier\n/Courier-Bold\n/Quirk-Regular\n");
  // A form stored by a download_form job is listed by name, not as a font.
  client.Send(kUel + "%!\n/download_form {} def\n/UNIT (%disk0%) def\n/FOLDER (Resource/Form/) def\n (Letter)download_form\r\n"
                     "_FontDownload_\n/Letter 1 /Form defineresource pop\n_FontDownload_EOF_\n" + kUel);
  EXPECT_EQ(ask("(*) {=} 128 string /Form resourceforall"), "Letter\n");
  EXPECT_EQ(simulator_.StoredForms(printer), std::set<std::string>{"Letter"});
  EXPECT_EQ(ask("FontDirectory {pop ==} forall"), "/Courier\n/Courier-Bold\n");
  const std::string blocks = std::to_string(config.diskBytes / 1024);
  EXPECT_EQ(ask("(%disk0%) currentdevparams dup /LogicalSize get == /Free get =="),
            blocks + "\n" + std::to_string((config.diskBytes - simulator_.UsedBytes(printer, Volume::kDisk)) / 1024) +
                "\n");
  EXPECT_EQ(ask("(%disk0%fonts/*) {==} 128 string filenameforall"), "(%disk0%fonts/Quirk)\n");
  EXPECT_EQ(ask("(%disk0%fonts/Quirk) deletefile (*) {=} 128 string /Font resourceforall"),
            "Courier\nCourier-Bold\n");
  EXPECT_EQ(ask("(%disk0%fonts/Quirk) deletefile"),
            "%%[ Error: undefinedfilename; OffendingCommand: deletefile ]%%\r\n"
            "%%[ Flushing: rest of job (to end-of-file) will be ignored ]%%\r\n");
  EXPECT_EQ(ask("1 == (a) 3 add"),
            "1\n%%[ Error: undefined; OffendingCommand: add ]%%\r\n"
            "%%[ Flushing: rest of job (to end-of-file) will be ignored ]%%\r\n");
}

}  // namespace
