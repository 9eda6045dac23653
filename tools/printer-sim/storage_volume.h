// One mass-storage volume of a printer (its hard disk or its flash memory):
// directories and files by path, with a capacity. Paths are relative to
// the volume, components joined by "/".
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace printer_sim {

// Splits a printer path ("pcl\fonts\Name" or "fonts/Name") into its
// components and joins them with "/". Refuses empty paths and components,
// "." and "..", and control characters: nothing may leave the volume.
std::optional<std::string> NormalizeVolumePath(std::string_view raw);

class StorageVolume {
 public:
  explicit StorageVolume(uint64_t capacity) : capacity_(capacity) {}

  uint64_t capacity() const { return capacity_; }
  uint64_t used() const { return used_ + reserved_; }
  uint64_t free() const { return capacity_ - used(); }
  // Takes up all the space still free, as other data on a full disk does.
  void FillUp() { reserved_ = capacity_ - used_; }
  bool HasDirectory(const std::string& path) const;
  bool HasFile(const std::string& path) const { return files_.count(path) > 0; }

  struct Entry {
    std::string name;  // the last component
    bool directory = false;
    uint64_t size = 0;  // of a file
  };
  // What a directory holds, by name.
  std::vector<Entry> List(const std::string& directory) const;
  // Removes a directory that holds nothing; never the root.
  bool RemoveEmptyDirectory(const std::string& path);
  // Creates the directory and its parents.
  void MakeDirectories(const std::string& path);
  // The directory that holds `path` ("" for the root).
  static std::string Parent(const std::string& path);

  std::optional<std::string> Read(const std::string& path) const;
  // Stores or replaces a file; the caller checked the capacity.
  void Write(const std::string& path, std::string bytes);
  bool Remove(const std::string& path);
  // The bytes that storing `size` bytes at `path` would add.
  int64_t Growth(const std::string& path, uint64_t size) const;

 private:
  uint64_t capacity_;
  uint64_t used_ = 0;
  uint64_t reserved_ = 0;
  std::set<std::string> directories_;
  std::map<std::string, std::string> files_;
};

}  // namespace printer_sim
