// The download job formats: a PJL file-system download that stores a PCL
// soft font or a PCL macro on the printer's disk or flash volume, a
// PostScript job whose prologue copies a Type 1 font or a form onto the
// printer's "%disk" or "%cartridge" device, and a print file passed on
// unchanged.
//
// Each writer appends one job to a job file, given as a descriptor open for
// writing (the writers never open it by a path), so several jobs can follow
// each other in one export file. The source file is
// copied unchanged in blocks of 4096 bytes. Every job that stores a
// resource is a PJL job: it carries "@PJL JOB PASSWORD=N" when the printer
// has a PJL password (`pjlPassword`, 0 for none), and makes the folder it
// stores into one level at a time with FSMKDIR, since no volume is sure
// to have it. A resource that holds the Universal Exit Language is refused
// (append_download_job.h). Failures are shown to the user
// by string number through `boxes` and returned, so that a caller never
// sends or reports a job that was not written.
//
// Any thread may call the writers; `boxes` must be usable from that thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class MessageBoxes;

// Where a download puts its resources on the printer.
enum StorageLocation : int {
  kHardDisk = 0,     // PJL volume "0:", PostScript device "%disk"
  kFlashMemory = 1,  // PJL volume "1:", PostScript device "%cartridge"
};

// What a PostScript job stores on the printer: the file's size and its
// first kStoredHeadBytes bytes, to tell the job's copy from another.
inline constexpr size_t kStoredHeadBytes = 1024;
struct StoredCopy {
  std::uintmax_t bytes = 0;
  std::string head;
};

enum DownloadJobResult : int {
  kJobWritten = 0,
  // No source path or font name, or a font name the job cannot carry
  // safely; nothing written.
  kJobInputsRefused = 1,
  // The source is missing, not a regular file, could not be read whole, or
  // holds a line that would end the PostScript job's data early; no job is
  // left in the job file.
  kJobSourceUnreadable = 2,
  // There is no job file (a descriptor below 0); nothing written.
  kJobFileNotOpened = 3,
  // A write into the job file failed; it keeps what was written.
  kJobWriteFailed = 4,
};

// Appends the PJL job that stores `sourcePath` as `fontName` under
// "\pcl\fonts" of the location's volume to `jobFile`. A font name with
// a double quote, a backslash, a colon, "..", or a control byte could
// inject PJL commands or leave the fonts directory: it is refused with the
// input error, as a missing path or name is. A job written sets
// `storedBytes`, when given, to the size of the file it stores (the PJL
// download's byte count).
int WritePclDownloadJob(const char* sourcePath, const char* fontName, StorageLocation location,
                        int jobFile, MessageBoxes& boxes, std::uintmax_t* storedBytes = nullptr,
                        uint32_t pjlPassword = 0);

inline constexpr int kMostPclMacroId = 32767;

// Appends the PJL job that stores the PCL macro at `sourcePath` as the file
// named by its macro ID (0 to kMostPclMacroId) under "\pcl\macros" of the
// location's volume to `jobFile`. The bytes go
// unchanged: the file holds the macro's PCL, as it would follow "ESC&f#Y"
// and "ESC&f0X". `storedBytes` as for a font.
int WritePclMacroJob(const char* sourcePath, int macroId, StorageLocation location, int jobFile,
                     MessageBoxes& boxes, std::uintmax_t* storedBytes = nullptr, uint32_t pjlPassword = 0);

// Where the PCL jobs store a font or a macro, in the PJL file system:
// "0:\pcl\fonts\Courier10", "1:\pcl\macros\42".
std::string PclFontPrinterPath(StorageLocation location, std::string_view fontName);
std::string PclMacroPrinterPath(StorageLocation location, int macroId);

// Appends the job that stores the line-oriented font at `sourcePath` as
// `fontName` in the location's fonts directory to `jobFile`: PJL that makes
// the "fonts" folder and enters PostScript, then the PostScript program
// (PostScriptPrologue) and the font. A missing path or name writes nothing and shows nothing.
// The name goes into the job as an escaped PostScript string, so the
// printer sees exactly the name. A source line beginning "_FontDownload_"
// would end the job's data early and let the rest of the file run on the
// printer ("_FontDownload_EOF_"), or be left out of the stored file: such a
// source is refused while it is copied. A source whose last line lacks its
// line feed gets one, so that the end marker stays a line of its own. A
// job written sets `stored`, when given, to what the printer stores: the
// source's lines each ended by LF.
int WritePostScriptDownloadJob(const char* sourcePath, const char* fontName, StorageLocation location, int jobFile,
                               MessageBoxes& boxes, StoredCopy* stored = nullptr, uint32_t pjlPassword = 0);

// Appends the PostScript job that stores the line-oriented PostScript form
// at `sourcePath` as the resource `formName` of category /Form: the file
// "%Resource/Form/<formName>" of the location's device, where `findresource`
// finds a form that is not in memory. The form is then looked up once. As
// the font job, it refuses a source with an end-marker line and writes
// nothing for a missing path or name.
int WritePostScriptFormJob(const char* sourcePath, const char* formName, StorageLocation location, int jobFile,
                           MessageBoxes& boxes, StoredCopy* stored = nullptr, uint32_t pjlPassword = 0);

// `text` with each CR LF, and each CR alone, made one LF: how a printer's
// readline splits the lines the PostScript jobs store.
std::string WithLineFeeds(std::string_view text);

// Appends the file at `sourcePath` to `jobFile` as it is: a print file
// made for the printer.
int WritePrintFileJob(const char* sourcePath, int jobFile, MessageBoxes& boxes);

// The PostScript prologue that defines `download_font` for the location's
// device, each line ended by LF. The procedure stores on the first unit of
// the device ("%disk0%" to "%disk9%", "%cartridge0%" to "%cartridge9%")
// that holds a mounted file system with named files, writes its scratch
// file on that unit too (a rename cannot cross devices), and gives
// `deletefile` and `renamefile` names of exactly their length. Without
// such a unit it reads the data to its end marker and stores nothing.
std::string PostScriptPrologue(StorageLocation location);
// The same for forms: `download_form`, the device's "Resource/Form/"
// folder in place of "fonts/", and the form looked up with `findresource`.
std::string PostScriptFormPrologue(StorageLocation location);

// `text` as a PostScript string literal, parentheses included: "\", "(" and
// ")" escaped with a backslash, bytes outside printable ASCII as three-digit
// octal escapes.
std::string PostScriptStringLiteral(std::string_view text);
