#include "pages/tools/Devinfo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <string>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_DevInfo* FM_DevInfo = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

// This page's texts for the device's values differ from the other pages' (lower case, "AUTO"
// as "auto" upper-cased by the security line), so it keeps its own lists.
const CvOptionList authenticationList{{1, "opensystem"},   {2, "sharedkey"},    {4, "wpa-psk"},
                                      {5, "wpa-eap"},      {6, "wpa2-psk"},     {7, "wpa2-eap"},
                                      {8, "wpa-auto-psk"}, {9, "wpa-auto-eap"}, {10, "dot1x(10)"}};
const CvOptionList encryptionList{{0, "Disable"}, {1, "Enable"}};
const CvOptionList cipherList{{1, "AUTO"}, {2, "AES"}, {3, "TKIP"}, {4, "WEP"}};
const CvOptionList entryMethodList{{1, "ascii"}, {2, "hex"}};
const CvOptionList keyIndexList{{1, "first"}, {2, "second"}, {3, "third"}, {4, "fourth"}};

const std::string E = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem interfaceTable[] = {
    mibItem(E + ".5.1.2.1.1.2.1", "ifIpAddress", SYN_IPADDRESS, ACC_READONLY),
    mibItem(E + ".5.1.2.1.1.3.1", "ifSubnetMask", SYN_IPADDRESS, ACC_READONLY),
    mibItem(E + ".5.1.2.1.1.4.1", "ifDefaultGateway", SYN_IPADDRESS, ACC_READONLY),
    mibItem(E + ".5.1.2.1.1.5.1", "ifMacAddress", SYN_MACADDRESS, ACC_READONLY),
    {},
};

const CvSNMPVarItem firmwareTable[] = {
    mibItem(E + ".5.1.1", "deviceInformationFirmwareVersion", SYN_DISPLAYSTRING, ACC_READONLY),
    {},
};

const CvSNMPVarItem wirelessTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.1.1", "dot11Ssid", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".2.1.3.3.1.1.1.3.1", "dot11Channel", SYN_INTEGER, ACC_READWRITE),
    mibItem(E + ".2.1.3.3.1.1.1.11.1", "dot11DataRate", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".2.1.3.3.2.1.1.1.1", "dot11Authentication", SYN_INTEGER, ACC_READWRITE,
            &authenticationList),
    mibItem(E + ".2.1.3.3.2.1.1.2.1", "dot11Encryption", SYN_INTEGER, ACC_READWRITE,
            &encryptionList),
    mibItem(E + ".2.1.3.3.2.1.1.5.1", "dot11CipherType", SYN_INTEGER, ACC_READWRITE, &cipherList),
    {},
};

const CvSNMPVarItem keyIndexTable[] = {
    mibItem(E + ".2.1.3.3.2.1.1.3.1", "dot11KeyIndex", SYN_INTEGER, ACC_READWRITE, &keyIndexList),
    {},
};

const CvSNMPVarItem wepKeyTables[4][3] = {
#define WEP_KEY(n)                                                                   \
    {                                                                                \
        mibItem(E + ".2.1.3.3.2.2.1.2.1." #n, "dot11WepKeyEntryMethod", SYN_INTEGER, \
                ACC_READWRITE, &entryMethodList),                                    \
            mibItem(E + ".2.1.3.3.2.2.1.3.1." #n, "dot11WepKey", SYN_DISPLAYSTRING,  \
                    ACC_READWRITE),                                                  \
        {}                                                                           \
    }
    WEP_KEY(1),
    WEP_KEY(2),
    WEP_KEY(3),
    WEP_KEY(4),
#undef WEP_KEY
};

const CvSNMPVarItem bandTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::Band),
    {},
};

QGridLayout* groupGrid(QGroupBox* group) {
    auto* rows = new QGridLayout(group);
    rows->setHorizontalSpacing(12);
    rows->setColumnStretch(1, 1);
    return rows;
}

CvEdit* addReadOnlyRow(QGridLayout* rows, const QString& caption) {
    CvEdit* edit = nullptr;
    addEditRow(rows, caption, edit);
    setGreyedReadOnly(edit);
    return edit;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_DevInfo::TFM_DevInfo(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_DevInfo::~TFM_DevInfo() = default;

void TFM_DevInfo::buildControls() {
    setWindowTitle("Status \\ Device Information");
    setSingleBorder(this);

    auto* body = new QWidget(this);
    GroupBox2 = new QGroupBox("Device Info", body);
    auto* device = groupGrid(GroupBox2);
    Ed_Firmware = addReadOnlyRow(device, "Firmware Version:");
    Ed_Mac = addReadOnlyRow(device, "Ethernet MAC Address:");
    LAB_Primary = new QLabel(body);
    auto* wirelessMac = new QLabel("Wireless MAC Address: ", body);
    wirelessMac->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    device->addWidget(wirelessMac, device->rowCount(), 0);
    addRow(device, "Primary:", LAB_Primary);
    Lab_Seccondary1 = new QLabel(body);
    Lab_Seccondary7 = new QLabel(body);
    auto* secondaries = new QWidget(body);
    auto* range = new QHBoxLayout(secondaries);
    range->setContentsMargins(0, 0, 0, 0);
    range->addWidget(Lab_Seccondary1);
    range->addWidget(new QLabel("~", secondaries));
    range->addWidget(Lab_Seccondary7);
    range->addStretch(1);
    addRow(device, "SSID1~3: ", secondaries);

    GroupBox1 = new QGroupBox("Ethernet", body);
    auto* ethernet = groupGrid(GroupBox1);
    Ed_IPaddr = addReadOnlyRow(ethernet, "IP Address: ");
    Ed_SubMask = addReadOnlyRow(ethernet, "Subnet Mask:");
    Ed_Gate = addReadOnlyRow(ethernet, "Gateway: ");

    GroupBox3 = new QGroupBox(wirelessGroupCaption(0), body);
    auto* wireless = groupGrid(GroupBox3);
    Ed_SSID = addReadOnlyRow(wireless, "Network Name (SSID) ");
    Ed_Channel = addReadOnlyRow(wireless, "Channel ");
    Ed_DRate = addReadOnlyRow(wireless, "Data Rate");
    Ed_Sec = addReadOnlyRow(wireless, "Security Level:");

    auto* groups = new QVBoxLayout(body);
    groups->setContentsMargins(0, 0, 0, 0);
    for (QGroupBox* group : {GroupBox2, GroupBox1, GroupBox3}) groups->addWidget(group);

    for (QComboBox** hidden :
         {&CB_Authentication, &CB_Encryption, &CB_CipherType, &CB_KeyIndex, &CB_Band})
        *hidden = makeHiddenCombo(this);
    for (int n = 0; n < 4; ++n) {
        CB_WepKeyEntryMethod[n] = makeHiddenCombo(this);
        ED_Key[n] = new CvEdit(this);
        ED_Key[n]->hide();
    }
    StatusBar = new CvStatusBar(this);
    layOutPage(this, body, {}, StatusBar);
}

// ---- Creation -------------------------------------------------------------------------------

std::unique_ptr<CvSNMPRequest2Edits> TFM_DevInfo::readRequest(const CvSNMPVarItem* table) {
    return makeRequest(this, table, MVT_SV, 0, kSynchronous, 10000);
}

void TFM_DevInfo::FormCreate() {
    reqInterface = readRequest(interfaceTable);
    reqInterface->AssociateEdit(0, "%s", Ed_IPaddr);
    reqInterface->AssociateEdit(1, "%s", Ed_SubMask);
    reqInterface->AssociateEdit(2, "%s", Ed_Gate);
    reqInterface->AssociateEdit(3, "%s", Ed_Mac);
    reqInterface->Get();

    const QString mac = Ed_Mac->text();
    LAB_Primary->setText(mac);
    const QString prefix = mac.left(2), rest = mac.mid(2, 16);
    Lab_Seccondary1->setText(MacAddOffset(prefix, 2) + rest);
    Lab_Seccondary7->setText(MacAddOffset(prefix, 6) + rest);
    if (Ed_Gate->text() == "0.0.0.0") Ed_Gate->setText("N/A");

    // Arrives after the page is shown; the page owns the request, so closing it first cancels it.
    reqFirmware = makeRequest(this, firmwareTable, SVT_SV, 0, kAsynchronous, 100);
    reqFirmware->AssociateEdit(0, "%s", Ed_Firmware);
    reqFirmware->Get();

    reqWireless = readRequest(wirelessTable);
    reqWireless->AssociateEdit(0, "%s", Ed_SSID);
    reqWireless->AssociateEdit(1, "%s", Ed_Channel);
    reqWireless->AssociateEdit(2, "%s", Ed_DRate);
    reqWireless->AssociateComboBox(3, CB_Authentication);
    reqWireless->AssociateComboBox(4, CB_Encryption);
    reqWireless->AssociateComboBox(5, CB_CipherType);
    reqWireless->Get();

    reqKeyIndex = readRequest(keyIndexTable);
    reqKeyIndex->AssociateComboBox(0, CB_KeyIndex);
    reqKeyIndex->Get();

    for (int n = 0; n < 4; ++n) {
        reqWepKey[n] = readRequest(wepKeyTables[n]);
        reqWepKey[n]->AssociateComboBox(0, CB_WepKeyEntryMethod[n]);
        reqWepKey[n]->AssociateEdit(1, "%s", ED_Key[n]);
        reqWepKey[n]->Get();
    }

    const int key = CB_KeyIndex->currentIndex();
    if (key >= 0 && key < 4)
        Ed_Sec->setText(SecurityText(CB_Authentication, CB_Encryption, CB_WepKeyEntryMethod[key],
                                     CB_CipherType, ED_Key[key]));

    reqBand = readRequest(bandTable);
    reqBand->AssociateComboBox(0, CB_Band);
    reqBand->Get();
    GroupBox3->setTitle(wirelessGroupCaption(CB_Band->currentIndex()));
}

void TFM_DevInfo::FormClose() {
    reqInterface.reset();
}

void TFM_DevInfo::done(int result) {
    FormClose();
    QDialog::done(result);
}

// ---- Rules ----------------------------------------------------------------------------------

QString TFM_DevInfo::MacAddOffset(const QString& prefix, int offset) {
    bool overflowed = false;
    const QString sum = macAddOffset(prefix, offset, overflowed);
    if (overflowed)
        platform::ui().messageBox(this, "Warning", "Invalid MAC!", platform::BoxButtons::Ok);
    return sum;
}

QString TFM_DevInfo::SecurityText(QComboBox* authentication, QComboBox* encryption,
                                  QComboBox* entryMethod, QComboBox* cipher, CvEdit* key) const {
    return securityText(authentication->currentText(), encryption->currentIndex(),
                        entryMethod->currentIndex(), cipher->currentText(), key->text());
}

QString macAddOffset(const QString& prefix, int offset, bool& overflowed) {
    overflowed = false;
    QString digits;
    for (int i = static_cast<int>(prefix.size()) - 1; i >= 0; --i) {
        bool isHex = false;
        const int digit = QString(prefix[i]).toInt(&isHex, 16);
        const int sum = (isHex ? digit : 0) + (i == prefix.size() - 1 ? offset : 1);
        if (sum <= 15) return (prefix.left(i) + QString::number(sum, 16) + digits).toUpper();
        digits.prepend(QString::number(sum - 16, 16));
        if (i == 0) {
            overflowed = true;
            return "000000000000";
        }
    }
    return digits.toUpper();
}

QString securityText(const QString& authentication, int encryptionIndex, int entryMethodIndex,
                     const QString& cipher, const QString& key) {
    const int length = static_cast<int>(key.size());
    QString keySize;
    if ((entryMethodIndex == 0 && length == 5) || (entryMethodIndex == 1 && length == 10))
        keySize = "64bits";
    if ((entryMethodIndex == 0 && length == 13) || (entryMethodIndex == 1 && length == 26))
        keySize = "128bits";
    const QString cipherText = cipher.toUpper();

    if (authentication == "opensystem")
        return encryptionIndex != 0 ? "Open / " + keySize : QString("None");
    if (authentication == "sharedkey") return "Shared Key / " + keySize;
    static const std::pair<const char*, const char*> wpa[] = {
        {"wpa-psk", "WPA-Personal / "},
        {"wpa-eap", "WPA-Enterprise / "},
        {"wpa2-psk", "WPA2-Personal / "},
        {"wpa2-eap", "WPA2-Enterprise / "},
        {"wpa-auto-psk", "WPA2-Auto-Personal / "},
        {"wpa-auto-eap", "WPA2-Auto-Enterprise / "},
    };
    for (const auto& [device, shown] : wpa)
        if (authentication == device) return shown + cipherText;
    return {};
}

QString wirelessGroupCaption(int bandIndex) {
    return bandIndex == 0 ? "Wireless(2.4GHz)" : "Wireless(5GHz)";
}
