#include "pages/tools/Logset.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/PageForm.h"

TLogSetForm* LogSetForm = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const CvSNMPVarItem logSettingsTable[] = {
    {"1.3.6.1.4.1.32473.10.37.38.5.4.1", "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::DisableEnable, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.5.4.2", "systemLogWirelessLevel", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::DisableEnable, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.5.4.3", "systemLogNoticeLevel", SYN_INTEGER, ACC_READWRITE,
     &MibEnumerationLists::DisableEnable, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.5.4.9", "systemLogServerIPAddress", SYN_IPADDRESS, ACC_READWRITE,
     nullptr, "", ""},
    {},
};

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TLogSetForm::TLogSetForm(QWidget* owner) : QDialog(owner) {
    buildControls();
    FormCreate();
}

TLogSetForm::~TLogSetForm() {
    FormClose();
}

void TLogSetForm::buildControls() {
    setWindowTitle("Status \\ Log \\  Log Setting");
    setSingleBorder(this);

    Panel1 = makePanel(this);
    GroupBox1 = new QGroupBox("Log Settings", Panel1);
    auto* rows = new QGridLayout(GroupBox1);
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(8);
    Label2 = new QLabel("Log Server / IP Address :", GroupBox1);
    Ed_LogServerIp = new CvEdit(GroupBox1);
    Ed_LogServerIp->setMinimumWidth(160);
    Label3 = new QLabel("Log Type :", GroupBox1);
    CheckBox_System = new QCheckBox("System Activity", GroupBox1);
    CheckBox_Wireless = new QCheckBox("Wireless Activity", GroupBox1);
    CheckBox_Notice = new QCheckBox("Notice", GroupBox1);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rows->addWidget(Label2, 0, 0);
    rows->addWidget(Ed_LogServerIp, 0, 1);
    rows->addWidget(Label3, 1, 0);
    rows->addWidget(CheckBox_System, 1, 1);
    rows->addWidget(CheckBox_Wireless, 2, 1);
    rows->addWidget(CheckBox_Notice, 3, 1);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addWidget(GroupBox1);

    Bt_Apply = new QPushButton("Save", this);
    Bt_Cancel = new QPushButton("Cancel", this);
    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    layOutPage(this, Panel1, {Bt_Apply, Bt_Cancel}, StatusBar);

    connectGuarded(Bt_Apply, &QPushButton::clicked, StatusBar, [this] { Bt_ApplyClick(); });
    connectGuarded(Bt_Cancel, &QPushButton::clicked, StatusBar, [this] { Bt_CancelClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TLogSetForm::FormCreate() {
    try {
        reqLogSettings = std::make_unique<CvSNMPRequest2Edits>(this);
        reqLogSettings->Mode = 0;
        reqLogSettings->Timeout = 10000;
        reqLogSettings->VarList = CvSNMPVarList(logSettingsTable, SVT_SV, 0);
        reqLogSettings->AssociateCheckBox(0, CheckBox_System);
        reqLogSettings->AssociateCheckBox(1, CheckBox_Wireless);
        reqLogSettings->AssociateCheckBox(2, CheckBox_Notice);
        reqLogSettings->AssociateEdit(3, "%s", Ed_LogServerIp);
        reqLogSettings->Get();
        reqLogSettings->request().SetResultRoutine(
            [this](const CvSNMPError& outcome) { outcome_.note(outcome, "Set Error!"); });
    } catch (const std::exception&) {
        // A device that cannot be read leaves the boxes unfilled; Save still tries.
    }
    limitTyping(Ed_LogServerIp, kAddressLength);
    if (Ed_LogServerIp->text() == "0.0.0.0") Ed_LogServerIp->clear();
}

// ---- Handlers -------------------------------------------------------------------------------

void TLogSetForm::Bt_ApplyClick() {
    if (!reqLogSettings) return;
    outcome_.begin();
    // A failure of the access layer itself reaches no result routine: setRequest has shown it.
    if (setRequest(reqLogSettings.get(), StatusBar, true) || outcome_.failed())
        outcome_.showOk("Set Success!");
}

void TLogSetForm::Bt_CancelClick() {
    close();
}

void TLogSetForm::FormClose() {
    reqLogSettings.reset();
}
