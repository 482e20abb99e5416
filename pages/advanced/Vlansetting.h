#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "pages/common/PageForm.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
struct CvSNMPError;

// The page's logical ports, in the order every list and table of the page uses: Mgmt, LAN,
// Primary, S-1 to S-7, W-1 to W-4.
constexpr int kVlanPortCount = 14;

// Advanced \ VLAN Settings: the VLAN switch and mode, the ports' VLAN IDs, which VLANs each port
// carries, and the device's group VLAN list with each port's membership.
class TFM_VlanSetting : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_VlanSetting(QWidget* owner = nullptr);
    ~TFM_VlanSetting() override;

    QLabel *LB_VlanSetting, *Label1, *Label2, *LB_VlanMode;
    QComboBox* CB_VlanStatus;
    QPushButton* Button1;
    QTabWidget* PageControl1;
    QWidget *TabSheet_VlanList, *TabSheet_PortList, *TabSheet_EditVlan, *TabSheet_PvidSetting;
    CvStatusBar* StatusBar;
    // Never shown: raw values and the device's tables as read.
    QComboBox *CB_VlanMode, *CB_APMode, *CB_DeviceApplySetting, *CB_PortListRefresh,
        *CB_VlanItemDel;
    CvListView *LV_PortList, *LV_MultiSSID, *LV_VlanList;
    QLabel* LB_Index;

    // "VLAN List" tab.
    CvListView* LV_VlanListUser;
    QPushButton *Btn_VlanEdit, *Btn_VlanDelete;
    // "Port List" tab.
    CvListView* LV_PortListUser;
    // "Add/Edit VLAN" tab.
    QLabel *Label3, *Label4;
    CvEdit *Ed_VlanID, *Ed_VlanName;
    QGroupBox *GroupBox_VlanPort, *GroupBox_VlanMssidPort, *GroupBox_VlanWdsPort;
    QPushButton *Btn_VlanPortUntagAll, *Btn_VlanPortTagAll, *Btn_VlanPortNotAll;
    QPushButton *Btn_VlanMssidUntagAll, *Btn_VlanMssidTagAll, *Btn_VlanMssidNotAll;
    QPushButton *Btn_VlanWdsUntagAll, *Btn_VlanWdsTagAll, *Btn_VlanWdsNotAll;
    QPushButton* AddButton;
    // "PVID Setting" tab.
    QGroupBox* GroupBox_PvidSetting;
    QLabel* Label5;
    QComboBox* CB_PvidAutoStatus;
    QPushButton* Btn_PvidApply;
    CvEdit *Ed_PvidMgmt, *Ed_PvidLan, *Ed_PvidMssidPrimary;
    std::array<CvEdit*, 7> Ed_PvidMssid;  // Ed_PvidMssidS1 .. S7; S4 to S7 hidden
    std::array<CvEdit*, 8> Ed_PvidWds;    // Ed_PvidWdsW1 .. W8; W5 to W8 hidden

    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqApplySetting;
    std::unique_ptr<CvSNMPRequest2Edits> reqVlanStatusMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqPvidAuto;
    std::unique_ptr<CvSNMPRequest2Edits> reqPvid;
    std::unique_ptr<CvSNMPRequest2Edits> reqMssidNames;
    std::unique_ptr<CvSNMPRequest2Edits> reqPortListRefresh;
    std::unique_ptr<CvSNMPRequest2Edits> reqPortList;
    std::unique_ptr<CvSNMPRequest2Edits> reqVlanList;

    bool isCreating = false;
    // 2 nothing prepared, 0 a free row chosen for a new VLAN, 1 a listed VLAN chosen, 3 full.
    int vlanEditState = 2;
    int vlanRowCount = 0;
    // Set by Edit: the entry's own VID is not refused as a duplicate on Save.
    bool vlanEditMode = false;
    std::array<QComboBox*, kVlanPortCount> portMemberCombos{};
    std::array<QRadioButton*, kVlanPortCount> untagRadios{}, tagRadios{}, notMemberRadios{};
    // W-5 to W-8: laid out and hidden, in no column of the table.
    std::array<std::array<QRadioButton*, 3>, 4> spareWdsRadios{};

    void FormCreate();
    void CB_VlanStatusChange();
    void CB_PvidAutoStatusChange();
    void Btn_VlanApplyClick();
    void Btn_PvidApplyClick();
    void PageControl1Change();
    void LV_VlanListUserClick();
    void Btn_VlanEditClick();
    void Btn_VlanDeleteClick();
    void AddButtonClick();
    void Btn_VlanPortUntagAllClick();
    void Btn_VlanPortTagAllClick();
    void Btn_VlanPortNotAllClick();
    void Btn_VlanMssidUntagAllClick();
    void Btn_VlanMssidTagAllClick();
    void Btn_VlanMssidNotAllClick();
    void Btn_VlanWdsUntagAllClick();
    void Btn_VlanWdsTagAllClick();
    void Btn_VlanWdsNotAllClick();

    void FillPortNames();
    void FillPortVids();
    void FillPortPvids();
    void FillVlanList();
    bool IsExistingVid(const QString& vid) const;
    void OnPortListRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void OnVlanListRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void OnVlanListSet(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The opening's or a handler's reads and sets, those of the list completions included.
    ActionOutcome outcome_;
    void buildControls();
    QWidget* buildVlanListTab();
    QWidget* buildPortListTab();
    QWidget* buildEditTab();
    QWidget* buildPvidTab();
    void connectHandlers();
    void buildRequests();
    void buildVlanListRequest();
    // Chooses the first free row of the table for a new VLAN; limit < 0 checks no limit.
    void selectFreeRow(int limit);
    int firstFreeRow() const;
    bool isFreeRow(int tableRow) const;
    const std::vector<std::string>* tableRow(int row) const;
    void enableEditing(bool enable, bool emptyEdits);
    void checkColumn(int firstPort, int lastPort, int column);
    bool sendPortListRefresh();
    std::vector<CvEdit*> visiblePvidEdits() const;
    std::vector<CvEdit*> allPvidEdits() const;
    bool setStatus();
    // "Set OK!" or "Set Error!" after the PVID Save's sets, unless one of them withheld a value.
    void showPvidSaveOutcome(bool saved, std::initializer_list<CvSNMPRequest2Controls*> sets);
    void switchTab(int index);

    bool pageSwitchesTab = false;
};

extern TFM_VlanSetting* FM_VlanSetting;

// ---- Rules without widgets ------------------------------------------------------------------

// The "Untag VLAN Ports " and "Tag VLAN Ports " texts of a VLAN from its 14 port cells ("none",
// "tag", "untag"); S-4 to S-7 are never shown.
struct VlanPortTexts {
    QString untag, tag;
};
VlanPortTexts vlanPortTexts(const QStringList& portCells);

// A VID or PVID text the device takes: a whole number from 1 to 4094.
bool isVlanIdInRange(const QString& text);
// Texts are compared, not numbers: "05" is not "5".
bool isListedVlanId(const QStringList& shownVids, const QString& vid);
// The member value (0 none, 1 tag, 2 untag) of a port's radio buttons; loaded when none is
// checked.
int vlanMemberValue(bool untag, bool tag, bool notMember, int loaded);
// The VLAN editing controls are usable only for a static VLAN mode with VLAN enabled.
bool vlanEditingEnabled(int modeIndex, int statusIndex);

enum class VlanRefusal { None, Vid, Duplicate, Full, Name };
// Why Save of the Add/Edit tab sends nothing. vidListed: the list shows the VID already;
// freeRowChosen: a free table row is chosen and the list does not count as full.
VlanRefusal planVlanSave(const QString& vid, const QString& name, bool vidListed, bool editMode,
                         bool freeRowChosen);
QString vlanRefusalMessage(VlanRefusal refusal);
