// Printers as they announce themselves over multicast DNS (DNS-SD), found
// through the desktop's mDNS service (the Avahi daemon, over its client
// library): the raw (_pdl-datastream._tcp), LPD (_printer._tcp) and IPP
// (_ipp._tcp, _ipps._tcp) services, resolved to IPv4 addresses, one entry per
// address with every service announced there and their TXT keys.
//
// Any thread; a browse blocks its caller for its whole time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Clock;

// How long a browse listens, and the variable that changes it (whole
// seconds, 1 to 60).
inline constexpr uint32_t kDefaultBrowseSeconds = 3;
inline constexpr char kBrowseSecondsEnv[] = "GLY_DNSSD_SECONDS";
uint32_t BrowseSeconds();

struct AnnouncedService {
  std::string type;  // "_ipp._tcp", ...
  uint16_t port = 0;
};

struct AnnouncedPrinter {
  uint32_t address = 0;  // IPv4, first octet most significant
  std::string name;      // the first service's instance name
  std::vector<AnnouncedService> services;
  // TXT keys (lower case) and values of its services, the first given
  // winning; only the keys the program reads are kept.
  std::map<std::string, std::string> txt;
};

struct AnnouncedBrowse {
  // Empty when the browse ran; otherwise why it could not ("no Avahi
  // daemon runs"), told at once.
  std::string problem;
  std::vector<AnnouncedPrinter> printers;  // in address order
};

AnnouncedBrowse BrowseAnnouncedPrinters(uint32_t seconds, Clock& clock);

// Files one resolved service into `printers`: a new entry for a new
// address, else its service and the TXT keys not yet given added to it.
void FileAnnouncedService(std::map<uint32_t, AnnouncedPrinter>& printers, uint32_t address, const std::string& name,
                          const AnnouncedService& service, const std::map<std::string, std::string>& txt);
