#include "net_snmp.h"

#include <mutex>

namespace glysnmp {

void StartNetSnmp() {
  static std::once_flag started;
  std::call_once(started, [] {
    // init_snmp() is left out on purpose: it would load the MIB files and
    // read snmp.conf, and its shutdown writes persistent files. Sessions of
    // the single-session API need only their transport domain.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
    // The first snmp_sess_init also sets up the library's defaults and
    // registers its transport domains, unlocked; done here, later calls from
    // several threads find them ready.
    netsnmp_session defaults;
    snmp_sess_init(&defaults);
  });
}

void StartNetSnmpV3() {
  StartNetSnmp();
  static std::once_flag started;
  std::call_once(started, [] {
    // The user-based security model and its ciphers; without read_configs,
    // none of the configuration it registers is read. Its configuration
    // handlers want the application's name. Setting it up seeds OpenSSL's
    // random generator, which v1 and v2c sessions never need.
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_APPTYPE, "glysnmp");
    init_snmpv3("glysnmp");
    // What read_configs would do after reading nothing: among others the
    // security model's nameless user, through which the agent's answer to
    // the engine ID probe is taken. The certificate store, which has no
    // files to load, complains meanwhile; the library writes no log.
    netsnmp_log_handler* quiet = netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG);
    snmp_call_callbacks(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_POST_PREMIB_READ_CONFIG, nullptr);
    snmp_call_callbacks(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_POST_READ_CONFIG, nullptr);
    if (quiet != nullptr) netsnmp_remove_loghandler(quiet);
  });
}

}  // namespace glysnmp
