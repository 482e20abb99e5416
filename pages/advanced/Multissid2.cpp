#include "pages/advanced/Multissid2.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <utility>

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

TFM_MultiSSIDNewForm* FM_MultiSSIDNewForm = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

using Lists = MibEnumerationLists;

// The device's enterprise subtree and its SSID table entry.
const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string T = E + ".3.3.3.1";

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE,
            &Lists::ApModeAlt),
    {},
};

const CvSNMPVarItem bandTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE, &Lists::Band),
    {},
};

const CvSNMPVarItem mssidStateTable[] = {
    mibItem(E + ".3.3.1.1.1.1", "dot11MssidState", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
    {},
};

const CvSNMPVarItem priorityStateTable[] = {
    mibItem(E + ".3.3.1.1.2.1", "dot11MssidPriorityState", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
    {},
};

// Rows indexed by ifIndex and dot11MssidIndex; the priority column comes last and only when the
// device supports priorities.
const CvSNMPVarItem ssidTable[] = {
    mibItem("1.3.6.1.2.1.2.2.1.1", "ifIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(T + ".1", "dot11MssidIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(T + ".2", "dot11MssIndividualState", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(T + ".3", "dot11MssidSsid", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(T + ".4", "dot11MssidSuppress", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(T + ".5", "dot11MssidAuthentication", SYN_INTEGER, ACC_READWRITE,
            &Lists::MssidAuthentication),
    mibItem(T + ".6", "dot11MssidEncryption", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(T + ".7", "dot11MssidWepKeyIndex", SYN_INTEGER, ACC_READWRITE, &Lists::KeyIndex),
    mibItem(T + ".12", "dot11MssidKeyType", SYN_INTEGER, ACC_READWRITE, &Lists::MssidKeyType),
    mibItem(T + ".10", "dot11MssidCipherType", SYN_INTEGER, ACC_READWRITE, &Lists::MssidCipherType),
    mibItem(T + ".11", "dot11MssidPassPhrase", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(T + ".8", "dot11MssidWepKey", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(T + ".14", "dot11MssidWmm", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(T + ".15", "dot11MssidGroupKeyUpdateInterval", SYN_INTEGER, ACC_READWRITE),
    mibItem(T + ".17", "dot11MssidPrimaryRadiusServer", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(T + ".18", "dot11MssidPrimaryRadiusPort", SYN_INTEGER, ACC_READWRITE),
    mibItem(T + ".19", "dot11MssidPrimaryRadiusSecret", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(T + ".16", "dot11MssidPriority", SYN_INTEGER, ACC_READWRITE),
    {},
};

constexpr int kTimeout = 10000;
constexpr int kSaveWaitMs = 35000;
constexpr int kSsidMaxLength = 32;
constexpr int kPassphraseMaxLength = 63;
constexpr int kSecretMaxLength = 64;
constexpr int kIntervalMin = 300, kIntervalMax = 9999999;

// Armed while the program runs: at a successful state read when a page opens and whenever the
// box is cleared; a later check of the box in WDS or Wireless Client mode warns once.
bool multiSsidWarningArmed = false;

QString textOf(const CvOptionList& list, const std::vector<std::string>& values, int item) {
    return item < static_cast<int>(values.size()) ? platform::fromLatin1(list.ToText(values[item]))
                                                  : QString();
}

QGridLayout* makeGroupGrid(QGroupBox* group) {
    auto* rows = new QGridLayout(group);
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(6);
    rows->setColumnStretch(1, 1);
    return rows;
}

// A control in the control column of a grid, with no caption beside it.
void addUncaptioned(QGridLayout* rows, QWidget* control) {
    rows->addWidget(control, rows->rowCount(), 1);
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_MultiSSIDNewForm::TFM_MultiSSIDNewForm(QWidget* owner) : QDialog(owner) {
    buildControls();
    connectHandlers();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_MultiSSIDNewForm::~TFM_MultiSSIDNewForm() = default;

void TFM_MultiSSIDNewForm::buildControls() {
    setWindowTitle("Advanced \\ Multi-SSID");
    setSingleBorder(this);
    auto* body = new QWidget(this);

    GroupBox1 = new QGroupBox("Multi-SSID Settings", body);
    auto* settings = makeGroupGrid(GroupBox1);
    IfEnabMuSSID = new QCheckBox("Enable Multi-SSID ", GroupBox1);
    IfEnablePriority = new QCheckBox("Enable Priority", GroupBox1);
    addUncaptioned(settings, IfEnabMuSSID);
    addUncaptioned(settings, IfEnablePriority);
    CB_Priority = new QComboBox(GroupBox1);
    for (int priority = 0; priority <= 7; ++priority)
        CB_Priority->addItem(QString::number(priority));
    Label4 = addRow(settings, "Priority", CB_Priority);
    CB_Index = new QComboBox(GroupBox1);
    CB_Index->addItems({"Primary SSID", "SSID 1", "SSID 2", "SSID 3"});
    addRow(settings, "Index:", CB_Index);
    addEditRow(settings, "SSID:", Ed_SSID);
    CB_SsidBroadcast = new QComboBox(GroupBox1);
    addRow(settings, "SSID Visibility:", CB_SsidBroadcast);
    CB_Band = new QComboBox(GroupBox1);
    CB_Band->setEnabled(false);
    addRow(settings, "Band:", CB_Band);
    CB_SecurityMode = new QComboBox(GroupBox1);
    addRow(settings, "Security:", CB_SecurityMode);
    CB_WMM = new QComboBox(GroupBox1);
    addRow(settings, "WMM(Wi-Fi Multimedia):", CB_WMM);

    GroupBox2 = new QGroupBox("Key Settings", body);
    auto* keys = makeGroupGrid(GroupBox2);
    CB_MssidEncryption = new QComboBox(GroupBox2);
    addRow(keys, "Encryption:", CB_MssidEncryption);
    CB_WepEncryp = new QComboBox(GroupBox2);
    CB_WepEncryp->addItems({"64Bits", "128Bits"});
    addRow(keys, "Key Size :  ", CB_WepEncryp);
    CB_KeyType = new QComboBox(GroupBox2);
    addRow(keys, "Key Type : ", CB_KeyType);
    CB_DefaultKey = new QComboBox(GroupBox2);
    addRow(keys, "Key Index(1~4) : ", CB_DefaultKey);
    addEditRow(keys, " Key :", Ed_Key);
    addEditRow(keys, "Confirm Key", Ed_ConfirmKey);
    Ed_Key->setEchoMode(QLineEdit::Password);
    Ed_ConfirmKey->setEchoMode(QLineEdit::Password);

    GroupBox3 = new QGroupBox(body);
    auto* wpa = makeGroupGrid(GroupBox3);
    CB_WPAMode = new QComboBox(GroupBox3);
    addRow(wpa, "WPA Mode ", CB_WPAMode);
    CB_CipherType = new QComboBox(GroupBox3);
    addRow(wpa, "Cipher Type ", CB_CipherType);
    auto* interval = new QWidget(GroupBox3);
    auto* intervalRow = new QHBoxLayout(interval);
    intervalRow->setContentsMargins(0, 0, 0, 0);
    Ed_UpdateInterval = new CvEdit(interval);
    intervalRow->addWidget(Ed_UpdateInterval, 1);
    intervalRow->addWidget(new QLabel("Sec", interval));
    addRow(wpa, "Group Key Update Interval  ", interval);
    passphraseRows = {addEditRow(wpa, "Passphrase :  ", Ed_Passphrase), Ed_Passphrase,
                      addEditRow(wpa, "Confirm PassPhrase", Ed_ConfirmPass), Ed_ConfirmPass};
    GroupBox7 = new QGroupBox("Primary RADIUS Server Setting", GroupBox3);
    auto* radius = makeGroupGrid(GroupBox7);
    addEditRow(radius, "RADIUS Server:", Edt_RadiusServer);
    addEditRow(radius, "RADIUS Port:", Edt_RadiusPort);
    addEditRow(radius, "Shared Secret:", Edt_RadiusSecret);
    wpa->addWidget(GroupBox7, wpa->rowCount(), 0, 1, 2);

    GroupBox4 = new QGroupBox("Mulit-SSID", body);
    auto* listColumn = new QVBoxLayout(GroupBox4);
    LV_MultiSSID_User = new CvListView(GroupBox4);
    const std::pair<const char*, int> columns[] = {
        {"Index", 100}, {"SSID", 130}, {"Band", 60}, {"Encryption", 140}};
    for (const auto& [title, width] : columns) LV_MultiSSID_User->AddColumn(title, width);
    LV_MultiSSID_User->setMinimumSize(440, 160);
    listColumn->addWidget(LV_MultiSSID_User, 1);
    DelButton = new QPushButton("Delete", GroupBox4);
    DelButton->setAutoDefault(false);
    DelButton->setEnabled(false);
    listColumn->addWidget(DelButton, 0, Qt::AlignRight);

    // The WPA group sits under the list: until the security mode is known the page shows the key
    // group as well, and the three in one column would stand taller than a small screen.
    auto* left = new QVBoxLayout;
    for (QGroupBox* group : {GroupBox1, GroupBox2}) left->addWidget(group);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox4, 1);
    right->addWidget(GroupBox3);
    auto* columnsRow = new QHBoxLayout(body);
    columnsRow->setContentsMargins(0, 0, 0, 0);
    columnsRow->addLayout(left);
    columnsRow->addLayout(right, 1);

    MulSSIDListView = new CvListView(this);
    MulSSIDListView->hide();
    IndexLab = new QLabel(this);
    Lb_Ssidindex = new QLabel(this);
    IndexLab->hide();
    Lb_Ssidindex->hide();
    CB_IdvState = makeHiddenCombo(this);
    CB_dot11Authentication = makeHiddenCombo(this);
    CB_Clipher = makeHiddenCombo(this);
    CB_ApMode = makeHiddenCombo(this);
    Edt_Priority = new CvEdit(this);
    Edt_Priority->hide();

    AddButton = new QPushButton("Add", this);
    AddButton->setEnabled(false);
    ApplyBtn = new QPushButton("Save", this);
    CancelBtn = new QPushButton("Cancel", this);
    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    StatusBar->AddPanel(-1);
    layOutPage(this, body, {AddButton, ApplyBtn, CancelBtn}, StatusBar);
    centreOnMainWindow(this);
}

void TFM_MultiSSIDNewForm::connectHandlers() {
    auto on = [this](auto* sender, auto signal, void (TFM_MultiSSIDNewForm::*handler)()) {
        connectGuarded(sender, signal, StatusBar, [this, handler] { (this->*handler)(); });
    };
    on(IfEnabMuSSID, &QCheckBox::clicked, &TFM_MultiSSIDNewForm::IfEnabMuSSIDClick);
    on(IfEnablePriority, &QCheckBox::clicked, &TFM_MultiSSIDNewForm::IfEnablePriorityClick);
    on(CB_Index, &QComboBox::activated, &TFM_MultiSSIDNewForm::CB_IndexChange);
    on(CB_SecurityMode, &QComboBox::activated, &TFM_MultiSSIDNewForm::CB_SecurityModeChange);
    on(CB_Band, &QComboBox::activated, &TFM_MultiSSIDNewForm::CB_SecurityModeChange);
    on(CB_MssidEncryption, &QComboBox::activated, &TFM_MultiSSIDNewForm::CB_MssidEncryptionChange);
    // Key type, size and index only re-apply the key length limits.
    for (QComboBox* keyChoice : {CB_KeyType, CB_WepEncryp, CB_DefaultKey})
        on(keyChoice, &QComboBox::activated, &TFM_MultiSSIDNewForm::CB_KeyTypeChange);
    on(LV_MultiSSID_User, &CvListView::clicked, &TFM_MultiSSIDNewForm::LV_MultiSSID_UserClick);
    connect(LV_MultiSSID_User, &CvListView::SelectionCleared, DelButton,
            [this] { DelButton->setEnabled(false); });
    on(AddButton, &QPushButton::clicked, &TFM_MultiSSIDNewForm::AddButtonClick);
    on(DelButton, &QPushButton::clicked, &TFM_MultiSSIDNewForm::DelButtonClick);
    on(ApplyBtn, &QPushButton::clicked, &TFM_MultiSSIDNewForm::ApplyBtnClick);
    on(CancelBtn, &QPushButton::clicked, &TFM_MultiSSIDNewForm::CancelBtnClick);
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_MultiSSIDNewForm::FormCreate() {
    outcome_.begin();
    CB_Index->setCurrentIndex(kPrimarySsid);
    try {
        buildRequests();
        ReadSsidTable();
    } catch (const std::exception& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
    }
    UpdateIndexCombo();
}

void TFM_MultiSSIDNewForm::buildRequests() {
    reqApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqApMode->AssociateComboBox(0, CB_ApMode);
    reqApMode->SetLogTarget(StatusBar);
    reqBand = makeRequest(this, bandTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqBand->AssociateComboBox(0, CB_Band);
    reqMssidState = makeRequest(this, mssidStateTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqMssidState->AssociateCheckBox(0, IfEnabMuSSID);
    reqMssidState->SetLogTarget(StatusBar);
    reqPriorityState = makeRequest(this, priorityStateTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqPriorityState->AssociateCheckBox(0, IfEnablePriority);
    reqPriorityState->SetLogTarget(StatusBar);
    // A device without priorities refuses their read: that is no failure of the opening.
    outcome_.watch({reqApMode.get(), reqBand.get(), reqMssidState.get()});

    reqApMode->Get();
    reqBand->Get();
    if (reqMssidState->Get()) multiSsidWarningArmed = true;
    // Only a device that answers the priority state knows priorities at all.
    prioritySupported = reqPriorityState->Get();
    // Once it answers, a refused priority set is a failure of the Save that sends it.
    if (prioritySupported) outcome_.watch({reqPriorityState.get()});
    for (QWidget* priority : std::initializer_list<QWidget*>{IfEnablePriority, Label4, CB_Priority})
        priority->setVisible(prioritySupported);
    if (prioritySupported) IfEnablePriorityClick();
}

void TFM_MultiSSIDNewForm::ReadSsidTable() {
    // Without the end record; the priority column is the last item.
    std::vector<CvSNMPVarItem> items(std::begin(ssidTable), std::end(ssidTable) - 1);
    if (!prioritySupported) items.pop_back();
    reqSsidTable = makeRequest(this, items, MVT_UMV, 2, kAsynchronous, kTimeout);
    reqSsidTable->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar, [&] { OnSsidTableRead(sender, outcome); });
    };
    reqSsidTable->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar, [&] { OnSsidTableWritten(sender, outcome); });
    };
    reqSsidTable->AssociateLabel(0, IndexLab);
    reqSsidTable->AssociateLabel(1, Lb_Ssidindex);
    reqSsidTable->AssociateComboBox(kItemState, CB_IdvState);
    reqSsidTable->AssociateEdit(kItemSsid, "%s", Ed_SSID);
    reqSsidTable->AssociateComboBox(kItemSuppress, CB_SsidBroadcast);
    reqSsidTable->AssociateComboBox(kItemAuthentication, CB_dot11Authentication);
    reqSsidTable->AssociateComboBox(kItemEncryption, CB_MssidEncryption);
    reqSsidTable->AssociateComboBox(kItemWepKeyIndex, CB_DefaultKey);
    reqSsidTable->AssociateComboBox(kItemKeyType, CB_KeyType);
    reqSsidTable->AssociateComboBox(kItemCipher, CB_Clipher);
    reqSsidTable->AssociateEdit(kItemPassphrase, "%s", Ed_Passphrase);
    reqSsidTable->AssociateEdit(kItemWepKey, "%s", Ed_Key);
    reqSsidTable->AssociateComboBox(kItemWmm, CB_WMM);
    reqSsidTable->AssociateEdit(kItemInterval, "%s", Ed_UpdateInterval);
    reqSsidTable->AssociateEdit(kItemRadiusServer, "%s", Edt_RadiusServer);
    reqSsidTable->AssociateEdit(kItemRadiusPort, "%s", Edt_RadiusPort);
    reqSsidTable->AssociateEdit(kItemRadiusSecret, "%s", Edt_RadiusSecret);
    if (prioritySupported) reqSsidTable->AssociateEdit(kItemPriority, "%s", Edt_Priority);
    reqSsidTable->AssociateListView(MulSSIDListView, true);
    SetKeyLengthLimit();
    SetFieldLimits();
    reqSsidTable->Get();
}

void TFM_MultiSSIDNewForm::UpdateIndexCombo() {
    CB_Index->setEnabled(IfEnabMuSSID->isChecked());
    EnableEntryControls(false);
}

// ---- Completions ----------------------------------------------------------------------------

void TFM_MultiSSIDNewForm::OnSsidTableRead(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome)) return;
    if (CB_ApMode->currentIndex() < 0 && reqApMode) reqApMode->Get();
    // The read that follows a Save's write ends under that Save's own text.
    if (!outcome_.waiting()) outcome_.showOk("Get OK!");
    CB_Index->setCurrentIndex(kPrimarySsid);
    CB_IndexChange();
    DelButton->setEnabled(false);
    AddButton->setEnabled(false);
}

void TFM_MultiSSIDNewForm::OnSsidTableWritten(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome)) return;
    MarkWritable(true);
    if (reqSsidTable) reqSsidTable->Get();
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_MultiSSIDNewForm::CB_IndexChange() {
    const int chosen = CB_Index->currentIndex();
    AddButton->setEnabled(chosen > kPrimarySsid);
    // Cleared first, so that choosing the shown entry again loads it again.
    MulSSIDListView->SelectRow(-1);
    MulSSIDListView->SelectRow(chosen);
    CB_Priority->setCurrentIndex(CB_Priority->findText(Edt_Priority->text()));
    FillSecurityModes();
    KeySizeFromLength();
    Ed_ConfirmKey->SetText(Ed_Key->text());
    Ed_ConfirmPass->SetText(Ed_Passphrase->text());
    loadedPassphrase = Ed_Passphrase->text();
    loadedSecret = Edt_RadiusSecret->text();
    SetKeyLengthLimit();
    SetFieldLimits();
    EnableEntryControls(chosen > kPrimarySsid);
    IfEnabMuSSIDClick();
}

void TFM_MultiSSIDNewForm::IfEnabMuSSIDClick() {
    if (!IfEnabMuSSID->isChecked()) {
        CB_Index->setEnabled(false);
        AddButton->setEnabled(false);
        if (prioritySupported && IfEnablePriority->isChecked()) {
            IfEnablePriority->setChecked(false);
            // Off because Multi-SSID is: a value of the device's only when that one is.
            CvSNMPRequest2Edits::MarkDerived(IfEnablePriority,
                                             CvSNMPRequest2Edits::IsKnown(IfEnabMuSSID));
        }
        if (prioritySupported) IfEnablePriority->setEnabled(false);
        LV_MultiSSID_User->ClearRows();
        multiSsidWarningArmed = true;
    } else {
        CB_Index->setEnabled(true);
        if (prioritySupported) IfEnablePriority->setEnabled(true);
        if (!insideListClick) FillSsidList();
        if (multiSsidWarningArmed && apModeIndex() > 1)
            platform::ui().messageBox(this, "Warning",
                                      "If you enable Multi-SSID, AP Mode will be set to 'Access "
                                      "Point'!",
                                      platform::BoxButtons::Ok);
        multiSsidWarningArmed = false;
    }
    ShowSecurityGroups();
}

void TFM_MultiSSIDNewForm::IfEnablePriorityClick() {
    CB_Priority->setEnabled(IfEnablePriority->isChecked());
}

void TFM_MultiSSIDNewForm::CB_SecurityModeChange() {
    ShowSecurityGroups();
}

void TFM_MultiSSIDNewForm::CB_MssidEncryptionChange() {
    const bool on = CB_MssidEncryption->currentIndex() != 0;
    for (QWidget* key : std::initializer_list<QWidget*>{CB_WepEncryp, CB_KeyType, CB_DefaultKey,
                                                        Ed_Key, Ed_ConfirmKey})
        key->setEnabled(on);
}

void TFM_MultiSSIDNewForm::CB_KeyTypeChange() {
    SetKeyLengthLimit();
}

void TFM_MultiSSIDNewForm::LV_MultiSSID_UserClick() {
    insideListClick = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{insideListClick};
    const int row = LV_MultiSSID_User->SelectedRow();
    if (row < 0) {
        DelButton->setEnabled(false);
        return;
    }
    CB_Priority->setCurrentIndex(CB_Priority->findText(Edt_Priority->text()));
    if (LV_MultiSSID_User->Caption(row) == "Primary SSID") {
        CB_Index->setCurrentIndex(kPrimarySsid);
        DelButton->setEnabled(false);
        ShowSecurityGroups();
    } else {
        // The row remembers the table row it shows, which is the CB_Index position of its entry.
        CB_Index->setCurrentIndex(LV_MultiSSID_User->RowTag(row));
        DelButton->setEnabled(true);
    }
    CB_IndexChange();
}

void TFM_MultiSSIDNewForm::DelButtonClick() {
    const auto answer = platform::ui().messageBox(this, QApplication::applicationDisplayName(),
                                                  "Are you sure that you want to delete this SSID?",
                                                  platform::BoxButtons::OkCancel);
    if (answer != platform::BoxResult::Ok) return;
    if (LV_MultiSSID_User->SelectedRow() < 0 || !reqSsidTable) return;
    outcome_.begin();
    MarkWritable(false);
    CB_IdvState->setCurrentIndex(Lists::DisableEnable.IndexOfValue("0"));
    StatusBar->ShowText("Deleting...");
    setSsidTable();
    MarkWritable(true);
}

void TFM_MultiSSIDNewForm::ApplyBtnClick() {
    if (!reqMssidState) return;
    outcome_.begin();
    if (apModeUndecided()) return;
    MarkWritable(false);
    if (IfEnabMuSSID->isChecked() && apModeIndex() > 1) {
        CB_ApMode->setCurrentIndex(Lists::ApModeAlt.IndexOfValue("1"));
        setRequest(reqApMode.get(), StatusBar, false);
    }
    reqMssidState->VarList.GetItem(0).access = ACC_READWRITE;
    const bool saved = setRequest(reqMssidState.get(), StatusBar, false);
    if (saved && prioritySupported) {
        setRequest(reqPriorityState.get(), StatusBar, false);
        if (primaryShown() && IfEnablePriority->isChecked()) {
            Edt_Priority->SetText(CB_Priority->currentText());
            reqSsidTable->VarList.GetItem(kItemPriority).access = ACC_READWRITE;
            setSsidTable();
        }
    }
    // Left-out items are not shown when a row is chosen either, so they are never left out
    // beyond the handler that needed it.
    MarkWritable(true);
    if (!saved) {
        // A state held back for want of a read has said so instead.
        if (!reqMssidState->Withheld()) StatusBar->ShowText("Save Fail!");
        return;
    }
    platform::ui().blockingWait(kSaveWaitMs);
    outcome_.showOk("Save OK!", {reqSsidTable.get()});
}

void TFM_MultiSSIDNewForm::AddButtonClick() {
    if (!reqMssidState || !reqSsidTable) return;
    outcome_.begin();
    if (apModeUndecided()) return;
    MarkWritable(false);
    struct IncludeAgain {
        TFM_MultiSSIDNewForm* page;
        ~IncludeAgain() { page->MarkWritable(true); }
    } includeAgain{this};
    if (IfEnabMuSSID->isChecked() && apModeIndex() > 1) {
        CB_ApMode->setCurrentIndex(Lists::ApModeAlt.IndexOfValue("1"));
        setRequest(reqApMode.get(), StatusBar, false);
    }
    Edt_Priority->SetText(CB_Priority->currentText());
    reqMssidState->VarList.GetItem(0).access = ACC_READWRITE;

    MssidAddInput entry;
    entry.apMode = apModeIndex();
    entry.securityIndex = CB_SecurityMode->currentIndex();
    entry.wpaIndex = CB_WPAMode->currentIndex();
    entry.encryptionOn = CB_MssidEncryption->currentText() == "Enable";
    entry.prioritySupported = prioritySupported;
    entry.ssid = Ed_SSID->text();
    entry.hexKey = CB_KeyType->currentText() == "Hex";
    entry.bits128 = CB_WepEncryp->currentIndex() == 1;
    entry.key = Ed_Key->text();
    entry.confirmKey = Ed_ConfirmKey->text();
    entry.interval = Ed_UpdateInterval->text();
    entry.passphrase = Ed_Passphrase->text();
    entry.confirmPass = Ed_ConfirmPass->text();
    entry.loadedPassphrase = loadedPassphrase;
    entry.radiusServer = Edt_RadiusServer->text();
    entry.radiusPort = Edt_RadiusPort->text();
    entry.radiusSecret = Edt_RadiusSecret->text();
    entry.loadedSecret = loadedSecret;
    const MssidAddPlan plan = planMssidAdd(entry);

    if (plan.refusal && !plan.statesFirst) return refuse(*plan.refusal);
    if (const auto authentication =
            SecurityToAuthentication(entry.apMode, entry.securityIndex, entry.wpaIndex))
        CB_dot11Authentication->setCurrentIndex(
            Lists::MssidAuthentication.IndexOfValue(std::to_string(*authentication)));
    if (const auto cipher = CipherToRaw(CB_CipherType->currentText()))
        CB_Clipher->setCurrentIndex(Lists::MssidCipherType.IndexOfValue(std::to_string(*cipher)));
    if (plan.statesFirst) setStateRequests();
    if (plan.refusal) return refuse(*plan.refusal);
    if (plan.branch == MssidBranch::None) return;
    if (plan.branch == MssidBranch::Wep) warnOfSharedKey();

    for (int item : plan.items) reqSsidTable->VarList.GetItem(item).access = ACC_READWRITE;
    CB_IdvState->setCurrentIndex(Lists::DisableEnable.IndexOfValue("1"));
    if (plan.branch != MssidBranch::Open) setStateRequests();
    StatusBar->ShowText(setSsidTable() ? "Save SSID...!" : "Save Fail!");
}

void TFM_MultiSSIDNewForm::CancelBtnClick() {
    close();
}

// ---- Page routines --------------------------------------------------------------------------

bool TFM_MultiSSIDNewForm::primaryShown() const {
    return CB_Index->currentIndex() == kPrimarySsid;
}

int TFM_MultiSSIDNewForm::apModeIndex() const {
    return CB_ApMode->currentIndex();
}

// Multi-SSID on takes a WDS or client device to Access Point first: with the mode never read the
// page cannot tell whether it must, so nothing of the action goes out.
bool TFM_MultiSSIDNewForm::apModeUndecided() {
    if (!IfEnabMuSSID->isChecked() || CvSNMPRequest2Edits::IsKnown(CB_ApMode)) return false;
    outcome_.fail(unreadOutcome());
    return true;
}

void TFM_MultiSSIDNewForm::FillSecurityModes() {
    const MssidSecurityChoices choices =
        mssidSecurityChoices(apModeIndex(), CB_dot11Authentication->currentText());
    CB_SecurityMode->clear();
    CB_SecurityMode->addItems(choices.securityItems);
    CB_SecurityMode->setCurrentIndex(choices.securityIndex);
    CB_WPAMode->clear();
    CB_WPAMode->addItems(choices.wpaItems);
    CB_WPAMode->setCurrentIndex(choices.wpaIndex);
    wpaModeEnabled = choices.wpaEnabled;
    CB_WPAMode->setEnabled(wpaModeEnabled);
}

void TFM_MultiSSIDNewForm::ShowSecurityGroups() {
    const bool primary = primaryShown();
    GroupBox1->show();
    GroupBox4->show();
    CB_MssidEncryption->setEnabled(!primary);
    const int security = CB_SecurityMode->currentIndex();
    const bool wpa = security == 1 || security == 2;
    GroupBox2->setVisible(security == 0);
    GroupBox3->setVisible(wpa);
    if (security == 0 && !primary) CB_MssidEncryptionChange();
    if (wpa) {
        GroupBox3->setTitle(security == 1 ? "PassPhrase Settings" : "RADIUS Server Settings");
        for (QWidget* row : passphraseRows) row->setVisible(security == 1);
        GroupBox7->setVisible(security == 2);
        const QStringList ciphers = mssidCipherItems(apModeIndex(), security);
        if (!ciphers.isEmpty()) {
            CB_CipherType->clear();
            CB_CipherType->addItems(ciphers);
            CB_CipherType->setEnabled(!primary);
            const int loaded = CB_CipherType->findText(CB_Clipher->currentText());
            CB_CipherType->setCurrentIndex(loaded < 0 ? 0 : loaded);
        }
    }
    // The page takes the size of the groups now shown at once, not at the next layout pass.
    if (layout()) {
        layout()->invalidate();
        layout()->activate();
    }
}

void TFM_MultiSSIDNewForm::FillSsidList() {
    LV_MultiSSID_User->ClearRows();
    if (!reqSsidTable) return;
    const std::vector<CvSNMPRow>& rows = reqSsidTable->VarList.Rows();
    for (int shown = 0; shown < MulSSIDListView->RowCount(); ++shown) {
        const int row = MulSSIDListView->RowTag(shown);
        if (row < 0 || row >= static_cast<int>(rows.size())) continue;
        const std::vector<std::string>& values = rows[row].values;
        if (textOf(Lists::DisableEnable, values, kItemState) != "Enable") continue;
        const QString index =
            row == kPrimarySsid ? QString("Primary SSID") : "Multi-SSID" + QString::number(row);
        const QString security =
            SecurityDisplayName(textOf(Lists::MssidAuthentication, values, kItemAuthentication),
                                textOf(Lists::DisableEnable, values, kItemEncryption) == "Enable");
        const QString ssid =
            platform::fromLatin1(values.size() > kItemSsid ? values[kItemSsid] : "");
        LV_MultiSSID_User->AddRow(index, {ssid, CB_Band->currentText(), security}, row);
    }
}

void TFM_MultiSSIDNewForm::MarkWritable(bool include) {
    const int access = include ? ACC_READWRITE : ACC_INVALID;
    if (reqMssidState) reqMssidState->VarList.GetItem(0).access = access;
    if (!reqSsidTable) return;
    for (int item = kItemSsid; item < reqSsidTable->VarList.Count(); ++item)
        reqSsidTable->VarList.GetItem(item).access = access;
}

void TFM_MultiSSIDNewForm::KeySizeFromLength() {
    CB_WepEncryp->setCurrentIndex(
        KeySizeFromLength(CB_KeyType->currentText() == "Hex", Ed_Key->text().length()));
}

void TFM_MultiSSIDNewForm::SetKeyLengthLimit() {
    const int length =
        mssidKeyLength(CB_KeyType->currentText() == "Hex", CB_WepEncryp->currentIndex() == 1);
    replaceTypingLimit(Ed_Key, length);
    replaceTypingLimit(Ed_ConfirmKey, length);
}

void TFM_MultiSSIDNewForm::SetFieldLimits() {
    const std::pair<CvEdit*, int> limits[] = {{Ed_SSID, kSsidMaxLength},
                                              {Ed_UpdateInterval, 7},
                                              {Ed_Passphrase, kPassphraseMaxLength},
                                              {Ed_ConfirmPass, kPassphraseMaxLength},
                                              {Edt_RadiusServer, 15},
                                              {Edt_RadiusPort, 5},
                                              {Edt_RadiusSecret, kSecretMaxLength}};
    for (const auto& [edit, length] : limits) replaceTypingLimit(edit, length);
}

void TFM_MultiSSIDNewForm::EnableEntryControls(bool enable) {
    const std::initializer_list<QWidget*> entries = {
        CB_Index,           Ed_SSID,        CB_SsidBroadcast,  CB_SecurityMode, CB_WMM,
        CB_MssidEncryption, CB_KeyType,     CB_WepEncryp,      CB_DefaultKey,   Ed_Key,
        Ed_ConfirmKey,      CB_CipherType,  Ed_UpdateInterval, Ed_Passphrase,   Ed_ConfirmPass,
        Edt_RadiusServer,   Edt_RadiusPort, Edt_RadiusSecret};
    for (QWidget* entry : entries) entry->setEnabled(enable);
    // In WDS mode the WPA mode is shown but not offered.
    CB_WPAMode->setEnabled(enable && wpaModeEnabled);
}

void TFM_MultiSSIDNewForm::setStateRequests() {
    if (setRequest(reqMssidState.get(), StatusBar, false) && prioritySupported)
        setRequest(reqPriorityState.get(), StatusBar, false);
}

// The write of the row chosen in the table list; its outcome arrives in OnSsidTableWritten, also
// when it cannot be sent (no row chosen, a value the item cannot take).
bool TFM_MultiSSIDNewForm::setSsidTable() {
    return reqSsidTable && reqSsidTable->Set(false, true, "");
}

void TFM_MultiSSIDNewForm::warnOfSharedKey() {
    const int edited = CB_Index->currentIndex();
    const std::vector<CvSNMPRow>& rows = reqSsidTable->VarList.Rows();
    for (int shown = 0; shown < LV_MultiSSID_User->RowCount(); ++shown) {
        const int row = LV_MultiSSID_User->RowTag(shown);
        if (LV_MultiSSID_User->SubItem(shown, 2) != "OpenSystem" || row == edited || row < 0 ||
            row >= static_cast<int>(rows.size()))
            continue;
        if (textOf(Lists::KeyIndex, rows[row].values, kItemWepKeyIndex) !=
            CB_DefaultKey->currentText())
            continue;
        platform::ui().messageBox(
            this, "Warning",
            "Key value is used by SSID! \nTo change Key value affects other SSID settings.",
            platform::BoxButtons::Ok);
        return;
    }
}

void TFM_MultiSSIDNewForm::refuse(const MssidRefusal& refusal) {
    const QString caption =
        refusal.caption.isEmpty() ? QApplication::applicationDisplayName() : refusal.caption;
    platform::ui().messageBox(this, caption, refusal.text, platform::BoxButtons::Ok);
    CvEdit* field = nullptr;
    switch (refusal.field) {
        case MssidField::Ssid:
            field = Ed_SSID;
            break;
        case MssidField::Key:
            field = Ed_Key;
            break;
        case MssidField::ConfirmKey:
            field = Ed_ConfirmKey;
            break;
        case MssidField::Interval:
            field = Ed_UpdateInterval;
            break;
        case MssidField::Passphrase:
            field = Ed_Passphrase;
            break;
        case MssidField::RadiusServer:
            field = Edt_RadiusServer;
            break;
        case MssidField::RadiusPort:
            field = Edt_RadiusPort;
            break;
        case MssidField::RadiusSecret:
            field = Edt_RadiusSecret;
            break;
        case MssidField::None:
            break;
    }
    if (!field) return;
    if (refusal.clearField) field->clear();
    if (refusal.focus) field->setFocus();
}

// ---- Rules ----------------------------------------------------------------------------------

QString TFM_MultiSSIDNewForm::SecurityDisplayName(const QString& authentication,
                                                  bool encryptionOn) {
    if (authentication == "opensystem") return encryptionOn ? "OpenSystem" : "None";
    static const std::pair<const char*, const char*> names[] = {
        {"wpa-psk", "WPA-Personal"},           {"wpa-eap", "WPA-Enterprise"},
        {"wpa2-psk", "WPA2-Personal"},         {"wpa2-eap", "WPA2-Enterprise"},
        {"wpa-auto-psk", "WPA-Auto-Personal"}, {"wpa-auto-eap", "WPA-Auto-Enterprise"}};
    for (const auto& [raw, shown] : names)
        if (authentication == raw) return shown;
    return {};
}

MssidSecurityChoices mssidSecurityChoices(int apMode, const QString& authentication) {
    struct Pair {
        const char* authentication;
        int security, wpa;
    };
    static const QStringList allWpa = {"AUTO(WPA or WPA2)", "WPA2 Only", "WPA Only"};
    static const std::vector<Pair> accessPoint = {
        {"opensystem", 0, 0}, {"sharedkey", 0, 0}, {"wpa-psk", 1, 2},      {"wpa-eap", 2, 2},
        {"wpa2-psk", 1, 1},   {"wpa2-eap", 2, 1},  {"wpa-auto-psk", 1, 0}, {"wpa-auto-eap", 2, 0}};
    static const std::vector<Pair> wdsWithAp = {
        {"opensystem", 0, 0}, {"sharedkey", 0, 0}, {"wpa2-psk", 1, 1}, {"wpa-auto-psk", 1, 0}};
    static const std::vector<Pair> wds = {{"opensystem", 0, 0},
                                          {"sharedkey", 0, 0},
                                          {"wpa-psk", 1, 2},
                                          {"wpa2-psk", 1, 1},
                                          {"wpa-auto-psk", 1, 0}};
    static const std::vector<Pair> client = {
        {"opensystem", 0, 0}, {"wpa-psk", 1, 2}, {"wpa2-psk", 1, 1}, {"wpa-auto-psk", 1, 0}};

    MssidSecurityChoices choices;
    choices.securityItems = {"Open System", "WPA-Personal"};
    choices.wpaItems = allWpa;
    const std::vector<Pair>* pairs = &accessPoint;
    switch (apMode) {
        case 1:
            pairs = &wdsWithAp;
            choices.wpaItems = {"AUTO(WPA or WPA2)", "WPA2 Only"};
            break;
        case 2:
            pairs = &wds;
            // Greyed, yet at the entry's own pair: Add maps it back in Access Point mode, so
            // an SSID added unchanged keeps its authentication.
            choices.wpaEnabled = false;
            break;
        case 3:
            pairs = &client;
            break;
        default:  // Access Point, and a mode the page could not read
            choices.securityItems << "WPA-Enterprise";
            break;
    }
    for (const Pair& pair : *pairs) {
        if (authentication != pair.authentication) continue;
        choices.securityIndex = pair.security;
        choices.wpaIndex = pair.wpa;
    }
    return choices;
}

QStringList mssidCipherItems(int apMode, int securityIndex) {
    if (securityIndex == 1)
        return apMode == 1 ? QStringList{"Auto", "AES"} : QStringList{"Auto", "AES", "TKIP"};
    if (securityIndex == 2 && apMode <= 0) return {"Auto", "AES", "TKIP"};
    return {};
}

std::optional<int> TFM_MultiSSIDNewForm::SecurityToAuthentication(int apMode, int securityIndex,
                                                                  int wpaIndex) {
    if (securityIndex == 0 && apMode <= 3) return 1;
    // WPA mode positions: 0 AUTO(WPA or WPA2), 1 WPA2 Only, 2 WPA Only.
    static const int personal[] = {8, 6, 4};
    static const int enterprise[] = {9, 7, 5};
    if (wpaIndex < 0 || wpaIndex > 2) return std::nullopt;
    const bool apOrWdsWithAp = apMode == 0 || apMode == 1;
    if (securityIndex == 1 && (apOrWdsWithAp || apMode == 3)) return personal[wpaIndex];
    if (securityIndex == 2 && apOrWdsWithAp) return enterprise[wpaIndex];
    if (securityIndex == 1 && apMode == 2 && wpaIndex == 0) return 6;
    return std::nullopt;
}

std::optional<int> TFM_MultiSSIDNewForm::CipherToRaw(const QString& cipher) {
    if (cipher == "Auto") return 1;
    if (cipher == "AES") return 2;
    if (cipher == "TKIP") return 3;
    return std::nullopt;
}

int mssidKeyLength(bool hex, bool bits128) {
    if (hex) return bits128 ? 26 : 10;
    return bits128 ? 13 : 5;
}

int TFM_MultiSSIDNewForm::KeySizeFromLength(bool hex, int keyLength) {
    return keyLength == mssidKeyLength(hex, true) ? 1 : 0;
}

bool TFM_MultiSSIDNewForm::IsMaskedText(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == '*'; });
}

bool TFM_MultiSSIDNewForm::IsHexText(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

namespace {

bool blankAtEnds(const QString& text) {
    return text.startsWith(' ') || text.endsWith(' ');
}

std::optional<MssidRefusal> checkWepKey(const MssidAddInput& in, bool& includeKey) {
    const int length = mssidKeyLength(in.hexKey, in.bits128);
    if (in.key.length() != length)
        return MssidRefusal{"Warning",
                            QString("The Length of the key in IEEE802.11g must be %1!").arg(length),
                            MssidField::Key, false, false};
    includeKey = !TFM_MultiSSIDNewForm::IsMaskedText(in.key);
    if (in.hexKey && includeKey && !TFM_MultiSSIDNewForm::IsHexText(in.key))
        return MssidRefusal{{}, "Please input  Hexadecimal digits!", MssidField::Key, false, true};
    if (blankAtEnds(in.key))
        return MssidRefusal{"Error", "The first character and last character can't be blank.",
                            MssidField::Key};
    if (in.confirmKey != in.key)
        return MssidRefusal{"Warning", "Please input the confirm new password correctly!",
                            MssidField::ConfirmKey};
    return std::nullopt;
}

std::optional<MssidRefusal> checkInterval(const QString& interval) {
    const QString range = "Please input a number between 300 and 9999999.";
    if (interval.isEmpty()) return MssidRefusal{"Warning", range, MssidField::Interval};
    const int seconds = interval.toInt();  // 0 when it is no whole number
    if (seconds < kIntervalMin || seconds > kIntervalMax)
        return MssidRefusal{"Error", range, MssidField::Interval, true, true};
    return std::nullopt;
}

std::optional<MssidRefusal> checkPassphrase(const MssidAddInput& in) {
    auto error = [](const char* text) {
        return MssidRefusal{"Error", text, MssidField::Passphrase};
    };
    if (in.passphrase.length() < 8) return error("The ComPassphrase length is between 8 and 63.");
    if (blankAtEnds(in.passphrase))
        return error("The first character and last character can't be blank.");
    if (in.passphrase.length() > kPassphraseMaxLength)
        return error("The max length of Passphrase is 63.");
    if (in.confirmPass != in.passphrase)
        return MssidRefusal{"Warning", "Please input the confirm new password correctly!",
                            MssidField::Passphrase};
    return std::nullopt;
}

std::optional<MssidRefusal> checkRadius(const MssidAddInput& in) {
    if (!TMainForm::IsValidIPAddress(in.radiusServer))
        return MssidRefusal{"Error", "The Radius server's IP is illegal.",
                            MssidField::RadiusServer};
    const int port = in.radiusPort.toInt();
    if (port < 1 || port > 65535)
        return MssidRefusal{"Error", "Please input a number between 1 and 65535.",
                            MssidField::RadiusPort};
    if (in.radiusSecret.isEmpty())
        return MssidRefusal{"Error", "The shared secret of radius server cannot be empty.",
                            MssidField::RadiusSecret};
    if (in.radiusSecret.length() > kSecretMaxLength)
        return MssidRefusal{"Error", "The max length of secret of radius server is 64.",
                            MssidField::RadiusSecret};
    return std::nullopt;
}

}  // namespace

MssidAddPlan planMssidAdd(const MssidAddInput& in) {
    using F = TFM_MultiSSIDNewForm;
    MssidAddPlan plan;
    auto warning = [](const char* text) { return MssidRefusal{"Warning", text, MssidField::Ssid}; };
    if (in.ssid.isEmpty())
        plan.refusal = warning("Please input SSID!");
    else if (in.ssid.startsWith(' '))
        plan.refusal = warning("The first character can't be blank!");
    else if (in.ssid.length() > kSsidMaxLength)
        plan.refusal = warning("The Max Length of SSID is 32!");
    if (plan.refusal) return plan;

    switch (in.securityIndex) {
        case 0:
            if (!in.encryptionOn) {
                plan.branch = MssidBranch::Open;
                plan.items = {F::kItemSsid, F::kItemSuppress, F::kItemAuthentication,
                              F::kItemEncryption, F::kItemWmm};
            } else {
                plan.branch = MssidBranch::Wep;
                plan.statesFirst = true;
                bool includeKey = false;
                plan.refusal = checkWepKey(in, includeKey);
                plan.items = {F::kItemSsid,       F::kItemSuppress,    F::kItemAuthentication,
                              F::kItemEncryption, F::kItemWepKeyIndex, F::kItemKeyType,
                              F::kItemWmm};
                if (includeKey) plan.items.push_back(F::kItemWepKey);
            }
            break;
        case 1:
            plan.branch = MssidBranch::WpaPersonal;
            plan.refusal = checkInterval(in.interval);
            if (!plan.refusal) plan.refusal = checkPassphrase(in);
            plan.items = {F::kItemSsid, F::kItemSuppress, F::kItemAuthentication,
                          F::kItemWmm,  F::kItemCipher,   F::kItemInterval};
            if (in.passphrase != in.loadedPassphrase) plan.items.push_back(F::kItemPassphrase);
            break;
        case 2:
            plan.branch = MssidBranch::WpaEnterprise;
            plan.refusal = checkInterval(in.interval);
            if (!plan.refusal) plan.refusal = checkRadius(in);
            plan.items = {F::kItemRadiusServer, F::kItemRadiusPort,     F::kItemSsid,
                          F::kItemSuppress,     F::kItemAuthentication, F::kItemWmm,
                          F::kItemCipher,       F::kItemInterval};
            if (in.radiusSecret != in.loadedSecret) plan.items.push_back(F::kItemRadiusSecret);
            break;
        default:
            return plan;
    }
    if (in.prioritySupported) plan.items.push_back(F::kItemPriority);
    return plan;
}
