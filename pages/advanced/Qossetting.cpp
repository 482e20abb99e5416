#include "pages/advanced/Qossetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/Main.h"
#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_QosSetting* FM_QosSetting = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

// The device's enterprise subtree and its QoS group.
const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string Q = E + ".3.7";
// The rule table's state column; a rule's state is this followed by the rule's index.
const std::string kRuleStateColumn = Q + ".2.5.1.2";

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::ApModeAlt),
    {},
};

const CvSNMPVarItem qosStatusTable[] = {
    mibItem(Q + ".1", "dot11QosStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};

const CvSNMPVarItem qosClassifiersTable[] = {
    mibItem(Q + ".2.1", "dot11QosHttp", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(Q + ".2.2", "dot11QosAutomatic", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};

const CvSNMPVarItem qosRuleDeleteTable[] = {
    mibItem(Q + ".2.4", "dot11QosRulesDelete", SYN_INTEGER, ACC_READWRITE),
    {},
};

const std::string R = Q + ".2.5.1";
const CvSNMPVarItem qosRulesTable[] = {
    mibItem(R + ".1", "dot11QosRulesIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
    mibItem(R + ".2", "dot11QosRulesState", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(R + ".3", "dot11QosRulesName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(R + ".4", "dot11QosRulespriority", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::QosPriority),
    mibItem(R + ".5", "dot11QosRulesProtocol", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".6", "dot11QosRulesProtocolType", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::QosProtocolType),
    mibItem(R + ".7", "dot11QosRulesHostOneIpStart", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(R + ".8", "dot11QosRulesHostOneIpEnd", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(R + ".9", "dot11QosRulesHostOneIpRange", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".10", "dot11QosRulesHostOnePortStart", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".11", "dot11QosRulesHostOnePortEnd", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".12", "dot11QosRulesHostOnePortRange", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".13", "dot11QosRulesHostTwoIpStart", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(R + ".14", "dot11QosRulesHostTwoIpEnd", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(R + ".15", "dot11QosRulesHostTwoIpRange", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".16", "dot11QosRulesHostTwoPortStart", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".17", "dot11QosRulesHostTwoPortEnd", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".18", "dot11QosRulesHostTwoPortRange", SYN_INTEGER, ACC_READWRITE),
    {},
};

const CvOptionList RuleStateOptions{{0, "Disable"}, {1, "Enable"}};

constexpr int kTimeout = 10000;
constexpr int kStateItem = 1;
constexpr int kNameItem = 2;
constexpr int kQosEnabled = 1;
constexpr int kWirelessClient = 3;

CvEdit* hiddenEdit(QWidget* parent) {
    auto* edit = new CvEdit(parent);
    edit->hide();
    return edit;
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_QosSetting::TFM_QosSetting(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_QosSetting::~TFM_QosSetting() = default;

void TFM_QosSetting::buildControls() {
    setWindowTitle("Advanced \\ QoS Settings");
    setSingleBorder(this);

    auto* body = makePanel(this);
    auto* column = new QVBoxLayout(body);
    auto* switches = new QHBoxLayout;
    CB_EnableQos = new QComboBox(body);
    CheckBox_Http = new QCheckBox("HTTP", body);
    CheckBox_Automatic = new QCheckBox("Automatic", body);
    switches->addWidget(new QLabel("QoS:", body));
    switches->addWidget(CB_EnableQos);
    switches->addSpacing(24);
    switches->addWidget(new QLabel("Priority Classifiers:", body));
    switches->addWidget(CheckBox_Http);
    switches->addWidget(CheckBox_Automatic);
    switches->addStretch(1);
    column->addLayout(switches);

    LV_QosRulesUser = new CvListView(body);
    LV_QosRulesUser->SetCheckBoxes(true);
    const std::pair<QString, int> titles[] = {{"Name ", 120},
                                              {"Priority", 110},
                                              {"Host 1 IP Range", 190},
                                              {"Host 2 IP Range ", 190},
                                              {"Protocol / Ports ", 170}};
    for (const auto& [title, width] : titles) LV_QosRulesUser->AddColumn(title, width);
    LV_QosRulesUser->setMinimumSize(800, 190);
    column->addWidget(LV_QosRulesUser);
    column->addWidget(buildRuleEditor());

    LV_QosRules = new CvListView(this);
    LV_QosRules->hide();
    FStateListView = new CvListView(this);
    FStateListView->hide();
    LB_Index = new QLabel(this);
    LB_Index->hide();
    CB_QosRulesState = makeHiddenCombo(this);
    CB_APMode = makeHiddenCombo(this);
    Ed_HostOneIpRange = hiddenEdit(this);
    Ed_HostOnePortRange = hiddenEdit(this);
    Ed_HostTowIpRange = hiddenEdit(this);
    Ed_HostTowPortRange = hiddenEdit(this);
    Ed_QosRuleDel = hiddenEdit(this);

    Btn_Add = new QPushButton("Add", this);
    Btn_Clear = new QPushButton("Clear", this);
    Btn_Del = new QPushButton("Delete", this);
    Btn_Apply = new QPushButton("Save", this);
    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    addOutcomePanel(StatusBar, -1, {});
    layOutPage(this, body, {Btn_Add, Btn_Clear, Btn_Del, Btn_Apply}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(CB_EnableQos, &QComboBox::activated, StatusBar,
                   [this] { CB_EnableQosChange(); });
    connectGuarded(CB_Protocol, &QComboBox::activated, StatusBar, [this] { CB_ProtocolChange(); });
    connectGuarded(LV_QosRulesUser, &CvListView::clicked, StatusBar,
                   [this] { LV_QosRulesUserClick(); });
    connectGuarded(Btn_Add, &QPushButton::clicked, StatusBar, [this] { Btn_AddClick(); });
    connectGuarded(Btn_Clear, &QPushButton::clicked, StatusBar, [this] { Btn_ClearClick(); });
    connectGuarded(Btn_Del, &QPushButton::clicked, StatusBar, [this] { Btn_DelClick(); });
    connectGuarded(Btn_Apply, &QPushButton::clicked, StatusBar, [this] { Btn_ApplyClick(); });
}

QWidget* TFM_QosSetting::buildRuleEditor() {
    auto* editor = new QWidget(this);
    auto* grid = new QGridLayout(editor);
    grid->setContentsMargins(0, 6, 0, 0);
    grid->setHorizontalSpacing(8);
    // Every control of the grid is one width, so each column lines up from its caption on.
    const auto sized = [](auto* control) {
        control->setFixedWidth(150);
        return control;
    };
    const auto edit = [&] { return sized(new CvEdit(editor)); };
    Ed_QosName = edit();
    CB_Priority = sized(new QComboBox(editor));
    CB_Protocol = sized(new QComboBox(editor));
    Ed_ProtocolName = edit();
    Ed_IpFrom1 = edit(), Ed_IpTo1 = edit(), Ed_IpFrom2 = edit(), Ed_IpTo2 = edit();
    Ed_PortFrom1 = edit(), Ed_PortTo1 = edit(), Ed_PortFrom2 = edit(), Ed_PortTo2 = edit();

    grid->addWidget(caption("Name:", editor), 0, 0);
    grid->addWidget(Ed_QosName, 0, 1);
    grid->addWidget(caption("Priority:", editor), 0, 4);
    grid->addWidget(CB_Priority, 0, 5);
    grid->addWidget(caption("Protocol:", editor), 1, 0);
    grid->addWidget(CB_Protocol, 1, 1);
    grid->addWidget(caption("Number:", editor), 1, 4);
    grid->addWidget(Ed_ProtocolName, 1, 5);
    const struct {
        QString host;
        CvEdit *ipFrom, *ipTo, *portFrom, *portTo;
    } hosts[] = {{"Host 1 IP:", Ed_IpFrom1, Ed_IpTo1, Ed_PortFrom1, Ed_PortTo1},
                 {"Host 2 IP:", Ed_IpFrom2, Ed_IpTo2, Ed_PortFrom2, Ed_PortTo2}};
    int row = 2;
    for (const auto& host : hosts) {
        grid->addWidget(caption(host.host, editor), row, 0);
        grid->addWidget(host.ipFrom, row, 1);
        grid->addWidget(new QLabel("~", editor), row, 2);
        grid->addWidget(host.ipTo, row, 3);
        grid->addWidget(caption("Port:", editor), row, 4);
        grid->addWidget(host.portFrom, row, 5);
        grid->addWidget(new QLabel("~", editor), row, 6);
        grid->addWidget(host.portTo, row, 7);
        ++row;
    }
    grid->setColumnStretch(8, 1);
    return editor;
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_QosSetting::FormCreate() {
    for (QPushButton* button : {Btn_Add, Btn_Clear, Btn_Apply, Btn_Del}) button->setEnabled(false);
    outcome_.begin();

    reqApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqApMode->AssociateComboBox(0, CB_APMode);
    outcome_.watch({reqApMode.get()});
    reqApMode->Get();

    reqQosStatus = makeRequest(this, qosStatusTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqQosStatus->AssociateComboBox(0, CB_EnableQos);
    outcome_.watch({reqQosStatus.get()});
    reqQosStatus->Get();

    reqQosClassifiers = makeRequest(this, qosClassifiersTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqQosClassifiers->AssociateCheckBox(0, CheckBox_Http);
    reqQosClassifiers->AssociateCheckBox(1, CheckBox_Automatic);
    outcome_.watch({reqQosClassifiers.get()});
    reqQosClassifiers->Get();

    reqQosRuleDelete = makeRequest(this, qosRuleDeleteTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqQosRuleDelete->AssociateEdit(0, "%s", Ed_QosRuleDel);

    reqQosRules = makeRequest(this, qosRulesTable, MVT_UMV, 1, kAsynchronous, kTimeout);
    reqQosRules->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        OnRulesRead(sender, error);
    };
    reqQosRules->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        OnRulesSet(sender, error);
    };
    reqQosRules->AssociateListView(LV_QosRules, true);
    reqQosRules->AssociateLabel(0, LB_Index);
    reqQosRules->AssociateComboBox(1, CB_QosRulesState);
    reqQosRules->AssociateEdit(2, "%s", Ed_QosName);
    reqQosRules->AssociateComboBox(3, CB_Priority);
    reqQosRules->AssociateEdit(4, "%s", Ed_ProtocolName);
    reqQosRules->AssociateComboBox(5, CB_Protocol);
    CvEdit* const edits[] = {
        Ed_IpFrom1, Ed_IpTo1, Ed_HostOneIpRange, Ed_PortFrom1, Ed_PortTo1, Ed_HostOnePortRange,
        Ed_IpFrom2, Ed_IpTo2, Ed_HostTowIpRange, Ed_PortFrom2, Ed_PortTo2, Ed_HostTowPortRange};
    for (int i = 0; i < 12; ++i) reqQosRules->AssociateEdit(6 + i, "%s", edits[i]);
    reqQosRules->Get();

    if (CB_APMode->currentIndex() == kWirelessClient) CB_EnableQos->setEnabled(false);
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_QosSetting::CB_ProtocolChange() {
    const QosProtocolRule rule = qosProtocolRule(CB_Protocol->currentText());
    if (!rule.number.isEmpty()) Ed_ProtocolName->setText(rule.number);
    Ed_ProtocolName->setEnabled(rule.numberEditable);
    for (CvEdit* port : {Ed_PortFrom1, Ed_PortTo1, Ed_PortFrom2, Ed_PortTo2})
        port->setEnabled(rule.portsEnabled);
}

void TFM_QosSetting::CB_EnableQosChange() {
    const bool enabled = CB_EnableQos->currentIndex() == kQosEnabled;
    std::vector<QWidget*> ruleControls = {CheckBox_Http, CheckBox_Automatic, Ed_QosName,
                                          CB_Priority,   CB_Protocol,        LV_QosRulesUser};
    for (QLineEdit* edit : addressAndPortEdits()) ruleControls.push_back(edit);
    for (QWidget* control : ruleControls) control->setEnabled(enabled);
    if (enabled) {
        Ed_ProtocolName->setEnabled(false);
        SetButtonMode(FButtonMode);
    } else {
        for (QWidget* control :
             {static_cast<QWidget*>(Ed_ProtocolName), static_cast<QWidget*>(Btn_Add),
              static_cast<QWidget*>(Btn_Clear), static_cast<QWidget*>(Btn_Del)})
            control->setEnabled(false);
    }
    CB_ProtocolChange();
}

void TFM_QosSetting::LV_QosRulesUserClick() {
    const int row = LV_QosRulesUser->SelectedRow();
    if (row >= 0) {
        Btn_Add->setEnabled(true);
        const int fullRow = LV_QosRulesUser->RowTag(row);
        LV_QosRules->SelectRow(fullRow);
        Ed_QosRuleDel->setText(LV_QosRules->Caption(fullRow));
        // A rule shows an address or port it does not use as an empty edit, as the user left it.
        for (QLineEdit* edit : addressAndPortEdits())
            if (edit->text() == "0" || edit->text() == "0.0.0.0") edit->clear();
        SetButtonMode(1);
    } else {
        SetButtonMode(FRuleCount < kQosMaxRules ? 0 : 3);
    }
    CB_ProtocolChange();
}

void TFM_QosSetting::Btn_ClearClick() {
    LV_QosRules->SelectRow(firstFreeRow());
    Ed_QosName->clear();
    for (QLineEdit* edit : addressAndPortEdits()) edit->clear();
    CB_Protocol->setCurrentIndex(0);
    CB_Priority->setCurrentIndex(0);
    CB_ProtocolChange();
}

void TFM_QosSetting::Btn_AddClick() {
    outcome_.begin();
    addRule(true);
}

void TFM_QosSetting::addRule(bool withState) {
    QosRuleEdits typed{Ed_QosName->text(),          Ed_IpFrom1->text(),         Ed_IpTo1->text(),
                       Ed_HostOneIpRange->text(),   Ed_PortFrom1->text(),       Ed_PortTo1->text(),
                       Ed_HostOnePortRange->text(), Ed_IpFrom2->text(),         Ed_IpTo2->text(),
                       Ed_HostTowIpRange->text(),   Ed_PortFrom2->text(),       Ed_PortTo2->text(),
                       Ed_HostTowPortRange->text(), CB_Protocol->currentIndex()};
    const QosAddPlan plan = planQosAdd(typed, withState);
    const QosRuleEdits& e = plan.edits;
    const std::pair<CvEdit*, QString> texts[] = {
        {Ed_IpFrom1, e.ipFrom1},     {Ed_IpTo1, e.ipTo1},     {Ed_HostOneIpRange, e.ipRange1},
        {Ed_PortFrom1, e.portFrom1}, {Ed_PortTo1, e.portTo1}, {Ed_HostOnePortRange, e.portRange1},
        {Ed_IpFrom2, e.ipFrom2},     {Ed_IpTo2, e.ipTo2},     {Ed_HostTowIpRange, e.ipRange2},
        {Ed_PortFrom2, e.portFrom2}, {Ed_PortTo2, e.portTo2}, {Ed_HostTowPortRange, e.portRange2}};
    for (const auto& [edit, text] : texts)
        if (edit->text() != text) edit->setText(text);
    if (!plan.conversionError.isEmpty())
        throw std::invalid_argument(plan.conversionError.toStdString());
    if (!plan.passes()) {
        platform::ui().messageBox(this, plan.caption, plan.message, platform::BoxButtons::Ok);
        const std::pair<QosField, QWidget*> fields[] = {
            {QosField::Name, Ed_QosName},    {QosField::IpFrom1, Ed_IpFrom1},
            {QosField::IpTo1, Ed_IpTo1},     {QosField::PortFrom1, Ed_PortFrom1},
            {QosField::PortTo1, Ed_PortTo1}, {QosField::IpFrom2, Ed_IpFrom2},
            {QosField::IpTo2, Ed_IpTo2},     {QosField::PortFrom2, Ed_PortFrom2},
            {QosField::PortTo2, Ed_PortTo2}};
        for (const auto& [field, control] : fields)
            if (field == plan.focus) control->setFocus();
        return;
    }
    if (!reqQosRules) return;
    CB_QosRulesState->setCurrentIndex(1);
    for (int item = kStateItem; item < reqQosRules->VarList.Count(); ++item)
        reqQosRules->VarList.GetItem(item).access =
            plan.included[item] ? ACC_READWRITE : ACC_READONLY;
    const bool issued = reqQosRules->Set(true, true, "");
    StatusBar->ShowText("Adding QOS!");
    SetRuleItemsIncluded(true);
    for (QPushButton* button : {Btn_Add, Btn_Clear, Btn_Apply}) button->setEnabled(false);
    // A set the request could not even issue has no completion to bring the buttons back.
    if (!issued && !reqQosRules->Busy()) enableAfterFailure();
}

void TFM_QosSetting::Btn_DelClick() {
    const int row = LV_QosRulesUser->SelectedRow();
    if (row < 0 || !reqQosRuleDelete) return;
    const QString question =
        "Are you sure you want to delete " + LV_QosRulesUser->Caption(row) + "?";
    if (platform::ui().messageBox(this, "Warning", question, platform::BoxButtons::OkCancel) !=
        platform::BoxResult::Ok)
        return;
    outcome_.begin();
    // The arrow keys move the highlight without a click, so the index a click left behind may
    // name another rule than the one just asked about. The index is the page's own choice.
    Ed_QosRuleDel->setText(LV_QosRules->Caption(LV_QosRulesUser->RowTag(row)));
    CvSNMPRequest2Edits::MarkChosen(Ed_QosRuleDel);
    if (!reqQosRuleDelete->Set(true, true, "")) {
        StatusBar->ShowText("Delete Fail!");
        return;
    }
    setEnabled(false);
    readRules();
    outcome_.showOk("Delete OK!");
}

void TFM_QosSetting::Btn_ApplyClick() {
    if (!CheckBox_Http->isChecked() && !CheckBox_Automatic->isChecked() && NoRuleChecked())
        platform::ui().messageBox(this, "Warning",
                                  "All traffic will be treated as priority of 'Best Effort'\n"
                                  "because of priority classifier specified and empty rule table.",
                                  platform::BoxButtons::Ok);
    if (!reqQosStatus || !reqQosClassifiers) return;
    // A refused status or classifier set shows its text, and the OK texts of the re-read or
    // rule set this Save starts do not cover it.
    outcome_.begin();
    if (CB_EnableQos->currentIndex() != kQosEnabled) {
        reqQosStatus->Set(true, true, "");
        outcome_.showFailure();
        return;
    }
    if (!saveRuleStates()) {
        outcome_.showFailure();
        return;
    }
    reqQosStatus->Set(true, true, "");
    reqQosClassifiers->Set(true, true, "");
    outcome_.showFailure();
    if (FButtonMode != 1) {
        setEnabled(false);
        readRules();
    } else {
        addRule(false);
    }
}

// Writes every listed rule's check mark to its state, in one set; false when the states could
// not be read, which ends the Save. With no rule listed there is nothing to read or write.
bool TFM_QosSetting::saveRuleStates() {
    const int count = LV_QosRulesUser->RowCount();
    if (count == 0) return true;
    BuildRuleStateOids(count);
    std::vector<CvSNMPVarItem> items;
    for (int k = 0; k < count; ++k) {
        const std::string index = FStateOids[k].substr(kRuleStateColumn.size() + 1);
        items.push_back(mibItem(FStateOids[k], "dot11QosRulesState" + index, SYN_INTEGER,
                                ACC_READWRITE, &RuleStateOptions));
    }
    reqRuleStates = makeRequest(this, items, MVT_SV, 0, kSynchronous, kTimeout);
    outcome_.watch({reqRuleStates.get()});
    reqRuleStates->AssociateListView(FStateListView, false);
    for (int k = 0; k < count; ++k) reqRuleStates->AssociateComboBox(k, FStateCombos[k].get());
    if (!reqRuleStates->Get() || FStateListView->RowCount() != 1) return false;
    FStateListView->SelectRow(0);
    for (int k = 0; k < count; ++k)
        FStateCombos[k]->setCurrentIndex(LV_QosRulesUser->Checked(k) ? 1 : 0);
    reqRuleStates->Set(true, true, "");
    return true;
}

bool TFM_QosSetting::FormCloseQuery() {
    if (reqQosRules && reqQosRules->Busy()) {
        // The walk ends at its next answer and nothing more is sent; the page closes once idle.
        reqQosRules->Enabled = false;
        return false;
    }
    return true;
}

void TFM_QosSetting::FormClose() {
    reqQosRules.reset();
    setEnabled(true);
    reqRuleStates.reset();
    FStateCombos.clear();
}

void TFM_QosSetting::done(int result) {
    if (!FormCloseQuery()) return;
    FormClose();
    QDialog::done(result);
}

// ---- Completions ----------------------------------------------------------------------------

void TFM_QosSetting::OnRulesRead(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    if (outcome_.fail(error)) {
        if (readOnce_) enableAfterFailure();
        return;
    }
    readOnce_ = true;
    FillRuleList();
    FRuleCount = LV_QosRulesUser->RowCount();
    FButtonMode = FRuleCount < kQosMaxRules ? 0 : 3;
    Btn_ClearClick();      // selects the first free row
    CB_EnableQosChange();  // sets the buttons by the mode while QoS is on
    outcome_.showOk("Get OK!");
    Btn_Apply->setEnabled(true);
    setEnabled(true);
}

void TFM_QosSetting::OnRulesSet(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    if (outcome_.fail(error)) {
        enableAfterFailure();
        return;
    }
    readRules();
}

// One read per change; a read that cannot start leaves nothing to enable the page again.
void TFM_QosSetting::readRules() {
    if (!reqQosRules || !reqQosRules->Get()) enableAfterFailure();
}

void TFM_QosSetting::enableAfterFailure() {
    setEnabled(true);
    CB_EnableQosChange();
    Btn_Apply->setEnabled(true);
}

// ---- Rules ----------------------------------------------------------------------------------

void TFM_QosSetting::SetRuleItemsIncluded(bool included) {
    if (!reqQosRules) return;
    for (int item = kStateItem; item < reqQosRules->VarList.Count(); ++item)
        reqQosRules->VarList.GetItem(item).access = included ? ACC_READWRITE : ACC_READONLY;
}

void TFM_QosSetting::FillRuleList() {
    if (LV_QosRulesUser->RowCount() > 0) LV_QosRulesUser->ClearRows();
    for (int fullRow = 0; fullRow < LV_QosRules->RowCount(); ++fullRow) {
        const QStringList cells =
            QStringList{LV_QosRules->Caption(fullRow)} + LV_QosRules->SubItems(fullRow);
        if (cells.value(kNameItem).isEmpty()) continue;
        QStringList texts = qosRuleTexts(cells);
        const QString name = texts.takeFirst();
        const int row = LV_QosRulesUser->AddRow(name, texts, fullRow);
        LV_QosRulesUser->SetChecked(row, qosRuleChecked(cells));
    }
}

void TFM_QosSetting::SetButtonMode(int mode) {
    FButtonMode = mode;
    Btn_Add->setEnabled(mode != 3);
    Btn_Clear->setEnabled(true);
    Btn_Apply->setEnabled(true);
    Btn_Del->setEnabled(mode == 1 || mode == 2);
}

bool TFM_QosSetting::NoRuleChecked() const {
    for (int row = 0; row < LV_QosRulesUser->RowCount(); ++row)
        if (LV_QosRulesUser->Checked(row)) return false;
    return true;
}

void TFM_QosSetting::BuildRuleStateOids(int count) {
    reqRuleStates.reset();  // its bindings name the combos replaced here
    FStateCombos.clear();
    FStateOids.clear();
    for (int k = 0; k < count; ++k) {
        FStateCombos.push_back(std::unique_ptr<QComboBox>(makeHiddenCombo(this)));
        // Each rule's own index, so a rule behind a free row still gets its own state.
        const int fullRow = LV_QosRulesUser->RowTag(k);
        FStateOids.push_back(kRuleStateColumn + "." + LV_QosRules->Caption(fullRow).toStdString());
    }
}

int TFM_QosSetting::firstFreeRow() const {
    for (int row = 0; row < LV_QosRules->RowCount(); ++row)
        if (LV_QosRules->SubItem(row, kNameItem - 1).isEmpty()) return row;
    return -1;
}

std::vector<QLineEdit*> TFM_QosSetting::addressAndPortEdits() const {
    return {Ed_IpFrom1, Ed_IpTo1, Ed_PortFrom1, Ed_PortTo1,
            Ed_IpFrom2, Ed_IpTo2, Ed_PortFrom2, Ed_PortTo2};
}

uint32_t TFM_QosSetting::IpEditToNumber(const QString& text) {
    uint32_t result = 0;
    QString part;
    for (const QChar character : text) {
        if (character != u'.') {
            part += character;
            continue;
        }
        result = (result + part.toUInt()) << 8;  // octets add up: one above 255 carries over
        part.clear();
    }
    return result + part.toUInt();
}

int TFM_QosSetting::IpRangeCount(const QString& start, const QString& end) {
    if (start.isEmpty() || end.isEmpty() || !start.contains(u'.') || !end.contains(u'.')) return 0;
    const auto lastOctet = [](const QString& text) { return text.section(u'.', -1).toInt(); };
    return lastOctet(end) - lastOctet(start) + 1;
}

int TFM_QosSetting::PortRangeCount(const QString& start, const QString& end) {
    if (start == "0" || end == "0") return 0;
    return end.toInt() - start.toInt() + 1;
}

QosProtocolRule qosProtocolRule(const QString& protocol) {
    if (protocol == "Any") return {"256", false, false};
    if (protocol == "TCP") return {"6", false, true};
    if (protocol == "UDP") return {"17", false, true};
    if (protocol == "Both") return {"257", false, true};
    if (protocol == "ICMP") return {"1", false, false};
    if (protocol == "Other") return {"", true, false};
    return {};
}

QStringList qosRuleTexts(const QStringList& cells) {
    const auto at = [&cells](int item) { return cells.value(item); };
    const auto ports = [&at](int start, int end) {
        if (at(start) == "0") return QString("Any");
        return at(start) + "/" + (at(end) == "0" ? at(start) : at(end));
    };
    const QString host2 = at(12) == "0.0.0.0" ? QString("Any") : at(12) + "~" + at(13);
    return {at(2), at(3), at(6) + "~" + at(7), host2,
            at(5) + " " + ports(9, 10) + " " + ports(15, 16)};
}

bool qosRuleChecked(const QStringList& cells) {
    return cells.value(kStateItem) == "Enable";
}

namespace {

// The checks of one host's ports; false when one refuses.
bool checkPorts(QosAddPlan& plan, QString& from, QString& to, QString& range, int firstItem,
                QosField fromField, QosField toField) {
    auto& in = plan.included;
    const auto number = [&plan](const QString& text, int& value) {
        bool ok = false;
        value = text.toInt(&ok);
        if (!ok) plan.conversionError = "'" + text + "' is not a valid integer value";
        return ok;
    };
    const auto refuse = [&plan](const QString& message, QosField field) {
        plan.message = message;
        plan.caption = "Waring";
        plan.focus = field;
        return false;
    };
    int start = 0, end = 0;
    if (from.isEmpty()) {
        in[firstItem] = in[firstItem + 2] = false;
    } else {
        in[firstItem] = true;
        if (!number(from, start)) return false;
        if (start > 65535 || start < 1) return refuse("Invalid port!", fromField);
    }
    if (to.isEmpty()) {
        in[firstItem + 1] = in[firstItem + 2] = false;
    } else {
        in[firstItem + 1] = true;
        if (!number(to, end)) return false;
        if (end > 65535 || end < 1) return refuse("Invalid port!", toField);
    }
    if (!from.isEmpty() && !to.isEmpty()) {
        if (start > end) return refuse("Invalid Port Range!", toField);
        in[firstItem + 2] = true;
        range = QString::number(TFM_QosSetting::PortRangeCount(from, to));
    }
    return true;
}

}  // namespace

QosAddPlan planQosAdd(const QosRuleEdits& edits, bool withState) {
    QosAddPlan plan;
    plan.edits = edits;
    QosRuleEdits& e = plan.edits;
    plan.included.fill(true);
    plan.included[0] = false;
    plan.included[kStateItem] = withState;
    const auto refuse = [&plan](const QString& message, const QString& caption, QosField field) {
        plan.message = message;
        plan.caption = caption;
        plan.focus = field;
        return plan;
    };
    const QString badAddress = "Invalid IP address!";
    if (e.name.isEmpty())
        return refuse("The Name field can not be blank.", "Warning", QosField::Name);
    if (e.ipFrom1.isEmpty() || e.ipFrom1 == "0.0.0.0")
        return refuse(badAddress, "Warning", QosField::IpFrom1);
    if (e.ipTo1 == "0.0.0.0") return refuse(badAddress, "Warning", QosField::IpTo1);
    if (e.ipTo1.isEmpty()) e.ipTo1 = e.ipFrom1;
    if (e.ipTo2 == "0.0.0.0") return refuse(badAddress, "Warning", QosField::IpTo2);
    if (e.ipTo2.isEmpty()) e.ipTo2 = e.ipFrom2;
    if (e.portTo1 == "0") return refuse("Invalid Port!", "Warning", QosField::PortTo1);
    if (e.portTo1.isEmpty()) e.portTo1 = e.portFrom1;
    if (e.portTo2 == "0") return refuse("Invalid Port!", "Warning", QosField::PortTo2);
    if (e.portTo2.isEmpty()) e.portTo2 = e.portFrom2;
    // A text that is no host address is emptied, so the user types it anew.
    const auto badHost = [&](QString& text, QosField field) {
        text.clear();
        return refuse(badAddress, "Waring", field);
    };
    if (!TMainForm::IsValidIPAddress(e.ipFrom1)) return badHost(e.ipFrom1, QosField::IpFrom1);
    if (!TMainForm::IsValidIPAddress(e.ipTo1)) return badHost(e.ipTo1, QosField::IpTo1);
    using Qos = TFM_QosSetting;
    if (Qos::IpEditToNumber(e.ipFrom1) > Qos::IpEditToNumber(e.ipTo1))
        return refuse("Invalid IP address Range!", "Warning", QosField::IpTo1);
    e.ipRange1 = QString::number(Qos::IpRangeCount(e.ipFrom1, e.ipTo1));

    if (e.protocolIndex >= 1 && e.protocolIndex <= 3) {
        if (!checkPorts(plan, e.portFrom1, e.portTo1, e.portRange1, 9, QosField::PortFrom1,
                        QosField::PortTo1) ||
            !checkPorts(plan, e.portFrom2, e.portTo2, e.portRange2, 15, QosField::PortFrom2,
                        QosField::PortTo2))
            return plan;
    } else {
        for (int item : {9, 10, 11, 15, 16, 17}) plan.included[item] = false;
    }

    auto& in = plan.included;
    if (e.ipFrom2.isEmpty()) {
        in[12] = in[14] = false;
    } else if (!TMainForm::IsValidIPAddress(e.ipFrom2)) {
        return badHost(e.ipFrom2, QosField::IpFrom2);
    }
    if (e.ipTo2.isEmpty()) {
        in[13] = in[14] = false;
    } else if (!TMainForm::IsValidIPAddress(e.ipTo2)) {
        return badHost(e.ipTo2, QosField::IpTo2);
    }
    if (!e.ipFrom2.isEmpty() && !e.ipTo2.isEmpty()) {
        if (Qos::IpEditToNumber(e.ipFrom2) > Qos::IpEditToNumber(e.ipTo2))
            return refuse("Invalid IP address Range!", "Warning", QosField::IpTo2);
        e.ipRange2 = QString::number(Qos::IpRangeCount(e.ipFrom2, e.ipTo2));
    }
    return plan;
}
