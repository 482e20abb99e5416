#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "pages/common/PageForm.h"
#include "pages/tools/Clientinfo.h"

class QComboBox;
class QLabel;
class QPushButton;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
struct CvSNMPError;

// Status \ WDS Information: the radio's channel and frequency and, in the two WDS modes, the WDS
// peers, which the device lists afresh only after its refresh trigger has been set.
class TFM_WDSInfo : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_WDSInfo(QWidget* owner = nullptr);
    ~TFM_WDSInfo() override;

    CvListView* WDS_ClientListView;
    CvListView* WDS_ListView;
    QLabel* Lb_Channel;
    QLabel* Lb_Band;
    QPushButton* Btn_Refresh;
    QPushButton* Btn_Close;
    CvStatusBar* StatusBar1;
    QComboBox* CB_APMode;
    QComboBox* CB_dot11Encryption;
    QComboBox* IfGetInfo1;

    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqChannel;
    std::unique_ptr<CvSNMPRequest2Edits> reqEncryption;
    std::unique_ptr<CvSNMPRequest2Edits> reqWdsRefresh;  // built in the WDS modes only
    std::unique_ptr<CvSNMPRequest2Edits> reqWdsTable;    // built in the WDS modes only

    void FormCreate();
    void Btn_RefreshClick();
    void Btn_CloseClick();
    void OnWdsRefreshSet(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void OnWdsTableRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void FillWdsList();

  private:
    void buildControls();
    void buildWdsRequests();

    // A refresh's trigger and walk: their first failure.
    ActionOutcome outcome_;
};

extern TFM_WDSInfo* FM_WDSInfo;

// The visible peer rows for the raw rows of the WDS table (sub-items: MAC, band,
// authentication, signal, power saving, name, connected, status), with the encryption switch's
// index (0 "Disable"): every row shown as name, MAC, authentication, signal and status.
std::vector<ListRow> wdsListRows(const std::vector<QStringList>& tableRows, int encryptionIndex);
