#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "pages/common/PageForm.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
struct CvSNMPError;
struct MssidRefusal;

// Advanced \ Multi-SSID: the multiple-SSID and SSID-priority switches, the enabled SSIDs, and
// adding, changing and deleting "SSID 1" to "SSID 3" with their own security.
class TFM_MultiSSIDNewForm : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_MultiSSIDNewForm(QWidget* owner = nullptr);
    ~TFM_MultiSSIDNewForm() override;

    QGroupBox* GroupBox1;
    QCheckBox* IfEnabMuSSID;
    QCheckBox* IfEnablePriority;
    QLabel* Label4;
    QComboBox *CB_Priority, *CB_Index;
    CvEdit* Ed_SSID;
    QComboBox *CB_SsidBroadcast, *CB_Band, *CB_SecurityMode, *CB_WMM;
    QGroupBox* GroupBox2;
    QComboBox *CB_MssidEncryption, *CB_WepEncryp, *CB_KeyType, *CB_DefaultKey;
    CvEdit *Ed_Key, *Ed_ConfirmKey;
    QGroupBox* GroupBox3;
    QComboBox *CB_WPAMode, *CB_CipherType;
    CvEdit *Ed_UpdateInterval, *Ed_Passphrase, *Ed_ConfirmPass;
    QGroupBox* GroupBox7;
    CvEdit *Edt_RadiusServer, *Edt_RadiusPort, *Edt_RadiusSecret;
    QGroupBox* GroupBox4;
    CvListView* LV_MultiSSID_User;
    QPushButton *DelButton, *AddButton, *ApplyBtn, *CancelBtn;
    CvStatusBar* StatusBar;

    // Never shown: the table as read, the row's keys and the raw values behind visible choices.
    CvListView* MulSSIDListView;
    QLabel *IndexLab, *Lb_Ssidindex;
    QComboBox *CB_IdvState, *CB_dot11Authentication, *CB_Clipher, *CB_ApMode;
    CvEdit* Edt_Priority;

    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqBand;
    std::unique_ptr<CvSNMPRequest2Edits> reqMssidState;
    std::unique_ptr<CvSNMPRequest2Edits> reqPriorityState;
    std::unique_ptr<CvSNMPRequest2Edits> reqSsidTable;

    bool prioritySupported = false;
    // As loaded for the shown entry, to tell whether the user changed them.
    QString loadedPassphrase, loadedSecret;

    void FormCreate();
    void IfEnabMuSSIDClick();
    void IfEnablePriorityClick();
    void CB_IndexChange();
    void CB_SecurityModeChange();
    void CB_MssidEncryptionChange();
    void CB_KeyTypeChange();
    void LV_MultiSSID_UserClick();
    void AddButtonClick();
    void DelButtonClick();
    void ApplyBtnClick();
    void CancelBtnClick();

    void FillSecurityModes();
    void ShowSecurityGroups();
    void ReadSsidTable();
    void FillSsidList();
    void MarkWritable(bool include);
    void KeySizeFromLength();
    void SetKeyLengthLimit();
    void SetFieldLimits();
    void EnableEntryControls(bool enable);
    void UpdateIndexCombo();
    void OnSsidTableRead(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
    void OnSsidTableWritten(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);

  private:
    // The opening's, a Save's or an Add's reads and sets, its table read and write included.
    ActionOutcome outcome_;
    void buildControls();
    void connectHandlers();
    void buildRequests();
    bool primaryShown() const;
    int apModeIndex() const;
    bool apModeUndecided();
    void setStateRequests();
    bool setSsidTable();
    void warnOfSharedKey();
    void refuse(const MssidRefusal& refusal);

    // The passphrase captions and edits, shown for WPA-Personal only.
    std::vector<QWidget*> passphraseRows;
    bool insideListClick = false;
    bool wpaModeEnabled = true;

  public:
    // Rules without widgets.

    // The Encryption column of the visible list for an authentication text and encryption.
    static QString SecurityDisplayName(const QString& authentication, bool encryptionOn);
    // The authentication value the visible choices stand for; none for combinations without one.
    static std::optional<int> SecurityToAuthentication(int apMode, int securityIndex, int wpaIndex);
    // "Auto" 1, "AES" 2, "TKIP" 3; none for any other text.
    static std::optional<int> CipherToRaw(const QString& cipher);
    // The key size (0 "64Bits", 1 "128Bits") a loaded key's length stands for.
    static int KeySizeFromLength(bool hex, int keyLength);
    static bool IsMaskedText(const QString& text);
    static bool IsHexText(const QString& text);

    // CB_Index positions and the SSID table's item numbers.
    static constexpr int kPrimarySsid = 0;
    enum Item {
        kItemState = 2,
        kItemSsid,
        kItemSuppress,
        kItemAuthentication,
        kItemEncryption,
        kItemWepKeyIndex,
        kItemKeyType,
        kItemCipher,
        kItemPassphrase,
        kItemWepKey,
        kItemWmm,
        kItemInterval,
        kItemRadiusServer,
        kItemRadiusPort,
        kItemRadiusSecret,
        kItemPriority,
    };
};

extern TFM_MultiSSIDNewForm* FM_MultiSSIDNewForm;

// ---- Rules without widgets ------------------------------------------------------------------

// CB_SecurityMode and CB_WPAMode for an AP mode (0 Access Point .. 3 Wireless Client): their
// items, whether the WPA mode may be chosen, and the pair an authentication text selects (-1
// each when the mode's column does not list the text).
struct MssidSecurityChoices {
    QStringList securityItems, wpaItems;
    bool wpaEnabled = true;
    int securityIndex = -1, wpaIndex = -1;
};
MssidSecurityChoices mssidSecurityChoices(int apMode, const QString& authentication);

// The cipher choices of CB_CipherType for WPA-Personal (1) or WPA-Enterprise (2); empty when
// the choice keeps its items.
QStringList mssidCipherItems(int apMode, int securityIndex);

// The key length a key type and size need: 5 or 13 ASCII characters, 10 or 26 hex digits.
int mssidKeyLength(bool hex, bool bits128);

// The field a refused add puts the focus on.
enum class MssidField {
    None,
    Ssid,
    Key,
    ConfirmKey,
    Interval,
    Passphrase,
    RadiusServer,
    RadiusPort,
    RadiusSecret
};

struct MssidRefusal {
    QString caption;  // empty: the plain box, captioned with the application's title
    QString text;
    MssidField field = MssidField::None;
    bool focus = true;  // the focus goes to the field
    bool clearField = false;
};

// What the user entered for one additional SSID, as Add reads it.
struct MssidAddInput {
    int apMode = 0;
    int securityIndex = -1, wpaIndex = -1;
    bool encryptionOn = false;
    bool prioritySupported = false;
    QString ssid;
    bool hexKey = false, bits128 = false;
    QString key, confirmKey;
    QString interval, passphrase, confirmPass, loadedPassphrase;
    QString radiusServer, radiusPort, radiusSecret, loadedSecret;
};

enum class MssidBranch { None, Open, Wep, WpaPersonal, WpaEnterprise };

struct MssidAddPlan {
    MssidBranch branch = MssidBranch::None;
    // A refusal stops the add. statesFirst: the Multi-SSID and priority states are written
    // before the refusal is shown (the WEP branch writes them ahead of its key checks).
    std::optional<MssidRefusal> refusal;
    bool statesFirst = false;
    std::vector<int> items;  // table items to include, in this order
};

MssidAddPlan planMssidAdd(const MssidAddInput& input);
