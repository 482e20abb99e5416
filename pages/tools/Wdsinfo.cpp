#include "pages/tools/Wdsinfo.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"

TFM_WDSInfo* FM_WDSInfo = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const CvSNMPVarItem apModeTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER,
            ACC_READWRITE, &MibEnumerationLists::ApMode),
    {},
};

const CvSNMPVarItem channelTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.3.1", "dot11Channel", SYN_INTEGER,
            ACC_READWRITE),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.10.1", "dot11Frequency", SYN_DISPLAYSTRING,
            ACC_READONLY),
    {},
};

const CvSNMPVarItem encryptionTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.1.1.2.1", "dot11Encryption", SYN_INTEGER,
            ACC_READWRITE, &MibEnumerationLists::DisableEnable),
    {},
};

const CvSNMPVarItem wdsRefreshTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.1.1.1.1", "dot11WdsRefresh", SYN_INTEGER,
            ACC_READWRITE, &MibEnumerationLists::NothingGet),
    {},
};

// The power-saving column's OID ends in 10, out of step with its neighbours; the walk keeps this
// column order.
const CvSNMPVarItem wdsTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.1", "dot11WdsIndex", SYN_INTEGER,
            ACC_NOTACCESSIBLE),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.2", "dot11WdsMacAddress", SYN_MACADDRESS,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.3", "dot11WdsBand", SYN_INTEGER, ACC_READONLY,
            &MibEnumerationLists::WdsBand),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.4", "dot11WdsAuthentication", SYN_INTEGER,
            ACC_READONLY, &MibEnumerationLists::WdsAuthentication),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.5", "dot11WdsRssi", SYN_INTEGER,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.10", "dot11WdsPsm", SYN_INTEGER,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.7", "dot11WdsSsidIndex", SYN_DISPLAYSTRING,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.8", "dot11WdsConnected", SYN_INTEGER,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.5.2.1.9", "dot11WdsStatus", SYN_DISPLAYSTRING,
            ACC_READONLY),
    {},
};

// Sub-items of a raw peer row.
enum WdsColumn { kMac = 0, kAuthentication = 2, kSignal = 3, kName = 5, kStatus = 7 };

constexpr int kWdsWithAp = 1;
constexpr int kWds = 2;

QString authenticationText(const QString& raw, int encryptionIndex) {
    const QString treated = raw == "dot1x" || raw == "0" ? QString("opensystem") : raw;
    if (encryptionIndex == 0 && treated == "opensystem") return "None";
    if (treated == "wpa-auto-psk") return "wpa2-auto-psk";
    return raw;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_WDSInfo::TFM_WDSInfo(QWidget* owner) : QDialog(owner) {
    buildControls();
    FormCreate();
}

TFM_WDSInfo::~TFM_WDSInfo() = default;

void TFM_WDSInfo::buildControls() {
    setWindowTitle("Status \\ WDS Information");
    setSingleBorder(this);

    auto* body = new QWidget(this);
    WDS_ClientListView = new CvListView(body);
    WDS_ClientListView->MakeReport();
    const std::pair<const char*, int> columns[] = {
        {"Name", 100}, {"MAC", 145}, {"Authentication", 130}, {"Signal", 120}, {"Status ", 80}};
    for (const auto& [title, width] : columns) WDS_ClientListView->AddColumn(title, width);
    WDS_ClientListView->setMinimumSize(600, 160);
    WDS_ListView = new CvListView(this);
    WDS_ListView->hide();

    Lb_Channel = new QLabel(body);
    Lb_Band = new QLabel(body);
    auto* heading = new QHBoxLayout;
    heading->setSpacing(0);
    heading->addWidget(new QLabel("WDS Information", body));
    heading->addSpacing(20);
    for (QLabel* label : {new QLabel("Channel : ", body), Lb_Channel, new QLabel("(", body),
                          Lb_Band, new QLabel(")", body), new QLabel("GHZ", body)})
        heading->addWidget(label);
    heading->addStretch(1);

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(heading);
    column->addWidget(WDS_ClientListView);

    CB_APMode = makeHiddenCombo(this);
    CB_dot11Encryption = makeHiddenCombo(this);
    IfGetInfo1 = makeHiddenCombo(this);
    Btn_Refresh = new QPushButton("Refresh", this);
    Btn_Close = new QPushButton("Close", this);
    StatusBar1 = new CvStatusBar(this);
    // The one panel stretches over the bar, so that a failure's reason is shown whole.
    StatusBar1->AddPanel(-1);
    outcome_.attach(StatusBar1);
    layOutPage(this, body, {Btn_Refresh, Btn_Close}, StatusBar1);

    connectGuarded(Btn_Refresh, &QPushButton::clicked, StatusBar1, [this] { Btn_RefreshClick(); });
    connectGuarded(Btn_Close, &QPushButton::clicked, StatusBar1, [this] { Btn_CloseClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_WDSInfo::FormCreate() {
    reqApMode = std::make_unique<CvSNMPRequest2Edits>(this);
    reqApMode->Mode = 0;
    reqApMode->Timeout = 1000;
    reqApMode->VarList = CvSNMPVarList(apModeTable, MVT_SV, 0);
    reqApMode->AssociateComboBox(0, CB_APMode);
    reqApMode->Get();

    reqChannel = std::make_unique<CvSNMPRequest2Edits>(this);
    reqChannel->Mode = 0;
    reqChannel->Timeout = 1000;
    reqChannel->VarList = CvSNMPVarList(channelTable, MVT_SV, 0);
    reqChannel->AssociateLabel(0, Lb_Channel);
    reqChannel->AssociateLabel(1, Lb_Band);
    reqChannel->Get();

    reqEncryption = std::make_unique<CvSNMPRequest2Edits>(this);
    reqEncryption->Mode = 0;
    reqEncryption->Timeout = 5000;
    reqEncryption->VarList = CvSNMPVarList(encryptionTable, MVT_SV, 0);
    reqEncryption->AssociateComboBox(0, CB_dot11Encryption);
    reqEncryption->Get();

    const int mode = CB_APMode->currentIndex();
    if (mode == kWdsWithAp || mode == kWds) buildWdsRequests();
    Btn_RefreshClick();
}

void TFM_WDSInfo::buildWdsRequests() {
    reqWdsRefresh = std::make_unique<CvSNMPRequest2Edits>(this);
    reqWdsRefresh->Timeout = 10000;
    reqWdsRefresh->VarList = CvSNMPVarList(wdsRefreshTable, MVT_SV, 0);
    reqWdsRefresh->AssociateComboBox(0, IfGetInfo1);
    reqWdsRefresh->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar1, [&] { OnWdsRefreshSet(sender, outcome); });
    };

    reqWdsTable = std::make_unique<CvSNMPRequest2Edits>(this);
    reqWdsTable->Timeout = 10000;
    reqWdsTable->VarList = CvSNMPVarList(wdsTable, MVT_UMV, 1);
    reqWdsTable->AssociateListView(WDS_ListView, true);
    reqWdsTable->SetLogTarget(StatusBar1);
    reqWdsTable->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar1, [&] { OnWdsTableRead(sender, outcome); });
    };
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_WDSInfo::Btn_RefreshClick() {
    outcome_.begin();
    IfGetInfo1->setCurrentIndex(1);
    // The mode read at creation decides for the page's whole life: the WDS requests exist only
    // when it was a WDS mode.
    if (reqWdsRefresh) reqWdsRefresh->Set(true, true, "");
}

void TFM_WDSInfo::Btn_CloseClick() {
    close();
}

void TFM_WDSInfo::OnWdsRefreshSet(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome, "Get timed out!" + QString::fromStdString(outcome.Message))) return;
    reqWdsTable->Get();
    // The list is not got until the walk has answered.
    outcome_.showOk("Get Ok!", {reqWdsTable.get()});
}

void TFM_WDSInfo::OnWdsTableRead(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome)) return;
    FillWdsList();
    // The trigger's "Get Ok!" follows when it waits for this answer.
    if (!outcome_.waiting()) outcome_.showOk(QString::fromStdString(outcome.Message));
}

void TFM_WDSInfo::FillWdsList() {
    std::vector<QStringList> tableRows;
    for (int row = 0; row < WDS_ListView->RowCount(); ++row)
        tableRows.push_back(WDS_ListView->SubItems(row));
    WDS_ClientListView->ClearRows();
    for (const ListRow& row : wdsListRows(tableRows, CB_dot11Encryption->currentIndex()))
        WDS_ClientListView->AddRow(row.caption, row.subItems);
}

// ---- Rules ----------------------------------------------------------------------------------

std::vector<ListRow> wdsListRows(const std::vector<QStringList>& tableRows, int encryptionIndex) {
    std::vector<ListRow> shown;
    for (const QStringList& raw : tableRows) {
        const auto cell = [&raw](int index) { return raw.value(index); };
        const QString signal = cell(kSignal);
        ListRow row{cell(kName),
                    {cell(kMac) == "000000000000" ? QString() : cell(kMac),
                     authenticationText(cell(kAuthentication), encryptionIndex),
                     signal == "0" ? QString() : signal + "%"}};
        if (cell(kStatus) == "on") row.subItems << "On";
        if (cell(kStatus) == "off") row.subItems << "Off";
        shown.push_back(row);
    }
    return shown;
}
