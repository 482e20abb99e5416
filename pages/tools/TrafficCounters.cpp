#include "pages/tools/TrafficCounters.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"

TrafficCounterPage::TrafficCounterPage(QWidget* owner, const TrafficCounterConfig& config)
    : QDialog(owner), config_(config) {
    for (const auto& counter : config_.counters)
        counterTable_.push_back(mibItem(counter.oid, counter.name, SYN_INTEGER, ACC_READONLY));
    counterTable_.push_back({});
    clearTable_ = {mibItem(config_.clearOid, config_.clearName, SYN_INTEGER, ACC_READWRITE,
                           &MibEnumerationLists::NothingClear),
                   {}};
    buildControls();
}

TrafficCounterPage::~TrafficCounterPage() = default;

void TrafficCounterPage::buildControls() {
    setWindowTitle(config_.caption);
    setSingleBorder(this);

    auto* body = new QWidget(this);
    GroupBox1 = new QGroupBox(config_.transmittedGroup, body);
    GroupBox2 = new QGroupBox(config_.receivedGroup, body);
    QGridLayout* grids[] = {new QGridLayout(GroupBox1), new QGridLayout(GroupBox2)};
    for (const auto& counter : config_.counters) {
        CvEdit* edit = nullptr;
        addEditRow(grids[counter.received ? 1 : 0], counter.label, edit);
        edit->setObjectName(counter.editName);
        setGreyedReadOnly(edit);
        counterEdits.push_back(edit);
    }
    auto* groups = new QHBoxLayout(body);
    groups->setContentsMargins(0, 0, 0, 0);
    groups->addWidget(GroupBox1, 0, Qt::AlignTop);
    groups->addWidget(GroupBox2, 0, Qt::AlignTop);

    CB_Clear = makeHiddenCombo(this);
    Btn_Refresh = new QPushButton("Refresh", this);
    Btn_Clear = new QPushButton("Clear", this);
    StatusBar1 = new CvStatusBar(this);
    // The one panel stretches over the bar, so that a failure's text is shown whole.
    StatusBar1->AddPanel(-1);
    layOutPage(this, body, {Btn_Refresh, Btn_Clear}, StatusBar1);

    connectGuarded(Btn_Refresh, &QPushButton::clicked, StatusBar1, [this] { Btn_RefreshClick(); });
    connectGuarded(Btn_Clear, &QPushButton::clicked, StatusBar1, [this] { Btn_ClearClick(); });
}

CvEdit* TrafficCounterPage::counterEdit(const QString& editName) const {
    for (CvEdit* edit : counterEdits)
        if (edit->objectName() == editName) return edit;
    return nullptr;
}

void TrafficCounterPage::FormCreate() {
    reqCounters = std::make_unique<CvSNMPRequest2Edits>(this);
    reqCounters->Mode = 0;
    reqCounters->Timeout = 10000;
    reqCounters->VarList = CvSNMPVarList(counterTable_.data(), MVT_SV, 0);
    for (size_t item = 0; item < counterEdits.size(); ++item)
        reqCounters->AssociateEdit(static_cast<int>(item), "%s", counterEdits[item]);
    StatusBar1->ShowText(reqCounters->Get() ? config_.readOk : config_.readError);

    reqClear = std::make_unique<CvSNMPRequest2Edits>(this);
    reqClear->VarList = CvSNMPVarList(clearTable_.data(), MVT_SV, 0);
    reqClear->AssociateComboBox(0, CB_Clear);
}

void TrafficCounterPage::Btn_RefreshClick() {
    StatusBar1->ShowText(reqCounters->Get() ? config_.refreshOk : config_.refreshError);
}
