#include "pages/advanced/Group.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MibEnumerationLists.h"
#include "app/Wait.h"
#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Performace.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_Group* FM_Group = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem userLimitTable[] = {
    mibItem(E + ".3.2.1.1.1.1", "dot11UserLimitStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(E + ".3.2.1.1.2.1", "UserLimit(0-64)", SYN_INTEGER, ACC_READWRITE),
    {},
};

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::ApMode),
    {},
};

const CvSNMPVarItem applyTable[] = {
    mibItem(E + ".4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingApply),
    {},
};

constexpr int kUserLimitLength = 2;
constexpr int kApply = 1;

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Group::TFM_Group(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_Group::~TFM_Group() = default;

void TFM_Group::buildControls() {
    setWindowTitle("Advanced \\ Grouping");
    setSingleBorder(this);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    Label1 = new QLabel("AP Grouping Settings:(For AP Mode Only)", body);
    column->addWidget(Label1);
    QFrame* panel = makePanel(body);
    column->addWidget(panel);
    auto* rows = makeRowGrid(panel);
    CB_LoadB = new QComboBox(panel);
    addRow(rows, "Load Balance", CB_LoadB);
    addEditRow(rows, "User Limit (0-64)", Ed_UsrL);

    CB_APMode = makeHiddenCombo(this);
    CB_DeviceApplySetting = makeHiddenCombo(this);
    Bt_Apply = new QPushButton("Apply", this);
    Bt_Refresh = new QPushButton("Refresh", this);
    Bt_Cancel = new QPushButton("Cancel", this);
    StatusBar = new CvStatusBar(this);
    layOutPage(this, body, {Bt_Apply, Bt_Refresh, Bt_Cancel}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(Bt_Apply, &QPushButton::clicked, StatusBar, [this] { Bt_ApplyClick(); });
    connectGuarded(Bt_Refresh, &QPushButton::clicked, StatusBar, [this] { Bt_RefreshClick(); });
    connectGuarded(Bt_Cancel, &QPushButton::clicked, StatusBar, [this] { Bt_CancelClick(); });
    connectGuarded(CB_LoadB, &QComboBox::activated, StatusBar, [this] { CB_LoadBChange(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_Group::FormCreate() {
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
    }
    limitTyping(Ed_UsrL, kUserLimitLength);
    UpdateControls();
}

void TFM_Group::buildRequests() {
    reqUserLimit = makeRequest(this, userLimitTable, MVT_SV, 0, kSynchronous, 100);
    reqUserLimit->AssociateComboBox(0, CB_LoadB);
    reqUserLimit->AssociateEdit(1, "%s", Ed_UsrL);
    reqUserLimit->SetLogTarget(StatusBar);
    reqUserLimit->Get();

    reqApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, 100);
    reqApMode->AssociateComboBox(0, CB_APMode);
    reqApMode->Get();

    reqApply = makeRequest(this, applyTable, SVT_SV, 0, kSynchronous, 1000);
    reqApply->AssociateComboBox(0, CB_DeviceApplySetting);
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Group::CB_LoadBChange() {
    UpdateControls();
}

void TFM_Group::Bt_CancelClick() {
    close();
}

void TFM_Group::Bt_RefreshClick() {
    if (reqUserLimit) reqUserLimit->Get();
    if (reqApMode) reqApMode->Get();
    UpdateControls();
}

void TFM_Group::Bt_ApplyClick() {
    // Not marked as chosen: a field that no read filled and nobody typed in stays out of the set
    // instead of going out as 0.
    if (Ed_UsrL->text().isEmpty()) Ed_UsrL->SetText("0");
    if (!wholeNumberIn(Ed_UsrL->text(), 0, 64)) {
        platform::ui().messageBox(this, "Error", "Please input a number between 0 and 64.",
                                  platform::BoxButtons::Ok);
        Ed_UsrL->clear();
        return;
    }
    CB_DeviceApplySetting->setCurrentIndex(kApply);

    auto waiting = std::make_unique<TFM_Waiting>(nullptr);
    waiting->Label2->setText("Please wait...");
    waiting->Label3->setText("The settings are saving and taking effect.");
    waiting->Reboot = false;
    waiting->Show();

    setEnabled(false);
    const bool limitSet = setRequest(reqUserLimit.get(), StatusBar, false);
    const bool withheld = reqUserLimit && reqUserLimit->Withheld();
    // The apply goes out even when the limit was refused, as the device expects it after a save.
    const bool applied = setRequest(reqApply.get(), StatusBar, false);
    waiting.reset();
    setEnabled(true);
    // setRequest has shown why a value was left out; no text of the page's covers it.
    if (!withheld) StatusBar->ShowText(limitSet && applied ? "Setting OK!" : "Setting Error!");
}

// ---- Rules ----------------------------------------------------------------------------------

void TFM_Group::UpdateControls() {
    const GroupEnabling enabling =
        groupEnabling(CB_APMode->currentIndex(), CB_LoadB->currentIndex());
    CB_LoadB->setEnabled(enabling.loadBalance);
    paintUsable(CB_LoadB, enabling.loadBalance);
    Ed_UsrL->setReadOnly(!enabling.userLimit);
    paintUsable(Ed_UsrL, enabling.userLimit);
}

GroupEnabling groupEnabling(int apMode, int loadBalance) {
    return {apMode == 0, loadBalance == 1};
}
