#pragma once

#include "library/snmp/CvSNMPVarList.h"

// The device's TFTP objects, which the configuration file and firmware pages both steer: the
// server address and file name the device uses, the transfer command and the command that acts
// on the transferred file. Commands are chosen by the combo index of their value, counted in the
// option list's order.
extern const CvSNMPVarItem tftpServerTable[];
extern const CvSNMPVarItem tftpCommandTable[];
extern const CvSNMPVarItem upgradeCommandTable[];

namespace TftpCommandIndex {
constexpr int Get = 0;  // tftpcommand 2
constexpr int Put = 1;  // tftpcommand 3
}  // namespace TftpCommandIndex

namespace UpgradeCommandIndex {
constexpr int Firmwareupdate = 0;         // tftpUpgradeSettingCommand 1
constexpr int Configsave = 1;             // 3
constexpr int Reboot = 2;                 // 4
constexpr int CertificateFileUpdate = 4;  // 7
constexpr int KeyFileUpdate = 5;          // 8
}  // namespace UpgradeCommandIndex
