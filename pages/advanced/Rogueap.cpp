#include "pages/advanced/Rogueap.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_RogueAP* FM_RogueAP = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

// The device's rogue AP group.
const std::string A = "1.3.6.1.4.1.32473.10.37.38.3.4.4";

const CvSNMPVarItem surveyRefreshTable[] = {
    mibItem(A + ".1", "dot11RogueApSurveyRefresh", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingRefresh),
    {},
};

const CvSNMPVarItem surveyTable[] = {
    mibItem(A + ".4.1.1", "dot11RogueApSurveyIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
    mibItem(A + ".4.1.3", "dot11RogueApSurveyChannel", SYN_INTEGER, ACC_READONLY),
    mibItem(A + ".4.1.5", "dot11RogueApSurveyBssid", SYN_MACADDRESS, ACC_READONLY),
    mibItem(A + ".4.1.8", "dot11RogueApSurveyMode", SYN_INTEGER, ACC_READONLY,
            &MibEnumerationLists::RogueMode),
    mibItem(A + ".4.1.9", "dot11RogueApSurveySsid", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(A + ".4.1.10", "dot11RogueApSurveyLastseem", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(A + ".4.1.11", "dot11RogueApSurveyType", SYN_INTEGER, ACC_READONLY,
            &MibEnumerationLists::RogueType),
    mibItem(A + ".4.1.12", "dot11RogueApSurveyStatus", SYN_INTEGER, ACC_READONLY,
            &MibEnumerationLists::RogueStatus),
    {},
};

const CvSNMPVarItem addtoValidTable[] = {
    mibItem(A + ".5", "dot11RogueApAddtoValid", SYN_INTEGER, ACC_READWRITE),
    {},
};
const CvSNMPVarItem addtoNeighborTable[] = {
    mibItem(A + ".6", "dot11RogueApAddtoNeighbor", SYN_INTEGER, ACC_READWRITE),
    {},
};
const CvSNMPVarItem addtoRogueTable[] = {
    mibItem(A + ".7", "dot11RogueApAddtoRouge", SYN_INTEGER, ACC_READWRITE),
    {},
};
const CvSNMPVarItem addtoNewTable[] = {
    mibItem(A + ".8", "dot11RogueApAddtoNew", SYN_INTEGER, ACC_READWRITE),
    {},
};

const CvSNMPVarItem switchesTable[] = {
    mibItem(A + ".9", "dot11RogueApAllNewNodesAsValid", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(A + ".10", "dot11RogueApUnknownAccessNodesAsRogue", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};

constexpr int kTimeout = 10000;
constexpr int kValidSwitch = 0, kRogueSwitch = 1;
// Cells of a survey row: index, channel, BSSID, band, SSID, last seen, type, status.
constexpr int kIndexCell = 0, kBssidCell = 2, kTypeCell = 6;
// The BSSID among a shown row's sub-items (band, channel, SSID, BSSID, last seen, status).
constexpr int kShownBssid = 3;

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_RogueAP::TFM_RogueAP(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_RogueAP::~TFM_RogueAP() = default;

void TFM_RogueAP::buildControls() {
    setWindowTitle("Advanced \\ Wireless Intrusion Protection");
    setSingleBorder(this);

    PageControl = new QTabWidget(this);
    auto* sheet = new QWidget(PageControl);
    PageControl->addTab(sheet, "Wireless Intrusion Protection");
    auto* sheetColumn = new QVBoxLayout(sheet);

    GroupBox_APList = new QGroupBox("AP List", sheet);
    auto* listColumn = new QVBoxLayout(GroupBox_APList);
    auto* filterRow = new QHBoxLayout;
    CB_OperatorType = new QComboBox(GroupBox_APList);
    CB_OperatorType->addItems({"All", "Valid", "Neighborhood", "Rogue", "New"});
    CheckBox_SelectAll = new QCheckBox("Select All", GroupBox_APList);
    CheckBox_SelectAll->setEnabled(false);
    filterRow->addWidget(new QLabel("Type:", GroupBox_APList));
    filterRow->addWidget(CB_OperatorType);
    filterRow->addStretch(1);
    filterRow->addWidget(CheckBox_SelectAll);
    listColumn->addLayout(filterRow);

    AP_UserListView = new CvListView(GroupBox_APList);
    AP_UserListView->SetCheckBoxes(true);
    // The type column is wider than 80 pixels, so "neighborhood" shows whole beside its check box.
    const std::pair<QString, int> columns[] = {{"Type", 120},  {"Band ", 50},  {"CH", 40},
                                               {"SSID", 100},  {"BSSID", 100}, {"Last Seen", 150},
                                               {"Status ", 60}};
    for (const auto& [title, width] : columns) AP_UserListView->AddColumn(title, width);
    AP_UserListView->setMinimumSize(660, 220);
    listColumn->addWidget(AP_UserListView);

    auto* markRow = new QHBoxLayout;
    Btn_Detect = new QPushButton("Detect", GroupBox_APList);
    Btn_SetValid = new QPushButton("Set as Valid", GroupBox_APList);
    Btn_SetNeigh = new QPushButton("Set as Neighborhood", GroupBox_APList);
    Btn_SetRogue = new QPushButton("Set as Rogue", GroupBox_APList);
    Btn_SetNew = new QPushButton("Set as New", GroupBox_APList);
    for (QPushButton* button : {Btn_Detect, Btn_SetValid, Btn_SetNeigh, Btn_SetRogue, Btn_SetNew}) {
        button->setAutoDefault(false);
        markRow->addWidget(button);
    }
    markRow->addStretch(1);
    listColumn->addLayout(markRow);
    sheetColumn->addWidget(GroupBox_APList);

    RB_MarkAllValid = new QRadioButton("Mark All New Access Points as Valid Access Points ", sheet);
    RB_MarkAllRogue = new QRadioButton("Mark All New Access Points as Rogue Access Points ", sheet);
    RB_MarkAllValid->setChecked(true);
    sheetColumn->addWidget(RB_MarkAllValid);
    sheetColumn->addWidget(RB_MarkAllRogue);

    AP_ListView = new CvListView(this);
    AP_ListView->hide();
    CheckBox_MarkAllValid = new QCheckBox(this);
    CheckBox_MarkAllRogue = new QCheckBox(this);
    CB_Refresh = makeHiddenCombo(this);
    for (CvEdit** edit : {&Ed_Valid, &Ed_Neigh, &Ed_Rogue, &Ed_New}) *edit = new CvEdit(this);
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             CheckBox_MarkAllValid, CheckBox_MarkAllRogue, Ed_Valid, Ed_Neigh, Ed_Rogue, Ed_New})
        hidden->hide();

    Btn_Apply = new QPushButton("Save", this);
    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    addOutcomePanel(StatusBar, -1, {});
    layOutPage(this, PageControl, {Btn_Apply}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(Btn_Detect, &QPushButton::clicked, StatusBar, [this] { Btn_DetectClick(); });
    connectGuarded(Btn_SetValid, &QPushButton::clicked, StatusBar, [this] { Btn_SetValidClick(); });
    connectGuarded(Btn_SetNeigh, &QPushButton::clicked, StatusBar, [this] { Btn_SetNeighClick(); });
    connectGuarded(Btn_SetRogue, &QPushButton::clicked, StatusBar, [this] { Btn_SetRogueClick(); });
    connectGuarded(Btn_SetNew, &QPushButton::clicked, StatusBar, [this] { Btn_SetNewClick(); });
    connectGuarded(Btn_Apply, &QPushButton::clicked, StatusBar, [this] { Btn_ApplyClick(); });
    connectGuarded(CB_OperatorType, &QComboBox::activated, StatusBar,
                   [this] { CB_OperatorTypeChange(); });
    connectGuarded(RB_MarkAllValid, &QRadioButton::clicked, StatusBar,
                   [this] { RB_MarkAllValidClick(); });
    connectGuarded(RB_MarkAllRogue, &QRadioButton::clicked, StatusBar,
                   [this] { RB_MarkAllRogueClick(); });
    connectGuarded(CheckBox_SelectAll, &QCheckBox::clicked, StatusBar,
                   [this] { CheckBox_SelectAllClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_RogueAP::FormCreate() {
    reqSurveyRefresh = makeRequest(this, surveyRefreshTable, SVT_SV, 0, kAsynchronous, kTimeout);
    reqSurveyRefresh->AssociateComboBox(0, CB_Refresh);
    reqSurveyRefresh->OnAfterSet = [this](CvSNMPRequest2Controls* sender,
                                          const CvSNMPError& error) {
        OnRefreshSet(sender, error);
    };

    reqSurvey = makeRequest(this, surveyTable, MVT_UMV, 1, kAsynchronous, kTimeout);
    reqSurvey->AssociateListView(AP_ListView, true);
    reqSurvey->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        OnSurveyRead(sender, error);
    };

    const std::pair<std::unique_ptr<CvSNMPRequest2Edits>*, std::pair<const CvSNMPVarItem*, CvEdit*>>
        marks[] = {{&reqAddtoValid, {addtoValidTable, Ed_Valid}},
                   {&reqAddtoNeighbor, {addtoNeighborTable, Ed_Neigh}},
                   {&reqAddtoRogue, {addtoRogueTable, Ed_Rogue}},
                   {&reqAddtoNew, {addtoNewTable, Ed_New}}};
    for (const auto& [request, binding] : marks) {
        *request = makeRequest(this, binding.first, SVT_SV, 0, kSynchronous, kTimeout);
        (*request)->AssociateEdit(0, "%s", binding.second);
        (*request)->Get();
    }

    reqSwitches = makeRequest(this, switchesTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqSwitches->AssociateCheckBox(kValidSwitch, CheckBox_MarkAllValid);
    reqSwitches->AssociateCheckBox(kRogueSwitch, CheckBox_MarkAllRogue);
    // A switch that could not be read is not saved: the user learns why now. The marks need no
    // read, so theirs are not watched until they are written.
    outcome_.watch({reqSwitches.get()});
    reqSwitches->Get();
    outcome_.showFailure();
    // A refused mark is a failure of the action that sent it.
    outcome_.watch(
        {reqAddtoValid.get(), reqAddtoNeighbor.get(), reqAddtoRogue.get(), reqAddtoNew.get()});

    CB_OperatorType->setCurrentIndex(0);
    RB_MarkAllValidClick();
    RB_MarkAllRogueClick();
}

void TFM_RogueAP::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFM_RogueAP::FormShow() {
    Btn_Detect->setFocus();
}

// ---- Survey ---------------------------------------------------------------------------------

void TFM_RogueAP::Btn_DetectClick() {
    outcome_.begin();
    Redetect();
}

void TFM_RogueAP::Redetect() {
    if (!reqSurveyRefresh) return;
    enableSurveySet(false);
    CB_Refresh->setCurrentIndex(1);
    // A trigger that cannot even be issued has no completion to enable the controls again.
    if (!reqSurveyRefresh->Set(true, true, "") && !reqSurveyRefresh->Busy()) enableSurveySet(true);
}

void TFM_RogueAP::OnRefreshSet(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    if (outcome_.fail(error) || !reqSurvey->Get()) {
        enableSurveySet(true);
        return;
    }
    StatusBar->ShowText("Refresh...!");
}

void TFM_RogueAP::OnSurveyRead(CvSNMPRequest2Controls*, const CvSNMPError& error) {
    if (outcome_.fail(error)) {
        enableSurveySet(true);
        return;
    }
    // A new survey shows every row, whatever the filter reads.
    FillSurveyList("all");
    enableSurveySet(true);
    CheckBox_SelectAll->setChecked(false);
    // A mark refused before the survey stays in view.
    outcome_.showOk("Get OK!");
}

void TFM_RogueAP::enableSurveySet(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             Btn_Detect, Btn_SetValid, Btn_SetNeigh, Btn_SetNew, Btn_SetRogue, Btn_Apply,
             CB_OperatorType, AP_ListView, RB_MarkAllRogue, RB_MarkAllValid})
        control->setEnabled(enabled);
    CheckBox_SelectAll->setEnabled(enabled && AP_UserListView->RowCount() > 0);
}

void TFM_RogueAP::FillSurveyList(const QString& filter) {
    AP_UserListView->ClearRows();
    for (QStringList row : rogueShownRows(surveyRows(), filter)) {
        const QString type = row.takeFirst();
        AP_UserListView->AddRow(type, row);
    }
}

std::vector<QStringList> TFM_RogueAP::surveyRows() const {
    std::vector<QStringList> rows;
    for (int row = 0; row < AP_ListView->RowCount(); ++row)
        rows.push_back(QStringList{AP_ListView->Caption(row)} + AP_ListView->SubItems(row));
    return rows;
}

void TFM_RogueAP::CB_OperatorTypeChange() {
    FillSurveyList(CB_OperatorType->currentText().toLower());
    const int index = CB_OperatorType->currentIndex();
    const bool allOrNew = index == 0 || index == 4;
    RB_MarkAllValid->setEnabled(allOrNew);
    RB_MarkAllRogue->setEnabled(allOrNew);
}

// ---- Marking and saving ---------------------------------------------------------------------

int TFM_RogueAP::CountChecked(const CvListView* list) {
    int count = 0;
    for (int row = 0; row < list->RowCount(); ++row) count += list->Checked(row) ? 1 : 0;
    return count;
}

QString TFM_RogueAP::FindSurveyIndex(const QString& bssid) const {
    return rogueSurveyIndex(surveyRows(), bssid);
}

bool TFM_RogueAP::markChecked(CvSNMPRequest2Edits* request, CvEdit* index) {
    if (CountChecked(AP_UserListView) == 0) {
        platform::ui().messageBox(this, "Waring", "No entry click!", platform::BoxButtons::Ok);
        return false;
    }
    // One set per checked row that the survey still holds, of the index the survey gave it.
    for (int row = 0; row < AP_UserListView->RowCount(); ++row) {
        if (!AP_UserListView->Checked(row)) continue;
        const QString surveyIndex = FindSurveyIndex(AP_UserListView->SubItem(row, kShownBssid));
        if (surveyIndex.isEmpty() || !request) continue;
        index->setText(surveyIndex);
        CvSNMPRequest2Edits::MarkChosen(index);
        request->Set(true, true, "");
    }
    return true;
}

void TFM_RogueAP::markAndRedetect(CvSNMPRequest2Edits* request, CvEdit* index) {
    outcome_.begin();
    if (markChecked(request, index)) Redetect();
}

void TFM_RogueAP::Btn_SetValidClick() {
    markAndRedetect(reqAddtoValid.get(), Ed_Valid);
}
void TFM_RogueAP::Btn_SetNeighClick() {
    markAndRedetect(reqAddtoNeighbor.get(), Ed_Neigh);
}
void TFM_RogueAP::Btn_SetRogueClick() {
    markAndRedetect(reqAddtoRogue.get(), Ed_Rogue);
}
void TFM_RogueAP::Btn_SetNewClick() {
    markAndRedetect(reqAddtoNew.get(), Ed_New);
}

void TFM_RogueAP::Btn_ApplyClick() {
    outcome_.begin();
    if (!markChecked(reqAddtoNew.get(), Ed_New) || !reqSwitches) return;
    const bool saved = setRequest(reqSwitches.get(), StatusBar, true);
    for (int item : {kValidSwitch, kRogueSwitch})
        reqSwitches->VarList.GetItem(item).access = ACC_READWRITE;
    if (saved) {
        Redetect();
        outcome_.showOk("Set OK!");
    } else if (!reqSwitches->Withheld()) {
        // A switch held back for want of a read has said so instead.
        StatusBar->ShowText("Set Error!");
    }
}

void TFM_RogueAP::RB_MarkAllValidClick() {
    markAllNew(RB_MarkAllValid, CheckBox_MarkAllValid, kValidSwitch);
}

void TFM_RogueAP::RB_MarkAllRogueClick() {
    markAllNew(RB_MarkAllRogue, CheckBox_MarkAllRogue, kRogueSwitch);
}

// The chosen switch alone takes part in the next Save; the other keeps its value unsent.
void TFM_RogueAP::markAllNew(QRadioButton* radio, QCheckBox* hidden, int sentItem) {
    if (radio->isChecked() && reqSwitches) {
        hidden->setChecked(true);
        reqSwitches->VarList.GetItem(sentItem).access = ACC_READWRITE;
        reqSwitches->VarList.GetItem(1 - sentItem).access = ACC_INVALID;
    }
    // A shown row's caption is its own type, also when a filter hides the rows around it.
    for (int row = 0; row < AP_UserListView->RowCount(); ++row)
        if (AP_UserListView->Caption(row).contains("new"))
            AP_UserListView->SetChecked(row, hidden->isChecked());
}

void TFM_RogueAP::CheckBox_SelectAllClick() {
    for (int row = 0; row < AP_UserListView->RowCount(); ++row)
        AP_UserListView->SetChecked(row, CheckBox_SelectAll->isChecked());
}

// ---- Rules ----------------------------------------------------------------------------------

std::vector<QStringList> rogueShownRows(const std::vector<QStringList>& surveyRows,
                                        const QString& filter) {
    std::vector<QStringList> shown;
    for (const QStringList& cells : surveyRows) {
        const auto at = [&cells](int cell) { return cells.value(cell); };
        if (filter != "all" && filter != at(kTypeCell)) continue;
        shown.push_back({at(kTypeCell), at(3), at(1), at(4), at(kBssidCell), at(5), at(7)});
    }
    return shown;
}

QString rogueSurveyIndex(const std::vector<QStringList>& surveyRows, const QString& bssid) {
    for (const QStringList& cells : surveyRows)
        if (cells.value(kBssidCell) == bssid) return cells.value(kIndexCell);
    return {};
}
