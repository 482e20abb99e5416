#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>

#include "pages/common/PageForm.h"

class QComboBox;
class QLabel;
class QPushButton;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
class New_req2Edit;
struct CvSNMPError;

// Advanced \ Wireless MAC ACL: the policy for the listed stations, the list itself, and the
// associated clients a MAC can be taken from. The device keeps the list as a fixed table whose
// free rows hold "000000000000"; the page only writes the add and delete objects.
class TFM_FilterMACACL : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_FilterMACACL(QWidget* owner = nullptr);
    ~TFM_FilterMACACL() override;

    QComboBox* CB_Band;
    QComboBox* CB_AccessControl;
    CvEdit* Ed_MacAdd;
    QPushButton* Bt_Add;
    CvListView* LV_UerMACAddress;
    QPushButton* Bt_Del;
    CvListView* LV_ClientUser;
    QPushButton* Btn_AddCli;
    QPushButton* Bt_Apply;
    CvStatusBar* StatusBar1;
    // Hidden: the whole device list and its selected row, the client table and raw values.
    CvListView* LV_GetMAC;
    QLabel* LA_Index;
    CvEdit* Ed_MACAddr;
    CvEdit* Ed_ClientInfoMac;
    QComboBox* CB_GetInfo;
    CvListView* LV_ClientTable;
    QComboBox* CB_APMode;

    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqAccessControl;
    std::unique_ptr<CvSNMPRequest2Edits> reqBand;
    std::unique_ptr<CvSNMPRequest2Edits> reqClientTable;
    std::unique_ptr<CvSNMPRequest2Edits> reqClientRefresh;
    std::unique_ptr<CvSNMPRequest2Edits> reqMacAdd;
    std::unique_ptr<CvSNMPRequest2Edits> reqClientMacAdd;
    std::unique_ptr<CvSNMPRequest2Edits> reqMacDelete;
    std::unique_ptr<CvSNMPRequest2Edits> reqAclFull;
    std::unique_ptr<New_req2Edit> reqAclList;

    // No add, delete or list read is in flight; the page refuses to close while it is false.
    bool idle = false;

    void FormCreate();
    void FormClose();
    void CB_AccessControlChange();
    void Bt_AddClick();
    void Bt_DelClick();
    void Btn_AddCliClick();
    void LV_ClientUserClick();
    void LV_UerMACAddressClick();
    void Bt_ApplyClick();

    void OnAclRead(CvSNMPRequest2Controls* sender, const CvSNMPError& result);
    void OnAclChanged(CvSNMPRequest2Controls* sender, const CvSNMPError& result);
    void OnClientRefreshSet(CvSNMPRequest2Controls* sender, const CvSNMPError& result);
    void OnClientTableRead(CvSNMPRequest2Controls* sender, const CvSNMPError& result);
    void FillClientList();
    bool IsDuplicateMac(const QString& typed, int skippedRow) const;

    void done(int result) override;

  private:
    // The opening's or a change's reads and sets, those of the list completions included.
    ActionOutcome outcome_;
    void buildControls();
    void buildRequests();
    void startListReads();
    // Selects the first row of the full list whose MAC is `mac`; false when there is none.
    bool selectFullRow(const QString& mac);
    bool setPolicy();
    void showPolicyFailure();
    // List reads of the current round that have succeeded; the empty-list rule waits for both.
    bool fullListRead = false, usedListRead = false;
};

extern TFM_FilterMACACL* FM_FilterMACACL;

// The MAC of a free row of the device's list.
inline const QString kFreeMac = QStringLiteral("000000000000");

// True when every character of a matches b's at the same place, as it is or as the lower-case
// form of b's upper-case letter; b is the device's text. A b shorter than a is no match.
bool SameTextPrefix(const QString& a, const QString& b);

// Whether a typed MAC is already among the device's MACs: equal, or equal but for lower-case
// letters. The row at skippedRow (the free row the add will fill; -1 for none) is left out.
bool isDuplicateMac(const QString& typed, const QStringList& deviceMacs, int skippedRow);

// The authentication text the client list shows for the device's text.
QString clientAuthenticationText(const QString& deviceText);
