#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "pages/common/PageForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
class New_req2Edit;
struct CvSNMPError;

// A framed group of radio buttons laid out in columns, of which at most one is selected.
class RadioGroup : public QGroupBox {
    Q_OBJECT

  public:
    RadioGroup(const QStringList& items, QWidget* parent);
    // The selected item, or -1 when none is.
    int ItemIndex() const;
    // Selects an item; -1 selects none.
    void SetItemIndex(int index);
    QButtonGroup* Buttons() const { return buttons_; }

  private:
    QButtonGroup* buttons_;
};

// Tools \ Administrator Settings: the administrator's login and password, console access, the
// system name and location, and the VLAN ID and address ranges the device may be managed from.
class TFM_Admin2 : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Admin2(QWidget* owner = nullptr);
    ~TFM_Admin2() override;

    QLabel* LB_AdminSet;
    QGroupBox* GroupBox2;
    QCheckBox* CheckBox_VID;
    CvEdit* Ed_VID;
    QCheckBox* CkBx_ManagerState;
    QLabel *Label_iprange, *Label_from, *Label_to;
    CvEdit *Ed_FromIP, *Ed_ToIP;
    QPushButton* Btn_Add;
    CvListView* ListView_User;
    QPushButton* Btn_Del;
    CvListView* ListView_IpRange;
    QLabel* LA_Index;
    CvEdit *Ed_From, *Ed_To, *Ed_Delete;
    QComboBox *CB_managerIpAddressStatus, *CB_Telnet, *CB_SHH, *CB_DeviceApplySetting;
    CvEdit* NetMask;
    QGroupBox* GroupBox5;
    QLabel *Label5, *Label6;
    CvEdit *Ed_SysName, *Ed_Location;
    QGroupBox* GroupBox1;
    QLabel *Label1, *Label2, *Label3, *Label4;
    CvEdit *Ed_Usr, *Ed_OPwd, *Ed_NPwd, *Ed_CNP, *Ed_Pwd;
    QGroupBox* GroupBox3;
    QLabel *Label7, *Label8;
    RadioGroup* RadioGroup1;
    QComboBox* CB_Timeout;
    QGroupBox* GroupBox4;
    QPushButton* OK;
    QPushButton* Cancel;
    CvStatusBar* StatusBar;

    std::unique_ptr<CvSNMPRequest2Edits> reqApplySetting, reqManagerState, reqConsole,
        reqConsoleTimeout, reqSystemName, reqLogin, reqIpRanges;
    std::unique_ptr<New_req2Edit> reqIpRangeList;
    std::unique_ptr<CvSNMPRequest2Edits> reqManagerDelete;

    void FormCreate();
    void OKClick();
    void Btn_AddClick();
    void Btn_DelClick();
    void CheckBox_VIDClick();
    void CkBx_ManagerStateClick();
    void ListView_UserClick();
    void RadioGroup1Click();
    void CancelClick();

    static uint32_t IpTextToInt(const QLineEdit* edit);
    static uint32_t IpStrToInt(const QString& text);
    static QString NetworkAddressText(const QString& address, const QString& mask);
    static bool IsValidUserName(const QString& name);
    void SetInputLimits();
    void ClearIpRangeInput();
    void StateToCheckBoxes();
    void CheckBoxesToState();
    void OnManagerDeleteDone(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    // Reads both range lists again (after an add or a delete); each keeps its rows until its
    // read answers, so a failed read leaves what the device was last seen to hold.
    void ReloadIpRanges();

  private:
    void buildControls();
    QWidget* buildLogin();
    QWidget* buildConsole();
    QWidget* buildSystemName();
    QWidget* buildLimits();
    void buildHidden();
    void buildRequests();
    bool refuseSave();
    // The first of the reads at creation that failed.
    ActionOutcome opening_;
    // The latest range Add or Delete: its set and the reads after it.
    ActionOutcome ranges_;
    // A read of the range table has succeeded: only then can Add and Delete find their row.
    bool rangeTableRead_ = false;
};

extern TFM_Admin2* FM_Admin2;

void AdminIpRangesAfterSet();
void AdminIpRangesAfterGet();

// The longest login name and password the device keeps.
constexpr int kAdminTextMaxLength = 64;

// Why Save refuses, in the order Save checks.
enum class AdminRefusal {
    None,
    Vid,
    OldPassword,
    NoUserName,
    LongUserName,
    BadUserName,
    LongPassword,
    Confirmation
};

struct AdminSaveInput {
    bool vidChecked;
    QString vid, oldPassword, devicePassword, userName, newPassword, confirmation;
};
// The first check Save fails, or None.
AdminRefusal adminSaveRefusal(const AdminSaveInput& input);
// The message of a refusal, shown in a box captioned "Warning".
QString adminRefusalMessage(AdminRefusal refusal);

// The console radio item for the telnet and ssh combo indexes read (0 Disable, 1 Enable): 0
// "None", 1 "Telnet", 2 "SSH", or -1 for none (both enabled, or a value not read).
int consoleChoice(int telnetIndex, int sshIndex);
// What a console radio item does: the telnet and ssh combo indexes, and whether each of the
// telnet, ssh and timeout items is written (otherwise it is only read).
struct ConsoleSetting {
    int telnetIndex, sshIndex;
    bool telnetSent, sshSent, timeoutSent;
};
ConsoleSetting consoleSetting(int choice);

// managerIpAddressStatus from the two limit check boxes, and back.
int limitState(bool vidChecked, bool ipChecked);
std::pair<bool, bool> limitChecks(int state);  // (VID, IP)

// A row of the device's range table: its start and end texts.
using RangeRow = std::pair<QString, QString>;
// Where Add writes: the walk from the first row stops at a row holding the same range
// (duplicate) or at the first free row; a duplicate behind that free row goes unseen.
struct AddRowChoice {
    bool duplicate = false;
    int row = -1;  // the free row to write; -1 with no duplicate: no row to write
};
AddRowChoice chooseAddRow(const std::vector<RangeRow>& rows, const QString& from,
                          const QString& to);
// The first row holding exactly these start and end texts, or -1.
int findRangeRow(const std::vector<RangeRow>& rows, const QString& start, const QString& end);
