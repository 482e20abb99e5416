#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>

#include "pages/common/PageForm.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
class New_req2Edit;
struct CvSNMPError;
struct CvSNMPVarItem;

// Advanced \ DHCP Server: the server switch and dynamic pool, the reserved addresses of the
// static pool, and the leases the device has handed out.
class TFM_DHCP : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_DHCP(QWidget* owner = nullptr);
    ~TFM_DHCP() override;

    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet3;

    // Dynamic pool tab.
    QComboBox* CB_Fuction1;
    CvEdit *Ed_IPAF, *Ed_PoolRan, *Ed_SubMask, *Ed_Gateway, *Ed_Wins, *Ed_DNS, *Ed_DomNa, *Ed_Lease;
    QPushButton *Bt_Apply, *Bt_Cancel;
    CvStatusBar* StatusBar1;
    QComboBox *CB_APMode, *CB_DNStatus;

    // Static pool tab.
    QComboBox* CB_Fuction2;
    CvEdit *ED_StaticAssignIP, *ED_StaticAssignMAC, *ED_StaticSubMask, *ED_StaticGateway;
    CvEdit *ED_StaticWins, *ED_StaticDNS, *ED_StaticDoname, *ED_ComputerName;
    QPushButton *Btn_Add, *Btn_Del, *Bt_Edit;
    CvListView *User_ListView, *LV_StaticPoolSet;
    QLabel* Lb_Index;
    QComboBox* CB_StaticStatus;
    CvStatusBar* StatusBar2;

    // Current lease tab.
    CvListView *LV_DynPool, *LV_StaticPool, *LV_Dy, *LV_Static;
    QPushButton *Bt_RefreshDynamicPool, *Bt_RefreshStaticPool;
    CvStatusBar *StatusBar3, *StatusBar4;
    QComboBox *CoboxDynamic, *CoboxStatic;

    std::unique_ptr<CvSNMPRequest2Edits> reqDhcpApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqDynamicPool;
    std::unique_ptr<CvSNMPRequest2Edits> reqServerControl;
    std::unique_ptr<CvSNMPRequest2Edits> reqStaticControl;
    std::unique_ptr<CvSNMPRequest2Edits> reqDomainNameStatus;
    std::unique_ptr<CvSNMPRequest2Edits> reqStaticPool;
    std::unique_ptr<CvSNMPRequest2Edits> reqStaticDelete;
    std::unique_ptr<CvSNMPRequest2Edits> reqDynamicListRefresh;
    std::unique_ptr<CvSNMPRequest2Edits> reqStaticListRefresh;
    std::unique_ptr<New_req2Edit> reqDynamicLeases;
    std::unique_ptr<New_req2Edit> reqStaticLeases;

    bool firstReadPending = true;  // until the static pool has been read once
    bool staticPending = true;     // while a static pool read or save is outstanding
    bool newEntry = true;          // no entry picked since the last static Save

    void FormCreate();
    void CB_Fuction1Change();
    void CB_Fuction2Change();
    void Bt_ApplyClick();
    void Bt_CancelClick();
    void PageControl1Change();
    void UpdateControls();
    void EnableStaticLists(bool enabled);

    void Btn_AddClick();
    void Bt_DelClick();
    void Bt_EditClick();
    void User_ListViewSelectItem();
    void Bt_RefreshDynamicPoolClick();
    void Bt_RefreshStaticPoolClick();
    void OnStaticPoolRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void OnStaticPoolSet(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void OnLeaseListRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);

    // Refused while the static pool has not been read once or a static read or save is
    // outstanding (close box, Esc and Cancel alike).
    void done(int result) override;

  private:
    void buildControls();
    QWidget* buildDynamicTab();
    QWidget* buildStaticTab();
    QWidget* buildLeaseTab();
    void buildRequests();
    void buildStaticRequests();
    void ConvertPoolRange(bool towardsDevice);
    void SaveStaticEntry();
    void FillStaticList();
    void CopyLeaseLists();
    void refreshLeases(CvSNMPRequest2Edits* trigger, QComboBox* choice, New_req2Edit* list,
                       CvStatusBar* statusBar);
    void onLeaseTriggerSet(New_req2Edit* list, CvStatusBar* statusBar, const CvSNMPError& outcome);
    void enableStaticEditing(bool enabled);
    void allowClosing();
    void mirrorSwitch(QComboBox* from, QComboBox* to);
    // The outcome shown in a lease list's status bar (StatusBar3 or StatusBar4).
    ActionOutcome& leaseOutcome(const CvStatusBar* statusBar);

    // One per status bar: the dynamic pool, the static pool and the two lease lists.
    ActionOutcome poolOutcome_, staticOutcome_, dynamicLeaseOutcome_, staticLeaseOutcome_;
};

extern TFM_DHCP* FM_DHCP;

// ---- Rules, without widgets ----------------------------------------------------------------

// The pool's last address from its first address and a count, or the count from the first and
// last addresses; the text is left as it is when the first address has no dot.
QString poolEndAddress(const QString& first, const QString& count);
QString poolCount(const QString& first, const QString& end);

// A check that refuses a Save: its message box and the edit it concerns.
struct DhcpRefusal {
    int field = -1;  // -1: nothing refused
    QString message;
    QString caption;
    bool clear = false;  // the edit is emptied
};
enum DynamicField { FieldFirstAddress, FieldPoolCount, FieldLease, FieldMask };
enum StaticField { FieldStaticIP, FieldStaticMAC, FieldStaticMask, FieldHostName };

DhcpRefusal checkDynamicPool(const QString& first, const QString& count, const QString& lease,
                             const QString& mask);
DhcpRefusal checkStaticEntry(const QString& ip, const QString& mac, const QString& mask,
                             const QString& hostName);
// The first row other than ownRow (-1: none) whose MAC is exactly mac; -1 when none is.
int staticDuplicateRow(const QStringList& macs, int ownRow, const QString& mac);
