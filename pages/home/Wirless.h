#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "pages/common/PageForm.h"

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
    // -1 (and nullopt) when no read of this visit gave the value nor anyone chose it.
    int savedSsidBroadcastIndex = -1, savedChannelIndex = -1;
    bool readAsWirelessClient = false;
    QString savedSecurityText;
    QString savedPassphraseText, savedRadiusSecretText;
    std::optional<QString> savedUpdateInterval;
    int securityIndexAp = 0, securityIndexWdsAp = 0, securityIndexWds = 0;
    int savedCipherIndex = 0, savedAutherIndex = 0;
    bool vlanWarned = false;

    void FormCreate();
    void FormShow();
    void Bt_RefreshClick();
    // Reads every setting again, as Refresh and a successful Save do.
    void RefreshSettings();
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
    // A request whose synchronous failures leave their text for the page's outcome.
    std::unique_ptr<CvSNMPRequest2Edits> makeRequestKeepingFailure(
        const std::vector<CvSNMPVarItem>& items, int itemType, int keyCount, RequestMode mode,
        int timeout);
    // A synchronous read; a failure counts for the action's outcome.
    bool read(CvSNMPRequest2Edits& request);
    // What the last synchronous request reported; a failure of the access layer that reported
    // nothing counts as -528.
    CvSNMPError lastFailure() const;
    // The action's OK text once the peer list's answer is in, or the failure it met, at once.
    void showOutcome(const QString& okText);
    // The security choice, and for WPA its mode, came from the authentication read or the user.
    bool securityKnown() const;
    void applyChannelWidth(bool clientStep);
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
    ActionOutcome outcome_;
    CvSNMPError lastOutcome_;
    bool shownOnce_ = false;
};

extern TFM_Wirless* FM_Wirless;
