#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "pages/common/PageForm.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
struct CvSNMPError;

// Advanced \ Wireless Intrusion Protection: the access points around the device, surveyed on
// demand, and how the device classifies them.
class TFM_RogueAP : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_RogueAP(QWidget* owner = nullptr);
    ~TFM_RogueAP() override;

    QTabWidget* PageControl;
    QGroupBox* GroupBox_APList;
    CvListView* AP_UserListView;
    CvListView* AP_ListView;  // hidden: the survey's rows as read
    QComboBox* CB_OperatorType;
    QCheckBox* CheckBox_SelectAll;
    QPushButton *Btn_Detect, *Btn_SetValid, *Btn_SetNeigh, *Btn_SetRogue, *Btn_SetNew, *Btn_Apply;
    QRadioButton *RB_MarkAllValid, *RB_MarkAllRogue;
    CvStatusBar* StatusBar;
    // Hidden: the switch values, the survey index to write and the trigger's value.
    QCheckBox *CheckBox_MarkAllValid, *CheckBox_MarkAllRogue;
    CvEdit *Ed_Valid, *Ed_Neigh, *Ed_Rogue, *Ed_New;
    QComboBox* CB_Refresh;

    std::unique_ptr<CvSNMPRequest2Edits> reqSurveyRefresh;
    std::unique_ptr<CvSNMPRequest2Edits> reqSurvey;
    std::unique_ptr<CvSNMPRequest2Edits> reqAddtoValid;
    std::unique_ptr<CvSNMPRequest2Edits> reqAddtoNeighbor;
    std::unique_ptr<CvSNMPRequest2Edits> reqAddtoRogue;
    std::unique_ptr<CvSNMPRequest2Edits> reqAddtoNew;
    std::unique_ptr<CvSNMPRequest2Edits> reqSwitches;

    void FormCreate();
    void FormShow();
    void Btn_DetectClick();
    void Btn_SetValidClick();
    void Btn_SetNeighClick();
    void Btn_SetRogueClick();
    void Btn_SetNewClick();
    void Btn_ApplyClick();
    void CB_OperatorTypeChange();
    void RB_MarkAllValidClick();
    void RB_MarkAllRogueClick();
    void CheckBox_SelectAllClick();

    void OnRefreshSet(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    void OnSurveyRead(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    void FillSurveyList(const QString& filter);
    static int CountChecked(const CvListView* list);
    QString FindSurveyIndex(const QString& bssid) const;
    void Redetect();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The reads and sets of one Detect, marking or Save, the survey that follows included.
    ActionOutcome outcome_;
    void buildControls();
    void enableSurveySet(bool enabled);
    // Writes each checked row's survey index through one of the four marking requests.
    bool markChecked(CvSNMPRequest2Edits* request, CvEdit* index);
    void markAndRedetect(CvSNMPRequest2Edits* request, CvEdit* index);
    void markAllNew(QRadioButton* radio, QCheckBox* hidden, int sentItem);
    std::vector<QStringList> surveyRows() const;
};

extern TFM_RogueAP* FM_RogueAP;

// The rows shown for the survey's rows (index, channel, BSSID, band, SSID, last seen, type,
// status) under a filter ("all" or a type text): type, band, channel, SSID, BSSID, last seen,
// status.
std::vector<QStringList> rogueShownRows(const std::vector<QStringList>& surveyRows,
                                        const QString& filter);
// The survey index of the row with this BSSID; empty when no row has it.
QString rogueSurveyIndex(const std::vector<QStringList>& surveyRows, const QString& bssid);
