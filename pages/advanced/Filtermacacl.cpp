#include "pages/advanced/Filtermacacl.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MibEnumerationLists.h"
#include "app/Newrequest.h"
#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_FilterMACACL* FM_FilterMACACL = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::ApModeAlt),
    {},
};

const CvSNMPVarItem accessControlTable[] = {
    mibItem(E + ".2.1.3.3.2.3.2.1.1.1", "dot11MacAccessControl", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::MacAccessControl),
    {},
};

const CvSNMPVarItem bandTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::Band),
    {},
};

const CvSNMPVarItem clientTable[] = {
    mibItem(E + ".2.1.3.3.4.2.1.1", "dot11ClinetIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".2.1.3.3.4.2.1.2", "dot11ClientMacAddress", SYN_MACADDRESS, ACC_READONLY),
    mibItem(E + ".2.1.3.3.4.2.1.3", "dot11ClientBand", SYN_INTEGER, ACC_READONLY,
            &MibEnumerationLists::ClientBand),
    mibItem(E + ".2.1.3.3.4.2.1.4", "dot11ClientAuthentication", SYN_INTEGER, ACC_READONLY,
            &MibEnumerationLists::ClientAuthentication),
    mibItem(E + ".2.1.3.3.4.2.1.5", "dot11ClientRssi", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".2.1.3.3.4.2.1.6", "dot11ClientPsm", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".2.1.3.3.4.2.1.7", "dot11SSIDIndex", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(E + ".2.1.3.3.4.2.1.8", "dot11ClientUptime", SYN_TIMETICKS, ACC_READONLY),
    mibItem(E + ".2.1.3.3.4.2.1.9", "dot11ActiveTime", SYN_TIMETICKS, ACC_READONLY),
    {},
};
// Sub-items of LV_ClientTable (the index is the caption).
enum ClientColumn {
    kClientMac = 0,
    kClientBand = 1,
    kClientAuth = 2,
    kClientRssi = 3,
    kClientSsid = 5
};

const CvSNMPVarItem clientRefreshTable[] = {
    mibItem(E + ".2.1.3.3.4.1.1.1.1", "dot11ClientInformationRefresh", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingGet),
    {},
};

const CvSNMPVarItem macAddTable[] = {
    mibItem(E + ".2.1.3.3.2.3.2.1.2.1", "dot11MacAccessControlMacAddressAdd", SYN_MACADDRESS,
            ACC_READWRITE),
    {},
};

const CvSNMPVarItem macDeleteTable[] = {
    mibItem(E + ".2.1.3.3.2.3.2.1.3.1", "dot11MacAccessControlMacAddressDelete", SYN_MACADDRESS,
            ACC_READWRITE),
    {},
};

// The names are the list's column titles.
const CvSNMPVarItem aclTable[] = {
    mibItem(E + ".2.1.3.3.2.3.3.1.1", "ID", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".2.1.3.3.2.3.3.1.2", "MAC Address", SYN_MACADDRESS, ACC_READONLY),
    {},
};

constexpr int kPolicyReject = 1;
constexpr int kPolicyDisable = 2;
constexpr int kApModeWirelessClient = 3;
constexpr int kMacLength = 12;

CvListView* makeList(QWidget* parent, const QStringList& titles, int height) {
    auto* list = new CvListView(parent);
    list->MakeReport();
    for (const QString& title : titles) list->AddColumn(title, title == "ID" ? 50 : 110);
    list->setFixedHeight(height);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

void fitWidth(CvListView* list) {
    int width = 2 * list->frameWidth() + 18;  // room for the vertical scroll bar
    for (int column = 0; column < list->columnCount(); ++column) width += list->columnWidth(column);
    list->setFixedWidth(width);
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_FilterMACACL::TFM_FilterMACACL(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar1, [this] { FormCreate(); });
}

TFM_FilterMACACL::~TFM_FilterMACACL() = default;

void TFM_FilterMACACL::buildControls() {
    setWindowTitle("Advanced \\ Wireless MAC ACL");
    setSingleBorder(this);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);

    QFrame* policyPanel = makePanel(body);
    auto* rows = makeRowGrid(policyPanel);
    CB_Band = new QComboBox(policyPanel);
    addRow(rows, "Wireless Band", CB_Band);
    CB_AccessControl = new QComboBox(policyPanel);
    addRow(rows, "Access Control", CB_AccessControl);
    addEditRow(rows, "MAC Address", Ed_MacAdd);
    Ed_MacAdd->setText("111111111111");
    Bt_Add = new QPushButton("Add", policyPanel);
    rows->addWidget(Bt_Add, rows->rowCount() - 1, 2);
    column->addWidget(policyPanel);

    QFrame* listPanel = makePanel(body);
    auto* listRows = new QGridLayout(listPanel);
    LV_UerMACAddress = makeList(listPanel, {"ID", "MAC Address"}, 150);
    fitWidth(LV_UerMACAddress);
    Bt_Del = new QPushButton("Delete", listPanel);
    Bt_Del->setMinimumWidth(88);
    listRows->addWidget(new QLabel("MAC Address List", listPanel), 0, 0);
    listRows->addWidget(LV_UerMACAddress, 1, 0);
    listRows->addWidget(Bt_Del, 1, 1, Qt::AlignBottom | Qt::AlignLeft);
    listRows->setColumnStretch(2, 1);
    column->addWidget(listPanel);

    QFrame* clientPanel = makePanel(body);
    auto* clientRows = new QGridLayout(clientPanel);
    LV_ClientUser =
        makeList(clientPanel, {"MAC Address", "SSID", "Band", "Authentication", "Signal"}, 120);
    LV_ClientUser->setColumnWidth(2, 50);
    LV_ClientUser->setColumnWidth(4, 60);
    fitWidth(LV_ClientUser);
    Btn_AddCli = new QPushButton("Add", clientPanel);
    Btn_AddCli->setMinimumWidth(88);
    Btn_AddCli->setEnabled(false);
    clientRows->addWidget(new QLabel("Associated Clients", clientPanel), 0, 0);
    clientRows->addWidget(LV_ClientUser, 1, 0);
    clientRows->addWidget(Btn_AddCli, 1, 1, Qt::AlignBottom | Qt::AlignLeft);
    clientRows->setColumnStretch(2, 1);
    column->addWidget(clientPanel);

    LV_GetMAC = new CvListView(this);
    LA_Index = new QLabel("LA_Index", this);
    Ed_MACAddr = new CvEdit(this);
    Ed_ClientInfoMac = new CvEdit(this);
    LV_ClientTable = new CvListView(this);
    for (QWidget* hidden : std::initializer_list<QWidget*>{LV_GetMAC, LA_Index, Ed_MACAddr,
                                                           Ed_ClientInfoMac, LV_ClientTable})
        hidden->hide();
    CB_GetInfo = makeHiddenCombo(this);
    CB_APMode = makeHiddenCombo(this);

    Bt_Apply = new QPushButton("Save", this);
    StatusBar1 = new CvStatusBar(this);
    outcome_.attach(StatusBar1);
    addOutcomePanel(StatusBar1, -1, {});
    layOutPage(this, body, {Bt_Apply}, StatusBar1);
    centreOnMainWindow(this);

    connectGuarded(CB_AccessControl, &QComboBox::activated, StatusBar1,
                   [this] { CB_AccessControlChange(); });
    connectGuarded(Bt_Add, &QPushButton::clicked, StatusBar1, [this] { Bt_AddClick(); });
    connectGuarded(Bt_Del, &QPushButton::clicked, StatusBar1, [this] { Bt_DelClick(); });
    connectGuarded(Btn_AddCli, &QPushButton::clicked, StatusBar1, [this] { Btn_AddCliClick(); });
    connectGuarded(Bt_Apply, &QPushButton::clicked, StatusBar1, [this] { Bt_ApplyClick(); });
    for (CvListView* list : {LV_ClientUser, LV_UerMACAddress}) {
        auto handler = [this, list] {
            list == LV_ClientUser ? LV_ClientUserClick() : LV_UerMACAddressClick();
        };
        connectGuarded(list, &CvListView::Selected, StatusBar1, handler);
        connectGuarded(list, &CvListView::SelectionCleared, StatusBar1, handler);
    }
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_FilterMACACL::FormCreate() {
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        // Without its list reads the page would never become closable, and it has no Close
        // button.
        idle = true;
        StatusBar1->ShowText(QString::fromStdString(failure.what()));
    }
}

void TFM_FilterMACACL::buildRequests() {
    outcome_.begin();
    reqApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, 10000);
    reqApMode->AssociateComboBox(0, CB_APMode);
    outcome_.watch({reqApMode.get()});
    reqApMode->Get();
    reqAccessControl = makeRequest(this, accessControlTable, MVT_SV, 0, kSynchronous, 10000);
    reqAccessControl->AssociateComboBox(0, CB_AccessControl);
    outcome_.watch({reqAccessControl.get()});
    reqAccessControl->Get();
    reqBand = makeRequest(this, bandTable, MVT_SV, 0, kSynchronous, 10000);
    reqBand->AssociateComboBox(0, CB_Band);
    outcome_.watch({reqBand.get()});
    reqBand->Get();
    CB_Band->setEnabled(false);

    reqClientTable = makeRequest(this, clientTable, MVT_UMV, 1, kAsynchronous, 10000);
    reqClientTable->AssociateListView(LV_ClientTable, false);
    reqClientTable->OnAfterGet = [this](auto* sender, auto& result) {
        OnClientTableRead(sender, result);
    };
    reqClientRefresh = makeRequest(this, clientRefreshTable, MVT_SV, 1, kAsynchronous, 1000);
    reqClientRefresh->AssociateComboBox(0, CB_GetInfo);
    reqClientRefresh->OnAfterSet = [this](auto* sender, auto& result) {
        OnClientRefreshSet(sender, result);
    };
    CB_GetInfo->setCurrentIndex(1);
    LV_ClientUser->ClearRows();
    reqClientRefresh->Set(false, true, "");

    auto changed = [this](auto* sender, auto& result) { OnAclChanged(sender, result); };
    auto read = [this](auto* sender, auto& result) { OnAclRead(sender, result); };
    reqMacAdd = makeRequest(this, macAddTable, MVT_SV, 0, kAsynchronous, 10000);
    reqMacAdd->AssociateEdit(0, "%h", Ed_MacAdd);
    limitTyping(Ed_MacAdd, kMacLength);
    reqClientMacAdd = makeRequest(this, macAddTable, MVT_SV, 0, kAsynchronous, 10000);
    reqClientMacAdd->AssociateEdit(0, "%h", Ed_ClientInfoMac);
    reqMacDelete = makeRequest(this, macDeleteTable, MVT_SV, 0, kAsynchronous, 10000);
    reqMacDelete->AssociateEdit(0, "%h", Ed_MACAddr);
    reqAclFull = makeRequest(this, aclTable, MVT_UMV, 1, kAsynchronous, 2000);
    reqAclFull->AssociateListView(LV_GetMAC, false);
    reqAclFull->AssociateLabel(0, LA_Index);
    reqAclFull->AssociateEdit(1, "%h", Ed_MACAddr);
    for (CvSNMPRequest2Edits* request :
         {reqMacAdd.get(), reqClientMacAdd.get(), reqMacDelete.get(), reqAclFull.get()}) {
        request->OnAfterGet = read;
        request->OnAfterSet = changed;
    }

    reqAclList = makeRequest<New_req2Edit>(this, aclTable, MVT_UMV, 1, kAsynchronous, 10000);
    reqAclList->AssociateListView(LV_UerMACAddress, false);
    reqAclList->OnAfterGet = read;
    idle = false;
    Bt_Del->setEnabled(false);
    Bt_Add->setEnabled(false);
    startListReads();
    Ed_MacAdd->clear();

    if (CB_APMode->currentIndex() == kApModeWirelessClient) {
        CB_Band->setEnabled(false);
        CB_AccessControl->setEnabled(false);
    }
}

// Both lists are read together; the empty-list rule waits for both, see OnAclRead.
void TFM_FilterMACACL::startListReads() {
    fullListRead = usedListRead = false;
    StatusBar1->ShowText("Refresh...");
    reqAclFull->Get();
    reqAclList->RowCounter = 1;
    reqAclList->PlaceHolder = kFreeMac.toStdString();
    reqAclList->Get();
}

// ---- Completion routines --------------------------------------------------------------------

void TFM_FilterMACACL::OnAclRead(CvSNMPRequest2Controls* sender, const CvSNMPError& result) {
    idle = true;
    if (outcome_.fail(result)) return;
    (sender == reqAclList.get() ? usedListRead : fullListRead) = true;
    // The full list usually ends first, while the visible list still shows the rows of before
    // the read (none when the page opens): judging emptiness then would switch off a device
    // that has entries.
    if (fullListRead && usedListRead && LV_UerMACAddress->RowCount() == 0) {
        CB_AccessControl->setCurrentIndex(kPolicyDisable);
        setPolicy();
    }
    CB_AccessControlChange();
    outcome_.showOk("Get OK!", {reqAclFull.get(), reqAclList.get()});
}

void TFM_FilterMACACL::OnAclChanged(CvSNMPRequest2Controls*, const CvSNMPError& result) {
    if (outcome_.fail(result)) {
        idle = true;
        Bt_Add->setEnabled(true);
        return;
    }
    startListReads();
    Ed_MacAdd->clear();
}

void TFM_FilterMACACL::OnClientRefreshSet(CvSNMPRequest2Controls*, const CvSNMPError& result) {
    const QString timedOut = "Detect timed out!" + QString::fromStdString(result.Message);
    if (outcome_.fail(result, timedOut)) return;
    reqClientTable->Get();
    StatusBar1->ShowText("Get Client info...!");
}

void TFM_FilterMACACL::OnClientTableRead(CvSNMPRequest2Controls*, const CvSNMPError& result) {
    if (outcome_.fail(result)) return;
    outcome_.showOk(QString::fromStdString(result.Message));
    FillClientList();
    Btn_AddCli->setEnabled(false);
}

void TFM_FilterMACACL::FillClientList() {
    LV_ClientUser->ClearRows();
    for (int row = 0; row < LV_ClientTable->RowCount(); ++row) {
        const QStringList cells = LV_ClientTable->SubItems(row);
        if (cells.value(kClientMac) == kFreeMac) continue;
        LV_ClientUser->AddRow(
            cells.value(kClientMac),
            {cells.value(kClientSsid), cells.value(kClientBand),
             clientAuthenticationText(cells.value(kClientAuth)), cells.value(kClientRssi)});
    }
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_FilterMACACL::CB_AccessControlChange() {
    const bool listUsed = CB_AccessControl->currentIndex() != kPolicyDisable;
    Ed_MacAdd->setEnabled(listUsed);
    Bt_Add->setEnabled(listUsed);
    if (!listUsed) Bt_Del->setEnabled(false);
}

void TFM_FilterMACACL::LV_UerMACAddressClick() {
    Bt_Del->setEnabled(LV_UerMACAddress->SelectedRow() >= 0);
}

void TFM_FilterMACACL::LV_ClientUserClick() {
    const int row = LV_ClientUser->SelectedRow();
    if (row >= 0) {
        // A station the device listed, picked by the user: the MAC the client add sends.
        Ed_ClientInfoMac->SetText(LV_ClientUser->Caption(row));
        CvSNMPRequest2Edits::MarkChosen(Ed_ClientInfoMac);
    }
    Btn_AddCli->setEnabled(row >= 0);
}

bool TFM_FilterMACACL::setPolicy() {
    return setRequest(reqAccessControl.get(), StatusBar1, true);
}

// A policy held back because its read failed has already said so; "Set error!" would hide why.
void TFM_FilterMACACL::showPolicyFailure() {
    if (!reqAccessControl || !reqAccessControl->Withheld()) StatusBar1->ShowText("Set error!");
}

bool TFM_FilterMACACL::selectFullRow(const QString& mac) {
    for (int row = 0; row < LV_GetMAC->RowCount(); ++row) {
        if (LV_GetMAC->SubItem(row, 0) == mac) {
            LV_GetMAC->SelectRow(row);
            return true;
        }
    }
    return false;
}

bool TFM_FilterMACACL::IsDuplicateMac(const QString& typed, int skippedRow) const {
    QStringList deviceMacs;
    for (int row = 0; row < LV_GetMAC->RowCount(); ++row) deviceMacs << LV_GetMAC->SubItem(row, 0);
    return isDuplicateMac(typed, deviceMacs, skippedRow);
}

namespace {

// The typed MAC's own checks, shared by both adds; true when it may go out.
bool acceptableMac(QWidget* page, CvEdit* edit, bool focusOnRefusal) {
    const QString mac = edit->text();
    QString caption, text;
    if (mac.length() != kMacLength) {
        caption = "Error";
        text = "The length is 12 in MAC Address.";
    } else if (mac == kFreeMac) {
        caption = "Warning";
        text = "Please input a valid MAC Address.";
    } else {
        return true;
    }
    platform::ui().messageBox(page, caption, text, platform::BoxButtons::Ok);
    if (focusOnRefusal) edit->setFocus();
    return false;
}

void refuseDuplicate(QWidget* page) {
    platform::ui().messageBox(page, "Warning", "Reject: The MAC already exists ",
                              platform::BoxButtons::Ok);
}

}  // namespace

void TFM_FilterMACACL::Bt_AddClick() {
    outcome_.begin();
    if (!setPolicy()) {
        showPolicyFailure();
        return;
    }
    if (CB_AccessControl->currentIndex() == kPolicyDisable || Ed_MacAdd->text().isEmpty()) {
        platform::ui().messageBox(this, "Error", "Invaild MAC Address.", platform::BoxButtons::Ok);
        return;
    }
    // A full list has no free row to leave out: every row takes part in the duplicate check and
    // the device refuses the add.
    if (!reqMacAdd) return;
    const bool freeRow = selectFullRow(kFreeMac);
    if (!acceptableMac(this, Ed_MacAdd, true)) return;
    if (IsDuplicateMac(Ed_MacAdd->text(), freeRow ? LA_Index->text().toInt() - 1 : -1)) {
        refuseDuplicate(this);
        return;
    }
    idle = false;
    Bt_Add->setEnabled(false);
    Bt_Del->setEnabled(false);
    reqMacAdd->Set(false, true, "");
}

void TFM_FilterMACACL::Btn_AddCliClick() {
    if (!acceptableMac(this, Ed_ClientInfoMac, false)) return;
    if (IsDuplicateMac(Ed_ClientInfoMac->text(), -1)) {
        refuseDuplicate(this);
        return;
    }
    if (!reqClientMacAdd) return;
    outcome_.begin();
    idle = false;
    Bt_Add->setEnabled(false);
    Bt_Del->setEnabled(false);
    CB_AccessControl->setCurrentIndex(kPolicyReject);
    setPolicy();
    reqClientMacAdd->Set(false, true, "");
}

void TFM_FilterMACACL::Bt_DelClick() {
    const int row = LV_UerMACAddress->SelectedRow();
    if (row < 0 || !reqMacDelete) return;
    if (platform::ui().messageBox(this, "Warning",
                                  "Are you sure that you want to delete this mac address?",
                                  platform::BoxButtons::OkCancel) != platform::BoxResult::Ok)
        return;
    if (!selectFullRow(LV_UerMACAddress->SubItem(row, 0))) return;
    outcome_.begin();
    idle = false;
    Bt_Add->setEnabled(false);
    Bt_Del->setEnabled(false);
    Ed_MACAddr->SetText(LV_GetMAC->SubItem(LV_GetMAC->SelectedRow(), 0));
    reqMacDelete->Set(false, true, "");
}

void TFM_FilterMACACL::Bt_ApplyClick() {
    outcome_.begin();
    if (setPolicy())
        outcome_.showOk("Save OK!");
    else
        showPolicyFailure();
}

void TFM_FilterMACACL::FormClose() {
    reqAclList.reset();
    reqAclFull.reset();
    reqMacDelete.reset();
    reqClientMacAdd.reset();
    reqMacAdd.reset();
    reqClientRefresh.reset();
    reqClientTable.reset();
    reqBand.reset();
    reqAccessControl.reset();
    reqApMode.reset();
}

// The close box and Esc both end here.
void TFM_FilterMACACL::done(int result) {
    if (!idle) return;
    FormClose();
    QDialog::done(result);
}

// ---- Rules ----------------------------------------------------------------------------------

bool SameTextPrefix(const QString& a, const QString& b) {
    if (b.length() < a.length()) return false;
    for (int i = 0; i < a.length(); ++i) {
        const QChar mine = a[i], device = b[i];
        if (mine != device && mine.unicode() != device.unicode() + 32) return false;
    }
    return true;
}

bool isDuplicateMac(const QString& typed, const QStringList& deviceMacs, int skippedRow) {
    for (int row = 0; row < deviceMacs.size(); ++row)
        if (row != skippedRow && SameTextPrefix(typed, deviceMacs[row])) return true;
    return false;
}

QString clientAuthenticationText(const QString& deviceText) {
    static const QHash<QString, QString> shown = {
        {"opensystem", "OPEN"}, {"sharedkey", "WEP"},     {"wpa-psk", "WPA-PSK"},
        {"wpa-eap", "WPA-EAP"}, {"wpa2-psk", "WPA2-PSK"}, {"wpa2-eap", "WPA2-EAP"},
    };
    return shown.value(deviceText, deviceText);
}
