#include "pages/tools/System.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/MibEnumerationLists.h"
#include "app/Wait.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_Sytem* FM_Sytem = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem restartResetTable[] = {
    mibItem(E + ".4.2.1", "deviceRestart", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingReboot),
    mibItem(E + ".4.2.2", "deviceFactoryDefault", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingReset),
    {},
};

constexpr int kRestartItem = 0;
constexpr int kResetItem = 1;
// Combo index of "reboot" and "reset".
constexpr int kActionIndex = 1;
constexpr int kCountdownSeconds = 50;

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Sytem::TFM_Sytem(QWidget* owner) : QDialog(owner) {
    buildControls();
    FormCreate();
}

TFM_Sytem::~TFM_Sytem() = default;

void TFM_Sytem::buildControls() {
    setWindowTitle("Tools \\ System");
    setSingleBorder(this);

    Panel1 = makePanel(this);
    auto* rows = makeRowGrid(Panel1);
    Button1 = new QPushButton("Restart", Panel1);
    Button2 = new QPushButton("Restore", Panel1);
    Label1 = addRow(rows, "Apply Settings and Restart ", Button1);
    Label2 = addRow(rows, "Restore to Factory Default Settings", Button2);
    for (QPushButton* button : {Button1, Button2}) {
        button->setMinimumWidth(88);
        button->setAutoDefault(false);
    }
    rows->setColumnStretch(1, 0);
    CB_Restart = makeHiddenCombo(this);
    CB_Restore = makeHiddenCombo(this);

    StatusBar = new CvStatusBar(this);
    layOutPage(this, Panel1, {}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(Button1, &QPushButton::clicked, StatusBar, [this] { Button1Click(); });
    connectGuarded(Button2, &QPushButton::clicked, StatusBar, [this] { Button2Click(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_Sytem::FormCreate() {
    runGuarded(StatusBar, [this] {
        reqRestartReset = std::make_unique<CvSNMPRequest2Edits>(this);
        reqRestartReset->Timeout = 10000;
        reqRestartReset->VarList = CvSNMPVarList(restartResetTable, SVT_SV, 0);
        reqRestartReset->AssociateComboBox(kRestartItem, CB_Restart);
        reqRestartReset->AssociateComboBox(kResetItem, CB_Restore);
        reqRestartReset->SetLogTarget(StatusBar);
        // A device that answers and refuses is not restarting: its text replaces the countdown.
        reqRestartReset->OnAfterSet = [this](CvSNMPRequest2Controls*, const CvSNMPError& result) {
            if (!result.IsRefusal()) return;
            StatusBar->ShowText(QString::fromStdString(result.Message));
            if (countdown_) countdown_->EndRefused(QString::fromStdString(result.Message));
        };
        reqRestartReset->Get();
    });
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Sytem::Button1Click() {
    runOperation({kRestartItem, kResetItem, CB_Restart, "System is rebooting, please waiting.....",
                  nullptr});
}

void TFM_Sytem::Button2Click() {
    runOperation({kResetItem, kRestartItem, CB_Restore, "System is rebooting, please waiting.....!",
                  "The system IP will be 192.168.0.50 !"});
}

// Both access words are set afresh each time, so a cancelled operation leaves nothing behind
// that the other one would send.
void TFM_Sytem::runOperation(const Operation& operation) {
    if (!reqRestartReset) return;
    operation.combo->setCurrentIndex(kActionIndex);
    reqRestartReset->VarList.GetItem(operation.sentItem).access = ACC_READWRITE;
    reqRestartReset->VarList.GetItem(operation.keptOutItem).access = ACC_INVALID;
    if (platform::ui().messageBox(this, "Warning", "Device will reboot, continue?",
                                  platform::BoxButtons::OkCancel) != platform::BoxResult::Ok)
        return;
    // A refusal of an earlier operation must not stand over this one.
    StatusBar->ShowText("");
    reqRestartReset->Set(true, true, "");

    // A restarting device may not answer, so the countdown runs until the device refuses; the
    // answer comes only from the event loop, which the countdown runs.
    TFM_Waiting wait(this);
    wait.Reboot = false;
    wait.setWindowTitle(operation.title);
    if (operation.secondLine) wait.Label3->setText(operation.secondLine);
    wait.Count = kCountdownSeconds;
    countdown_ = &wait;
    wait.exec();
    countdown_ = nullptr;
}
