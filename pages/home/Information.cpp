#include "pages/home/Information.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

TFM_Information* FM_Information = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const CvSNMPVarItem systemTable[] = {
    mibItem("1.3.6.1.2.1.1.1", "systemDescr", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem("1.3.6.1.2.1.1.2", "systemObjectID", SYN_OBJECTID, ACC_READONLY),
    mibItem("1.3.6.1.2.1.1.3", "systemUpTime", SYN_TIMETICKS, ACC_READONLY),
    mibItem("1.3.6.1.2.1.1.4", "systemContact", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem("1.3.6.1.2.1.1.6", "systemLocation", SYN_DISPLAYSTRING, ACC_READWRITE),
    {},
};

const CvSNMPVarItem applySettingTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingApply),
    {},
};

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Information::TFM_Information(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_Information::~TFM_Information() = default;

void TFM_Information::buildControls() {
    setWindowTitle("Home \\ Information");
    setSingleBorder(this);

    Panel1 = makePanel(this);
    auto* rows = makeRowGrid(Panel1);
    La_SD = addEditRow(rows, "System Description:", Ed_SD);
    La_SO = addEditRow(rows, "System Object ID:", Ed_SO);
    La_SU = addEditRow(rows, "System Uptime:", Ed_SU);
    La_SC = addEditRow(rows, "System Contact:", Ed_SC);
    La_SN = addEditRow(rows, "System Name:", Ed_SN);
    La_SL = addEditRow(rows, "System Location:", Ed_SL);
    for (CvEdit* shown : {Ed_SD, Ed_SO, Ed_SU}) setGreyedReadOnly(shown);
    // Wide enough for a text of the length the device keeps, so a person sees it whole.
    const int textWidth =
        Ed_SC->fontMetrics().horizontalAdvance(QString(kSystemTextMaxLength + 4, QChar('n')));
    for (CvEdit* edit : {Ed_SD, Ed_SO, Ed_SU, Ed_SC, Ed_SN, Ed_SL})
        edit->setMinimumWidth(std::max(edit->minimumWidth(), textWidth));

    Btn_Re = new QPushButton("Refresh", this);
    Btn_Sa = new QPushButton("Save", this);
    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    CB_DeviceApplySetting = makeHiddenCombo(this);
    layOutPage(this, Panel1, {Btn_Re, Btn_Sa}, StatusBar);

    connectGuarded(Btn_Re, &QPushButton::clicked, StatusBar, [this] { Btn_ReClick(); });
    connectGuarded(Btn_Sa, &QPushButton::clicked, StatusBar, [this] { Btn_SaClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_Information::FormCreate() {
    reqApplySetting = std::make_unique<CvSNMPRequest2Edits>(this);
    reqApplySetting->Timeout = 1000;
    reqApplySetting->VarList = CvSNMPVarList(applySettingTable, SVT_SV, 0);
    reqApplySetting->AssociateComboBox(0, CB_DeviceApplySetting);

    reqSystem = std::make_unique<CvSNMPRequest2Edits>(this);
    reqSystem->VarList = CvSNMPVarList(systemTable, SVT_SV, 0);
    reqSystem->Timeout = 3000;
    reqSystem->AssociateEdit(0, "%s", {Ed_SD});
    reqSystem->AssociateEdit(1, "%s", {Ed_SO});
    reqSystem->AssociateEdit(2, "%s", {Ed_SU});
    reqSystem->AssociateEdit(3, "%s", {Ed_SC});
    reqSystem->AssociateEdit(4, "%s", {Ed_SN});
    reqSystem->AssociateEdit(5, "%s", {Ed_SL});
    reqSystem->SetLogTarget(StatusBar);
    // Every completion reports its failure, a read's at opening too: fields left empty by a
    // failed read must not look like a device without names.
    const auto report = [this](CvSNMPRequest2Controls*, const CvSNMPError& result) {
        reportFailure(result);
    };
    reqSystem->OnAfterGet = report;
    reqSystem->OnAfterSet = report;
    reqSystem->Get();

    for (CvEdit* text : {Ed_SC, Ed_SN, Ed_SL}) limitTyping(text, kSystemTextMaxLength);
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Information::Btn_ReClick() {
    outcome_.begin();
    if (reqSystem && reqSystem->Get()) outcome_.showOk("Get OK!", {reqSystem.get()});
}

void TFM_Information::Btn_SaClick() {
    const QString refusal = informationLengthError(Ed_SC->text(), Ed_SN->text(), Ed_SL->text());
    if (!refusal.isEmpty()) {
        platform::ui().messageBox(this, "Error", refusal, platform::BoxButtons::Ok);
        return;
    }
    outcome_.begin();
    if (reqSystem && reqSystem->Set(true, true, "")) outcome_.showOk("Save OK!", {reqSystem.get()});
}

// ---- Completion routines --------------------------------------------------------------------

void TFM_Information::reportFailure(const CvSNMPError& result) {
    if (result.Code == 0) return;
    // An answer the edits could not take is already in the bar as the request's error line,
    // which names the items and the time: it stands for the failure instead of the bare message.
    const QString shown = StatusBar->ShownText();
    const QString message = QString::fromStdString(result.Message);
    if (shown != message && shown.contains(message))
        outcome_.note(result, shown);
    else
        outcome_.fail(result);
}

// ---- Rules ----------------------------------------------------------------------------------

QString informationLengthError(const QString& contact, const QString& name,
                               const QString& location) {
    if (contact.length() > kSystemTextMaxLength) return "The Max Lengh of the SystemContact is 32.";
    if (name.length() > kSystemTextMaxLength) return "The Max Lengh of the SystemName is 32.";
    if (location.length() > kSystemTextMaxLength)
        return "The Max Lengh of the SystemLocation is 32.";
    return {};
}
