#include <QComboBox>
#include <QPushButton>

#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Filterwlanpartition.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kStations = E + ".2.1.3.3.2.3.1.1.1.1";
const std::string kEthernet = E + ".2.1.3.3.2.3.1.1.2.1";
const std::string kLink = E + ".3.2.1.1.3.1";

}  // namespace

class WlanPartitionPage : public PageHarness {
  protected:
    // The sets as OID lists with their values.
    std::vector<std::vector<std::string>> sentValues() const {
        std::vector<std::vector<std::string>> sent;
        for (const SimSetRecord& set : sets()) {
            sent.emplace_back();
            for (const SimVarBind& bind : set.vbs)
                sent.back().push_back(bind.oid + "=" + bind.value);
        }
        return sent;
    }
};

TEST_F(WlanPartitionPage, ArpWarningOnEachDisableChoiceAndSaveSendsPartitionThenLink) {
    TFM_WLANPart* page = openPage(FM_WLANPart);
    EXPECT_FALSE(page->CB_WBand->isEnabled());
    choose(page->CB_WLANAccess, "Disable");
    choose(page->CB_WLANAccess, "Enable");
    choose(page->CB_WLANAccess, "Disable");
    ASSERT_EQ(ui().boxes.size(), 2u);
    EXPECT_EQ(ui().boxes[0].caption, "Warning");
    EXPECT_TRUE(ui().boxes[0].text.startsWith("AP will block all Address Resolution Protocol"));

    choose(page->CB_Link, "Enable");
    page->Btn_Apply->click();
    EXPECT_EQ(sentValues(), (std::vector<std::vector<std::string>>{
                                {kStations + "=1", kEthernet + "=0"}, {kLink + "=1"}}));
    EXPECT_EQ(status(page), "Setting Success!");

    choose(page->CB_Link, "Disable");
    sim().knob("fail " + kStations + " genErr get 1");
    page->Btn_Refresh->click();
    EXPECT_TRUE(status(page).contains("genErr")) << status(page).toStdString();
    sim().knob("set " + kEthernet + " 1");
    page->Btn_Refresh->click();
    EXPECT_EQ(status(page), "Refresh OK!");
    EXPECT_EQ(page->CB_WLANAccess->currentText(), "Enable");
    EXPECT_EQ(page->CB_Link->currentText(), "Disable") << "Refresh reads the partition only";
}

TEST_F(WlanPartitionPage, DisableReadShowsNoWarningAndARefusedPartitionStillSendsTheLink) {
    sim().knob("set " + kEthernet + " 0");
    TFM_WLANPart* page = openPage(FM_WLANPart);
    EXPECT_EQ(page->CB_WLANAccess->currentText(), "Disable");
    EXPECT_TRUE(ui().boxes.empty());
    sim().knob("fail " + kStations + " commitFailed set");
    page->Btn_Apply->click();
    ASSERT_EQ(sets().size(), 2u);
    EXPECT_NE(sets()[0].errorStatus, 0);
    EXPECT_EQ(oids(sets()[1]), std::vector<std::string>{kLink});
    EXPECT_EQ(status(page), "Setting Error!");
}

TEST_F(WlanPartitionPage, WirelessClientGreysEveryComboAndSaveWritesWhatWasRead) {
    sim().knob("profile client");
    sim().knob("fail " + kLink + " genErr get");
    TFM_WLANPart* page = openPage(FM_WLANPart);
    EXPECT_TRUE(status(page).contains("genErr")) << "the link's read failed";
    for (QComboBox* combo :
         {page->CB_WBand, page->CB_Link, page->CB_StationConnection, page->CB_WLANAccess})
        EXPECT_FALSE(combo->isEnabled());
    page->Btn_Apply->click();
    EXPECT_EQ(sentValues(),
              (std::vector<std::vector<std::string>>{{kStations + "=1", kEthernet + "=1"}}));
    EXPECT_EQ(status(page), unreadText()) << "the link was never read";
}

TEST_F(WlanPartitionPage, UnusableDeviceAddressSaveFailsAndRefreshDoesNothing) {
    CvSNMPSession::Defaults().address = "300.1.1.1";
    TFM_WLANPart* page = openPage(FM_WLANPart);
    EXPECT_TRUE(status(page).startsWith("(ViZURU++)")) << status(page).toStdString();
    page->Btn_Apply->click();
    EXPECT_EQ(status(page), "Setting Error!");
    page->Btn_Refresh->click();
    EXPECT_EQ(status(page), "Setting Error!");
    EXPECT_TRUE(sets().empty());
}
