#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <memory>

#include "app/Wait.h"
#include "library/snmp/CvSNMPRequest.h"
#include "library/snmp/CvSNMPSession.h"
#include "tests/app/ModuleSetup.h"
#include "tests/support/VraSim.h"

namespace {

// The countdown against a fresh device, with 120 ms ticks and 100 ms SNMP time-outs.
class Countdown : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("VRA2260_TIME_SCALE", "0.1", 1);
        sim_ = std::make_unique<VraSim>();
        UseDevice(sim_->port());
    }
    void TearDown() override {
        sim_.reset();
        unsetenv("VRA2260_TIME_SCALE");
    }

    // Runs the dialog modally; at every tick records the seconds shown, and tries to close it
    // the way the user would (close box, then Esc) while the test's timer sees it open.
    struct Run {
        std::vector<QString> shown;  // La_Time after each tick, from tick 1 on
        int closedByUserAtTick = -1;
        int ticksAtEnd = 0;
    };
    Run run(TFM_Waiting& waiting, bool tryToClose) {
        Run result;
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!waiting.isVisible()) return;
            while (static_cast<int>(result.shown.size()) < waiting.Ticks())
                result.shown.push_back(waiting.La_Time->text());
            if (!tryToClose) return;
            const int tick = waiting.Ticks();
            waiting.close();
            if (waiting.isVisible()) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(&waiting, &escape);
            }
            if (!waiting.isVisible()) result.closedByUserAtTick = tick;
        });
        watch.start();
        waiting.exec();
        result.ticksAtEnd = waiting.Ticks();
        return result;
    }

    std::unique_ptr<VraSim> sim_;
};

TEST_F(Countdown, CountOfThree_ClosesItselfAfterEightTicks_AndToTheUserOnlyThreeTicksAfterOne) {
    TFM_Waiting waiting(nullptr);
    waiting.Count = 3;
    waiting.Reboot = false;
    const Run result = run(waiting, false);
    EXPECT_EQ(result.ticksAtEnd, 8);
    ASSERT_GE(result.shown.size(), 3u);
    EXPECT_EQ(result.shown[0], "2");
    EXPECT_EQ(result.shown[1], "1");
    EXPECT_EQ(result.shown[2], "1") << "the count stops at 1";
    EXPECT_EQ(waiting.RebootsSent(), 0);

    TFM_Waiting closed(nullptr);
    closed.Count = 3;
    closed.Reboot = false;
    const Run byUser = run(closed, true);
    EXPECT_EQ(byUser.closedByUserAtTick, 5) << "1 is reached on tick 2, three ticks later is 5";
    EXPECT_EQ(byUser.ticksAtEnd, 5);
}

TEST_F(Countdown, WithASilentDevice_TheDialogIsStillBuiltAndACountBelowOneCountsAsOne) {
    sim_->knob("silence on");
    TFM_Waiting waiting(nullptr);
    EXPECT_TRUE(waiting.La_Firmware->text().isEmpty());
    waiting.Count = 0;
    waiting.Reboot = false;
    EXPECT_EQ(run(waiting, false).ticksAtEnd, 6);
}

TEST_F(Countdown,
       Show_IsModelessWithoutCountLabelsAndDoesNotCount_NorRunsEventsInTheCallersAction) {
    sim_->knob("silence on");
    const CvSNMPAction action;
    TFM_Waiting waiting(nullptr);  // its firmware read times out
    waiting.Count = 2;
    // A timer that fires while the dialog appears runs outside the action: its read is asked.
    QTimer::singleShot(0, [] { TFM_Waiting(nullptr); });
    waiting.Show();
    EXPECT_EQ(sim_->events("dropped").size(), 4u) << "two tries of each firmware read";
    // The page blocks in synchronous sets next: the window must be on the screen already.
    ASSERT_NE(waiting.windowHandle(), nullptr);
    EXPECT_TRUE(waiting.windowHandle()->isExposed());
    EXPECT_TRUE(waiting.isVisible());
    EXPECT_FALSE(waiting.La_Time->isVisible());
    EXPECT_FALSE(waiting.Label1->isVisible());
    EXPECT_FALSE(waiting.seconds->isVisible());
    EXPECT_TRUE(waiting.Label2->isVisible());
    // Three tick lengths pass without a tick or a Reboot command.
    EXPECT_FALSE(VraSim::waitUntil([&] { return waiting.Ticks() > 0; }, 360));
    EXPECT_EQ(waiting.RebootsSent(), 0);
    EXPECT_TRUE(waiting.isVisible());
}

}  // namespace
