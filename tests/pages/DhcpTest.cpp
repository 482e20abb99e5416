#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Dhcp.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kServer = E + ".3.1.1.0";
const std::string kStaticControl = E + ".3.1.3.1.0";
const std::string kStaticDelete = E + ".3.1.3.3.0";
const std::string kPoolEnd = E + ".3.1.2.2.1.4.1";
const std::string kDomainName = E + ".3.1.2.2.1.10.1";
const std::string kStaticPool = E + ".3.1.3.2.1";

}  // namespace

TEST(DhcpRules, PoolRangeAndChecks) {
    EXPECT_EQ(poolCount("192.168.0.100", "192.168.0.199"), "100");
    EXPECT_EQ(poolEndAddress("192.168.0.100", "155"), "192.168.0.254");
    EXPECT_EQ(poolEndAddress("192.168.0.100", "1"), "192.168.0.100");
    EXPECT_EQ(poolEndAddress("", "7"), "7") << "no first address, nothing converted";
    struct Case {
        QString count, lease, mask;
        int field;
        QString message;
    };
    const QString range = "Please input a number between 1 and 254.";
    const QString lease = "Please input a number between 60 and 31536000.";
    const QString mask = "Please input valid SubMask.";
    const Case cases[] = {
        {"155", "60", "255.255.255.0", -1, ""},
        {"156", "60", "255.255.255.0", 1, "Invaild IP range!"},
        {"0", "60", "255.255.255.0", 1, range},
        {"255", "60", "255.255.255.0", 1, range},
        {"x", "60", "255.255.255.0", 1, range},
        {"1", "59", "255.255.255.0", 2, lease},
        {"1", "31536001", "255.255.255.0", 2, lease},
        {"1", "31536000", "255.0.0.0", -1, ""},
        {"1", "60", "255.0.255.0", 3, mask},
        {"1", "60", "0.0.0.0", 3, mask},
        {"1", "60", "", 3, mask},
    };
    for (const Case& c : cases) {
        const DhcpRefusal refusal = checkDynamicPool("192.168.0.100", c.count, c.lease, c.mask);
        EXPECT_EQ(refusal.field, c.field) << c.count.toStdString() << " " << c.lease.toStdString();
        EXPECT_EQ(refusal.message, c.message);
    }
    EXPECT_EQ(checkStaticEntry("192.168.0.9", "00112233445", "255.255.255.0", "h").field,
              FieldStaticMAC);
    EXPECT_EQ(staticDuplicateRow({"AA", "BB"}, 1, "BB"), -1) << "an entry's own MAC";
    EXPECT_EQ(staticDuplicateRow({"AA", "BB"}, -1, "BB"), 1);
    EXPECT_EQ(staticDuplicateRow({"AA", "BB"}, 0, "bb"), -1) << "letter case counts";
}

class DhcpPage : public PageHarness {
  protected:
    TFM_DHCP* open(bool waitForStaticRead = true) {
        TFM_DHCP* page = openPage(FM_DHCP);
        if (waitForStaticRead) {
            EXPECT_TRUE(pumpUntil([page] { return !page->staticPending; }));
        }
        return page;
    }
    // Types a complete new entry into the static edits.
    static void enterStatic(TFM_DHCP* page, const QString& ip, const QString& mac) {
        page->ED_StaticAssignIP->setText(ip);
        page->ED_StaticAssignMAC->setText(mac);
        page->ED_ComputerName->setText("host");
        page->ED_StaticSubMask->clear();
        typeText(page->ED_StaticSubMask, "255.255.255.0");
    }
    // Picks an entry of the static list, which loads it; the device's entries have no mask.
    static void pick(TFM_DHCP* page, int row) {
        page->User_ListView->SelectRow(row);
        page->ED_StaticSubMask->setText("255.255.255.0");
    }
    // Saves the static entry and waits for the re-read that follows a successful set.
    void saveStatic(TFM_DHCP* page) {
        page->Btn_Add->click();
        EXPECT_TRUE(pumpUntil([page] { return page->Btn_Add->isEnabled(); }));
    }
    // The instance (row index) the static pool set of one PDU wrote.
    static std::string instanceOf(const SimSetRecord& set) {
        return set.vbs.at(0).oid.substr(kStaticPool.size() + 3);
    }
};

TEST_F(DhcpPage, DynamicPoolWritesTheWholeEndAddressDisableOnlyTheSwitchAndALostSwitchNothing) {
    TFM_DHCP* page = open();
    EXPECT_EQ(page->Ed_PoolRan->text(), "100");
    EXPECT_EQ(page->StatusBar1->PanelText(0), "Get Ok! ");
    expectTidyLayout(page);
    saveScreenshot(page, "dhcp-dynamic");

    page->Ed_PoolRan->setText("156");
    page->Bt_Apply->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Invaild IP range!"});
    page->Ed_PoolRan->setText("155");
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(oids(log[0]), std::vector<std::string>{kServer});
    ASSERT_EQ(log[1].vbs.size(), 8u) << "the domain name goes too while its status is dynamic";
    EXPECT_EQ(log[1].vbs[1].value, "192.168.0.254");
    EXPECT_EQ(page->Ed_PoolRan->text(), "155");
    EXPECT_EQ(page->StatusBar1->PanelText(0), "Setting Success!");

    choose(page->CB_Fuction2, 0);
    EXPECT_EQ(page->CB_Fuction1->currentText(), "Disable");
    EXPECT_FALSE(page->Ed_IPAF->isEnabled());
    page->Bt_Apply->click();
    log = sets();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(oids(log[2]), std::vector<std::string>{kServer});
    EXPECT_EQ(log[2].vbs[0].value, "0");
    EXPECT_EQ(page->StatusBar1->PanelText(0), "Setting Success!");

    // A refused switch of either branch shows its refusal, and no pool follows it.
    for (const int server : {0, 1}) {
        choose(page->CB_Fuction1, server);
        page->Bt_Apply->click();
        sim().knob("fail " + kServer + " notWritable set 1");
        page->Bt_Apply->click();
        EXPECT_TRUE(page->StatusBar1->PanelText(0).contains("notWritable")) << server;
        EXPECT_EQ(oids(sets().back()), std::vector<std::string>{kServer}) << server;
    }

    setTimeScale(0.001);
    sim().knob("silence " + kServer);
    page = open();
    sim().knob("clear");
    sim().clearJournal();
    page->Bt_Apply->click();
    EXPECT_TRUE(sets().empty()) << "a lost switch read would be saved as Disable";
    EXPECT_EQ(page->StatusBar1->PanelText(0), unreadText());
}

TEST_F(DhcpPage, EachDomainNameIsGreyedWhileTheStatusNamesTheOtherAndAStaticOneIsNotWritten) {
    TFM_DHCP* page = open();
    EXPECT_TRUE(page->Ed_DomNa->isEnabled());
    EXPECT_TRUE(page->ED_StaticDNS->isEnabled());
    EXPECT_FALSE(page->ED_StaticDoname->isEnabled()) << "greyed while the status is dynamic";

    sim().knob("profile dhcp-static-dn");
    page = open();
    EXPECT_FALSE(page->Ed_DomNa->isEnabled());
    EXPECT_TRUE(page->ED_StaticDoname->isEnabled());
    page->Bt_Apply->click();
    const auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    for (const SimVarBind& vb : log[1].vbs) EXPECT_NE(vb.oid, kDomainName);
}

TEST_F(DhcpPage, NewEntryGoesToTheFirstFreeRowAndPickedEntriesKeepTheirOwnRow) {
    TFM_DHCP* page = open();
    page->PageControl1->setCurrentIndex(1);
    enterStatic(page, "192.168.0.20", "0011223344D1");
    saveStatic(page);
    ASSERT_EQ(sets().size(), 2u);
    EXPECT_EQ(oids(sets()[0]), std::vector<std::string>{kStaticControl});
    EXPECT_EQ(sets()[1].vbs.size(), 9u);
    EXPECT_EQ(instanceOf(sets()[1]), "3");
    EXPECT_EQ(page->User_ListView->RowCount(), 3);
    EXPECT_EQ(page->StatusBar2->PanelText(0), "Get OK!");
    expectTidyLayout(page);
    saveScreenshot(page, "dhcp-static");

    pick(page, 0);
    saveStatic(page);  // its own MAC again
    EXPECT_EQ(instanceOf(sets().back()), "1");
    pick(page, 0);
    page->ED_StaticAssignMAC->setText("00AABBCCDDEE");
    page->Btn_Add->click();
    EXPECT_EQ(boxTexts().back(), "Reject: The MAC has already existed in IP Static pool.");
    EXPECT_EQ(sets().size(), 4u);
    ASSERT_TRUE(page->Btn_Del->isEnabled()) << "the refusal gives Delete back";
    page->Btn_Del->click();
    EXPECT_EQ(ui().boxes.size(), 1u) << "Delete waits for a pick after every save";

    page->User_ListView->SelectRow(1);
    ui().answers = {platform::BoxResult::Cancel, platform::BoxResult::Ok};
    page->Btn_Del->click();
    EXPECT_EQ(sets().size(), 4u) << "a cancelled delete sends nothing";
    page->Btn_Del->click();
    EXPECT_EQ(oids(sets().back()), std::vector<std::string>{kStaticDelete});
    EXPECT_EQ(sets().back().vbs[0].value, "2");
    EXPECT_EQ(page->StatusBar2->PanelText(0), "Delete OK!");

    ASSERT_TRUE(pumpUntil([page] { return page->Btn_Add->isEnabled(); }));
    choose(page->CB_Fuction2, 0);
    page->Btn_Add->click();
    EXPECT_EQ(oids(sets().back()), std::vector<std::string>{kStaticControl});
    EXPECT_EQ(sets().back().vbs[0].value, "0");
}

TEST_F(DhcpPage, NewStaticEntrySendsNoCopyOfADynamicValueNobodyRead) {
    sim().knob("fail " + kPoolEnd + " genErr get");
    TFM_DHCP* page = open();
    enterStatic(page, "192.168.0.20", "0011223344D1");
    page->Btn_Add->click();
    ASSERT_TRUE(pumpUntil([page] { return page->StatusBar2->PanelText(0) == unreadText(); }));
    EXPECT_EQ(sets().back().vbs.size(), 5u) << "status, IP, MAC, mask and host name only";
}

TEST_F(DhcpPage, EntriesSharingAnIpOrBehindAHoleAreWrittenAtTheirOwnRow) {
    for (const char* profile : {"static-hole", "static-dup-ip"}) {
        sim().knob("clear");
        sim().knob(std::string("profile ") + profile);
        sim().clearJournal();
        TFM_DHCP* page = open();
        const int last = page->User_ListView->RowCount() - 1;
        pick(page, last);  // camera at row 3, or the clone of row 1's IP
        saveStatic(page);
        ASSERT_EQ(sets().size(), 2u) << profile;
        EXPECT_EQ(instanceOf(sets()[1]), "3") << profile;
        page->User_ListView->SelectRow(last);
        page->Btn_Del->click();
        EXPECT_EQ(sets().back().vbs.at(0).value, "3") << profile;
    }
}

TEST_F(DhcpPage, FullPoolAndRefusedDeleteWriteNoUsedRowAndSayNoSuccess) {
    sim().knob("profile static-full");
    TFM_DHCP* page = open();
    enterStatic(page, "192.168.0.20", "0011223344D1");
    page->Btn_Add->click();
    EXPECT_TRUE(sets().empty());
    EXPECT_EQ(page->StatusBar2->PanelText(0), "Setting Error!");

    sim().knob("fail " + kStaticDelete + " genErr set");
    page->User_ListView->SelectRow(0);
    page->Btn_Del->click();
    EXPECT_EQ(page->StatusBar2->PanelText(0), "Setting Error!");
}

TEST_F(DhcpPage, RefusedReadsLeaveThePageClosableAndNoSuccessText) {
    sim().knob("fail " + kStaticPool + " genErr get");
    sim().knob("fail " + kPoolEnd + " genErr get");
    TFM_DHCP* page = open(false);
    EXPECT_TRUE(page->StatusBar1->PanelText(0).contains("genErr"));
    page->close();
    EXPECT_TRUE(page->isVisible()) << "closing waits for the static pool";
    EXPECT_TRUE(pumpUntil([page] { return page->Bt_Cancel->isEnabled(); }));
    page->reject();  // Esc
    EXPECT_FALSE(page->isVisible());

    CvSNMPSession::Defaults().address = "300.1.1.1";
    page = open(false);
    EXPECT_FALSE(page->StatusBar1->PanelText(0).isEmpty());
    EXPECT_FALSE(page->Bt_Apply->isEnabled());
    enterStatic(page, "192.168.0.20", "0011223344D1");
    page->ED_StaticSubMask->setText("255.255.255.0");
    page->Btn_Add->click();
    page->Bt_RefreshDynamicPool->click();
    EXPECT_EQ(page->StatusBar3->PanelText(0), "Setting Error!");
    EXPECT_TRUE(page->Bt_RefreshDynamicPool->isEnabled());
    page->Bt_Cancel->click();
    EXPECT_FALSE(page->isVisible());
    EXPECT_TRUE(sets().empty());
}

TEST_F(DhcpPage, LeaseRefreshListsUsedRowsWithTheLeaseAsTimeTicks) {
    TFM_DHCP* page = open();
    ASSERT_TRUE(pumpUntil([page] { return page->LV_DynPool->RowCount() == 2; }));
    sim().knob("row dynamicLeases 3 2=\"tablet\" 3=0011223344B3 4=192.168.0.102 5=100");
    page->Bt_RefreshDynamicPool->click();
    ASSERT_TRUE(pumpUntil([page] { return page->LV_DynPool->RowCount() == 3; }));
    EXPECT_EQ(page->LV_DynPool->Caption(2), "0011223344B3");
    EXPECT_EQ(page->LV_DynPool->SubItems(2),
              (QStringList{"192.168.0.102", "0 days, 00:00:01.00", "tablet"}));
    EXPECT_EQ(oids(sets().at(0)), std::vector<std::string>{E + ".3.1.4.1.0"});
    EXPECT_EQ(page->StatusBar4->PanelText(0), "Get OK");
    page->PageControl1->setCurrentIndex(2);
    expectTidyLayout(page);
    saveScreenshot(page, "dhcp-leases");

    // "Get OK" waits for the list; a failed dynamic read shows on its own tab.
    sim().knob("delay 300 " + E + ".3.1.4.2 get");
    page->Bt_RefreshDynamicPool->click();
    EXPECT_TRUE(pumpUntil([page] { return page->StatusBar3->PanelText(0) == "Setting Sucess!"; }));
    sim().knob("clear");
    sim().knob("fail " + E + ".3.1.4.2 genErr get");
    page->Bt_RefreshDynamicPool->click();
    EXPECT_TRUE(pumpUntil([page] { return page->StatusBar3->PanelText(0) == "Setting Error!"; }));

    sim().knob("fail " + E + ".3.1.4.3.0 genErr set");
    page->Bt_RefreshStaticPool->click();
    EXPECT_TRUE(pumpUntil([page] {
        return page->Bt_RefreshStaticPool->isEnabled() && page->Bt_RefreshDynamicPool->isEnabled();
    }));
    EXPECT_NE(sets().back().errorStatus, 0) << "the refused trigger";
}

TEST_F(DhcpPage, WirelessClientGreysBothSwitches) {
    sim().knob("profile client");
    TFM_DHCP* page = open();
    EXPECT_FALSE(page->CB_Fuction1->isEnabled());
    EXPECT_FALSE(page->CB_Fuction2->isEnabled());
}
