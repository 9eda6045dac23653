#include "type1_shared_work.h"

#include <cstdlib>
#include <string_view>
#include <thread>

namespace converter {

bool HelperThreadWorthwhile() {
  if (const char* setting = std::getenv("GLY_CONVERTER_THREADS")) {
    if (std::string_view(setting) == "1") return false;
    if (std::string_view(setting) == "2") return true;
  }
  const unsigned processors = std::thread::hardware_concurrency();
  double load = 0;
  return processors > 1 && ::getloadavg(&load, 1) == 1 && load <= processors - 1;
}

}  // namespace converter
