#include "library/snmp/CvSNMPSession.h"

#include <QString>
#include <QtGlobal>
#include <cstdlib>

#include "library/snmp/BootsFile.h"
#include "platform/Environment.h"
#include "platform/Trace.h"

// net-snmp last: its macros must not reach the Qt headers above.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {
bool started = false;
int boots = 0;

// net-snmp's own log lines ("Authentication failed for ...") belong to the trace, not to the
// standard error of a windowed program.
int traceLine(int, int, void* line, void*) {
    const auto* message = static_cast<const snmp_log_message*>(line);
    const QString text = QString::fromLocal8Bit(message->msg).trimmed();
    if (message->priority <= LOG_WARNING)
        qCWarning(vraTrace).noquote() << "net-snmp:" << text;
    else
        qCDebug(vraTrace).noquote() << "net-snmp:" << text;
    return SNMPERR_SUCCESS;
}
}  // namespace

void CvSNMPSession::Start() {
    if (started) return;
    started = true;
    // The switches must be set before init_snmp: the module reads no configuration files, loads
    // no MIB modules and keeps no persistent state, so the boots file is all it writes.
    setenv("MIBS", "", 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_NO_TOKEN_WARNINGS, 1);
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, traceLine, nullptr);
    snmp_enable_calllog();
    init_snmp("vra2260");

    bool error = false;
    const std::string path = platform::stateDir() + "/CvSNMP_PP_BootCounter";
    boots = bootsfile::increment(path, bootsfile::applicationKey, &error);
    if (error) qWarning("Can't write the boots counter file %s", path.c_str());
}

CvSNMPSettings& CvSNMPSession::Defaults() {
    static CvSNMPSettings settings;
    return settings;
}

int CvSNMPSession::Boots() {
    return boots;
}
