#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Timedlg.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string S = "1.3.6.1.4.1.32473.10.37.38.4.8.";
const std::string kServer = S + "1.0", kZone = S + "2.0", kDaylight = S + "3.0",
                  kStatus = S + "5.0", kManual = S + "7.0";
const QDateTime k2026(QDate(2026, 3, 4), QTime(5, 6, 7));

}  // namespace

TEST(TimeRules, SetPlanDaylightZonesAndClockTexts) {
    EXPECT_EQ(planTimeSave(true, false, true), (TimeSavePlan{false, true, true, false}));
    EXPECT_EQ(planTimeSave(false, true, false), (TimeSavePlan{true, false, false, true}));
    int daylightZones = 0;
    for (int zone = 0; zone <= 76; ++zone) daylightZones += zoneAllowsDaylight(zone);
    EXPECT_EQ(daylightZones, 37);
    EXPECT_TRUE(zoneAllowsDaylight(4) && zoneAllowsDaylight(73) && !zoneAllowsDaylight(75));
    EXPECT_EQ(manualTimeText(manualTimeTexts(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 0)))),
              "12/31/2026 23:59:00");
}

class TimePage : public PageHarness {
  protected:
    void SetUp() override {
        PageHarness::SetUp();
        ui().clock = k2026;  // the PC clock the page reads, whatever today is
    }
    TFM_Time* open() { return openPage(FM_Time); }
    SimSetRecord lastSet(size_t back = 0) { return sets().at(sets().size() - 1 - back); }
};

TEST_F(TimePage, OpensWithTheDevicesValuesNtpOnSendsServerZoneStatusAndSuccessNeedsEverySet) {
    TFM_Time* page = open();
    EXPECT_EQ(page->Ed_ServerIp->text(), "") << "0.0.0.0 is shown empty";
    EXPECT_EQ(page->CB_TimeZone->currentIndex() + 1, 27);
    EXPECT_EQ(page->CB_InDays->currentText() + page->CB_StartMonth->currentText(), "+1:00Mar");
    EXPECT_FALSE(page->CheckBox_NTP->isChecked() || page->CheckBox_Daylight->isChecked());
    EXPECT_FALSE(page->Ed_ServerIp->isEnabled() || page->CB_StartMonth->isEnabled() ||
                 page->CB_InDays->isEnabled());
    EXPECT_TRUE(page->GroupBox3->isEnabled() && page->CB_Year->isEnabled());
    EXPECT_TRUE(sets().empty());

    page->CheckBox_NTP->click();
    EXPECT_TRUE(page->Ed_ServerIp->isEnabled() && !page->GroupBox3->isEnabled());
    page->CB_ServerName->setCurrentIndex(1);
    page->Btn_Convert->click();
    EXPECT_EQ(page->Ed_ServerIp->text(), kDefaultNtpServerAddress);
    page->CB_ServerName->setCurrentIndex(0);
    page->Btn_Convert->click();
    page->Btn_Apply->click();

    ASSERT_EQ(sets().size(), 1u) << "with NTP on the manual time's set would carry nothing";
    EXPECT_EQ(oids(sets()[0]), (std::vector<std::string>{kServer, kZone, kDaylight, kStatus}));
    EXPECT_EQ(sets()[0].vbs[0].value + "/" + sets()[0].vbs[3].value, "0.0.0.0/1");
    EXPECT_EQ(status(page), "Setting Success");
    EXPECT_EQ(page->Ed_ServerIp->text(), "") << "the saved 0.0.0.0 is shown empty again";

    sim().knob("fail " + kZone + " wrongValue set");
    page->Btn_Apply->click();
    EXPECT_NE(lastSet().errorStatus, 0);
    EXPECT_EQ(status(page), "Setting Error") << "although both reads succeed";
}

TEST_F(TimePage, WithTheNtpSwitchUnreadSaveSendsNoTimeUntilTheUserSetsTheSwitch) {
    for (const std::string& oid : {kStatus, kManual}) sim().knob("fail " + oid + " genErr get");
    TFM_Time* page = open();
    page->Btn_Apply->click();
    EXPECT_TRUE(sets().empty()) << "the PC's time went out while NTP may be on";
    EXPECT_EQ(status(page), unreadText());
    page->CheckBox_NTP->click();
    page->CB_ServerName->setCurrentIndex(1);
    page->Btn_Convert->click();
    page->Btn_Apply->click();
    page->CheckBox_NTP->click();
    page->Btn_Apply->click();
    EXPECT_EQ(oids(sets().at(1)), std::vector<std::string>{kStatus}) << "the rest was never read";
    EXPECT_EQ(valuesSentTo(kServer).at(0), kDefaultNtpServerAddress.toStdString()) << "picked";
    EXPECT_EQ(sets().at(2).vbs.at(0).value, "03/04/2026 05:06:07") << "the time the boxes show";
    EXPECT_EQ(status(page), unreadText());
}

TEST_F(TimePage, ManualTimeFromThePcClockAndItsRefusalsDaylightRowsAndBadServer) {
    TFM_Time* page = open();
    page->Btn_Copy->click();
    EXPECT_EQ(page->Ed_DateTime->text(), "03/04/2026 05:06:07");
    page->Btn_Apply->click();
    ASSERT_EQ(sets().size(), 2u);
    EXPECT_EQ(oids(sets()[0]), (std::vector<std::string>{kZone, kDaylight, kStatus}));
    EXPECT_EQ(oids(sets()[1]), std::vector<std::string>{kManual});
    EXPECT_EQ(sets()[1].vbs[0].value, "03/04/2026 05:06:07") << "the present year goes out";
    EXPECT_TRUE(page->LB_CurrentTime->text().startsWith("03/04/2026 05:06"))
        << page->LB_CurrentTime->text().toStdString();
    EXPECT_EQ(status(page), "Setting Success");

    ui().clock = QDateTime(QDate(2038, 3, 4), QTime(5, 6, 7));
    page->Btn_Copy->click();
    EXPECT_EQ(page->CB_Year->currentIndex(), -1);
    page->CheckBox_Daylight->click();
    page->CB_TimeZone->setCurrentIndex(0);
    emit page->CB_TimeZone->activated(0);
    EXPECT_FALSE(page->CheckBox_Daylight->isEnabled());
    EXPECT_TRUE(page->CheckBox_Daylight->isChecked());
    page->Btn_Apply->click();
    std::vector<std::string> zoneStatusDst = {kZone, kStatus};
    for (int dst = 8; dst <= 15; ++dst) zoneStatusDst.push_back(S + std::to_string(dst) + ".0");
    EXPECT_EQ(oids(lastSet(1)), zoneStatusDst) << "daylight greyed by the zone stays out";
    EXPECT_EQ(lastSet().vbs.at(0).value, "03/04/ 05:06:07") << "a year past the list goes without";
    EXPECT_NE(lastSet().errorStatus, 0);
    EXPECT_EQ(status(page), "Setting Error");

    const size_t sent = sets().size();
    page->CheckBox_NTP->click();
    page->Ed_ServerIp->setText("300.1.1.1");
    page->Btn_Apply->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Please input valid IP address"});
    EXPECT_EQ(ui().boxes[0].caption, "Waring");
    EXPECT_EQ(page->Ed_ServerIp->text(), "");
    EXPECT_EQ(page->focusWidget(), page->Ed_ServerIp);
    EXPECT_EQ(sets().size(), sent);
}

TEST_F(TimePage, UnreachableAddressIsShownAndSaveSendsNothing) {
    CvSNMPSession::Defaults().address = "999.1.1.1";
    TFM_Time* page = open();
    ASSERT_EQ(ui().boxes.size(), 1u);
    EXPECT_EQ(ui().boxes[0].caption, "Error");
    EXPECT_EQ(page->StatusBar->SimpleText(), ui().boxes[0].text);
    EXPECT_EQ(page->StatusBar->PanelCount(), 1);
    page->Btn_Apply->click();
    EXPECT_TRUE(sets().empty());
    EXPECT_EQ(status(page), "");
}

TEST_F(TimePage, Layout) {
    sim().knob("set " + kZone + " 1");
    TFM_Time* page = open();
    EXPECT_TRUE(page->CheckBox_Daylight->isEnabled()) << "the zone rule ran at opening";
    EXPECT_FALSE(page->Ed_DateTime->isVisibleTo(page) ||
                 page->CB_DeviceApplySetting->isVisibleTo(page));
    expectTidyLayout(page);
    saveScreenshot(page, "time");
    page->CheckBox_NTP->click();
    page->CheckBox_Daylight->click();
    page->Btn_Apply->click();
    ASSERT_EQ(status(page), "Setting Success");
    expectTidyLayout(page);
    saveScreenshot(page, "time-ntp-daylight");
}
