#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "app/Main.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/home/Lan.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kIPFrom = E + ".2.1.1.1.1.1.1";
const std::string kAddress = E + ".2.1.1.1.1.2.1";
const std::string kMask = E + ".2.1.1.1.1.3.1";
const std::string kGateway = E + ".2.1.1.1.1.4.1";
const std::vector<std::string> kAddressSet = {kAddress, kMask, kGateway};

const QString kGoodAddress = "192.168.0.60";
const QString kGoodMask = "255.255.255.0";

}  // namespace

// ---- Save rule ----------------------------------------------------------------------------

TEST(LanSaveRule, UnreadModeSendsNothingAndOnlyAStaticChoiceChecksAddressThenMask) {
    using R = LanRequest;
    using X = LanRefusal;
    struct Case {
        int saved, chosen;
        QString address, mask;
        X refusal;
        std::vector<R> sets;
        bool unread = false;
    };
    // The summary rows and the refusals are pinned down against the device below.
    const Case cases[] = {
        {kIPFromUnread, kIPFromStatic, "", kGoodMask, X::None, {}, true},  // checks nothing
        {kIPFromUnread, kIPFromDhcp, kGoodAddress, kGoodMask, X::None, {}, true},
        {kIPFromStatic, kIPFromUnread, kGoodAddress, kGoodMask, X::None, {}, true},
        {kIPFromStatic, kIPFromDhcp, "", "", X::None, {R::IPFrom}},  // DHCP checks nothing
        {kIPFromStatic, kIPFromStatic, "   .   .   .   ", kGoodMask, X::Address, {}},
        {kIPFromDhcp, kIPFromStatic, kGoodAddress, "255.0.255.0", X::Mask, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "read " << c.saved << ", chosen " << c.chosen << ", "
                     << c.address.toStdString() << " / " << c.mask.toStdString());
        const LanSavePlan plan = planLanSave(c.chosen, c.saved, c.address, c.mask);
        EXPECT_EQ(plan.refusal, c.refusal);
        EXPECT_EQ(plan.sets, c.sets);
        EXPECT_EQ(plan.unread, c.unread);
    }
    EXPECT_TRUE(lanAddressRowsVisible(-1)) << "rows hide for a DHCP choice only";
}

// ---- The page against the simulated device ----------------------------------------------

class LanPage : public PageHarness {
  protected:
    TFM_LanCfg* open() { return openPage(FM_LanCfg); }

    void deviceOnDhcp() { sim().knob("set " + kIPFrom + " 2"); }

    // Chooses an address mode as the user does, which runs the page's change handler.
    static void choose(TFM_LanCfg* page, int index) {
        page->CB_IPFrom->setCurrentIndex(index);
        emit page->CB_IPFrom->activated(index);
    }

    // How many of the six address-row controls (three labels, three edits) are shown.
    static int shownRowControls(TFM_LanCfg* page) {
        const std::initializer_list<QWidget*> rows = {page->LA_IPAddress, page->LA_SubnetMask,
                                                      page->LA_DefGW,     page->ED_IpAddr,
                                                      page->ED_SubMask,   page->ED_DefGw};
        return static_cast<int>(
            std::count_if(rows.begin(), rows.end(), [](QWidget* row) { return !row->isHidden(); }));
    }
    static bool rowsVisible(TFM_LanCfg* page) { return shownRowControls(page) == 6; }
    static bool rowsHidden(TFM_LanCfg* page) { return shownRowControls(page) == 0; }
};

TEST_F(LanPage, ReadsModeAddressMaskAndGatewayAtCreationAndCancelWritesNothing) {
    TFM_LanCfg* page = open();
    EXPECT_EQ(page->CB_IPFrom->currentText(), "Static (Manual)");
    EXPECT_EQ(page->savedIPFrom, kIPFromStatic);
    EXPECT_EQ(page->ED_IpAddr->text().toStdString(), sim().value(kAddress));
    EXPECT_EQ(page->ED_SubMask->text().toStdString(), sim().value(kMask));
    EXPECT_EQ(page->ED_DefGw->text().toStdString(), sim().value(kGateway));
    EXPECT_TRUE(rowsVisible(page));
    EXPECT_EQ(page->StatusBar->PanelCount(), 1);
    EXPECT_TRUE(pumpUntil([&] {
        return page->Ed_IPAF->text().toStdString() == sim().value(E + ".3.1.2.2.1.3.1") &&
               page->Ed_IPEND->text().toStdString() == sim().value(E + ".3.1.2.2.1.4.1");
    })) << "the dynamic pool ends never reached their hidden edits";
    EXPECT_EQ(page->Static_ListView->RowCount(), 0) << "the static pool is never read";

    for (CvEdit* address : {page->ED_IpAddr, page->ED_SubMask, page->ED_DefGw}) {
        address->setText("");
        typeText(address, "192.168.100.2001");
        EXPECT_EQ(address->text(), "192.168.100.200") << "an address takes 15 typed characters";
    }
    page->BT_LanCfgCancel->click();
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(page->reqLanAddress, nullptr) << "Cancel drops the address request";
    EXPECT_TRUE(sets().empty()) << "opening and cancelling the page must write nothing";
}

TEST_F(LanPage, DhcpReadAtCreationHidesTheRowsAndDhcpToDhcpSendsNothing) {
    deviceOnDhcp();
    TFM_LanCfg* page = open();
    EXPECT_EQ(page->CB_IPFrom->currentText(), "Dynamic (DHCP)");
    EXPECT_EQ(page->savedIPFrom, kIPFromDhcp);
    EXPECT_TRUE(rowsHidden(page));
    page->BT_LanCfgOk->click();
    EXPECT_TRUE(sets().empty());
    EXPECT_EQ(status(page), "");
    EXPECT_TRUE(ui().boxes.empty());

    choose(page, kIPFromStatic);
    EXPECT_TRUE(rowsVisible(page));
    choose(page, kIPFromDhcp);
    EXPECT_TRUE(rowsHidden(page));
}

TEST_F(LanPage, StaticToStaticSendsTheAddressSetOnlyWithTheUncheckedGatewayAsEntered) {
    TFM_LanCfg* page = open();
    // A gateway that is no address at all is reported, and the texts stay.
    page->ED_DefGw->setText("gateway");
    page->BT_LanCfgOk->click();
    EXPECT_EQ(status(page), "Set Error!");
    ASSERT_EQ(ui().boxes.size(), 1u);
    EXPECT_EQ(ui().boxes[0].caption, "Error");
    EXPECT_TRUE(ui().boxes[0].text.startsWith("(ViZURU++)")) << ui().boxes[0].text.toStdString();
    EXPECT_EQ(page->ED_DefGw->text(), "gateway");
    EXPECT_TRUE(sets().empty());
    ui().boxes.clear();

    page->ED_IpAddr->setText(kGoodAddress);
    page->ED_DefGw->setText("192.168.0.254");
    page->BT_LanCfgOk->click();
    page->ED_DefGw->setText("");
    page->BT_LanCfgOk->click();

    const auto log = sets();
    ASSERT_EQ(log.size(), 2u) << "status " << status(page).toStdString();
    for (const SimSetRecord& set : log) EXPECT_EQ(oids(set), kAddressSet);
    EXPECT_EQ(log[0].vbs[0].value, kGoodAddress.toStdString());
    EXPECT_EQ(log[0].vbs[2].value, "192.168.0.254");
    EXPECT_EQ(log[1].vbs[2].value, "0.0.0.0") << "an empty gateway is not checked";
    EXPECT_EQ(status(page), "Set OK!");
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(LanPage, StaticToDhcpSendsTheModeOnlyEachTimeAndKeepsTheHiddenTexts) {
    TFM_LanCfg* page = open();
    page->ED_IpAddr->setText(kGoodAddress);
    choose(page, kIPFromDhcp);
    page->BT_LanCfgOk->click();
    // The second save still compares with the mode read at creation.
    page->BT_LanCfgOk->click();

    const auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    for (const SimSetRecord& set : log) {
        EXPECT_EQ(oids(set), std::vector<std::string>{kIPFrom});
        EXPECT_EQ(set.vbs[0].value, "2");
    }
    EXPECT_EQ(status(page), "Set OK!");
    EXPECT_EQ(page->ED_IpAddr->text(), kGoodAddress);
}

TEST_F(LanPage, DhcpToStatic_InvalidAddressThenMaskRefusedThenTheModeAndAddressSetSent) {
    deviceOnDhcp();
    TFM_LanCfg* page = open();
    choose(page, kIPFromStatic);
    page->ED_IpAddr->setText("192.168.0.255");
    page->ED_SubMask->setText("255.0.255.0");
    page->BT_LanCfgOk->click();
    ASSERT_EQ(ui().boxes.size(), 1u);
    EXPECT_EQ(ui().boxes[0].caption, "Warning");
    EXPECT_EQ(ui().boxes[0].text, "Please input valid IP Address.");
    EXPECT_EQ(page->ED_IpAddr->text(), "");
    EXPECT_EQ(page->ED_SubMask->text(), "255.0.255.0") << "only the address is emptied";

    page->ED_IpAddr->setText(kGoodAddress);
    page->BT_LanCfgOk->click();
    EXPECT_EQ(boxTexts(), (std::vector<QString>{"Please input valid IP Address.",
                                                "Please input valid Subnet Mask."}));
    EXPECT_EQ(page->ED_SubMask->text(), "");
    EXPECT_EQ(page->ED_IpAddr->text(), kGoodAddress);
    EXPECT_TRUE(sets().empty()) << "not even the mode may be sent";
    EXPECT_EQ(status(page), "");

    page->ED_SubMask->setText("255.255.0.0");
    page->BT_LanCfgOk->click();
    const auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(oids(log[0]), std::vector<std::string>{kIPFrom});
    EXPECT_EQ(log[0].vbs[0].value, "1");
    EXPECT_EQ(oids(log[1]), kAddressSet);
    EXPECT_EQ(log[1].vbs[1].value, "255.255.0.0");
    EXPECT_EQ(status(page), "Set OK!");
}

TEST_F(LanPage, DhcpToStaticWithTheModeRefusedStillSendsTheAddressAndShowsSetError) {
    deviceOnDhcp();
    TFM_LanCfg* page = open();
    sim().knob("fail " + kIPFrom + " commitFailed set");
    choose(page, kIPFromStatic);
    page->ED_IpAddr->setText(kGoodAddress);
    page->BT_LanCfgOk->click();

    const auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].errorStatus, 0);
    EXPECT_EQ(oids(log[1]), kAddressSet);
    EXPECT_EQ(log[1].errorStatus, 0);
    EXPECT_EQ(status(page), "Set Error!");
}

TEST_F(LanPage, FailedAddressReadAtCreationLeavesStaticAndTheRowsShownButSavesNothing) {
    deviceOnDhcp();
    sim().knob("fail " + kAddress + " genErr get");
    TFM_LanCfg* page = open();
    EXPECT_EQ(page->savedIPFrom, kIPFromStatic);
    EXPECT_TRUE(rowsVisible(page));
    EXPECT_EQ(page->ED_IpAddr->text(), "   .   .   .   ");
    for (int chosen : {kIPFromDhcp, kIPFromStatic}) {
        choose(page, chosen);
        page->ED_IpAddr->clear();
        typeText(page->ED_IpAddr, kGoodAddress);
        page->BT_LanCfgOk->click();
        EXPECT_EQ(status(page), unreadText());
    }
    EXPECT_TRUE(sets().empty());
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(LanPage, LayoutShowsEveryCaptionWholeAndInLine) {
    TFM_LanCfg* page = open();
    EXPECT_FALSE(page->Static_ListView->isVisibleTo(page));
    EXPECT_FALSE(page->Ed_IPAF->isVisibleTo(page));
    expectTidyLayout(page);
    EXPECT_EQ(page->minimumSize(), page->maximumSize()) << "the page must not be resizable";
    saveScreenshot(page, "lan");

    choose(page, kIPFromDhcp);
    expectTidyLayout(page);
    saveScreenshot(page, "lan-dhcp");
}

TEST_F(LanPage, PageThatCouldNotBeBuiltShowsWhyAndSaveSendsNothing) {
    CvSNMPSession::Defaults().address = "300.1.1.1";
    TFM_LanCfg* page = open();
    ASSERT_EQ(ui().boxes.size(), 1u) << "the failure must be shown, not hidden behind the panel";
    EXPECT_EQ(ui().boxes[0].caption, "Error");
    EXPECT_EQ(page->StatusBar->SimpleText(), ui().boxes[0].text);
    EXPECT_EQ(page->reqLanAddress, nullptr);

    choose(page, kIPFromStatic);
    page->ED_IpAddr->setText(kGoodAddress);
    page->BT_LanCfgOk->click();
    EXPECT_EQ(status(page), unreadText());
}
