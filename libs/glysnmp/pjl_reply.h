// Readers of what printers answer on the AppSocket channel: PJL
// file-system replies, PCL status readback and PostScript query output.
// All of it is untrusted: every reader takes any bytes, bounds what it
// keeps and never reads past them.
//
// PJL replies are read as printers write them, not only as the PJL
// reference does: lines may end in LF, CR LF or CR CR LF, NULs may come
// before "@PJL", keywords may be in any case with blanks around "=", and
// the echoed command line may be missing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glysnmp {

// The largest file name, font name and list this library takes from a reply.
inline constexpr size_t kMostPjlNameBytes = 255;
inline constexpr size_t kMostPjlListed = 4096;

// A file-system reply: the printer's FILEERROR=n when it gave one, and the
// lines that followed the echoed command line (all its lines when it has
// none).
struct FileSystemReply {
  bool answered = false;  // the printer said anything at all
  std::optional<int32_t> fileError;
  // TYPE= of the echoed command line after its quoted name (FSQUERY:
  // "FILE" or "DIR"); empty when it gives none.
  std::string type;
  // SIZE= of the same line (FSQUERY of a file): none when it gives none, or
  // gives anything but a decimal number that fits.
  std::optional<uint64_t> size;
  std::vector<std::string> lines;
};
FileSystemReply ReadFileSystemReply(std::string_view reply);

struct DirectoryEntry {
  std::string name;
  bool directory = false;
  uint64_t size = 0;
};
// The FSDIRLIST lines: "name TYPE=FILE SIZE=n" or "name TYPE=DIR", "." and
// ".." among them (they count as entries of the listing).
std::vector<DirectoryEntry> ReadDirectoryEntries(const std::vector<std::string>& lines);

// One row of INFO FILESYS.
struct FileSystemVolume {
  std::string volume;  // "0:", also where the printer wrote "0:\"
  uint64_t totalBytes = 0;
  uint64_t freeBytes = 0;
  std::string location;  // DISK, FLASH, RAM, ROM..., in capitals; may be empty
  bool writable = false;  // STATUS READ-WRITE, or no status given
};
// The rows of the table, their cells found from its column header: cells
// separated by tabs (empty ones too) or aligned with blanks under the
// column names.
std::vector<FileSystemVolume> ReadFileSystemTable(std::string_view reply);

// The options of one feature of INFO CONFIG ("LANGUAGES"): the lines
// indented (by tabs or blanks) under the line that names it, in capitals.
std::vector<std::string> ReadConfigOptions(std::string_view reply, std::string_view feature);

// How many bytes of data follow an FSUPLOAD reply's header line (its SIZE=).
std::optional<uint64_t> ReadUploadSize(std::string_view reply);
// The bytes of an FSUPLOAD reply after its header line.
std::optional<std::string_view> ReadUploadBytes(std::string_view reply);

// A PCL readback font: the NAME and the DEFID number of the extended list.
struct PclReadbackFont {
  std::string name;
  std::optional<int32_t> fontId;
};
std::vector<PclReadbackFont> ReadPclFontReadback(std::string_view reply);

// The "/Name" lines a PostScript `{cvn ==} ... resourceforall` writes.
std::vector<std::string> ReadPostScriptNames(std::string_view reply);

}  // namespace glysnmp
