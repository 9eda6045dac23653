// PJL on the bidirectional AppSocket channel: the commands a printer
// answers on the same connection, and its file-system commands over the
// printer's volumes ("0:" its disk, "1:" its flash memory). The formats,
// as the PJL reference gives them; every line ends in CR LF and every
// reply in a form feed (FF):
//
//   @PJL INFO ID              @PJL INFO ID / "<description>" / FF
//   @PJL INFO CONFIG          features, their options indented by a tab:
//                             IN TRAYS [1 ENUMERATED] / <HT>INTRAY1 MP / ...
//                             LANGUAGES, USTATUS, MASS STORAGE, MEMORY=n
//   @PJL INFO FILESYS         @PJL INFO FILESYS [n TABLE]  (n: 1 + volumes)
//                             <HT>VOLUME<HT>TOTAL SIZE<HT>FREE SPACE<HT>LOCATION<HT>LABEL<HT>STATUS
//                             <HT>0:<HT>bytes<HT>bytes<HT>DISK<HT><HT>READ-WRITE
//   @PJL INFO VARIABLES       NAME=value [n RANGE|ENUMERATED] / <HT>option ...
//   @PJL INFO other           @PJL INFO OTHER / "?" / FF
//   @PJL ECHO words           @PJL ECHO words / FF
//   @PJL FSDIRLIST NAME="0:\fonts" [ENTRY=e] [COUNT=c]
//                             @PJL FSDIRLIST NAME="0:\fonts" ENTRY=e
//                             . TYPE=DIR / .. TYPE=DIR / name TYPE=FILE SIZE=n /
//                             name TYPE=DIR / ... / FF  (entries e.. of them, c at most)
//   @PJL FSQUERY NAME="p"     @PJL FSQUERY NAME="p" TYPE=FILE SIZE=n / FF, or TYPE=DIR
//   @PJL FSUPLOAD NAME="p" OFFSET=o SIZE=s
//                             @PJL FSUPLOAD FORMAT:BINARY NAME="p" OFFSET=o SIZE=n
//                             then n bytes (what the file holds from o on, s and 1 MiB
//                             at most: a client reads a larger file in pieces), FF
//   @PJL FSDOWNLOAD FORMAT:BINARY NAME="p" SIZE=n, then n bytes: stores a file
//   @PJL FSAPPEND FORMAT:BINARY NAME="p" SIZE=n, then n bytes: appends (or creates)
//   @PJL FSMKDIR NAME="p"     makes the folder (and its parents)
//   @PJL FSDELETE NAME="p"    deletes a file or an empty folder
//   other commands            @PJL <the command line> / "?" / FF
//
// The writing commands answer nothing when they succeed. A file-system
// command that fails answers "@PJL <COMMAND> NAME="p"" / FILEERROR=n / FF,
// n being the file-system status code 32xxx less 32000 (FileError). JOB,
// EOJ, COMMENT, USTATUS, SET and the like are taken without an answer.
//
// With the printer's file-system access switched off every file-system
// command is ignored without a word (the data of a download is read and
// dropped). With a PJL password set, file-system commands need
// "@PJL JOB PASSWORD=N" earlier in the job (until EOJ): without it the
// queries (FSDIRLIST, FSQUERY, FSUPLOAD) answer FILEERROR=0 and the
// writing commands are ignored. PJL jobs over LPD obey both likewise.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "printer.h"

namespace printer_sim {

enum FileError : int {
  kGeneralError = 0,
  kVolumeNotAvailable = 1,
  kDiskFull = 2,
  kFileNotFound = 3,
  kFileAlreadyExists = 6,
  kIllegalName = 7,
  kCannotDeleteRoot = 8,
  kFileOperationOnDirectory = 9,
  kDirectoryOperationOnFile = 10,
  kDirectoryNotEmpty = 14,
  kInvalidParameter = 17,
};

class PjlChannel {
 public:
  explicit PjlChannel(Printer& printer) : printer_(printer) {}

  struct Outcome {
    std::optional<uint64_t> payload;  // bytes of data that follow the command
    bool keepPayload = false;         // else they are read and dropped
    std::optional<std::string> language;  // ENTER LANGUAGE=...: printer-language data follows
  };
  // One command line ("@PJL ...", without its line end).
  Outcome Command(std::string_view line, std::string& reply);
  // The data of the download the last Outcome announced and kept.
  void FinishPayload(std::string bytes, std::string& reply);

 private:
  struct Target {
    Volume volume = Volume::kDisk;
    std::string path;  // "" for the volume's root
  };
  struct Write {
    std::string command;
    std::string name;
    Target target;
    bool append = false;
  };

  void Info(const std::string& category, std::string& reply);
  // INFO FILESYS after its command word: "[n TABLE]", the column header
  // and a row per volume, laid out as the printer's personality says.
  std::string FileSystemTable() const;
  void FileSystem(const std::string& command, std::string_view options, Outcome& outcome,
                  std::string& reply);
  void DirectoryList(const std::string& name, const Target& target, std::string_view options,
                     std::string& reply);
  void Query(const std::string& name, const Target& target, std::string& reply);
  void Upload(const std::string& name, const Target& target, std::string_view options, std::string& reply);
  void StartWrite(Write write, Outcome& outcome, std::string& reply);
  // These return the FILEERROR of what failed, nullopt on success.
  std::optional<int> MakeDirectory(const Target& target);
  std::optional<int> Delete(const Target& target);
  std::optional<int> CheckWrite(const Target& target, uint64_t size, bool append) const;
  std::optional<int> Resolve(const std::string& name, Target& target) const;

  Printer& printer_;
  uint32_t jobPassword_ = 0;
  Write write_;
};

}  // namespace printer_sim
