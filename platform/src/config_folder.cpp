#include "config_folder.h"

#include <cstdlib>

namespace platform {

std::string UserConfigFolder() {
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/gly";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : ".") + "/.config/gly";
}

}  // namespace platform
