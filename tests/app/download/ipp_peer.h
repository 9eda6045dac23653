// ippeveprinter, an independent IPP Everywhere printer, on loopback at a
// free port for one test: it keeps every document it is sent in its spool
// folder. Started with DNS-SD stood in for (no_dnssd.c); stopped when the
// object goes.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class IppPeer {
 public:
  // `extra`: more of ippeveprinter's options, such as {"-c", "/bin/false"}
  // for a printer whose every job fails.
  IppPeer(const std::string& spool, std::vector<std::string> extra = {}) : spool_(spool) {
    port_ = FreePort();
    std::vector<std::string> args = {"ippeveprinter", "-p", std::to_string(port_), "-n", "localhost", "-k",
                                     "-d", spool, "-f",
                                     "application/vnd.hp-pcl,application/postscript,application/octet-stream"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("GlyTest");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = {std::string("LD_PRELOAD=") + GLY_NO_DNSSD_LIBRARY};
    for (char** variable = environ; *variable; ++variable)
      if (std::string(*variable).rfind("LD_PRELOAD=", 0) != 0) environment.push_back(*variable);
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", 01, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", 01, 0);
    if (posix_spawnp(&pid_, "ippeveprinter", &quiet, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&quiet);
    for (int tries = 0; pid_ > 0 && tries < 250 && !Listening(); ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~IppPeer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  bool running() const { return pid_ > 0 && Listening(); }
  uint16_t port() const { return port_; }

  // The documents kept so far, by file name. A print command's output is
  // kept too, as an empty .prn with /bin/true; it is left out.
  std::vector<std::filesystem::path> Documents() const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(spool_))
      if (entry.is_regular_file() && entry.file_size() > 0) files.push_back(entry.path());
    return files;
  }

 private:
  static uint16_t FreePort() {
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
  }

  bool Listening() const {
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return connected;
  }

  std::string spool_;
  uint16_t port_ = 0;
  pid_t pid_ = -1;
};
