#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "pages/common/PageForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
struct CvSNMPError;

// Weekday check states, Sun first (the bit order of the device's day value).
using DayBoxes = std::array<bool, 7>;

// Advanced \ Wireless Schedule: the schedule switch and up to four rules that turn the radio on
// or off by weekday and time. One rule at a time is the marked rule (node status "Enable").
class TFM_Scheduling : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Scheduling(QWidget* owner = nullptr);
    ~TFM_Scheduling() override;

    QCheckBox* CheckBox_SchEnable;
    CvEdit* Ed_ScheduleName;
    QRadioButton *RB_Week, *RB_Day;
    QCheckBox *CheckBox_Sun, *CheckBox_Mon, *CheckBox_Tue, *CheckBox_Wed, *CheckBox_Thu,
        *CheckBox_Fri, *CheckBox_Sat;
    QCheckBox* CheckBox_AllDay;
    CvEdit *Ed_StartHour, *Ed_StartMinute, *Ed_EndHour, *Ed_EndMinute;
    QComboBox* CB_Wireless;
    CvListView* User_ListView;
    QPushButton *Btn_Add, *Btn_Clear, *Btn_Apply, *Btn_Del;
    CvStatusBar* StatusBar;
    // Hidden: the full rule list, the selected row's raw values, the delete triggers.
    CvListView* Schedule_ListView;
    QLabel* LB_Index;
    CvEdit *Ed_day, *Ed_StartTime, *Ed_EndTime, *Ed_DeleteName;
    QComboBox* CB_NodeStatus;
    std::array<QComboBox*, 4> CB_DeleteSchdule;  // CB_DeleteSchdule1 to CB_DeleteSchdule4
    QComboBox* CB_ApMode;
    // Image 0: a rule that is not marked; image 1: the marked rule.
    std::array<QIcon, 2> ImageList1;

    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqScheduleStatus;
    std::unique_ptr<CvSNMPRequest2Edits> reqScheduleDelete;
    std::unique_ptr<CvSNMPRequest2Edits> reqScheduleTable;
    std::unique_ptr<CvSNMPRequest2Edits> reqNodeStatus;

    int FRuleCount = 0;
    int FMarkedRow = -1;
    bool FRemarkPending = false;

    void FormCreate();
    void FormShow();
    void CheckBox_SchEnableClick();
    void RB_WeekClick();
    void RB_DayClick();
    void CheckBox_AllDayClick();
    void User_ListViewClick();
    void Btn_AddClick();
    void Btn_ClearClick();
    void Btn_DelClick();
    void Btn_ApplyClick();
    void OnTableRead(CvSNMPRequest2Controls* sender, const CvSNMPError& result);
    void OnTableSet(CvSNMPRequest2Controls* sender, const CvSNMPError& result);
    void OnDeleteSet(CvSNMPRequest2Controls* sender, const CvSNMPError& result);
    void FillRuleList();
    void SplitTimes(const QString& start, const QString& end);
    void SetButtonMode(int mode);

    static QString DayBoxesToText(const DayBoxes& days);
    static int DayTextToBits(const QString& text);
    static QString BitsToDayText(int value);
    // False (and days unchanged) for a text that is not 7 characters long.
    static bool DayTextToBoxes(const QString& text, DayBoxes& days);
    static QString DayNames(const QString& text);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    QWidget* buildRuleFields();
    void buildRequests();
    std::array<QCheckBox*, 7> dayBoxes() const;
    std::vector<QWidget*> ruleFields() const;
    void setDayBoxes(const DayBoxes& days);
    // Selects the first full-list row without a name; none: the full list has no selection.
    void selectFreeRow();
    // Shows the full list's selected rule in the day, all-day and time controls.
    void loadSelectedRule();
    void setRowImage(int row, int image);
    // Node statuses all 0, then the node status of a full-list row alone: its rule becomes the
    // marked rule.
    void markRule(int fullRow);
    void setTableItems(const std::vector<int>& items, int access);
    ActionOutcome outcome_;
    bool fillingList = false;
};

extern TFM_Scheduling* FM_Scheduling;

// The buttons' modes.
constexpr int kModeNewRule = 0;
constexpr int kModeRuleSelected = 1;
constexpr int kModeListFull = 3;

// The texts of a rule's row in the visible list: name, days, time frame, wireless.
QStringList scheduleRuleTexts(const QString& name, const QString& dayValue, const QString& allDay,
                              const QString& start, const QString& end, const QString& wireless);

// The time checks of an Add, in their order; the edits in the order start hour, start minute,
// end hour, end minute. A refusal names the edit and its message; on success the edits' texts
// come back with a single digit padded by a leading "0". A text that is not a number throws.
struct ScheduleTimeCheck {
    int refusedEdit = -1;
    QString message;
    std::array<QString, 4> padded;
};
ScheduleTimeCheck checkScheduleTimes(const std::array<QString, 4>& edits);

// The table items an Add writes (the index is the instance): name, day, all day, start and end
// unless the rule lasts all day, wireless, node status.
std::vector<int> scheduleAddItems(bool allDay);
