#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <map>
#include <string>

// What a management platform installs for one module, in a fresh folder: the registry ini with
// the module, platform and MIB folders, and per-device settings files in the MIB folder. Also a
// private runtime folder for the single-instance locks and a state folder for the boots counter.
class ModuleSetup {
  public:
    ModuleSetup();

    // Writes "<MIB folder>/<address>.cfg", section "Program Information", with the keys given.
    void writeSettings(const std::string& address, const std::map<std::string, std::string>& keys);

    // Points this process at the folders (VRA2260_REGISTRY, VRA2260_STATE_DIR, XDG_RUNTIME_DIR).
    void exportEnvironment() const;

    QString folder() const { return dir_.path(); }
    QString registryPath() const { return dir_.path() + "/registry.ini"; }
    QString stateDir() const { return dir_.path() + "/state"; }
    QString runtimeDir() const { return dir_.path() + "/run"; }
    QString mibDir() const { return dir_.path() + "/harbor/mibs"; }

  private:
    QTemporaryDir dir_;
};

// Starts the SNMP session once and points its defaults at a simulated device on the port,
// SNMPv2c with the default communities.
void UseDevice(uint16_t port);
