#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "pages/common/PageForm.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class CvEdit;
class CvStatusBar;
struct CvSNMPVarItem;

// Advanced \ Performance: the radio's advanced settings for the band the device uses now.
class TFM_Performace : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Performace(QWidget* owner = nullptr);
    ~TFM_Performace() override;

    QTabWidget* PageControl1;
    QGroupBox* GroupBox1;
    QComboBox *CB_Radio, *CB_WMode1, *CB_WMode2, *CB_DRate, *CB_TranPa, *CB_WMM;
    QComboBox *CB_ShortGI, *CB_IGMPSnooping, *CB_Grouping;
    CvEdit *Ed_BeInta, *Ed_DTIMa, *Ed_AckTimeOut, *Ed_ULimit;
    QLabel* Label_Ack;
    QPushButton* Bt_Apply_a;
    QPushButton* Bt_Refresh_a;
    CvStatusBar* StatusBar;

    // Raw device values the rules read; never shown.
    CvEdit *Ed_TRate, *Ed_24GDataRateList, *Ed_5GDataRateList, *Ed_Freqa;
    QComboBox *CB_Wireless, *CB_ApMode, *CB_ChanWidth, *CB_SecurityMode, *CB_dot11Encryption;
    QComboBox *CB_Clipher, *CB_DeviceApplySetting, *CB_Link;
    QLabel* Label14;

    std::unique_ptr<CvSNMPRequest2Edits> reqMain;
    std::unique_ptr<CvSNMPRequest2Edits> reqApplySetting;
    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqChanWidth;
    std::unique_ptr<CvSNMPRequest2Edits> reqBand;
    std::unique_ptr<CvSNMPRequest2Edits> reqWifiMode;  // none while the band is unknown
    std::unique_ptr<CvSNMPRequest2Edits> reqAuthentication;
    std::unique_ptr<CvSNMPRequest2Edits> reqCipher;

    void FormCreate();
    void Bt_Apply_aClick();
    void Bt_Refresh_aClick();
    void CB_WMode1Change();
    void CB_WMode2Change();
    void CB_GroupingChange();
    void CB_DRateChange();
    void UpdateBandControls();
    void FillDataRateList(QComboBox* dataRate, int rateBand, bool with80211n);

  private:
    void buildControls();
    // A request over single values that keeps the first failure of the page's current step.
    std::unique_ptr<CvSNMPRequest2Edits> makeRequestKeepingFailure(const CvSNMPVarItem* table,
                                                                   RequestMode mode, int timeout);
    void buildWifiModeRequest();
    // The mode combo of the band read at creation; null while the band is neither 0 nor 1.
    QComboBox* modeCombo() const;
    void modeRule(QComboBox* combo, int comboBand);
    void setMain(const std::vector<int>& items);
    void setStep(CvSNMPRequest2Edits* request);

    int band = -1;
    int apMode = -1;
    // The first read or set that failed since the step began.
    ActionOutcome outcome_;
    // What a failed set of a Save shows; a failed read shows its own message.
    QString failureText_;
};

extern TFM_Performace* FM_Performace;

// ---- Rules, without widgets ----------------------------------------------------------------

constexpr int kBand24 = 0;
constexpr int kBand5 = 1;
constexpr int kApModeAccessPoint = 0;
constexpr int kApModeWdsWithAp = 1;
constexpr int kApModeWds = 2;
constexpr int kApModeClient = 3;
constexpr int kMainItemCount = 12;

// The texts of the data-rate combo for a band (0 or 1) with or without 802.11n.
QStringList dataRateItems(int band, bool with80211n);
// The item a device rate selects in a list without 802.11n; -1 for none. The rate is read as a
// number in the C locale (so "5.0" selects "5" and a decimal comma never appears); on the 5 GHz
// band " Mb" is ignored on both sides.
int dataRateSelection(const QStringList& items, int band, const QString& deviceRate);

// Under WEP the 2.4 GHz list offers only the two mixed modes.
bool wepRestrictsModes(const QString& authentication, const QString& encryption);
QStringList wepModeItems();

// Which controls the AP mode (and, in Access Point mode, the load balance) leaves enabled.
struct PerformanceEnabling {
    bool grouping = true;
    bool userLimit = true;
    bool igmpSnooping = true;
    bool modeRateBeaconDtim = true;  // the mode combo, data rate, beacon and DTIM
};
PerformanceEnabling performanceEnabling(int apMode, int loadBalance);

// The first field Save refuses, with its message; None when all pass.
enum class PerformanceField { None, UserLimit, Beacon, Dtim, AckTimeOut };
struct PerformanceRefusal {
    PerformanceField field = PerformanceField::None;
    QString message;
};
PerformanceRefusal checkPerformanceInput(int apMode, int band, const QString& userLimit,
                                         const QString& beacon, const QString& dtim,
                                         const QString& ackTimeOut);

// Which main items (by number) and whether the Wi-Fi mode item take part in a save.
struct PerformanceSavePlan {
    std::vector<int> mainItems;
    bool wifiMode = true;
};
PerformanceSavePlan planPerformanceSave(int apMode, int loadBalance);

// A whole number from low to high, as the range checks want it.
bool wholeNumberIn(const QString& text, int low, int high);
