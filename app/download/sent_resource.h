// What one job of a download was to leave on the printer, as job
// preparation wrote it: the download worker asks the printer afterwards
// whether it is there (download_check.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "download/download_job.h"
#include "download/job_folder.h"

enum class SentKind {
  kPclFont,         // a PJL file-system download into the volume's PCL fonts folder
  kPostScriptFont,  // a PostScript download_font job into the device's fonts folder
  kPclMacro,        // a PJL file-system download into the volume's PCL macros folder
  kPostScriptForm,  // a PostScript download_form job into the device's Resource/Form folder
  kPrintFile,       // printed, not stored: nothing to look for afterwards
};

struct SentResource {
  SentKind kind = SentKind::kPclFont;
  StorageLocation location = kHardDisk;
  // The name the job stored it under.
  std::string name;
  // The name a font list shows it by: a PCL font's descriptor name, which
  // may differ from its file name; a PostScript font's /FontName.
  std::string listedName;
  // The file the job writes, as a PJL path: "0:\pcl\fonts\Gothic",
  // "1:\pcl\macros\42", "0:\Resource\Form\Logo"; empty for a print file.
  std::string printerPath;
  std::shared_ptr<JobFile> jobFile;  // the job file that carries it
  // The size of the file the job writes: the byte count of a PJL download,
  // the lines a PostScript job copies, each ended by one LF.
  std::optional<uint64_t> storedBytes;
  // The first bytes of that file, where the job fixes them (a PostScript
  // job's lines): a printer that does not tell the size shows them instead.
  std::string storedHead;
};

inline bool IsFont(SentKind kind) { return kind == SentKind::kPclFont || kind == SentKind::kPostScriptFont; }

// The PJL path of a file a PostScript job stores: the volume ("0:" the hard
// disk, "1:" the flash memory, which PostScript calls "%disk0%" and
// "%cartridge0%"), the folder ("fonts", "Resource\Form") and the name.
std::string PostScriptPrinterPath(StorageLocation location, std::string_view folder, std::string_view name);
