#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QPushButton;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Edits;
struct CvSNMPVarItem;

// What sets the WLAN and the Ethernet counter pages apart.
struct TrafficCounterConfig {
    struct Counter {
        const char* oid;
        const char* name;
        const char* editName;
        const char* label;
        bool received;  // in the second group
    };
    const char* caption;
    const char* transmittedGroup;
    const char* receivedGroup;
    std::vector<Counter> counters;
    const char* clearOid;
    const char* clearName;
    const char* readOk;
    const char* readError;
    const char* refreshOk;
    const char* refreshError;
};

// The traffic counter pages: read-only counters read at creation and on Refresh, and a Clear
// that sets the device's clear object and reads again.
class TrafficCounterPage : public QDialog {
    Q_OBJECT

  public:
    TrafficCounterPage(QWidget* owner, const TrafficCounterConfig& config);
    ~TrafficCounterPage() override;

    QGroupBox *GroupBox1, *GroupBox2;
    std::vector<CvEdit*> counterEdits;  // in item order
    QPushButton* Btn_Refresh;
    QPushButton* Btn_Clear;
    QComboBox* CB_Clear;
    CvStatusBar* StatusBar1;

    std::unique_ptr<CvSNMPRequest2Edits> reqCounters;
    std::unique_ptr<CvSNMPRequest2Edits> reqClear;

    // The edit that shows a counter, by its control name (Ed_TranPCount, ...).
    CvEdit* counterEdit(const QString& editName) const;

    void FormCreate();
    void Btn_RefreshClick();
    virtual void Btn_ClearClick() = 0;

  protected:
    const TrafficCounterConfig& config_;

  private:
    void buildControls();
    std::vector<CvSNMPVarItem> counterTable_, clearTable_;
};
