#include "snmp/dns_sd_browse.h"

#include <arpa/inet.h>
#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "printers/clock.h"

namespace {

constexpr const char* kServiceTypes[] = {"_pdl-datastream._tcp", "_printer._tcp", "_ipp._tcp", "_ipps._tcp"};
constexpr const char* kKeptKeys[] = {"ty", "product", "pdl", "usb_mfg", "usb_mdl", "usb_cmd"};
// A TXT value longer than this is cut: a record holds at most 255 bytes a
// string anyway, but nothing here relies on the daemon for it.
constexpr size_t kMostValueBytes = 255;
// The longest the browse waits for the daemon in one go, so that it ends
// close to its deadline.
constexpr int kPollStepMs = 50;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::map<std::string, std::string> KeptTxt(AvahiStringList* txt) {
  std::map<std::string, std::string> kept;
  for (AvahiStringList* item = txt; item != nullptr; item = avahi_string_list_get_next(item)) {
    char* key = nullptr;
    char* value = nullptr;
    size_t size = 0;
    if (avahi_string_list_get_pair(item, &key, &value, &size) != 0) continue;
    const std::string name = Lower(key);
    if (std::find(std::begin(kKeptKeys), std::end(kKeptKeys), name) != std::end(kKeptKeys) && value != nullptr)
      kept.emplace(name, std::string(value, std::min(size, kMostValueBytes)));
    avahi_free(key);
    avahi_free(value);
  }
  return kept;
}

// One browse: the daemon's client, a browser per service type and the
// resolvers they start; all run on the caller's thread through a simple poll.
struct Browse {
  AvahiSimplePoll* poll = nullptr;
  AvahiClient* client = nullptr;
  std::string problem;
  std::map<uint32_t, AnnouncedPrinter> printers;
};

void OnResolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event, const char* name,
                const char* type, const char*, const char*, const AvahiAddress* address, uint16_t port,
                AvahiStringList* txt, AvahiLookupResultFlags, void* context) {
  auto* browse = static_cast<Browse*>(context);
  if (event == AVAHI_RESOLVER_FOUND && address != nullptr && address->proto == AVAHI_PROTO_INET) {
    FileAnnouncedService(browse->printers, ntohl(address->data.ipv4.address), name ? name : "",
                         {type ? type : "", port}, KeptTxt(txt));
  }
  avahi_service_resolver_free(resolver);
}

void OnBrowsed(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
               const char* name, const char* type, const char* domain, AvahiLookupResultFlags, void* context) {
  auto* browse = static_cast<Browse*>(context);
  if (event != AVAHI_BROWSER_NEW) return;
  // Freed in OnResolved; those still open go with the client.
  avahi_service_resolver_new(browse->client, interface, protocol, name, type, domain, AVAHI_PROTO_INET,
                             static_cast<AvahiLookupFlags>(0), OnResolved, browse);
}

void OnClientState(AvahiClient*, AvahiClientState state, void* context) {
  auto* browse = static_cast<Browse*>(context);
  if (state == AVAHI_CLIENT_FAILURE && browse->problem.empty()) browse->problem = "the mDNS service (Avahi) stopped";
}

}  // namespace

uint32_t BrowseSeconds() {
  const char* text = std::getenv(kBrowseSecondsEnv);
  if (text == nullptr) return kDefaultBrowseSeconds;
  char* end = nullptr;
  const unsigned long seconds = std::strtoul(text, &end, 10);
  return *text != '\0' && *end == '\0' && seconds >= 1 && seconds <= 60 ? static_cast<uint32_t>(seconds)
                                                                        : kDefaultBrowseSeconds;
}

void FileAnnouncedService(std::map<uint32_t, AnnouncedPrinter>& printers, uint32_t address, const std::string& name,
                          const AnnouncedService& service, const std::map<std::string, std::string>& txt) {
  AnnouncedPrinter& printer = printers[address];
  if (printer.services.empty()) {
    printer.address = address;
    printer.name = name;
  }
  const bool known = std::any_of(printer.services.begin(), printer.services.end(), [&](const AnnouncedService& s) {
    return s.type == service.type && s.port == service.port;
  });
  if (!known) printer.services.push_back(service);
  printer.txt.insert(txt.begin(), txt.end());
}

AnnouncedBrowse BrowseAnnouncedPrinters(uint32_t seconds, Clock& clock) {
  Browse browse;
  std::unique_ptr<AvahiSimplePoll, decltype(&avahi_simple_poll_free)> poll(avahi_simple_poll_new(),
                                                                          avahi_simple_poll_free);
  if (!poll) return {"out of memory", {}};
  browse.poll = poll.get();
  int error = 0;
  // Without AVAHI_CLIENT_NO_FAIL: no daemon is an error at once, not a wait
  // for one to start.
  std::unique_ptr<AvahiClient, decltype(&avahi_client_free)> client(
      avahi_client_new(avahi_simple_poll_get(poll.get()), static_cast<AvahiClientFlags>(0), OnClientState, &browse,
                       &error),
      avahi_client_free);
  if (!client) return {std::string("no mDNS service (Avahi daemon) answers: ") + avahi_strerror(error), {}};
  browse.client = client.get();
  for (const char* type : kServiceTypes) {
    if (!avahi_service_browser_new(client.get(), AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, type, nullptr,
                                   static_cast<AvahiLookupFlags>(0), OnBrowsed, &browse))
      return {std::string("the mDNS service (Avahi) refused to browse: ") + avahi_strerror(avahi_client_errno(client.get())),
              {}};
  }
  const uint64_t deadline = clock.NowMs() + uint64_t{seconds} * 1000;
  while (browse.problem.empty() && clock.NowMs() < deadline) {
    if (avahi_simple_poll_iterate(poll.get(), kPollStepMs) != 0) break;
  }
  AnnouncedBrowse result{browse.problem, {}};
  if (!result.problem.empty()) return result;
  for (auto& [address, printer] : browse.printers) result.printers.push_back(std::move(printer));
  return result;
}
