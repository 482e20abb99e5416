#include "pages/advanced/Dhcp.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Main.h"
#include "app/MibEnumerationLists.h"
#include "app/Newrequest.h"
#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_DHCP* FM_DHCP = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
using L = MibEnumerationLists;

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE, &L::ApMode),
    {},
};
const CvSNMPVarItem dynamicPoolTable[] = {
    mibItem(E + ".3.1.2.2.1.3.1", "dynamicIpPoolStart", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.4.1", "dynamicIpPoolEnd", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.6.1", "dynamicMask", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.7.1", "dynamicGateway", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.8.1", "dynamicWins", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.9.1", "dynamicDns", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.10.1", "dynamicDomainName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".3.1.2.2.1.11.1", "dynamicLeaseTime", SYN_INTEGER, ACC_READWRITE),
    {},
};
const CvSNMPVarItem serverControlTable[] = {
    mibItem(E + ".3.1.1", "dhcpServerControl", SYN_INTEGER, ACC_READWRITE, &L::DisableEnable),
    {},
};
const CvSNMPVarItem staticControlTable[] = {
    mibItem(E + ".3.1.3.1", "dhcpServerStaticControl", SYN_INTEGER, ACC_READWRITE,
            &L::DisableEnable),
    {},
};
const CvSNMPVarItem domainNameStatusTable[] = {
    mibItem(E + ".3.1.2.3", "dhcpServerDomainNameStatus", SYN_INTEGER, ACC_READONLY,
            &L::DomainNameStatus),
    {},
};
const CvSNMPVarItem staticPoolTable[] = {
    mibItem(E + ".3.1.3.2.1.1", "Index", SYN_INTEGER, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.2", "Status", SYN_INTEGER, ACC_READWRITE, &L::DisableEnable),
    mibItem(E + ".3.1.3.2.1.4", "IP Address", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.5", "MAC Address", SYN_MACADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.6", "Static Mask", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.7", "Static Gateway", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.8", "Static Dns", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.9", "Static Wins", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.10", "Static DomainName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".3.1.3.2.1.3", "staticHostName", SYN_DISPLAYSTRING, ACC_READWRITE),
    {},
};
const CvSNMPVarItem staticDeleteTable[] = {
    mibItem(E + ".3.1.3.3", "dhcpServerStaticDelete", SYN_INTEGER, ACC_READWRITE),
    {},
};
const CvSNMPVarItem dynamicRefreshTable[] = {
    mibItem(E + ".3.1.4.1", "refreshCurrentDynamicList", SYN_INTEGER, ACC_READWRITE,
            &L::NothingRefresh),
    {},
};
const CvSNMPVarItem staticRefreshTable[] = {
    mibItem(E + ".3.1.4.3", "refreshCurrentStaticList", SYN_INTEGER, ACC_READWRITE,
            &L::NothingRefresh),
    {},
};
const CvSNMPVarItem dynamicLeaseTable[] = {
    mibItem(E + ".3.1.4.2.1.1", "currentDynamicIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".3.1.4.2.1.3", "currentDynamicMacAddress", SYN_MACADDRESS, ACC_READONLY),
    mibItem(E + ".3.1.4.2.1.4", "currentDynamicAssignedIP", SYN_IPADDRESS, ACC_READONLY),
    mibItem(E + ".3.1.4.2.1.5", "currentDynamicLease", SYN_TIMETICKS, ACC_READONLY),
    mibItem(E + ".3.1.4.2.1.2", "currentDynamicHostName", SYN_DISPLAYSTRING, ACC_READONLY),
    {},
};
const CvSNMPVarItem staticLeaseTable[] = {
    mibItem(E + ".3.1.4.4.1.1", "currentStaticIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".3.1.4.4.1.3", "Current Static MAC", SYN_MACADDRESS, ACC_READONLY),
    mibItem(E + ".3.1.4.4.1.4", "Current Static Assigned IP", SYN_IPADDRESS, ACC_READONLY),
    mibItem(E + ".3.1.4.4.1.2", "currentStaticHostName", SYN_DISPLAYSTRING, ACC_READONLY),
    {},
};

constexpr int kTimeout = 10000;
constexpr int kDisable = 0;
constexpr int kEnable = 1;
constexpr int kWirelessClient = 3;
constexpr int kDomainNameItem = 6;
constexpr int kDomainDynamic = 0;
constexpr int kDomainStatic = 1;
constexpr int kAddressLength = 15;
constexpr int kDomainLength = 63;
// Columns of LV_StaticPoolSet after the caption (Index): the items in table order.
constexpr int kColumnIP = 1;
constexpr int kColumnMAC = 2;
constexpr int kColumnHost = 8;
const QString kFreeAddress = "0.0.0.0";

// After a Save's synchronous sets: okText, or the failure they met; "Setting Error!" in errorBar
// (when given) where the access layer sent nothing and has shown why itself.
void showSetOutcome(ActionOutcome& outcome, bool sent, const QString& okText,
                    CvStatusBar* errorBar = nullptr) {
    if (sent || outcome.failed())
        outcome.showOk(okText);
    else if (errorBar)
        errorBar->ShowText("Setting Error!");
}

QVBoxLayout* tabColumn(QWidget* tab) {
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(10, 10, 10, 4);
    column->setSpacing(8);
    return column;
}

void addButtonRow(QVBoxLayout* column, std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* button : buttons) {
        button->setMinimumWidth(88);
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    column->addLayout(row);
}

CvStatusBar* addStatusBar(QWidget* tab, QVBoxLayout* column) {
    auto* bar = new CvStatusBar(tab);
    bar->AddPanel(-1);
    wrapStatusTexts(bar);
    column->addWidget(bar);
    return bar;
}

// A report list whose columns are at least as wide as their titles and the widest text they are
// meant to show (the widths were chosen for a smaller font), and which shows all its columns.
CvListView* makeList(QWidget* parent, const std::vector<std::pair<QString, int>>& columns,
                     const QString& widestCell = "192.168.100.100") {
    auto* list = new CvListView(parent);
    list->MakeReport();
    const QFontMetrics metrics = list->fontMetrics();
    int total = 0;
    for (const auto& [title, width] : columns) {
        const int needed =
            std::max(metrics.horizontalAdvance(title), metrics.horizontalAdvance(widestCell)) + 16;
        list->AddColumn(title, std::max(width, needed));
        total += std::max(width, needed);
    }
    list->setMinimumWidth(total + 2 * list->frameWidth() + 2);
    return list;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_DHCP::TFM_DHCP(QWidget* owner) : QDialog(owner) {
    buildControls();
    EnableStaticLists(false);
    Bt_Apply->setEnabled(false);
    Bt_Cancel->setEnabled(false);
    runGuarded(StatusBar1, [this] { FormCreate(); });
}

TFM_DHCP::~TFM_DHCP() = default;

void TFM_DHCP::buildControls() {
    setWindowTitle("Advanced \\ DHCP Server");
    setSingleBorder(this);
    PageControl1 = new QTabWidget(this);
    // All three tab captions stay whole: the page widens for them instead of scrolling them.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    PageControl1->addTab(TabSheet1 = buildDynamicTab(), " Dynamic Pool Settings ");
    PageControl1->addTab(TabSheet2 = buildStaticTab(), "Static Pool Settings  ");
    PageControl1->addTab(TabSheet3 = buildLeaseTab(), " Current IP Mapping List  ");
    // A tab not shown yet counts with its least height only, as its status text may wrap: the
    // tallest tab sets the height from the start, so the page keeps its size across tabs.
    PageControl1->setMinimumHeight(PageControl1->sizeHint().height());
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(6, 6, 6, 6);
    whole->addWidget(PageControl1);
    whole->setSizeConstraint(QLayout::SetFixedSize);
    CB_APMode = makeHiddenCombo(this);
    CB_DNStatus = makeHiddenCombo(this);
    centreOnMainWindow(this);

    connectGuarded(PageControl1, &QTabWidget::currentChanged, StatusBar1,
                   [this] { PageControl1Change(); });
    connectGuarded(CB_Fuction1, &QComboBox::activated, StatusBar1, [this] { CB_Fuction1Change(); });
    connectGuarded(CB_Fuction2, &QComboBox::activated, StatusBar2, [this] { CB_Fuction2Change(); });
    connectGuarded(Bt_Apply, &QPushButton::clicked, StatusBar1, [this] { Bt_ApplyClick(); });
    connectGuarded(Bt_Cancel, &QPushButton::clicked, StatusBar1, [this] { Bt_CancelClick(); });
    connectGuarded(Btn_Add, &QPushButton::clicked, StatusBar2, [this] { Btn_AddClick(); });
    connectGuarded(Btn_Del, &QPushButton::clicked, StatusBar2, [this] { Bt_DelClick(); });
    connectGuarded(Bt_Edit, &QPushButton::clicked, StatusBar2, [this] { Bt_EditClick(); });
    connectGuarded(User_ListView, &CvListView::Selected, StatusBar2,
                   [this] { User_ListViewSelectItem(); });
    connectGuarded(User_ListView, &CvListView::SelectionCleared, StatusBar2,
                   [this] { User_ListViewSelectItem(); });
    connectGuarded(User_ListView, &CvListView::cellClicked, StatusBar2, [this] { Bt_EditClick(); });
    connectGuarded(Bt_RefreshDynamicPool, &QPushButton::clicked, StatusBar3,
                   [this] { Bt_RefreshDynamicPoolClick(); });
    connectGuarded(Bt_RefreshStaticPool, &QPushButton::clicked, StatusBar4,
                   [this] { Bt_RefreshStaticPoolClick(); });
}

QWidget* TFM_DHCP::buildDynamicTab() {
    auto* tab = new QWidget;
    QVBoxLayout* column = tabColumn(tab);
    column->addWidget(new QLabel("DHCP Server Control", tab));
    QFrame* panel = makePanel(tab);
    column->addWidget(panel);
    QGridLayout* rows = makeRowGrid(panel);
    addRow(rows, "Function Enable/Disable", CB_Fuction1 = new QComboBox(panel));
    addEditRow(rows, "IP Assigned From", Ed_IPAF);
    addEditRow(rows, "The Range of Pool (1-254)", Ed_PoolRan);
    addEditRow(rows, "Subnet Mask", Ed_SubMask);
    addEditRow(rows, "Gateway", Ed_Gateway);
    addEditRow(rows, "Wins", Ed_Wins);
    addEditRow(rows, "DNS", Ed_DNS);
    addEditRow(rows, "Domain Name", Ed_DomNa);
    addEditRow(rows, "Lease Time (60 - 31536000 sec)", Ed_Lease);
    Bt_Apply = new QPushButton("Save", tab);
    Bt_Cancel = new QPushButton("Cancel", tab);
    addButtonRow(column, {Bt_Apply, Bt_Cancel});
    column->addStretch(1);
    StatusBar1 = addStatusBar(tab, column);
    return tab;
}

QWidget* TFM_DHCP::buildStaticTab() {
    auto* tab = new QWidget;
    QVBoxLayout* column = tabColumn(tab);
    QFrame* panel = makePanel(tab);
    column->addWidget(panel);
    QGridLayout* rows = makeRowGrid(panel);
    CB_Fuction2 = new QComboBox(panel);
    CB_Fuction2->addItems({"Disable", "Enable"});
    addRow(rows, "Function Enable/Disable", CB_Fuction2);
    addEditRow(rows, "Assigned IP", ED_StaticAssignIP);
    addEditRow(rows, "Assigned MAC Address", ED_StaticAssignMAC);
    addEditRow(rows, "Subnet Mask ", ED_StaticSubMask);
    addEditRow(rows, "Gateway ", ED_StaticGateway);
    addEditRow(rows, "Wins ", ED_StaticWins);
    addEditRow(rows, "DNS ", ED_StaticDNS);
    addEditRow(rows, "Domain Name ", ED_StaticDoname);
    addEditRow(rows, "Host Name", ED_ComputerName);
    Btn_Add = new QPushButton("Save", tab);
    Btn_Del = new QPushButton("Del", tab);
    Bt_Edit = new QPushButton("Edit", tab);
    addButtonRow(column, {Btn_Add, Btn_Del, Bt_Edit});
    User_ListView = makeList(tab, {{"MAC Address", 130}, {"IP Address", 130}, {"Hostr Name", 130}});
    User_ListView->setMinimumHeight(140);
    column->addWidget(User_ListView);
    StatusBar2 = addStatusBar(tab, column);

    LV_StaticPoolSet = new CvListView(tab);
    LV_StaticPoolSet->hide();
    Lb_Index = new QLabel(tab);
    Lb_Index->hide();
    CB_StaticStatus = makeHiddenCombo(tab);
    return tab;
}

QWidget* TFM_DHCP::buildLeaseTab() {
    auto* tab = new QWidget;
    QVBoxLayout* column = tabColumn(tab);
    const QString mac = "Binding MAC Address", ip = "Assigned IP Address ";
    LV_DynPool = makeList(tab, {{mac, 120}, {ip, 120}, {"Lease time ", 120}, {"Host Name", 120}},
                          "00 days, 00:00:00.00");
    column->addWidget(LV_DynPool);
    Bt_RefreshDynamicPool = new QPushButton("Refresh", tab);
    addButtonRow(column, {Bt_RefreshDynamicPool});
    StatusBar3 = addStatusBar(tab, column);
    LV_StaticPool = makeList(tab, {{mac, 130}, {ip, 130}, {"Host Name", 100}});
    column->addWidget(LV_StaticPool);
    Bt_RefreshStaticPool = new QPushButton("Refresh", tab);
    addButtonRow(column, {Bt_RefreshStaticPool});
    StatusBar4 = addStatusBar(tab, column);
    for (CvListView** hidden : {&LV_Dy, &LV_Static}) {
        *hidden = new CvListView(tab);
        (*hidden)->hide();
    }
    CoboxDynamic = makeHiddenCombo(tab);
    CoboxStatic = makeHiddenCombo(tab);
    return tab;
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_DHCP::FormCreate() {
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        for (CvStatusBar* bar : {StatusBar1, StatusBar2, StatusBar3})
            bar->ShowText(QString::fromStdString(failure.what()));
    }
    // Without a static pool read under way nothing would ever make the page closable.
    if (!reqStaticPool) allowClosing();
    limitTyping(Ed_DomNa, kDomainLength);
    for (CvEdit* address : {Ed_IPAF, Ed_SubMask, Ed_Gateway, Ed_Wins, Ed_DNS})
        limitTyping(address, kAddressLength);
    Btn_Del->setEnabled(false);
    Bt_Edit->setEnabled(false);
    Btn_Add->setEnabled(true);
    enableStaticEditing(false);
    if (CB_APMode->currentIndex() == kWirelessClient) {
        CB_Fuction1->setEnabled(false);
        CB_Fuction2->setEnabled(false);
    }
    PageControl1->setCurrentIndex(0);
}

void TFM_DHCP::buildRequests() {
    reqDhcpApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqDhcpApMode->AssociateComboBox(0, CB_APMode);
    reqDhcpApMode->Get();

    reqDynamicPool = makeRequest(this, dynamicPoolTable, MVT_SV, 0, kSynchronous, kTimeout);
    int item = 0;
    for (CvEdit* edit :
         {Ed_IPAF, Ed_PoolRan, Ed_SubMask, Ed_Gateway, Ed_Wins, Ed_DNS, Ed_DomNa, Ed_Lease})
        reqDynamicPool->AssociateEdit(item++, "%s", edit);
    reqDynamicPool->SetLogTarget(StatusBar1);
    reqServerControl = makeRequest(this, serverControlTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqServerControl->AssociateComboBox(0, CB_Fuction1);
    reqDomainNameStatus =
        makeRequest(this, domainNameStatusTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqDomainNameStatus->AssociateComboBox(0, CB_DNStatus);
    // A failed read of what the pool's Save sends or rests on does not stand under "Get Ok! ".
    poolOutcome_.attach(StatusBar1);
    poolOutcome_.watch({reqDynamicPool.get(), reqServerControl.get(), reqDomainNameStatus.get()});
    StatusBar1->ShowText("Listing data ... ");
    if (reqDynamicPool->Get()) ConvertPoolRange(false);
    poolOutcome_.showOk("Get Ok! ");

    const bool serverRead = reqServerControl->Get();
    reqStaticControl = makeRequest(this, staticControlTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqStaticControl->AssociateComboBox(0, CB_Fuction2);
    if (reqStaticControl->Get() && serverRead) {
        CB_Fuction2->setCurrentIndex(CB_Fuction1->currentIndex());
        UpdateControls();
    }
    reqDomainNameStatus->Get();

    buildStaticRequests();
}

void TFM_DHCP::buildStaticRequests() {
    reqStaticPool = makeRequest(this, staticPoolTable, MVT_UMV, 1, kAsynchronous, kTimeout);
    reqStaticPool->AssociateListView(LV_StaticPoolSet, false);
    reqStaticPool->AssociateLabel(0, Lb_Index);
    reqStaticPool->AssociateComboBox(1, CB_StaticStatus);
    reqStaticPool->AssociateEdit(2, "%s", ED_StaticAssignIP);
    reqStaticPool->AssociateEdit(3, "%h", ED_StaticAssignMAC);
    int item = 4;
    for (CvEdit* edit : {ED_StaticSubMask, ED_StaticGateway, ED_StaticDNS, ED_StaticWins,
                         ED_StaticDoname, ED_ComputerName})
        reqStaticPool->AssociateEdit(item++, "%s", edit);
    reqStaticPool->SetLogTarget(StatusBar2);
    reqStaticPool->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& e) {
        runGuarded(StatusBar2, [&] { OnStaticPoolRead(sender, e); });
    };
    reqStaticPool->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& e) {
        runGuarded(StatusBar2, [&] { OnStaticPoolSet(sender, e); });
    };
    reqStaticPool->Get();

    reqStaticDelete = makeRequest(this, staticDeleteTable, SVT_SV, 0, kSynchronous, kTimeout);
    reqStaticDelete->AssociateLabel(0, Lb_Index);
    // The static tab's sets fail in its own words, which a later read's "Get OK!" does not cover.
    staticOutcome_.attach(StatusBar2);
    for (CvSNMPRequest2Edits* set : {reqStaticControl.get(), reqStaticDelete.get()})
        set->request().SetResultRoutine(
            [this](const CvSNMPError& outcome) { staticOutcome_.note(outcome, "Setting Error!"); });
    for (CvEdit* address :
         {ED_StaticAssignIP, ED_StaticSubMask, ED_StaticGateway, ED_StaticWins, ED_StaticDNS})
        limitTyping(address, kAddressLength);
    limitTyping(ED_StaticDoname, kDomainLength);

    reqDynamicListRefresh =
        makeRequest(this, dynamicRefreshTable, SVT_SV, 0, kAsynchronous, kTimeout);
    reqDynamicListRefresh->AssociateComboBox(0, CoboxDynamic);
    reqDynamicListRefresh->OnAfterSet = [this](CvSNMPRequest2Controls*, const CvSNMPError& e) {
        runGuarded(StatusBar3, [&] { onLeaseTriggerSet(reqDynamicLeases.get(), StatusBar3, e); });
    };
    dynamicLeaseOutcome_.attach(StatusBar3);
    staticLeaseOutcome_.attach(StatusBar4);
    reqStaticListRefresh =
        makeRequest(this, staticRefreshTable, SVT_SV, 0, kAsynchronous, kTimeout);
    reqStaticListRefresh->AssociateComboBox(0, CoboxStatic);
    reqStaticListRefresh->OnAfterSet = [this](CvSNMPRequest2Controls*, const CvSNMPError& e) {
        runGuarded(StatusBar4, [&] { onLeaseTriggerSet(reqStaticLeases.get(), StatusBar4, e); });
    };

    auto leases = [this](const CvSNMPVarItem* table, CvListView* list, CvStatusBar* bar) {
        auto request = makeRequest<New_req2Edit>(this, table, MVT_FMV, 1, kAsynchronous, kTimeout);
        request->PlaceHolder = "000000000000";
        request->AssociateListView(list, false);
        request->SetLogTarget(bar);
        request->OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& e) {
            runGuarded(StatusBar4, [&] { OnLeaseListRead(sender, e); });
        };
        request->Get();
        return request;
    };
    reqDynamicLeases = leases(dynamicLeaseTable, LV_Dy, StatusBar3);
    reqStaticLeases = leases(staticLeaseTable, LV_Static, StatusBar4);
}

// ---- Dynamic pool tab -----------------------------------------------------------------------

void TFM_DHCP::CB_Fuction1Change() {
    mirrorSwitch(CB_Fuction1, CB_Fuction2);
    UpdateControls();
}

void TFM_DHCP::CB_Fuction2Change() {
    mirrorSwitch(CB_Fuction2, CB_Fuction1);
    UpdateControls();
}

// The mirror of a switch nobody read is no more known than its original.
void TFM_DHCP::mirrorSwitch(QComboBox* from, QComboBox* to) {
    to->setCurrentIndex(from->currentIndex());
    CvSNMPRequest2Edits::MarkDerived(to, CvSNMPRequest2Edits::IsKnown(from));
}

void TFM_DHCP::UpdateControls() {
    const bool server = CB_Fuction1->currentIndex() == kEnable;
    for (CvEdit* edit :
         {Ed_IPAF, Ed_PoolRan, Ed_SubMask, Ed_Gateway, Ed_Wins, Ed_DNS, Ed_DomNa, Ed_Lease})
        edit->setEnabled(server);
    if (server) Ed_DomNa->setEnabled(CB_DNStatus->currentIndex() != kDomainStatic);

    const bool statics = CB_Fuction2->currentIndex() == kEnable;
    enableStaticEditing(statics);
    if (statics) ED_StaticDoname->setEnabled(CB_DNStatus->currentIndex() != kDomainDynamic);
    EnableStaticLists(statics);
    replaceTypingLimit(Ed_PoolRan, 3);
    replaceTypingLimit(Ed_Lease, 8);
}

void TFM_DHCP::PageControl1Change() {
    if (PageControl1->currentWidget() == TabSheet2)
        paintUsable(User_ListView, CB_Fuction1->currentIndex() == kEnable);
}

void TFM_DHCP::EnableStaticLists(bool enabled) {
    LV_StaticPoolSet->setEnabled(enabled);
    User_ListView->setEnabled(enabled);
    paintUsable(User_ListView, enabled);
}

void TFM_DHCP::ConvertPoolRange(bool towardsDevice) {
    Ed_PoolRan->SetText(towardsDevice ? poolEndAddress(Ed_IPAF->text(), Ed_PoolRan->text())
                                      : poolCount(Ed_IPAF->text(), Ed_PoolRan->text()));
    CvSNMPRequest2Edits::MarkDerived(Ed_PoolRan, CvSNMPRequest2Edits::IsKnown(Ed_IPAF) &&
                                                     CvSNMPRequest2Edits::IsKnown(Ed_PoolRan));
}

void TFM_DHCP::Bt_ApplyClick() {
    poolOutcome_.begin();
    // An earlier action's text must not stand for this Save while it is under way.
    if (CB_Fuction1->currentIndex() != kEnable) {
        StatusBar1->ShowText("");
        showSetOutcome(poolOutcome_, setRequest(reqServerControl.get(), StatusBar1, false),
                       "Setting Success!");
        return;
    }
    const DhcpRefusal refusal =
        checkDynamicPool(Ed_IPAF->text(), Ed_PoolRan->text(), Ed_Lease->text(), Ed_SubMask->text());
    if (refusal.field >= 0) {
        CvEdit* edit =
            std::vector<CvEdit*>{Ed_IPAF, Ed_PoolRan, Ed_Lease, Ed_SubMask}[refusal.field];
        if (refusal.clear) edit->clear();
        platform::ui().messageBox(this, refusal.caption, refusal.message, platform::BoxButtons::Ok);
        edit->setFocus();
        return;
    }
    // Whether the domain name goes out rests on its status.
    if (!CvSNMPRequest2Edits::IsKnown(CB_DNStatus)) {
        poolOutcome_.fail(unreadOutcome());
        return;
    }
    StatusBar1->ShowText("");
    ConvertPoolRange(true);
    // A pool for a server the device would not switch on is not written.
    bool saved = setRequest(reqServerControl.get(), StatusBar1, false);
    if (saved) {
        // The device keeps a domain name of its own while its status is "static".
        if (reqDynamicPool)
            reqDynamicPool->VarList.GetItem(kDomainNameItem).access =
                CB_DNStatus->currentIndex() == kDomainStatic ? ACC_INVALID : ACC_READWRITE;
        saved = setRequest(reqDynamicPool.get(), StatusBar1, false);
    }
    ConvertPoolRange(false);
    showSetOutcome(poolOutcome_, saved, "Setting Success!");
}

void TFM_DHCP::Bt_CancelClick() {
    close();
}

void TFM_DHCP::done(int result) {
    if (staticPending || firstReadPending) return;
    for (auto* request : {&reqDhcpApMode, &reqDynamicPool, &reqServerControl, &reqStaticControl,
                          &reqDomainNameStatus, &reqStaticPool, &reqStaticDelete,
                          &reqDynamicListRefresh, &reqStaticListRefresh})
        request->reset();
    reqDynamicLeases.reset();
    reqStaticLeases.reset();
    QDialog::done(result);
}

void TFM_DHCP::allowClosing() {
    firstReadPending = false;
    staticPending = false;
    Bt_Cancel->setEnabled(true);
}

// ---- Static pool tab ------------------------------------------------------------------------

void TFM_DHCP::enableStaticEditing(bool enabled) {
    for (CvEdit* edit : {ED_StaticAssignIP, ED_StaticAssignMAC, ED_StaticSubMask, ED_StaticDNS,
                         ED_StaticGateway, ED_StaticWins, ED_StaticDoname, ED_ComputerName})
        edit->setEnabled(enabled);
}

void TFM_DHCP::OnStaticPoolRead(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome.Code != 0) {
        StatusBar1->ShowText(QString::fromStdString(outcome.Message));
        allowClosing();
        return;
    }
    int freeRow = -1;
    for (int row = 0; row < LV_StaticPoolSet->RowCount() && freeRow < 0; ++row)
        if (LV_StaticPoolSet->SubItem(row, kColumnIP) == kFreeAddress) freeRow = row;
    LV_StaticPoolSet->SelectRow(freeRow);
    ED_StaticAssignIP->clear();
    ED_StaticAssignMAC->clear();
    allowClosing();
    EnableStaticLists(true);
    mirrorSwitch(CB_Fuction1, CB_Fuction2);
    Bt_Apply->setEnabled(true);
    Btn_Add->setEnabled(true);
    Bt_Edit->setEnabled(false);
    UpdateControls();
    FillStaticList();
    staticOutcome_.showOk("Get OK!");
}

void TFM_DHCP::FillStaticList() {
    User_ListView->ClearRows();
    for (int row = 0; row < LV_StaticPoolSet->RowCount(); ++row) {
        const QString ip = LV_StaticPoolSet->SubItem(row, kColumnIP);
        if (ip == kFreeAddress) continue;
        // The row remembers its table row: entries may share an IP, and free rows may lie
        // between used ones.
        User_ListView->AddRow(LV_StaticPoolSet->SubItem(row, kColumnMAC),
                              {ip, LV_StaticPoolSet->SubItem(row, kColumnHost)}, row);
    }
    for (CvEdit* edit : {ED_StaticAssignIP, ED_StaticAssignMAC, ED_ComputerName}) edit->clear();
    const std::pair<CvEdit*, CvEdit*> copies[] = {{ED_StaticSubMask, Ed_SubMask},
                                                  {ED_StaticDNS, Ed_DNS},
                                                  {ED_StaticGateway, Ed_Gateway},
                                                  {ED_StaticWins, Ed_Wins},
                                                  {ED_StaticDoname, Ed_DomNa}};
    for (const auto& [copy, original] : copies) {
        copy->SetText(original->text());
        CvSNMPRequest2Edits::MarkDerived(copy, CvSNMPRequest2Edits::IsKnown(original));
    }
}

void TFM_DHCP::User_ListViewSelectItem() {
    const int picked = User_ListView->SelectedRow();
    if (picked < 0) {
        Btn_Del->setEnabled(false);
        Bt_Edit->setEnabled(false);
        return;
    }
    newEntry = false;
    LV_StaticPoolSet->SelectRow(User_ListView->RowTag(picked));
    Btn_Del->setEnabled(true);
    Bt_Edit->setEnabled(true);
}

void TFM_DHCP::Bt_EditClick() {
    const int picked = User_ListView->SelectedRow();
    if (picked < 0) return;
    // Selecting the row afresh loads the entry again over what was typed.
    LV_StaticPoolSet->SelectRow(-1);
    LV_StaticPoolSet->SelectRow(User_ListView->RowTag(picked));
}

void TFM_DHCP::Btn_AddClick() {
    newEntry = true;
    staticOutcome_.begin();
    // Which sets this Save sends rests on the switch.
    if (!CvSNMPRequest2Edits::IsKnown(CB_Fuction2)) {
        staticOutcome_.fail(unreadOutcome());
        return;
    }
    if (CB_Fuction2->currentIndex() == kDisable) {
        showSetOutcome(staticOutcome_, setRequest(reqStaticControl.get(), StatusBar1, false),
                       "Setting Success!", StatusBar2);
        CB_Fuction1Change();
        return;
    }
    SaveStaticEntry();
}

void TFM_DHCP::SaveStaticEntry() {
    const DhcpRefusal refusal =
        checkStaticEntry(ED_StaticAssignIP->text(), ED_StaticAssignMAC->text(),
                         ED_StaticSubMask->text(), ED_ComputerName->text());
    if (refusal.field >= 0) {
        CvEdit* edit = std::vector<CvEdit*>{ED_StaticAssignIP, ED_StaticAssignMAC, ED_StaticSubMask,
                                            ED_ComputerName}[refusal.field];
        if (refusal.clear) edit->clear();
        platform::ui().messageBox(this, refusal.caption, refusal.message, platform::BoxButtons::Ok);
        edit->setFocus();
        return;
    }
    for (QWidget* control : std::initializer_list<QWidget*>{Btn_Del, Btn_Add, Bt_Edit})
        control->setEnabled(false);
    enableStaticEditing(false);

    QStringList macs;
    for (int row = 0; row < LV_StaticPoolSet->RowCount(); ++row)
        macs << LV_StaticPoolSet->SubItem(row, kColumnMAC);
    const int target = LV_StaticPoolSet->SelectedRow();
    const bool duplicate = staticDuplicateRow(macs, target, ED_StaticAssignMAC->text()) >= 0;
    if (duplicate) {
        platform::ui().messageBox(this, "Warning",
                                  "Reject: The MAC has already existed in IP Static pool.",
                                  platform::BoxButtons::Ok);
    }
    // Without a free row (or a request to write with) no used row may be overwritten; without
    // the pool read there is no row to choose.
    if (duplicate || target < 0 || !reqStaticPool) {
        if (LV_StaticPoolSet->RowCount() == 0)
            staticOutcome_.fail(unreadOutcome());
        else if (!duplicate)
            StatusBar2->ShowText("Setting Error!");
        Btn_Del->setEnabled(true);
        enableStaticEditing(true);
        ED_StaticAssignMAC->setFocus();
        return;
    }
    setRequest(reqStaticControl.get(), StatusBar1, false);
    try {
        reqStaticPool->Set(true, true, "");
    } catch (const CvException& failure) {
        // Nothing left; the entry stays on screen to be mended.
        showFailureText(StatusBar2, QString::fromStdString(failure.what()));
        StatusBar2->ShowText("Setting Error!");
        Btn_Add->setEnabled(true);
        enableStaticEditing(true);
    }
}

void TFM_DHCP::OnStaticPoolSet(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    const QString text = QString::fromStdString(outcome.Message);
    StatusBar1->ShowText(text);
    StatusBar2->ShowText(text);
    if (staticOutcome_.fail(outcome, "Setting Error!")) return;
    staticPending = true;
    staticOutcome_.showOk("Setting Success!");
}

void TFM_DHCP::Bt_DelClick() {
    if (!reqStaticPool || reqStaticPool->Busy() || newEntry) return;
    if (User_ListView->SelectedRow() >= 0 && !Lb_Index->text().isEmpty()) {
        const auto answer = platform::ui().messageBox(
            this, "Warning", "Are you sure that you want to delete this entry?",
            platform::BoxButtons::OkCancel);
        if (answer == platform::BoxResult::Ok) {
            staticOutcome_.begin();
            const bool deleted = setRequest(reqStaticDelete.get(), StatusBar1, false);
            reqStaticPool->Get();
            showSetOutcome(staticOutcome_, deleted, "Delete OK!", StatusBar2);
        }
    }
    firstReadPending = false;
    EnableStaticLists(true);
}

// ---- Current lease tab ----------------------------------------------------------------------

void TFM_DHCP::Bt_RefreshDynamicPoolClick() {
    Bt_RefreshDynamicPool->setEnabled(false);
    refreshLeases(reqDynamicListRefresh.get(), CoboxDynamic, reqDynamicLeases.get(), StatusBar3);
}

void TFM_DHCP::Bt_RefreshStaticPoolClick() {
    Bt_RefreshStaticPool->setEnabled(false);
    refreshLeases(reqStaticListRefresh.get(), CoboxStatic, reqStaticLeases.get(), StatusBar4);
}

ActionOutcome& TFM_DHCP::leaseOutcome(const CvStatusBar* statusBar) {
    return statusBar == StatusBar3 ? dynamicLeaseOutcome_ : staticLeaseOutcome_;
}

void TFM_DHCP::refreshLeases(CvSNMPRequest2Edits* trigger, QComboBox* choice, New_req2Edit* list,
                             CvStatusBar* statusBar) {
    leaseOutcome(statusBar).begin();
    try {
        if (trigger && list) {
            choice->setCurrentIndex(1);
            trigger->Set(false, true, "");
            list->RowCounter = 1;
            list->Get();
            return;
        }
    } catch (const CvException& failure) {
        showFailureText(statusBar, QString::fromStdString(failure.what()));
    }
    // Nothing was sent, so no read will enable the buttons again.
    statusBar->ShowText("Setting Error!");
    Bt_RefreshDynamicPool->setEnabled(true);
    Bt_RefreshStaticPool->setEnabled(true);
}

void TFM_DHCP::onLeaseTriggerSet(New_req2Edit* list, CvStatusBar* statusBar,
                                 const CvSNMPError& outcome) {
    ActionOutcome& refresh = leaseOutcome(statusBar);
    if (refresh.fail(outcome, "Setting Error!") || !list) return;
    refresh.showOk("Setting Sucess!");
    list->RowCounter = 1;
    list->Get();
    refresh.showOk("Get OK", {list});
}

// Each list reports on its own tab.
void TFM_DHCP::OnLeaseListRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
    ActionOutcome& read = leaseOutcome(sender == reqDynamicLeases.get() ? StatusBar3 : StatusBar4);
    if (!read.fail(outcome, "Setting Error!")) {
        CopyLeaseLists();
        // Not while the device may yet refuse to have refreshed the list.
        read.showOk("Get OK", {sender == reqDynamicLeases.get() ? reqDynamicListRefresh.get()
                                                                : reqStaticListRefresh.get()});
    }
    Bt_RefreshDynamicPool->setEnabled(true);
    Bt_RefreshStaticPool->setEnabled(true);
}

void TFM_DHCP::CopyLeaseLists() {
    for (auto [from, to] : {std::pair{LV_Dy, LV_DynPool}, std::pair{LV_Static, LV_StaticPool}}) {
        to->ClearRows();
        for (int row = 0; row < from->RowCount(); ++row) {
            QStringList cells = from->SubItems(row);  // the row number is left behind
            const QString mac = cells.isEmpty() ? QString() : cells.takeFirst();
            to->AddRow(mac, cells);
        }
    }
}

// ---- Rules ----------------------------------------------------------------------------------

namespace {

// The number after the last dot of an address; 0 when there is none.
int lastOctet(const QString& address) {
    return address.mid(address.lastIndexOf('.') + 1).toInt();
}

}  // namespace

QString poolEndAddress(const QString& first, const QString& count) {
    const int dot = first.lastIndexOf('.');
    if (dot < 0) return count;
    return first.left(dot + 1) + QString::number(lastOctet(first) + count.toInt() - 1);
}

QString poolCount(const QString& first, const QString& end) {
    if (first.lastIndexOf('.') < 0) return end;
    return QString::number(lastOctet(end) - lastOctet(first) + 1);
}

DhcpRefusal checkDynamicPool(const QString& first, const QString& count, const QString& lease,
                             const QString& mask) {
    const QString poolMessage = "Please input a number between 1 and 254.";
    const QString leaseMessage = "Please input a number between 60 and 31536000.";
    if (first.isEmpty()) return {FieldFirstAddress, "Please input valid IP address", "Warning"};
    if (count.isEmpty()) return {FieldPoolCount, poolMessage, "Warning"};
    bool number = false;
    const int addresses = count.toInt(&number);
    if (!number || addresses < 1 || addresses > 254)
        return {FieldPoolCount, poolMessage, "Error", true};
    if (lastOctet(first) + addresses > 255)
        return {FieldPoolCount, "Invaild IP range!", "Error", true};
    if (lease.isEmpty()) return {FieldLease, leaseMessage, "Warning"};
    const long long seconds = lease.toLongLong();
    if (seconds < 60 || seconds > 31536000) return {FieldLease, leaseMessage, "Error", true};
    if (!TMainForm::IsValidIPAddress(first))
        return {FieldFirstAddress, "Please input valid IP address", "Waring", true};
    if (mask.isEmpty() || mask == kFreeAddress || !TMainForm::IsValidSubnetMask(mask))
        return {FieldMask, "Please input valid SubMask.", "Waring", true};
    return {};
}

DhcpRefusal checkStaticEntry(const QString& ip, const QString& mac, const QString& mask,
                             const QString& hostName) {
    if (ip.isEmpty()) return {FieldStaticIP, "Please input valid IP address", "Warning"};
    if (!TMainForm::IsValidIPAddress(ip))
        return {FieldStaticIP, "Please input valid IP address", "Waring", true};
    if (ip == kFreeAddress)
        return {FieldStaticIP, "Please input valid IP address.", "Waring", true};
    if (mac.length() != 12 || mac == "000000000000")
        return {FieldStaticMAC, "Please input valid MAC address.", "Waring", true};
    if (mask.isEmpty() || mask == kFreeAddress || !TMainForm::IsValidSubnetMask(mask))
        return {FieldStaticMask, "Please input valid SubMask.", "Waring", true};
    if (hostName.isEmpty()) return {FieldHostName, "Invalid Host Name !", "Warning"};
    return {};
}

int staticDuplicateRow(const QStringList& macs, int ownRow, const QString& mac) {
    for (int row = 0; row < macs.size(); ++row)
        if (row != ownRow && macs[row] == mac) return row;
    return -1;
}
