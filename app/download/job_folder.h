// The folder of a download's temporary job files and of the conversions'
// scratch files. The program's own folder is not the place: installed, it
// is shared by every user and writable by none of them. A JobFolder is made
// new for its owner, private to the user, and removed with everything in it
// when the object goes.
#pragma once

#include <string>

class JobFolder {
 public:
  // In the user's runtime folder, else the temporary folder.
  JobFolder();
  // In `parent`, for callers that choose the place.
  explicit JobFolder(const std::string& parent);
  ~JobFolder();
  JobFolder(const JobFolder&) = delete;
  JobFolder& operator=(const JobFolder&) = delete;

  // The folder's full path; empty when no folder could be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The file `name` in the job folder `folder`. Without a folder there is no
// such file: the path is empty, so writing it fails like any file that
// cannot be created, and nothing lands in the working or root folder.
std::string JobFilePath(const std::string& folder, const char* name);
