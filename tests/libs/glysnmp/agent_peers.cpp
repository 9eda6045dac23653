#include "agent_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "crafted_agent.h"

extern char** environ;

namespace {

bool PortFree(const std::string& address, uint16_t port, uint16_t* bound, int type) {
  int probe = socket(AF_INET, type, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &local.sin_addr);
  socklen_t size = sizeof local;
  bool free = bind(probe, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
              getsockname(probe, reinterpret_cast<sockaddr*>(&local), &size) == 0;
  if (bound != nullptr) *bound = ntohs(local.sin_port);
  close(probe);
  return free;
}

uint16_t FreePort(const std::vector<std::string>& addresses, int type) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    uint16_t port = 0;
    if (!PortFree(addresses.front(), 0, &port, type)) continue;
    bool everywhere = true;
    for (const std::string& address : addresses) everywhere = everywhere && PortFree(address, port, nullptr, type);
    if (everywhere) return port;
  }
  return 0;
}

}  // namespace

uint16_t FreeUdpPort(const std::vector<std::string>& addresses) { return FreePort(addresses, SOCK_DGRAM); }

uint16_t FreeTcpPort(const std::vector<std::string>& addresses) { return FreePort(addresses, SOCK_STREAM); }

uint32_t AddressOf(const std::string& dotted) {
  in_addr address{};
  inet_pton(AF_INET, dotted.c_str(), &address);
  return ntohl(address.s_addr);
}

bool WaitForAgent(const std::string& address, uint16_t port, const std::string& community) {
  // A v2c GETNEXT of 1.3.6.1, built here so that the test does not start
  // a second copy of the library it tests.
  std::string pdu = crafted::Integer(1) + crafted::Integer(0) + crafted::Integer(0) +
                    crafted::Tlv(0x30, crafted::VarBind({1, 3, 6, 1}, crafted::Null()));
  std::string request = crafted::Tlv(0x30, crafted::Integer(1) + crafted::Text(community) + crafted::Tlv(0xa1, pdu));
  sockaddr_in agent{};
  agent.sin_family = AF_INET;
  agent.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &agent.sin_addr);
  int probe = socket(AF_INET, SOCK_DGRAM, 0);
  bool answered = false;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!answered && std::chrono::steady_clock::now() < until) {
    sendto(probe, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&agent), sizeof agent);
    pollfd wait{probe, POLLIN, 0};
    char answer[2048];
    answered = poll(&wait, 1, 200) == 1 && recv(probe, answer, sizeof answer, 0) > 0;
  }
  close(probe);
  return answered;
}

PeerProcess::PeerProcess(const std::vector<std::string>& argv, const std::string& logFile) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> environment = {"MIBS="};
  for (char** at = environ; *at != nullptr; ++at) {
    if (std::string(*at).rfind("MIBS=", 0) != 0 && std::string(*at).rfind("LD_PRELOAD=", 0) != 0) {
      environment.push_back(*at);
    }
  }
  std::vector<char*> env;
  for (std::string& entry : environment) env.push_back(entry.data());
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
}

PeerProcess::~PeerProcess() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

namespace {

std::vector<std::string> SnmpdCommand(const std::string& folder, const std::string& address, uint16_t port,
                                      const std::vector<std::string>& configLines) {
  std::string config = folder + "/snmpd.conf";
  std::ofstream out(config);
  out << "agentAddress udp:" << address << ":" << port << "\n"
      << "rocommunity vorpal 127.0.0.0/8\n"
      << "rwcommunity quillet 127.0.0.0/8\n"
      << "dontLogTCPWrappersConnects yes\n";
  for (const std::string& line : configLines) out << line << "\n";
  // Debian keeps snmpd in /usr/sbin, which an ordinary user's PATH lacks.
  return {"/usr/sbin/snmpd", "-f", "-Lo", "-C", "-c", config, "-p", folder + "/snmpd.pid", "--persistentDir=" + folder + "/state",
          "-I", "-hr_storage,hrh_storage,hr_device,hrh_filesys,hr_disk,hr_partition,hr_print,hr_proc,hr_network"};
}

std::vector<std::string> SnmpsimCommand(const std::string& folder, const std::vector<std::string>& addresses,
                                        uint16_t port, const std::vector<SnmpsimPeer::Recording>& recordings) {
  namespace fs = std::filesystem;
  // snmpsimd drops to nobody before it reads its data and writes its cache.
  fs::create_directories(folder + "/data");
  fs::create_directories(folder + "/cache");
  for (const std::string& dir : {folder, folder + "/data"}) chmod(dir.c_str(), 0755);
  chmod((folder + "/cache").c_str(), 0777);
  for (fs::path dir = fs::path(folder).parent_path(); dir != dir.root_path(); dir = dir.parent_path()) {
    struct stat info {};
    if (stat(dir.c_str(), &info) == 0 && (info.st_mode & S_IXOTH) == 0) chmod(dir.c_str(), info.st_mode | S_IXOTH);
  }
  for (const SnmpsimPeer::Recording& recording : recordings) {
    std::ofstream out(folder + "/data/" + recording.community + ".snmprec");
    for (const std::string& line : recording.lines) out << line << "\n";
  }
  std::vector<std::string> command = {"snmpsimd", "--process-user=nobody", "--process-group=nogroup",
                                      "--data-dir=" + folder + "/data", "--cache-dir=" + folder + "/cache"};
  for (const std::string& address : addresses) {
    command.push_back("--agent-udpv4-endpoint=" + address + ":" + std::to_string(port));
  }
  return command;
}

}  // namespace

SnmpdPeer::SnmpdPeer(const std::string& folder, const std::string& address, uint16_t port,
                     const std::vector<std::string>& configLines)
    : process_(SnmpdCommand(folder, address, port, configLines), folder + "/snmpd.log") {
  ready_ = process_.running() && WaitForAgent(address, port, "vorpal");
}

SnmpsimPeer::SnmpsimPeer(const std::string& folder, const std::vector<std::string>& addresses, uint16_t port,
                         const std::vector<Recording>& recordings)
    : process_(SnmpsimCommand(folder, addresses, port, recordings), folder + "/snmpsim.log") {
  ready_ = process_.running();
  for (const std::string& address : addresses) {
    ready_ = ready_ && WaitForAgent(address, port, recordings.front().community);
  }
}
