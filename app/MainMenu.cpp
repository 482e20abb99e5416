// The menu handlers that open pages. A page joins the menu in two small edits here: include its
// header below, and give its handler's entry in pageOpeners() an opener instead of null, e.g.
//     {&TMainForm::hLan1Click, [] { openPage(FM_LanCfg); }},
// An entry whose opener is null keeps its menu item disabled. A handler that does more than open
// its page (the band and radio re-reads) keeps that below, outside the table.

#include "app/MainMenu.h"

#include <vector>

#include "app/Main.h"
#include "pages/advanced/Dhcp.h"
#include "pages/advanced/Filtermacacl.h"
#include "pages/advanced/Filterwlanpartition.h"
#include "pages/advanced/Group.h"
#include "pages/advanced/Multissid2.h"
#include "pages/advanced/Performace.h"
#include "pages/advanced/Qossetting.h"
#include "pages/advanced/Rogueap.h"
#include "pages/advanced/Scheduling.h"
#include "pages/advanced/Vlansetting.h"
#include "pages/home/Information.h"
#include "pages/home/Lan.h"
#include "pages/home/Wirless.h"
#include "pages/tools/About.h"
#include "pages/tools/Admin2.h"
#include "pages/tools/Cfghis.h"
#include "pages/tools/Clientinfo.h"
#include "pages/tools/Devinfo.h"
#include "pages/tools/Firmware.h"
#include "pages/tools/Logset.h"
#include "pages/tools/Static.h"
#include "pages/tools/Statwlan.h"
#include "pages/tools/System.h"
#include "pages/tools/Systemlog.h"
#include "pages/tools/Timedlg.h"
#include "pages/tools/Wdsinfo.h"

namespace {

struct PageOpener {
    TMainForm::Handler handler;
    void (*open)();
};

const std::vector<PageOpener>& pageOpeners() {
    static const std::vector<PageOpener> openers = {
        {&TMainForm::Information1Click, [] { openPage(FM_Information); }},
        {&TMainForm::hWirelessBand1Click, [] { openPage(FM_Wirless); }},
        {&TMainForm::hLan1Click, [] { openPage(FM_LanCfg); }},
        {&TMainForm::adPerformance1Click, [] { openPage(FM_Performace); }},
        {&TMainForm::Mac1Click, [] { openPage(FM_FilterMACACL); }},
        {&TMainForm::WLANPartition1Click, [] { openPage(FM_WLANPart); }},
        {&TMainForm::Ad_MultiSSIDClick, [] { openPage(FM_MultiSSIDNewForm); }},
        {&TMainForm::DHCPServer1Click, [] { openPage(FM_DHCP); }},
        {&TMainForm::Intrusion1Click, [] { openPage(FM_RogueAP); }},
        {&TMainForm::Scheduling1Click, [] { openPage(FM_Scheduling); }},
        {&TMainForm::QosSetting1Click, [] { openPage(FM_QosSetting); }},
        {&TMainForm::VlanSetting1Click, [] { openPage(FM_VlanSetting); }},
        {&TMainForm::UserLimitClick, [] { openPage(FM_Group); }},
        {&TMainForm::tAdmin1Click, [] { openPage(FM_Admin2); }},
        {&TMainForm::tSystem1Click, [] { openPage(FM_Sytem); }},
        {&TMainForm::Firmware1Click, [] { openPage(FM_Firmware); }},
        {&TMainForm::TimeClick, [] { openPage(FM_Time); }},
        {&TMainForm::tUpdate1Click, [] { openPage(FM_CfgFile); }},
        {&TMainForm::stEthernet1Click, [] { openPage(FM_DevInfo); }},
        {&TMainForm::Client1Click, [] { openPage(ClientInformation); }},
        {&TMainForm::WDSInformation1Click, [] { openPage(FM_WDSInfo); }},
        {&TMainForm::Ethernet1Click, [] { openPage(FM_Static); }},
        {&TMainForm::WLAN1Click, [] { openPage(FM_StatWLAN); }},
        {&TMainForm::ViewLog1Click, [] { openPage(LogForm); }},
        {&TMainForm::LogSettings1Click, [] { openPage(LogSetForm); }},
        {&TMainForm::About1Click, [] { openUnstoredPage<TAboutForm>(); }},
    };
    return openers;
}

const PageOpener* openerOf(TMainForm::Handler handler) {
    for (const PageOpener& opener : pageOpeners())
        if (opener.handler == handler) return &opener;
    return nullptr;
}

}  // namespace

bool TMainForm::PageBuilt(Handler handler) {
    const PageOpener* opener = openerOf(handler);
    return opener == nullptr || opener->open != nullptr;
}

void TMainForm::runPage(Handler handler) {
    const PageOpener* opener = openerOf(handler);
    if (opener && opener->open) opener->open();
}

void TMainForm::Information1Click() {
    runPage(&TMainForm::Information1Click);
}
void TMainForm::hLan1Click() {
    runPage(&TMainForm::hLan1Click);
}
void TMainForm::Mac1Click() {
    runPage(&TMainForm::Mac1Click);
}
void TMainForm::WLANPartition1Click() {
    runPage(&TMainForm::WLANPartition1Click);
}
void TMainForm::Ad_MultiSSIDClick() {
    runPage(&TMainForm::Ad_MultiSSIDClick);
}
void TMainForm::DHCPServer1Click() {
    runPage(&TMainForm::DHCPServer1Click);
}
void TMainForm::Intrusion1Click() {
    runPage(&TMainForm::Intrusion1Click);
}
void TMainForm::Scheduling1Click() {
    runPage(&TMainForm::Scheduling1Click);
}
void TMainForm::QosSetting1Click() {
    runPage(&TMainForm::QosSetting1Click);
}
void TMainForm::VlanSetting1Click() {
    runPage(&TMainForm::VlanSetting1Click);
}
void TMainForm::UserLimitClick() {
    runPage(&TMainForm::UserLimitClick);
}
void TMainForm::tAdmin1Click() {
    runPage(&TMainForm::tAdmin1Click);
}
void TMainForm::tSystem1Click() {
    runPage(&TMainForm::tSystem1Click);
}
void TMainForm::Firmware1Click() {
    runPage(&TMainForm::Firmware1Click);
}
void TMainForm::TimeClick() {
    runPage(&TMainForm::TimeClick);
}
void TMainForm::tUpdate1Click() {
    runPage(&TMainForm::tUpdate1Click);
}
void TMainForm::stEthernet1Click() {
    runPage(&TMainForm::stEthernet1Click);
}
void TMainForm::Client1Click() {
    runPage(&TMainForm::Client1Click);
}
void TMainForm::WDSInformation1Click() {
    runPage(&TMainForm::WDSInformation1Click);
}
void TMainForm::Ethernet1Click() {
    runPage(&TMainForm::Ethernet1Click);
}
void TMainForm::WLAN1Click() {
    runPage(&TMainForm::WLAN1Click);
}
void TMainForm::ViewLog1Click() {
    runPage(&TMainForm::ViewLog1Click);
}
void TMainForm::LogSettings1Click() {
    runPage(&TMainForm::LogSettings1Click);
}
void TMainForm::About1Click() {
    runPage(&TMainForm::About1Click);
}

void TMainForm::hWirelessBand1Click() {
    runPage(&TMainForm::hWirelessBand1Click);
    readBand();
}

void TMainForm::adPerformance1Click() {
    runPage(&TMainForm::adPerformance1Click);
    readRadio();
}
