#include "net_snmp.h"

#include <net-snmp/library/snmp_transport.h>

#include <mutex>

namespace glysnmp {

void StartNetSnmp() {
  static std::once_flag started;
  std::call_once(started, [] {
    // init_snmp() is left out on purpose: it would load the MIB files and
    // read snmp.conf, and its shutdown writes persistent files. Sessions of
    // the single-session API need only the transport domains.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
    netsnmp_tdomain_init();
    // The first snmp_sess_init also sets up the library's defaults, unlocked;
    // done here, later calls from several threads find them ready.
    netsnmp_session defaults;
    snmp_sess_init(&defaults);
  });
}

}  // namespace glysnmp
