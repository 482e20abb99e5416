#include "pages/tools/Admin2.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "app/Main.h"
#include "app/MibEnumerationLists.h"
#include "app/Newrequest.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_Admin2* FM_Admin2 = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
using Lists = MibEnumerationLists;

const CvSNMPVarItem applySettingTable[] = {
    mibItem(E + ".4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE, &Lists::NothingApply),
    {},
};

const CvSNMPVarItem managerStateTable[] = {
    mibItem(E + ".4.10.1.1", "managerIpAddressStatus", SYN_INTEGER, ACC_READWRITE,
            &Lists::ManagerIpStatus),
    mibItem(E + ".4.10.3", "manergeVLANTag", SYN_INTEGER, ACC_READWRITE),
    {},
};

const CvSNMPVarItem consoleTable[] = {
    mibItem(E + ".4.4.1.0", "telnet", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(E + ".4.4.2.0", "ssh", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    {},
};

const CvSNMPVarItem consoleTimeoutTable[] = {
    mibItem(E + ".4.4.3", "timeout", SYN_INTEGER, ACC_READWRITE, &Lists::ConsoleTimeout),
    {},
};

const CvSNMPVarItem systemNameTable[] = {
    mibItem("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem("1.3.6.1.2.1.1.6", "systemLocation", SYN_DISPLAYSTRING, ACC_READWRITE),
    {},
};

const CvSNMPVarItem loginTable[] = {
    mibItem(E + ".4.1.1.1.2.1", "usersName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".4.1.1.1.3.1", "usersPassword", SYN_DISPLAYSTRING, ACC_READWRITE),
    {},
};

const CvSNMPVarItem ipRangesTable[] = {
    mibItem(E + ".4.10.1.4.1.1", "managerIpAddressIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
    mibItem(E + ".4.10.1.4.1.3", "managerIpAddressPoolStart", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".4.10.1.4.1.4", "managerIpAddressPoolEnd", SYN_IPADDRESS, ACC_READWRITE),
    {},
};

// The same table under the column titles the user sees.
const CvSNMPVarItem ipRangeListTable[] = {
    mibItem(E + ".4.10.1.4.1.1", "Index", SYN_INTEGER, ACC_NOTACCESSIBLE),
    mibItem(E + ".4.10.1.4.1.3", "Start", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".4.10.1.4.1.4", "End", SYN_IPADDRESS, ACC_READWRITE),
    {},
};

const CvSNMPVarItem managerDeleteTable[] = {
    mibItem(E + ".4.10.1.3", "managerDelete", SYN_INTEGER, ACC_READWRITE),
    {},
};

constexpr int kTimeout = 10000;
constexpr int kStateItem = 0, kVlanTagItem = 1;
constexpr int kTelnetItem = 0, kSshItem = 1, kTimeoutItem = 0;
constexpr int kVidLength = 4;
constexpr int kSystemTextLength = 32;
constexpr int kMaxRanges = 4;
const QString kFreeAddress = "0.0.0.0";

int sentOrRead(bool sent) {
    return sent ? ACC_READWRITE : ACC_READONLY;
}

// Whether a set of these items would carry any value: an empty one is not sent.
bool carriesItem(const CvSNMPVarList& items) {
    for (int item = 0; item < items.Count(); ++item)
        if (isSendable(items.GetItem(item))) return true;
    return false;
}

using Known = CvSNMPRequest2Edits;

// The start and end texts of each row of a range list.
std::vector<RangeRow> rangeRows(const CvListView* list) {
    std::vector<RangeRow> rows;
    for (int row = 0; row < list->RowCount(); ++row)
        rows.emplace_back(list->SubItem(row, 0), list->SubItem(row, 1));
    return rows;
}

CvEdit* passwordEdit(QWidget* parent) {
    auto* edit = new CvEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet("lineedit-password-character: 42");  // "*"
    return edit;
}

QGridLayout* groupGrid(QGroupBox* group) {
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    return grid;
}

void warn(QWidget* page, const QString& caption, const QString& text) {
    platform::ui().messageBox(page, caption, text, platform::BoxButtons::Ok);
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

RadioGroup::RadioGroup(const QStringList& items, QWidget* parent) : QGroupBox(parent) {
    buttons_ = new QButtonGroup(this);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 4, 8, 4);
    for (int index = 0; index < items.size(); ++index) {
        auto* button = new QRadioButton(items[index], this);
        buttons_->addButton(button, index);
        columns->addWidget(button);
    }
}

int RadioGroup::ItemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index) {
    // An exclusive group cannot be left without a checked button, so it lets go for a moment.
    buttons_->setExclusive(false);
    for (QAbstractButton* button : buttons_->buttons())
        button->setChecked(buttons_->id(button) == index);
    buttons_->setExclusive(true);
}

TFM_Admin2::TFM_Admin2(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_Admin2::~TFM_Admin2() = default;

void TFM_Admin2::buildControls() {
    setWindowTitle("Tools \\ Administrator Settings");
    setSingleBorder(this);

    QFrame* body = makePanel(this);
    auto* whole = new QVBoxLayout(body);
    LB_AdminSet = new QLabel("    Administrator Settings ", body);
    QFont bold = LB_AdminSet->font();
    bold.setBold(true);
    LB_AdminSet->setFont(bold);
    whole->addWidget(LB_AdminSet);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildLogin());
    left->addWidget(buildConsole());
    left->addWidget(buildSystemName());
    left->addStretch(1);
    // One caption column across the groups on the left, so that their controls line up.
    int captionWidth = 0;
    for (QLabel* caption : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8})
        captionWidth = std::max(captionWidth, caption->sizeHint().width());
    for (QGroupBox* group : {GroupBox1, GroupBox3, GroupBox5})
        static_cast<QGridLayout*>(group->layout())->setColumnMinimumWidth(0, captionWidth);
    columns->addLayout(left);
    columns->addWidget(buildLimits());
    whole->addLayout(columns);
    // The trap settings are never shown; being hidden, the group takes no room, so the buttons
    // sit that much higher and the window is that much lower.
    GroupBox4 = new QGroupBox("Trap", body);
    GroupBox4->hide();
    buildHidden();

    OK = new QPushButton("Save", this);
    Cancel = new QPushButton("Cancel", this);
    StatusBar = new CvStatusBar(this);
    opening_.attach(StatusBar);
    ranges_.attach(StatusBar);
    layOutPage(this, body, {OK, Cancel}, StatusBar);
    centreOnMainWindow(this);

    // A limit box the user clicked holds a choice, whatever the state read gave it.
    connectGuarded(CheckBox_VID, &QCheckBox::clicked, StatusBar, [this] {
        Known::MarkChosen(CheckBox_VID);
        CheckBox_VIDClick();
    });
    connectGuarded(CkBx_ManagerState, &QCheckBox::clicked, StatusBar, [this] {
        Known::MarkChosen(CkBx_ManagerState);
        CkBx_ManagerStateClick();
    });
    // The new password is the user's only when typed: the page fills it with the one it read.
    for (CvEdit* password : {Ed_NPwd, Ed_CNP})
        connect(password, &QLineEdit::textEdited, password,
                [password] { Known::MarkChosen(password); });
    connectGuarded(ListView_User, &CvListView::cellClicked, StatusBar,
                   [this] { ListView_UserClick(); });
    connectGuarded(ListView_User, &CvListView::SelectionCleared, StatusBar,
                   [this] { ListView_UserClick(); });
    connectGuarded(RadioGroup1->Buttons(), &QButtonGroup::idClicked, StatusBar,
                   [this] { RadioGroup1Click(); });
    connectGuarded(Btn_Add, &QPushButton::clicked, StatusBar, [this] { Btn_AddClick(); });
    connectGuarded(Btn_Del, &QPushButton::clicked, StatusBar, [this] { Btn_DelClick(); });
    connectGuarded(OK, &QPushButton::clicked, StatusBar, [this] { OKClick(); });
    connectGuarded(Cancel, &QPushButton::clicked, StatusBar, [this] { CancelClick(); });
}

QWidget* TFM_Admin2::buildLogin() {
    GroupBox1 = new QGroupBox(" Login", this);
    auto* grid = groupGrid(GroupBox1);
    Ed_Usr = new CvEdit(GroupBox1);
    Ed_OPwd = passwordEdit(GroupBox1);
    Ed_NPwd = passwordEdit(GroupBox1);
    Ed_CNP = passwordEdit(GroupBox1);
    Label1 = addRow(grid, "User Name", Ed_Usr);
    Label2 = addRow(grid, "Old Password", Ed_OPwd);
    Label3 = addRow(grid, "New Password", Ed_NPwd);
    Label4 = addRow(grid, "Confirm New Password", Ed_CNP);
    return GroupBox1;
}

QWidget* TFM_Admin2::buildConsole() {
    GroupBox3 = new QGroupBox("Console", this);
    auto* grid = groupGrid(GroupBox3);
    RadioGroup1 = new RadioGroup({"None", "Telnet", "SSH"}, GroupBox3);
    CB_Timeout = new QComboBox(GroupBox3);
    Label7 = addRow(grid, "Console Protocol", RadioGroup1);
    Label8 = addRow(grid, "Timeout", CB_Timeout);
    return GroupBox3;
}

QWidget* TFM_Admin2::buildSystemName() {
    GroupBox5 = new QGroupBox("System Name Settings ", this);
    auto* grid = groupGrid(GroupBox5);
    Ed_SysName = new CvEdit(GroupBox5);
    Ed_Location = new CvEdit(GroupBox5);
    Label5 = addRow(grid, "System Name  ", Ed_SysName);
    Label6 = addRow(grid, "Location ", Ed_Location);
    return GroupBox5;
}

QWidget* TFM_Admin2::buildLimits() {
    GroupBox2 = new QGroupBox(" Limit Administrator IP ", this);
    auto* rows = new QVBoxLayout(GroupBox2);
    CheckBox_VID = new QCheckBox("Limit Administrator VID", GroupBox2);
    Ed_VID = new CvEdit(GroupBox2);
    Ed_VID->setFixedWidth(Ed_VID->fontMetrics().horizontalAdvance("00000") + 16);
    auto* vidRow = new QHBoxLayout;
    vidRow->addWidget(CheckBox_VID);
    vidRow->addWidget(Ed_VID);
    vidRow->addStretch(1);
    rows->addLayout(vidRow);
    CkBx_ManagerState = new QCheckBox("Limit Administrator IP", GroupBox2);
    rows->addWidget(CkBx_ManagerState);
    Label_iprange = new QLabel("IP Range", GroupBox2);
    rows->addWidget(Label_iprange);

    Label_from = new QLabel("From:", GroupBox2);
    Label_to = new QLabel("To:", GroupBox2);
    Ed_FromIP = new CvEdit(GroupBox2);
    Ed_ToIP = new CvEdit(GroupBox2);
    Btn_Add = new QPushButton("Add", GroupBox2);
    auto* rangeRow = new QHBoxLayout;
    for (QWidget* control :
         std::initializer_list<QWidget*>{Label_from, Ed_FromIP, Label_to, Ed_ToIP, Btn_Add})
        rangeRow->addWidget(control);
    for (CvEdit* address : {Ed_FromIP, Ed_ToIP})
        address->setMinimumWidth(address->fontMetrics().horizontalAdvance("000.000.000.000 "));
    rows->addLayout(rangeRow);

    ListView_User = new CvListView(GroupBox2);
    ListView_User->setMinimumHeight(140);
    rows->addWidget(ListView_User, 1);
    Btn_Del = new QPushButton("Delete", GroupBox2);
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addStretch(1);
    deleteRow->addWidget(Btn_Del);
    rows->addLayout(deleteRow);
    for (QPushButton* button : {Btn_Add, Btn_Del}) button->setAutoDefault(false);
    return GroupBox2;
}

void TFM_Admin2::buildHidden() {
    ListView_IpRange = new CvListView(this);
    LA_Index = new QLabel(this);
    Ed_From = new CvEdit(this);
    Ed_To = new CvEdit(this);
    Ed_Delete = new CvEdit(this);
    NetMask = new CvEdit(this);
    NetMask->setText("255.255.255.0");
    Ed_Pwd = new CvEdit(this);
    for (QWidget* hidden : std::initializer_list<QWidget*>{ListView_IpRange, LA_Index, Ed_From,
                                                           Ed_To, Ed_Delete, NetMask, Ed_Pwd})
        hidden->hide();
    CB_managerIpAddressStatus = makeHiddenCombo(this);
    CB_Telnet = makeHiddenCombo(this);
    CB_SHH = makeHiddenCombo(this);
    CB_DeviceApplySetting = makeHiddenCombo(this);
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_Admin2::FormCreate() {
    opening_.begin();
    try {
        buildRequests();
        opening_.showFailure();
    } catch (const std::exception& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
    }
    SetInputLimits();
    ClearIpRangeInput();
    const int choice = consoleChoice(CB_Telnet->currentIndex(), CB_SHH->currentIndex());
    RadioGroup1->SetItemIndex(choice);
    if (choice >= 0) CB_Timeout->setEnabled(consoleSetting(choice).timeoutSent);
    CkBx_ManagerStateClick();
    for (CvEdit* password : {Ed_OPwd, Ed_NPwd, Ed_CNP}) password->SetText(Ed_Pwd->text());
    limitTyping(Ed_VID, kVidLength);
}

void TFM_Admin2::buildRequests() {
    reqApplySetting = makeRequest(this, applySettingTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqApplySetting->AssociateComboBox(0, CB_DeviceApplySetting);

    reqManagerState = makeRequest(this, managerStateTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqManagerState->AssociateComboBox(kStateItem, CB_managerIpAddressStatus);
    reqManagerState->AssociateEdit(kVlanTagItem, "%s", Ed_VID);
    opening_.watch({reqManagerState.get()});
    reqManagerState->Get();
    StateToCheckBoxes();
    CheckBox_VIDClick();

    reqConsole = makeRequest(this, consoleTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqConsole->AssociateComboBox(kTelnetItem, CB_Telnet);
    reqConsole->AssociateComboBox(kSshItem, CB_SHH);
    opening_.watch({reqConsole.get()});
    reqConsole->Get();

    reqConsoleTimeout = makeRequest(this, consoleTimeoutTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqConsoleTimeout->AssociateComboBox(kTimeoutItem, CB_Timeout);
    opening_.watch({reqConsoleTimeout.get()});
    reqConsoleTimeout->Get();

    reqSystemName = makeRequest(this, systemNameTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqSystemName->AssociateEdit(0, "%s", Ed_SysName);
    reqSystemName->AssociateEdit(1, "%s", Ed_Location);
    opening_.watch({reqSystemName.get()});
    reqSystemName->Get();

    reqLogin = makeRequest(this, loginTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqLogin->AssociateEdit(0, "%s", Ed_Usr);
    reqLogin->AssociateEdit(1, "%s", Ed_Pwd);
    opening_.watch({reqLogin.get()});
    reqLogin->Get();

    reqIpRanges = makeRequest(this, ipRangesTable, MVT_UMV, 1, kAsynchronous, kTimeout);
    reqIpRanges->AssociateListView(ListView_IpRange, true);
    reqIpRanges->AssociateLabel(0, LA_Index);
    reqIpRanges->AssociateEdit(1, "%s", Ed_From);
    reqIpRanges->AssociateEdit(2, "%s", Ed_To);
    reqIpRanges->AfterGetHook = AdminIpRangesAfterGet;
    reqIpRanges->AfterSetHook = AdminIpRangesAfterSet;
    reqIpRanges->SetLogTarget(StatusBar);
    // A refusal, a time-out or a failed read of the lists reaches only these closures.
    reqIpRanges->OnAfterSet = [this](CvSNMPRequest2Controls*, const CvSNMPError& result) {
        ranges_.fail(result);
    };
    reqIpRanges->OnAfterGet = [this](CvSNMPRequest2Controls*, const CvSNMPError& result) {
        if (!ranges_.fail(result)) rangeTableRead_ = true;
    };
    reqIpRanges->Get();

    reqIpRangeList =
        makeRequest<New_req2Edit>(this, ipRangeListTable, MVT_UMV, 1, kAsynchronous, kTimeout);
    reqIpRangeList->PlaceHolder = kFreeAddress.toStdString();
    reqIpRangeList->KeyColumn = 1;
    reqIpRangeList->RowCounter = 1;
    reqIpRangeList->AssociateListView(ListView_User, true);
    reqIpRangeList->OnAfterGet = [this](CvSNMPRequest2Controls*, const CvSNMPError& result) {
        ranges_.fail(result);
    };
    reqIpRangeList->Get();

    reqManagerDelete = makeRequest(this, managerDeleteTable, SVT_SV, 0, kAsynchronous, kTimeout);
    reqManagerDelete->AssociateEdit(0, "%s", Ed_Delete);
    reqManagerDelete->OnAfterSet = [this](CvSNMPRequest2Controls* sender,
                                          const CvSNMPError& error) {
        OnManagerDeleteDone(sender, error);
    };
    reqManagerDelete->SetLogTarget(StatusBar);
}

void TFM_Admin2::SetInputLimits() {
    for (CvEdit* text : {Ed_Usr, Ed_OPwd, Ed_NPwd, Ed_CNP}) limitTyping(text, kAdminTextMaxLength);
    for (CvEdit* text : {Ed_SysName, Ed_Location}) limitTyping(text, kSystemTextLength);
}

void TFM_Admin2::ClearIpRangeInput() {
    Ed_FromIP->clear();
    Ed_ToIP->clear();
    Btn_Del->setEnabled(false);
}

void TFM_Admin2::StateToCheckBoxes() {
    const auto [vid, ip] = limitChecks(CB_managerIpAddressStatus->currentIndex());
    CheckBox_VID->setChecked(vid);
    CkBx_ManagerState->setChecked(ip);
    const bool read = Known::IsKnown(CB_managerIpAddressStatus);
    for (QCheckBox* limit : {CheckBox_VID, CkBx_ManagerState}) Known::MarkDerived(limit, read);
}

// A state computed from a box that was neither read nor clicked would lift or set a limit the
// device has otherwise.
void TFM_Admin2::CheckBoxesToState() {
    CB_managerIpAddressStatus->setCurrentIndex(
        limitState(CheckBox_VID->isChecked(), CkBx_ManagerState->isChecked()));
    Known::MarkDerived(CB_managerIpAddressStatus,
                       Known::IsKnown(CheckBox_VID) && Known::IsKnown(CkBx_ManagerState));
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Admin2::CheckBox_VIDClick() {
    Ed_VID->setEnabled(CheckBox_VID->isChecked());
}

void TFM_Admin2::CkBx_ManagerStateClick() {
    const bool limited = CkBx_ManagerState->isChecked();
    for (QWidget* input : std::initializer_list<QWidget*>{Ed_FromIP, Ed_ToIP, Btn_Add})
        input->setEnabled(limited);
}

void TFM_Admin2::ListView_UserClick() {
    const bool selected = ListView_User->SelectedRow() >= 0;
    Btn_Del->setEnabled(selected);
    if (selected) CkBx_ManagerStateClick();
}

void TFM_Admin2::RadioGroup1Click() {
    const int choice = RadioGroup1->ItemIndex();
    if (choice < 0) return;
    const ConsoleSetting setting = consoleSetting(choice);
    CB_Telnet->setCurrentIndex(setting.telnetIndex);
    CB_SHH->setCurrentIndex(setting.sshIndex);
    CB_Timeout->setEnabled(setting.timeoutSent);
}

void TFM_Admin2::CancelClick() {
    close();
}

void TFM_Admin2::OKClick() {
    // A failed read at creation can leave requests unbuilt; then nothing can be saved.
    if (!reqConsole || !reqConsoleTimeout || !reqLogin || !reqSystemName || !reqManagerState)
        return;
    if (refuseSave()) return;

    Ed_Pwd->SetText(Ed_NPwd->text());
    // A password that was never read goes out only as one the user typed.
    Known::MarkDerived(Ed_Pwd,
                       Known::IsKnown(Ed_Pwd) || Known::IsKnown(Ed_NPwd) || Known::IsKnown(Ed_CNP));
    const int choice = RadioGroup1->ItemIndex();
    if (choice >= 0) {
        const ConsoleSetting setting = consoleSetting(choice);
        reqConsole->VarList.GetItem(kTelnetItem).access = sentOrRead(setting.telnetSent);
        reqConsole->VarList.GetItem(kSshItem).access = sentOrRead(setting.sshSent);
        reqConsoleTimeout->VarList.GetItem(kTimeoutItem).access = sentOrRead(setting.timeoutSent);
    }
    CheckBoxesToState();
    reqManagerState->VarList.GetItem(kStateItem).access = ACC_READWRITE;
    reqManagerState->VarList.GetItem(kVlanTagItem).access =
        CheckBox_VID->isChecked() ? ACC_READWRITE : ACC_INVALID;
    bool saved = true, withheld = false;
    for (CvSNMPRequest2Edits* request : {reqConsole.get(), reqConsoleTimeout.get(), reqLogin.get(),
                                         reqSystemName.get(), reqManagerState.get()}) {
        if (!carriesItem(request->VarList)) continue;
        saved = setRequest(request, StatusBar, true) && saved;
        withheld = withheld || request->Withheld();
    }
    if (!saved) {
        // The user must learn that a value was kept back, not that a set went wrong.
        StatusBar->ShowText(withheld ? unreadText() : "Setting Error!");
        return;
    }
    ClearIpRangeInput();
    reqConsole->Get();
    StatusBar->ShowText("Set OK!");
}

// Shows why Save refuses, if it does, and leaves the edits as the refusal says.
bool TFM_Admin2::refuseSave() {
    const AdminRefusal refusal =
        adminSaveRefusal({CheckBox_VID->isChecked(), Ed_VID->text(), Ed_OPwd->text(),
                          Ed_Pwd->text(), Ed_Usr->text(), Ed_NPwd->text(), Ed_CNP->text()});
    if (refusal == AdminRefusal::None) return false;
    warn(this, "Warning", adminRefusalMessage(refusal));
    switch (refusal) {
        case AdminRefusal::Vid:
            Ed_VID->clear();
            replaceTypingLimit(Ed_VID, kVidLength);
            Ed_VID->setFocus();
            break;
        case AdminRefusal::NoUserName:
        case AdminRefusal::LongUserName:
        case AdminRefusal::BadUserName:
            Ed_Usr->clear();
            ClearIpRangeInput();
            Ed_Usr->setFocus();
            break;
        case AdminRefusal::LongPassword:
            Ed_NPwd->clear();
            [[fallthrough]];
        case AdminRefusal::Confirmation:
            ClearIpRangeInput();
            Ed_NPwd->setFocus();
            break;
        case AdminRefusal::OldPassword:
        case AdminRefusal::None:
            break;
    }
    return true;
}

void TFM_Admin2::Btn_AddClick() {
    if (ListView_User->RowCount() >= kMaxRanges) {
        warn(this, "Waring", "Maximum number of IP Range List is 4!!");
        Ed_FromIP->clear();
        Ed_ToIP->clear();
        return;
    }
    for (CvEdit* address : {Ed_FromIP, Ed_ToIP}) {
        if (TMainForm::IsValidIPAddress(address->text())) continue;
        warn(this, "Waring", "Please input valid IP address");
        address->clear();
        address->setFocus();
        return;
    }
    if (IpTextToInt(Ed_FromIP) > IpTextToInt(Ed_ToIP)) {
        warn(this, "Warning", "Invalid IP address range for Administrator!");
        Ed_FromIP->setFocus();
        return;
    }
    // The duplicate check and the free row both come from the range table.
    if (!rangeTableRead_) {
        ranges_.begin();
        StatusBar->ShowText(unreadText());
        return;
    }
    const AddRowChoice choice =
        chooseAddRow(rangeRows(ListView_IpRange), Ed_FromIP->text(), Ed_ToIP->text());
    if (choice.duplicate) {
        warn(this, "Warning", "The same IP range has been added");
        Ed_FromIP->setFocus();
        return;
    }
    if (choice.row >= 0) {
        ListView_IpRange->SelectRow(choice.row);
        Ed_From->SetText(Ed_FromIP->text());
        Ed_To->SetText(Ed_ToIP->text());
        for (CvEdit* typed : {Ed_From, Ed_To}) Known::MarkChosen(typed);
    }
    if (NetworkAddressText(Ed_FromIP->text(), NetMask->text()) !=
        NetworkAddressText(Ed_ToIP->text(), NetMask->text())) {
        warn(this, "Warning", "The Two IP address is not in the same subnet,Please check...");
        Ed_FromIP->setFocus();
        return;
    }
    ranges_.begin();
    // Without a free row the selected row would be written, overwriting a range in use.
    const bool sent =
        choice.row >= 0 && reqIpRanges && setRequest(reqIpRanges.get(), StatusBar, true);
    if (!sent) {
        StatusBar->ShowText("Setting Error!");
        return;
    }
    Ed_FromIP->clear();
    Ed_ToIP->clear();
    ranges_.showOk("Set OK!", {reqIpRanges.get()});
}

void TFM_Admin2::Btn_DelClick() {
    const int selected = ListView_User->SelectedRow();
    if (selected < 0) return;
    // A late answer to an earlier Add or Delete no longer speaks for the panel.
    ranges_.begin();
    // The row's index comes from the range table.
    if (!rangeTableRead_) {
        StatusBar->ShowText(unreadText());
        return;
    }
    const int row = findRangeRow(rangeRows(ListView_IpRange), ListView_User->SubItem(selected, 0),
                                 ListView_User->SubItem(selected, 1));
    // Only the row found may be deleted: an index left from an earlier delete names another one.
    if (row < 0 || !reqManagerDelete) {
        StatusBar->ShowText("Delete Error!");
        return;
    }
    ListView_IpRange->SelectRow(row);
    Ed_Delete->SetText(LA_Index->text());
    Known::MarkChosen(Ed_Delete);
    if (!setRequest(reqManagerDelete.get(), StatusBar, false)) {
        StatusBar->ShowText("Delete Error!");
        return;
    }
    ranges_.showOk("Delete OK!", {reqManagerDelete.get()});
}

void TFM_Admin2::OnManagerDeleteDone(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    if (!ranges_.fail(error)) ReloadIpRanges();
}

void TFM_Admin2::ReloadIpRanges() {
    if (reqIpRanges) reqIpRanges->Get();
    if (reqIpRangeList) {
        reqIpRangeList->RowCounter = 1;
        reqIpRangeList->PlaceHolder = kFreeAddress.toStdString();
        reqIpRangeList->KeyColumn = 1;
        reqIpRangeList->Get();
    }
}

void AdminIpRangesAfterSet() {
    if (FM_Admin2) FM_Admin2->ReloadIpRanges();
}

void AdminIpRangesAfterGet() {}

// ---- Rules ----------------------------------------------------------------------------------

uint32_t TFM_Admin2::IpTextToInt(const QLineEdit* edit) {
    return IpStrToInt(edit->text());
}

namespace {
// An octet's value; 0 for a text that is not a number.
long long octetValue(const QString& text) {
    bool number = false;
    const long long value = text.toLongLong(&number);
    return number ? value : 0;
}
}  // namespace

uint32_t TFM_Admin2::IpStrToInt(const QString& text) {
    uint32_t value = 0;
    QString octet;
    for (const QChar character : text) {
        if (character != '.') {
            octet += character;
            continue;
        }
        value = (value + static_cast<uint32_t>(octetValue(octet))) << 8;
        octet.clear();
    }
    return value + static_cast<uint32_t>(octetValue(octet));
}

QString TFM_Admin2::NetworkAddressText(const QString& address, const QString& mask) {
    const QStringList addressParts = address.split('.');
    const QStringList maskParts = mask.split('.');
    QStringList network;
    for (int octet = 0; octet < 3; ++octet)
        network << QString::number(octetValue(addressParts.value(octet)) &
                                   octetValue(maskParts.value(octet)));
    network << "0";
    return network.join('.');
}

bool TFM_Admin2::IsValidUserName(const QString& name) {
    for (const QChar character : name) {
        const char16_t c = character.unicode();
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '@' || c == '.' || c == '_' || c == '-';
        if (!allowed) return false;
    }
    return true;
}

AdminRefusal adminSaveRefusal(const AdminSaveInput& input) {
    if (input.vidChecked) {
        bool number = false;
        const int vid = input.vid.toInt(&number);
        if (!number || vid < 1 || vid > 4094) return AdminRefusal::Vid;
    }
    if (input.oldPassword != input.devicePassword) return AdminRefusal::OldPassword;
    if (input.userName.isEmpty()) return AdminRefusal::NoUserName;
    if (input.userName.size() > kAdminTextMaxLength) return AdminRefusal::LongUserName;
    if (!TFM_Admin2::IsValidUserName(input.userName)) return AdminRefusal::BadUserName;
    if (input.newPassword.size() > kAdminTextMaxLength) return AdminRefusal::LongPassword;
    if (input.confirmation != input.newPassword) return AdminRefusal::Confirmation;
    return AdminRefusal::None;
}

QString adminRefusalMessage(AdminRefusal refusal) {
    switch (refusal) {
        case AdminRefusal::Vid:
            return "The VID value range is 1~4094.";
        case AdminRefusal::OldPassword:
            return "Please input the current password correctly!";
        case AdminRefusal::NoUserName:
            return "Please input the login name!";
        case AdminRefusal::LongUserName:
            return "Please limit user name to 64 characters!";
        case AdminRefusal::BadUserName:
            return "Invaild UserName!";
        case AdminRefusal::LongPassword:
            return "Please limit password to 64 characters!";
        case AdminRefusal::Confirmation:
            return "Please input the confirm new password correctly!";
        case AdminRefusal::None:
            break;
    }
    return {};
}

int consoleChoice(int telnetIndex, int sshIndex) {
    if (telnetIndex == 0 && sshIndex == 0) return 0;
    if (telnetIndex == 1 && sshIndex == 0) return 1;
    if (telnetIndex == 0 && sshIndex == 1) return 2;
    return -1;
}

ConsoleSetting consoleSetting(int choice) {
    switch (choice) {
        case 1:
            return {1, 0, true, false, true};
        case 2:
            return {0, 1, false, true, true};
        default:
            return {0, 0, true, true, false};
    }
}

int limitState(bool vidChecked, bool ipChecked) {
    return (vidChecked ? 1 : 0) + (ipChecked ? 2 : 0);
}

std::pair<bool, bool> limitChecks(int state) {
    return {state == 1 || state == 3, state == 2 || state == 3};
}

AddRowChoice chooseAddRow(const std::vector<RangeRow>& rows, const QString& from,
                          const QString& to) {
    const uint32_t first = TFM_Admin2::IpStrToInt(from), last = TFM_Admin2::IpStrToInt(to);
    for (size_t row = 0; row < rows.size(); ++row) {
        const auto& [start, end] = rows[row];
        if (TFM_Admin2::IpStrToInt(start) == first && TFM_Admin2::IpStrToInt(end) == last)
            return {true, -1};
        if (start == kFreeAddress && end == kFreeAddress) return {false, static_cast<int>(row)};
    }
    return {};
}

int findRangeRow(const std::vector<RangeRow>& rows, const QString& start, const QString& end) {
    for (size_t row = 0; row < rows.size(); ++row)
        if (rows[row].first == start && rows[row].second == end) return static_cast<int>(row);
    return -1;
}
