#include "pages/tools/Clientinfo.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"

TClientInformation* ClientInformation = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const CvSNMPVarItem detectTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.1.1.1.1", "dot11ClientInformationRefresh",
            SYN_INTEGER, ACC_READWRITE, &MibEnumerationLists::NothingGet),
    {},
};

const CvSNMPVarItem bandTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.34.1", "dot11Band", SYN_INTEGER,
            ACC_READWRITE, &MibEnumerationLists::Band),
    {},
};

const CvSNMPVarItem clientTable[] = {
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.1", "dot11ClinetIndex", SYN_INTEGER,
            ACC_NOTACCESSIBLE),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.2", "dot11ClientMacAddress", SYN_MACADDRESS,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.3", "dot11ClientBand", SYN_INTEGER,
            ACC_READONLY, &MibEnumerationLists::ClientBand),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.4", "dot11ClientAuthentication", SYN_INTEGER,
            ACC_READONLY, &MibEnumerationLists::ClientAuthentication),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.5", "dot11ClientRssi", SYN_INTEGER,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.6", "dot11ClientPsm", SYN_INTEGER,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.7", "dot11SSIDIndex", SYN_DISPLAYSTRING,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.8", "dot11ClientUptime", SYN_TIMETICKS,
            ACC_READONLY),
    mibItem("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.9", "dot11ActiveTime", SYN_TIMETICKS,
            ACC_READONLY),
    {},
};

// Sub-items of a raw station row.
enum ClientColumn {
    kMac = 0,
    kBand = 1,
    kAuthentication = 2,
    kSignal = 3,
    kPowerSaving = 4,
    kSsid = 5
};

const char* const kFreeMac = "000000000000";
const char* const kDetecting = "Detect Client Info...";
const char* const kDetectFailed = "Detect timed out!";
const char* const kReading = "Get Client info...!";

QString authenticationText(const QString& raw) {
    static const std::pair<const char*, const char*> shown[] = {
        {"opensystem", "OPEN"}, {"sharedkey", "WEP"},     {"wpa-psk", "WPA-PSK"},
        {"wpa-eap", "WPA-EAP"}, {"wpa2-psk", "WPA2-PSK"}, {"wpa2-eap", "WPA2-EAP"},
    };
    for (const auto& [device, text] : shown)
        if (raw == device) return text;
    return raw;
}

QString powerSavingText(const QString& raw) {
    if (raw == "1") return "On";
    if (raw == "0") return "Off";
    return raw;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TClientInformation::TClientInformation(QWidget* owner) : QDialog(owner) {
    buildControls();
    FormCreate();
}

TClientInformation::~TClientInformation() = default;

void TClientInformation::buildControls() {
    setWindowTitle("Status \\ Client Information");
    setSingleBorder(this);

    auto* body = new QWidget(this);
    User_ListView = new CvListView(body);
    User_ListView->MakeReport();
    for (const char* title :
         {"Index", "SSID", "MAC", "Band", "Authentication", "Signal", "Power Saving Mode"})
        User_ListView->AddColumn(title);
    User_ListView->setMinimumSize(700, 220);
    ClientListView = new CvListView(this);
    ClientListView->hide();

    NumOfRecord = new QLabel("0", body);
    Lb_Band = new QLabel("2.4GHZ", body);
    auto* heading = new QHBoxLayout;
    heading->setSpacing(0);
    for (QLabel* label :
         {new QLabel("Client Information ", body), new QLabel("Station association", body),
          new QLabel("(", body), Lb_Band, new QLabel("):", body)})
        heading->addWidget(label);
    heading->addSpacing(6);
    heading->addWidget(NumOfRecord);
    heading->addStretch(1);

    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(heading);
    column->addWidget(User_ListView);

    IfGetInfo0 = makeHiddenCombo(this);
    CB_Band = makeHiddenCombo(this);
    Bt_Rfrsh = new QPushButton("Refresh", this);
    Bt_Close = new QPushButton("Close", this);
    StatusBar = new CvStatusBar(this);
    // The one panel stretches over the bar, so that a failure's reason is shown whole.
    StatusBar->AddPanel(-1);
    outcome_.attach(StatusBar);
    layOutPage(this, body, {Bt_Rfrsh, Bt_Close}, StatusBar);

    connectGuarded(Bt_Rfrsh, &QPushButton::clicked, StatusBar, [this] { Bt_RfrshClick(); });
    connectGuarded(Bt_Close, &QPushButton::clicked, StatusBar, [this] { Bt_CloseClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TClientInformation::FormCreate() {
    reqDetect = std::make_unique<CvSNMPRequest2Edits>(this);
    reqDetect->Timeout = 10000;
    reqDetect->VarList = CvSNMPVarList(detectTable, MVT_SV, 1);
    reqDetect->AssociateComboBox(0, IfGetInfo0);
    reqDetect->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar, [&] { OnDetectSet(sender, outcome); });
    };

    reqBand = std::make_unique<CvSNMPRequest2Edits>(this);
    reqBand->Mode = 0;
    reqBand->Timeout = 10000;
    reqBand->VarList = CvSNMPVarList(bandTable, MVT_SV, 0);
    reqBand->AssociateComboBox(0, CB_Band);
    reqBand->Get();
    Lb_Band->setText(CB_Band->currentIndex() == 0 ? "2.4GHZ" : "5GHZ");

    reqClientTable = std::make_unique<CvSNMPRequest2Edits>(this);
    reqClientTable->Timeout = 10000;
    reqClientTable->VarList = CvSNMPVarList(clientTable, MVT_UMV, 1);
    reqClientTable->AssociateListView(ClientListView, true);
    reqClientTable->SetLogTarget(StatusBar);
    reqClientTable->OnAfterGet = [this](CvSNMPRequest2Controls* sender,
                                        const CvSNMPError& outcome) {
        runGuarded(StatusBar, [&] { OnTableRead(sender, outcome); });
    };

    // Each shown column at least as wide as its title, which "Power Saving Mode" needs.
    const int widths[] = {0, 100, 135, 120, 120, 50, 50};
    for (int column = 0; column < User_ListView->ColumnCount(); ++column) {
        const int title =
            User_ListView->fontMetrics().horizontalAdvance(User_ListView->ColumnTitle(column)) + 16;
        User_ListView->setColumnWidth(column, widths[column] ? std::max(widths[column], title) : 0);
    }

    startDetection();
}

void TClientInformation::startDetection() {
    outcome_.begin();
    IfGetInfo0->setCurrentIndex(1);
    StatusBar->ShowText(kDetecting);
    User_ListView->ClearRows();
    reqDetect->Set(true, true, "");
}

// ---- Handlers -------------------------------------------------------------------------------

void TClientInformation::Bt_RfrshClick() {
    detecting = true;
    startDetection();
    reqClientTable->Get();
}

void TClientInformation::Bt_CloseClick() {
    close();
}

bool TClientInformation::FormCloseQuery() const {
    return !detecting;
}

void TClientInformation::done(int result) {
    // The close box, Esc and Close all end here.
    if (!FormCloseQuery()) return;
    QDialog::done(result);
}

// Refresh's walk and the trigger answer in either order: a failure of either stands over the
// other's success.
void TClientInformation::OnDetectSet(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome, kDetectFailed + QString::fromStdString(outcome.Message))) {
        showRecordCount();
        detecting = false;
        return;
    }
    reqClientTable->Get();
    if (!outcome_.failed()) StatusBar->ShowText(kReading);
}

void TClientInformation::OnTableRead(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    detecting = false;
    if (!outcome_.fail(outcome)) {
        FillClientList();
        outcome_.showOk(QString::fromStdString(outcome.Message),
                        {reqDetect.get(), reqClientTable.get()});
    }
    showRecordCount();
}

void TClientInformation::FillClientList() {
    std::vector<QStringList> tableRows;
    for (int row = 0; row < ClientListView->RowCount(); ++row)
        tableRows.push_back(ClientListView->SubItems(row));
    User_ListView->ClearRows();
    for (const ListRow& row : clientListRows(tableRows))
        User_ListView->AddRow(row.caption, row.subItems);
}

void TClientInformation::showRecordCount() {
    NumOfRecord->setText(QString::number(User_ListView->RowCount()));
}

// ---- Rules ----------------------------------------------------------------------------------

std::vector<ListRow> clientListRows(const std::vector<QStringList>& tableRows) {
    std::vector<ListRow> shown;
    for (const QStringList& raw : tableRows) {
        const auto cell = [&raw](int index) { return raw.value(index); };
        if (cell(kMac) == kFreeMac) continue;
        shown.push_back(
            {QString::number(shown.size() + 1),
             {cell(kSsid), cell(kMac), cell(kBand), authenticationText(cell(kAuthentication)),
              cell(kSignal), powerSavingText(cell(kPowerSaving))}});
    }
    return shown;
}
