#pragma once

#include <QDialog>
#include <memory>

#include "pages/common/PageForm.h"

class QComboBox;
class QFrame;
class QPushButton;
class CvStatusBar;
class CvSNMPRequest2Edits;

// Advanced \ WLAN Partition: whether stations reach one another, whether Ethernet traffic reaches
// the wireless side, and link integrity; the band is shown for information.
class TFM_WLANPart : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_WLANPart(QWidget* owner = nullptr);
    ~TFM_WLANPart() override;

    QFrame* Panel1;
    QComboBox* CB_WBand;
    QComboBox* CB_Link;
    QComboBox* CB_StationConnection;
    QComboBox* CB_WLANAccess;
    QPushButton *Btn_Apply, *Btn_Refresh, *Btn_Close;
    CvStatusBar* StatusBar;
    QComboBox* CB_ApMode;

    std::unique_ptr<CvSNMPRequest2Edits> reqWlanBand;
    std::unique_ptr<CvSNMPRequest2Edits> reqWlanApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqPartition;
    std::unique_ptr<CvSNMPRequest2Edits> reqLinkIntegrity;

    void FormCreate();
    void Btn_ApplyClick();
    void Btn_RefreshClick();
    void Btn_CloseClick();
    void CB_WLANAccessChange();

  private:
    // The reads of the opening or of a Refresh.
    ActionOutcome outcome_;
    void buildControls();
    void buildRequests();
};

extern TFM_WLANPart* FM_WLANPart;
