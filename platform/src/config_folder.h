// The user's configuration folder of the platform, where settings live that
// nobody placed elsewhere: $XDG_CONFIG_HOME/gly, or ~/.config/gly.
#pragma once

#include <string>

namespace platform {

std::string UserConfigFolder();

}  // namespace platform
