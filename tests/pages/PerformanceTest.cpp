#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <algorithm>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Group.h"
#include "pages/advanced/Performace.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string R = E + ".2.1.3.3.1.1.1.";
const std::vector<std::string> kMain = {
    R + "17.1", R + "18.1", R + "21.1",         R + "25.1",         R + "32.1", R + "33.1",
    R + "23.1", R + "11.1", E + ".3.2.1.1.1.1", E + ".3.2.1.1.2.1", R + "31.1", R + "30.1"};
const std::string kWifiMode = R + "16.1";
const std::string kBand = R + "34.1";

std::vector<int> mainItems(const SimSetRecord& set) {
    std::vector<int> items;
    for (const SimVarBind& vb : set.vbs)
        items.push_back(
            static_cast<int>(std::find(kMain.begin(), kMain.end(), vb.oid) - kMain.begin()));
    return items;
}

}  // namespace

TEST(PerformanceRules, RateMatchChecksAndEnabling) {
    const QStringList rates24 = dataRateItems(kBand24, false);
    const QStringList rates5 = dataRateItems(kBand5, false);
    EXPECT_EQ(rates24.at(dataRateSelection(rates24, kBand24, "5.5")), "5.5");
    EXPECT_EQ(dataRateSelection(rates24, kBand24, "xyz"), -1);
    for (const char* rate : {"54", "54 Mb", "54.0"})
        EXPECT_EQ(rates5.value(dataRateSelection(rates5, kBand5, rate)), "54 Mb") << rate;
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(rates24.value(dataRateSelection(rates24, kBand24, "5.5")), "5.5");
    QLocale::setDefault(QLocale::c());

    using F = PerformanceField;
    struct Case {
        int apMode, band;
        QString user, beacon, dtim, ack;
        F field;
    };
    const Case cases[] = {
        {0, 0, "0", "25", "1", "64", F::None},         {0, 0, "64", "500", "15", "200", F::None},
        {0, 0, "65", "100", "1", "64", F::UserLimit},  {0, 0, "-1", "", "", "", F::UserLimit},
        {0, 0, "abc", "100", "1", "64", F::UserLimit}, {0, 0, "", "100", "1", "64", F::UserLimit},
        {0, 0, "1", "24", "1", "64", F::Beacon},       {0, 0, "1", "501", "1", "64", F::Beacon},
        {0, 0, "1", "100", "0", "64", F::Dtim},        {0, 0, "1", "100", "16", "64", F::Dtim},
        {0, 0, "1", "100", "1", "63", F::AckTimeOut},  {2, 1, "1", "100", "1", "50", F::None},
        {2, 1, "1", "100", "1", "49", F::AckTimeOut},  {3, 1, "x", "x", "x", "50", F::None},
        {3, 0, "x", "x", "x", "63", F::AckTimeOut},    {0, 2, "1", "100", "1", "63", F::AckTimeOut},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkPerformanceInput(c.apMode, c.band, c.user, c.beacon, c.dtim, c.ack).field,
                  c.field)
            << c.apMode << " " << c.user.toStdString() << " " << c.ack.toStdString();
}

class PerformancePage : public PageHarness {
  protected:
    TFM_Performace* open() { return openPage(FM_Performace); }
};

TEST_F(PerformancePage, AccessPointSendsTheItemsLoadBalanceAllowsAndEachSaveMarksAfresh) {
    TFM_Performace* page = open();
    EXPECT_EQ(status(page), "Get OK!");
    EXPECT_TRUE(page->CB_WMode1->isVisibleTo(page));
    EXPECT_FALSE(page->Ed_ULimit->isEnabled()) << "load balance reads Disable";

    choose(page->CB_Grouping, 1);
    page->Ed_ULimit->setText("65");
    page->Bt_Apply_a->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"The range of 'User Limit' is from 0 to 64"});
    EXPECT_EQ(page->Ed_ULimit->text(), "");
    EXPECT_EQ(page->focusWidget(), page->Ed_ULimit);
    EXPECT_TRUE(sets().empty());

    page->Ed_ULimit->setText("64");
    choose(page->CB_Grouping, 0);
    page->Bt_Apply_a->click();  // Disable: no user limit
    choose(page->CB_Grouping, 1);
    page->Bt_Apply_a->click();
    const auto log = sets();
    ASSERT_EQ(log.size(), 4u) << status(page).toStdString();
    EXPECT_EQ(mainItems(log[0]), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
    EXPECT_EQ(oids(log[1]), oids(log[3])) << "no apply follows";
    EXPECT_EQ(oids(log[1]), std::vector<std::string>{kWifiMode});
    EXPECT_EQ(mainItems(log[2]), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))
        << "the second save marks from scratch";
    EXPECT_EQ(log[2].vbs[9].value, "64");
    EXPECT_EQ(log[2].vbs[7].value, "Best(up to 300)");
    EXPECT_EQ(status(page), "Save OK!");
    sim().knob("fail " + kWifiMode + " genErr set 1");
    page->Bt_Apply_a->click();
    EXPECT_EQ(status(page), "Set Error!") << "a refused mode is no saved mode";
}

TEST_F(PerformancePage, WdsModesLeaveOutLoadBalanceAndUserLimit) {
    for (const char* profile : {"wds-ap", "wds"}) {
        sim().clearJournal();
        sim().knob(std::string("profile ") + profile);
        TFM_Performace* page = open();
        EXPECT_FALSE(page->CB_Grouping->isEnabled());
        EXPECT_EQ(page->CB_IGMPSnooping->isEnabled(), std::string(profile) == "wds-ap");
        page->Bt_Apply_a->click();
        ASSERT_EQ(sets().size(), 2u) << profile;
        EXPECT_EQ(mainItems(sets()[0]), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 10}));
    }
}

TEST_F(PerformancePage, WirelessClientChecksOnlyTheAckAndSendsFiveItemsAndNoModeSet) {
    sim().knob("profile client");
    EXPECT_EQ(open()->CB_ShortGI->currentText(), "Enable") << "by the Auto 20/40 MHz width";
    sim().knob("set " + R + "29.1 1");
    TFM_Performace* page = open();
    for (QWidget* off : std::initializer_list<QWidget*>{
             page->CB_WMode1, page->CB_DRate, page->Ed_BeInta, page->Ed_DTIMa, page->CB_Grouping,
             page->Ed_ULimit, page->CB_IGMPSnooping, page->CB_ShortGI})
        EXPECT_FALSE(off->isEnabled()) << off->metaObject()->className();
    EXPECT_EQ(page->CB_ShortGI->currentText(), "Disable");
    expectTidyLayout(page);
    saveScreenshot(page, "performance-client");

    page->Ed_ULimit->setText("abc");
    page->Ed_AckTimeOut->setText("63");
    page->Bt_Apply_a->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"The Ack TimeOut value range is 64~200."});
    EXPECT_EQ(page->Ed_AckTimeOut->text(), "");
    page->Ed_AckTimeOut->setText("64");
    page->Bt_Apply_a->click();
    ASSERT_EQ(sets().size(), 1u) << "no Wi-Fi mode set without its variable";
    EXPECT_EQ(mainItems(sets()[0]), (std::vector<int>{2, 3, 4, 6, 10}));
    EXPECT_EQ(status(page), "Save OK!");
    page->Bt_Refresh_a->click();
    EXPECT_EQ(status(page), "Refresh OK!");

    sim().knob("fail " + R + "29.1 genErr get");  // Short GI follows the unread channel width
    page = open();
    page->Bt_Apply_a->click();
    EXPECT_EQ(mainItems(sets().at(1)), (std::vector<int>{2, 3, 6, 10}));
}

TEST_F(PerformancePage, WepNarrowsOnly24GHzModesAndRatesWithout80211nFollowTheDevice) {
    sim().knob("profile ap-wep");
    sim().knob("set " + kWifiMode + " 2");
    TFM_Performace* page = open();
    EXPECT_EQ(page->CB_WMode1->count(), 2);
    EXPECT_EQ(page->CB_WMode1->currentIndex(), 0);

    sim().knob("set " + kMain[7] + " 5.5");
    sim().knob("set " + kWifiMode + " 3");
    page->Bt_Refresh_a->click();
    EXPECT_EQ(page->CB_DRate->currentText(), "5.5");
    EXPECT_TRUE(page->CB_DRate->isEnabled() && !page->CB_ShortGI->isEnabled());

    sim().knob("profile band5");
    sim().knob("set " + kMain[7] + " 54");
    page = open();
    EXPECT_EQ(page->Label_Ack->text(), "Ack Time Out (5GHz, 50~200)");
    ASSERT_EQ(page->CB_WMode2->count(), 3) << "the 5 GHz list stays whole";
    choose(page->CB_WMode2, 1);
    EXPECT_EQ(page->CB_DRate->currentText(), "54 Mb");
    page->Ed_AckTimeOut->setText("50");
    page->Bt_Apply_a->click();
    ASSERT_EQ(sets().size(), 2u);
    EXPECT_EQ(sets()[1].vbs.at(0).value, "7");
    expectTidyLayout(page);
    saveScreenshot(page, "performance-5");
}

TEST_F(PerformancePage, UnknownBandHidesBothModesAndAnUnreadBandModeOrApModeSendsNoGuess) {
    sim().knob("set " + kBand + " 2");
    TFM_Performace* page = open();
    EXPECT_FALSE(page->CB_WMode1->isVisibleTo(page));
    EXPECT_FALSE(page->CB_WMode2->isVisibleTo(page));
    page->Bt_Apply_a->click();
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(status(page), "Save OK!");

    sim().knob("set " + kBand + " 0");
    const std::vector<int> withoutRate = {0, 1, 2, 3, 4, 5, 6, 8, 10};
    for (const auto& [unread, items] : {std::pair{kBand, withoutRate},
                                        {kWifiMode, withoutRate},
                                        {R + "28.1", std::vector<int>{}}}) {
        sim().knob("clear");
        sim().knob("fail " + unread + " genErr get");
        sim().clearJournal();
        page = open();
        page->Bt_Apply_a->click();
        EXPECT_EQ(sets().empty() ? std::vector<int>{} : mainItems(sets()[0]), items) << unread;
        EXPECT_LE(sets().size(), 1u) << "no mode set";
        EXPECT_EQ(status(page), unreadText()) << unread;
    }
}

TEST_F(PerformancePage, RefusedReadsShowTheirTextAndAnUnusableAddressSendsNothingOnBothPages) {
    sim().knob("fail " + kBand + " genErr get 1");
    TFM_Performace* page = open();
    EXPECT_TRUE(status(page).contains("genErr")) << status(page).toStdString();
    sim().knob("fail " + kMain[0] + " genErr get 1");
    page->Bt_Refresh_a->click();
    EXPECT_TRUE(status(page).contains("genErr")) << status(page).toStdString();

    CvSNMPSession::Defaults().address = "300.1.1.1";
    page = open();
    ASSERT_EQ(ui().boxes.size(), 1u);
    EXPECT_EQ(page->StatusBar->SimpleText(), ui().boxes[0].text);
    page->Bt_Refresh_a->click();
    for (CvEdit* edit : {page->Ed_ULimit, page->Ed_BeInta, page->Ed_AckTimeOut})
        edit->setText("64");
    page->Ed_DTIMa->setText("1");
    page->Bt_Apply_a->click();
    EXPECT_EQ(status(page), unreadText()) << "no AP mode was read";

    TFM_Group* group = openPage(FM_Group);
    EXPECT_EQ(group->StatusBar->SimpleText(), ui().boxes[0].text)
        << "the user limit page shows why";
    group->Bt_Refresh->click();
    group->Bt_Apply->click();
    EXPECT_EQ(group->StatusBar->SimpleText(), unreadText());
    EXPECT_TRUE(sets().empty());
}
