// Whether a printer holds a resource of a set, told from its font list and,
// for what a font list does not show, from its file system.
//
// How a resource is recognised on a printer, by what its download job
// leaves there (SentResource):
// - a PCL font: a PCL font entry named by the typeface name of its font
//   descriptor (the first 16 bytes, without trailing blanks) or by the
//   file name it is stored under;
// - a PostScript font: a PostScript font entry named by its /FontName;
// - a TrueType font: by the fonts its conversion makes (a Type 1 font by
//   its /FontName, a PCL TrueType font by its typeface name), each of them;
// - a PCL macro: the file named by its macro ID in a volume's PCL macros
//   folder; a PostScript form: the file named by its form name in a
//   volume's form folder (asked with PJL FSQUERY).
//
// A font held on the disk, the flash memory or in ROM is held; one only in
// RAM (or kept only until power-off) is held in memory only. Where the
// printer gives sizes (its fonts read from its file system, and every
// macro and form) a stored file of another size than the job stores is
// another version.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "download/sent_resource.h"
#include "snmp/contract/glysnmp.h"

// Worst last: a resource made of several fonts takes the worst of theirs
// (see WorstHolding).
enum class Holding { kHeld, kUnknown, kMemoryOnly, kOtherVersion, kMissing };

// "held", "memory only", "other version", "missing", "unknown".
std::string_view HoldingText(Holding holding);

struct HoldingCell {
  Holding holding = Holding::kUnknown;
  std::string why;  // for unknown, and a missing one a download failed to place
};

// What a printer told of its fonts.
struct PrinterFonts {
  int32_t readResult = kSnmpNoAnswer;  // SnmpResult; 0: read
  bool fromFileSystem = false;         // listed from its file system (PJL), not its font table
  std::vector<FontEntry> fonts;
};

// A printer's file system, asked for one file (SnmpQueryStoredFileSize).
class StoredFileQuestions {
 public:
  virtual ~StoredFileQuestions() = default;
  // kSnmpFileStored (`size` set, or kSnmpUnknownSize), kSnmpFileNotStored or
  // kSnmpFileUnknown.
  virtual int32_t QueryStoredFile(const std::string& printerPath, uint64_t& size) = 0;
};

// The holding of a resource whose jobs leave `parts` on a printer whose
// font list is `fonts`. The parts of a resource that could not be prepared
// are empty: the caller tells why.
HoldingCell JudgeHolding(const std::vector<SentResource>& parts, const PrinterFonts& fonts,
                         StoredFileQuestions& files);

Holding WorstHolding(Holding a, Holding b);

// Why a printer's font list could not be read (readResult), as a text.
std::string FontReadProblem(int32_t readResult);
