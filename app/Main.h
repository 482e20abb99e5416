#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/Validators.h"

class CvEdit;
class CvStatusBar;
class CvSNMPRequest;
class CvSNMPRequest2Edits;
class QComboBox;
class QTimer;
class TBanner;

// The main window: start-up for one device, the banner with its three lamps, the heartbeat and
// the poll that keeps the device's address and mask fresh, the menu that opens the pages, and
// "Save and Activate" / "Discard Changes".
class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    // Loads the message tables from "errMSg" beside the program; builds the window. The
    // arguments are the command-line switches without the program name.
    explicit TMainForm(const QStringList& arguments, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The creation handler: session start, registry, switches and settings file, caption,
    // single-instance rule, first heartbeat and reads, timers. False when this instance must end
    // (another one runs for the address); the box has been shown and the end requested.
    bool FormCreate();

    static bool IsValidIPAddress(const QString& text) { return ::IsValidIPAddress(text); }
    static bool IsValidSubnetMask(const QString& text) { return ::IsValidSubnetMask(text); }

    // Hidden: the device's current IP address and subnet mask, dotted, refreshed every 2 s.
    CvEdit* IPAddressEdit = nullptr;
    CvEdit* SubMaskEdit = nullptr;
    // Simple text: the heartbeat line or the last failure; also the main-window requests' log.
    CvStatusBar* StatusBar1 = nullptr;
    // Hidden combos of the band, radio and apply requests.
    QComboBox* CB_Band = nullptr;
    QComboBox* CB_RadioWave = nullptr;
    QComboBox* CB_Apply = nullptr;
    TBanner* Banner = nullptr;
    QTimer* PollTimer = nullptr;       // 2 s
    QTimer* HeartbeatTimer = nullptr;  // single shot, 5 s after each answer
    QTimer* LampTimer = nullptr;       // 500 ms, 24 ticks

    // Menu handlers (pages: app/MainMenu.cpp).
    void Information1Click();
    void hWirelessBand1Click();
    void hLan1Click();
    void adPerformance1Click();
    void Mac1Click();
    void WLANPartition1Click();
    void Ad_MultiSSIDClick();
    void DHCPServer1Click();
    void Intrusion1Click();
    void Scheduling1Click();
    void QosSetting1Click();
    void VlanSetting1Click();
    void UserLimitClick();
    void tAdmin1Click();
    void tSystem1Click();
    void Firmware1Click();
    void TimeClick();
    void tUpdate1Click();
    void SaveActivate1Click();
    void DiscardChanges1Click();
    void stEthernet1Click();
    void Client1Click();
    void WDSInformation1Click();
    void Ethernet1Click();
    void WLAN1Click();
    void ViewLog1Click();
    void LogSettings1Click();
    void About1Click();

    // Timer handlers.
    void PollTimerTimer();
    void HeartbeatTimerTimer();
    void LampTimerTimer();

    // The lamps' animation: ticks run since the last restart (24 stops it).
    int LampTicks() const { return lampTicks_; }
    // Heartbeats sent so far (tests).
    int HeartbeatsSent() const { return heartbeatsSent_; }

    // A handler type for the menu and for opening pages.
    using Handler = void (TMainForm::*)();
    // True when the handler opens a page that is built, or is no page handler (MainMenu.cpp).
    static bool PageBuilt(Handler handler);

  private:
    void buildWindow();
    void buildMenu();
    void buildRequests();
    void applyStartupSettings();
    void sendHeartbeat();
    void heartbeatDone(int code, const std::string& message);
    void restartLamps();
    void blackLamps();
    void readBand();
    void readRadio();
    void runPage(Handler handler);

    QStringList arguments_;
    std::unique_ptr<CvSNMPRequest> heartbeat_;
    std::unique_ptr<CvSNMPRequest2Edits> reqPoll_;
    std::unique_ptr<CvSNMPRequest2Edits> reqBand_;
    std::unique_ptr<CvSNMPRequest2Edits> reqRadio_;
    std::unique_ptr<CvSNMPRequest2Edits> reqApply_;
    struct SingleInstance;
    std::unique_ptr<SingleInstance> lock_;
    int lampTicks_ = 0;
    int heartbeatsSent_ = 0;
};

extern TMainForm* MainForm;

// The device model the module manages, as its captions name it.
inline constexpr char ModelName[] = "VRA-2260";
