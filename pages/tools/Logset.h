#pragma once

#include <QDialog>
#include <memory>

#include "pages/common/PageForm.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Edits;

// Status \ Log \  Log Setting: which kinds of event the device logs, and the log server it sends
// them to.
class TLogSetForm : public QDialog {
    Q_OBJECT

  public:
    explicit TLogSetForm(QWidget* owner = nullptr);
    ~TLogSetForm() override;

    QFrame* Panel1;
    QGroupBox* GroupBox1;
    QLabel* Label2;
    CvEdit* Ed_LogServerIp;
    QLabel* Label3;
    QCheckBox* CheckBox_System;
    QCheckBox* CheckBox_Wireless;
    QCheckBox* CheckBox_Notice;
    QPushButton* Bt_Apply;
    QPushButton* Bt_Cancel;
    CvStatusBar* StatusBar;

    std::unique_ptr<CvSNMPRequest2Edits> reqLogSettings;

    void FormCreate();
    void Bt_ApplyClick();
    void Bt_CancelClick();
    void FormClose();

    // The address box takes at most this many characters from the keyboard.
    static constexpr int kAddressLength = 15;

  private:
    void buildControls();
    ActionOutcome outcome_;
};

extern TLogSetForm* LogSetForm;
