#include "pages/tools/TftpObjects.h"

#include "app/MibEnumerationLists.h"

const CvSNMPVarItem tftpServerTable[] = {
    {"1.3.6.1.4.1.32473.10.37.38.4.3.2.1", "tftpServerIPAddress", SYN_IPADDRESS, ACC_READWRITE,
     nullptr, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.4.3.2.2", "tftpRemoteFileName", SYN_DISPLAYSTRING, ACC_READWRITE,
     nullptr, "", ""},
    {},
};

const CvSNMPVarItem tftpCommandTable[] = {
    {"1.3.6.1.4.1.32473.10.37.38.4.3.2.4", "tftpcommand", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::TftpCommand, "", ""},
    {},
};

const CvSNMPVarItem upgradeCommandTable[] = {
    {"1.3.6.1.4.1.32473.10.37.38.4.3.2.5", "tftpUpgradeSettingCommand", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::TftpUpgradeCommand, "", ""},
    {},
};
