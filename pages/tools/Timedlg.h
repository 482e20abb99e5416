#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Edits;

// Tools \ Time and Date: the device's NTP server and switch, its time zone and daylight-saving
// rules and, with NTP off, a date and time set by hand or copied from the PC's clock.
class TFM_Time : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Time(QWidget* owner = nullptr);
    ~TFM_Time() override;

    QFrame* Panel1;
    QGroupBox* GroupBox1;
    QLabel* LB_CurrentTime;
    QComboBox* CB_TimeZone;
    QCheckBox* CheckBox_Daylight;
    QComboBox* CB_InDays;
    QComboBox *CB_StartMonth, *CB_StartWeek, *CB_StartDay, *CB_StartTime;
    QComboBox *CB_EndMonth, *CB_EndWeek, *CB_EndDay, *CB_EndTime;

    QGroupBox* GroupBox2;
    QCheckBox* CheckBox_NTP;
    CvEdit* Ed_ServerIp;
    QPushButton* Btn_Convert;
    QComboBox* CB_ServerName;
    CvEdit* Ed_DateTime;
    QComboBox* CB_DeviceApplySetting;

    QGroupBox* GroupBox3;
    QComboBox *CB_Year, *CB_Month, *CB_Day, *CB_Hour, *CB_Minute, *CB_Second;
    QPushButton* Btn_Copy;

    QPushButton* Btn_Apply;
    QPushButton* Btn_Cancel;
    CvStatusBar* StatusBar;

    std::unique_ptr<CvSNMPRequest2Edits> reqSntp;
    std::unique_ptr<CvSNMPRequest2Edits> reqManualTime;

    void FormCreate();
    void Btn_ApplyClick();
    void Btn_CancelClick();
    void CheckBox_NTPClick();
    void CheckBox_DaylightClick();
    void CB_TimeZoneChange();
    void Btn_ConvertClick();
    void Btn_CopyClick();
    void ShowPcTime();

  private:
    void buildControls();
    void buildTimeConfiguration();
    void buildAutomaticConfiguration();
    void buildManualConfiguration();
    void buildRequests();
    // The eight combo boxes of the DST start and end rows.
    std::array<QComboBox*, 8> dstCombos() const;
    // Year, month, day, hour, minute, second.
    std::array<QComboBox*, 6> manualCombos() const;
    QString manualText() const;
    bool setOrGet(CvSNMPRequest2Edits* request, bool set);
};

extern TFM_Time* FM_Time;

// The host offered as the default NTP server, and its address.
inline const QString kDefaultNtpServerName = "time-a-g.nist.gov";
inline const QString kDefaultNtpServerAddress = "129.6.15.28";

// The items that take part in Save's sets, from the state of the check boxes.
struct TimeSavePlan {
    bool daylightSent;    // sntpDayLightSaving
    bool dstRowsSent;     // the eight DST start and end items
    bool serverSent;      // sntpServerIpAddress
    bool manualTimeSent;  // setTimeManually
    bool operator==(const TimeSavePlan&) const = default;
};
TimeSavePlan planTimeSave(bool ntpChecked, bool daylightEnabled, bool daylightChecked);

// Whether daylight saving may be enabled for a time zone (its value, 1 to 75; the combo's index
// plus one).
bool zoneAllowsDaylight(int zoneValue);

// The texts of the six manual combo boxes for a date-time: year, month, day, hour, minute,
// second, two digits each and a four-digit year, on the 24-hour clock.
struct ManualTimeTexts {
    QString year, month, day, hour, minute, second;
};
ManualTimeTexts manualTimeTexts(const QDateTime& moment);
// The device's manual date-time text "MM/DD/YYYY hh:mm:ss"; an empty part stays empty.
QString manualTimeText(const ManualTimeTexts& parts);
