#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
class QWidget;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
struct CvSNMPError;
struct CvSNMPVarItem;
enum class WirelessField : int;
enum class WirelessRequest : int;
struct WirelessRefusal;
struct WirelessSaveInput;

// Home \ Wireless: band, AP mode, SSID, channel and width, the security of the primary SSID
// (WEP keys, WPA pass phrase and cipher, RADIUS server), the WDS peers and the site survey.
class TFM_Wirless : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Wirless(QWidget* owner = nullptr);
    ~TFM_Wirless() override;

    QTabWidget* PC_Wirless;
    QWidget* TS_11a;

    QGroupBox* GroupBox1;
    QComboBox *CB_Band, *CB_APMode, *CB_SsidBroadcast, *CB_AuSc, *CB_Chanal, *CB_ChannelWidth,
        *CB_SecurityMode;
    CvEdit* Ed_SSID;

    QGroupBox* GroupBox5;
    QComboBox *CB_dot11Encryption, *CB_DefaultKey;
    QComboBox *CB_KeyType1, *CB_KeyType2, *CB_KeyType3, *CB_KeyType4;
    QComboBox *CB_WepEncryp1, *CB_WepEncryp2, *CB_WepEncryp3, *CB_WepEncryp4;
    CvEdit *Ed_Key1, *Ed_Key2, *Ed_Key3, *Ed_Key4;
    CvEdit* Ed_ConfirmKey;

    QGroupBox* GroupBox6;
    QComboBox *CB_WPAMode, *CB_CipherType;
    CvEdit *Ed_UpdateInterval, *Ed_Passphrase, *Ed_ConfirmPass;
    QLabel *La_Passphrase, *La_ConfirmPass;
    QGroupBox* GroupBox2;
    CvEdit *Edt_RadiusServer, *Edt_RadiusPort, *Edt_RadiusSecret;
    QComboBox* CB_NetProtect;

    QGroupBox* GroupBox3;
    CvEdit *Ed_ReMAddra0, *Ed_ReMAddra1, *Ed_ReMAddra2, *Ed_ReMAddra3, *Ed_ReMAddra4, *Ed_ReMAddra5,
        *Ed_ReMAddra6, *Ed_ReMAddra7;

    QGroupBox* GroupBox4;
    QPushButton* SiteScan;
    CvListView *SiteServeyListView1, *wdsSiteServeyListView;

    QPushButton *Bt_Apply, *Bt_Refresh, *Bt_Close;
    CvStatusBar* StatusBar;

    // Raw values for the requests, never shown.
    QComboBox *CB_dot11Authentication, *CB_Clipher, *CB_Auther, *CB_MultEnable, *CB_VlanStatus,
        *CB_WMode1, *CB_WMode2, *CB_DeviceApplySetting, *CB_RemoveMac, *CB_SiteScan,
        *CB_WDSSiteScan;
    CvEdit *Ed_Channel, *Ed_Channeldatabase, *Ed_ChanListA, *Ed_ChanListG, *Ed_ChanListW,
        *Ed_APModeStatus;
    CvListView *Lv_RemoteMac, *MssidListView;
    QTimer* Timer;

    std::unique_ptr<CvSNMPRequest2Edits> reqVlanStatus, reqMssidTable, reqApplySetting, reqWireless,
        reqDataBaseChannel, reqChannelLists, reqWifiMode, reqMssidState, reqApModeStatus,
        reqAuthentication, reqWepKey1, reqWepKey2, reqWepKey3, reqWepKey4, reqPassphrase, reqRadius,
        reqWdsMacAdd, reqWdsMacList, reqWdsMacDeleteAll;
    // Adds the peers of the hidden fields 5 to 8, as reqWdsMacAdd adds those of fields 1 to 4.
    std::unique_ptr<CvSNMPRequest2Edits> reqWdsMacAddMore;
    std::unique_ptr<CvSNMPRequest2Edits> reqSiteSurveyRefresh, reqSiteSurveyTable,
        reqWdsSurveyRefresh, reqWdsSurveyTable;

    bool requestsBuilt = false;
    int savedBandIndex = -1;
    int savedApModeIndex = 0;
    int savedSsidBroadcastIndex = 0, savedChannelIndex = 0;
    bool readAsWirelessClient = false;
    QString savedSecurityText;
    QString savedPassphraseText, savedUpdateIntervalText, savedRadiusSecretText;
    int securityIndexAp = 0, securityIndexWdsAp = 0, securityIndexWds = 0;
    int savedCipherIndex = 0, savedAutherIndex = 0;
    bool vlanWarned = false;

    void FormCreate();
    void FormShow();
    void Bt_RefreshClick();
    void Bt_CloseClick();
    void Bt_ApplyClick();
    void SetItemsWritable(bool writable);
    void SaveWithoutMultiSSID();
    void SaveWithMultiSSID();

    void SiteScanClick();
    void SiteServeyListView1Click();
    void wdsSiteServeyListViewClick();
    void BuildSiteSurveyRequests();
    void BuildWdsSiteSurveyRequests();
    void OnSurveyRefreshDone(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    void OnSurveyTableDone(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    bool AddSurveyMacToWds(const QString& mac);

    void CB_APModeChange();
    void CB_SecurityModeChange();
    void CB_BandChange();
    void CB_ChanalChange();
    void CB_AuScClick();
    void CB_DefaultKeyChange();
    void CB_KeyType1Change();
    void CB_WepEncryp1Change();
    void CB_dot11EncryptionChange();
    void CB_AutherChange();
    void CB_CipherTypeChange();
    void CB_WPAModeChange() {}
    void CB_IEmodeChange() {}
    void CB_TranRateChange() {}

    void BuildVlanStatusRequest();
    void ReadMultiSSIDTable();
    void BuildWirelessRequests();
    void BuildKeyRequests();
    void BuildPassphraseRequest();
    void BuildRadiusRequest();
    void BuildWdsMacRequests();
    void SetInputLimits();
    void OnWdsListRead(CvSNMPRequest2Controls* sender, const CvSNMPError& error);

    void FillSecurityModes();
    void StoreSecurityChoice();
    void ShowSecurityGroups();
    void RestoreSecurityChoice();
    bool FillChannelList(CvEdit* listEdit, QComboBox* channelCombo, CvEdit* channelEdit);
    void UpdateChannelWidth();
    void ApplyKeyLengths();
    void ShowDefaultKeyRow();
    void SetKeySizesFromKeys();
    void CopyKeyToConfirm();
    void StoreCipherChoice();
    void CopyChannelText(QComboBox* from, CvEdit* to);
    void RefreshWdsMacEdits();
    void ClearZeroWdsMacs();

    // The eight WDS address fields, field 1 first.
    std::vector<CvEdit*> wdsMacEdits() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    QWidget* buildNetworkGroup();
    QWidget* buildKeyGroup();
    QWidget* buildPassphraseGroup();
    QWidget* buildWdsGroup();
    QWidget* buildSurveyGroup();
    void connectHandlers();
    // Runs a page routine from a user action; a request that creation never built stops it with
    // the creation failure's text in panel 0.
    void runPageRoutine(const std::function<void()>& routine);
    // The request, or a stop of the running routine when creation never built it.
    CvSNMPRequest2Edits& built(const std::unique_ptr<CvSNMPRequest2Edits>& request) const;
    std::unique_ptr<CvSNMPRequest2Edits> makeRequest(const std::vector<CvSNMPVarItem>& items,
                                                     int itemType, int keyCount, int timeout,
                                                     bool synchronous);
    // A synchronous read; the first failure since the last Refresh began is kept for its text.
    bool read(CvSNMPRequest2Edits& request);
    void applyChannelWidth(bool clientStep);
    void applyEncryptionRule();
    void showSurveyListFor(int apMode);
    void setScanButtonFromStatus();
    void fillCipherChoices();
    void warnVlanOnce();
    void save(bool multiSsidWriter);
    void enableButtons(bool enabled);
    // Ties a survey's trigger and table to their completion routines and binds its list, the
    // index column hidden.
    void bindSurveyList(CvSNMPRequest2Edits& trigger, CvSNMPRequest2Edits& table, CvListView* list);
    WirelessSaveInput saveInput(bool multiSsidWriter) const;
    CvSNMPRequest2Edits& requestFor(WirelessRequest request) const;
    void showRefusal(const WirelessRefusal& refusal);
    CvEdit* fieldEdit(WirelessField field) const;

    struct KeyRow {
        QComboBox* type;
        QComboBox* size;
        CvEdit* key;
    };
    std::vector<KeyRow> keyRows() const;
    std::vector<QWidget*> keyControls() const;

    QString creationFailure_;
    QString firstReadFailure_;
    QString lastReadMessage_;
    bool shownOnce_ = false;
};

extern TFM_Wirless* FM_Wirless;

// ---- Rules without widgets ------------------------------------------------------------------

// CB_APMode's item indexes.
constexpr int kAccessPoint = 0;
constexpr int kWdsWithAp = 1;
constexpr int kWds = 2;
constexpr int kWirelessClient = 3;

// What the security and WPA combos offer in an AP mode; empty lists outside the four modes.
struct SecurityOffer {
    QStringList securityModes;
    QStringList wpaModes;
    bool wpaEnabled = true;
};
SecurityOffer wirelessSecurityOffer(int apMode, bool multiSsidOn);

// The visible choice for an authentication value; an empty WPA text stands for the first item.
struct SecurityChoice {
    QString securityMode;
    QString wpaMode;
};
// The choice shown for the authentication option text read ("wpa2-psk"), with each mode's
// fallback; none when the combos stay without a selection.
std::optional<SecurityChoice> wirelessSecurityFromAuthentication(const QString& authentication,
                                                                 int apMode, bool multiSsidOn);
// The authentication option text for a chosen pair, when the AP mode offers it; empty otherwise.
QString wirelessAuthenticationFromChoice(int apMode, bool multiSsidOn, const QString& securityMode,
                                         const QString& wpaMode);
// The cipher items of the passphrase group and whether the combo is enabled.
QStringList wirelessCipherChoices(int apMode);
bool wirelessCipherEnabled(int apMode);
// The cipher combo's text as CB_Clipher's index (auto, aes, tkip); -1 leaves it.
int wirelessCipherIndex(const QString& cipherText);

// The channel list split at single blanks, the item holding the channel and whether one did.
struct ChannelList {
    QStringList items;
    int selected = 0;
    bool matched = false;
};
ChannelList tokenizeChannelList(const QString& list, const QString& channel);

// Whether the channel width is forced to "20MHz": a Wi-Fi mode without 802.11n (index 1 of
// either list), an edge channel, or WEP.
bool channelWidthForced20(int wifiMode24Index, int wifiMode5Index, const QString& channel,
                          const QString& securityMode, int encryptionIndex);

// A key's maximum length for its type (1 HEX, else ASCII) and size (1 "128Bits", else 64).
int wepKeyLength(int keyTypeIndex, int keySizeIndex);
// The size index a key of this length shows: 1 for 26 HEX or 13 ASCII characters, else 0; -1
// without a key type.
int wepKeySizeIndex(int keyTypeIndex, int keyLength);
// Only asterisks, as many as its length (the empty text too): a key the device masked.
bool isMaskedKey(const QString& text);
// A character code of 128 or more.
bool hasNonAsciiChar(const QString& text);

// What showing the security groups does for an AP mode and the chosen security text.
enum class Shown { Keep, Show, Hide };
struct SecurityGroups {
    Shown wds = Shown::Keep, survey = Shown::Keep, keys = Shown::Keep, passphrase = Shown::Keep;
    QString wdsCaption;
    bool autoScanRule = false;           // the channel follows auto scan
    bool autoScanForcedOff = false;      // auto scan Disable, greyed
    bool ssidBroadcastForcedOn = false;  // visibility Enable, greyed
    bool channelGreyed = false;
    bool widthForcedAuto = false;     // "Auto 20/40 MHz", greyed
    bool encryptionForcedOn = false;  // "Enable", greyed
    QString passphraseCaption;
    bool passphraseRows = false, radius = false, fillCipher = false;
    bool wpaModeForcedFirst = false, intervalGreyed = false;
};
SecurityGroups wirelessSecurityGroups(int apMode, const QString& securityMode);

// ---- Saving ---------------------------------------------------------------------------------

// The controls a refused Save focuses or empties.
enum class WirelessField : int {
    None,
    Ssid,
    Key1,
    Key2,
    Key3,
    Key4,
    ConfirmKey,
    Interval,
    Passphrase,
    RadiusServer,
    RadiusPort,
    RadiusSecret,
    Mac1,
    Mac2,
    Mac3,
    Mac4,
    Mac5,
    Mac6,
    Mac7,
    Mac8
};
struct WirelessRefusal {
    QString message;
    QString caption;  // empty: the plain message box
    WirelessField focus = WirelessField::None;
    WirelessField emptied = WirelessField::None;
    bool tidyMacs = false;  // the WDS fields are tidied afterwards
};
using WirelessCheck = std::optional<WirelessRefusal>;

WirelessCheck checkWirelessSsid(const QString& ssid);
// Fields 1 to 8, folded to upper case; a later field equal to an earlier one, neither empty nor
// all zeros, is refused.
WirelessCheck checkWdsMacDuplicates(const QStringList& macs);
WirelessCheck checkSsidAndWdsMacs(const QStringList& macs);
struct WepKeyInput {
    int type = -1;  // 1 HEX
    int size = -1;  // 1 "128Bits"
    QString text;
};
// The default key's checks: blanks, length for its type and size, hexadecimal digits, confirm.
WirelessCheck checkDefaultWepKey(int defaultKey, const QString& defaultKeyText,
                                 const WepKeyInput& key, const QString& confirm);
WirelessCheck checkUpdateInterval(const QString& interval);
// lengthFirst: the length is checked before the blanks.
WirelessCheck checkPassphrase(const QString& passphrase, const QString& confirm, bool lengthFirst);
// multiSsidWriter: one port test that also empties the port.
WirelessCheck checkRadius(const QString& server, const QString& port, const QString& secret,
                          bool multiSsidWriter);

// The Multi-SSID rows as shown: individual state, authentication and WEP key index texts.
struct MssidRowTexts {
    QString state, authentication, keyIndex;
};
// Another enabled SSID with open or shared security uses the default key (the primary SSID's
// row, the first, is skipped).
bool sharedKeyInUse(const std::vector<MssidRowTexts>& rows, const QString& defaultKeyText);

enum class WirelessRequest : int {
    MssidState,
    Wireless,
    Authentication,
    WepKey1,
    WepKey2,
    WepKey3,
    WepKey4,
    Passphrase,
    Radius,
    WdsMacDeleteAll,
    WdsMacAdd,
    WdsMacAddMore,
    WdsMacList
};
// One set: the items sent (the request's others stay out), whether its result counts and
// whether it is the delete-all of the WDS peers that the page arms before sending.
struct WirelessSet {
    WirelessRequest request;
    std::vector<int> items;
    bool counted = true;
    bool deletesAll = false;
    bool operator==(const WirelessSet&) const = default;
};
enum class WirelessBranch { None, Open, Wep, WpaPersonal, WpaEnterprise };

// What Save reads of the page.
struct WirelessSaveInput {
    bool multiSsidWriter = false;  // Multi-SSID showed Enable
    int apMode = -1;
    QString securityMode;
    int encryption = -1;
    int defaultKey = -1;
    QString defaultKeyText;
    std::vector<WepKeyInput> keys = std::vector<WepKeyInput>(4);
    QString confirmKey;
    QString interval, passphrase, confirmPassphrase, passphraseAsRead;
    QString radiusServer, radiusPort, radiusSecret, radiusSecretAsRead;
    QStringList macs = QStringList(8, QString());
    int band = -1, bandAsRead = -1;
    std::vector<MssidRowTexts> mssidRows;
};
struct WirelessSavePlan {
    bool disableMultiSsid = false;  // sent first, whatever follows; not counted
    WirelessCheck peerRefusal;      // the WDS peers, checked before the security branch
    WirelessBranch branch = WirelessBranch::None;
    bool sharedKeyWarning = false;  // shown before the branch's checks; the save goes on
    WirelessCheck refusal;
    bool copyChannel = false, storeCipher = false;
    std::vector<WirelessSet> sets;  // in sending order
};
WirelessSavePlan planWirelessSave(const WirelessSaveInput& input);

// ---- Site survey ----------------------------------------------------------------------------

// The survey an AP mode scans: the WDS one in the two WDS modes, the client one in Wireless
// Client, none in Access Point.
enum class SurveyKind { None, Client, Wds };
SurveyKind surveyFor(int apMode);

// A survey row's columns after the hidden index, as CvListView::SubItem numbers them.
enum SurveyColumn { kSurveyChannel = 0, kSurveySignal, kSurveyBssid, kSurveySecurity, kSurveySsid };

// Where a surveyed address goes among the eight WDS fields: the first free one (empty, all
// zeros or not 12 characters), -1 when it is no 12-character address, already held (duplicate)
// or all eight are full.
struct SurveyMacPlace {
    int field = -1;
    bool duplicate = false;
};
SurveyMacPlace placeSurveyMac(const QStringList& fields, const QString& mac);
