#include "sim_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace sim_test {

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t size = 0;
  while ((size = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, size);
  int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string SnmpTarget(const printer_sim::Simulator& simulator, size_t printer) {
  return simulator.Config(printer).address + ":" + std::to_string(simulator.SnmpPort(printer));
}

std::string SnmpTool(const std::string& tool, const std::string& community, const std::string& version) {
  return "MIBS= " + tool + " -v" + version + " -c " + community + " -t 2 -r 1 -On ";
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string PclSoftFont(const std::string& name, int fontId) {
  std::string descriptor(64, '\0');
  descriptor[1] = 64;  // descriptor size, big-endian
  descriptor[2] = 0;   // format 0: bitmap
  std::string padded = name.substr(0, 16);
  padded.resize(16, ' ');
  descriptor.replace(48, 16, padded);
  std::string character = "\x1b*c65E\x1b(s20W" + std::string(20, '\x55');
  return "\x1b*c" + std::to_string(fontId) + "D\x1b)s64W" + descriptor + character;
}

std::string PjlDownload(char volume, const std::string& name, const std::string& font) {
  std::string job =
      "\x1b%-12345X@PJL\n"
      "@PJL COMMENT OSLbegin\n"
      "@PJL COMMENT OID_ATT_START_SHEET OID_VAL_JOB_SHEET_NONE\n"
      "@PJL COMMENT OID_ATT_ACCOUNTING_INFORMATION \"GLYUSER|042GLYACCOUNT\"\n"
      "@PJL COMMENT OSLend\n";
  std::string folder = std::string(1, volume) + ":\\pcl\\fonts";
  if (volume == '0') job += "@PJL FSMKDIR NAME=\"" + folder + "\"\r\n";
  job += "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"" + folder + "\\" + name + "\" SIZE=" +
         std::to_string(font.size()) + "\r\n";
  return job + font + "\x1b%-12345X";
}

std::string Type1FontText(const std::string& fontName) {
  return "%!PS-AdobeFont-1.0: " + fontName + " 001.000\r\n"
         "11 dict begin\r\n"
         "/FontName /" + fontName + " def\r\n"
         "/FontType 1 def\r\n"
         "/FontMatrix [0.001 0 0 0.001 0 0] readonly def\r\n"
         "currentdict end\r\n"
         "currentfile eexec\r\n"
         "D9D66F633B846A989B9974B0179FC6CC445BC2C03103C68570A7B354A4A280AE\r\n"
         "cleartomark\r\n";
}

std::string PostScriptDownload(bool flash, const std::string& name, const std::string& font) {
  const std::string unit = flash ? "%cartridge0%" : "%disk0%";
  return "%!PS-Adobe-2.0\n/download_font\n{\n/fontName exch def\n/UNIT (" + unit +
         ") def\n/FOLDER (fonts/) def\n}bind def\n (" + name + ")download_font\r\n_FontDownload_\n" + font +
         "_FontDownload_EOF_\n";
}

int ConnectTcp(const std::string& address, uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  timeval wait{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return fd;
  const int error = errno;
  close(fd);
  errno = error;
  return -1;
}

}  // namespace sim_test
