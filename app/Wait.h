#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QTimer;
class CvSNMPRequest;
struct CvSNMPError;

// The countdown dialog shown while the device restarts or applies its settings. Every tick
// (1200 ms, scaled by VRA2260_TIME_SCALE) counts one second down until 1 remains; six ticks later
// it closes itself, so a count of N keeps it open for N + 5 ticks. The user may close it only once
// the count has stood at 1 for three ticks. With Reboot set it sends the device's Reboot command
// once, on its second tick.
class TFM_Waiting : public QDialog {
    Q_OBJECT
  public:
    // Reads the device's firmware version once, synchronously; a failure is ignored.
    explicit TFM_Waiting(QWidget* owner);
    ~TFM_Waiting() override;

    QLabel* Label1 = nullptr;       // "Please wait for"
    QLabel* La_Time = nullptr;      // the seconds left
    QLabel* seconds = nullptr;      // "seconds"
    QLabel* Label2 = nullptr;       // "Settings saved."
    QLabel* Label3 = nullptr;       // "The device is restarting."
    QLabel* La_Firmware = nullptr;  // hidden: the firmware version read at creation

    int Count = 0;       // seconds to count; below 1 counts as 1
    bool Reboot = true;  // send tftpUpgradeSettingCommand = Reboot on the second tick

    // Runs the countdown modally; returns when the dialog closes.
    int exec() override;
    // Shows the dialog without a modal loop and without counting, its count labels hidden, and
    // paints it at once (pages that run synchronous sets meanwhile). The events handled while it
    // appears run in a loop of their own, outside the caller's action (CvSNMPAction).
    void Show();

    void Timer1Timer();

    int Ticks() const { return ticks_; }
    // The user may close the dialog (close box, Esc).
    bool UserMayClose() const;
    // Reboot commands sent by this dialog (0 or 1).
    int RebootsSent() const { return rebootsSent_; }

    // Ends the countdown at once for a command the device refused (CvSNMPError::IsRefusal: it is
    // there, so it is not restarting; a restarting device may not answer), keeping its text.
    void EndRefused(const QString& text);
    // The text of the refusal that ended the countdown; empty when none did.
    const QString& RefusalText() const { return refusal_; }

  protected:
    void reject() override;

  private:
    int effectiveCount() const { return Count < 1 ? 1 : Count; }
    void readFirmwareVersion();
    void sendReboot();

    QTimer* Timer1 = nullptr;
    std::unique_ptr<CvSNMPRequest> reqReboot_;
    int ticks_ = 0;
    int remaining_ = 1;
    int rebootsSent_ = 0;
    QString refusal_;
};
