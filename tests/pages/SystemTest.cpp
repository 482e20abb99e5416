#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <string>

#include "app/Wait.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/System.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kRestart = E + ".4.2.1.0";
const std::string kReset = E + ".4.2.2.0";
const std::string kSystemName = "1.3.6.1.2.1.1.5.0";
const QString kRestartTitle = "System is rebooting, please waiting.....";
const QString kResetTitle = "System is rebooting, please waiting.....!";

}  // namespace

class SystemPage : public PageHarness {
  protected:
    TFM_Sytem* open() {
        setTimeScale(0.005);
        watchCountdowns();
        TFM_Sytem* page = openPage(FM_Sytem);
        EXPECT_TRUE(pumpUntil([page] { return page->CB_Restart->currentIndex() == 0; }))
            << "the read at creation never filled the hidden combos";
        return page;
    }
};

TEST_F(SystemPage, CancelSendsNothingRestartAndRestoreSendOneItemAndCountDownUnlessRefused) {
    TFM_Sytem* page = open();
    EXPECT_FALSE(page->CB_Restart->isVisibleTo(page) || page->CB_Restore->isVisibleTo(page));
    EXPECT_EQ(page->StatusBar->PanelCount(), 0);
    onCountdown = [shots = 0](TFM_Waiting* wait) mutable {
        expectTidyLayout(wait);
        if (shots < 2) saveScreenshot(wait, shots++ == 0 ? "system-restart" : "system-restore");
    };
    ui().answers = {platform::BoxResult::Cancel};
    page->Button2->click();
    EXPECT_TRUE(sets().empty()) << "a cancelled restore sent a set";
    EXPECT_EQ(page->CB_Restore->currentIndex(), 1) << "the selection stays after Cancel";
    EXPECT_TRUE(countdowns.empty());

    page->Button1->click();  // the restore's access words must not come back
    sim().knob("set " + kSystemName + " renamed");
    page->Button2->click();
    // A device that does not answer may be restarting: the countdown runs as for an answer.
    sim().knob("silence on");
    page->Button1->click();
    sim().knob("silence off");
    ASSERT_EQ(countdowns.size(), 3u) << "the silent device's restart counted down";
    // A device that refuses is not restarting: its text, and no countdown left running, which
    // at this scale would take seconds.
    setTimeScale(0.1);
    sim().knob("fail " + kRestart + " genErr set");
    QElapsedTimer clock;
    clock.start();
    page->Button1->click();
    EXPECT_LT(clock.elapsed(), 3000) << "the countdown ran on after the refusal";
    EXPECT_TRUE(page->StatusBar->SimpleText().contains("genErr"));

    ASSERT_EQ(sets().size(), 3u) << "a dropped request is no set the device received";
    const std::string sent[] = {kRestart, kReset, kRestart};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(oids(sets()[i]), std::vector<std::string>{sent[i]}) << "set " << i;
        EXPECT_EQ(sets()[i].vbs[0].value, "1");
    }
    EXPECT_NE(sets()[2].errorStatus, 0);
    EXPECT_EQ(sim().value(kSystemName), "VRA-2260") << "the restore left the renamed device";
    EXPECT_EQ(sim().events("factory-default").size(), 1u);
    EXPECT_EQ(sim().events("restart").size(), 2u) << "one for the restart, one for the restore";
    EXPECT_EQ(boxTexts(), std::vector<QString>(5, "Device will reboot, continue?"));
    EXPECT_EQ(ui().boxes[0].caption, "Warning");
    EXPECT_EQ(ui().boxes[0].buttons, platform::BoxButtons::OkCancel);
    const CountdownSeen restart{50, false, "The device is restarting."};
    const CountdownSeen reset{50, false, "The system IP will be 192.168.0.50 !"};
    EXPECT_EQ(std::vector<CountdownSeen>(countdowns.begin(), countdowns.begin() + 3),
              (std::vector<CountdownSeen>{restart, reset, restart}));
    EXPECT_EQ(std::vector<QString>(countdownTitles.begin(), countdownTitles.begin() + 3),
              (std::vector<QString>{kRestartTitle, kResetTitle, kRestartTitle}));

    setTimeScale(0.005);
    sim().knob("clear");
    page->Button1->click();
    EXPECT_EQ(page->StatusBar->SimpleText(), "") << "the earlier refusal stands over a restart";
}
