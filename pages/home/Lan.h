#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Edits;

// Home \ LAN: how the device takes its LAN address, and the static address itself.
class TFM_LanCfg : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_LanCfg(QWidget* owner = nullptr);
    ~TFM_LanCfg() override;

    QFrame* Panel2;
    QLabel* GetIPFrom;
    QComboBox* CB_IPFrom;
    QLabel *LA_IPAddress, *LA_SubnetMask, *LA_DefGW;
    CvEdit *ED_IpAddr, *ED_SubMask, *ED_DefGw;
    CvEdit *Ed_IPAF, *Ed_IPEND;
    QFrame* Panel1;
    CvListView* Static_ListView;
    QComboBox* CB_DeviceApplySetting;
    QPushButton* BT_LanCfgOk;
    QPushButton* BT_LanCfgCancel;
    CvStatusBar* StatusBar;

    std::unique_ptr<CvSNMPRequest2Edits> reqIPFrom;
    std::unique_ptr<CvSNMPRequest2Edits> reqLanAddress;
    std::unique_ptr<CvSNMPRequest2Edits> reqDhcpPool;
    std::unique_ptr<CvSNMPRequest2Edits> reqStaticPool;
    std::unique_ptr<CvSNMPRequest2Edits> reqApplySetting;

    // CB_IPFrom's item index as read when the page was built: 0 static, 1 DHCP.
    int32_t savedIPFrom = 0;

    void FormCreate();
    void FormClose();
    void BT_LanCfgOkClick();
    void BT_LanCfgCancelClick();
    void CB_IPFromChange();

    void done(int result) override;

  private:
    void buildControls();
    void buildRequests();
    // The three labels and three edits of the address rows.
    std::vector<QWidget*> addressRows() const;
    void applyRowRule();
    bool setAddressRequest();
    // savedIPFrom is the mode the device was read in, not the page's starting value.
    bool savedIPFromRead_ = false;
};

extern TFM_LanCfg* FM_LanCfg;

// CB_IPFrom's item indexes; a mode never read is none of them.
constexpr int kIPFromUnread = -1;
constexpr int kIPFromStatic = 0;
constexpr int kIPFromDhcp = 1;

// The requests the LAN page sets, in the order it sends them.
enum class LanRequest { IPFrom, LanAddress };

// Why the LAN page refuses to save.
enum class LanRefusal { None, Address, Mask };

struct LanSavePlan {
    LanRefusal refusal = LanRefusal::None;
    std::vector<LanRequest> sets;  // empty: nothing is sent and nothing is shown
    // The sets would rest on a mode never read: nothing is sent, and the user is told why.
    bool unread = false;
};

// What Save does for the mode chosen now and the mode read when the page was built. The address
// and mask are checked only when a static address is chosen; the gateway never is. Either mode
// unread (kIPFromUnread) decides nothing.
LanSavePlan planLanSave(int chosenIPFrom, int savedIPFrom, const QString& address,
                        const QString& mask);

// The address rows are shown for every mode but DHCP.
bool lanAddressRowsVisible(int chosenIPFrom);

// The message of a refusal, shown in a box captioned "Warning".
QString lanRefusalMessage(LanRefusal refusal);
