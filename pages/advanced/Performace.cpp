#include "pages/advanced/Performace.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/MibEnumerationLists.h"
#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_Performace* FM_Performace = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
// The radio's row (interface 1) of the wireless table.
const std::string R = E + ".2.1.3.3.1.1.1.";
// Security of interface 1.
const std::string S = E + ".2.1.3.3.2.1.1.";

using L = MibEnumerationLists;

const CvSNMPVarItem mainTable[] = {
    mibItem(R + "17.1", "dot11BeaconInterval", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + "18.1", "dot11Dtim", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + "21.1", "dot11TransmitPower", SYN_INTEGER, ACC_READWRITE, &L::TransmitPower),
    mibItem(R + "25.1", "dot11Wmm", SYN_INTEGER, ACC_READWRITE, &L::DisableEnable),
    mibItem(R + "32.1", "dot11ShortGI", SYN_INTEGER, ACC_READWRITE, &L::DisableEnable),
    mibItem(R + "33.1", "dot11Igmpsnooping", SYN_INTEGER, ACC_READWRITE, &L::DisableEnable),
    mibItem(R + "23.1", "dot11RadioWave", SYN_INTEGER, ACC_READWRITE, &L::OffOn),
    mibItem(R + "11.1", "dot11DataRate", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(E + ".3.2.1.1.1.1", "dot11LoadBalance", SYN_INTEGER, ACC_READWRITE, &L::DisableEnable),
    mibItem(E + ".3.2.1.1.2.1", "dot11UserLimit", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + "31.1", "dot11AckTimeout", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + "30.1", "dot11Band2dot4GHzDataRateList", SYN_DISPLAYSTRING, ACC_READONLY),
    {},
};

const CvSNMPVarItem apModeTable[] = {
    mibItem(R + "28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE, &L::ApModeAlt),
    {},
};
const CvSNMPVarItem channelWidthTable[] = {
    mibItem(R + "29.1", "dot11ChannelWidth", SYN_INTEGER, ACC_READWRITE, &L::ChannelWidth),
    {},
};
const CvSNMPVarItem bandTable[] = {
    mibItem(R + "34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE, &L::Band),
    {},
};
const CvSNMPVarItem wifiMode24Table[] = {
    mibItem(R + "16.1", "dot11WifiMode", SYN_INTEGER, ACC_READWRITE, &L::WifiMode24),
    {},
};
const CvSNMPVarItem wifiMode5Table[] = {
    mibItem(R + "16.1", "dot11WifiMode", SYN_INTEGER, ACC_READWRITE, &L::WifiMode5),
    {},
};
const CvSNMPVarItem authenticationTable[] = {
    mibItem(S + "1.1", "dot11Authentication", SYN_INTEGER, ACC_READWRITE, &L::Authentication),
    mibItem(S + "3.1", "dot11KeyIndex", SYN_INTEGER, ACC_READWRITE, &L::KeyIndex),
    mibItem(S + "2.1", "dot11Encryption", SYN_INTEGER, ACC_READWRITE, &L::DisableEnable),
    {},
};
const CvSNMPVarItem cipherTable[] = {
    mibItem(S + "4.1", "dot11PassPhrase", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(S + "5.1", "dot11CipherType", SYN_INTEGER, ACC_READWRITE, &L::CipherType),
    mibItem(S + "6.1", "dot11GroupKeyUpdateInterval", SYN_INTEGER, ACC_READWRITE),
    {},
};
const CvSNMPVarItem applySettingTable[] = {
    mibItem(E + ".4.2.3", "deviceSettingApply", SYN_INTEGER, ACC_READWRITE, &L::NothingApply),
    {},
};

constexpr int kUserLimitLength = 2;
constexpr int kBeaconLength = 3;
constexpr int kDtimLength = 2;
const QString kAck24Caption = "Ack Time Out (2.4GHz, 64~200)";
const QString kAck5Caption = "Ack Time Out (5GHz, 50~200)";
const QString kSetError = "Set Error!";

// Adds a unit caption to the right of the grid's last row.
void addUnit(QGridLayout* rows, const QString& unit) {
    rows->addWidget(new QLabel(unit, rows->parentWidget()), rows->rowCount() - 1, 2);
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Performace::TFM_Performace(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_Performace::~TFM_Performace() = default;

void TFM_Performace::buildControls() {
    setWindowTitle("Advanced \\ Performance");
    setSingleBorder(this);

    PageControl1 = new QTabWidget(this);
    auto* sheet = new QWidget;
    PageControl1->addTab(sheet, "Advanced Wireless Settings");
    GroupBox1 = new QGroupBox("Advance Wireless Settings", sheet);
    (new QVBoxLayout(sheet))->addWidget(GroupBox1);
    auto* rows = new QGridLayout(GroupBox1);
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(8);
    rows->setColumnStretch(1, 1);

    auto combo = [this] { return new QComboBox(GroupBox1); };
    addRow(rows, "Wireless ", CB_Radio = combo());
    addRow(rows, "Wireless Mode", CB_WMode1 = combo());
    CB_WMode2 = combo();
    rows->addWidget(CB_WMode2, rows->rowCount() - 1, 1);
    addRow(rows, "Data Rate", CB_DRate = combo());
    addUnit(rows, "(Mbps)");
    addEditRow(rows, "Beacon Interval (25-500)", Ed_BeInta);
    addEditRow(rows, "DTIM Interval (1-15)", Ed_DTIMa);
    addRow(rows, "Transmit Power", CB_TranPa = combo());
    addRow(rows, "WMM(Wi-Fi Multimedia )", CB_WMM = combo());
    Label_Ack = addEditRow(rows, kAck24Caption, Ed_AckTimeOut);
    addUnit(rows, "(μs) ");
    addRow(rows, "Short GI", CB_ShortGI = combo());
    addRow(rows, "IGMP Snooping", CB_IGMPSnooping = combo());
    addRow(rows, "Connection Limit ", CB_Grouping = combo());
    addEditRow(rows, "User Limit(0-64)", Ed_ULimit);
    CB_WMode2->hide();

    for (CvEdit** hidden : {&Ed_TRate, &Ed_24GDataRateList, &Ed_5GDataRateList, &Ed_Freqa}) {
        *hidden = new CvEdit(this);
        (*hidden)->hide();
    }
    for (QComboBox** hidden : {&CB_Wireless, &CB_ApMode, &CB_ChanWidth, &CB_SecurityMode,
                               &CB_dot11Encryption, &CB_Clipher, &CB_DeviceApplySetting, &CB_Link})
        *hidden = makeHiddenCombo(this);
    Label14 = new QLabel("Link Integrity", this);
    Label14->hide();

    Bt_Apply_a = new QPushButton("Save", this);
    Bt_Refresh_a = new QPushButton("Refresh", this);
    StatusBar = new CvStatusBar(this);
    outcome_.attach(StatusBar);
    StatusBar->AddPanel(-1);
    layOutPage(this, PageControl1, {Bt_Apply_a, Bt_Refresh_a}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(Bt_Apply_a, &QPushButton::clicked, StatusBar, [this] { Bt_Apply_aClick(); });
    connectGuarded(Bt_Refresh_a, &QPushButton::clicked, StatusBar, [this] { Bt_Refresh_aClick(); });
    connectGuarded(CB_WMode1, &QComboBox::activated, StatusBar, [this] { CB_WMode1Change(); });
    connectGuarded(CB_WMode2, &QComboBox::activated, StatusBar, [this] { CB_WMode2Change(); });
    connectGuarded(CB_Grouping, &QComboBox::activated, StatusBar, [this] { CB_GroupingChange(); });
    connectGuarded(CB_DRate, &QComboBox::activated, StatusBar, [this] { CB_DRateChange(); });
}

// ---- Creation -------------------------------------------------------------------------------

std::unique_ptr<CvSNMPRequest2Edits> TFM_Performace::makeRequestKeepingFailure(
    const CvSNMPVarItem* table, RequestMode mode, int timeout) {
    auto request = makeRequest(this, table, MVT_SV, 0, mode, timeout);
    // A synchronous read or set reports its failure only to its result routine; the step's
    // outcome text needs it.
    request->request().SetResultRoutine(
        [this](const CvSNMPError& outcome) { outcome_.note(outcome, failureText_); });
    return request;
}

void TFM_Performace::FormCreate() {
    outcome_.begin();
    reqMain = makeRequestKeepingFailure(mainTable, kSynchronous, 10000);
    reqMain->AssociateEdit(0, "%s", Ed_BeInta);
    reqMain->AssociateEdit(1, "%s", Ed_DTIMa);
    reqMain->AssociateComboBox(2, CB_TranPa);
    reqMain->AssociateComboBox(3, CB_WMM);
    reqMain->AssociateComboBox(4, CB_ShortGI);
    reqMain->AssociateComboBox(5, CB_IGMPSnooping);
    reqMain->AssociateComboBox(6, CB_Radio);
    reqMain->AssociateEdit(7, "%s", Ed_TRate);
    reqMain->AssociateComboBox(8, CB_Grouping);
    reqMain->AssociateEdit(9, "%s", Ed_ULimit);
    reqMain->AssociateEdit(10, "%s", Ed_AckTimeOut);
    reqMain->AssociateEdit(11, "%s", Ed_24GDataRateList);
    reqMain->Get();

    // Bound so that the page holds it, never read or written: the device applies the settings
    // when the user asks the main window to.
    reqApplySetting = makeRequest(this, applySettingTable, SVT_SV, 0, kSynchronous, 10000);
    reqApplySetting->AssociateComboBox(0, CB_DeviceApplySetting);

    reqApMode = makeRequestKeepingFailure(apModeTable, kSynchronous, 10000);
    reqApMode->AssociateComboBox(0, CB_ApMode);
    reqApMode->SetLogTarget(StatusBar);
    reqApMode->Get();
    apMode = CB_ApMode->currentIndex();
    reqChanWidth = makeRequestKeepingFailure(channelWidthTable, kSynchronous, 10000);
    reqChanWidth->AssociateComboBox(0, CB_ChanWidth);
    reqChanWidth->Get();
    reqBand = makeRequestKeepingFailure(bandTable, kSynchronous, 10000);
    reqBand->AssociateComboBox(0, CB_Wireless);
    reqBand->SetLogTarget(StatusBar);
    reqBand->Get();
    band = CB_Wireless->currentIndex();

    buildWifiModeRequest();

    reqAuthentication = makeRequestKeepingFailure(authenticationTable, kSynchronous, 1000);
    reqAuthentication->AssociateComboBox(0, CB_SecurityMode);
    reqAuthentication->AssociateComboBox(2, CB_dot11Encryption);
    reqCipher = makeRequestKeepingFailure(cipherTable, kSynchronous, 1000);
    reqCipher->AssociateComboBox(1, CB_Clipher);
    UpdateBandControls();

    outcome_.showOk("Get OK!");
    limitTyping(Ed_ULimit, kUserLimitLength);
    limitTyping(Ed_BeInta, kBeaconLength);
    limitTyping(Ed_DTIMa, kDtimLength);
}

// A band that reads neither 2.4 nor 5 GHz has no Wi-Fi mode list: no mode combo is shown and
// the mode is never written, while the ACK time-out keeps the stricter 2.4 GHz range.
void TFM_Performace::buildWifiModeRequest() {
    QComboBox* combo = modeCombo();
    Label_Ack->setText(band == kBand5 ? kAck5Caption : kAck24Caption);
    CB_WMode1->setVisible(combo == CB_WMode1);
    CB_WMode2->setVisible(combo == CB_WMode2);
    if (!combo) return;
    reqWifiMode = makeRequestKeepingFailure(band == kBand5 ? wifiMode5Table : wifiMode24Table,
                                            kSynchronous, 10000);
    reqWifiMode->AssociateComboBox(0, combo);
    reqWifiMode->Get();
    modeRule(combo, band);
}

QComboBox* TFM_Performace::modeCombo() const {
    return band == kBand24 ? CB_WMode1 : band == kBand5 ? CB_WMode2 : nullptr;
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Performace::CB_WMode1Change() {
    modeRule(CB_WMode1, kBand24);
}

void TFM_Performace::CB_WMode2Change() {
    modeRule(CB_WMode2, kBand5);
}

void TFM_Performace::CB_GroupingChange() {
    Ed_ULimit->setEnabled(CB_Grouping->currentIndex() != 0);
}

void TFM_Performace::CB_DRateChange() {
    Ed_TRate->SetText(CB_DRate->currentText());
    CvSNMPRequest2Edits::MarkChosen(Ed_TRate);
}

void TFM_Performace::Bt_Apply_aClick() {
    // The AP mode decides which items and whether the mode go out: a guess would write settings
    // of another mode over the device's.
    if (apMode < 0 || !CvSNMPRequest2Edits::IsKnown(CB_ApMode)) {
        outcome_.begin();
        outcome_.fail(unreadOutcome());
        return;
    }
    const PerformanceRefusal refusal =
        checkPerformanceInput(apMode, band, Ed_ULimit->text(), Ed_BeInta->text(), Ed_DTIMa->text(),
                              Ed_AckTimeOut->text());
    if (refusal.field != PerformanceField::None) {
        platform::ui().messageBox(this, "Error", refusal.message, platform::BoxButtons::Ok);
        if (refusal.field == PerformanceField::AckTimeOut) {
            Ed_AckTimeOut->clear();
            return;
        }
        const auto [edit, length] =
            refusal.field == PerformanceField::UserLimit ? std::pair{Ed_ULimit, kUserLimitLength}
            : refusal.field == PerformanceField::Beacon  ? std::pair{Ed_BeInta, kBeaconLength}
                                                         : std::pair{Ed_DTIMa, kDtimLength};
        edit->clear();
        replaceTypingLimit(edit, length);
        edit->setFocus();
        return;
    }

    const PerformanceSavePlan plan = planPerformanceSave(apMode, CB_Grouping->currentIndex());
    QComboBox* combo = modeCombo();
    if (apMode != kApModeClient && combo && combo->currentIndex() != 1) {
        Ed_TRate->SetText(CB_DRate->currentText());
        // The rate follows the mode: "Best" is the device's only when the mode is.
        CvSNMPRequest2Edits::MarkDerived(Ed_TRate, CvSNMPRequest2Edits::IsKnown(combo));
    } else if (!CvSNMPRequest2Edits::IsKnown(CB_Wireless)) {
        // Without the band there is no rate list and no mode to tell whether the rate stands.
        CvSNMPRequest2Edits::MarkDerived(Ed_TRate, false);
    }
    outcome_.begin();
    failureText_ = kSetError;
    setMain(plan.mainItems);
    // A mode set with its item left out would carry nothing.
    if (reqWifiMode && plan.wifiMode) setStep(reqWifiMode.get());
    failureText_.clear();
    outcome_.showOk("Save OK!");
}

// Sets the chosen main items only; every item takes part again afterwards. A main request that
// creation never built counts as a failed set.
void TFM_Performace::setMain(const std::vector<int>& items) {
    if (!reqMain) {
        outcome_.note({-1, {}}, kSetError);
        return;
    }
    for (int item = 0; item < kMainItemCount; ++item) {
        const bool included = std::find(items.begin(), items.end(), item) != items.end();
        reqMain->VarList.GetItem(item).access = included ? ACC_READWRITE : ACC_INVALID;
    }
    setStep(reqMain.get());
    for (int item = 0; item < kMainItemCount; ++item)
        reqMain->VarList.GetItem(item).access = ACC_READWRITE;
}

// The request's result routine notes an answer's failure; one the access layer raises instead
// of sending reaches no result routine.
void TFM_Performace::setStep(CvSNMPRequest2Edits* request) {
    try {
        request->Set(false, true, "");
    } catch (const CvException& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
        outcome_.note({failure.code(), failure.what()}, kSetError);
    }
}

void TFM_Performace::Bt_Refresh_aClick() {
    outcome_.begin();
    if (reqMain) reqMain->Get();
    if (reqWifiMode) {
        reqWifiMode->Get();
        modeRule(modeCombo(), band);
    }
    UpdateBandControls();
    outcome_.showOk("Refresh OK!");
}

// ---- Rules on the controls ------------------------------------------------------------------

void TFM_Performace::UpdateBandControls() {
    if (reqAuthentication) reqAuthentication->Get();
    if (reqCipher) reqCipher->Get();

    QComboBox* combo = modeCombo();
    if (combo) {
        const QString remembered = combo->currentText();
        const bool known = CvSNMPRequest2Edits::IsKnown(combo);
        if (band == kBand24 &&
            wepRestrictsModes(CB_SecurityMode->currentText(), CB_dot11Encryption->currentText())) {
            combo->clear();
            combo->addItems(wepModeItems());
        }
        combo->setCurrentIndex(std::max(0, combo->findText(remembered)));
        // The first item stands in for a mode nobody read; the WEP rule's choice is the device's
        // when the mode it replaces was.
        CvSNMPRequest2Edits::MarkDerived(combo, known);
        combo->setEnabled(true);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{CB_DRate, Ed_BeInta, Ed_DTIMa})
        control->setEnabled(true);

    const PerformanceEnabling enabling = performanceEnabling(apMode, CB_Grouping->currentIndex());
    CB_Grouping->setEnabled(enabling.grouping);
    Ed_ULimit->setEnabled(enabling.userLimit);
    CB_IGMPSnooping->setEnabled(enabling.igmpSnooping);
    if (combo) modeRule(combo, band);
    if (!enabling.modeRateBeaconDtim) {
        for (QWidget* control : std::initializer_list<QWidget*>{CB_DRate, Ed_BeInta, Ed_DTIMa})
            control->setEnabled(false);
        if (combo) combo->setEnabled(false);
    }
    if (apMode == kApModeClient) {
        CB_ShortGI->setEnabled(false);
        CB_ShortGI->setCurrentIndex(CB_ChanWidth->currentIndex() != 0 ? 1 : 0);
        CvSNMPRequest2Edits::MarkDerived(CB_ShortGI, CvSNMPRequest2Edits::IsKnown(CB_ChanWidth) &&
                                                         CB_ChanWidth->currentIndex() >= 0);
    }
}

void TFM_Performace::modeRule(QComboBox* combo, int comboBand) {
    if (combo->currentIndex() < 0 && combo->count() > 0) {
        combo->setCurrentIndex(0);
        // Shown for want of a mode the device gave; not one to write.
        CvSNMPRequest2Edits::MarkDerived(combo, false);
    }
    const bool client = apMode == kApModeClient;
    const bool without80211n = combo->currentIndex() == 1;
    FillDataRateList(CB_DRate, comboBand, !without80211n);
    CB_ShortGI->setEnabled(!without80211n && !client);
    if (without80211n || client) {
        CB_ShortGI->setCurrentIndex(0);
        CvSNMPRequest2Edits::MarkDerived(CB_ShortGI, client || CvSNMPRequest2Edits::IsKnown(combo));
    }

    if (comboBand != band) return;
    if (client) {
        combo->setEnabled(false);
        combo->setCurrentIndex(0);
    } else if (without80211n) {
        CB_DRate->setEnabled(true);
    } else {
        CB_DRate->setCurrentIndex(0);
        CB_DRate->setEnabled(false);
    }
}

void TFM_Performace::FillDataRateList(QComboBox* dataRate, int rateBand, bool with80211n) {
    const QStringList items = dataRateItems(rateBand, with80211n);
    dataRate->clear();
    dataRate->addItems(items);
    if (with80211n) {
        dataRate->setCurrentIndex(0);
        dataRate->setEnabled(false);
        return;
    }
    dataRate->setEnabled(true);
    dataRate->setCurrentIndex(dataRateSelection(items, rateBand, Ed_TRate->text()));
}

// ---- Rules ----------------------------------------------------------------------------------

QStringList dataRateItems(int band, bool with80211n) {
    const QString best = with80211n ? "Best(up to 300)" : "Best(up to 54)";
    if (band == kBand5)
        return {best, "54 Mb", "48 Mb", "36 Mb", "24 Mb", "18 Mb", "12 Mb", "9 Mb", "6 Mb"};
    return {best, "54", "48", "36", "24", "18", "12", "9", "6", "11", "5.5", "2", "1"};
}

int dataRateSelection(const QStringList& items, int band, const QString& deviceRate) {
    const QString rate = deviceRate.trimmed();
    if (rate == "Auto" || rate == "Best(up to 300)" || rate == "Best(up to 54)")
        return items.isEmpty() ? -1 : 0;
    auto withoutUnit = [band](QString text) {
        if (band == kBand5 && text.endsWith(" Mb")) text.chop(3);
        return text;
    };
    bool number = false;
    const double value = QLocale::c().toDouble(withoutUnit(rate), &number);
    if (!number) return -1;
    const QString text = QLocale::c().toString(value, 'g', 15);
    for (int i = 0; i < items.size(); ++i)
        if (withoutUnit(items[i]) == text) return i;
    return -1;
}

bool wepRestrictsModes(const QString& authentication, const QString& encryption) {
    return (authentication == "opensystem" || authentication == "sharedkey") &&
           encryption == "Enable";
}

QStringList wepModeItems() {
    return {"Mixed 802.11n,802.11g and 802.11b", "Mixed 802.11g and 802.11b"};
}

PerformanceEnabling performanceEnabling(int apMode, int loadBalance) {
    switch (apMode) {
        case kApModeWdsWithAp:
            return {false, false, true, true};
        case kApModeWds:
            return {false, false, false, true};
        case kApModeClient:
            return {false, false, false, false};
        default:
            return {true, loadBalance != 0, true, true};
    }
}

bool wholeNumberIn(const QString& text, int low, int high) {
    bool number = false;
    const int value = text.toInt(&number);
    return number && value >= low && value <= high;
}

PerformanceRefusal checkPerformanceInput(int apMode, int band, const QString& userLimit,
                                         const QString& beacon, const QString& dtim,
                                         const QString& ackTimeOut) {
    using F = PerformanceField;
    if (apMode != kApModeClient) {
        if (!wholeNumberIn(userLimit, 0, 64))
            return {F::UserLimit, "The range of 'User Limit' is from 0 to 64"};
        if (!wholeNumberIn(beacon, 25, 500))
            return {F::Beacon, "The range of 'Beacon Interval' is from 25 to 500"};
        if (!wholeNumberIn(dtim, 1, 15))
            return {F::Dtim, "The range of 'DTIM Interval' is from 1 to 15"};
    }
    const int lowest = band == kBand5 ? 50 : 64;
    if (!wholeNumberIn(ackTimeOut, lowest, 200))
        return {F::AckTimeOut, QString("The Ack TimeOut value range is %1~200.").arg(lowest)};
    return {};
}

PerformanceSavePlan planPerformanceSave(int apMode, int loadBalance) {
    switch (apMode) {
        case kApModeClient:
            return {{2, 3, 4, 6, 10}, false};
        case kApModeWdsWithAp:
        case kApModeWds:
            return {{0, 1, 2, 3, 4, 5, 6, 7, 10}, true};
        default:
            if (loadBalance == 1) return {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true};
            return {{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}, true};
    }
}
