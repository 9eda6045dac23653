// Virtual printers on loopback: each answers SNMP (v1, v2c) with its
// identity, storage and font table, takes jobs over LPD (RFC 1179, queue
// "lp") and over AppSocket (raw TCP, answering PJL, PCL status readback and
// PostScript queries on the same connection), and applies PJL and
// PostScript font downloads to its own disk and flash volumes.
//
// A Simulator runs any number of printers on one event-loop thread. Tests
// start printers in-process, switch faults while they run and inspect what
// each printer received and holds; the printer-sim program is a thin shell
// around the same class. Every method may be called from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "snmp_personality.h"

namespace printer_sim {

enum class Storage { kNone, kDisk, kFlash, kBoth };
enum class Volume { kDisk, kFlash };

inline constexpr char kDefaultReadCommunity[] = "vorpal";
inline constexpr char kDefaultWriteCommunity[] = "quillet";
inline constexpr char kDefaultSystemId[] = "1.3.6.1.4.1.32473.1.1.2";

// How the printer writes its PJL replies on the AppSocket channel where it
// departs from the PJL reference, as printers in the field do (see
// pjl_personality.h). The defaults follow the reference.
struct PjlPersonality {
  std::string lineEnd = "\r\n";    // also "\n" or "\r\r\n"
  bool echoFirst = false;          // a command's reply follows the ECHO that came after it
  bool unsolicitedStatus = false;  // a USTATUS report before every reply, USTATUSOFF or not
  enum class Table { kTabs, kReference, kBlanks };
  // INFO FILESYS: tab-separated; as the reference's sample (no LOCATION,
  // no LABEL); or columns aligned with blanks.
  Table table = Table::kTabs;
  bool backslashVolumes = false;   // INFO FILESYS writes volumes "0:\"
  bool configBlanks = false;       // INFO CONFIG indents options with blanks
  uint32_t directoryPage = 0;      // FSDIRLIST gives at most this many entries (0: as asked)
  bool lowerCase = false;          // keywords in lower case
  bool blanksAroundEquals = false; // "KEY = value"
  bool nulBeforePjl = false;       // NULs before each "@PJL" reply
  bool sizeBeforeType = false;     // "name SIZE=n TYPE=FILE"
  bool noCommandEcho = false;      // replies without the echoed command line
  uint32_t answerDelayMs = 0;      // every answer comes this late
  uint32_t lateAnswer = 0;         // this answer (1, 2, ... of the printer's) comes late
  uint32_t lateAnswerMs = 0;       // by this much
};

struct PrinterConfig {
  std::string address = "127.0.0.10";  // IPv4, dotted
  uint16_t snmpPort = 0;                // 0: a free port, see Simulator::SnmpPort
  uint16_t lpdPort = 0;
  uint16_t rawPort = 0;                 // AppSocket (raw TCP, 9100 on printers)
  std::string systemId = kDefaultSystemId;  // sysObjectID, dotted
  std::string name = "VirtualPrinter";      // sysName
  std::string description = "Virtual printer";
  std::string contact;
  std::string location;
  Storage storage = Storage::kBoth;
  std::string readCommunity = kDefaultReadCommunity;
  std::string writeCommunity = kDefaultWriteCommunity;
  int postScriptFonts = 4;  // internal (ROM) fonts of each type
  int pclFonts = 4;
  uint64_t diskBytes = uint64_t{1} << 30;
  uint64_t flashBytes = uint64_t{32} << 20;
  uint32_t deletionMs = 100;  // how long a font deletion takes

  // How the printer's file system behaves, as real printers are set up
  // (see pjl_channel.h): for PJL over LPD and AppSocket alike.
  bool fileSystemAccess = true;  // off: PJL file-system commands are ignored without a word
  uint32_t pjlPassword = 0;      // set: file-system commands need "@PJL JOB PASSWORD=N" first
  bool diskFull = false;         // the disk has no free space: its downloads fail
  // A PIN on jobs: set, the printer ignores every job (over LPD and
  // AppSocket alike) that does not open with "@PJL JOB PASSWORD=N".
  uint32_t jobPin = 0;
  // Whether the flash volume comes with its "fonts" and "pcl\fonts"
  // folders; without them a download must make its folder first.
  bool flashFolders = true;
  // Whether PJL FSMKDIR makes the missing parents of a folder too; when
  // not, a job makes its folders level by level.
  bool mkdirParents = true;
  // A busy printer: it takes a job at once but stores what the job
  // downloads this long afterwards.
  uint32_t storeDelayMs = 0;
  PjlPersonality pjl;

  // What the printer keeps of the jobs it receives (it runs them whole):
  // the first jobBytesKept bytes of each file, of the last jobsKept jobs.
  uint64_t jobBytesKept = uint64_t{1} << 20;
  size_t jobsKept = 16;
  SnmpPersonality snmp;
};

// The steps of an LPD receive-job exchange at which a fault can strike.
enum class LpdStep { kJobCommand, kControlCommand, kControlFile, kDataCommand, kDataFile };
enum class LpdFailure { kNone, kNegativeAck, kClose };

struct Faults {
  bool snmpSilent = false;   // drop every SNMP request
  uint32_t snmpDelayMs = 0;  // answer SNMP requests this late
  bool lpdRefused = false;   // refuse LPD connections (nothing listens)
  LpdFailure lpdFailure = LpdFailure::kNone;
  LpdStep lpdFailureStep = LpdStep::kJobCommand;
  bool deletionsHang = false;  // started deletions never finish
};

// Codes as the font table carries them.
enum FontLocationCode : int32_t { kLocationRam = 1, kLocationDisk = 2, kLocationRom = 3, kLocationFlash = 4 };
enum FontTypeCode : int32_t { kTypePcl = 3, kTypePostScript = 6 };
enum FontPersistenceCode : int32_t { kInRam = 3, kDownloaded = 4, kPermanent = 5 };
inline constexpr int32_t kNoPclFontId = -2;

struct Font {
  int32_t index = 0;  // the printer's own index: rows keep it, new rows get higher ones
  std::string name;
  int32_t fontId = kNoPclFontId;
  int32_t location = kLocationRom;
  int32_t type = kTypePostScript;
  int32_t persistence = kPermanent;
  bool deleting = false;
};

struct JobFile {
  bool control = false;  // control file, else data file
  std::string name;      // as the subcommand named it
  std::string bytes;     // the first PrinterConfig::jobBytesKept of them
  uint64_t size = 0;     // bytes received
};

struct Job {
  std::string queue;
  std::vector<JobFile> files;  // in the order received
  bool complete = false;       // the client closed the connection
  bool aborted = false;
};

class Simulator {
 public:
  Simulator();
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Binds the printer's SNMP, LPD and AppSocket sockets and returns its
  // number (0, 1, ...), or nullopt with the reason in `error`. Printers may
  // be added before or after Start.
  std::optional<size_t> AddPrinter(const PrinterConfig& config, std::string* error = nullptr);
  size_t PrinterCount() const;

  // Starts the event-loop thread; Stop (also run by the destructor) ends it
  // and closes every socket.
  void Start();
  void Stop();

  uint16_t SnmpPort(size_t printer) const;
  uint16_t LpdPort(size_t printer) const;
  uint16_t RawPort(size_t printer) const;
  PrinterConfig Config(size_t printer) const;

  void SetFaults(size_t printer, const Faults& faults);
  Faults GetFaults(size_t printer) const;

  // Runs `data` as if it had arrived as a data file over LPD.
  void RunJob(size_t printer, const std::string& data);

  std::vector<Font> Fonts(size_t printer) const;
  // The last PrinterConfig::jobsKept jobs received.
  std::vector<Job> Jobs(size_t printer) const;
  // What the printer printed, one entry per page (the last thousand):
  // "PostScript font list", "PCL font list" or "document".
  std::vector<std::string> PrintedPages(size_t printer) const;
  // The PCL macros stored on its volumes, by ID, and the PostScript forms,
  // by name: what its macros folder and its form folder hold.
  std::set<int32_t> StoredMacros(size_t printer) const;
  std::set<std::string> StoredForms(size_t printer) const;
  std::optional<std::string> ReadFile(size_t printer, Volume volume, const std::string& path) const;
  uint64_t UsedBytes(size_t printer, Volume volume) const;
  std::vector<std::string> LogLines(size_t printer) const;

  // Receives every log line as it is written (the program prints them).
  void SetLogSink(std::function<void(size_t printer, const std::string& line)> sink);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace printer_sim
