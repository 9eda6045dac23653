#include "download/pjl_job_lines.h"

std::string PjlJobOpening(uint32_t password) {
  return password == 0 ? std::string() : "@PJL JOB PASSWORD=" + std::to_string(password) + "\r\n";
}

std::string PjlJobClosing(uint32_t password) { return password == 0 ? std::string() : "@PJL EOJ\r\n"; }

std::string PjlMakeFolders(std::string_view volume, std::string_view folder) {
  std::string lines;
  for (size_t end = folder.find('\\'); ; end = folder.find('\\', end + 1)) {
    lines += "@PJL FSMKDIR NAME=\"" + std::string(volume) + "\\" + std::string(folder.substr(0, end)) + "\"\r\n";
    if (end == std::string_view::npos) break;
  }
  return lines;
}
