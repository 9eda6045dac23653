/* Preloaded into ippeveprinter for the tests: it announces itself over
 * DNS-SD and gives up when no mDNS daemon answers, which on a test machine
 * none does. These stand-ins take the announcement and do nothing; the
 * printer then serves IPP on loopback as usual. */
static int client, group;

void* avahi_client_new(void* poll, int flags, void* callback, void* data, int* error) {
  (void)poll, (void)flags, (void)callback, (void)data;
  if (error) *error = 0;
  return &client;
}
int avahi_client_errno(void* c) { return (void)c, 0; }
const char* avahi_client_get_host_name_fqdn(void* c) { return (void)c, "localhost"; }
void* avahi_entry_group_new(void* c, void* callback, void* data) { return (void)c, (void)callback, (void)data, &group; }
int avahi_entry_group_add_service_strlst(void) { return 0; }
int avahi_entry_group_add_service_subtype(void) { return 0; }
int avahi_entry_group_commit(void* g) { return (void)g, 0; }
int avahi_entry_group_free(void* g) { return (void)g, 0; }
