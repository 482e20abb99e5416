#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "pages/tools/Systemlog.h"

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath("LogFile.RD");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

}  // namespace

TEST(LogParser, SplitsTimeTypeAndMessageByBarAndBrackets) {
    struct Case {
        const char *line, *time, *type, *message;
    };
    const Case cases[] = {
        {"t1|x[SYS]hello", "t1", "SYS", "hello"},  // free text between bar and bracket dropped
        {"Jan  1 00:00:05 |syslogd: [WLAN]station joined", "Jan  1 00:00:05", "WLAN",
         "station joined"},
        {"  t |x[SYS] leading blank", "t", "SYS", " leading blank"},  // time trimmed only
        {"no delimiters here", "", "", "no delimiters here"},
        {"t|x SYS] m", "t", "x SYS", " m"},                // no opening bracket
        {"t|x [WLAN no close", "t", "", "WLAN no close"},  // no closing bracket
        {"x[NOTICE]m", "", "NOTICE", "m"},                 // no bar
        {"a[b|c]d", "a[b", "c", "d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const LogEntry e = splitLogLine(QString::fromLatin1(c.line));
        EXPECT_EQ(e.time, QString::fromLatin1(c.time));
        EXPECT_EQ(e.type, QString::fromLatin1(c.type));
        EXPECT_EQ(e.message, QString::fromLatin1(c.message));
    }
}

TEST(LogFileLoading, SplitsLfCrlfAndCrLinesAsLatin1_AnEmptyFileGivesNoLines) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QByteArray("a|[SYS]1\r\nb|[SYS]2\n\nc|[SYS]\xe9\rd"));
    QStringList lines{"stale"};
    ASSERT_TRUE(loadLogLines(path, lines));
    EXPECT_EQ(lines,
              (QStringList{"a|[SYS]1", "b|[SYS]2", "", QString::fromUtf8("c|[SYS]\u00e9"), "d"}));
    ASSERT_TRUE(loadLogLines(writeFile(dir, QByteArray()), lines));
    EXPECT_TRUE(lines.isEmpty());
}

TEST(NetworkAddress, MasksEachOctetCountingWhatIsNoNumberAsZero) {
    const char* const cases[][3] = {
        {"192.168.0.50", "255.255.255.0", "192.168.0.0"},
        {"10.0.0.200", "255.255.255.128", "10.0.0.128"},
        {"10.0.0.5", "255.255.255.128", "10.0.0.0"},
        {"192.x.0.50", "255.255.255.0", "192.0.0.0"},
        {"", "", "0.0.0.0"},
        {"10.1", "255.255.255.255", "10.0.0.0"},
        {"257.1.1.1.9", "255.255.255.255", "1.1.1.0"},  // only the low bits of an octet count
    };
    for (const auto& [address, mask, network] : cases)
        EXPECT_EQ(networkAddress(address, mask), network) << address << " / " << mask;
}

TEST(ServerAddressChoice, FirstInterfaceOnTheDeviceNetworkWins) {
    const std::vector<LocalAddress> locals{{"127.0.0.1", "255.0.0.0"},
                                           {"192.168.1.7", "255.255.255.0"},
                                           {"192.168.0.7", "255.255.255.0"},
                                           {"192.168.0.9", "255.255.255.0"},
                                           {"10.0.0.5", "255.255.255.128"}};
    const char* const cases[][3] = {
        {"192.168.0.50", "255.255.255.0", "192.168.0.7"},
        {"192.168.2.50", "255.255.255.0", ""},
        {"10.0.0.100", "255.255.255.128", "10.0.0.5"},
        {"10.0.0.200", "255.255.255.128", ""},  // the upper half of a /25 is another network
        {"", "", ""},                           // an unknown device address matches nothing
    };
    for (const auto& [device, mask, chosen] : cases)
        EXPECT_EQ(addressOnDeviceNetwork(locals, device, mask), chosen) << device << " / " << mask;
}

TEST(TransferPaths, EitherSeparatorSplitsFolderAndName) {
    EXPECT_EQ(folderOfPath("/tmp/a/b.dcf"), "/tmp/a");
    EXPECT_EQ(bareNameOfPath("/tmp/a/b.dcf"), "b.dcf");
    EXPECT_EQ(folderOfPath("C:\\cfg\\b.dcf"), "C:\\cfg");
    EXPECT_EQ(bareNameOfPath("/tmp/x\\y.bin"), "y.bin");
    EXPECT_EQ(lastSeparator("plain.dcf"), -1);
    EXPECT_EQ(bareNameOfPath("plain.dcf"), "plain.dcf");
}

namespace {

CvTFTPMsg transferMessage(int status, int request, const char* file) {
    CvTFTPMsg message;
    message.Status = status;
    message.Request = request;
    message.FileName = file;
    return message;
}

// Pumps events until the outcome arrives or the deadline passes; -1 when none came.
int outcomeWithin(const bool& arrived, const bool& ok, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!arrived && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return arrived ? (ok ? 1 : 0) : -1;
}

}  // namespace

TEST(TransferWatch, OutcomeHeardBeforeOrAfterTheAnswerEndsTheWait) {
    TransferWatch watch;
    watch.expect("LogFile.RD", 2);
    watch.onMessage(transferMessage(3, 2, "LogFile.RD"));
    bool arrived = false, ok = false;
    QCoreApplication::processEvents();
    watch.whenSettled(60000, [&](bool result) { arrived = true, ok = result; });
    EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 1) << "completion before the answer";

    watch.expect("backup.dcf", 2);
    arrived = false;
    watch.whenSettled(60000, [&](bool result) { arrived = true, ok = result; });
    watch.onMessage(transferMessage(1, 2, "backup.dcf"));
    watch.onMessage(transferMessage(-1110, 2, "backup.dcf"));
    EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 0) << "failure after the answer";
}

TEST(TransferWatch, OtherFilesAndDirectionsDoNotCount) {
    TransferWatch watch;
    watch.expect("image.bin", 1);
    bool arrived = false, ok = false;
    watch.whenSettled(150, [&](bool result) { arrived = true, ok = result; });
    watch.onMessage(transferMessage(3, 2, "image.bin"));
    watch.onMessage(transferMessage(3, 1, "other.bin"));
    EXPECT_EQ(outcomeWithin(arrived, ok, 2000), 0) << "only the idle wait may end this watch";
}

TEST(TransferWatch, AStartedTransferIsEndedOnlyByItsOutcome) {
    TransferWatch watch;
    bool arrived = false, ok = false;
    // The start heard after the page began to wait, and before (a long image still being read
    // when the page's own wait ends).
    for (bool startFirst : {false, true}) {
        watch.expect("image.bin", 1);
        arrived = false;
        if (startFirst) watch.onMessage(transferMessage(1, 1, "image.bin"));
        watch.whenSettled(100, [&](bool result) { arrived = true, ok = result; });
        if (!startFirst) watch.onMessage(transferMessage(1, 1, "image.bin"));
        EXPECT_EQ(outcomeWithin(arrived, ok, 500), -1)
            << startFirst << ": a running transfer was given up for silence";
        watch.onMessage(transferMessage(3, 1, "image.bin"));
        EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 1) << startFirst;
    }

    watch.expect("image.bin", 1);
    arrived = false;
    watch.whenSettled(100, [&](bool result) { arrived = true, ok = result; });
    watch.onMessage(transferMessage(2, 1, "image.bin"));
    watch.onMessage(transferMessage(0, 1, "image.bin"));
    EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 0) << "disconnected before completion is a failure";
}

TEST(TransferWatch, ANewWatchDropsTheOutcomeOfTheOldOne) {
    TransferWatch watch;
    watch.expect("LogFile.RD", 2);
    watch.onMessage(transferMessage(3, 2, "LogFile.RD"));
    watch.expect("LogFile.RD", 2);
    bool arrived = false, ok = false;
    watch.whenSettled(200, [&](bool result) { arrived = true, ok = result; });
    EXPECT_EQ(outcomeWithin(arrived, ok, 2000), 0) << "the earlier file must not pass for this one";
}
