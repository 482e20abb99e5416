#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "app/Newrequest.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Filtermacacl.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kPolicy = E + ".2.1.3.3.2.3.2.1.1.1";
const std::string kAdd = E + ".2.1.3.3.2.3.2.1.2.1";
const std::string kDelete = E + ".2.1.3.3.2.3.2.1.3.1";
const std::string kRefresh = E + ".2.1.3.3.4.1.1.1.1";
const std::string kStations = E + ".2.1.3.3.4.2.1";
const std::string kAclMac = E + ".2.1.3.3.2.3.3.1.2.";  // + the row

}  // namespace

// Lower case and the skipped free row are pinned down against the device below.
TEST(MacAclRules, ADeviceTextShorterThanTheTypedOneIsNoHit) {
    EXPECT_FALSE(SameTextPrefix("00AABBCCDDEE", "00AA"));
}

class MacAclPage : public PageHarness {
  protected:
    // Opens the page and waits until both lists and the client table have been read.
    TFM_FilterMACACL* open() {
        TFM_FilterMACACL* page = openPage(FM_FilterMACACL);
        settle(page);
        EXPECT_TRUE(pumpUntil(
            [&] { return !page->reqClientRefresh->Busy() && !page->reqClientTable->Busy(); }));
        return page;
    }
    void settle(TFM_FilterMACACL* page) {
        EXPECT_TRUE(pumpUntil([&] {
            return page->idle && !page->reqAclFull->Busy() && !page->reqAclList->Busy();
        })) << "status "
            << status(page).toStdString();
    }
    void add(TFM_FilterMACACL* page, const QString& mac) {
        page->Ed_MacAdd->clear();
        typeText(page->Ed_MacAdd, mac);
        page->Bt_Add->click();
        settle(page);
    }
    static void pressEscape(QWidget* page) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &escape);
    }
};

TEST_F(MacAclPage, EntriesUnderRejectKeepThePolicyAndAddChecksThenFillsTheFirstFreeRow) {
    TFM_FilterMACACL* page = open();
    EXPECT_EQ(page->LV_UerMACAddress->RowCount(), 2);
    EXPECT_EQ(page->CB_AccessControl->currentText(), "Reject");
    EXPECT_TRUE(valuesSentTo(kPolicy).empty()) << "a device with entries must not be switched off";
    expectTidyLayout(page);
    saveScreenshot(page, "mac-acl");

    for (const char* refused : {"00AABBCCDDE", "000000000000", "00aabbccddee"}) add(page, refused);
    EXPECT_EQ(boxTexts(), (std::vector<QString>{"The length is 12 in MAC Address.",
                                                "Please input a valid MAC Address.",
                                                "Reject: The MAC already exists "}));
    add(page, "00AABBCCDD01");
    EXPECT_EQ(valuesSentTo(kPolicy), std::vector<std::string>(4, "2"))
        << "each Add sets the policy";
    ASSERT_EQ(valuesSentTo(kAdd), std::vector<std::string>{"00AABBCCDD01"});
    EXPECT_EQ(oids(sets().back()), std::vector<std::string>{kAdd}) << "the policy goes first";
    EXPECT_EQ(sim().value(kAclMac + "3"), "00AABBCCDD01");
    EXPECT_EQ(page->LV_UerMACAddress->RowCount(), 3);
    EXPECT_EQ(status(page), "Get OK!");
}

TEST_F(MacAclPage, EmptyListWritesDisableOnceAndTheFirstAddKeepsReject) {
    sim().knob("profile acl-empty");
    TFM_FilterMACACL* page = open();
    EXPECT_EQ(valuesSentTo(kPolicy), std::vector<std::string>{"3"});
    EXPECT_FALSE(page->Bt_Add->isEnabled() || page->Bt_Del->isEnabled() ||
                 page->Ed_MacAdd->isEnabled());

    choose(page->CB_AccessControl, 1);
    add(page, "00AABBCCDD01");
    EXPECT_EQ(valuesSentTo(kPolicy), (std::vector<std::string>{"3", "2"}));
    EXPECT_EQ(sim().value(kAclMac + "1"), "00AABBCCDD01");
    EXPECT_EQ(page->CB_AccessControl->currentText(), "Reject");
}

TEST_F(MacAclPage, DeleteAsksFirstAndFreesTheRowOfTheExactMacInPlace) {
    sim().knob("profile acl-hole");
    TFM_FilterMACACL* page = open();
    add(page, "00AABBCCDD01");
    ASSERT_EQ(sim().value(kAclMac + "1"), "00AABBCCDD01") << "the hole is the first free row";
    sim().clearJournal();

    page->LV_UerMACAddress->SelectRow(1);  // 001122334455, device row 2
    ASSERT_TRUE(page->Bt_Del->isEnabled());
    ui().answers = {platform::BoxResult::Cancel, platform::BoxResult::Ok};
    page->Bt_Del->click();
    EXPECT_TRUE(sets().empty()) << "Cancel sends nothing";
    page->Bt_Del->click();
    settle(page);
    EXPECT_EQ(valuesSentTo(kDelete), std::vector<std::string>{"001122334455"});
    EXPECT_EQ(sim().value(kAclMac + "2"), "000000000000");
    EXPECT_EQ(sim().value(kAclMac + "1"), "00AABBCCDD01");
    EXPECT_EQ(page->LV_UerMACAddress->RowCount(), 1);
    EXPECT_EQ(page->LV_GetMAC->SubItem(1, 0), "000000000000");
}

TEST_F(MacAclPage, FullListRefusalShowsAndClosingWaitsForTheAdd) {
    sim().knob("profile acl-full");
    TFM_FilterMACACL* page = open();
    sim().knob("delay 400 " + kAdd + " set");
    typeText(page->Ed_MacAdd, "00AABBCCDD09");
    page->Bt_Add->click();
    page->close();
    pressEscape(page);
    EXPECT_TRUE(page->isVisible()) << "the page closed with an add in flight";

    settle(page);
    EXPECT_EQ(valuesSentTo(kAdd), std::vector<std::string>{"00AABBCCDD09"});
    EXPECT_TRUE(status(page).contains("resourceUnavailable")) << status(page).toStdString();
    EXPECT_TRUE(page->Bt_Add->isEnabled());
    pressEscape(page);
    EXPECT_FALSE(page->isVisible());
}

TEST_F(MacAclPage, ClientListInWirelessClientModeAddsRejectThenTheMac) {
    sim().knob("profile client");
    TFM_FilterMACACL* page = open();
    EXPECT_FALSE(page->CB_Band->isEnabled() || page->CB_AccessControl->isEnabled());
    CvListView* clients = page->LV_ClientUser;
    ASSERT_EQ(clients->RowCount(), 3) << "free station rows are hidden";
    EXPECT_EQ(clients->SubItems(1), (QStringList{"VRA-AP", "G", "wpa-auto-psk", "40"}));
    EXPECT_EQ(clients->SubItem(2, 2), "WEP");

    clients->SelectRow(0);  // 001122334455 is listed already
    page->Btn_AddCli->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Reject: The MAC already exists "});
    clients->SelectRow(1);
    page->Btn_AddCli->click();
    settle(page);
    EXPECT_EQ(valuesSentTo(kPolicy), std::vector<std::string>{"2"});
    EXPECT_EQ(valuesSentTo(kAdd), std::vector<std::string>{"A0B1C2D3E4F5"});
    EXPECT_EQ(oids(sets().back()), std::vector<std::string>{kAdd}) << "the policy goes first";
    add(page, "00AABBCCDD01");
    EXPECT_EQ(valuesSentTo(kAdd).size(), 2u) << "adding stays available for a wireless client";
}

// The policy's read fails too: Save does not send it, and says why.
TEST_F(MacAclPage, RefusedClientRefreshAndAnUnreadPolicyShowWhyAndNothingFollows) {
    sim().knob("fail " + kRefresh + " genErr set");
    sim().knob("fail " + kPolicy + " genErr get");
    sim().knob("delay 500 " + E + ".2.1.3.3.2.3.3 get");  // keeps "Get OK!" from covering the text
    TFM_FilterMACACL* page = openPage(FM_FilterMACACL);
    EXPECT_TRUE(pumpUntil([&] { return status(page).startsWith("Detect timed out!("); }))
        << status(page).toStdString();
    for (const SimSetRecord& get : sim().gets())
        for (const SimVarBind& bind : get.vbs) EXPECT_NE(bind.oid.rfind(kStations, 0), 0u);
    page->Bt_Apply->click();
    EXPECT_EQ(status(page), unreadText());
    EXPECT_TRUE(valuesSentTo(kPolicy).empty());
}

TEST_F(MacAclPage, UnusableDeviceAddressOpensClosableAndSendsNothing) {
    CvSNMPSession::Defaults().address = "300.1.1.1";
    TFM_FilterMACACL* page = openPage(FM_FilterMACACL);
    EXPECT_TRUE(status(page).startsWith("(ViZURU++)")) << status(page).toStdString();
    page->Bt_Apply->click();
    page->Bt_Add->click();
    page->Bt_DelClick();
    EXPECT_EQ(status(page), "Set error!");
    EXPECT_TRUE(sets().empty());
    pressEscape(page);
    EXPECT_FALSE(page->isVisible());
    page = openPage(FM_FilterMACACL);
    page->close();
    EXPECT_FALSE(page->isVisible());
}
