#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "pages/common/PageForm.h"

class QComboBox;
class QLabel;
class QPushButton;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
struct CvSNMPError;

// Status \ Client Information: the wireless stations associated with the access point. The
// device rebuilds its station table only when asked, so each detection sets a trigger and walks
// the table once the trigger has completed.
class TClientInformation : public QDialog {
    Q_OBJECT

  public:
    explicit TClientInformation(QWidget* owner = nullptr);
    ~TClientInformation() override;

    CvListView* User_ListView;
    CvListView* ClientListView;
    QLabel* NumOfRecord;
    QLabel* Lb_Band;
    QPushButton* Bt_Rfrsh;
    QPushButton* Bt_Close;
    CvStatusBar* StatusBar;
    QComboBox* IfGetInfo0;
    QComboBox* CB_Band;

    std::unique_ptr<CvSNMPRequest2Edits> reqDetect;
    std::unique_ptr<CvSNMPRequest2Edits> reqBand;
    std::unique_ptr<CvSNMPRequest2Edits> reqClientTable;

    // A detection runs: the page cannot be closed until its trigger fails or a walk ends.
    bool detecting = true;

    void FormCreate();
    void Bt_RfrshClick();
    void Bt_CloseClick();
    bool FormCloseQuery() const;
    void OnDetectSet(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void OnTableRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void FillClientList();

    void done(int result) override;

  private:
    void buildControls();
    void startDetection();
    void showRecordCount();

    // A detection's trigger and walks: their first failure.
    ActionOutcome outcome_;
};

extern TClientInformation* ClientInformation;

// One row of a list as its caption and sub-items.
struct ListRow {
    QString caption;
    QStringList subItems;
    bool operator==(const ListRow&) const = default;
};

// The visible station rows for the raw rows of the station table (sub-items: MAC, band,
// authentication, signal, power saving, SSID, ...): free rows left out, the others numbered
// from 1 and shown as SSID, MAC, band, authentication, signal, power saving.
std::vector<ListRow> clientListRows(const std::vector<QStringList>& tableRows);
