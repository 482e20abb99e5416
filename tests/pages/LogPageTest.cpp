#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QUdpSocket>

#include "app/Main.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Systemlog.h"
#include "tests/pages/LogFixture.h"

namespace {

class LogPage : public TransferPageTest {
  protected:
    void SetUp() override {
        TransferPageTest::SetUp();
        sim().knob("log clear");
        addDeviceLine("Jan  1 00:00:05|syslogd: [SYS]System started");
        addDeviceLine("Jan  1 00:00:09|wlan0: [WLAN] station 00:11:22:33:44:55 joined");
    }

    void addDeviceLine(const std::string& line) { sim().knob("log add " + line); }

    TLogForm* open() { return openPage(LogForm); }

    QString status() const { return LogForm->StatusBar1->PanelText(0); }

    // Waits until the fetch chain has shown its outcome.
    bool waitForOutcome() {
        return pumpUntil([this] { return status() == "Get OK." || status() == "Get fail."; });
    }

    QStringList shownRows() const {
        QStringList rows;
        for (int i = 0; i < LogForm->ViewListView->RowCount(); ++i)
            rows << LogForm->ViewListView->Caption(i) + "|" +
                        LogForm->ViewListView->SubItems(i).join("|");
        return rows;
    }

    void clickGetLog() {
        sim().clearJournal();
        LogForm->GetBtn->click();
    }
};

TEST_F(LogPage, OpeningSendsAddressNameAndNothingInOneSetThenGetAndShowsTheDeviceLines) {
    // The device acknowledges Get at once and sends the file later: the page waits for it.
    sim().knob("tftp answer=before start=400");
    open();
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(status(), "Get OK.");
    EXPECT_EQ(shownRows(), (QStringList{"Jan  1 00:00:05|SYS|System started",
                                        "Jan  1 00:00:09|WLAN| station 00:11:22:33:44:55 joined"}));
    EXPECT_TRUE(QFile::exists(dataDir() + "/LogFile.RD"));

    const std::vector<SimSetRecord> all = sets();
    ASSERT_EQ(all.size(), 2u);
    ASSERT_EQ(oids(all[0]),
              (std::vector<std::string>{oid::systemLogTFTPServerIPAddress, oid::systemLogFileName,
                                        oid::systemLogGetLog}));
    // The device sits on the loopback network, so the loopback interface is the PC's address.
    EXPECT_EQ(all[0].vbs[0].value, "127.0.0.1");
    EXPECT_EQ(all[0].vbs[0].type, "a");
    EXPECT_EQ(all[0].vbs[1].value, "LogFile.RD");
    EXPECT_EQ(all[0].vbs[2].value, "0");
    ASSERT_EQ(oids(all[1]), std::vector<std::string>{oid::systemLogGetLog});
    EXPECT_EQ(all[1].vbs[0].value, "1");
}

TEST_F(LogPage, SecondGetShowsLinesAddedInBetweenAndAFailedOneKeepsThem) {
    open();
    ASSERT_TRUE(waitForOutcome());
    addDeviceLine("Jan  1 00:01:00|kernel: [NOTICE]link up");
    clickGetLog();
    ASSERT_TRUE(pumpUntil([this] { return status() == "Get OK."; }));
    const QStringList shown = shownRows();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown.last(), "Jan  1 00:01:00|NOTICE|link up");

    addDeviceLine("Jan  1 00:02:00|kernel: [SYS]never shown");
    setTimeScale(0.02);
    sim().knob("tftp answer=before fail=timeout");
    clickGetLog();
    ASSERT_TRUE(pumpUntil([this] { return status() == "Get fail."; }, 15000));
    EXPECT_EQ(shownRows(), shown);
}

TEST_F(LogPage, FailedOrNeverStartedTransferShowsGetFailAndNotTheOldFile) {
    // The device names a file the server refuses, or never starts; the page hears nothing of
    // LogFile.RD and gives up after the server's time-out, scaled down here.
    setTimeScale(0.02);
    // A device writing another name is refused by the page's server.
    for (const char* failure :
         {"tftp answer=before fail=error", "tftp fail=never", "tftp fail=none name=Other.RD"}) {
        SCOPED_TRACE(failure);
        // A file left from an earlier fetch must not pass for the device's log.
        QFile old(dataDir() + "/LogFile.RD");
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("Dec 31 23:59:59|old: [SYS]stale line\n");
        old.close();
        sim().knob(failure);
        open();
        ASSERT_TRUE(waitForOutcome());
        EXPECT_EQ(status(), "Get fail.");
        EXPECT_TRUE(shownRows().isEmpty()) << shownRows().join("\n").toStdString();
        EXPECT_FALSE(QFile::exists(dataDir() + "/Other.RD"));
    }
}

TEST_F(LogPage, RefusedServerSetOrGetCommandShowsTheRefusalAndStopsTheChain) {
    // The server set refused; then a device that answers the command only once the transfer has
    // ended, and refuses it when the transfer failed.
    for (const std::string& knob :
         {"fail " + oid::systemLogFileName + " genErr set 1", std::string("tftp fail=error")}) {
        SCOPED_TRACE(knob);
        sim().clearJournal();
        sim().knob(knob);
        open();
        const size_t sent = knob.rfind("fail ", 0) == 0 ? 1 : 2;
        ASSERT_TRUE(pumpUntil([&] { return sets().size() == sent && status() != "Refresh...!"; }))
            << status().toStdString() << " " << whatHappened();
        EXPECT_EQ(status(), "(ViZURU++) SNMP error: genErr!");
        EXPECT_FALSE(LogForm->reqGetLog->Busy()) << "a get command went out after all";
        EXPECT_TRUE(shownRows().isEmpty());
    }
}

TEST_F(LogPage, EnterClearsNothing_ARefusedClearShowsWhyAndKeepsTheRows_AnAcceptedOneEmptiesThem) {
    open();
    ASSERT_TRUE(waitForOutcome());
    LogForm->ViewListView->setFocus();
    LogForm->ViewListView->selectRow(0);
    sim().clearJournal();
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent enter(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(LogForm->ViewListView, &enter);
    }
    EXPECT_FALSE(LogForm->reqClearLog->Busy()) << "Enter pressed Clear";
    EXPECT_FALSE(LogForm->reqLogServer->Busy()) << "Enter pressed Get Log";
    EXPECT_EQ(shownRows().size(), 2);
    EXPECT_TRUE(LogForm->isVisible());
    EXPECT_TRUE(sets().empty()) << whatHappened();

    // The device still holds its log after a refusal, so the rows stay.
    sim().knob("fail " + oid::systemLogClearLocalLog + " genErr set 1");
    LogForm->Clear_Btn->click();
    ASSERT_TRUE(pumpUntil([this] { return status() == "(ViZURU++) SNMP error: genErr!"; }))
        << whatHappened();
    EXPECT_EQ(shownRows().size(), 2);

    LogForm->Clear_Btn->click();
    ASSERT_TRUE(pumpUntil([this] { return shownRows().isEmpty(); }));
    EXPECT_EQ(valuesSentTo(oid::systemLogClearLocalLog), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(status(), "") << "the earlier refusal stands over the accepted clear";
    clickGetLog();
    ASSERT_TRUE(pumpUntil([this] { return status() == "Get OK."; }));
    EXPECT_TRUE(shownRows().isEmpty());
}

// Another machine's LogFile.RD, sent before the device's or while it runs, is refused: the page
// shows the device's log, stored byte for byte. A device write after "Get fail." is refused too.
TEST_F(LogPage, OnlyTheDevicesOwnLogIsTakenAndShown) {
    sim().knob("tftp answer=before start=1500");
    open();
    ASSERT_TRUE(pumpUntil([this] { return sets().size() == 2; })) << whatHappened();
    EXPECT_EQ(foreignTransfer("LogFile.RD", true), 69) << "a write before the device's";
    ASSERT_TRUE(deviceTransferBegun(LogForm->tftpServer.get())) << whatHappened();
    EXPECT_EQ(foreignTransfer("LogFile.RD", true), 69) << "a write during the device's";
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(status(), "Get OK.");
    EXPECT_EQ(shownRows().size(), 2) << shownRows().join("\n").toStdString();
    const QByteArray received = readFile(dataDir() + "/LogFile.RD");
    ASSERT_EQ(transfers("put").size(), 1u) << whatHappened();
    EXPECT_EQ(transfers("put")[0].fields.at("checksum"), checksum(received));

    addDeviceLine("Jan  1 00:04:00|kernel: [SYS]too late");
    setTimeScale(0.02);
    clickGetLog();
    ASSERT_TRUE(pumpUntil([this] { return status() == "Get fail."; }, 20000));
    ASSERT_TRUE(pumpUntil([&] { return !transfers("put").empty(); }, 20000)) << whatHappened();
    EXPECT_NE(transfers("put")[0].fields.at("result"), "ok") << "a write after the failure";
    EXPECT_EQ(readFile(dataDir() + "/LogFile.RD"), received);
}

TEST_F(LogPage, CrlfLogFollowsTheDelimiterRulesEmptyLinesAreSkippedAMissingFileShowsTheLastLoad) {
    sim().knob("log clear");
    sim().knob("log eol crlf");
    addDeviceLine("t1|x[SYS]hello");
    addDeviceLine("no delimiters here");
    addDeviceLine("t|x [WLAN no close");
    open();
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(shownRows(),
              (QStringList{"t1|SYS|hello", "||no delimiters here", "t||WLAN no close"}));

    const QString path = writeWorkFile("LogFile.RD", "a|x[SYS]1\n\n\r\nb|x[WLAN]2\n\n");
    ASSERT_TRUE(LogForm->ParseLogFile(path));
    const QStringList loaded{"a|SYS|1", "b|WLAN|2"};
    EXPECT_EQ(shownRows(), loaded);
    LogForm->ViewListView->ClearRows();
    EXPECT_FALSE(LogForm->ParseLogFile(workDir() + "/absent.RD"));
    EXPECT_EQ(shownRows(), loaded);
}

TEST_F(LogPage, NoInterfaceOnTheDeviceSubnetRefusesAndSendsNothing) {
    setDeviceAddress("203.0.113.5", "255.255.255.0");
    open();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Invalid Server IP Address or SNMP timed out!"});
    EXPECT_EQ(status(), "Refresh...!");
    EXPECT_FALSE(LogForm->reqLogServer->Busy()) << "a set went out";
    EXPECT_TRUE(sets().empty());
}

TEST_F(LogPage, LayoutShowsEveryCaptionWholeAndResizingKeepsTheButtonsInProportionAndApart) {
    open();
    ASSERT_TRUE(waitForOutcome());
    expectTidyLayout(LogForm);
    saveScreenshot(LogForm, "log");

    LogForm->resize(956, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(LogForm->Panel2->width(), LogForm->Panel1->width() - 20);
    EXPECT_EQ(LogForm->Panel2->height(), LogForm->Panel1->height() - 20);
    EXPECT_EQ(LogForm->Clear_Btn->x(), 956 * 142 / 478);
    EXPECT_EQ(LogForm->GetBtn->x(), 956 * 252 / 478);
    EXPECT_EQ(LogForm->CloseBtn->x(), 956 * 368 / 478);

    LogForm->resize(120, 120);
    QCoreApplication::processEvents();
    const QRect clear = LogForm->Clear_Btn->geometry();
    const QRect get = LogForm->GetBtn->geometry();
    const QRect close = LogForm->CloseBtn->geometry();
    EXPECT_LT(clear.right(), get.left()) << LogForm->width();
    EXPECT_LT(get.right(), close.left()) << LogForm->width();
    EXPECT_LE(close.right(), LogForm->Panel3->width()) << LogForm->width();
}

TEST_F(LogPage, PressedAgainOrClosedMidFetch_OnlyTheLatestPressCountsAndNothingIsLeftBehind) {
    // Every set is answered late, the Get before its file is sent: the first press's
    // acknowledgement arrives while the second press's address set is still unanswered, and must
    // not end the second press.
    sim().knob("delay 300 set");
    sim().knob("tftp answer=before start=50");
    open();
    ASSERT_TRUE(pumpUntil([] { return LogForm->reqGetLog->Busy(); })) << whatHappened();
    LogForm->GetBtn->click();
    bool failShown = false;
    ASSERT_TRUE(pumpUntil([&] {
        failShown |= status() == "Get fail.";
        return status() == "Get OK.";
    })) << whatHappened();
    EXPECT_FALSE(failShown);
    LogForm->GetBtn->click();
    ASSERT_TRUE(pumpUntil([] { return LogForm->reqGetLog->Busy(); })) << whatHappened();
    LogForm->CloseBtn->click();
    closePage();
    // The late answer reaches no page, and the port is free for the next one, whose fetch is
    // told apart from the first by a line added in between.
    sim().knob("delay off");
    addDeviceLine("Jan  1 00:03:00|kernel: [SYS]second page");
    open();
    ASSERT_TRUE(pumpUntil([this] { return status() == "Get OK."; })) << whatHappened();
    EXPECT_EQ(shownRows().size(), 3);
    EXPECT_TRUE(ui().boxes.empty()) << whatHappened();
}

TEST_F(LogPage, BusyTftpPortEndsTheApplicationWithItsReason) {
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::Any, tftpPort()));
    open();
    ASSERT_FALSE(ui().boxes.empty());
    EXPECT_TRUE(ui().boxes[0].text.startsWith("TFTP Service Init Error:(CvTFTP)"))
        << ui().boxes[0].text.toStdString();
    EXPECT_EQ(ui().terminatedWith, 1);
    EXPECT_TRUE(sets().empty());
}

}  // namespace
