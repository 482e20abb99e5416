#include "pages/tools/Timedlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <set>

#include "app/Main.h"
#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_Time* FM_Time = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
using Lists = MibEnumerationLists;

const CvSNMPVarItem sntpTable[] = {
    mibItem(E + ".4.8.1", "sntpServerIpAddress", SYN_IPADDRESS, ACC_READWRITE),
    mibItem(E + ".4.8.2", "sntpTimeZoneIndex", SYN_INTEGER, ACC_READWRITE, &Lists::TimeZone),
    mibItem(E + ".4.8.3", "sntpDayLightSaving", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(E + ".4.8.4", "sntpTimeofDay", SYN_DISPLAYSTRING, ACC_READONLY),
    mibItem(E + ".4.8.5", "sntpStatus", SYN_INTEGER, ACC_READWRITE, &Lists::DisableEnable),
    mibItem(E + ".4.8.16", "sntpDayLightSavingOffset", SYN_INTEGER, ACC_READONLY,
            &Lists::DstOffset),
    mibItem(E + ".4.8.8", "sntpDstStartMonth", SYN_INTEGER, ACC_READWRITE, &Lists::Month),
    mibItem(E + ".4.8.9", "sntpDstStartWeek", SYN_INTEGER, ACC_READWRITE, &Lists::Week),
    mibItem(E + ".4.8.10", "sntpDstStartDayOfWeek", SYN_INTEGER, ACC_READWRITE, &Lists::DayOfWeek),
    mibItem(E + ".4.8.11", "sntpDstStartCurrentTime", SYN_INTEGER, ACC_READWRITE, &Lists::Hour12),
    mibItem(E + ".4.8.12", "sntpDstEndMonth", SYN_INTEGER, ACC_READWRITE, &Lists::Month),
    mibItem(E + ".4.8.13", "sntpDstEndWeek", SYN_INTEGER, ACC_READWRITE, &Lists::Week),
    mibItem(E + ".4.8.14", "sntpDstEndDayOfWeek", SYN_INTEGER, ACC_READWRITE, &Lists::DayOfWeek),
    mibItem(E + ".4.8.15", "sntpDstEndCurrentTime", SYN_INTEGER, ACC_READWRITE, &Lists::Hour12),
    {},
};

const CvSNMPVarItem manualTimeTable[] = {
    mibItem(E + ".4.8.7", "setTimeManually", SYN_DISPLAYSTRING, ACC_READWRITE),
    {},
};

enum SntpItem {
    kServerItem = 0,
    kZoneItem = 1,
    kDaylightItem = 2,
    kTimeOfDayItem = 3,
    kStatusItem = 4,
    kOffsetItem = 5,
    kFirstDstItem = 6,
    kLastDstItem = 13,
};
constexpr int kManualTimeItem = 0;

// The device takes any four-digit year. The list reaches to the last year a 32-bit clock holds,
// since a year past it leaves the year box empty and the manual time without its year.
constexpr int kFirstYear = 2002;
constexpr int kLastYear = 2037;

// Row 1 onwards of CB_ServerName, by row.
const QString ntpServerAddresses[] = {kDefaultNtpServerAddress};

int accessFor(bool sent) {
    return sent ? ACC_READWRITE : ACC_INVALID;
}

// Numbers from first to last as texts of the given width, zero-padded.
QStringList numberTexts(int first, int last, int width) {
    QStringList texts;
    for (int number = first; number <= last; ++number)
        texts << QString("%1").arg(number, width, 10, QChar('0'));
    return texts;
}

QLabel* caption(QGridLayout* grid, int row, const QString& text) {
    auto* label = new QLabel(text, grid->parentWidget());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, row, 0);
    return label;
}

// Controls in a row of their own right of a caption, across the grid's other columns.
void controlCell(QGridLayout* grid, int row, std::initializer_list<QWidget*> controls) {
    auto* cell = new QHBoxLayout;
    for (QWidget* control : controls) cell->addWidget(control);
    cell->addStretch(1);
    grid->addLayout(cell, row, 1, 1, std::max(1, grid->columnCount() - 1));
}

// A check box whose caption stands left of its box, in the captions' column.
QCheckBox* captionCheckBox(QGridLayout* grid, int row, const QString& text) {
    auto* box = new QCheckBox(text, grid->parentWidget());
    box->setLayoutDirection(Qt::RightToLeft);
    grid->addWidget(box, row, 0);
    return box;
}

QGridLayout* groupGrid(QGroupBox* group) {
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    return grid;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Time::TFM_Time(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_Time::~TFM_Time() = default;

void TFM_Time::buildControls() {
    setWindowTitle("Tools \\ Time and Date");
    setSingleBorder(this);

    Panel1 = makePanel(this);
    auto* groups = new QVBoxLayout(Panel1);
    groups->setContentsMargins(10, 10, 10, 10);
    groups->setSpacing(10);
    buildTimeConfiguration();
    buildAutomaticConfiguration();
    buildManualConfiguration();
    // One caption column across the first two groups, so their controls line up.
    auto* first = static_cast<QGridLayout*>(GroupBox1->layout());
    auto* second = static_cast<QGridLayout*>(GroupBox2->layout());
    const int captionWidth = std::max(first->itemAtPosition(2, 0)->widget()->sizeHint().width(),
                                      second->itemAtPosition(0, 0)->widget()->sizeHint().width());
    for (QGridLayout* grid : {first, second}) grid->setColumnMinimumWidth(0, captionWidth);
    for (QGroupBox* group : {GroupBox1, GroupBox2, GroupBox3}) groups->addWidget(group);

    Btn_Apply = new QPushButton("Save", this);
    Btn_Cancel = new QPushButton("Cancel", this);
    StatusBar = new CvStatusBar(this);
    addOutcomePanel(StatusBar, 50, {"Setting Success", "Setting Error"});
    layOutPage(this, Panel1, {Btn_Apply, Btn_Cancel}, StatusBar);
    centreOnMainWindow(this);

    connectGuarded(CheckBox_NTP, &QCheckBox::clicked, StatusBar, [this] { CheckBox_NTPClick(); });
    connectGuarded(CheckBox_Daylight, &QCheckBox::clicked, StatusBar,
                   [this] { CheckBox_DaylightClick(); });
    connectGuarded(CB_TimeZone, &QComboBox::activated, StatusBar, [this] { CB_TimeZoneChange(); });
    connectGuarded(Btn_Convert, &QPushButton::clicked, StatusBar, [this] { Btn_ConvertClick(); });
    connectGuarded(Btn_Copy, &QPushButton::clicked, StatusBar, [this] { Btn_CopyClick(); });
    connectGuarded(Btn_Apply, &QPushButton::clicked, StatusBar, [this] { Btn_ApplyClick(); });
    connectGuarded(Btn_Cancel, &QPushButton::clicked, StatusBar, [this] { Btn_CancelClick(); });
}

void TFM_Time::buildTimeConfiguration() {
    GroupBox1 = new QGroupBox("Time Configuration", Panel1);
    auto* grid = groupGrid(GroupBox1);
    for (int column = 1; column <= 4; ++column) grid->setColumnStretch(column, 1);
    LB_CurrentTime = new QLabel(GroupBox1);
    LB_CurrentTime->setMinimumWidth(
        LB_CurrentTime->fontMetrics().horizontalAdvance("00/00/0000 00:00:00 "));
    CB_TimeZone = new QComboBox(GroupBox1);
    CB_InDays = new QComboBox(GroupBox1);
    CB_InDays->setEnabled(false);
    caption(grid, 0, "Time :");
    controlCell(grid, 0, {LB_CurrentTime});
    caption(grid, 1, "Time Zone :");
    controlCell(grid, 1, {CB_TimeZone});
    CheckBox_Daylight = captionCheckBox(grid, 2, "Enable Daylight Saving :");
    caption(grid, 3, "Daylight Saving Offset ");
    controlCell(grid, 3, {CB_InDays});

    const QString headings[] = {"Month", "Week", "Day of Week", "Current Time"};
    for (int column = 1; column <= 4; ++column)
        grid->addWidget(new QLabel(headings[column - 1], GroupBox1), 4, column);
    QComboBox** startRow[] = {&CB_StartMonth, &CB_StartWeek, &CB_StartDay, &CB_StartTime};
    QComboBox** endRow[] = {&CB_EndMonth, &CB_EndWeek, &CB_EndDay, &CB_EndTime};
    caption(grid, 5, "DST Start");
    caption(grid, 6, "DST End");
    for (int column = 1; column <= 4; ++column) {
        *startRow[column - 1] = new QComboBox(GroupBox1);
        *endRow[column - 1] = new QComboBox(GroupBox1);
        grid->addWidget(*startRow[column - 1], 5, column);
        grid->addWidget(*endRow[column - 1], 6, column);
    }
}

void TFM_Time::buildAutomaticConfiguration() {
    GroupBox2 = new QGroupBox("Automatic Time Configuration", Panel1);
    auto* grid = groupGrid(GroupBox2);
    CheckBox_NTP = captionCheckBox(grid, 0, "Enable NTP server :");
    caption(grid, 1, "NTP Server Used :");
    Ed_ServerIp = new CvEdit(GroupBox2);
    Ed_ServerIp->setMinimumWidth(Ed_ServerIp->fontMetrics().horizontalAdvance("000.000.000.000 "));
    Btn_Convert = new QPushButton("<<", GroupBox2);
    Btn_Convert->setAutoDefault(false);
    CB_ServerName = new QComboBox(GroupBox2);
    CB_ServerName->addItems({"Select NTP Server", kDefaultNtpServerName});
    controlCell(grid, 1, {Ed_ServerIp, Btn_Convert, CB_ServerName});
    grid->setColumnStretch(1, 1);

    Ed_DateTime = new CvEdit(GroupBox2);
    Ed_DateTime->hide();
    CB_DeviceApplySetting = makeHiddenCombo(GroupBox2);
}

void TFM_Time::buildManualConfiguration() {
    GroupBox3 = new QGroupBox("Set the Date and Time Manually", Panel1);
    auto* grid = groupGrid(GroupBox3);
    const QString headings[] = {"Year", "Month", "Day", "Hour", "Minute", "Second"};
    const QStringList items[] = {numberTexts(kFirstYear, kLastYear, 4),
                                 numberTexts(1, 12, 2),
                                 numberTexts(1, 31, 2),
                                 numberTexts(0, 23, 2),
                                 numberTexts(0, 59, 2),
                                 numberTexts(0, 59, 2)};
    QComboBox** combos[] = {&CB_Year, &CB_Month, &CB_Day, &CB_Hour, &CB_Minute, &CB_Second};
    for (int column = 0; column < 6; ++column) {
        grid->addWidget(new QLabel(headings[column], GroupBox3), 0, column);
        *combos[column] = new QComboBox(GroupBox3);
        (*combos[column])->addItems(items[column]);
        grid->addWidget(*combos[column], 1, column);
    }
    grid->setColumnStretch(6, 1);
    Btn_Copy = new QPushButton("Copy Your Computer's Time Settings", GroupBox3);
    Btn_Copy->setAutoDefault(false);
    auto* copyRow = new QHBoxLayout;
    copyRow->addWidget(Btn_Copy);
    copyRow->addStretch(1);
    grid->addLayout(copyRow, 2, 0, 1, 7);
}

std::array<QComboBox*, 8> TFM_Time::dstCombos() const {
    return {CB_StartMonth, CB_StartWeek, CB_StartDay, CB_StartTime,
            CB_EndMonth,   CB_EndWeek,   CB_EndDay,   CB_EndTime};
}

std::array<QComboBox*, 6> TFM_Time::manualCombos() const {
    return {CB_Year, CB_Month, CB_Day, CB_Hour, CB_Minute, CB_Second};
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_Time::FormCreate() {
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
    }
    CB_ServerName->setCurrentIndex(0);
    if (Ed_ServerIp->text() == "0.0.0.0") Ed_ServerIp->clear();
    CheckBox_DaylightClick();
    CheckBox_NTPClick();
}

void TFM_Time::buildRequests() {
    reqSntp = std::make_unique<CvSNMPRequest2Edits>(this);
    reqSntp->Mode = kSynchronous;
    reqSntp->Timeout = 10000;
    reqSntp->VarList = CvSNMPVarList(sntpTable, SVT_SV, 0);
    reqSntp->AssociateEdit(kServerItem, "%s", Ed_ServerIp);
    reqSntp->AssociateComboBox(kZoneItem, CB_TimeZone);
    reqSntp->AssociateCheckBox(kDaylightItem, CheckBox_Daylight);
    reqSntp->AssociateLabel(kTimeOfDayItem, LB_CurrentTime);
    reqSntp->AssociateCheckBox(kStatusItem, CheckBox_NTP);
    reqSntp->AssociateComboBox(kOffsetItem, CB_InDays);
    const auto dst = dstCombos();
    for (int item = kFirstDstItem; item <= kLastDstItem; ++item)
        reqSntp->AssociateComboBox(item, dst[item - kFirstDstItem]);
    reqSntp->SetLogTarget(StatusBar);
    reqSntp->Get();

    reqManualTime = std::make_unique<CvSNMPRequest2Edits>(this);
    reqManualTime->Mode = kSynchronous;
    reqManualTime->Timeout = 10000;
    reqManualTime->VarList = CvSNMPVarList(manualTimeTable, SVT_SV, 0);
    reqManualTime->AssociateEdit(kManualTimeItem, "%s", Ed_DateTime);
    reqManualTime->Get();

    ShowPcTime();
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Time::CheckBox_NTPClick() {
    const bool ntp = CheckBox_NTP->isChecked();
    for (QWidget* serverRow :
         std::initializer_list<QWidget*>{Ed_ServerIp, Btn_Convert, CB_ServerName})
        serverRow->setEnabled(ntp);
    GroupBox3->setEnabled(!ntp);
    for (QComboBox* combo : manualCombos()) combo->setEnabled(!ntp);
    Btn_Copy->setEnabled(!ntp);
}

void TFM_Time::CheckBox_DaylightClick() {
    const bool daylight = CheckBox_Daylight->isChecked();
    for (QComboBox* combo : dstCombos()) combo->setEnabled(daylight);
    if (!daylight) CB_InDays->setEnabled(false);
}

void TFM_Time::CB_TimeZoneChange() {
    CheckBox_Daylight->setEnabled(zoneAllowsDaylight(CB_TimeZone->currentIndex() + 1));
}

// The server the user picked from the list, or none, is the user's choice.
void TFM_Time::Btn_ConvertClick() {
    const int row = CB_ServerName->currentIndex();
    if (row == 0) Ed_ServerIp->SetText("");
    if (row >= 1 && row <= static_cast<int>(std::size(ntpServerAddresses)))
        Ed_ServerIp->SetText(ntpServerAddresses[row - 1]);
    CvSNMPRequest2Edits::MarkChosen(Ed_ServerIp);
}

void TFM_Time::Btn_CopyClick() {
    ShowPcTime();
    Ed_DateTime->SetText(manualText());
}

void TFM_Time::ShowPcTime() {
    const ManualTimeTexts now = manualTimeTexts(platform::ui().now());
    const QString parts[] = {now.year, now.month, now.day, now.hour, now.minute, now.second};
    const auto combos = manualCombos();
    for (size_t i = 0; i < combos.size(); ++i)
        combos[i]->setCurrentIndex(combos[i]->findText(parts[i]));
}

QString TFM_Time::manualText() const {
    return manualTimeText({CB_Year->currentText(), CB_Month->currentText(), CB_Day->currentText(),
                           CB_Hour->currentText(), CB_Minute->currentText(),
                           CB_Second->currentText()});
}

void TFM_Time::Btn_CancelClick() {
    close();
}

void TFM_Time::Btn_ApplyClick() {
    // A failed read at creation can leave a request unbuilt; then there is nothing to save with.
    if (!reqSntp || !reqManualTime) return;
    const QString server = Ed_ServerIp->text();
    if (!server.isEmpty() && !TMainForm::IsValidIPAddress(server)) {
        platform::ui().messageBox(this, "Waring", "Please input valid IP address",
                                  platform::BoxButtons::Ok);
        Ed_ServerIp->clear();
        Ed_ServerIp->setFocus();
        return;
    }
    // Whether the manual time or the server goes out rests on the NTP switch: a guess at it
    // could set the clock by hand while the device keeps following its server.
    if (!CvSNMPRequest2Edits::IsKnown(CheckBox_NTP)) {
        StatusBar->ShowText(unreadText());
        return;
    }
    if (server.isEmpty()) Ed_ServerIp->SetText("0.0.0.0");

    const TimeSavePlan plan = planTimeSave(
        CheckBox_NTP->isChecked(), CheckBox_Daylight->isEnabled(), CheckBox_Daylight->isChecked());
    CvSNMPVarList& sntp = reqSntp->VarList;
    sntp.GetItem(kDaylightItem).access = accessFor(plan.daylightSent);
    for (int item = kFirstDstItem; item <= kLastDstItem; ++item)
        sntp.GetItem(item).access = accessFor(plan.dstRowsSent);
    sntp.GetItem(kServerItem).access = accessFor(plan.serverSent);
    reqManualTime->VarList.GetItem(kManualTimeItem).access = accessFor(plan.manualTimeSent);
    if (plan.manualTimeSent) {
        // The time the six boxes show, the PC's or the user's, is the one the page sets.
        Ed_DateTime->SetText(manualText());
        CvSNMPRequest2Edits::MarkChosen(Ed_DateTime);
    }

    // Every step runs whatever the one before gave; the outcome shown counts all four, so a set
    // the device refused is not reported as a success because the reads that follow it worked.
    // With NTP on the manual time's set would carry nothing, so it is not sent.
    const bool sntpSet = setOrGet(reqSntp.get(), true);
    const bool withheld = reqSntp->Withheld();
    const bool manualSet = !plan.manualTimeSent || setOrGet(reqManualTime.get(), true);
    const bool sntpRead = setOrGet(reqSntp.get(), false);
    const bool manualRead = setOrGet(reqManualTime.get(), false);
    if (Ed_ServerIp->text() == "0.0.0.0") Ed_ServerIp->clear();
    const bool saved = sntpSet && manualSet && sntpRead && manualRead;
    StatusBar->ShowText(withheld ? unreadText() : saved ? "Setting Success" : "Setting Error");
}

// A failure of the access layer counts as a failed step and is shown; the steps after it run.
bool TFM_Time::setOrGet(CvSNMPRequest2Edits* request, bool set) {
    try {
        return set ? request->Set(true, true, "") : request->Get();
    } catch (const std::exception& failure) {
        showFailureText(StatusBar, QString::fromStdString(failure.what()));
        return false;
    }
}

// ---- Rules ----------------------------------------------------------------------------------

TimeSavePlan planTimeSave(bool ntpChecked, bool daylightEnabled, bool daylightChecked) {
    return {daylightEnabled, daylightChecked, ntpChecked, !ntpChecked};
}

bool zoneAllowsDaylight(int zoneValue) {
    static const std::set<int> daylightZones = {4,  5,  7,  8,  10, 11, 14, 16, 18, 19, 20, 22, 23,
                                                24, 27, 28, 29, 30, 31, 33, 34, 35, 37, 39, 41, 43,
                                                45, 47, 51, 56, 58, 64, 65, 68, 70, 71, 73};
    return daylightZones.count(zoneValue) > 0;
}

ManualTimeTexts manualTimeTexts(const QDateTime& moment) {
    return {moment.toString("yyyy"), moment.toString("MM"), moment.toString("dd"),
            moment.toString("HH"),   moment.toString("mm"), moment.toString("ss")};
}

QString manualTimeText(const ManualTimeTexts& parts) {
    return parts.month + "/" + parts.day + "/" + parts.year + " " + parts.hour + ":" +
           parts.minute + ":" + parts.second;
}
