#include "pages/tools/Statwlan.h"

#include <QComboBox>
#include <QPushButton>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/common/PageForm.h"

TFM_StatWLAN* FM_StatWLAN = nullptr;

namespace {

#define WLAN_COUNTER(column) "1.3.6.1.4.1.32473.10.37.38.5.2.2.1.1.1." #column ".1"

const TrafficCounterConfig wlanConfig{
    "Status \\ Stats \\ WLAN ",
    "Transmitted Count ",
    "Received Count",
    {
        {WLAN_COUNTER(19), "dot11TransmittedPacketCount", "Ed_TranPCount",
         "Transmitted Packet Count", false},
        {WLAN_COUNTER(20), "dot11TransmittedBytesCount", "Edt_TransBCount",
         "Trasmitted Bytes Count", false},
        {WLAN_COUNTER(21), "dot11TransmittedDroppedPacketCount", "Edt_DropPCount",
         "Dropped Packet Count", false},
        {WLAN_COUNTER(22), "dot11TransmittedRetryCount", "Ed_TranReCount",
         "Transmition Retry Count", false},
        {WLAN_COUNTER(23), "dot11ReceivedPacketCount", "Edt_RecPacCount", "Received Packet Count ",
         true},
        {WLAN_COUNTER(24), "dot11ReceivedBytesCount", "Edt_RecByCount", "Received Bytes Count ",
         true},
        {WLAN_COUNTER(25), "dot11ReceivedDroppedPacketCount", "Edt_DropPacCount",
         "Dropped Packet Count", true},
        {WLAN_COUNTER(26), "dot11ReceivedCRCCount", "Edt_RecCRCCount", "Received CRC Count ", true},
        {WLAN_COUNTER(27), "dot11ReceivedDecryptionErrorCount", "Edt_RecDecCount",
         "Received Decryption Error Count ", true},
        {WLAN_COUNTER(28), "dot11ReceivedMICErrorCount", "Edt_RecMICCount",
         "Received MIC Error Count", true},
        {WLAN_COUNTER(29), "dot11ReceivedPHYErrorCount", "Edt_RecPHYCount",
         "Received PHY Error Count", true},
    },
    WLAN_COUNTER(30),
    "dot11Clear",
    "Wlan Info Get OK!",
    "Wlan Info Get Error!",
    "Refresh Wlan Info OK!",
    "Refresh Wlan Info Error!",
};

#undef WLAN_COUNTER

}  // namespace

TFM_StatWLAN::TFM_StatWLAN(QWidget* owner) : TrafficCounterPage(owner, wlanConfig) {
    FormCreate();
    reqClear->Timeout = 10000;
    reqClear->OnAfterSet = [this](CvSNMPRequest2Controls* sender, const CvSNMPError& outcome) {
        runGuarded(StatusBar1, [&] { OnClearSet(sender, outcome); });
    };
}

void TFM_StatWLAN::Btn_ClearClick() {
    Btn_Refresh->setEnabled(false);
    Btn_Clear->setEnabled(false);
    CB_Clear->setCurrentIndex(1);
    reqClear->Set(true, true, "");
}

void TFM_StatWLAN::OnClearSet(CvSNMPRequest2Controls*, const CvSNMPError& outcome) {
    if (outcome.Code != 0) {
        StatusBar1->ShowText(QString::fromStdString(outcome.Message));
    } else {
        // Only now are the counters 0 on the device: a refused clear leaves them standing.
        for (CvEdit* edit : counterEdits) edit->setText("0");
        StatusBar1->ShowText("Clear OK");
        Btn_RefreshClick();
    }
    Btn_Refresh->setEnabled(true);
    Btn_Clear->setEnabled(true);
}
