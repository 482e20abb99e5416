#include "pages/advanced/Filterwlanpartition.h"

#include <QComboBox>
#include <QFrame>
#include <QPushButton>

#include "app/MibEnumerationLists.h"
#include "library/common/CvException.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_WLANPart* FM_WLANPart = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem bandTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::Band),
    {},
};

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::ApModeAlt),
    {},
};

const CvSNMPVarItem partitionTable[] = {
    mibItem(E + ".2.1.3.3.2.3.1.1.1.1", "dot11InternalStationConnection", SYN_INTEGER,
            ACC_READWRITE, &MibEnumerationLists::DisableEnable),
    mibItem(E + ".2.1.3.3.2.3.1.1.2.1", "dot11EthernetToWlanAccess", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};

const CvSNMPVarItem linkIntegrityTable[] = {
    mibItem(E + ".3.2.1.1.3.1", "dot11LinkIntegrate", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};

constexpr int kApModeWirelessClient = 3;

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_WLANPart::TFM_WLANPart(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_WLANPart::~TFM_WLANPart() = default;

void TFM_WLANPart::buildControls() {
    setWindowTitle("Advanced \\WLAN Partition");
    setSingleBorder(this);

    Panel1 = makePanel(this);
    auto* rows = makeRowGrid(Panel1);
    CB_WBand = new QComboBox(Panel1);
    CB_Link = new QComboBox(Panel1);
    CB_StationConnection = new QComboBox(Panel1);
    CB_WLANAccess = new QComboBox(Panel1);
    addRow(rows, "Wireless Band", CB_WBand);
    addRow(rows, "Link Integrity", CB_Link);
    addRow(rows, "Internal Station Connection", CB_StationConnection);
    addRow(rows, "Ethernet to WLAN Access", CB_WLANAccess);
    CB_ApMode = makeHiddenCombo(this);

    Btn_Apply = new QPushButton("Save", this);
    Btn_Refresh = new QPushButton("Refresh", this);
    Btn_Close = new QPushButton("Close", this);
    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    addOutcomePanel(StatusBar, 120, {"Setting Success!", "Setting Error!", "Refresh OK!"});
    layOutPage(this, Panel1, {Btn_Apply, Btn_Refresh, Btn_Close}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(Btn_Apply, &QPushButton::clicked, StatusBar, [this] { Btn_ApplyClick(); });
    connectGuarded(Btn_Refresh, &QPushButton::clicked, StatusBar, [this] { Btn_RefreshClick(); });
    connectGuarded(Btn_Close, &QPushButton::clicked, StatusBar, [this] { Btn_CloseClick(); });
    connectGuarded(CB_WLANAccess, &QComboBox::activated, StatusBar,
                   [this] { CB_WLANAccessChange(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_WLANPart::FormCreate() {
    outcome_.begin();
    try {
        buildRequests();
        // A combo left empty by a failed read says why.
        outcome_.showFailure();
    } catch (const std::exception& failure) {
        StatusBar->ShowText(QString::fromStdString(failure.what()));
    }
    if (CB_ApMode->currentIndex() == kApModeWirelessClient) {
        for (QComboBox* combo : {CB_WBand, CB_StationConnection, CB_WLANAccess, CB_Link})
            combo->setEnabled(false);
    }
}

void TFM_WLANPart::buildRequests() {
    const int sessionTimeout = CvSNMPSession::Defaults().timeout;
    reqWlanBand = makeRequest(this, bandTable, MVT_SV, 0, kSynchronous, sessionTimeout);
    reqWlanBand->AssociateComboBox(0, CB_WBand);
    outcome_.watch({reqWlanBand.get()});
    reqWlanBand->Get();
    CB_WBand->setEnabled(false);

    reqWlanApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, sessionTimeout);
    reqWlanApMode->AssociateComboBox(0, CB_ApMode);
    reqWlanApMode->SetLogTarget(StatusBar);
    outcome_.watch({reqWlanApMode.get()});
    reqWlanApMode->Get();

    reqPartition = makeRequest(this, partitionTable, MVT_SV, 0, kSynchronous, 500);
    reqPartition->AssociateComboBox(0, CB_StationConnection);
    reqPartition->AssociateComboBox(1, CB_WLANAccess);
    reqPartition->SetLogTarget(StatusBar);
    outcome_.watch({reqPartition.get()});
    reqPartition->Get();

    reqLinkIntegrity = makeRequest(this, linkIntegrityTable, MVT_SV, 0, kSynchronous, 500);
    reqLinkIntegrity->AssociateComboBox(0, CB_Link);
    reqLinkIntegrity->SetLogTarget(StatusBar);
    outcome_.watch({reqLinkIntegrity.get()});
    reqLinkIntegrity->Get();
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_WLANPart::Btn_ApplyClick() {
    outcome_.begin();
    const bool partitionSet = setRequest(reqPartition.get(), StatusBar, true);
    const bool linkSet = setRequest(reqLinkIntegrity.get(), StatusBar, true);
    // A set that held back a value never read has said so; that is the reason the user needs.
    const auto withheld = [](const auto& request) { return request && request->Withheld(); };
    if (partitionSet && linkSet)
        StatusBar->ShowText("Setting Success!");
    else if (!withheld(reqPartition) && !withheld(reqLinkIntegrity))
        StatusBar->ShowText("Setting Error!");
}

void TFM_WLANPart::Btn_RefreshClick() {
    outcome_.begin();
    if (reqPartition && reqPartition->Get())
        outcome_.showOk("Refresh OK!");
    else
        outcome_.showFailure();
}

void TFM_WLANPart::Btn_CloseClick() {
    close();
}

void TFM_WLANPart::CB_WLANAccessChange() {
    if (CB_WLANAccess->currentText() != "Disable") return;
    platform::ui().messageBox(this, "Warning",
                              "AP will block all Address Resolution Protocol (ARP) packets from "
                              "Ethernet to Wireless, when Ethernet to WLAN Access function is set "
                              "to disable!",
                              platform::BoxButtons::Ok);
}
