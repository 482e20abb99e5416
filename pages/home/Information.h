#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "pages/common/PageForm.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Edits;

// Home \ Information: the device's MIB-II system group, with its three writable texts.
class TFM_Information : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Information(QWidget* owner = nullptr);
    ~TFM_Information() override;

    QFrame* Panel1;
    QLabel *La_SD, *La_SO, *La_SU, *La_SC, *La_SN, *La_SL;
    CvEdit *Ed_SD, *Ed_SO, *Ed_SU, *Ed_SC, *Ed_SN, *Ed_SL;
    QPushButton* Btn_Re;
    QPushButton* Btn_Sa;
    CvStatusBar* StatusBar;
    QComboBox* CB_DeviceApplySetting;

    std::unique_ptr<CvSNMPRequest2Edits> reqSystem;
    std::unique_ptr<CvSNMPRequest2Edits> reqApplySetting;

    void FormCreate();
    void Btn_ReClick();
    void Btn_SaClick();

  private:
    void buildControls();
    void reportFailure(const CvSNMPError& result);
    ActionOutcome outcome_;
};

extern TFM_Information* FM_Information;

// The device keeps at most this many characters of contact, name and location.
constexpr int kSystemTextMaxLength = 32;

// The message that refuses the first of contact, name and location (in that order) longer than
// the device keeps; empty when all three fit.
QString informationLengthError(const QString& contact, const QString& name,
                               const QString& location);
