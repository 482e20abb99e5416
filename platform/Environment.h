#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

// Where the module finds and keeps its files, and the seams that tests and the run command set
// through the environment.
namespace platform {

// VRA2260_TIME_SCALE: a positive factor applied to SNMP time-outs, TFTP time-outs and the
// countdown tick; missing or invalid gives 1.
double timeScale();
// A duration in milliseconds after scaling, never below 1 ms.
int scaledMs(double ms);

// VRA2260_STATE_DIR, else $XDG_STATE_HOME/vra2260, else $HOME/.local/state/vra2260; created.
std::string stateDir();

// The module's per-user data folder for received files such as the device log: "log" below the
// state folder, created.
std::string dataDir();

// The folder of the running executable (errmsg/ beside it), with no trailing separator.
std::string programDir();
// The executable's file name without its folder.
std::string programFileName();

// VRA2260_REGISTRY, else /etc/vra2260/registry.ini.
std::string registryPath();

// The TFTP port to open for a requested port: VRA2260_TFTP_PORT replaces 69, other ports stay.
uint16_t tftpPort(uint16_t requested);

// 8-bit text: Latin-1 between QString and octets. fromLatin1 never fails; toLatin1 returns false
// when a character lies above U+00FF.
QString fromLatin1(std::string_view octets);
bool toLatin1(const QString& text, std::string& octets);

}  // namespace platform
