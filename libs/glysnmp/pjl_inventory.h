// A printer's fonts and storage as it tells them on its AppSocket port,
// for printers without our font table: the font files in the font folders
// of each volume (PJL FSDIRLIST, each named by its first bytes through
// FSUPLOAD), the internal PCL fonts (PCL status readback) and, on
// PostScript printers, the fonts /Font resourceforall lists.
//
// Index numbers stay the same from one read to the next, so that a
// deletion started from a list finds its font: internal PCL fonts count
// from 1 in the printer's order, internal PostScript fonts from 0x100000
// in name order, and a font file takes 0x40000000 plus a 30-bit FNV-1a hash
// of its path (the next free number when two paths meet). Downloaded fonts
// thus come after every permanent one, as partial re-reads expect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "glysnmp.h"
#include "pjl_client.h"
#include "storage_inventory.h"

namespace glysnmp {

enum class PjlStatus {
  kAnswered,
  kUnreachable,          // no connection, or no reply within the time-out
  kNoFileSystemAccess,   // the printer answers PJL but ignores its file-system commands
  kFileSystemLocked,     // every file-system query failed: a PJL password is wanted
  kRefused,              // no such font file, or the printer would not delete it
  kDeadlinePassed,       // the whole listing or deletion took longer than its deadline
  kTooManyRequests,      // it needed more requests than a listing may make
};

struct PjlFonts {
  PjlStatus status = PjlStatus::kUnreachable;
  std::vector<FontEntry> fonts;  // in index order
  // SnmpFontSource: PJL when font files were listed, else the readback
  // that gave the internal fonts.
  int32_t source = kFontSourceNone;
};

struct PjlPrinter {
  uint32_t address = 0;
  uint32_t password = 0;  // 0: none
  PjlSettings settings;
};

PjlFonts ReadPjlFonts(const PjlPrinter& printer);

// SnmpFontSource of a printer without reading its fonts: PJL when the first
// entries of a font folder hold a file, else the readback its languages
// offer; none when its file system is locked or ignores its commands, as
// ReadPjlFonts would find.
int32_t PjlFontSource(const PjlPrinter& printer);

// Deletes the font file with index `index`; its path is kept for the polls.
PjlStatus DeletePjlFont(const PjlPrinter& printer, int32_t index);
// kDeleted once FSQUERY no longer finds the file a deletion was started for.
enum class PjlDeletion { kNoAnswer, kPending, kDeleted };
PjlDeletion QueryPjlFontDeletion(const PjlPrinter& printer, int32_t index);

// Whether the printer holds the file at `path` (a PJL path), by FSQUERY:
// stored when it answers TYPE=FILE, not stored when it says the file or its
// volume is not there (or a folder is), unknown otherwise, and for a path
// that would not survive being quoted in a PJL command. A stored file's
// SIZE= goes to `size` when the printer gave a number (nullopt otherwise).
enum class StoredFile { kStored, kNotStored, kUnknown };
StoredFile QueryPjlStoredFile(const PjlPrinter& printer, std::string_view path,
                              std::optional<uint64_t>* size = nullptr);

// Up to `bytes` bytes from the start of the file at `path` (a PJL path),
// by FSUPLOAD into `head`, so that a download can tell its own copy from an
// older one of the same name: stored when the printer gave them, not stored
// when it says there is no such file, unknown otherwise (as for
// QueryPjlStoredFile).
StoredFile UploadPjlFileHead(const PjlPrinter& printer, std::string_view path, uint32_t bytes, std::string* head);

// The printer's volumes from INFO FILESYS; nullopt when it did not answer.
std::optional<StorageInventory> QueryPjlStorage(const PjlPrinter& printer);

// PJL passwords by printer address, set by the caller for later calls.
void SetPjlPassword(uint32_t address, uint32_t password);
uint32_t PjlPasswordOf(uint32_t address);

}  // namespace glysnmp
