#include <QCheckBox>
#include <QPushButton>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Logset.h"
#include "tests/pages/LogFixture.h"

namespace {

class LogSettings : public TransferPageTest {
  protected:
    TLogSetForm* open() { return openPage(LogSetForm); }
};

TEST_F(LogSettings, ReadsTheThreeLevelsAndTheAddressShowingZeroEmptyInABoxOfFifteen) {
    sim().knob("set " + oid::systemLogSystemLevel + " 1");
    sim().knob("set " + oid::systemLogWirelessLevel + " 0");
    sim().knob("set " + oid::systemLogNoticeLevel + " 1");
    for (const char* address : {"0.0.0.0", "192.168.0.77"}) {
        SCOPED_TRACE(address);
        sim().knob("set " + oid::systemLogServerIPAddress + " " + address);
        open();
        EXPECT_TRUE(LogSetForm->CheckBox_System->isChecked());
        EXPECT_FALSE(LogSetForm->CheckBox_Wireless->isChecked());
        EXPECT_TRUE(LogSetForm->CheckBox_Notice->isChecked());
        EXPECT_EQ(LogSetForm->Ed_LogServerIp->text(),
                  std::string(address) == "0.0.0.0" ? "" : address);
    }
    LogSetForm->Ed_LogServerIp->clear();
    typeText(LogSetForm->Ed_LogServerIp, "192.168.100.2001");
    EXPECT_EQ(LogSetForm->Ed_LogServerIp->text(), "192.168.100.200") << "fifteen characters";
}

TEST_F(LogSettings, FailedReadLeavesTheControlsUnfilledAndSaveSendsOnlyWhatTheUserChose) {
    sim().knob("set " + oid::systemLogServerIPAddress + " 192.168.0.77");
    sim().knob("fail " + oid::systemLogNoticeLevel + " genErr get");
    open();
    EXPECT_FALSE(LogSetForm->CheckBox_System->isChecked());
    EXPECT_FALSE(LogSetForm->CheckBox_Wireless->isChecked());
    EXPECT_FALSE(LogSetForm->CheckBox_Notice->isChecked());
    EXPECT_EQ(LogSetForm->Ed_LogServerIp->text(), "");
    EXPECT_EQ(LogSetForm->StatusBar->SimpleText(), "");
    EXPECT_TRUE(boxTexts().empty());

    // The empty address is none of the device's: it must not go out as 0.0.0.0.
    LogSetForm->Bt_Apply->click();
    EXPECT_TRUE(sets().empty());
    EXPECT_EQ(LogSetForm->StatusBar->SimpleText(), unreadText());
    LogSetForm->CheckBox_System->click();
    LogSetForm->Bt_Apply->click();
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(oids(sets()[0]), std::vector<std::string>{oid::systemLogSystemLevel});
    EXPECT_EQ(LogSetForm->StatusBar->SimpleText(), unreadText());
    EXPECT_EQ(sim().value(oid::systemLogServerIPAddress), "192.168.0.77");
}

TEST_F(LogSettings, SavesLevelsAndAddressInOneSetAnEmptyAddressAsTheZeroAddress) {
    open();
    LogSetForm->CheckBox_System->setChecked(false);
    LogSetForm->CheckBox_Wireless->setChecked(true);
    LogSetForm->CheckBox_Notice->setChecked(false);
    LogSetForm->Ed_LogServerIp->SetText("10.1.2.3");
    LogSetForm->Bt_Apply->click();
    EXPECT_EQ(LogSetForm->StatusBar->SimpleText(), "Set Success!");
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(oids(sets()[0]),
              (std::vector<std::string>{oid::systemLogSystemLevel, oid::systemLogWirelessLevel,
                                        oid::systemLogNoticeLevel, oid::systemLogServerIPAddress}));
    EXPECT_EQ(sim().value(oid::systemLogSystemLevel), "0");
    EXPECT_EQ(sim().value(oid::systemLogWirelessLevel), "1");
    EXPECT_EQ(sim().value(oid::systemLogNoticeLevel), "0");
    EXPECT_EQ(sim().value(oid::systemLogServerIPAddress), "10.1.2.3");

    LogSetForm->StatusBar->SetSimpleText("");
    LogSetForm->Ed_LogServerIp->clear();
    LogSetForm->Bt_Apply->click();
    EXPECT_EQ(LogSetForm->StatusBar->SimpleText(), "Set Success!");
    EXPECT_EQ(sim().value(oid::systemLogServerIPAddress), "0.0.0.0");
}

TEST_F(LogSettings, RefusedSetShowsSetErrorAndATextThatIsNoAddressSendsNothing) {
    open();
    LogSetForm->Ed_LogServerIp->SetText("log-host");
    LogSetForm->Bt_Apply->click();
    EXPECT_TRUE(LogSetForm->StatusBar->SimpleText().startsWith("(ViZURU++)"))
        << LogSetForm->StatusBar->SimpleText().toStdString();
    EXPECT_TRUE(sets().empty());

    LogSetForm->Ed_LogServerIp->SetText("10.1.2.3");
    sim().knob("fail " + oid::systemLogNoticeLevel + " wrongValue set");
    LogSetForm->Bt_Apply->click();
    EXPECT_EQ(LogSetForm->StatusBar->SimpleText(), "Set Error!");
}

}  // namespace
