// The folder of a download's temporary job files and of the conversions'
// scratch files. The program's own folder is not the place: installed, it
// is shared by every user and writable by none of them. A JobFolder is made
// new for its owner, private to the user, and removed with everything in it
// when the object goes.
//
// Job files are made in an OpenJobFolder: relative to the folder's own
// descriptor, afresh, and held open as JobFiles that are written and sent
// through their descriptors, so nothing put in a job file's place, or the
// folder's, after it was made is ever written or sent.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class JobFolder {
 public:
  // In the user's runtime folder, else the temporary folder, whichever is
  // fit to hold private folders; none when neither is.
  JobFolder();
  // In `parent`, for callers that choose the place (an empty one: as
  // above); none when `parent` is not fit (others could replace what is
  // made there).
  explicit JobFolder(const std::string& parent);
  ~JobFolder();
  JobFolder(const JobFolder&) = delete;
  JobFolder& operator=(const JobFolder&) = delete;

  // The folder's full path; empty when no folder could be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The prefix of job folder names; the process id follows it.
inline constexpr char kJobFolderPrefix[] = "gly-jobs-";

// Removes the job folders that this user's ended processes left behind in
// `parent` (when empty: the places JobFolder() uses).
void RemoveStaleJobFolders(const std::string& parent = "");

// One job file, open for reading and writing; closed when it goes.
class JobFile {
 public:
  // Takes `descriptor`; `path` is what the file is called (the printer is
  // told its last part) and is never opened.
  JobFile(int descriptor, std::string path);
  ~JobFile();
  JobFile(const JobFile&) = delete;
  JobFile& operator=(const JobFile&) = delete;

  int descriptor() const { return descriptor_; }
  const std::string& path() const { return path_; }

 private:
  int descriptor_;
  std::string path_;
};

// A file that the program ships, opened for reading once; null when it
// cannot be opened or is not a regular file.
std::unique_ptr<JobFile> OpenShippedJobFile(const std::string& path);

// A job folder opened by its path once.
class OpenJobFolder {
 public:
  // Not open when `path` is empty or not a private folder of this user.
  explicit OpenJobFolder(std::string path);
  ~OpenJobFolder();
  OpenJobFolder(const OpenJobFolder&) = delete;
  OpenJobFolder& operator=(const OpenJobFolder&) = delete;

  bool isOpen() const { return descriptor_ >= 0; }
  // The path of `name` in the folder, for the converter, which takes paths;
  // empty when the folder is not open, so nothing lands in the working or
  // root folder.
  std::string FilePath(const char* name) const;
  // `name` made afresh (whatever had the name is removed); null when it
  // cannot be made.
  std::shared_ptr<JobFile> CreateFile(const char* name) const;
  void RemoveFile(const char* name) const;
  // Whether fewer than `bytes` bytes can still be written in the folder.
  bool HasLessRoomThan(uint64_t bytes) const;

 private:
  std::string path_;
  int descriptor_;
};
