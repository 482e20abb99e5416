#include "pages/advanced/Vlansetting.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidgetItem>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

#include "app/MibEnumerationLists.h"
#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

TFM_VlanSetting* FM_VlanSetting = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

using Lists = MibEnumerationLists;

// The device's enterprise subtree.
const std::string E = "1.3.6.1.4.1.32473.10.37.38";

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE,
            &Lists::ApModeAlt),
    {},
};

const CvSNMPVarItem applySettingTable[] = {
    mibItem(E + ".4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE, &Lists::NothingApply),
    {},
};

const CvSNMPVarItem statusModeTable[] = {
    mibItem(E + ".3.6.1.1", "dot11VlanStatus", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(E + ".3.6.1.2", "dot11VlanMode", SYN_INTEGER, ACC_READONLY, &Lists::VlanMode),
    {},
};

const CvSNMPVarItem pvidAutoTable[] = {
    mibItem(E + ".3.6.2.1", "dot11PvidAutoAssignStatus", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
    {},
};

// Row 1 of the PVID table, for the ten ports the page shows.
const std::string P = E + ".3.6.2.2.1";
const CvSNMPVarItem pvidTable[] = {
    mibItem(P + ".2.1", "dot11PvidSettingMgmt", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".3.1", "dot11PvidSettingLan", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".4.1", "dot11PvidSettingPrimary", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".5.1", "dot11PvidSettingMssid1", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".6.1", "dot11PvidSettingMssid2", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".7.1", "dot11PvidSettingMssid3", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".12.1", "dot11PvidSettingWds1", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".13.1", "dot11PvidSettingWds2", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".14.1", "dot11PvidSettingWds3", SYN_INTEGER, ACC_READWRITE),
    mibItem(P + ".15.1", "dot11PvidSettingWds4", SYN_INTEGER, ACC_READWRITE),
    {},
};

const CvSNMPVarItem mssidNamesTable[] = {
    mibItem(E + ".3.3.3.1.1", "dot11MssidIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".3.3.3.1.3", "dot11MssidSsid", SYN_DISPLAYSTRING, ACC_READONLY),
    {},
};

const CvSNMPVarItem portListRefreshTable[] = {
    mibItem(E + ".3.6.3.1", "dot11PortListRefresh", SYN_INTEGER, ACC_READWRITE,
            &Lists::NothingRefresh),
    {},
};

const std::string L = E + ".3.6.3.2.1";
const CvSNMPVarItem portListTable[] = {
    mibItem(L + ".1", "dot11PortListIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
    mibItem(L + ".2", "dot11PortListTagVid", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(L + ".3", "dot11PortListUntagVid", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(L + ".4", "dot11PortLisPortName", SYN_DISPLAYSTRING, ACC_READONLY),
    {},
};

// The group VLAN list: index, VID, name, one member column per port, the delete column.
constexpr int kItemVid = 1, kItemName = 2, kItemFirstPort = 3, kItemDelete = 17;
const char* const portColumnNames[kVlanPortCount] = {
    "Mgmt",   "Lan",    "Primary", "Mssid1", "Mssid2", "Mssid3", "Mssid4",
    "Mssid5", "Mssid6", "Mssid7",  "Wds1",   "Wds2",   "Wds3",   "Wds4"};

std::vector<CvSNMPVarItem> vlanListItems() {
    const std::string G = E + ".3.6.1.3.1";
    std::vector<CvSNMPVarItem> items = {
        mibItem(G + ".1", "dot11GroupVlanListIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
        mibItem(G + ".2", "dot11GroupVlanListVid", SYN_INTEGER, ACC_READWRITE),
        mibItem(G + ".3", "dot11GroupVlanListName", SYN_DISPLAYSTRING, ACC_READWRITE)};
    for (int port = 0; port < kVlanPortCount; ++port)
        items.push_back(mibItem(G + "." + std::to_string(4 + port),
                                std::string("dot11GroupVlanList") + portColumnNames[port],
                                SYN_INTEGER, ACC_READWRITE, &Lists::VlanMember));
    items.push_back(mibItem(G + ".22", "dot11VlanListSurveydelete", SYN_INTEGER, ACC_READWRITE,
                            &Lists::NothingDelete));
    return items;
}

// The ports as the page names them; S-4 to S-7 (positions 6 to 9) are never shown.
const char* const portNames[kVlanPortCount] = {"Mgmt", "LAN", "Primary", "S-1", "S-2",
                                               "S-3",  "S-4", "S-5",     "S-6", "S-7",
                                               "W-1",  "W-2", "W-3",     "W-4"};
constexpr int kFirstHiddenSsid = 6, kLastHiddenSsid = 9;
constexpr int kPortListRows = 10;
constexpr int kMemberNone = 0, kMemberTag = 1, kMemberUntag = 2;
enum Column { kUntag, kTag, kNotMember };
enum Tab { kTabVlanList, kTabPortList, kTabEditVlan, kTabPvid };
constexpr int kTimeout = 10000;
constexpr int kVidMaxLength = 4;
constexpr int kLimitAfterRead = 14, kLimitAfterStatusChange = 10, kNoLimit = -1;

bool isHiddenSsidPort(int port) {
    return port >= kFirstHiddenSsid && port <= kLastHiddenSsid;
}

std::string valueAt(const std::vector<std::string>& values, int item) {
    return item < static_cast<int>(values.size()) ? values[item] : std::string();
}

// Writes one cell of a report list, creating it when the row has none yet.
void setCell(CvListView* list, int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = list->item(row, column))
        cell->setText(text);
    else
        list->setItem(row, column, new QTableWidgetItem(text));
}

CvListView* makeReportList(QWidget* parent,
                           std::initializer_list<std::pair<const char*, int>> columns) {
    auto* list = new CvListView(parent);
    for (const auto& [title, width] : columns) list->AddColumn(title, width);
    return list;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_VlanSetting::TFM_VlanSetting(QWidget* owner) : QDialog(owner) {
    buildControls();
    connectHandlers();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_VlanSetting::~TFM_VlanSetting() = default;

void TFM_VlanSetting::buildControls() {
    setWindowTitle("Advanced \\ VLAN Settings");
    setSingleBorder(this);
    auto* body = new QWidget(this);
    auto* rows = new QVBoxLayout(body);
    rows->setContentsMargins(0, 0, 0, 0);

    LB_VlanSetting = new QLabel("VLAN Settings", body);
    QFont title = LB_VlanSetting->font();
    title.setBold(true);
    LB_VlanSetting->setFont(title);
    rows->addWidget(LB_VlanSetting);
    auto* status = new QHBoxLayout;
    Label1 = new QLabel(" VLAN Status  :", body);
    CB_VlanStatus = new QComboBox(body);
    CB_VlanStatus->setMinimumWidth(120);
    Button1 = new QPushButton("Save", body);
    Button1->setAutoDefault(false);
    Label2 = new QLabel(" VLAN Mode  : ", body);
    LB_VlanMode = new QLabel("LB_VlanMode", body);
    for (QWidget* control : std::initializer_list<QWidget*>{Label1, CB_VlanStatus, Button1})
        status->addWidget(control);
    status->addSpacing(30);
    status->addWidget(Label2);
    status->addWidget(LB_VlanMode);
    status->addStretch(1);
    rows->addLayout(status);

    PageControl1 = new QTabWidget(body);
    TabSheet_VlanList = buildVlanListTab();
    TabSheet_PortList = buildPortListTab();
    TabSheet_EditVlan = buildEditTab();
    TabSheet_PvidSetting = buildPvidTab();
    PageControl1->addTab(TabSheet_VlanList, "VLAN List");
    PageControl1->addTab(TabSheet_PortList, "Port List");
    PageControl1->addTab(TabSheet_EditVlan, "Add/Edit VLAN");
    PageControl1->addTab(TabSheet_PvidSetting, "PVID Setting");
    rows->addWidget(PageControl1);

    CB_VlanMode = makeHiddenCombo(this);
    CB_APMode = makeHiddenCombo(this);
    CB_DeviceApplySetting = makeHiddenCombo(this);
    CB_PortListRefresh = makeHiddenCombo(this);
    CB_VlanItemDel = makeHiddenCombo(this);
    for (QComboBox*& combo : portMemberCombos) combo = makeHiddenCombo(this);
    LV_PortList = new CvListView(this);
    LV_MultiSSID = new CvListView(this);
    LV_VlanList = new CvListView(this);
    LB_Index = new QLabel(this);
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{LV_PortList, LV_MultiSSID, LV_VlanList, LB_Index})
        hidden->hide();

    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    StatusBar->AddPanel(-1);
    layOutPage(this, body, {}, StatusBar);
    centreOnMainWindow(this);
}

QWidget* TFM_VlanSetting::buildVlanListTab() {
    auto* tab = new QWidget;
    auto* rows = new QVBoxLayout(tab);
    LV_VlanListUser = makeReportList(
        tab,
        {{"VID", 60}, {"VLAN Name ", 130}, {"Untag VLAN Ports ", 330}, {"Tag VLAN Ports ", 330}});
    LV_VlanListUser->viewport()->installEventFilter(this);
    rows->addWidget(LV_VlanListUser);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Btn_VlanEdit = new QPushButton("Edit", tab);
    Btn_VlanDelete = new QPushButton("Delete", tab);
    for (QPushButton* button : {Btn_VlanEdit, Btn_VlanDelete}) {
        button->setAutoDefault(false);
        button->setEnabled(false);
        buttons->addWidget(button);
    }
    rows->addLayout(buttons);
    return tab;
}

QWidget* TFM_VlanSetting::buildPortListTab() {
    auto* tab = new QWidget;
    auto* rows = new QVBoxLayout(tab);
    LV_PortListUser = makeReportList(
        tab, {{"Port Name ", 150}, {"Tag VID", 140}, {"Untag VID ", 140}, {"PVID ", 80}});
    rows->addWidget(LV_PortListUser);
    return tab;
}

QWidget* TFM_VlanSetting::buildEditTab() {
    auto* tab = new QWidget;
    auto* rows = new QVBoxLayout(tab);
    auto* names = new QGridLayout;
    Label3 = new QLabel(" VLAN ID (VID)", tab);
    Label4 = new QLabel("VLAN Name", tab);
    Ed_VlanID = new CvEdit(tab);
    Ed_VlanName = new CvEdit(tab);
    names->addWidget(Label3, 0, 0);
    names->addWidget(Ed_VlanID, 0, 1);
    names->addWidget(Label4, 1, 0);
    names->addWidget(Ed_VlanName, 1, 1);
    names->setColumnStretch(2, 1);
    Ed_VlanID->setMinimumWidth(160);
    Ed_VlanName->setMinimumWidth(160);
    rows->addLayout(names);

    // One group per kind of port: a caption row, a "Select All" row of three buttons, then one
    // row of three exclusive radio buttons per port.
    auto buildGroup = [this, tab](const char* caption, int firstPort, int lastPort, int spareRows,
                                  std::array<QPushButton**, 3> allButtons) {
        auto* group = new QGroupBox(tab);
        auto* grid = new QGridLayout(group);
        const char* headings[] = {nullptr, "Untag", "Tag", "Not Member"};
        grid->addWidget(new QLabel(caption, group), 0, 0);
        for (int column = 1; column < 4; ++column)
            grid->addWidget(new QLabel(headings[column], group), 0, column, Qt::AlignHCenter);
        grid->addWidget(new QLabel("Select All", group), 1, 0);
        // A button only as wide as its column's heading keeps the three groups within a small
        // screen; a push button's own least width would widen the page past it.
        const QFontMetrics metrics = group->fontMetrics();
        for (int column = 0; column < 3; ++column) {
            *allButtons[column] = new QPushButton("All", group);
            (*allButtons[column])->setAutoDefault(false);
            (*allButtons[column])
                ->setFixedWidth(std::max(metrics.horizontalAdvance(headings[column + 1]),
                                         metrics.horizontalAdvance("All") + 24));
            grid->addWidget(*allButtons[column], 1, column + 1);
        }
        auto addPortRow = [&](const QString& name, std::array<QRadioButton*, 3>& radios,
                              bool shown) {
            const int row = grid->rowCount();
            auto* label = new QLabel(name, group);
            grid->addWidget(label, row, 0);
            auto* exclusive = new QButtonGroup(group);
            for (int column = 0; column < 3; ++column) {
                radios[column] = new QRadioButton(group);
                exclusive->addButton(radios[column]);
                grid->addWidget(radios[column], row, column + 1, Qt::AlignHCenter);
                radios[column]->setVisible(shown);
            }
            label->setVisible(shown);
        };
        for (int port = firstPort; port <= lastPort; ++port) {
            std::array<QRadioButton*, 3> radios{};
            addPortRow(portNames[port], radios, !isHiddenSsidPort(port));
            untagRadios[port] = radios[kUntag];
            tagRadios[port] = radios[kTag];
            notMemberRadios[port] = radios[kNotMember];
        }
        for (int spare = 0; spare < spareRows; ++spare)
            addPortRow(QString("W-%1").arg(5 + spare), spareWdsRadios[spare], false);
        return group;
    };
    GroupBox_VlanPort = buildGroup(
        "Port", 0, 1, 0, {&Btn_VlanPortUntagAll, &Btn_VlanPortTagAll, &Btn_VlanPortNotAll});
    GroupBox_VlanMssidPort =
        buildGroup("MSSID Port", 2, 9, 0,
                   {&Btn_VlanMssidUntagAll, &Btn_VlanMssidTagAll, &Btn_VlanMssidNotAll});
    GroupBox_VlanWdsPort = buildGroup(
        "WDS Port", 10, 13, 4, {&Btn_VlanWdsUntagAll, &Btn_VlanWdsTagAll, &Btn_VlanWdsNotAll});
    auto* groups = new QHBoxLayout;
    for (QGroupBox* group : {GroupBox_VlanPort, GroupBox_VlanMssidPort, GroupBox_VlanWdsPort})
        groups->addWidget(group, 0, Qt::AlignTop);
    rows->addLayout(groups);

    auto* save = new QHBoxLayout;
    save->addStretch(1);
    AddButton = new QPushButton("Save", tab);
    AddButton->setAutoDefault(false);
    save->addWidget(AddButton);
    rows->addLayout(save);
    rows->addStretch(1);
    return tab;
}

QWidget* TFM_VlanSetting::buildPvidTab() {
    auto* tab = new QWidget;
    auto* rows = new QVBoxLayout(tab);
    GroupBox_PvidSetting = new QGroupBox("Pvid Setting", tab);
    rows->addWidget(GroupBox_PvidSetting);
    rows->addStretch(1);
    auto* content = new QVBoxLayout(GroupBox_PvidSetting);
    auto* auto_ = new QHBoxLayout;
    Label5 = new QLabel(" PVID Auto Assign Status  ", GroupBox_PvidSetting);
    CB_PvidAutoStatus = new QComboBox(GroupBox_PvidSetting);
    Btn_PvidApply = new QPushButton("Save", GroupBox_PvidSetting);
    Btn_PvidApply->setAutoDefault(false);
    auto_->addWidget(Label5);
    auto_->addWidget(CB_PvidAutoStatus);
    auto_->addStretch(1);
    auto_->addWidget(Btn_PvidApply);
    content->addLayout(auto_);

    auto* groups = new QHBoxLayout;
    auto buildGroup = [&](const char* caption, const QString& prefix,
                          std::vector<std::pair<QString, CvEdit**>> ports, int shownCount) {
        auto* group = new QGroupBox(caption, GroupBox_PvidSetting);
        auto* grid = new QGridLayout(group);
        for (int i = 0; i < static_cast<int>(ports.size()); ++i) {
            auto* edit = new CvEdit(group);
            *ports[i].second = edit;
            // A PVID the device did not give keeps the edit's own name, as laid out.
            const QString port = ports[i].first == "LAN" ? "Lan" : QString(ports[i].first);
            edit->setObjectName("Ed_Pvid" + prefix + QString(port).remove('-'));
            edit->setText(edit->objectName());
            QLabel* label = addRow(grid, ports[i].first, edit);
            edit->setMinimumWidth(70);
            edit->setVisible(i < shownCount);
            label->setVisible(i < shownCount);
        }
        groups->addWidget(group, 0, Qt::AlignTop);
    };
    buildGroup("Port", "", {{"Mgmt", &Ed_PvidMgmt}, {"LAN", &Ed_PvidLan}}, 2);
    std::vector<std::pair<QString, CvEdit**>> ssids = {{"Primary", &Ed_PvidMssidPrimary}};
    for (int i = 0; i < 7; ++i) ssids.push_back({QString("S-%1").arg(i + 1), &Ed_PvidMssid[i]});
    buildGroup("MSSID Port", "Mssid", ssids, 4);
    std::vector<std::pair<QString, CvEdit**>> wds;
    for (int i = 0; i < 8; ++i) wds.push_back({QString("W-%1").arg(i + 1), &Ed_PvidWds[i]});
    buildGroup("WDS Port", "Wds", wds, 4);
    content->addLayout(groups);
    return tab;
}

void TFM_VlanSetting::connectHandlers() {
    auto on = [this](auto* sender, auto signal, void (TFM_VlanSetting::*handler)()) {
        connectGuarded(sender, signal, StatusBar, [this, handler] { (this->*handler)(); });
    };
    on(CB_VlanStatus, &QComboBox::activated, &TFM_VlanSetting::CB_VlanStatusChange);
    on(CB_PvidAutoStatus, &QComboBox::activated, &TFM_VlanSetting::CB_PvidAutoStatusChange);
    on(Button1, &QPushButton::clicked, &TFM_VlanSetting::Btn_VlanApplyClick);
    on(Btn_PvidApply, &QPushButton::clicked, &TFM_VlanSetting::Btn_PvidApplyClick);
    on(PageControl1, &QTabWidget::currentChanged, &TFM_VlanSetting::PageControl1Change);
    on(Btn_VlanEdit, &QPushButton::clicked, &TFM_VlanSetting::Btn_VlanEditClick);
    on(Btn_VlanDelete, &QPushButton::clicked, &TFM_VlanSetting::Btn_VlanDeleteClick);
    on(AddButton, &QPushButton::clicked, &TFM_VlanSetting::AddButtonClick);
    const std::pair<QPushButton*, void (TFM_VlanSetting::*)()> allButtons[] = {
        {Btn_VlanPortUntagAll, &TFM_VlanSetting::Btn_VlanPortUntagAllClick},
        {Btn_VlanPortTagAll, &TFM_VlanSetting::Btn_VlanPortTagAllClick},
        {Btn_VlanPortNotAll, &TFM_VlanSetting::Btn_VlanPortNotAllClick},
        {Btn_VlanMssidUntagAll, &TFM_VlanSetting::Btn_VlanMssidUntagAllClick},
        {Btn_VlanMssidTagAll, &TFM_VlanSetting::Btn_VlanMssidTagAllClick},
        {Btn_VlanMssidNotAll, &TFM_VlanSetting::Btn_VlanMssidNotAllClick},
        {Btn_VlanWdsUntagAll, &TFM_VlanSetting::Btn_VlanWdsUntagAllClick},
        {Btn_VlanWdsTagAll, &TFM_VlanSetting::Btn_VlanWdsTagAllClick},
        {Btn_VlanWdsNotAll, &TFM_VlanSetting::Btn_VlanWdsNotAllClick}};
    for (const auto& [button, handler] : allButtons) on(button, &QPushButton::clicked, handler);
    // A list without a chosen VLAN has nothing to edit or delete.
    connect(LV_VlanListUser, &CvListView::SelectionCleared, this, [this] {
        Btn_VlanEdit->setEnabled(false);
        Btn_VlanDelete->setEnabled(false);
    });
}

// Every click on the list, on a row or on empty space below the rows, runs the row click.
bool TFM_VlanSetting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LV_VlanListUser->viewport() && event->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, this,
                           [this] { runGuarded(StatusBar, [this] { LV_VlanListUserClick(); }); });
    return QDialog::eventFilter(watched, event);
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_VlanSetting::FormCreate() {
    isCreating = true;
    outcome_.begin();
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
    }
    CB_VlanStatusChange();
    Ed_VlanID->clear();
    replaceTypingLimit(Ed_VlanID, kVidMaxLength);
    Ed_VlanName->clear();
    Btn_VlanPortUntagAllClick();
    Btn_VlanMssidUntagAllClick();
    Btn_VlanWdsUntagAllClick();
    isCreating = false;
    switchTab(kTabVlanList);
}

void TFM_VlanSetting::buildRequests() {
    reqApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqApMode->AssociateComboBox(0, CB_APMode);
    outcome_.watch({reqApMode.get()});
    reqApMode->Get();
    Btn_VlanEdit->setEnabled(false);
    Btn_VlanDelete->setEnabled(false);

    reqApplySetting = makeRequest(this, applySettingTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqApplySetting->AssociateComboBox(0, CB_DeviceApplySetting);

    reqVlanStatusMode = makeRequest(this, statusModeTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqVlanStatusMode->AssociateComboBox(0, CB_VlanStatus);
    reqVlanStatusMode->AssociateComboBox(1, CB_VlanMode);
    outcome_.watch({reqVlanStatusMode.get()});
    if (reqVlanStatusMode->Get())
        LB_VlanMode->setText(CB_VlanMode->currentIndex() == 0 ? "Static" : "Dynamic");

    reqPvidAuto = makeRequest(this, pvidAutoTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqPvidAuto->AssociateComboBox(0, CB_PvidAutoStatus);
    outcome_.watch({reqPvidAuto.get()});
    if (reqPvidAuto->Get()) CB_PvidAutoStatusChange();

    reqPvid = makeRequest(this, pvidTable, MVT_SV, 0, kSynchronous, kTimeout);
    const std::vector<CvEdit*> pvids = visiblePvidEdits();
    for (int item = 0; item < static_cast<int>(pvids.size()); ++item)
        reqPvid->AssociateEdit(item, "%s", pvids[item]);
    outcome_.watch({reqPvid.get()});
    reqPvid->Get();

    reqMssidNames = makeRequest(this, mssidNamesTable, MVT_UMV, 1, kSynchronous, kTimeout);
    reqMssidNames->AssociateListView(LV_MultiSSID, true);
    outcome_.watch({reqMssidNames.get()});
    if (reqMssidNames->Get()) FillPortNames();

    reqPortListRefresh = makeRequest(this, portListRefreshTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqPortListRefresh->AssociateComboBox(0, CB_PortListRefresh);
    outcome_.watch({reqPortListRefresh.get()});
    reqPortList = makeRequest(this, portListTable, MVT_UMV, 1, kAsynchronous, kTimeout);
    reqPortList->AssociateListView(LV_PortList, true);
    reqPortList->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar, [&] { OnPortListRead(sender, outcome); });
    };
    sendPortListRefresh();
    reqPortList->Get();

    buildVlanListRequest();
}

void TFM_VlanSetting::buildVlanListRequest() {
    reqVlanList = makeRequest(this, vlanListItems(), MVT_UMV, 1, kAsynchronous, kTimeout);
    reqVlanList->AssociateListView(LV_VlanList, true);
    reqVlanList->AssociateLabel(0, LB_Index);
    reqVlanList->AssociateEdit(kItemVid, "%s", Ed_VlanID);
    reqVlanList->AssociateEdit(kItemName, "%s", Ed_VlanName);
    for (int port = 0; port < kVlanPortCount; ++port)
        reqVlanList->AssociateComboBox(kItemFirstPort + port, portMemberCombos[port]);
    reqVlanList->AssociateComboBox(kItemDelete, CB_VlanItemDel);
    reqVlanList->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar, [&] { OnVlanListRead(sender, outcome); });
    };
    reqVlanList->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar, [&] { OnVlanListSet(sender, outcome); });
    };
    reqVlanList->Get();
}

// ---- Status, PVIDs and the port list --------------------------------------------------------

void TFM_VlanSetting::CB_VlanStatusChange() {
    const int apMode = CB_APMode->currentIndex();
    if (!isCreating && (apMode == 2 || apMode == 3))
        platform::ui().messageBox(this, "Warning",
                                  "If you enable VLAN,AP Mode is set to access point.",
                                  platform::BoxButtons::Ok);
    selectFreeRow(kLimitAfterStatusChange);
    enableEditing(vlanEditingEnabled(CB_VlanMode->currentIndex(), CB_VlanStatus->currentIndex()),
                  true);
}

void TFM_VlanSetting::CB_PvidAutoStatusChange() {
    const bool editable =
        CB_VlanMode->currentIndex() == 0 && CB_PvidAutoStatus->currentIndex() == 0;
    for (CvEdit* pvid : allPvidEdits()) pvid->setEnabled(editable);
}

void TFM_VlanSetting::enableEditing(bool enable, bool emptyEdits) {
    AddButton->setEnabled(enable);
    CB_PvidAutoStatus->setEnabled(enable);
    if (enable)
        CB_PvidAutoStatusChange();
    else
        for (CvEdit* pvid : allPvidEdits()) pvid->setEnabled(false);
    Ed_VlanName->setEnabled(enable);
    if (emptyEdits) {
        Ed_VlanID->setEnabled(enable);
        if (enable) {
            Ed_VlanID->clear();
            Ed_VlanName->clear();
        }
    }
    for (QPushButton* button :
         {Btn_VlanPortUntagAll, Btn_VlanPortTagAll, Btn_VlanPortNotAll, Btn_VlanWdsUntagAll,
          Btn_VlanWdsTagAll, Btn_VlanWdsNotAll, Btn_VlanMssidUntagAll, Btn_VlanMssidNotAll})
        button->setEnabled(enable);
    // An SSID port carries its VLAN untagged or not at all.
    Btn_VlanMssidTagAll->setEnabled(false);
    for (int port = 0; port < kVlanPortCount; ++port) {
        const bool ssidPort = port >= 2 && port <= 9;
        untagRadios[port]->setEnabled(enable);
        notMemberRadios[port]->setEnabled(enable);
        tagRadios[port]->setEnabled(enable && !ssidPort);
    }
    for (auto& spare : spareWdsRadios)
        for (QRadioButton* radio : spare) radio->setEnabled(enable);
}

void TFM_VlanSetting::Btn_VlanApplyClick() {
    Ed_VlanID->setEnabled(true);
    selectFreeRow(kNoLimit);
    Ed_VlanID->clear();
    Ed_VlanName->clear();
    outcome_.begin();
    // An earlier action's text must not stand for this Save while it is under way.
    StatusBar->ShowText("");
    if (!setStatus()) {
        outcome_.showFailure();
        return;
    }
    const bool reading = sendPortListRefresh() && reqPortList && reqPortList->Get();
    if (reading)
        outcome_.showOk("Set OK!", {reqPortList.get()});
    else
        StatusBar->ShowText("Set Error!");
}

void TFM_VlanSetting::Btn_PvidApplyClick() {
    outcome_.begin();
    // The status, and with VLAN on the auto-assign, decide which sets this Save sends.
    const bool vlanOn = CB_VlanStatus->currentIndex() != 0;
    if (!CvSNMPRequest2Edits::IsKnown(CB_VlanStatus) ||
        (vlanOn && !CvSNMPRequest2Edits::IsKnown(CB_PvidAutoStatus))) {
        outcome_.fail(unreadOutcome());
        return;
    }
    if (!vlanOn) {
        showPvidSaveOutcome(setStatus(), {reqVlanStatusMode.get()});
        return;
    }
    const bool byHand = CB_PvidAutoStatus->currentIndex() == 0;
    for (CvEdit* pvid : visiblePvidEdits()) {
        if (!byHand || isVlanIdInRange(pvid->text())) continue;
        platform::ui().messageBox(this, "Warning", "The VID value range is 1~4094.",
                                  platform::BoxButtons::Ok);
        pvid->SetText("1");
        pvid->setFocus();
        return;
    }
    // Every set goes out whatever the device answered to the one before it.
    const bool status = setStatus();
    const bool automatic = setRequest(reqPvidAuto.get(), StatusBar, true);
    const bool pvids = !byHand || setRequest(reqPvid.get(), StatusBar, true);
    const bool saved = status && automatic && pvids && reqPvid->Get();
    if (saved && byHand) FillPortPvids();
    showPvidSaveOutcome(
        saved, {reqVlanStatusMode.get(), reqPvidAuto.get(), byHand ? reqPvid.get() : nullptr});
}

// "Set Error!" names a refused or lost set; a value held back as never read is told in the
// access layer's words, not covered by it.
void TFM_VlanSetting::showPvidSaveOutcome(bool saved,
                                          std::initializer_list<CvSNMPRequest2Controls*> sets) {
    for (CvSNMPRequest2Controls* set : sets)
        if (set && set->Withheld()) {
            outcome_.fail(unreadOutcome());
            return;
        }
    StatusBar->ShowText(saved ? "Set OK!" : "Set Error!");
}

void TFM_VlanSetting::PageControl1Change() {
    if (pageSwitchesTab) return;
    if (vlanEditState == 0) {
        Ed_VlanID->clear();
        Ed_VlanName->clear();
        Btn_VlanPortUntagAllClick();
        Btn_VlanMssidUntagAllClick();
        Btn_VlanWdsUntagAllClick();
        vlanEditState = 2;
    }
    outcome_.begin();
    if (PageControl1->currentIndex() == kTabPortList) {
        if (reqPvid) reqPvid->Get();
        sendPortListRefresh();
        if (reqPortList) reqPortList->Get();
    } else if (PageControl1->currentIndex() == kTabPvid) {
        if (reqPvidAuto) reqPvidAuto->Get();
        if (reqPvid) reqPvid->Get();
    }
}

// Tells the device to rebuild its port list from the group VLAN list.
bool TFM_VlanSetting::sendPortListRefresh() {
    CB_PortListRefresh->setCurrentIndex(Lists::NothingRefresh.IndexOfValue("1"));
    return setRequest(reqPortListRefresh.get(), StatusBar, true);
}

void TFM_VlanSetting::FillPortNames() {
    LV_PortListUser->ClearRows();
    const std::vector<CvSNMPRow>& ssids = reqMssidNames->VarList.Rows();
    for (int port : {0, 1, 2, 3, 4, 5, 10, 11, 12, 13}) {
        QString name = portNames[port];
        const int ssid = port - 2;
        if (ssid >= 0 && ssid < 4 && ssid < static_cast<int>(ssids.size()))
            name = platform::fromLatin1(valueAt(ssids[ssid].values, 1));
        LV_PortListUser->AddRow(name, {"", "", ""});
    }
}

void TFM_VlanSetting::OnPortListRead(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome)) return;
    FillPortVids();
    FillPortPvids();
    outcome_.showOk("Get OK!");
}

// Only the rows the port list shows are written: after a failed SSID read it has none.
void TFM_VlanSetting::FillPortVids() {
    const std::vector<CvSNMPRow>& ports = reqPortList->VarList.Rows();
    if (LV_PortList->RowCount() != kPortListRows || static_cast<int>(ports.size()) != kPortListRows)
        return;
    for (int row = 0; row < std::min(LV_PortListUser->RowCount(), kPortListRows); ++row) {
        setCell(LV_PortListUser, row, 1, platform::fromLatin1(valueAt(ports[row].values, 1)));
        setCell(LV_PortListUser, row, 2, platform::fromLatin1(valueAt(ports[row].values, 2)));
    }
}

void TFM_VlanSetting::FillPortPvids() {
    const std::vector<CvEdit*> pvids = visiblePvidEdits();
    const int rows = std::min(LV_PortListUser->RowCount(), static_cast<int>(pvids.size()));
    for (int row = 0; row < rows; ++row) setCell(LV_PortListUser, row, 3, pvids[row]->text());
}

// ---- The group VLAN list --------------------------------------------------------------------

const std::vector<std::string>* TFM_VlanSetting::tableRow(int row) const {
    if (!reqVlanList) return nullptr;
    const std::vector<CvSNMPRow>& rows = reqVlanList->VarList.Rows();
    return row >= 0 && row < static_cast<int>(rows.size()) ? &rows[row].values : nullptr;
}

bool TFM_VlanSetting::isFreeRow(int row) const {
    const std::vector<std::string>* values = tableRow(row);
    return values && valueAt(*values, kItemVid) == "0" && valueAt(*values, kItemName).empty();
}

int TFM_VlanSetting::firstFreeRow() const {
    for (int row = 0; row < LV_VlanList->RowCount(); ++row)
        if (isFreeRow(LV_VlanList->RowTag(row))) return row;
    return -1;
}

void TFM_VlanSetting::FillVlanList() {
    LV_VlanListUser->ClearRows();
    for (int row = 0; row < LV_VlanList->RowCount(); ++row) {
        const int tag = LV_VlanList->RowTag(row);
        const std::vector<std::string>* values = tableRow(tag);
        if (!values) continue;
        const std::string vid = valueAt(*values, kItemVid);
        const QString name = platform::fromLatin1(valueAt(*values, kItemName));
        if (vid == "0" || name.isEmpty()) continue;
        QStringList cells;
        for (int port = 0; port < kVlanPortCount; ++port)
            cells << QString::fromStdString(
                Lists::VlanMember.ToText(valueAt(*values, kItemFirstPort + port)));
        const VlanPortTexts ports = vlanPortTexts(cells);
        LV_VlanListUser->AddRow(QString::fromStdString(vid), {name, ports.untag, ports.tag}, row);
    }
}

bool TFM_VlanSetting::IsExistingVid(const QString& vid) const {
    QStringList shown;
    for (int row = 0; row < LV_VlanListUser->RowCount(); ++row)
        shown << LV_VlanListUser->Caption(row);
    return isListedVlanId(shown, vid);
}

void TFM_VlanSetting::selectFreeRow(int limit) {
    vlanEditState = 0;
    vlanEditMode = false;
    vlanRowCount = LV_VlanListUser->RowCount();
    if (CB_VlanStatus->currentIndex() != 1) return;
    const int free = firstFreeRow();
    if (free >= 0 && (limit < 0 || vlanRowCount < limit)) {
        LV_VlanList->SelectRow(free);
        Ed_VlanID->clear();
        Ed_VlanName->clear();
        return;
    }
    vlanEditState = 3;
    if (free < 0) LV_VlanList->SelectRow(-1);
}

void TFM_VlanSetting::OnVlanListRead(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome)) return;
    FillVlanList();
    selectFreeRow(kLimitAfterRead);
    outcome_.showOk("Get OK!");
}

void TFM_VlanSetting::OnVlanListSet(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome_.fail(outcome)) return;
    for (int item = kItemVid; item <= kItemDelete; ++item)
        reqVlanList->VarList.GetItem(item).access = ACC_READWRITE;
    reqVlanList->Get();
    outcome_.showOk("Get OK!", {reqVlanList.get()});
}

void TFM_VlanSetting::LV_VlanListUserClick() {
    vlanEditMode = false;
    const int row = LV_VlanListUser->SelectedRow();
    const bool enabled = CB_VlanStatus->currentIndex() == 1;
    if (row < 0) {
        Btn_VlanEdit->setEnabled(false);
        Btn_VlanDelete->setEnabled(false);
        // Without a free row no VLAN may stay chosen, or Save would overwrite it.
        LV_VlanList->SelectRow(firstFreeRow());
        vlanEditState = 0;
        Ed_VlanID->setEnabled(enabled);
    } else {
        LV_VlanList->SelectRow(LV_VlanListUser->RowTag(row));
        Ed_VlanID->setEnabled(false);
        Btn_VlanEdit->setEnabled(true);
        Btn_VlanDelete->setEnabled(true);
        vlanEditState = 1;
    }
    Ed_VlanName->setEnabled(enabled);
}

void TFM_VlanSetting::Btn_VlanEditClick() {
    switchTab(kTabEditVlan);
    CB_VlanStatus->setCurrentIndex(Lists::DisableEnable.IndexOfValue("1"));
    const int row = LV_VlanListUser->SelectedRow();
    const int listRow = row < 0 ? -1 : LV_VlanListUser->RowTag(row);
    const std::vector<std::string>* values = tableRow(LV_VlanList->RowTag(listRow));
    if (!values) {
        Ed_VlanID->clear();
        Ed_VlanName->clear();
        Btn_VlanPortUntagAllClick();
        Btn_VlanMssidUntagAllClick();
        Btn_VlanWdsUntagAllClick();
        return;
    }
    LV_VlanList->SelectRow(listRow);
    Ed_VlanID->SetText(QString::fromStdString(valueAt(*values, kItemVid)));
    Ed_VlanID->setEnabled(false);
    Ed_VlanName->SetText(platform::fromLatin1(valueAt(*values, kItemName)));
    for (int port = 0; port < kVlanPortCount; ++port) {
        const std::string member = valueAt(*values, kItemFirstPort + port);
        QRadioButton* checked = member == std::to_string(kMemberTag)     ? tagRadios[port]
                                : member == std::to_string(kMemberUntag) ? untagRadios[port]
                                                                         : notMemberRadios[port];
        checked->setChecked(true);
    }
    enableEditing(true, false);
    vlanEditMode = true;
}

void TFM_VlanSetting::AddButtonClick() {
    if (!reqVlanList) return;
    // A new VLAN goes into a free row of the list as read: without a read there is none to pick.
    if (LV_VlanList->RowCount() == 0) {
        outcome_.begin();
        outcome_.fail(unreadOutcome());
        return;
    }
    const bool freeRowChosen =
        vlanEditState != 3 && isFreeRow(LV_VlanList->RowTag(LV_VlanList->SelectedRow()));
    const VlanRefusal refusal =
        planVlanSave(Ed_VlanID->text(), Ed_VlanName->text(), IsExistingVid(Ed_VlanID->text()),
                     vlanEditMode, freeRowChosen);
    if (refusal != VlanRefusal::None) {
        platform::ui().messageBox(this, "Warning", vlanRefusalMessage(refusal),
                                  platform::BoxButtons::Ok);
        if (refusal == VlanRefusal::Vid) {
            Ed_VlanID->clear();
            replaceTypingLimit(Ed_VlanID, kVidMaxLength);
            Ed_VlanID->setFocus();
        } else if (refusal == VlanRefusal::Name) {
            Ed_VlanName->setFocus();
        }
        return;
    }
    outcome_.begin();
    const std::vector<std::string>* loaded =
        tableRow(LV_VlanList->RowTag(LV_VlanList->SelectedRow()));
    for (int port = 0; port < kVlanPortCount; ++port) {
        const int loadedValue =
            loaded ? QString::fromStdString(valueAt(*loaded, kItemFirstPort + port)).toInt() : 0;
        const int member =
            vlanMemberValue(untagRadios[port]->isChecked(), tagRadios[port]->isChecked(),
                            notMemberRadios[port]->isChecked(), loadedValue);
        portMemberCombos[port]->setCurrentIndex(
            Lists::VlanMember.IndexOfValue(std::to_string(member)));
    }
    // Every save names the columns it writes itself: a delete that failed leaves its own marks.
    for (int item = kItemVid; item < kItemDelete; ++item)
        reqVlanList->VarList.GetItem(item).access = ACC_READWRITE;
    reqVlanList->VarList.GetItem(kItemDelete).access = ACC_INVALID;
    Ed_VlanID->setEnabled(true);
    if (reqVlanList->Set(true, true, "")) sendPortListRefresh();
}

void TFM_VlanSetting::Btn_VlanDeleteClick() {
    const int row = LV_VlanListUser->SelectedRow();
    if (row < 0 || !reqVlanList) return;
    const QString question =
        "Are you sure you want to delete " + LV_VlanListUser->SubItem(row, 0) + "?";
    if (platform::ui().messageBox(this, "Warning", question, platform::BoxButtons::OkCancel) !=
        platform::BoxResult::Ok)
        return;
    outcome_.begin();
    LV_VlanList->SelectRow(LV_VlanListUser->RowTag(row));
    for (int item = kItemVid; item < kItemDelete; ++item)
        reqVlanList->VarList.GetItem(item).access = ACC_INVALID;
    reqVlanList->VarList.GetItem(kItemDelete).access = ACC_READWRITE;
    CB_VlanItemDel->setCurrentIndex(Lists::NothingDelete.IndexOfValue("1"));
    reqVlanList->Set(true, true, "");
}

// ---- "All" buttons --------------------------------------------------------------------------

void TFM_VlanSetting::checkColumn(int firstPort, int lastPort, int column) {
    for (int port = firstPort; port <= lastPort; ++port) {
        QRadioButton* radios[] = {untagRadios[port], tagRadios[port], notMemberRadios[port]};
        radios[column]->setChecked(true);
    }
    // The WDS group also holds the four spare links.
    if (lastPort == kVlanPortCount - 1)
        for (auto& spare : spareWdsRadios) spare[column]->setChecked(true);
}

void TFM_VlanSetting::Btn_VlanPortUntagAllClick() {
    checkColumn(0, 1, kUntag);
}
void TFM_VlanSetting::Btn_VlanPortTagAllClick() {
    checkColumn(0, 1, kTag);
}
void TFM_VlanSetting::Btn_VlanPortNotAllClick() {
    checkColumn(0, 1, kNotMember);
}
void TFM_VlanSetting::Btn_VlanMssidUntagAllClick() {
    checkColumn(2, 9, kUntag);
}
void TFM_VlanSetting::Btn_VlanMssidTagAllClick() {
    checkColumn(2, 9, kTag);
}
void TFM_VlanSetting::Btn_VlanMssidNotAllClick() {
    checkColumn(2, 9, kNotMember);
}
void TFM_VlanSetting::Btn_VlanWdsUntagAllClick() {
    checkColumn(10, 13, kUntag);
}
void TFM_VlanSetting::Btn_VlanWdsTagAllClick() {
    checkColumn(10, 13, kTag);
}
void TFM_VlanSetting::Btn_VlanWdsNotAllClick() {
    checkColumn(10, 13, kNotMember);
}

// ---- Page routines --------------------------------------------------------------------------

std::vector<CvEdit*> TFM_VlanSetting::visiblePvidEdits() const {
    return {Ed_PvidMgmt,     Ed_PvidLan,    Ed_PvidMssidPrimary, Ed_PvidMssid[0], Ed_PvidMssid[1],
            Ed_PvidMssid[2], Ed_PvidWds[0], Ed_PvidWds[1],       Ed_PvidWds[2],   Ed_PvidWds[3]};
}

std::vector<CvEdit*> TFM_VlanSetting::allPvidEdits() const {
    std::vector<CvEdit*> edits = {Ed_PvidMgmt, Ed_PvidLan, Ed_PvidMssidPrimary};
    edits.insert(edits.end(), Ed_PvidMssid.begin(), Ed_PvidMssid.end());
    edits.insert(edits.end(), Ed_PvidWds.begin(), Ed_PvidWds.end());
    return edits;
}

// The status alone takes part; the mode is the device's to say.
bool TFM_VlanSetting::setStatus() {
    if (!reqVlanStatusMode) return false;
    reqVlanStatusMode->VarList.GetItem(0).access = ACC_READWRITE;
    reqVlanStatusMode->VarList.GetItem(1).access = ACC_INVALID;
    return setRequest(reqVlanStatusMode.get(), StatusBar, true);
}

void TFM_VlanSetting::switchTab(int index) {
    pageSwitchesTab = true;
    PageControl1->setCurrentIndex(index);
    pageSwitchesTab = false;
}

// ---- Rules ----------------------------------------------------------------------------------

VlanPortTexts vlanPortTexts(const QStringList& portCells) {
    QStringList untag, tag;
    for (int port = 0; port < kVlanPortCount && port < portCells.size(); ++port) {
        if (isHiddenSsidPort(port)) continue;
        if (portCells[port] == "tag") tag << portNames[port];
        if (portCells[port] == "untag") untag << portNames[port];
    }
    return {untag.join(','), tag.join(',')};
}

bool isVlanIdInRange(const QString& text) {
    bool number = false;
    const int vid = text.toInt(&number);
    return number && vid >= 1 && vid <= 4094;
}

bool isListedVlanId(const QStringList& shownVids, const QString& vid) {
    return shownVids.contains(vid);
}

int vlanMemberValue(bool untag, bool tag, bool notMember, int loaded) {
    if (untag) return kMemberUntag;
    if (tag) return kMemberTag;
    if (notMember) return kMemberNone;
    return loaded;
}

bool vlanEditingEnabled(int modeIndex, int statusIndex) {
    return modeIndex == 0 && statusIndex == 1;
}

VlanRefusal planVlanSave(const QString& vid, const QString& name, bool vidListed, bool editMode,
                         bool freeRowChosen) {
    if (!isVlanIdInRange(vid)) return VlanRefusal::Vid;
    if (vidListed) return editMode ? VlanRefusal::None : VlanRefusal::Duplicate;
    if (!editMode && !freeRowChosen) return VlanRefusal::Full;
    if (name.isEmpty()) return VlanRefusal::Name;
    return VlanRefusal::None;
}

QString vlanRefusalMessage(VlanRefusal refusal) {
    switch (refusal) {
        case VlanRefusal::Vid:
            return "The VID value range is 1~4094.";
        case VlanRefusal::Duplicate:
            return "There is an existent entry with the same VID.\nPlease change the VID.";
        case VlanRefusal::Full:
            return "The VLAN list is full.";
        case VlanRefusal::Name:
            return "The VLAN Name field can not be blank.";
        case VlanRefusal::None:
            break;
    }
    return {};
}
