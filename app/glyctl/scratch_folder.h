// Private scratch folders for job and conversion files.
#pragma once

#include <string>

// A folder of its own, mode 0700, in the environment's scratch folder,
// removed with what it holds when the object goes. The job and conversion
// files of one download or export are made in it, so that runs side by
// side never share one.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& parent);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // Empty when it could not be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
