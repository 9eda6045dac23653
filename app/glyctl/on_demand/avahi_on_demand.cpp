// The functions of the Avahi client library (and the common library it
// brings along) that DNS-SD browsing calls.
#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>

#include "glyctl/on_demand/on_demand_library.h"

namespace {
const OnDemandLibrary kAvahi{"libavahi-client.so.3", "DNS-SD browsing"};
}  // namespace

extern "C" {
GLY_ON_DEMAND(kAvahi, int, avahi_client_errno, (AvahiClient * client), (client))
GLY_ON_DEMAND(kAvahi, void, avahi_client_free, (AvahiClient * client), (client))
GLY_ON_DEMAND(kAvahi, AvahiClient*, avahi_client_new,
              (const AvahiPoll* poll_api, AvahiClientFlags flags, AvahiClientCallback callback, void* userdata,
               int* error),
              (poll_api, flags, callback, userdata, error))
GLY_ON_DEMAND(kAvahi, void, avahi_free, (void* p), (p))
GLY_ON_DEMAND(kAvahi, AvahiServiceBrowser*, avahi_service_browser_new,
              (AvahiClient * client, AvahiIfIndex interface, AvahiProtocol protocol, const char* type,
               const char* domain, AvahiLookupFlags flags, AvahiServiceBrowserCallback callback, void* userdata),
              (client, interface, protocol, type, domain, flags, callback, userdata))
GLY_ON_DEMAND(kAvahi, int, avahi_service_resolver_free, (AvahiServiceResolver * resolver), (resolver))
GLY_ON_DEMAND(kAvahi, AvahiServiceResolver*, avahi_service_resolver_new,
              (AvahiClient * client, AvahiIfIndex interface, AvahiProtocol protocol, const char* name,
               const char* type, const char* domain, AvahiProtocol aprotocol, AvahiLookupFlags flags,
               AvahiServiceResolverCallback callback, void* userdata),
              (client, interface, protocol, name, type, domain, aprotocol, flags, callback, userdata))
GLY_ON_DEMAND(kAvahi, void, avahi_simple_poll_free, (AvahiSimplePoll * poll), (poll))
GLY_ON_DEMAND(kAvahi, const AvahiPoll*, avahi_simple_poll_get, (AvahiSimplePoll * poll), (poll))
GLY_ON_DEMAND(kAvahi, int, avahi_simple_poll_iterate, (AvahiSimplePoll * poll, int sleep_time), (poll, sleep_time))
GLY_ON_DEMAND(kAvahi, AvahiSimplePoll*, avahi_simple_poll_new, (void), ())
GLY_ON_DEMAND(kAvahi, const char*, avahi_strerror, (int error), (error))
GLY_ON_DEMAND(kAvahi, AvahiStringList*, avahi_string_list_get_next, (AvahiStringList * list), (list))
GLY_ON_DEMAND(kAvahi, int, avahi_string_list_get_pair, (AvahiStringList * list, char** key, char** value, size_t* size),
              (list, key, value, size))
}
