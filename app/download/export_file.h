// The file an export writes: made new beside the file the user chose and put
// in its place only once every job is in it and on the disk, so a reader
// never sees half an export, and an export that fails or is stopped leaves
// the old file as it was (or no file).
//
// The chosen path must name a regular file or nothing yet; a symbolic link
// to a regular file is followed, and the file it names is replaced. A
// device, a FIFO, a folder, a dangling link, or one of the export's own
// inputs (the same file under any name) is refused before anything is
// written. So is a link in a sticky or other-writable folder (/tmp) that
// belongs to neither the user nor root: the kernel would not follow it for
// open either, and another user could aim it at a file of the user's.
//
// The new file is named .NAME.PID-N.part; those that ended runs of the same
// user left in the folder (killed before they could remove them) are
// removed when the next export there opens.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "download/job_folder.h"

class ExportFile {
 public:
  enum class Opened { kOpen, kNotRegularFile, kIsAnInput, kForeignLink, kCannotCreate };

  ExportFile() = default;
  // Removes the new file unless Commit put it in place.
  ~ExportFile();
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  Opened Open(const std::string& target, const std::vector<std::string>& inputs);
  // The new file, for the job writers; null until Open succeeded.
  const std::shared_ptr<JobFile>& file() const { return file_; }
  // Puts the new file in the target's place; with no job in it, the target
  // is removed, so that the export leaves no file. False when the file
  // could not be made durable or moved (the old file is left as it was).
  bool Commit();

 private:
  std::string target_;     // the file replaced: the chosen path, or where its link leads
  std::string temporary_;  // the new file beside it
  std::shared_ptr<JobFile> file_;
};
