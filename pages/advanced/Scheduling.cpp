#include "pages/advanced/Scheduling.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidgetItem>
#include <QVBoxLayout>

#include "app/MibEnumerationLists.h"
#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/MibItem.h"
#include "pages/common/PageForm.h"
#include "platform/Ui.h"

TFM_Scheduling* FM_Scheduling = nullptr;

// ---- MIB item tables ------------------------------------------------------------------------

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string R = E + ".4.11.1.1";  // the rule table's entry

const CvSNMPVarItem apModeTable[] = {
    mibItem(E + ".2.1.3.3.1.1.1.28.1", "dot11ApMode", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::ApModeAlt),
    {},
};

const CvSNMPVarItem statusTable[] = {
    mibItem(R + ".8.1", "schedulingStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};

const CvSNMPVarItem deleteTable[] = {
    mibItem(R + ".10.1", "schedulingDelete", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingDelete),
    mibItem(R + ".10.2", "schedulingDelete", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingDelete),
    mibItem(R + ".10.3", "schedulingDelete", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingDelete),
    mibItem(R + ".10.4", "schedulingDelete", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::NothingDelete),
    {},
};

const CvSNMPVarItem ruleTable[] = {
    mibItem(R + ".1", "schedulingIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
    mibItem(R + ".2", "schedulingName", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(R + ".3", "schedulingDay", SYN_INTEGER, ACC_READWRITE),
    mibItem(R + ".4", "schedulingAllDay", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(R + ".5", "schedulingStartTime", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(R + ".6", "schedulingEndTime", SYN_DISPLAYSTRING, ACC_READWRITE),
    mibItem(R + ".7", "schedulingWireless", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::OffOn),
    mibItem(R + ".9", "schedulingNodeStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};
// Items of the rule table, and their sub-item in the full list (the index is the caption).
enum RuleItem { kName = 1, kDay, kAllDay, kStart, kEnd, kWireless, kNodeStatus };
int cell(RuleItem item) {
    return item - 1;
}

const CvSNMPVarItem nodeStatusTable[] = {
    mibItem(R + ".9.1", "schedulingNodeStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(R + ".9.2", "schedulingNodeStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(R + ".9.3", "schedulingNodeStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    mibItem(R + ".9.4", "schedulingNodeStatus", SYN_INTEGER, ACC_READWRITE,
            &MibEnumerationLists::DisableEnable),
    {},
};

constexpr int kTimeout = 10000;
constexpr int kMaxRules = 4;
constexpr int kNameMaxLength = 32;
constexpr int kApModeWirelessClient = 3;
const QString kAllWeekValue = QStringLiteral("127");

// A small round marker: hollow for a rule, filled with a tick for the marked rule.
QIcon markerImage(bool marked) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(marked ? QColor(0, 110, 0) : Qt::gray, 1.5));
    painter.setBrush(marked ? QColor(40, 170, 40) : QColor(Qt::transparent));
    painter.drawEllipse(QRectF(2, 2, 12, 12));
    if (marked) {
        painter.setPen(QPen(Qt::white, 2));
        painter.drawPolyline(QPolygonF({QPointF(5, 8), QPointF(7, 10.5), QPointF(11, 5.5)}));
    }
    return QIcon(picture);
}

CvEdit* makeTimeEdit(QWidget* parent) {
    auto* edit = new CvEdit(parent);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("0000") + 12);
    return edit;
}

// Hour and minute edits side by side, as one control of a row.
QWidget* timeRow(QWidget* parent, CvEdit*& hour, CvEdit*& minute, const QString& unit) {
    auto* row = new QWidget(parent);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    hour = makeTimeEdit(row);
    minute = makeTimeEdit(row);
    line->addWidget(hour);
    line->addWidget(new QLabel(":", row));
    line->addWidget(minute);
    line->addWidget(new QLabel(unit, row));
    line->addStretch(1);
    return row;
}

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Scheduling::TFM_Scheduling(QWidget* owner) : QDialog(owner) {
    buildControls();
    runGuarded(StatusBar, [this] { FormCreate(); });
}

TFM_Scheduling::~TFM_Scheduling() = default;

void TFM_Scheduling::buildControls() {
    setWindowTitle("Advanced \\ Wireless Schedule");
    setSingleBorder(this);
    ImageList1 = {markerImage(false), markerImage(true)};

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    CheckBox_SchEnable = new QCheckBox("Wireless Schedule", body);
    column->addWidget(CheckBox_SchEnable);
    column->addWidget(buildRuleFields());
    User_ListView = new CvListView(body);
    User_ListView->MakeReport();
    const std::pair<const char*, int> columns[] = {
        {"Name", 130}, {"Day(s)", 190}, {"Time Frame ", 130}, {"Wireless", 70}};
    for (const auto& [title, width] : columns) User_ListView->AddColumn(title, width);
    User_ListView->setFixedSize(130 + 190 + 130 + 70 + 2 * User_ListView->frameWidth() + 2,
                                User_ListView->verticalHeader()->defaultSectionSize() * 5 + 8);
    User_ListView->setIconSize(QSize(16, 16));
    column->addWidget(User_ListView);

    Schedule_ListView = new CvListView(this);
    LB_Index = new QLabel("LB_Index", this);
    Ed_day = new CvEdit(this);
    Ed_StartTime = new CvEdit(this);
    Ed_EndTime = new CvEdit(this);
    Ed_DeleteName = new CvEdit(this);
    for (QWidget* hidden : std::initializer_list<QWidget*>{Schedule_ListView, LB_Index, Ed_day,
                                                           Ed_StartTime, Ed_EndTime, Ed_DeleteName})
        hidden->hide();
    CB_NodeStatus = makeHiddenCombo(this);
    for (QComboBox*& trigger : CB_DeleteSchdule) trigger = makeHiddenCombo(this);
    CB_ApMode = makeHiddenCombo(this);

    Btn_Add = new QPushButton("Add", this);
    Btn_Clear = new QPushButton("Clear", this);
    Btn_Apply = new QPushButton("Save", this);
    Btn_Del = new QPushButton("Delete", this);
    StatusBar = new CvStatusBar(this);
    addOutcomePanel(StatusBar, -1, {});
    outcome_.attach(StatusBar);
    layOutPage(this, body, {Btn_Add, Btn_Clear, Btn_Apply, Btn_Del}, StatusBar);
    centreOnMainWindow(this);

    const std::pair<QAbstractButton*, void (TFM_Scheduling::*)()> handlers[] = {
        {CheckBox_SchEnable, &TFM_Scheduling::CheckBox_SchEnableClick},
        {RB_Week, &TFM_Scheduling::RB_WeekClick},
        {RB_Day, &TFM_Scheduling::RB_DayClick},
        {CheckBox_AllDay, &TFM_Scheduling::CheckBox_AllDayClick},
        {Btn_Add, &TFM_Scheduling::Btn_AddClick},
        {Btn_Clear, &TFM_Scheduling::Btn_ClearClick},
        {Btn_Apply, &TFM_Scheduling::Btn_ApplyClick},
        {Btn_Del, &TFM_Scheduling::Btn_DelClick},
    };
    for (const auto& [button, handler] : handlers)
        connectGuarded(button, &QAbstractButton::clicked, StatusBar,
                       [this, handler = handler] { (this->*handler)(); });
    // A click on a rule, or on empty space, which clears the selection.
    connectGuarded(User_ListView, &CvListView::Selected, StatusBar,
                   [this] { User_ListViewClick(); });
    connectGuarded(User_ListView, &CvListView::SelectionCleared, StatusBar,
                   [this] { User_ListViewClick(); });
}

QWidget* TFM_Scheduling::buildRuleFields() {
    QFrame* panel = makePanel(this);
    auto* rows = makeRowGrid(panel);
    addEditRow(rows, "Name", Ed_ScheduleName);

    auto* choice = new QWidget(panel);
    auto* choiceLine = new QHBoxLayout(choice);
    choiceLine->setContentsMargins(0, 0, 0, 0);
    RB_Week = new QRadioButton("All Week ", choice);
    RB_Day = new QRadioButton("Select Day(s)", choice);
    RB_Day->setChecked(true);
    choiceLine->addWidget(RB_Week);
    choiceLine->addWidget(RB_Day);
    choiceLine->addStretch(1);
    addRow(rows, "Day(s)", choice);

    auto* days = new QWidget(panel);
    auto* dayLine = new QHBoxLayout(days);
    dayLine->setContentsMargins(0, 0, 0, 0);
    QCheckBox** boxes[] = {&CheckBox_Sun, &CheckBox_Mon, &CheckBox_Tue, &CheckBox_Wed,
                           &CheckBox_Thu, &CheckBox_Fri, &CheckBox_Sat};
    const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int day = 0; day < 7; ++day) {
        *boxes[day] = new QCheckBox(names[day], days);
        dayLine->addWidget(*boxes[day]);
    }
    addRow(rows, "", days);

    CheckBox_AllDay = new QCheckBox("All Day", panel);
    addRow(rows, "Time", CheckBox_AllDay);
    addRow(rows, "Start Time", timeRow(panel, Ed_StartHour, Ed_StartMinute, "(hour : minute)"));
    addRow(rows, "End Time", timeRow(panel, Ed_EndHour, Ed_EndMinute, "(hour : minute)"));
    CB_Wireless = new QComboBox(panel);
    addRow(rows, "Wireless", CB_Wireless);
    return panel;
}

std::array<QCheckBox*, 7> TFM_Scheduling::dayBoxes() const {
    return {CheckBox_Sun, CheckBox_Mon, CheckBox_Tue, CheckBox_Wed,
            CheckBox_Thu, CheckBox_Fri, CheckBox_Sat};
}

std::vector<QWidget*> TFM_Scheduling::ruleFields() const {
    std::vector<QWidget*> fields = {Ed_ScheduleName, RB_Week,        RB_Day,     CheckBox_AllDay,
                                    Ed_StartHour,    Ed_StartMinute, Ed_EndHour, Ed_EndMinute,
                                    CB_Wireless,     User_ListView};
    for (QCheckBox* box : dayBoxes()) fields.push_back(box);
    return fields;
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_Scheduling::FormCreate() {
    buildRequests();
    CB_Wireless->setCurrentIndex(0);
    limitTyping(Ed_ScheduleName, kNameMaxLength);
    Ed_ScheduleName->clear();
    for (CvEdit* time : {Ed_StartHour, Ed_StartMinute, Ed_EndHour, Ed_EndMinute}) {
        limitTyping(time, 2);
        time->clear();
    }
    CheckBox_SchEnableClick();
    if (CheckBox_SchEnable->isChecked()) {
        RB_WeekClick();
        RB_DayClick();
        CheckBox_AllDayClick();
    }
}

void TFM_Scheduling::buildRequests() {
    outcome_.begin();
    reqApMode = makeRequest(this, apModeTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqApMode->AssociateComboBox(0, CB_ApMode);
    outcome_.watch({reqApMode.get()});
    reqApMode->Get();

    reqScheduleStatus = makeRequest(this, statusTable, MVT_SV, 0, kSynchronous, kTimeout);
    reqScheduleStatus->AssociateCheckBox(0, CheckBox_SchEnable);
    outcome_.watch({reqScheduleStatus.get()});
    reqScheduleStatus->Get();
    const bool wirelessClient = CB_ApMode->currentIndex() == kApModeWirelessClient;
    if (wirelessClient) {
        // A wireless client's schedule is off whatever its read gave, so Save writes it off.
        CheckBox_SchEnable->setChecked(false);
        reqScheduleStatus->MarkChosen(CheckBox_SchEnable);
    }
    CheckBox_SchEnable->setEnabled(!wirelessClient);

    reqScheduleDelete = makeRequest(this, deleteTable, MVT_SV, 0, kAsynchronous, kTimeout);
    reqScheduleDelete->OnAfterSet = [this](auto* sender, auto& result) {
        OnDeleteSet(sender, result);
    };
    for (int item = 0; item < kMaxRules; ++item)
        reqScheduleDelete->AssociateComboBox(item, CB_DeleteSchdule[item]);

    reqScheduleTable = makeRequest(this, ruleTable, MVT_UMV, 1, kAsynchronous, kTimeout);
    reqScheduleTable->OnAfterGet = [this](auto* sender, auto& result) {
        OnTableRead(sender, result);
    };
    reqScheduleTable->OnAfterSet = [this](auto* sender, auto& result) {
        OnTableSet(sender, result);
    };
    reqScheduleTable->AssociateListView(Schedule_ListView, true);
    reqScheduleTable->AssociateLabel(0, LB_Index);
    reqScheduleTable->AssociateEdit(kName, "%s", Ed_ScheduleName);
    reqScheduleTable->AssociateEdit(kDay, "%s", Ed_day);
    reqScheduleTable->AssociateCheckBox(kAllDay, CheckBox_AllDay);
    reqScheduleTable->AssociateEdit(kStart, "%s", Ed_StartTime);
    reqScheduleTable->AssociateEdit(kEnd, "%s", Ed_EndTime);
    reqScheduleTable->AssociateComboBox(kWireless, CB_Wireless);
    reqScheduleTable->AssociateComboBox(kNodeStatus, CB_NodeStatus);
    reqScheduleTable->Get();

    reqNodeStatus = makeRequest(this, nodeStatusTable, MVT_SV, 0, kSynchronous, kTimeout);
    outcome_.watch({reqNodeStatus.get()});
}

void TFM_Scheduling::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFM_Scheduling::FormShow() {
    if (!CB_ApMode->currentText().contains("Client")) CheckBox_SchEnable->setFocus();
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Scheduling::CheckBox_SchEnableClick() {
    const bool on = CheckBox_SchEnable->isChecked();
    for (QWidget* field : ruleFields()) field->setEnabled(on);
    if (!on) {
        for (QPushButton* button : {Btn_Add, Btn_Clear, Btn_Del}) button->setEnabled(false);
        return;
    }
    if (FRuleCount < kMaxRules) {
        selectFreeRow();
        SetButtonMode(kModeNewRule);
    } else {
        SetButtonMode(kModeListFull);
    }
}

void TFM_Scheduling::RB_WeekClick() {
    if (!RB_Week->isChecked()) return;
    for (QCheckBox* box : dayBoxes()) {
        box->setEnabled(false);
        box->setChecked(true);
    }
}

void TFM_Scheduling::RB_DayClick() {
    if (!RB_Day->isChecked()) return;
    for (QCheckBox* box : dayBoxes()) {
        box->setEnabled(true);
        box->setChecked(false);
    }
}

void TFM_Scheduling::CheckBox_AllDayClick() {
    const std::initializer_list<CvEdit*> times = {Ed_StartHour, Ed_StartMinute, Ed_EndHour,
                                                  Ed_EndMinute};
    if (CheckBox_AllDay->isChecked()) {
        for (CvEdit* time : times) {
            time->clear();
            time->setEnabled(false);
        }
    } else if (CheckBox_AllDay->isEnabled()) {
        for (CvEdit* time : times) time->setEnabled(true);
    }
}

void TFM_Scheduling::User_ListViewClick() {
    if (fillingList) return;
    const int row = User_ListView->SelectedRow();
    if (row >= 0) {
        if (FMarkedRow >= 0) setRowImage(FMarkedRow, 0);
        setRowImage(row, 1);
        FMarkedRow = row;
        // The row remembers its full-list row, which need not be at the same position.
        Schedule_ListView->SelectRow(User_ListView->RowTag(row));
        CB_NodeStatus->setCurrentIndex(1);
        Ed_DeleteName->SetText(User_ListView->Caption(row));
        loadSelectedRule();
        SetButtonMode(kModeRuleSelected);
        return;
    }
    FMarkedRow = -1;
    for (int shown = 0; shown < User_ListView->RowCount(); ++shown) setRowImage(shown, 0);
    if (FRuleCount >= kMaxRules) {
        SetButtonMode(kModeListFull);
        return;
    }
    SetButtonMode(kModeNewRule);
    selectFreeRow();
    Ed_DeleteName->SetText(
        Schedule_ListView->SubItem(Schedule_ListView->SelectedRow(), cell(kName)));
    loadSelectedRule();
}

void TFM_Scheduling::loadSelectedRule() {
    const int row = Schedule_ListView->SelectedRow();
    if (row < 0) return;
    const QString day = Schedule_ListView->SubItem(row, cell(kDay));
    if (day == kAllWeekValue) {
        RB_Week->setChecked(true);
        RB_WeekClick();
    } else {
        RB_Day->setChecked(true);
        DayBoxes days{};
        DayTextToBoxes(BitsToDayText(day.toInt()), days);
        setDayBoxes(days);
    }
    if (Schedule_ListView->SubItem(row, cell(kAllDay)) == "Disable") {
        SplitTimes(Ed_StartTime->text(), Ed_EndTime->text());
    } else {
        CheckBox_AllDay->setChecked(true);
    }
    CheckBox_AllDayClick();
}

void TFM_Scheduling::SplitTimes(const QString& start, const QString& end) {
    const auto split = [](const QString& time, CvEdit* hour, CvEdit* minute) {
        const qsizetype colon = time.indexOf(':');
        hour->SetText((colon < 0 ? time : time.left(colon)).trimmed());
        minute->SetText(colon < 0 ? QString() : time.mid(colon + 1).trimmed());
    };
    split(start, Ed_StartHour, Ed_StartMinute);
    split(end, Ed_EndHour, Ed_EndMinute);
}

void TFM_Scheduling::Btn_ClearClick() {
    RB_Day->setChecked(true);
    CheckBox_AllDay->setChecked(false);
    CB_Wireless->setCurrentIndex(0);
    for (CvEdit* edit : {Ed_ScheduleName, Ed_StartHour, Ed_StartMinute, Ed_EndHour, Ed_EndMinute})
        edit->clear();
    RB_WeekClick();
    RB_DayClick();
    CheckBox_AllDayClick();
    if (FRuleCount < kMaxRules) {
        selectFreeRow();
        SetButtonMode(kModeNewRule);
    } else {
        SetButtonMode(kModeListFull);
    }
}

void TFM_Scheduling::Btn_AddClick() {
    if (!reqScheduleTable || !reqNodeStatus) return;
    outcome_.begin();
    // The row an Add writes is a free row of the table as read, or the rule picked from it.
    // Without one, clearing every node status first would only switch off the marked rule.
    if (reqScheduleTable->SelectedTableRow() < 0) {
        outcome_.fail(unreadOutcome());
        return;
    }
    reqScheduleStatus->Set(false, true, "");
    const auto refuse = [this](const QString& text, CvEdit* edit) {
        platform::ui().messageBox(this, "Warning", text, platform::BoxButtons::Ok);
        if (edit) edit->setFocus();
        outcome_.showFailure();  // of the switch written before the checks
    };
    if (Ed_ScheduleName->text().isEmpty())
        return refuse("The Name field can not be blank.", Ed_ScheduleName);
    DayBoxes days{};
    for (int day = 0; day < 7; ++day) days[day] = dayBoxes()[day]->isChecked();
    if (RB_Day->isChecked() && days == DayBoxes{}) return refuse("Please Select Day(s)", nullptr);
    const bool allDay = CheckBox_AllDay->isChecked();
    const std::array<CvEdit*, 4> times = {Ed_StartHour, Ed_StartMinute, Ed_EndHour, Ed_EndMinute};
    if (!allDay) {
        // A text that is no number throws here: the Add ends before any set of the rule.
        const ScheduleTimeCheck check = checkScheduleTimes(
            {times[0]->text(), times[1]->text(), times[2]->text(), times[3]->text()});
        if (check.refusedEdit >= 0) {
            refuse(check.message, times[check.refusedEdit]);
            times[check.refusedEdit]->clear();
            return;
        }
        for (int edit = 0; edit < 4; ++edit) times[edit]->SetText(check.padded[edit]);
    }
    reqNodeStatus->Set(false, true, "");
    Ed_day->SetText(QString::number(DayTextToBits(DayBoxesToText(days))));
    // Every rule item is chosen here: a Save or re-mark whose set failed has left most out.
    setTableItems({kName, kDay, kAllDay, kStart, kEnd, kWireless, kNodeStatus}, ACC_READONLY);
    setTableItems(scheduleAddItems(allDay), ACC_READWRITE);
    if (!allDay) {
        Ed_StartTime->SetText(Ed_StartHour->text().trimmed() + ":" +
                              Ed_StartMinute->text().trimmed());
        Ed_EndTime->SetText(Ed_EndHour->text().trimmed() + ":" + Ed_EndMinute->text().trimmed());
    }
    // Computed from the row as read and what the user chose in the day and time controls.
    for (CvEdit* computed : {Ed_day, Ed_StartTime, Ed_EndTime})
        CvSNMPRequest2Edits::MarkChosen(computed);
    CB_NodeStatus->setCurrentIndex(1);
    StatusBar->ShowText("Adding schedule!");
    reqScheduleTable->Set(true, true, "");
}

void TFM_Scheduling::Btn_ApplyClick() {
    if (!reqScheduleTable || !reqNodeStatus) return;
    // The completions and the re-read this Save starts belong to it: their OK texts do not
    // cover a failed switch or mark.
    outcome_.begin();
    reqScheduleStatus->Set(false, true, "");
    const int row = User_ListView->SelectedRow();
    if (row >= 0) {
        // Clear and the switch ready the free row for a new rule while the list keeps its rule
        // selected; that rule is the one marked.
        markRule(User_ListView->RowTag(row));
    } else {
        reqScheduleTable->Get();
    }
    // With a rule marked, the text waits for the mark's answer; the read after it has its own.
    outcome_.showOk("Set OK!", {row >= 0 ? reqScheduleTable.get() : nullptr});
}

void TFM_Scheduling::Btn_DelClick() {
    if (!reqScheduleDelete) return;
    for (int item = 0; item < kMaxRules; ++item)
        reqScheduleDelete->VarList.GetItem(item).access = ACC_INVALID;
    if (Ed_DeleteName->text().isEmpty()) return;
    if (platform::ui().messageBox(this, "Warning",
                                  "Are you sure that you want to delete this entry?",
                                  platform::BoxButtons::OkCancel) != platform::BoxResult::Ok)
        return;
    const int index = LB_Index->text().toInt();
    if (index < 1 || index > kMaxRules) return;
    outcome_.begin();
    reqScheduleDelete->VarList.GetItem(index - 1).access = ACC_READWRITE;
    CB_DeleteSchdule[index - 1]->setCurrentIndex(1);
    reqScheduleDelete->Set(false, true, "");
    outcome_.showOk("Delete OK!", {reqScheduleDelete.get()});
}

void TFM_Scheduling::SetButtonMode(int mode) {
    Btn_Add->setEnabled(mode != kModeListFull);
    Btn_Clear->setEnabled(true);
    Btn_Apply->setEnabled(true);
    Btn_Del->setEnabled(mode == kModeRuleSelected);
}

// ---- Completion routines --------------------------------------------------------------------

void TFM_Scheduling::OnTableSet(CvSNMPRequest2Controls*, const CvSNMPError& result) {
    // "Adding schedule!" is no OK text that a noted failure would replace.
    if (outcome_.fail(result)) return;
    outcome_.showOk("Add OK!");
    setTableItems({kName, kDay, kAllDay, kStart, kEnd, kWireless, kNodeStatus}, ACC_READWRITE);
    // The request's own re-read is skipped while this one is in flight.
    reqScheduleTable->Get();
}

void TFM_Scheduling::OnDeleteSet(CvSNMPRequest2Controls*, const CvSNMPError& result) {
    if (outcome_.fail(result)) return;
    outcome_.showOk("Set OK!");
    setTableItems({kName, kDay, kAllDay, kStart, kEnd, kWireless, kNodeStatus}, ACC_READWRITE);
    reqScheduleTable->Get();
    FRemarkPending = true;
}

void TFM_Scheduling::OnTableRead(CvSNMPRequest2Controls*, const CvSNMPError& result) {
    if (outcome_.fail(result)) return;
    FMarkedRow = -1;
    reqScheduleStatus->Get();
    // The re-read switch would otherwise come back checked for a wireless client.
    if (CB_ApMode->currentIndex() == kApModeWirelessClient) CheckBox_SchEnable->setChecked(false);
    FillRuleList();
    FRuleCount = User_ListView->RowCount();
    if (CheckBox_SchEnable->isChecked()) {
        if (FRuleCount < kMaxRules) {
            selectFreeRow();
            RB_DayClick();
            SetButtonMode(kModeNewRule);
        } else {
            SetButtonMode(kModeListFull);
        }
    }
    if (FRemarkPending) {
        FRemarkPending = false;
        // After a delete the last listed rule becomes the marked rule.
        if (FRuleCount > 0) markRule(User_ListView->RowTag(FRuleCount - 1));
    }
    if (FRuleCount == 0) reqNodeStatus->Set(false, true, "");
    outcome_.showOk("Get OK!");
}

void TFM_Scheduling::FillRuleList() {
    fillingList = true;
    User_ListView->ClearRows();
    fillingList = false;
    Ed_DeleteName->clear();  // no rule is selected any more
    int marked = -1;
    for (int row = 0; row < Schedule_ListView->RowCount(); ++row) {
        const auto text = [&](RuleItem item) {
            return Schedule_ListView->SubItem(row, cell(item));
        };
        if (text(kName).isEmpty()) continue;
        QStringList texts = scheduleRuleTexts(text(kName), text(kDay), text(kAllDay), text(kStart),
                                              text(kEnd), text(kWireless));
        const int shown = User_ListView->AddRow(texts.takeFirst(), texts, row);
        setRowImage(shown, 0);
        if (text(kNodeStatus) != "Disable") marked = shown;
    }
    if (marked >= 0) setRowImage(marked, 1);
    FMarkedRow = marked;
}

// ---- Helpers --------------------------------------------------------------------------------

void TFM_Scheduling::selectFreeRow() {
    for (int row = 0; row < Schedule_ListView->RowCount(); ++row) {
        if (Schedule_ListView->SubItem(row, cell(kName)).isEmpty()) {
            Schedule_ListView->SelectRow(row);
            return;
        }
    }
    Schedule_ListView->SelectRow(-1);
}

void TFM_Scheduling::setDayBoxes(const DayBoxes& days) {
    for (int day = 0; day < 7; ++day) dayBoxes()[day]->setChecked(days[day]);
}

void TFM_Scheduling::setRowImage(int row, int image) {
    if (QTableWidgetItem* caption = User_ListView->item(row, 0))
        caption->setIcon(ImageList1[image]);
}

void TFM_Scheduling::markRule(int fullRow) {
    // The mark is written through the rule's own row, and selecting a row loads it into the
    // bound controls and makes it the row the next table set writes. Left there, the next Add
    // would rewrite the marked rule (at once when the mark is refused, since no read follows),
    // so the row readied before, with what the user typed, comes back once the set is issued.
    const int readiedRow = Schedule_ListView->SelectedRow();
    const QString name = Ed_ScheduleName->text();
    const bool allDay = CheckBox_AllDay->isChecked();
    const int wireless = CB_Wireless->currentIndex();
    Schedule_ListView->SelectRow(fullRow);
    reqNodeStatus->Set(false, true, "");
    CB_NodeStatus->setCurrentIndex(1);
    setTableItems({kName, kDay, kAllDay, kStart, kEnd, kWireless}, ACC_READONLY);
    setTableItems({kNodeStatus}, ACC_READWRITE);
    reqScheduleTable->Set(true, true, "");
    Schedule_ListView->SelectRow(readiedRow);
    Ed_ScheduleName->SetText(name);
    CheckBox_AllDay->setChecked(allDay);
    CB_Wireless->setCurrentIndex(wireless);
}

// Items are left out of a set as read-only, not invalid: a set that fails restores nothing, and
// the reads that follow must still bring every column, or the rules would show without names.
void TFM_Scheduling::setTableItems(const std::vector<int>& items, int access) {
    for (int item : items) reqScheduleTable->VarList.GetItem(item).access = access;
}

// ---- Rules ----------------------------------------------------------------------------------

QString TFM_Scheduling::DayBoxesToText(const DayBoxes& days) {
    QString text;
    for (int day = 6; day >= 0; --day) text += days[day] ? '1' : '0';
    return text;
}

int TFM_Scheduling::DayTextToBits(const QString& text) {
    int value = 0, weight = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i, weight *= 2)
        value += (text[i].isDigit() ? text[i].digitValue() : 0) * weight;
    return value;
}

QString TFM_Scheduling::BitsToDayText(int value) {
    return QString::number(value, 2).rightJustified(7, '0');
}

bool TFM_Scheduling::DayTextToBoxes(const QString& text, DayBoxes& days) {
    if (text.size() != 7) return false;
    for (int position = 0; position < 7; ++position) days[6 - position] = text[position] == '1';
    return true;
}

QString TFM_Scheduling::DayNames(const QString& text) {
    if (text.size() != 7) return {};
    static const char* const names[] = {"Sat", "Fri", "Thu", "Wed", "Tue", "Mon", "Sun"};
    QString result;
    for (int position = 0; position < 7; ++position)
        if (text[position] == '1') result += QString(names[position]) + ' ';
    return result.trimmed();
}

QStringList scheduleRuleTexts(const QString& name, const QString& dayValue, const QString& allDay,
                              const QString& start, const QString& end, const QString& wireless) {
    const QString days =
        dayValue == kAllWeekValue
            ? QString("All Week")
            : TFM_Scheduling::DayNames(TFM_Scheduling::BitsToDayText(dayValue.toInt()));
    const QString frame =
        allDay == "Enable" ? QString("All Day(s) - 24hrs") : start.trimmed() + "-" + end.trimmed();
    return {name, days, frame, wireless};
}

ScheduleTimeCheck checkScheduleTimes(const std::array<QString, 4>& edits) {
    ScheduleTimeCheck check;
    // Checked in this order: start hour, end hour, start minute, end minute.
    const int order[] = {0, 2, 1, 3};
    for (int edit : order) {
        const bool hour = edit % 2 == 0;
        const QString text = edits[edit].trimmed();
        bool number = false;
        const int value = text.toInt(&number);
        if (!text.isEmpty() && !number) throw CvCommonException(-7, CvMessages::text(-7));
        if (text.isEmpty() || value < 0 || value > (hour ? 24 : 60)) {
            check.refusedEdit = edit;
            check.message = hour ? "Invalid Hour!" : "Invalid Minute!";
            return check;
        }
        check.padded[edit] = text.size() == 1 ? "0" + text : edits[edit];
    }
    return check;
}

std::vector<int> scheduleAddItems(bool allDay) {
    if (allDay) return {kName, kDay, kAllDay, kWireless, kNodeStatus};
    return {kName, kDay, kAllDay, kStart, kEnd, kWireless, kNodeStatus};
}
