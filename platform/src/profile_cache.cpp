#include "profile_cache.h"

#include <sys/stat.h>

#include <ctime>
#include <map>
#include <mutex>

namespace platform {
namespace {

// Longer than the coarsest clock of a file system that keeps times (two
// seconds), so a file changed again as it was read always shows it.
constexpr time_t kSettledSeconds = 2;

struct Identity {
  dev_t device;
  ino_t inode;
  off_t size;
  timespec modified;
  timespec changed;  // moves also when the modification time is set back

  bool operator==(const Identity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           same(modified, other.modified) && same(changed, other.changed);
  }
  static bool same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  }
};

struct Reading {
  Identity identity;
  std::shared_ptr<const std::vector<ProfileSection>> sections;
};

struct Cache {
  std::mutex lock;
  std::map<std::string, Reading> readings;  // by path
};

// Never destroyed: threads may still read profiles while the process ends.
Cache& cache() {
  static Cache* instance = new Cache;
  return *instance;
}

bool identify(const std::string& path, Identity* identity) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  *identity = {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
  return true;
}

bool settled(const Identity& identity) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return identity.modified.tv_sec + kSettledSeconds < now.tv_sec;
}

}  // namespace

std::shared_ptr<const std::vector<ProfileSection>> CachedProfileFile(const std::string& path) {
  Identity identity{};
  if (!identify(path, &identity)) return nullptr;
  Cache& c = cache();
  {
    std::lock_guard hold(c.lock);
    auto found = c.readings.find(path);
    if (found != c.readings.end() && found->second.identity == identity) {
      return found->second.sections;
    }
  }
  auto read = ReadProfileFile(path);
  if (!read) return nullptr;
  auto sections = std::make_shared<const std::vector<ProfileSection>>(std::move(*read));
  std::lock_guard hold(c.lock);
  if (settled(identity)) {
    c.readings[path] = {identity, sections};
  } else {
    c.readings.erase(path);
  }
  return sections;
}

}  // namespace platform
