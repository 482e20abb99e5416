#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "pages/tools/TransferWatch.h"

namespace {

CvTFTPMsg transferMessage(int status, int request, const char* file, int session = 1) {
    CvTFTPMsg message;
    message.Status = status;
    message.Request = request;
    message.FileName = file;
    message.Session = session;
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
    watch.expect(nullptr, "LogFile.RD", 2);
    watch.onMessage(transferMessage(1, 2, "LogFile.RD"));
    watch.onMessage(transferMessage(3, 2, "LogFile.RD"));
    bool arrived = false, ok = false;
    QCoreApplication::processEvents();
    watch.whenSettled(60000, [&](bool result) { arrived = true, ok = result; });
    EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 1) << "completion before the answer";

    watch.expect(nullptr, "backup.dcf", 2);
    arrived = false;
    watch.whenSettled(60000, [&](bool result) { arrived = true, ok = result; });
    watch.onMessage(transferMessage(1, 2, "backup.dcf"));
    watch.onMessage(transferMessage(-1110, 2, "backup.dcf"));
    EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 0) << "failure after the answer";
}

// Refusals (of no session) and the sessions of other files, directions or peers never end a
// watch, whatever they report.
TEST(TransferWatch, OnlyTheFirstSessionOfItsFileAndDirectionCounts) {
    TransferWatch watch;
    watch.expect(nullptr, "image.bin", 1);
    bool arrived = false, ok = false;
    watch.whenSettled(150, [&](bool result) { arrived = true, ok = result; });
    watch.onMessage(transferMessage(3, 2, "image.bin"));
    watch.onMessage(transferMessage(3, 1, "other.bin"));
    watch.onMessage(transferMessage(-1104, 1, "image.bin", 0));
    EXPECT_EQ(outcomeWithin(arrived, ok, 2000), 0) << "only the idle wait may end this watch";

    watch.expect(nullptr, "cfg.dcf", 2);
    arrived = false;
    watch.whenSettled(60000, [&](bool result) { arrived = true, ok = result; });
    watch.onMessage(transferMessage(-1104, 2, "cfg.dcf", 0));
    watch.onMessage(transferMessage(1, 2, "cfg.dcf", 7));
    watch.onMessage(transferMessage(3, 2, "cfg.dcf", 8));
    EXPECT_EQ(outcomeWithin(arrived, ok, 300), -1) << "another session or a refusal ended it";
    watch.onMessage(transferMessage(-1110, 2, "cfg.dcf", 7));
    EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 0);
}

TEST(TransferWatch, AStartedTransferIsEndedOnlyByItsOutcome) {
    TransferWatch watch;
    bool arrived = false, ok = false;
    // The start heard after the page began to wait, and before (a long image still being read
    // when the page's own wait ends).
    for (bool startFirst : {false, true}) {
        watch.expect(nullptr, "image.bin", 1);
        arrived = false;
        if (startFirst) watch.onMessage(transferMessage(1, 1, "image.bin"));
        watch.whenSettled(100, [&](bool result) { arrived = true, ok = result; });
        if (!startFirst) watch.onMessage(transferMessage(1, 1, "image.bin"));
        EXPECT_EQ(outcomeWithin(arrived, ok, 500), -1)
            << startFirst << ": a running transfer was given up for silence";
        watch.onMessage(transferMessage(3, 1, "image.bin"));
        EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 1) << startFirst;
    }

    watch.expect(nullptr, "image.bin", 1);
    arrived = false;
    watch.whenSettled(100, [&](bool result) { arrived = true, ok = result; });
    watch.onMessage(transferMessage(1, 1, "image.bin"));
    watch.onMessage(transferMessage(2, 1, "image.bin"));
    watch.onMessage(transferMessage(0, 1, "image.bin"));
    EXPECT_EQ(outcomeWithin(arrived, ok, 1000), 0) << "disconnected before completion is a failure";
}

TEST(TransferWatch, ANewWatchDropsTheOutcomeOfTheOldOne) {
    TransferWatch watch;
    watch.expect(nullptr, "LogFile.RD", 2);
    watch.onMessage(transferMessage(1, 2, "LogFile.RD"));
    watch.onMessage(transferMessage(3, 2, "LogFile.RD"));
    watch.expect(nullptr, "LogFile.RD", 2);
    bool arrived = false, ok = false;
    watch.whenSettled(200, [&](bool result) { arrived = true, ok = result; });
    EXPECT_EQ(outcomeWithin(arrived, ok, 2000), 0) << "the earlier file must not pass for this one";
}
