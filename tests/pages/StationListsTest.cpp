#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "app/MainMenu.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Clientinfo.h"
#include "pages/tools/Wdsinfo.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kClientRefresh = E + ".2.1.3.3.4.1.1.1.1";
const std::string kClientTable = E + ".2.1.3.3.4.2.1";
const std::string kWdsRefresh = E + ".2.1.3.3.5.1.1.1.1";

std::vector<QStringList> shownRows(const CvListView* list) {
    std::vector<QStringList> rows;
    for (int row = 0; row < list->RowCount(); ++row)
        rows.push_back(QStringList{list->Caption(row)} + list->SubItems(row));
    return rows;
}

}  // namespace

// ---- Fill rules ---------------------------------------------------------------------------

TEST(StationListRules, ClientRowsSkipFreeRowsWithoutGapsAndNameTheKnownAuthentications) {
    // Raw sub-items: MAC, band, authentication, signal, power saving, SSID.
    const std::vector<QStringList> raw = {
        {"000000000000", "A", "opensystem", "0", "0", ""},
        {"001122334455", "N", "wpa2-psk", "57", "1", "VRA-AP"},
        {"000000000000", "A", "opensystem", "0", "0", ""},
        {"A0B1C2D3E4F5", "G", "wpa-auto-psk", "40", "0", "Guest"},
        {"0A0B0C0D0E0F", "B", "sharedkey", "30", "2", "Lab"},
    };
    const std::vector<ListRow> expected = {
        {"1", {"VRA-AP", "001122334455", "N", "WPA2-PSK", "57", "On"}},
        {"2", {"Guest", "A0B1C2D3E4F5", "G", "wpa-auto-psk", "40", "Off"}},
        {"3", {"Lab", "0A0B0C0D0E0F", "B", "WEP", "30", "2"}},
    };
    EXPECT_EQ(clientListRows(raw), expected);
    EXPECT_TRUE(clientListRows({raw[0], raw[2]}).empty());
}

TEST(StationListRules, WdsRowsKeepEveryRowAndShowOpenPeersAsNoneOnlyWithoutEncryption) {
    // Raw sub-items: MAC, band, authentication, signal, power saving, name, connected, status.
    const std::vector<QStringList> raw = {
        {"001122AABB01", "dot11g", "opensystem", "57", "0", "Peer-1", "1", "on"},
        {"000000000000", "dot11a", "0", "0", "0", "", "0", "off"},
        {"001122AABB03", "dot11n", "wpa-auto-psk", "20", "1", "Peer-3", "1", "x"},
        {"001122AABB04", "dot11n", "dot1x", "9", "1", "Peer-4", "1", "on"},
    };
    const std::vector<ListRow> off = {
        {"Peer-1", {"001122AABB01", "None", "57%", "On"}},
        {"", {"", "None", "", "Off"}},
        {"Peer-3", {"001122AABB03", "wpa2-auto-psk", "20%"}},
        {"Peer-4", {"001122AABB04", "None", "9%", "On"}},
    };
    EXPECT_EQ(wdsListRows(raw, 0), off);
    const std::vector<ListRow> on = wdsListRows(raw, 1);
    EXPECT_EQ(on[0].subItems[1], "opensystem");
    EXPECT_EQ(on[1].subItems[1], "0");
    EXPECT_EQ(on[3].subItems[1], "dot1x");
}

// ---- Client information against the simulated device --------------------------------------

class ClientInfoPage : public PageHarness {
  protected:
    TClientInformation* open() { return openPage(ClientInformation); }
    static bool settled(TClientInformation* page) {
        return pumpUntil([page] { return !page->detecting; });
    }
    int walksOfTable() {
        int walks = 0;
        for (const SimSetRecord& get : sim().gets())
            if (!get.vbs.empty() && get.vbs[0].oid.rfind(kClientTable, 0) == 0) ++walks;
        return walks;
    }
};

TEST_F(ClientInfoPage, DetectionSetsTheTriggerThenListsTheStationsAndRefreshFollowsTheDevice) {
    TClientInformation* page = open();
    EXPECT_EQ(status(page), "Detect Client Info...");
    ASSERT_TRUE(settled(page)) << status(page).toStdString();
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(oids(sets()[0]), std::vector<std::string>{kClientRefresh});
    EXPECT_EQ(sets()[0].vbs[0].value, "1");
    EXPECT_EQ(status(page), "(ViZURU++) Ok!");
    const auto rows = shownRows(page->User_ListView);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], QStringList({"1", "VRA-AP", "001122334455", "N", "WPA2-PSK", "57", "On"}));
    EXPECT_EQ(rows[1][4], "wpa-auto-psk");
    EXPECT_EQ(rows[2][4], "WEP");
    EXPECT_EQ(rows[2][6], "Off");
    EXPECT_EQ(page->NumOfRecord->text(), "3");
    EXPECT_EQ(page->Lb_Band->text(), "2.4GHZ");
    EXPECT_EQ(page->User_ListView->columnWidth(0), 0) << "the index column stays hidden";

    // Refresh walks at once and again after the trigger: each walk refills, no doubled rows.
    sim().knob("live stations 2 2=00AABBCCDD02 4=6 7=\"Lab\"");
    page->Bt_RfrshClick();
    ASSERT_TRUE(settled(page));
    ASSERT_TRUE(pumpUntil([&] { return page->NumOfRecord->text() == "4"; }));
    EXPECT_EQ(shownRows(page->User_ListView)[1][2], "00AABBCCDD02");

    expectTidyLayout(page);
    saveScreenshot(page, "client-information");
    sim().knob("empty stations");
    page->Bt_RfrshClick();
    ASSERT_TRUE(pumpUntil([&] { return !page->detecting && page->NumOfRecord->text() == "0"; }));
    EXPECT_EQ(page->User_ListView->RowCount(), 0);
}

TEST_F(ClientInfoPage, NoWayOfClosingWorksWhileDetectingAndARefusedTriggerStandsInEitherOrder) {
    sim().knob("delay 500 " + kClientRefresh + " set");
    TClientInformation* page = open();
    page->Bt_Close->click();
    page->close();
    page->reject();
    EXPECT_TRUE(page->isVisible());

    ASSERT_TRUE(settled(page));
    sim().knob("clear");
    sim().knob("fail " + kClientRefresh + " genErr set");
    // Refresh's own walk answers after the refused trigger, then before it.
    for (const std::string& held : {kClientTable + " get", kClientRefresh + " set"}) {
        sim().knob("delay 100 " + held);
        page->Bt_RfrshClick();
        ASSERT_TRUE(
            pumpUntil([&] { return !page->reqDetect->Busy() && !page->reqClientTable->Busy(); }));
        EXPECT_TRUE(status(page).startsWith("Detect timed out!(ViZURU++)")) << held;
        sim().knob("delay off");
    }
    ASSERT_TRUE(settled(page));
    page->Bt_Close->click();
    EXPECT_FALSE(page->isVisible()) << "the refused trigger must let the page close";
}

TEST_F(ClientInfoPage, SilentDeviceLetsThePageCloseOnceTheTriggerHasTimedOut) {
    qputenv("VRA2260_TIME_SCALE", "0.002");
    sim().knob("silence on");
    TClientInformation* page = open();
    qunsetenv("VRA2260_TIME_SCALE");
    EXPECT_EQ(page->Lb_Band->text(), "5GHZ") << "a failed band read shows 5GHZ";
    ASSERT_TRUE(settled(page));
    EXPECT_TRUE(status(page).startsWith("Detect timed out!"));
    EXPECT_EQ(walksOfTable(), 0);
    page->close();
    EXPECT_FALSE(page->isVisible());
}

// ---- WDS information -------------------------------------------------------------------------

class WdsInfoPage : public PageHarness {
  protected:
    TFM_WDSInfo* open() { return openPage(FM_WDSInfo); }
};

class WdsInfoInWdsMode : public WdsInfoPage, public testing::WithParamInterface<const char*> {
    std::vector<std::string> deviceArguments() const override { return {"--profile", GetParam()}; }
};

TEST_P(WdsInfoInWdsMode, TriggerThenWalkListsEveryPeerAndARefusedTriggerKeepsTheRows) {
    TFM_WDSInfo* page = open();
    ASSERT_TRUE(pumpUntil([&] { return page->WDS_ClientListView->RowCount() == 4; }))
        << status(page).toStdString();
    EXPECT_EQ(oids(sets().at(0)), std::vector<std::string>{kWdsRefresh});
    const auto rows = shownRows(page->WDS_ClientListView);
    EXPECT_EQ(rows[0], QStringList({"Peer-1", "001122AABB01", "wpa2-psk", "57%", "On"}));
    EXPECT_EQ(rows[1], QStringList({"", "", "None", "", "Off"}));
    EXPECT_EQ(rows[2], QStringList({"Peer-3", "001122AABB03", "wpa2-auto-psk", "20%", ""}));
    EXPECT_EQ(status(page), "Get Ok!");

    sim().knob("fail " + kWdsRefresh + " genErr set");
    page->Btn_Refresh->click();
    ASSERT_TRUE(pumpUntil([&] { return status(page).startsWith("Get timed out!"); }));
    EXPECT_EQ(page->WDS_ClientListView->RowCount(), 4);
    expectTidyLayout(page);
    saveScreenshot(page, QString("wds-information-") + GetParam());
}

INSTANTIATE_TEST_SUITE_P(Modes, WdsInfoInWdsMode, testing::Values("wds-ap", "wds"));

TEST_F(WdsInfoPage, OutsideTheWdsModesOnlyChannelAndFrequencyAreShownAndNothingIsSent) {
    for (const char* profile : {"", "client"}) {
        SCOPED_TRACE(profile);
        if (*profile) sim().knob(std::string("profile ") + profile);
        TFM_WDSInfo* page = open();
        page->Btn_Refresh->click();
        EXPECT_EQ(page->Lb_Channel->text(), "6");
        EXPECT_EQ(page->Lb_Band->text(), "2.437");
        EXPECT_TRUE(sets().empty());
        EXPECT_EQ(page->WDS_ClientListView->RowCount(), 0);
        EXPECT_EQ(page->reqWdsRefresh, nullptr) << "Refresh has nothing to send with";
    }
}

TEST_F(WdsInfoPage, GetOkWaitsForTheHeldWalkAndClosingMeanwhileLeavesNothingBehind) {
    sim().knob("profile wds");
    sim().knob("delay 300 " + E + ".2.1.3.3.5.2.1 get");
    TFM_WDSInfo* page = open();
    ASSERT_TRUE(pumpUntil([&] { return page->reqWdsTable->Busy(); }));
    EXPECT_NE(status(page), "Get Ok!") << "the walk has not answered";
    closePage();
    // The held answer of the closed page's walk arrives while the next page lives.
    page = open();
    ASSERT_TRUE(pumpUntil([&] { return page->WDS_ClientListView->RowCount() == 4; }));
    EXPECT_EQ(status(page), "Get Ok!");
}

// ---- Both pages on an unusable address ----------------------------------------------------

TEST_F(WdsInfoPage, UnusableAddressShowsOneBoxAndOpensNoPage) {
    CvSNMPSession::Defaults().address = "999.1.1.1";
    ::openPage(ClientInformation);
    EXPECT_EQ(ClientInformation, nullptr);
    ::openPage(FM_WDSInfo);
    EXPECT_EQ(FM_WDSInfo, nullptr);
    ASSERT_EQ(ui().boxes.size(), 2u);
    for (const auto& box : ui().boxes) {
        EXPECT_EQ(box.caption, QApplication::applicationDisplayName());
        EXPECT_TRUE(box.text.startsWith("(ViZURU++)")) << box.text.toStdString();
    }
    EXPECT_TRUE(sets().empty());
}
