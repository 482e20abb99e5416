#include "pages/tools/Static.h"

#include <QComboBox>

#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"

TFM_Static* FM_Static = nullptr;

namespace {

#define ETHERNET_COUNTER(column) "1.3.6.1.4.1.32473.10.37.38.5.2.1.1.1.1." #column ".1"

const TrafficCounterConfig ethernetConfig{
    "Status \\ Stats \\ Ethernet",
    "Transmitted Count",
    "Recieved Count",
    {
        {ETHERNET_COUNTER(1), "dot3TransmittedPacketCount", "Ed_TranPCount",
         "Transmitted Packet Count", false},
        {ETHERNET_COUNTER(2), "dot3TransmittedBytesCount", "Edt_TransBCount",
         "Trasmitted Bytes Count", false},
        {ETHERNET_COUNTER(3), "dot3TransmittedDroppedPacketCount", "Edt_DropPCount",
         "Dropped Packet Count ", false},
        {ETHERNET_COUNTER(4), "dot3ReceivedPacketCount", "Edt_RecPacCount",
         "Received Packet Count ", true},
        {ETHERNET_COUNTER(5), "dot3ReceivedBytesCount", "Edt_RecByCount", "Received Bytes Count ",
         true},
        {ETHERNET_COUNTER(6), "dot3ReceivedDroppedPacketCount", "Edt_DropPacCount",
         "Dropped Packet Count", true},
    },
    // The device keeps this object under the wireless statistics, not beside the counters.
    "1.3.6.1.4.1.32473.10.37.38.5.2.2.1.1.1.16.1",
    "dot3Clear",
    "Ethernet Info Get OK!",
    "Ethernet Info Get Error!",
    "Refresh Ethernet Info OK!",
    "Refresh Ethernet Info Error!",
};

#undef ETHERNET_COUNTER

}  // namespace

TFM_Static::TFM_Static(QWidget* owner) : TrafficCounterPage(owner, ethernetConfig) {
    FormCreate();
    reqClear->Mode = 0;
    reqClear->Timeout = 1000;
    clear_.attach(StatusBar1);
    clear_.watch({reqClear.get()});
}

void TFM_Static::Btn_ClearClick() {
    CB_Clear->setCurrentIndex(1);
    StatusBar1->ShowText("Ethernet Info is Clearing!");
    clear_.begin();
    const bool cleared = reqClear->Set(true, true, "");
    Btn_RefreshClick();
    // The refresh's text must not stand for a clear the device refused.
    if (cleared)
        StatusBar1->ShowText("Clear Ethernet Info is OK!");
    else
        clear_.showFailure();
}
