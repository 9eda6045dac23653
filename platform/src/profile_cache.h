// Profile files read once and kept while they stay as they were, so that a
// program asking many values of one file parses it once. Internal to the
// platform library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "profile_file.h"

namespace platform {

// The sections of the file at `path`, as ReadProfileFile gives them, or
// null when it cannot be read. Reuses the last reading while the file has
// the same identity, size and times; a file changed in the last moments
// before it was read is read again at the next call, since a change within
// the same tick of the file system's clock would leave its times alone.
// May be called from any thread.
std::shared_ptr<const std::vector<ProfileSection>> CachedProfileFile(const std::string& path);

}  // namespace platform
