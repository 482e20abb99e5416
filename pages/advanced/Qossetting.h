#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pages/common/PageForm.h"

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
struct CvSNMPError;

// Advanced \ QoS Settings: the QoS switch, the two priority classifiers and the table of rules.
class TFM_QosSetting : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_QosSetting(QWidget* owner = nullptr);
    ~TFM_QosSetting() override;

    QComboBox* CB_EnableQos;
    QCheckBox *CheckBox_Http, *CheckBox_Automatic;
    CvListView* LV_QosRulesUser;
    CvEdit* Ed_QosName;
    QComboBox *CB_Priority, *CB_Protocol;
    CvEdit* Ed_ProtocolName;
    CvEdit *Ed_IpFrom1, *Ed_IpTo1, *Ed_PortFrom1, *Ed_PortTo1;
    CvEdit *Ed_IpFrom2, *Ed_IpTo2, *Ed_PortFrom2, *Ed_PortTo2;
    QPushButton *Btn_Add, *Btn_Clear, *Btn_Del, *Btn_Apply;
    CvStatusBar* StatusBar;

    // Hidden: the full rule list and the controls of the items the user does not edit.
    CvListView* LV_QosRules;
    QLabel* LB_Index;
    QComboBox *CB_QosRulesState, *CB_APMode;
    CvEdit *Ed_HostOneIpRange, *Ed_HostOnePortRange, *Ed_HostTowIpRange, *Ed_HostTowPortRange;
    CvEdit* Ed_QosRuleDel;
    CvListView* FStateListView;

    int FRuleCount = 0;
    int FButtonMode = 2;
    // One combo and one state OID per listed rule, rebuilt by each Save with QoS on.
    std::vector<std::unique_ptr<QComboBox>> FStateCombos;
    std::vector<std::string> FStateOids;

    std::unique_ptr<CvSNMPRequest2Edits> reqApMode;
    std::unique_ptr<CvSNMPRequest2Edits> reqQosStatus;
    std::unique_ptr<CvSNMPRequest2Edits> reqQosClassifiers;
    std::unique_ptr<CvSNMPRequest2Edits> reqQosRuleDelete;
    std::unique_ptr<CvSNMPRequest2Edits> reqQosRules;
    std::unique_ptr<CvSNMPRequest2Edits> reqRuleStates;

    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void CB_EnableQosChange();
    void CB_ProtocolChange();
    void LV_QosRulesUserClick();
    void Btn_AddClick();
    void Btn_ClearClick();
    void Btn_DelClick();
    void Btn_ApplyClick();

    void SetRuleItemsIncluded(bool included);
    void FillRuleList();
    void SetButtonMode(int mode);
    bool NoRuleChecked() const;
    void BuildRuleStateOids(int count);
    void OnRulesRead(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    void OnRulesSet(CvSNMPRequest2Controls* sender, const CvSNMPError& error);

    static uint32_t IpEditToNumber(const QString& text);
    static int IpRangeCount(const QString& start, const QString& end);
    static int PortRangeCount(const QString& start, const QString& end);

    void done(int result) override;

  private:
    // The opening's, a Save's, an Add's or a Delete's reads and sets, the rule list's included.
    ActionOutcome outcome_;
    void buildControls();
    QWidget* buildRuleEditor();
    void addRule(bool withState);
    bool saveRuleStates();
    void readRules();
    void enableAfterFailure();
    int firstFreeRow() const;
    std::vector<QLineEdit*> addressAndPortEdits() const;

    bool readOnce_ = false;  // a table read has succeeded since the page opened
};

extern TFM_QosSetting* FM_QosSetting;

// The page handles this many rules; a device listing more counts as full.
constexpr int kQosMaxRules = 64;

// What a protocol choice does to the protocol number and the port edits.
struct QosProtocolRule {
    QString number;  // the number written for it; empty: the user types it
    bool numberEditable = false;
    bool portsEnabled = false;
};
QosProtocolRule qosProtocolRule(const QString& protocol);

// The five texts of a shown rule row and its check mark, from the full list's cells in item
// order (index, state, name, priority, ... host-2 port range).
QStringList qosRuleTexts(const QStringList& cells);
bool qosRuleChecked(const QStringList& cells);

// The texts of the edits an Add checks and fills, in the order of the rule table's items.
struct QosRuleEdits {
    QString name, ipFrom1, ipTo1, ipRange1, portFrom1, portTo1, portRange1;
    QString ipFrom2, ipTo2, ipRange2, portFrom2, portTo2, portRange2;
    int protocolIndex = 0;  // CB_Protocol: 0 Any, 1 TCP, 2 UDP, 3 Both, 4 ICMP, 5 Other
};

enum class QosField {
    None,
    Name,
    IpFrom1,
    IpTo1,
    PortFrom1,
    PortTo1,
    IpFrom2,
    IpTo2,
    PortFrom2,
    PortTo2
};

struct QosAddPlan {
    QosRuleEdits edits;  // as the checks leave them: empty ends filled in, refused texts emptied
    QString message, caption;  // a refusal, shown in a box; empty when the rule passes
    QosField focus = QosField::None;
    QString conversionError;          // a number that does not convert ends the Add with this text
    std::array<bool, 18> included{};  // rule-table items that take part in the set
    bool passes() const { return message.isEmpty() && conversionError.isEmpty(); }
};
// The checks of an Add in their order; withState: the state item takes part too.
QosAddPlan planQosAdd(const QosRuleEdits& edits, bool withState);
