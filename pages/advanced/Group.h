#pragma once

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Edits;

// Advanced \ Grouping: load balance and the user limit, written and applied at once.
class TFM_Group : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Group(QWidget* owner = nullptr);
    ~TFM_Group() override;

    QLabel* Label1;
    QComboBox* CB_LoadB;
    CvEdit* Ed_UsrL;
    QPushButton* Bt_Apply;
    QPushButton* Bt_Refresh;
    QPushButton* Bt_Cancel;
    CvStatusBar* StatusBar;
    QComboBox* CB_APMode;
    QComboBox* CB_DeviceApplySetting;

    std::unique_ptr<CvSNMPRequest2Edits> reqUserLimit;
    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqApply;

    void FormCreate();
    void Bt_ApplyClick();
    void Bt_RefreshClick();
    void Bt_CancelClick();
    void CB_LoadBChange();
    void UpdateControls();

  private:
    void buildControls();
    void buildRequests();
};

extern TFM_Group* FM_Group;

// Load balance is chosen in Access Point mode only, and the user limit typed only while load
// balance is on.
struct GroupEnabling {
    bool loadBalance = false;
    bool userLimit = false;
};
GroupEnabling groupEnabling(int apMode, int loadBalance);
