#include "pages/home/Lan.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/Main.h"
#include "app/MibEnumerationLists.h"
#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

TFM_LanCfg* FM_LanCfg = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

// The device's enterprise subtree.
const std::string E = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem ipFromTable[] = {
    mibItem(E + ".2.1.1.1.1.1.1", "hGetIPFrom", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::GetIpFrom),
    {},
};

const CvSNMPVarItem lanAddressTable[] = {
    mibItem(E + ".2.1.1.1.1.2.1", "hIPAddress", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".2.1.1.1.1.3.1", "hSubnetMask", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".2.1.1.1.1.4.1", "hDefaultGateway", SYN_IPADDRESS, ACC_READWRITE),
    {},
};

const CvSNMPVarItem dhcpPoolTable[] = {
    mibItem(E + ".3.1.2.2.1.3.1", "dynamicIpPoolStart", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.4.1", "dynamicIpPoolEnd", SYN_IPADDRESS, ACC_READWRITE),
    {},
};

const CvSNMPVarItem staticPoolTable[] = {
    mibItem(E + ".3.1.3.2.1.1", "Index", SYN_INTEGER, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.2", "Status", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(E + ".3.1.3.2.1.4", "IP Address", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.5", "MAC Address", SYN_MACADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.6", "Static Mask", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.7", "Static Gateway", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.8", "Static Dns", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.9", "Static Wins", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.10", "Static DomainName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.3", "staticHostName", SYN_DISPLAYSTRING, ACC_READWRITE),
    {},
};

const CvSNMPVarItem applySettingTable[] = {
    mibItem(E + ".4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingApply),
    {},
};

constexpr int kAddressMaxLength = 15;

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_LanCfg::TFM_LanCfg(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_LanCfg::~TFM_LanCfg() = default;

void TFM_LanCfg::buildControls() {
    setWindowTitle("Home \\ LAN");
    setSingleBorder(this);

    // The static pool list lies behind the settings panel and is never shown.
    Panel1 = makePanel(this);
    Static_ListView = new CvListView(Panel1);
    Panel1->hide();

    Panel2 = makePanel(this);
    auto* rows = makeRowGrid(Panel2);
    CB_IPFrom = new QComboBox(Panel2);
    GetIPFrom = addRow(rows, "Get IP From", CB_IPFrom);
    LA_IPAddress = addEditRow(rows, "IP Address", ED_IpAddr);
    LA_SubnetMask = addEditRow(rows, "Subnet Mask", ED_SubMask);
    LA_DefGW = addEditRow(rows, "Default Gateway", ED_DefGw);
    ED_IpAddr->setText("   .   .   .   ");
    ED_SubMask->setText("255.255.255.0");
    ED_DefGw->setText("   .   .   .   ");
    // Hiding the address rows for DHCP leaves their room empty, so the page keeps its size.
    for (QWidget* row : addressRows()) {
        QSizePolicy policy = row->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        row->setSizePolicy(policy);
    }

    Ed_IPAF = new CvEdit(this);
    Ed_IPEND = new CvEdit(this);
    Ed_IPAF->hide();
    Ed_IPEND->hide();
    CB_DeviceApplySetting = makeHiddenCombo(this);

    BT_LanCfgOk = new QPushButton("Save", this);
    BT_LanCfgCancel = new QPushButton("Cancel", this);
    StatusBar = new CvStatusBar(this);
    addOutcomePanel(StatusBar, 50, {"Set OK!", "Set Error!"});
    layOutPage(this, Panel2, {BT_LanCfgOk, BT_LanCfgCancel}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(CB_IPFrom, &QComboBox::activated, StatusBar, [this] { CB_IPFromChange(); });
    connectGuarded(BT_LanCfgOk, &QPushButton::clicked, StatusBar, [this] { BT_LanCfgOkClick(); });
    connectGuarded(BT_LanCfgCancel, &QPushButton::clicked, StatusBar,
                   [this] { BT_LanCfgCancelClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_LanCfg::FormCreate() {
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
    }
    for (CvEdit* address : {ED_DefGw, ED_IpAddr, ED_SubMask})
        limitTyping(address, kAddressMaxLength);
}

void TFM_LanCfg::buildRequests() {
    reqIPFrom = makeRequest(this, ipFromTable, MVT_SV, 0, kSynchronous, 1000);
    reqIPFrom->AssociateComboBox(0, CB_IPFrom);
    reqIPFrom->Get();

    reqLanAddress = makeRequest(this, lanAddressTable, MVT_SV, 0, kSynchronous, 1000);
    reqLanAddress->AssociateEdit(0, "%s", {ED_IpAddr});
    reqLanAddress->AssociateEdit(1, "%s", {ED_SubMask});
    reqLanAddress->AssociateEdit(2, "%s", {ED_DefGw});
    reqLanAddress->SetLogTarget(StatusBar);

    reqDhcpPool = makeRequest(this, dhcpPoolTable, MVT_SV, 0, kAsynchronous, 100);
    reqDhcpPool->AssociateEdit(0, "%s", {Ed_IPAF});
    reqDhcpPool->AssociateEdit(1, "%s", {Ed_IPEND});
    reqDhcpPool->Get();

    reqStaticPool = makeRequest(this, staticPoolTable, MVT_UMV, 1, kAsynchronous, 10000);
    reqStaticPool->AssociateListView(Static_ListView, true);

    // The address read decides the mode the page compares with on Save; without it the page
    // treats the device as static and keeps every row in view.
    if (reqLanAddress->Get()) {
        savedIPFrom = CB_IPFrom->currentIndex();
        savedIPFromRead_ = CvSNMPRequest2Edits::IsKnown(CB_IPFrom);
        applyRowRule();
    }

    reqApplySetting = makeRequest(this, applySettingTable, SVT_SV, 0, kSynchronous, 1000);
    reqApplySetting->AssociateComboBox(0, CB_DeviceApplySetting);
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_LanCfg::CB_IPFromChange() {
    applyRowRule();
}

void TFM_LanCfg::BT_LanCfgCancelClick() {
    close();
}

void TFM_LanCfg::FormClose() {
    reqLanAddress.reset();
}

void TFM_LanCfg::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TFM_LanCfg::BT_LanCfgOkClick() {
    // Without the read, savedIPFrom is the page's starting value, not the device's mode, and
    // the sets must not be chosen by it.
    const LanSavePlan plan =
        planLanSave(CB_IPFrom->currentIndex(), savedIPFromRead_ ? savedIPFrom : kIPFromUnread,
                    ED_IpAddr->text(), ED_SubMask->text());
    if (plan.unread) {
        StatusBar->ShowText(unreadText());
        return;
    }
    if (plan.refusal != LanRefusal::None) {
        platform::ui().messageBox(this, "Warning", lanRefusalMessage(plan.refusal),
                                  platform::BoxButtons::Ok);
        (plan.refusal == LanRefusal::Address ? ED_IpAddr : ED_SubMask)->clear();
        return;
    }
    if (plan.sets.empty()) return;

    bool allSucceeded = true;
    for (LanRequest next : plan.sets) {
        const bool succeeded = next == LanRequest::IPFrom
                                   ? setRequest(reqIPFrom.get(), StatusBar, true)
                                   : setAddressRequest();
        allSucceeded = allSucceeded && succeeded;
    }
    StatusBar->ShowText(allSucceeded ? "Set OK!" : "Set Error!");
}

bool TFM_LanCfg::setAddressRequest() {
    if (!reqLanAddress) return false;
    for (int item = 0; item < reqLanAddress->VarList.Count(); ++item)
        reqLanAddress->VarList.GetItem(item).access = ACC_READWRITE;
    return setRequest(reqLanAddress.get(), StatusBar, true);
}

// ---- Rules ----------------------------------------------------------------------------------

std::vector<QWidget*> TFM_LanCfg::addressRows() const {
    return {LA_IPAddress, LA_SubnetMask, LA_DefGW, ED_IpAddr, ED_SubMask, ED_DefGw};
}

void TFM_LanCfg::applyRowRule() {
    const bool visible = lanAddressRowsVisible(CB_IPFrom->currentIndex());
    for (QWidget* row : addressRows()) row->setVisible(visible);
}

bool lanAddressRowsVisible(int chosenIPFrom) {
    return chosenIPFrom != kIPFromDhcp;
}

LanSavePlan planLanSave(int chosenIPFrom, int savedIPFrom, const QString& address,
                        const QString& mask) {
    LanSavePlan plan;
    if (chosenIPFrom == kIPFromUnread || savedIPFrom == kIPFromUnread) {
        plan.unread = true;
    } else if (chosenIPFrom == kIPFromStatic) {
        if (!TMainForm::IsValidIPAddress(address)) {
            plan.refusal = LanRefusal::Address;
        } else if (!TMainForm::IsValidSubnetMask(mask)) {
            plan.refusal = LanRefusal::Mask;
        } else if (savedIPFrom == kIPFromDhcp) {
            plan.sets = {LanRequest::IPFrom, LanRequest::LanAddress};
        } else if (savedIPFrom == kIPFromStatic) {
            plan.sets = {LanRequest::LanAddress};
        }
    } else if (chosenIPFrom == kIPFromDhcp && savedIPFrom == kIPFromStatic) {
        plan.sets = {LanRequest::IPFrom};
    }
    return plan;
}

QString lanRefusalMessage(LanRefusal refusal) {
    switch (refusal) {
        case LanRefusal::Address:
            return "Please input valid IP Address.";
        case LanRefusal::Mask:
            return "Please input valid Subnet Mask.";
        case LanRefusal::None:
            break;
    }
    return {};
}
