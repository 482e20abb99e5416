#include "pages/home/Wirless.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/Main.h"
#include "app/MibEnumerationLists.h"
#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "pages/home/WirlessRules.h"
#include "platform/Ui.h"

TFM_Wirless* FM_Wirless = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

using Items = std::vector<CvSNMPVarItem>;
using Lists = MibEnumerationLists;

// The device's enterprise subtree, the radio row and the security row below it.
const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string R = E + ".2.1.3.3.1.1.1";
const std::string S = E + ".2.1.3.3.2.1.1";
const std::string kWdsMacAddOid = E + ".2.1.3.3.1.2.2.1.1.1";

const Items vlanStatusTable = {
    mibItem(E + ".3.6.1.1", "dot11VlanStatus", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
};

// ifIndex is the key and has no column of its own; the walk takes it from each row's instance.
const Items mssidTable = {
    mibItem("1.3.6.1.2.1.2.2.1.1", "ifIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".3.3.3.1.1", "dot11MssidIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(E + ".3.3.3.1.2", "dot11MssIndividualState", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
    mibItem(E + ".3.3.3.1.3", "dot11MssidSsid", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".3.3.3.1.4", "dot11MssidSuppress", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
    mibItem(E + ".3.3.3.1.5", "dot11MssidAuthentication", SYN_INTEGER, ACC_READWRITE,
            &Lists::MssidAuthentication),
    mibItem(E + ".3.3.3.1.6", "dot11MssidEncryption", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
    mibItem(E + ".3.3.3.1.7", "dot11MssidWepKeyIndex", SYN_INTEGER, ACC_READWRITE,
            &Lists::KeyIndex),
    mibItem(E + ".3.3.3.1.12", "dot11MssidKeyType", SYN_INTEGER, ACC_READWRITE,
            &Lists::MssidKeyType),
    mibItem(E + ".3.3.3.1.10", "dot11MssidCipherType", SYN_INTEGER, ACC_READWRITE,
            &Lists::MssidCipherType),
    mibItem(E + ".3.3.3.1.11", "dot11MssidPassPhrase", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".3.3.3.1.8", "dot11MssidWepKey", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".3.3.3.1.14", "dot11MssidWmm", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(E + ".3.3.3.1.15", "dot11MssidGroupKeyUpdateInterval", SYN_INTEGER, ACC_READWRITE),
    mibItem(E + ".3.3.3.1.17", "dot11MssidPrimaryRadiusServer", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".3.3.3.1.18", "dot11MssidPrimaryRadiusPort", SYN_INTEGER, ACC_READWRITE),
    mibItem(E + ".3.3.3.1.19", "dot11MssidPrimaryRadiusSecret", SYN_DISPLAYSTRING, ACC_READWRITE),
};

const Items applySettingTable = {
    mibItem(E + ".4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE, &Lists::NothingApply),
};

const Items wirelessTable = {
    mibItem(R + ".1.1", "dot11Ssid", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(R + ".2.1", "dot11SsidBroadcast", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(R + ".3.1", "dot11Channel", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".4.1", "dot11ABandChannelList", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(R + ".24.1", "dot11AutoChannelScan", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(R + ".28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE, &Lists::ApMode),
    mibItem(R + ".34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE, &Lists::Band),
    mibItem(R + ".29.1", "dot11ChannelWidth", SYN_INTEGER, ACC_READWRITE, &Lists::ChannelWidth),
};
constexpr int kChannelListItem = 3;

const Items dataBaseChannelTable = {
    mibItem(E + ".5.1.2.1.1.8.1", "dataBaseChannel", SYN_INTEGER, ACC_READONLY),
};

// Both lists are the one object that follows the band.
const Items channelListsTable = {
    mibItem(R + ".4.1", "dot11GBandChannelList", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(R + ".4.1", "dot11GBandWdsChannelList", SYN_DISPLAYSTRING, ACC_READONLY),
};

const Items wifiMode24Table = {
    mibItem(R + ".16.1", "dot11WifiMode", SYN_INTEGER, ACC_READWRITE, &Lists::WifiMode24),
};
const Items wifiMode5Table = {
    mibItem(R + ".16.1", "dot11WifiMode", SYN_INTEGER, ACC_READWRITE, &Lists::WifiMode5),
};

const Items mssidStateTable = {
    mibItem(E + ".3.3.1.1.1.1", "dot11MssidState", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
};

const Items apModeStatusTable = {
    mibItem(R + ".38.1", "dot11ApModeStatus", SYN_DISPLAYSTRING, ACC_READWRITE),
};

const Items authenticationTable = {
    mibItem(S + ".1.1", "dot11Authentication", SYN_INTEGER, ACC_READWRITE, &Lists::Authentication),
    mibItem(S + ".3.1", "dot11KeyIndex", SYN_INTEGER, ACC_READWRITE, &Lists::KeyIndex),
    mibItem(S + ".2.1", "dot11Encryption", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
};

Items wepKeyTable(int key) {
    const std::string instance = ".1." + std::to_string(key);
    return {
        mibItem(E + ".2.1.3.3.2.2.1.2" + instance, "dot11KeyEntryMethod", SYN_INTEGER,
                ACC_READWRITE, &Lists::KeyEntryMethod),
        mibItem(E + ".2.1.3.3.2.2.1.3" + instance, "dot11WepKey", SYN_DISPLAYSTRING, ACC_READWRITE),
    };
}

const Items passphraseTable = {
    mibItem(S + ".4.1", "dot11PassPhrase", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(S + ".5.1", "dot11CipherType", SYN_INTEGER, ACC_READWRITE, &Lists::CipherType),
    mibItem(S + ".6.1", "dot11GroupKeyUpdateInterval", SYN_INTEGER, ACC_READWRITE),
};

const Items radiusTable = {
    mibItem(S + ".8.1", "dot11PrimaryRadiusServer", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(S + ".9.1", "dot11PrimaryRadiusPort", SYN_INTEGER, ACC_READWRITE),
    mibItem(S + ".10.1", "dot11PrimaryRadiusSecret", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(S + ".22.1", "dot11NetworkAccessProtection", SYN_INTEGER, ACC_READWRITE,
            &Lists::DisableEnable),
};

// The device takes up to four peers in one set of the same object.
const Items wdsMacAddTable = {
    mibItem(kWdsMacAddOid, "dot11RemoteApMacAddressAdd", SYN_MACADDRESS, ACC_READWRITE),
    mibItem(kWdsMacAddOid, "dot11RemoteApMacAddressAdd", SYN_MACADDRESS, ACC_READWRITE),
    mibItem(kWdsMacAddOid, "dot11RemoteApMacAddressAdd", SYN_MACADDRESS, ACC_READWRITE),
    mibItem(kWdsMacAddOid, "dot11RemoteApMacAddressAdd", SYN_MACADDRESS, ACC_READWRITE),
};

const Items wdsMacListTable = {
    mibItem(E + ".2.1.3.3.1.2.1.1.2", "dot11RemoteApMacAddressList", SYN_MACADDRESS, ACC_READWRITE),
};

const Items wdsMacDeleteAllTable = {
    mibItem(E + ".2.1.3.3.1.2.2.1.3.1", "dot11RemoteApMacAddressDeleteAll", SYN_INTEGER,
            ACC_READWRITE, &Lists::NothingDeleteAll),
};

const std::string kSurvey = E + ".2.1.3.3.1.3";
const std::string kWdsSurvey = E + ".2.1.3.3.1.4";

const Items siteSurveyRefreshTable = {
    mibItem(kSurvey + ".1.1.1.1", "dot11SiteSurveyRefresh", SYN_INTEGER, ACC_READWRITE,
            &Lists::NothingRefresh),
};

// The client table has no column 2.
const Items siteSurveyTable = {
    mibItem(kSurvey + ".2.1.1", "dot11SiteSurveyIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(kSurvey + ".2.1.3", "CH", SYN_INTEGER, ACC_READONLY),
    mibItem(kSurvey + ".2.1.4", "Signal", SYN_INTEGER, ACC_READONLY),
    mibItem(kSurvey + ".2.1.5", "BSSID", SYN_MACADDRESS, ACC_READONLY),
    mibItem(kSurvey + ".2.1.6", "Security", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(kSurvey + ".2.1.7", "SSID", SYN_DISPLAYSTRING, ACC_READONLY),
};

const Items wdsSurveyRefreshTable = {
    mibItem(kWdsSurvey + ".1.1.1.1", "dot11WdsSiteSurveyRefresh", SYN_INTEGER, ACC_READWRITE,
            &Lists::NothingRefresh),
};

const Items wdsSurveyTable = {
    mibItem(kWdsSurvey + ".2.1.1", "dot11WdsSiteSurveyIndex", SYN_INTEGER, ACC_READONLY),
    mibItem(kWdsSurvey + ".2.1.2", "CH", SYN_INTEGER, ACC_READONLY),
    mibItem(kWdsSurvey + ".2.1.3", "Signal", SYN_INTEGER, ACC_READONLY),
    mibItem(kWdsSurvey + ".2.1.4", "BSSID", SYN_MACADDRESS, ACC_READONLY),
    mibItem(kWdsSurvey + ".2.1.5", "Security", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(kWdsSurvey + ".2.1.6", "SSID", SYN_DISPLAYSTRING, ACC_READONLY),
};

// Thrown by a routine that meets a request creation never built; stops it at once.
struct MissingRequest {};

// A two-column grid of captions and controls appended to a group's column.
QGridLayout* addGroupGrid(QVBoxLayout* column) {
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(8);
    rows->setColumnStretch(1, 1);
    column->addLayout(rows);
    return rows;
}

// Lines up the caption columns of the grids of one group.
void alignCaptions(std::initializer_list<QGridLayout*> grids) {
    int widest = 0;
    for (QGridLayout* grid : grids)
        for (int row = 0; row < grid->rowCount(); ++row)
            if (QLayoutItem* caption = grid->itemAtPosition(row, 0))
                widest = std::max(widest, caption->sizeHint().width());
    for (QGridLayout* grid : grids) grid->setColumnMinimumWidth(0, widest);
}

// A control with a unit or note after it, as one cell of a row.
QWidget* withNote(QWidget* control, const QString& note) {
    auto* cell = new QWidget;
    auto* line = new QHBoxLayout(cell);
    line->setContentsMargins(0, 0, 0, 0);
    control->setParent(cell);
    line->addWidget(control, 1);
    line->addWidget(new QLabel(note, cell));
    return cell;
}

void setShown(QWidget* widget, Shown shown) {
    if (shown != Shown::Keep) widget->setVisible(shown == Shown::Show);
}

using Binding = CvSNMPRequest2Edits;

// A value a read of this visit gave or someone chose; a combo showing no item holds none.
bool known(const QComboBox* combo) {
    return Binding::IsKnown(combo) && combo->currentIndex() >= 0;
}

// Set on a combo while the page forces its value: whether it held no value read or chosen before.
const char* const kForcedOverUnread = "wirelessForcedOverUnread";

// The page's own value for a mode or a security choice, greyed.
void forceChoice(QComboBox* combo, int index) {
    if (!combo->property(kForcedOverUnread).isValid())
        combo->setProperty(kForcedOverUnread, !known(combo));
    combo->setCurrentIndex(index);
    combo->setEnabled(false);
    Binding::MarkChosen(combo);
}

// Ends a force: a value forced over one nobody read goes with its rule, so that another mode or
// security choice does not send it as if the device had given it.
void liftForce(QComboBox* combo) {
    combo->setEnabled(true);
    if (combo->property(kForcedOverUnread).toBool()) {
        combo->setCurrentIndex(-1);
        Binding::MarkDerived(combo, false);
    }
    combo->setProperty(kForcedOverUnread, QVariant());
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Wirless::TFM_Wirless(QWidget* owner) : QDialog(owner) {
    buildControls();
    outcome_.attach(StatusBar);
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_Wirless::~TFM_Wirless() = default;

void TFM_Wirless::buildControls() {
    setWindowTitle("Home \\ Wireless");
    setSingleBorder(this);

    PC_Wirless = new QTabWidget(this);
    TS_11a = new QWidget;
    PC_Wirless->addTab(TS_11a, "IEEE 802.11");
    auto* columns = new QHBoxLayout(TS_11a);
    auto* stack = new QVBoxLayout;
    stack->setSpacing(8);
    // The security groups are stacked below the network settings; the WDS peers and the site
    // survey stand beside them, so that the WDS modes still fit a 768-pixel-high screen. Hidden
    // groups take no room, and a side column with nothing shown takes none either.
    for (QWidget* group : {buildNetworkGroup(), buildKeyGroup(), buildPassphraseGroup()})
        stack->addWidget(group);
    stack->addStretch(1);
    auto* side = new QVBoxLayout;
    side->setSpacing(8);
    for (QWidget* group : {buildWdsGroup(), buildSurveyGroup()}) side->addWidget(group);
    columns->addLayout(stack);
    columns->addLayout(side);
    for (QGroupBox* group : {GroupBox3, GroupBox4, GroupBox5, GroupBox6}) group->hide();

    auto hiddenEdit = [this] {
        auto* edit = new CvEdit(this);
        edit->hide();
        return edit;
    };
    for (QComboBox** combo : {&CB_dot11Authentication, &CB_Clipher, &CB_Auther, &CB_MultEnable,
                              &CB_VlanStatus, &CB_WMode1, &CB_WMode2, &CB_DeviceApplySetting,
                              &CB_RemoveMac, &CB_SiteScan, &CB_WDSSiteScan})
        *combo = makeHiddenCombo(this);
    for (CvEdit** edit : {&Ed_Channel, &Ed_Channeldatabase, &Ed_ChanListA, &Ed_ChanListG,
                          &Ed_ChanListW, &Ed_APModeStatus})
        *edit = hiddenEdit();
    Lv_RemoteMac = new CvListView(this);
    MssidListView = new CvListView(this);
    Lv_RemoteMac->hide();
    MssidListView->hide();
    Timer = new QTimer(this);

    Bt_Apply = new QPushButton("Save", this);
    Bt_Refresh = new QPushButton("Refresh", this);
    Bt_Close = new QPushButton("Close", this);
    StatusBar = new CvStatusBar(this);
    // The panel stretches across the page: a failed read or scan shows the access layer's text,
    // which a 50-pixel panel would cut after a dozen characters.
    StatusBar->AddPanel(-1);
    layOutPage(this, PC_Wirless, {Bt_Apply, Bt_Refresh, Bt_Close}, StatusBar);
    centreOnMainWindow(this);
    connectHandlers();
}

QWidget* TFM_Wirless::buildNetworkGroup() {
    GroupBox1 = new QGroupBox("Wireless Network Settings");
    auto* rows = addGroupGrid(new QVBoxLayout(GroupBox1));
    CB_Band = new QComboBox(GroupBox1);
    CB_Band->addItems({"2.4GHz", "5GHz"});
    CB_Band->setEnabled(false);
    addRow(rows, "Wireless Band", CB_Band);
    addRow(rows, "Mode ", CB_APMode = new QComboBox(GroupBox1));
    addEditRow(rows, "SSID ", Ed_SSID);
    addRow(rows, "SSID Visibility  ", CB_SsidBroadcast = new QComboBox(GroupBox1));
    addRow(rows, "Auto Channel Scan", CB_AuSc = new QComboBox(GroupBox1));
    addRow(rows, "Wireless Channel  ", CB_Chanal = new QComboBox(GroupBox1));
    addRow(rows, "Channel Width", CB_ChannelWidth = new QComboBox(GroupBox1));
    addRow(rows, "Authentication ", CB_SecurityMode = new QComboBox(GroupBox1));
    return GroupBox1;
}

QWidget* TFM_Wirless::buildKeyGroup() {
    GroupBox5 = new QGroupBox("Key settings");
    auto* column = new QVBoxLayout(GroupBox5);
    auto* top = addGroupGrid(column);
    addRow(top, "Encryption   ", CB_dot11Encryption = new QComboBox(GroupBox5));
    addRow(top, "Key Index", CB_DefaultKey = new QComboBox(GroupBox5));

    auto* keys = addGroupGrid(column);
    keys->setColumnStretch(1, 0);
    keys->setColumnStretch(2, 1);
    const QStringList titles = {"Key Type", "Key Size ", "Network Key"};
    for (int title = 0; title < titles.size(); ++title)
        keys->addWidget(new QLabel(titles[title], GroupBox5), 0, title);
    std::array<QComboBox**, 4> types = {&CB_KeyType1, &CB_KeyType2, &CB_KeyType3, &CB_KeyType4};
    std::array<QComboBox**, 4> sizes = {&CB_WepEncryp1, &CB_WepEncryp2, &CB_WepEncryp3,
                                        &CB_WepEncryp4};
    std::array<CvEdit**, 4> edits = {&Ed_Key1, &Ed_Key2, &Ed_Key3, &Ed_Key4};
    for (int key = 0; key < 4; ++key) {
        *types[key] = new QComboBox(GroupBox5);
        *sizes[key] = new QComboBox(GroupBox5);
        (*sizes[key])->addItems({"64Bits", "128Bits"});
        *edits[key] = new CvEdit(GroupBox5);
        (*edits[key])
            ->setMinimumWidth((*edits[key])->fontMetrics().horizontalAdvance(QString(28, '0')));
        keys->addWidget(*types[key], 1 + key, 0);
        keys->addWidget(*sizes[key], 1 + key, 1);
        keys->addWidget(*edits[key], 1 + key, 2);
    }

    auto* confirm = addGroupGrid(column);
    addEditRow(confirm, "Confirm Key", Ed_ConfirmKey);
    Ed_ConfirmKey->setEchoMode(QLineEdit::Password);
    alignCaptions({top, confirm});
    return GroupBox5;
}

QWidget* TFM_Wirless::buildPassphraseGroup() {
    GroupBox6 = new QGroupBox("Passphrase Settings");
    auto* column = new QVBoxLayout(GroupBox6);
    auto* wpa = addGroupGrid(column);
    addRow(wpa, "WPA Mode ", CB_WPAMode = new QComboBox(GroupBox6));
    addRow(wpa, "Cipher Type ", CB_CipherType = new QComboBox(GroupBox6));
    Ed_UpdateInterval = new CvEdit;
    addRow(wpa, "Group Key Update Interval  ", withNote(Ed_UpdateInterval, "Seconds"));

    // The RADIUS settings take the place of the pass phrase rows.
    GroupBox2 = new QGroupBox("Primary RADIUS Server Setting", GroupBox6);
    column->addWidget(GroupBox2);
    auto* radius = addGroupGrid(new QVBoxLayout(GroupBox2));
    addEditRow(radius, "RADIUS Server", Edt_RadiusServer);
    addEditRow(radius, "RADIUS Port", Edt_RadiusPort);
    addEditRow(radius, "RADIUS Secret", Edt_RadiusSecret);
    CB_NetProtect = new QComboBox;
    addRow(radius, "Network Access Protection",
           withNote(CB_NetProtect, "Microsoft Network Access Protection"));

    auto* passphrase = addGroupGrid(column);
    La_Passphrase = addEditRow(passphrase, "Passphrase", Ed_Passphrase);
    La_ConfirmPass = addEditRow(passphrase, "Confirm PassPhrase", Ed_ConfirmPass);
    alignCaptions({wpa, passphrase});
    return GroupBox6;
}

QWidget* TFM_Wirless::buildWdsGroup() {
    GroupBox3 = new QGroupBox("WDS");
    auto* column = new QVBoxLayout(GroupBox3);
    column->addWidget(new QLabel("Remote AP MAC Address", GroupBox3));
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(12);
    column->addLayout(fields);
    std::array<CvEdit**, kWdsFields> edits = {&Ed_ReMAddra0, &Ed_ReMAddra1, &Ed_ReMAddra2,
                                              &Ed_ReMAddra3, &Ed_ReMAddra4, &Ed_ReMAddra5,
                                              &Ed_ReMAddra6, &Ed_ReMAddra7};
    for (int field = 0; field < kWdsFields; ++field) {
        auto* number = new QLabel(QString::number(field + 1), GroupBox3);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *edits[field] = new CvEdit(GroupBox3);
        CvEdit* edit = *edits[field];
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(16, QChar('D'))));
        fields->addWidget(number, field / 2, (field % 2) * 2);
        fields->addWidget(edit, field / 2, (field % 2) * 2 + 1);
        // Fields 5 to 8 hold peers the device reported beyond the four shown.
        if (field >= kShownWdsFields) {
            number->hide();
            edit->hide();
        }
    }
    return GroupBox3;
}

QWidget* TFM_Wirless::buildSurveyGroup() {
    GroupBox4 = new QGroupBox("Site Survey");
    auto* column = new QVBoxLayout(GroupBox4);
    SiteScan = new QPushButton("Scan", GroupBox4);
    SiteScan->setAutoDefault(false);
    auto* buttonLine = new QHBoxLayout;
    buttonLine->addWidget(SiteScan);
    buttonLine->addStretch(1);
    column->addLayout(buttonLine);
    for (CvListView** list : {&SiteServeyListView1, &wdsSiteServeyListView}) {
        *list = new CvListView(GroupBox4);
        (*list)->setMinimumSize(380, 150);
        (*list)->hide();
        column->addWidget(*list);
    }
    return GroupBox4;
}

void TFM_Wirless::connectHandlers() {
    // Picked by the user, these combos the page fills hold a choice; connected ahead of their
    // handlers, which read it. The bound ones mark themselves.
    for (QComboBox* combo : {CB_SecurityMode, CB_WPAMode, CB_CipherType, CB_Chanal})
        QObject::connect(combo, &QComboBox::activated, combo,
                         [combo] { Binding::MarkChosen(combo); });
    auto on = [this](auto* sender, auto signal, void (TFM_Wirless::*handler)()) {
        QObject::connect(sender, signal, this, [this, handler] {
            runPageRoutine([this, handler] { (this->*handler)(); });
        });
    };
    on(CB_APMode, &QComboBox::activated, &TFM_Wirless::CB_APModeChange);
    on(CB_SecurityMode, &QComboBox::activated, &TFM_Wirless::CB_SecurityModeChange);
    on(CB_Band, &QComboBox::activated, &TFM_Wirless::CB_BandChange);
    on(CB_Chanal, &QComboBox::activated, &TFM_Wirless::CB_ChanalChange);
    on(CB_AuSc, &QComboBox::activated, &TFM_Wirless::CB_AuScClick);
    on(CB_DefaultKey, &QComboBox::activated, &TFM_Wirless::CB_DefaultKeyChange);
    for (const KeyRow& row : keyRows()) {
        on(row.type, &QComboBox::activated, &TFM_Wirless::CB_KeyType1Change);
        on(row.size, &QComboBox::activated, &TFM_Wirless::CB_WepEncryp1Change);
    }
    on(CB_dot11Encryption, &QComboBox::activated, &TFM_Wirless::CB_dot11EncryptionChange);
    on(CB_Auther, &QComboBox::activated, &TFM_Wirless::CB_AutherChange);
    on(CB_CipherType, &QComboBox::activated, &TFM_Wirless::CB_CipherTypeChange);
    on(CB_WPAMode, &QComboBox::activated, &TFM_Wirless::CB_WPAModeChange);
    on(Bt_Apply, &QPushButton::clicked, &TFM_Wirless::Bt_ApplyClick);
    on(SiteScan, &QPushButton::clicked, &TFM_Wirless::SiteScanClick);
    // A click, not a selection: a walk selects its first row too.
    on(SiteServeyListView1, &CvListView::clicked, &TFM_Wirless::SiteServeyListView1Click);
    on(wdsSiteServeyListView, &CvListView::clicked, &TFM_Wirless::wdsSiteServeyListViewClick);
    on(Bt_Refresh, &QPushButton::clicked, &TFM_Wirless::Bt_RefreshClick);
    on(Bt_Close, &QPushButton::clicked, &TFM_Wirless::Bt_CloseClick);
}

void TFM_Wirless::runPageRoutine(const std::function<void()>& routine) {
    runGuarded(StatusBar, [&] {
        try {
            routine();
        } catch (const MissingRequest&) {
            StatusBar->ShowText(creationFailure_);
        }
    });
}

CvSNMPRequest2Edits& TFM_Wirless::built(const std::unique_ptr<CvSNMPRequest2Edits>& request) const {
    if (!request) throw MissingRequest{};
    return *request;
}

std::vector<TFM_Wirless::KeyRow> TFM_Wirless::keyRows() const {
    return {{CB_KeyType1, CB_WepEncryp1, Ed_Key1},
            {CB_KeyType2, CB_WepEncryp2, Ed_Key2},
            {CB_KeyType3, CB_WepEncryp3, Ed_Key3},
            {CB_KeyType4, CB_WepEncryp4, Ed_Key4}};
}

std::vector<QWidget*> TFM_Wirless::keyControls() const {
    std::vector<QWidget*> controls = {CB_DefaultKey, Ed_ConfirmKey};
    for (const KeyRow& row : keyRows())
        controls.insert(controls.end(), {row.type, row.size, row.key});
    return controls;
}

std::vector<CvEdit*> TFM_Wirless::wdsMacEdits() const {
    return {Ed_ReMAddra0, Ed_ReMAddra1, Ed_ReMAddra2, Ed_ReMAddra3,
            Ed_ReMAddra4, Ed_ReMAddra5, Ed_ReMAddra6, Ed_ReMAddra7};
}

// ---- Creation -------------------------------------------------------------------------------

std::unique_ptr<CvSNMPRequest2Edits> TFM_Wirless::makeRequestKeepingFailure(
    const Items& items, int itemType, int keyCount, RequestMode mode, int timeout) {
    auto request = makeRequest(this, items, itemType, keyCount, mode, timeout);
    // A failed read or set gives only false; its code and text come through the result routine.
    if (mode == kSynchronous)
        request->request().SetResultRoutine(
            [this](const CvSNMPError& outcome) { lastOutcome_ = outcome; });
    return request;
}

CvSNMPError TFM_Wirless::lastFailure() const {
    return lastOutcome_.Code != 0 ? lastOutcome_ : CvSNMPError{-528, CvMessages::text(-528)};
}

bool TFM_Wirless::read(CvSNMPRequest2Edits& request) {
    lastOutcome_ = {};
    const bool succeeded = request.Get();
    if (!succeeded) outcome_.note(lastFailure());
    return succeeded;
}

void TFM_Wirless::FormCreate() {
    try {
        BuildVlanStatusRequest();
        ReadMultiSSIDTable();
        BuildWirelessRequests();
        BuildKeyRequests();
        BuildPassphraseRequest();
        BuildRadiusRequest();
        BuildWdsMacRequests();
        BuildSiteSurveyRequests();
        BuildWdsSiteSurveyRequests();
        ShowSecurityGroups();
        SetInputLimits();
        showSurveyListFor(CB_APMode->currentIndex());
        outcome_.showFailure();
    } catch (const std::exception& failure) {
        creationFailure_ = QString::fromStdString(failure.what());
        throw;
    }
}

void TFM_Wirless::BuildVlanStatusRequest() {
    if (!requestsBuilt) {
        reqVlanStatus = makeRequestKeepingFailure(vlanStatusTable, SVT_SV, 0, kSynchronous, 10000);
        reqVlanStatus->AssociateComboBox(0, CB_VlanStatus);
    }
    read(built(reqVlanStatus));
}

void TFM_Wirless::ReadMultiSSIDTable() {
    if (!requestsBuilt) {
        reqMssidTable = makeRequestKeepingFailure(mssidTable, MVT_UMV, 1, kSynchronous, 5000);
        reqMssidTable->AssociateListView(MssidListView, true);
    }
    read(built(reqMssidTable));
}

void TFM_Wirless::BuildWirelessRequests() {
    if (!requestsBuilt) {
        reqApplySetting =
            makeRequestKeepingFailure(applySettingTable, SVT_SV, 0, kSynchronous, 5000);
        reqApplySetting->AssociateComboBox(0, CB_DeviceApplySetting);

        reqWireless = makeRequestKeepingFailure(wirelessTable, MVT_SV, 0, kSynchronous, 2000);
        reqWireless->AssociateEdit(0, "%s", Ed_SSID);
        reqWireless->AssociateComboBox(1, CB_SsidBroadcast);
        reqWireless->AssociateEdit(2, "%s", Ed_Channel);
        reqWireless->AssociateEdit(3, "%s", Ed_ChanListA);
        reqWireless->AssociateComboBox(4, CB_AuSc);
        reqWireless->AssociateComboBox(5, CB_APMode);
        reqWireless->AssociateComboBox(6, CB_Band);
        reqWireless->AssociateComboBox(7, CB_ChannelWidth);
        reqWireless->SetLogTarget(StatusBar);
        reqWireless->VarList.GetItem(kChannelListItem).access = ACC_READONLY;
    }
    read(built(reqWireless));
    savedBandIndex = CB_Band->currentIndex();

    if (CB_AuSc->currentIndex() == 1) {
        reqDataBaseChannel =
            makeRequestKeepingFailure(dataBaseChannelTable, MVT_SV, 0, kSynchronous, 2000);
        reqDataBaseChannel->AssociateEdit(0, "%s", Ed_Channeldatabase);
        read(*reqDataBaseChannel);
    }
    FillChannelList(Ed_ChanListA, CB_Chanal, Ed_Channel);

    if (!requestsBuilt) {
        reqChannelLists =
            makeRequestKeepingFailure(channelListsTable, MVT_SV, 0, kSynchronous, 2000);
        reqChannelLists->AssociateEdit(0, "%s", Ed_ChanListG);
        reqChannelLists->AssociateEdit(1, "%s", Ed_ChanListW);
        reqChannelLists->SetLogTarget(StatusBar);
    }
    read(built(reqChannelLists));
    CB_BandChange();

    // The Wi-Fi mode list follows the band read at creation; an unknown band reads nothing.
    if (!requestsBuilt) {
        const int band = CB_Band->currentIndex();
        reqWifiMode = makeRequestKeepingFailure(band == 0   ? wifiMode24Table
                                                : band == 1 ? wifiMode5Table
                                                            : Items{},
                                                MVT_SV, 0, kSynchronous, 10000);
        if (band == 0) reqWifiMode->AssociateComboBox(0, CB_WMode1);
        if (band == 1) reqWifiMode->AssociateComboBox(0, CB_WMode2);
    }
    if (built(reqWifiMode).VarList.Count() > 0) read(*reqWifiMode);
    CB_ChanalChange();

    savedApModeIndex = CB_APMode->currentIndex();
    savedSsidBroadcastIndex = known(CB_SsidBroadcast) ? CB_SsidBroadcast->currentIndex() : -1;
    savedChannelIndex = known(CB_Chanal) ? CB_Chanal->currentIndex() : -1;

    if (!requestsBuilt) {
        reqMssidState = makeRequestKeepingFailure(mssidStateTable, MVT_SV, 0, kSynchronous, 1000);
        reqMssidState->AssociateComboBox(0, CB_MultEnable);
    }
    read(built(reqMssidState));

    if (!requestsBuilt) {
        reqApModeStatus =
            makeRequestKeepingFailure(apModeStatusTable, MVT_SV, 0, kSynchronous, 1000);
        reqApModeStatus->AssociateEdit(0, "%s", Ed_APModeStatus);
    }
    read(built(reqApModeStatus));
    setScanButtonFromStatus();
    readAsWirelessClient = CB_APMode->currentIndex() == kWirelessClient;
}

void TFM_Wirless::BuildKeyRequests() {
    if (!requestsBuilt) {
        reqAuthentication =
            makeRequestKeepingFailure(authenticationTable, MVT_SV, 0, kSynchronous, 5000);
        reqAuthentication->AssociateComboBox(0, CB_dot11Authentication);
        reqAuthentication->AssociateComboBox(1, CB_DefaultKey);
        reqAuthentication->AssociateComboBox(2, CB_dot11Encryption);
        reqAuthentication->SetLogTarget(StatusBar);
    }
    read(built(reqAuthentication));
    FillSecurityModes();
    savedSecurityText = CB_SecurityMode->currentText();

    std::array<std::unique_ptr<CvSNMPRequest2Edits>*, 4> requests = {&reqWepKey1, &reqWepKey2,
                                                                     &reqWepKey3, &reqWepKey4};
    const std::vector<KeyRow> rows = keyRows();
    for (int key = 0; key < 4; ++key) {
        std::unique_ptr<CvSNMPRequest2Edits>& request = *requests[key];
        if (!requestsBuilt) {
            request =
                makeRequestKeepingFailure(wepKeyTable(key + 1), MVT_SV, 0, kSynchronous, 1000);
            request->AssociateEdit(1, "%s", rows[key].key);
            request->AssociateComboBox(0, rows[key].type);
        }
        read(built(request));
    }
    CopyKeyToConfirm();
    SetKeySizesFromKeys();
}

void TFM_Wirless::BuildPassphraseRequest() {
    if (!requestsBuilt) {
        reqPassphrase = makeRequestKeepingFailure(passphraseTable, MVT_SV, 0, kSynchronous, 1000);
        reqPassphrase->AssociateEdit(0, "%s", Ed_Passphrase);
        reqPassphrase->AssociateComboBox(1, CB_Clipher);
        reqPassphrase->AssociateEdit(2, "%s", Ed_UpdateInterval);
        reqPassphrase->SetLogTarget(StatusBar);
    }
    read(built(reqPassphrase));
    savedPassphraseText = Ed_Passphrase->text();
    savedUpdateInterval = Binding::IsKnown(Ed_UpdateInterval)
                              ? std::optional<QString>(Ed_UpdateInterval->text())
                              : std::nullopt;
    Ed_ConfirmPass->SetText(Ed_Passphrase->text());
}

void TFM_Wirless::BuildRadiusRequest() {
    if (!requestsBuilt) {
        reqRadius = makeRequestKeepingFailure(radiusTable, MVT_SV, 0, kSynchronous, 1000);
        reqRadius->AssociateEdit(0, "%s", Edt_RadiusServer);
        reqRadius->AssociateEdit(1, "%s", Edt_RadiusPort);
        reqRadius->AssociateEdit(2, "%s", Edt_RadiusSecret);
        reqRadius->AssociateComboBox(3, CB_NetProtect);
        reqRadius->SetLogTarget(StatusBar);
    }
    read(built(reqRadius));
    savedRadiusSecretText = Edt_RadiusSecret->text();
    replaceTypingLimit(Edt_RadiusPort, 5);
}

void TFM_Wirless::BuildWdsMacRequests() {
    if (!requestsBuilt) {
        reqWdsMacAdd = makeRequestKeepingFailure(wdsMacAddTable, MVT_SV, 0, kSynchronous, 5000);
        const std::vector<CvEdit*> fields = wdsMacEdits();
        for (int item = 0; item < kShownWdsFields; ++item)
            reqWdsMacAdd->AssociateEdit(item, "%h", fields[item]);

        reqWdsMacAddMore = makeRequestKeepingFailure(wdsMacAddTable, MVT_SV, 0, kSynchronous, 5000);
        for (int item = 0; item < kShownWdsFields; ++item)
            reqWdsMacAddMore->AssociateEdit(item, "%h", fields[kShownWdsFields + item]);

        reqWdsMacList = makeRequest(this, wdsMacListTable, MVT_UMV, 0, kAsynchronous, 5000);
        // The first row selected gives the list's set an instance to write.
        reqWdsMacList->AssociateListView(Lv_RemoteMac, true);
        reqWdsMacList->OnAfterGet = [this](CvSNMPRequest2Controls* sender,
                                           const CvSNMPError& error) {
            runPageRoutine([&] { OnWdsListRead(sender, error); });
        };

        reqWdsMacDeleteAll =
            makeRequestKeepingFailure(wdsMacDeleteAllTable, MVT_SV, 0, kSynchronous, 100);
        reqWdsMacDeleteAll->AssociateComboBox(0, CB_RemoveMac);
        // Disarmed: a delete-all the page sends unarmed deletes nothing.
        CB_RemoveMac->setCurrentIndex(0);
    }
    // Asynchronous: counts as sent; the fields fill when the walk ends.
    built(reqWdsMacList).Get();
}

void TFM_Wirless::SetInputLimits() {
    replaceTypingLimit(Ed_SSID, 32);
    for (CvEdit* field : wdsMacEdits()) replaceTypingLimit(field, 12);
    replaceTypingLimit(Ed_UpdateInterval, 7);
    replaceTypingLimit(Edt_RadiusServer, 15);
    replaceTypingLimit(Edt_RadiusSecret, 64);
    replaceTypingLimit(Ed_Passphrase, 63);
}

void TFM_Wirless::OnWdsListRead(CvSNMPRequest2Controls* /*sender*/, const CvSNMPError& error) {
    const std::vector<CvEdit*> fields = wdsMacEdits();
    const int rows = error.Code == 0 ? Lv_RemoteMac->RowCount() : 0;
    for (int field = 0; field < kWdsFields; ++field) {
        fields[field]->SetText(field < rows ? Lv_RemoteMac->Caption(field) : QString());
        // Emptied by a failed walk, a field holds no peer of the device's.
        Binding::MarkDerived(fields[field], error.Code == 0);
    }
    if (error.Code == 0)
        RefreshWdsMacEdits();
    else if (!outcome_.failed())  // the action's first failure stays in view
        outcome_.fail(error);
}

void TFM_Wirless::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    runPageRoutine([this] { FormShow(); });
}

void TFM_Wirless::FormShow() {
    if (GroupBox5->isHidden()) return;
    CB_DefaultKeyChange();
    CB_dot11EncryptionChange();
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Wirless::Bt_RefreshClick() {
    outcome_.begin();
    RefreshSettings();
    showOutcome("Refresh Ok!");
}

void TFM_Wirless::showOutcome(const QString& okText) {
    if (outcome_.failed())
        outcome_.showFailure();
    else
        outcome_.showOk(okText, {reqWdsMacList.get()});
}

void TFM_Wirless::RefreshSettings() {
    // The reads decide anew what the page forces.
    for (QComboBox* combo : {CB_dot11Encryption, CB_AuSc, CB_SsidBroadcast, CB_ChannelWidth})
        liftForce(combo);
    // A refused or failed Save left items out; they are read again, not kept as typed.
    SetItemsWritable(true);
    requestsBuilt = true;
    BuildVlanStatusRequest();
    ReadMultiSSIDTable();
    BuildWirelessRequests();
    // The authentication and key requests are read again as they stand.
    BuildKeyRequests();
    BuildPassphraseRequest();
    BuildRadiusRequest();
    BuildWdsMacRequests();
    requestsBuilt = false;

    ShowSecurityGroups();
    SetInputLimits();
    ClearZeroWdsMacs();
    UpdateChannelWidth();
    CB_dot11EncryptionChange();
}

void TFM_Wirless::Bt_CloseClick() {
    close();
}

void TFM_Wirless::CB_APModeChange() {
    const int mode = CB_APMode->currentIndex();
    if (mode == kAccessPoint || mode == kWirelessClient) {
        setScanButtonFromStatus();
    } else if (mode == kWdsWithAp || mode == kWds) {
        SiteScan->setEnabled(!readAsWirelessClient);
        readAsWirelessClient = false;
    }
    showSurveyListFor(mode);
    if (mode > kWdsWithAp && CB_MultEnable->currentIndex() == 1)
        platform::ui().messageBox(this, "Warning",
                                  "Multi-SSID will be disabled when VRA-2260 is configured in "
                                  "'WDS' or 'Wireless Client'.",
                                  platform::BoxButtons::Ok);
    if (CB_SecurityMode->currentText() == "WPA-Enterprise" && mode != kAccessPoint) warnVlanOnce();
    FillSecurityModes();
    if ((mode == kWdsWithAp || mode == kWds) && mode != savedApModeIndex) RestoreSecurityChoice();
    RefreshWdsMacEdits();
    ShowSecurityGroups();
    CB_SecurityModeChange();
    CB_BandChange();
    GroupBox3->setTitle(mode == kWdsWithAp ? "WDS with AP" : "WDS");
    if (mode >= kAccessPoint && mode <= kWds) {
        // The values as read come back, unread where they were.
        CB_SsidBroadcast->setCurrentIndex(savedSsidBroadcastIndex);
        Binding::MarkDerived(CB_SsidBroadcast, savedSsidBroadcastIndex >= 0);
        CB_Chanal->setCurrentIndex(savedChannelIndex);
        Binding::MarkDerived(CB_Chanal, savedChannelIndex >= 0);
        Ed_UpdateInterval->setEnabled(true);
        Ed_UpdateInterval->SetText(savedUpdateInterval.value_or(QString()));
        Binding::MarkDerived(Ed_UpdateInterval, savedUpdateInterval.has_value());
    }
    UpdateChannelWidth();
}

void TFM_Wirless::CB_SecurityModeChange() {
    const int mode = CB_APMode->currentIndex();
    const int chosen = CB_SecurityMode->currentIndex();
    (mode == kWdsWithAp ? securityIndexWdsAp
     : mode == kWds     ? securityIndexWds
                        : securityIndexAp) = chosen;
    const QString security = CB_SecurityMode->currentText();
    if (mode == kAccessPoint || mode == kWirelessClient)
        CB_CipherType->setCurrentIndex(savedCipherIndex);
    if (mode == kAccessPoint && savedSecurityText == "WPA-Enterprise" &&
        security != "WPA-Enterprise")
        warnVlanOnce();
    ShowSecurityGroups();
    if (!GroupBox5->isHidden()) {
        CB_DefaultKeyChange();
        CB_dot11EncryptionChange();
    }
    UpdateChannelWidth();
}

void TFM_Wirless::CB_BandChange() {
    const int band = CB_Band->currentIndex();
    CvEdit* list = band == 0                           ? Ed_ChanListA
                   : CB_APMode->currentIndex() == kWds ? Ed_ChanListW
                                                       : Ed_ChanListG;
    if (band == 0 || band == 1)
        FillChannelList(list, CB_Chanal,
                        CB_AuSc->currentIndex() == 1 ? Ed_Channeldatabase : Ed_Channel);
    ShowSecurityGroups();
    UpdateChannelWidth();
}

void TFM_Wirless::CB_ChanalChange() {
    applyChannelWidth(false);
}

void TFM_Wirless::CB_AuScClick() {
    CB_Chanal->setEnabled(CB_AuSc->currentIndex() != 1);
}

void TFM_Wirless::CB_DefaultKeyChange() {
    ShowDefaultKeyRow();
    ApplyKeyLengths();
}

void TFM_Wirless::CB_KeyType1Change() {
    ApplyKeyLengths();
}

void TFM_Wirless::CB_WepEncryp1Change() {
    ApplyKeyLengths();
}

void TFM_Wirless::CB_dot11EncryptionChange() {
    const int encryption = CB_dot11Encryption->currentIndex();
    if (encryption == 1) {
        for (QWidget* control : keyControls()) control->setEnabled(true);
        if (!CB_SecurityMode->currentText().contains("WPA")) ShowDefaultKeyRow();
    } else if (encryption == 0) {
        for (QWidget* control : keyControls()) control->setEnabled(false);
    }
    UpdateChannelWidth();
}

void TFM_Wirless::CB_AutherChange() {
    savedAutherIndex = CB_Auther->currentIndex();
}

void TFM_Wirless::CB_CipherTypeChange() {
    savedCipherIndex = CB_CipherType->currentIndex();
}

// ---- Saving ---------------------------------------------------------------------------------

void TFM_Wirless::Bt_ApplyClick() {
    outcome_.begin();
    if (const WirelessCheck refusal = checkWirelessSsid(Ed_SSID->text())) {
        showRefusal(*refusal);
        return;
    }
    SetItemsWritable(false);
    StoreSecurityChoice();
    if (CB_MultEnable->currentIndex() == 1)
        SaveWithMultiSSID();
    else
        SaveWithoutMultiSSID();
}

void TFM_Wirless::SetItemsWritable(bool writable) {
    for (const auto* request :
         {&reqWireless, &reqAuthentication, &reqWepKey1, &reqWepKey2, &reqWepKey3, &reqWepKey4,
          &reqPassphrase, &reqWdsMacAdd, &reqWdsMacAddMore, &reqRadius}) {
        CvSNMPRequest2Edits& items = built(*request);
        for (int item = 0; item < items.VarList.Count(); ++item)
            items.VarList.GetItem(item).access = writable ? ACC_READWRITE : ACC_INVALID;
    }
}

void TFM_Wirless::SaveWithoutMultiSSID() {
    save(false);
}

void TFM_Wirless::SaveWithMultiSSID() {
    save(true);
}

void TFM_Wirless::save(bool multiSsidWriter) {
    const WirelessSavePlan plan = planWirelessSave(saveInput(multiSsidWriter));
    if (plan.unread) {
        outcome_.fail(unreadOutcome());
        return;
    }
    if (plan.disableMultiSsid) {
        CB_MultEnable->setCurrentIndex(0);
        CvSNMPRequest2Edits& state = built(reqMssidState);
        state.VarList.GetItem(0).access = ACC_READWRITE;
        setRequest(&state, StatusBar, true);
    }
    if (plan.peerRefusal) return showRefusal(*plan.peerRefusal);
    if (plan.branch == WirelessBranch::None) return;
    if (plan.sharedKeyWarning)
        platform::ui().messageBox(
            this, "Warning",
            "Key value is used by SSID! \nTo change Key value affects other SSID settings.",
            platform::BoxButtons::Ok);
    if (plan.refusal) return showRefusal(*plan.refusal);
    if (plan.copyChannel) CopyChannelText(CB_Chanal, Ed_Channel);
    if (plan.storeCipher) StoreCipherChoice();

    bool peersDeleted = false;
    for (const WirelessSet& set : plan.sets) {
        CvSNMPRequest2Edits& request = requestFor(set.request);
        for (int item = 0; item < request.VarList.Count(); ++item)
            request.VarList.GetItem(item).access = ACC_INVALID;
        for (int item : set.items) request.VarList.GetItem(item).access = ACC_READWRITE;
        if (set.deletesAll) CB_RemoveMac->setCurrentIndex(1);
        lastOutcome_ = {};
        const bool succeeded = setRequest(&request, StatusBar, true);
        // Disarmed again, so that no later delete-all of this visit carries "deleteall" unasked.
        if (set.deletesAll) CB_RemoveMac->setCurrentIndex(0);
        peersDeleted = peersDeleted || (set.deletesAll && set.counted);
        if (set.counted && !succeeded) outcome_.note(lastFailure(), "Setting error!");
    }
    if (outcome_.failed()) {
        // The peers the delete-all took may not have come back: the fields show what is left.
        if (peersDeleted) built(reqWdsMacList).Get();
        return outcome_.showFailure();
    }
    // The re-read also makes the save requests' items readable again and sets the Wireless
    // Client flag from the mode the device now reports; its failures are the save's.
    RefreshSettings();
    showOutcome("Setting Success!");
}

WirelessSaveInput TFM_Wirless::saveInput(bool multiSsidWriter) const {
    WirelessSaveInput input;
    input.multiSsidWriter = multiSsidWriter;
    input.apMode = CB_APMode->currentIndex();
    input.securityMode = CB_SecurityMode->currentText();
    input.encryption = CB_dot11Encryption->currentIndex();
    input.defaultKey = CB_DefaultKey->currentIndex();
    input.defaultKeyText = CB_DefaultKey->currentText();
    const std::vector<KeyRow> rows = keyRows();
    for (int key = 0; key < 4; ++key)
        input.keys[key] = {rows[key].type->currentIndex(), rows[key].size->currentIndex(),
                           rows[key].key->text()};
    input.confirmKey = Ed_ConfirmKey->text();
    input.interval = Ed_UpdateInterval->text();
    input.passphrase = Ed_Passphrase->text();
    input.confirmPassphrase = Ed_ConfirmPass->text();
    input.passphraseAsRead = savedPassphraseText;
    input.radiusServer = Edt_RadiusServer->text();
    input.radiusPort = Edt_RadiusPort->text();
    input.radiusSecret = Edt_RadiusSecret->text();
    input.radiusSecretAsRead = savedRadiusSecretText;
    const std::vector<CvEdit*> fields = wdsMacEdits();
    for (int field = 0; field < kWdsFields; ++field) input.macs[field] = fields[field]->text();
    input.band = CB_Band->currentIndex();
    input.bandAsRead = savedBandIndex;
    input.known = {known(CB_APMode),
                   known(CB_MultEnable),
                   securityKnown(),
                   known(CB_dot11Encryption),
                   known(CB_DefaultKey),
                   known(CB_CipherType),
                   std::all_of(fields.begin(), fields.end(), Binding::IsKnown)};
    // The columns are found by their titles, the items' names.
    auto column = [this](const QString& title) {
        for (int c = 0; c < MssidListView->ColumnCount(); ++c)
            if (MssidListView->ColumnTitle(c) == title) return c;
        return -1;
    };
    auto cell = [this](int row, int c) {
        return c <= 0 ? MssidListView->Caption(row) : MssidListView->SubItem(row, c - 1);
    };
    const int state = column("dot11MssIndividualState");
    const int authentication = column("dot11MssidAuthentication");
    const int keyIndex = column("dot11MssidWepKeyIndex");
    for (int row = 0; row < MssidListView->RowCount(); ++row)
        input.mssidRows.push_back(
            {cell(row, state), cell(row, authentication), cell(row, keyIndex)});
    return input;
}

CvSNMPRequest2Edits& TFM_Wirless::requestFor(WirelessRequest request) const {
    switch (request) {
        case WirelessRequest::MssidState:
            return built(reqMssidState);
        case WirelessRequest::Wireless:
            return built(reqWireless);
        case WirelessRequest::Authentication:
            return built(reqAuthentication);
        case WirelessRequest::WepKey1:
            return built(reqWepKey1);
        case WirelessRequest::WepKey2:
            return built(reqWepKey2);
        case WirelessRequest::WepKey3:
            return built(reqWepKey3);
        case WirelessRequest::WepKey4:
            return built(reqWepKey4);
        case WirelessRequest::Passphrase:
            return built(reqPassphrase);
        case WirelessRequest::Radius:
            return built(reqRadius);
        case WirelessRequest::WdsMacDeleteAll:
            return built(reqWdsMacDeleteAll);
        case WirelessRequest::WdsMacAdd:
            return built(reqWdsMacAdd);
        case WirelessRequest::WdsMacAddMore:
            return built(reqWdsMacAddMore);
        case WirelessRequest::WdsMacList:
            break;
    }
    return built(reqWdsMacList);
}

CvEdit* TFM_Wirless::fieldEdit(WirelessField field) const {
    using F = WirelessField;
    if (field >= F::Mac1 && field <= F::Mac8)
        return wdsMacEdits()[static_cast<int>(field) - static_cast<int>(F::Mac1)];
    if (field >= F::Key1 && field <= F::Key4)
        return keyRows()[static_cast<int>(field) - static_cast<int>(F::Key1)].key;
    switch (field) {
        case F::Ssid:
            return Ed_SSID;
        case F::ConfirmKey:
            return Ed_ConfirmKey;
        case F::Interval:
            return Ed_UpdateInterval;
        case F::Passphrase:
            return Ed_Passphrase;
        case F::RadiusServer:
            return Edt_RadiusServer;
        case F::RadiusPort:
            return Edt_RadiusPort;
        case F::RadiusSecret:
            return Edt_RadiusSecret;
        default:
            return nullptr;
    }
}

void TFM_Wirless::showRefusal(const WirelessRefusal& refusal) {
    if (refusal.caption.isEmpty())
        plainMessage(this, refusal.message);
    else
        platform::ui().messageBox(this, refusal.caption, refusal.message, platform::BoxButtons::Ok);
    if (CvEdit* emptied = fieldEdit(refusal.emptied)) emptied->SetText("");
    if (refusal.emptied == WirelessField::RadiusPort) replaceTypingLimit(Edt_RadiusPort, 5);
    if (CvEdit* focused = fieldEdit(refusal.focus)) focused->setFocus();
    if (refusal.tidyMacs) RefreshWdsMacEdits();
}

// ---- Site survey ----------------------------------------------------------------------------

void TFM_Wirless::BuildSiteSurveyRequests() {
    reqSiteSurveyRefresh =
        makeRequest(this, siteSurveyRefreshTable, MVT_SV, 0, kAsynchronous, 50000);
    reqSiteSurveyRefresh->AssociateComboBox(0, CB_SiteScan);
    reqSiteSurveyTable = makeRequest(this, siteSurveyTable, MVT_UMV, 1, kAsynchronous, 10000);
    bindSurveyList(*reqSiteSurveyRefresh, *reqSiteSurveyTable, SiteServeyListView1);
}

void TFM_Wirless::BuildWdsSiteSurveyRequests() {
    reqWdsSurveyRefresh =
        makeRequest(this, wdsSurveyRefreshTable, MVT_SV, 0, kAsynchronous, 100000);
    reqWdsSurveyRefresh->AssociateComboBox(0, CB_WDSSiteScan);
    reqWdsSurveyTable = makeRequest(this, wdsSurveyTable, MVT_UMV, 1, kAsynchronous, 100000);
    bindSurveyList(*reqWdsSurveyRefresh, *reqWdsSurveyTable, wdsSiteServeyListView);
}

void TFM_Wirless::bindSurveyList(CvSNMPRequest2Edits& trigger, CvSNMPRequest2Edits& table,
                                 CvListView* list) {
    trigger.OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        runPageRoutine([&] { OnSurveyRefreshDone(sender, error); });
    };
    table.AssociateListView(list, true);
    table.OnAfterGet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& error) {
        runPageRoutine([&] { OnSurveyTableDone(sender, error); });
    };
    list->setColumnWidth(0, 0);
    const QFontMetrics metrics = list->fontMetrics();
    const int widths[] = {
        metrics.horizontalAdvance("CH") + 16, metrics.horizontalAdvance("Signal") + 16,
        metrics.horizontalAdvance("000000000000") + 16, metrics.horizontalAdvance("WPA2-PSK") + 16};
    for (int column = 0; column < 4; ++column) list->setColumnWidth(column + 1, widths[column]);
    list->horizontalHeader()->setStretchLastSection(true);
}

void TFM_Wirless::enableButtons(bool enabled) {
    for (QPushButton* button : {Bt_Apply, Bt_Refresh, Bt_Close}) button->setEnabled(enabled);
}

void TFM_Wirless::SiteScanClick() {
    outcome_.begin();
    StatusBar->ShowText("Detecting...");
    const SurveyKind survey = surveyFor(CB_APMode->currentIndex());
    if (survey == SurveyKind::Wds) {
        CB_WDSSiteScan->setCurrentIndex(1);
        built(reqWdsSurveyRefresh).Set(true, true, "");
    } else if (survey == SurveyKind::Client) {
        CB_SiteScan->setCurrentIndex(1);
        built(reqSiteSurveyRefresh).Set(true, true, "");
    }
    enableButtons(false);
}

void TFM_Wirless::OnSurveyRefreshDone(CvSNMPRequest2Controls* /*sender*/,
                                      const CvSNMPError& error) {
    const SurveyKind survey = surveyFor(CB_APMode->currentIndex());
    // Switched to Access Point meanwhile, there is no table to read; the buttons come back.
    if (error.Code != 0 || survey == SurveyKind::None) {
        enableButtons(true);
        StatusBar->ShowText(QString::fromStdString(error.Message));
        return;
    }
    built(survey == SurveyKind::Wds ? reqWdsSurveyTable : reqSiteSurveyTable).Get();
    StatusBar->ShowText("Refresh...!");
}

void TFM_Wirless::OnSurveyTableDone(CvSNMPRequest2Controls* /*sender*/, const CvSNMPError& error) {
    enableButtons(true);
    StatusBar->ShowText(QString::fromStdString(error.Message));
}

void TFM_Wirless::SiteServeyListView1Click() {
    const int row = SiteServeyListView1->SelectedRow();
    if (row < 0 || CB_APMode->currentIndex() != kWirelessClient) return;
    Ed_SSID->SetText(SiteServeyListView1->SubItem(row, kSurveySsid));
    Ed_Channel->SetText(SiteServeyListView1->SubItem(row, kSurveyChannel));
    Binding::MarkChosen(Ed_SSID);
    Binding::MarkChosen(Ed_Channel);
    FillChannelList(Ed_ChanListA, CB_Chanal, Ed_Channel);
}

void TFM_Wirless::wdsSiteServeyListViewClick() {
    const int row = wdsSiteServeyListView->SelectedRow();
    if (row < 0 || surveyFor(CB_APMode->currentIndex()) != SurveyKind::Wds) return;
    AddSurveyMacToWds(wdsSiteServeyListView->SubItem(row, kSurveyBssid));
}

bool TFM_Wirless::AddSurveyMacToWds(const QString& mac) {
    QStringList fields;
    for (CvEdit* field : wdsMacEdits()) fields << field->text();
    const SurveyMacPlace place = placeSurveyMac(fields, mac);
    if (place.duplicate)
        platform::ui().messageBox(this, "Warning",
                                  "There is an existent entry with the same MAC Address\nPlease "
                                  "change the MAC Address.",
                                  platform::BoxButtons::Ok);
    if (place.field < 0) return false;
    wdsMacEdits()[place.field]->SetText(QString(mac).remove(':'));
    Binding::MarkChosen(wdsMacEdits()[place.field]);
    return true;
}

// ---- Rules on the page ----------------------------------------------------------------------

void TFM_Wirless::FillSecurityModes() {
    CB_SecurityMode->clear();
    CB_WPAMode->clear();
    const int mode = CB_APMode->currentIndex();
    const bool multiSsid = CB_MultEnable->currentIndex() == 1;
    const SecurityOffer offer = wirelessSecurityOffer(mode, multiSsid);
    CB_SecurityMode->addItems(offer.securityModes);
    CB_WPAMode->addItems(offer.wpaModes);
    CB_WPAMode->setEnabled(offer.wpaEnabled);
    const std::optional<SecurityChoice> choice =
        wirelessSecurityFromAuthentication(CB_dot11Authentication->currentText(), mode, multiSsid);
    CB_SecurityMode->setCurrentIndex(choice ? CB_SecurityMode->findText(choice->securityMode) : -1);
    CB_WPAMode->setCurrentIndex(!choice ? -1
                                : choice->wpaMode.isEmpty()
                                    ? 0
                                    : CB_WPAMode->findText(choice->wpaMode));
    // A fallback for an authentication nobody read is no choice.
    for (QComboBox* combo : {CB_SecurityMode, CB_WPAMode})
        Binding::MarkDerived(combo, Binding::IsKnown(CB_dot11Authentication));
}

bool TFM_Wirless::securityKnown() const {
    return known(CB_SecurityMode) &&
           (!CB_SecurityMode->currentText().startsWith("WPA") || known(CB_WPAMode));
}

void TFM_Wirless::StoreSecurityChoice() {
    const QString authentication = wirelessAuthenticationFromChoice(
        CB_APMode->currentIndex(), CB_MultEnable->currentIndex() == 1,
        CB_SecurityMode->currentText(), CB_WPAMode->currentText());
    if (!authentication.isEmpty()) {
        CB_dot11Authentication->setCurrentIndex(CB_dot11Authentication->findText(authentication));
        Binding::MarkDerived(CB_dot11Authentication, securityKnown());
    }
}

void TFM_Wirless::RestoreSecurityChoice() {
    const int mode = CB_APMode->currentIndex();
    CB_SecurityMode->setCurrentIndex(mode == kWdsWithAp ? securityIndexWdsAp
                                     : mode == kWds     ? securityIndexWds
                                                        : securityIndexAp);
    // The page's choice for a mode the user picked.
    Binding::MarkChosen(CB_SecurityMode);
}

void TFM_Wirless::ShowSecurityGroups() {
    const int mode = CB_APMode->currentIndex();
    const SecurityGroups groups = wirelessSecurityGroups(mode, CB_SecurityMode->currentText());
    for (QComboBox* control : {CB_dot11Encryption, CB_AuSc, CB_SsidBroadcast}) liftForce(control);
    CB_Chanal->setEnabled(true);
    if (groups.autoScanRule) CB_AuScClick();
    setShown(GroupBox3, groups.wds);
    setShown(GroupBox4, groups.survey);
    setShown(GroupBox5, groups.keys);
    setShown(GroupBox6, groups.passphrase);
    if (!groups.wdsCaption.isEmpty()) GroupBox3->setTitle(groups.wdsCaption);
    if (groups.autoScanForcedOff) forceChoice(CB_AuSc, 0);
    if (groups.ssidBroadcastForcedOn) forceChoice(CB_SsidBroadcast, 1);
    if (groups.channelGreyed) CB_Chanal->setEnabled(false);
    if (groups.widthForcedAuto) forceChoice(CB_ChannelWidth, 1);
    if (groups.encryptionForcedOn) forceChoice(CB_dot11Encryption, 1);
    if (!groups.passphraseCaption.isEmpty()) {
        GroupBox6->setTitle(groups.passphraseCaption);
        for (QWidget* row :
             {static_cast<QWidget*>(La_Passphrase), static_cast<QWidget*>(Ed_Passphrase),
              static_cast<QWidget*>(La_ConfirmPass), static_cast<QWidget*>(Ed_ConfirmPass)})
            row->setVisible(groups.passphraseRows);
        GroupBox2->setVisible(groups.radius);
    }
    if (groups.fillCipher) fillCipherChoices();
    if (groups.wpaModeForcedFirst) forceChoice(CB_WPAMode, 0);
    if (groups.intervalGreyed) Ed_UpdateInterval->setEnabled(false);
}

void TFM_Wirless::fillCipherChoices() {
    const int mode = CB_APMode->currentIndex();
    CB_CipherType->clear();
    CB_CipherType->addItems(wirelessCipherChoices(mode));
    CB_CipherType->setEnabled(wirelessCipherEnabled(mode));
    const int match = CB_CipherType->findText(CB_Clipher->currentText(), Qt::MatchFixedString);
    CB_CipherType->setCurrentIndex(match >= 0 ? match : 0);
    Binding::MarkDerived(CB_CipherType, known(CB_Clipher));
}

void TFM_Wirless::StoreCipherChoice() {
    const int index = wirelessCipherIndex(CB_CipherType->currentText());
    if (index >= 0) CB_Clipher->setCurrentIndex(index);
    Binding::MarkDerived(CB_Clipher, index >= 0 && known(CB_CipherType));
}

bool TFM_Wirless::FillChannelList(CvEdit* listEdit, QComboBox* channelCombo, CvEdit* channelEdit) {
    const ChannelList channels = tokenizeChannelList(listEdit->text(), channelEdit->text());
    channelCombo->clear();
    channelCombo->addItems(channels.items);
    channelCombo->setCurrentIndex(channels.selected);
    Binding::MarkDerived(channelCombo,
                         Binding::IsKnown(listEdit) && Binding::IsKnown(channelEdit));
    return channels.matched;
}

void TFM_Wirless::UpdateChannelWidth() {
    applyChannelWidth(true);
}

void TFM_Wirless::applyChannelWidth(bool clientStep) {
    const QString security = CB_SecurityMode->currentText();
    if (channelWidthForced20(CB_WMode1->currentIndex(), CB_WMode2->currentIndex(),
                             CB_Chanal->currentText(), security,
                             CB_dot11Encryption->currentIndex())) {
        forceChoice(CB_ChannelWidth, 0);
        // Decided only when a reason for 20 MHz still holds on the values read or chosen.
        const auto ifKnown = [](const QComboBox* combo) {
            return known(combo) ? combo->currentIndex() : -1;
        };
        Binding::MarkDerived(
            CB_ChannelWidth,
            channelWidthForced20(ifKnown(CB_WMode1), ifKnown(CB_WMode2),
                                 known(CB_Chanal) ? CB_Chanal->currentText() : QString(),
                                 securityKnown() ? security : QString(),
                                 ifKnown(CB_dot11Encryption)));
    } else {
        liftForce(CB_ChannelWidth);
    }
    if (clientStep && CB_APMode->currentIndex() == kWirelessClient)
        forceChoice(CB_ChannelWidth, 1);
}

void TFM_Wirless::ApplyKeyLengths() {
    for (const KeyRow& row : keyRows())
        replaceTypingLimit(row.key,
                           wepKeyLength(row.type->currentIndex(), row.size->currentIndex()));
    for (const KeyRow& row : keyRows()) {
        if (row.key->isHidden()) continue;
        replaceTypingLimit(Ed_ConfirmKey,
                           wepKeyLength(row.type->currentIndex(), row.size->currentIndex()));
        break;
    }
}

void TFM_Wirless::ShowDefaultKeyRow() {
    const int chosen = CB_DefaultKey->currentIndex();
    const std::vector<KeyRow> rows = keyRows();
    for (int key = 0; key < 4; ++key)
        for (QWidget* control :
             {static_cast<QWidget*>(rows[key].type), static_cast<QWidget*>(rows[key].size),
              static_cast<QWidget*>(rows[key].key)})
            control->setVisible(key == chosen);
}

void TFM_Wirless::SetKeySizesFromKeys() {
    for (const KeyRow& row : keyRows()) {
        const int size = wepKeySizeIndex(row.type->currentIndex(), row.key->text().length());
        if (size >= 0) row.size->setCurrentIndex(size);
    }
}

void TFM_Wirless::CopyKeyToConfirm() {
    const int chosen = CB_DefaultKey->currentIndex();
    if (chosen >= 0 && chosen < 4) Ed_ConfirmKey->SetText(keyRows()[chosen].key->text());
}

void TFM_Wirless::CopyChannelText(QComboBox* from, CvEdit* to) {
    to->SetText(from->currentText());
    Binding::MarkDerived(to, known(from));
}

void TFM_Wirless::ClearZeroWdsMacs() {
    for (CvEdit* field : wdsMacEdits())
        if (field->text() == kZeroMac) field->SetText("");
}

void TFM_Wirless::RefreshWdsMacEdits() {
    ClearZeroWdsMacs();
    const int mode = CB_APMode->currentIndex();
    if (mode < kAccessPoint || mode > kWirelessClient) return;
    const bool editable = mode == kWdsWithAp || mode == kWds;
    for (CvEdit* field : wdsMacEdits()) {
        field->setReadOnly(!editable);
        paintUsable(field, editable);
    }
}

void TFM_Wirless::showSurveyListFor(int apMode) {
    if (apMode == kWdsWithAp || apMode == kWds || apMode == kWirelessClient) {
        wdsSiteServeyListView->setVisible(apMode != kWirelessClient);
        SiteServeyListView1->setVisible(apMode == kWirelessClient);
    }
}

void TFM_Wirless::setScanButtonFromStatus() {
    const QString status = Ed_APModeStatus->text();
    if (status == "changed") SiteScan->setEnabled(false);
    if (status == "unchanged") SiteScan->setEnabled(true);
}

void TFM_Wirless::warnVlanOnce() {
    if (vlanWarned || CB_VlanStatus->currentIndex() != 1 || CB_NetProtect->currentIndex() != 1)
        return;
    vlanWarned = true;
    platform::ui().messageBox(
        this, "Warning",
        "VLAN will be disabled when Authentication is not configured in 'WPA-Enterprise'.",
        platform::BoxButtons::Ok);
}
