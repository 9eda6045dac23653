#include "storage_volume.h"

namespace printer_sim {

std::optional<std::string> NormalizeVolumePath(std::string_view raw) {
  std::string path;
  std::string component;
  auto finish = [&]() {
    if (component.empty() || component == "." || component == "..") return false;
    if (!path.empty()) path.push_back('/');
    path += component;
    component.clear();
    return true;
  };
  if (raw.empty()) return std::nullopt;
  for (char c : raw) {
    if (c == '\\' || c == '/') {
      if (!finish()) return std::nullopt;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return std::nullopt;
    } else {
      component.push_back(c);
    }
  }
  if (!finish()) return std::nullopt;
  return path;
}

bool StorageVolume::HasDirectory(const std::string& path) const {
  return path.empty() || directories_.count(path) > 0;
}

void StorageVolume::MakeDirectories(const std::string& path) {
  for (size_t end = path.find('/'); end != std::string::npos; end = path.find('/', end + 1)) {
    directories_.insert(path.substr(0, end));
  }
  directories_.insert(path);
}

std::string StorageVolume::Parent(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::optional<std::string> StorageVolume::Read(const std::string& path) const {
  auto file = files_.find(path);
  if (file == files_.end()) return std::nullopt;
  return file->second;
}

void StorageVolume::Write(const std::string& path, std::string bytes) {
  used_ += bytes.size();
  std::string& slot = files_[path];
  used_ -= slot.size();
  slot = std::move(bytes);
}

bool StorageVolume::Remove(const std::string& path) {
  auto file = files_.find(path);
  if (file == files_.end()) return false;
  used_ -= file->second.size();
  files_.erase(file);
  return true;
}

std::vector<StorageVolume::Entry> StorageVolume::List(const std::string& directory) const {
  const std::string prefix = directory.empty() ? std::string() : directory + "/";
  auto child = [&](const std::string& path) {
    return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
           path.find('/', prefix.size()) == std::string::npos;
  };
  std::map<std::string, Entry> entries;
  for (const std::string& path : directories_) {
    if (child(path)) entries[path.substr(prefix.size())] = {path.substr(prefix.size()), true, 0};
  }
  for (const auto& [path, bytes] : files_) {
    if (child(path)) entries[path.substr(prefix.size())] = {path.substr(prefix.size()), false, bytes.size()};
  }
  std::vector<Entry> list;
  for (auto& [name, entry] : entries) list.push_back(std::move(entry));
  return list;
}

bool StorageVolume::RemoveEmptyDirectory(const std::string& path) {
  if (path.empty() || !directories_.count(path) || !List(path).empty()) return false;
  directories_.erase(path);
  return true;
}

int64_t StorageVolume::Growth(const std::string& path, uint64_t size) const {
  auto file = files_.find(path);
  uint64_t old = file == files_.end() ? 0 : file->second.size();
  return static_cast<int64_t>(size) - static_cast<int64_t>(old);
}

}  // namespace printer_sim
