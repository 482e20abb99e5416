// The server over real loopback sockets, driven by hand-made packets.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>

#include "library/tftp/TftpProtocol.h"
#include "tests/tftp/TftpTestSupport.h"

using namespace tftptest;
using namespace tftp;

namespace {

struct ServerPacketTest : ::testing::Test, ServerFixture {
    RawPeer peer;

    void SetUp() override { ASSERT_NE(port, 0) << "the server did not bind a port"; }

    // Sends a request and returns the first answer.
    RawPeer::Datagram request(int kind, const std::string& name, RawPeer& from) {
        from.send(requestPacket(kind, name, "octet"), port);
        const auto answer = from.receive();
        EXPECT_TRUE(answer) << "no answer to the request for " << name;
        return answer.value_or(RawPeer::Datagram{});
    }
    RawPeer::Datagram request(int kind, const std::string& name) {
        return request(kind, name, peer);
    }
};

std::string payload(const RawPeer::Datagram& datagram) {
    return datagram.data.substr(4);
}

}  // namespace

TEST_F(ServerPacketTest, MissingFile_GetsFileNotFoundFromANewPort) {
    const auto answer = request(1, "absent.bin");
    EXPECT_EQ(opcodeOf(answer.data), ERROR);
    EXPECT_EQ(blockOf(answer.data), FileNotFound);
    EXPECT_NE(answer.port, port) << "the answer must come from the session's own port";
    ASSERT_TRUE(waitUntil([&] { return recorder.saw("absent.bin", 0); }, 5000));
    EXPECT_EQ(recorder.statusesFor("absent.bin"), (std::vector<int>{1, -1103, 0}));
    EXPECT_EQ(recorder.last("absent.bin", -1103)->StatusText, "(CvTFTP) File not found!");
}

TEST_F(ServerPacketTest, NamesOutsideTheRoot_GetAccessViolationAndTouchNothing) {
    ASSERT_TRUE(writeFile(path("inside"), "secret"));
    for (const std::string name : {"../x", "a/b", "/etc/passwd", "..\\inside", "C:inside"}) {
        for (int kind : {1, 2}) {
            const auto answer = request(kind, name);
            EXPECT_EQ(opcodeOf(answer.data), ERROR) << name;
            EXPECT_EQ(blockOf(answer.data), AccessViolation) << name;
        }
    }
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"inside"});
    EXPECT_EQ(recorder.last("a/b", -1108)->Request, 2);
}

TEST_F(ServerPacketTest, EmptyOrMissingRoot_RefusesEveryRequestCleanly) {
    ASSERT_TRUE(writeFile(path("cfg.dcf"), "x"));
    server.Start("", 0);
    EXPECT_EQ(server.boundPort(), port);
    for (int kind : {1, 2}) EXPECT_EQ(blockOf(request(kind, "cfg.dcf").data), AccessViolation);
    EXPECT_EQ(readFile(path("cfg.dcf")), "x");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"cfg.dcf"});

    server.Start(root() + "/absent", 0);
    EXPECT_EQ(blockOf(request(2, "x.bin").data), DiskFull);
    EXPECT_EQ(blockOf(request(1, "x.bin").data), FileNotFound);
}

TEST_F(ServerPacketTest, RepeatedAck_DoesNotRepeatData) {
    const std::string bytes = patternBytes(1300, 1);
    ASSERT_TRUE(writeFile(path("f"), bytes));
    const auto first = request(1, "f");
    ASSERT_EQ(blockOf(first.data), 1);
    peer.send(ackPacket(1), first.port);
    const auto second = peer.receive();
    ASSERT_TRUE(second);
    ASSERT_EQ(blockOf(second->data), 2);
    // Loopback keeps order: had the repeated ACK caused a send, DATA 2 would come before DATA 3.
    peer.send(ackPacket(1), first.port);
    peer.send(ackPacket(2), first.port);
    const auto third = peer.receive();
    ASSERT_TRUE(third);
    EXPECT_EQ(blockOf(third->data), 3);
    EXPECT_EQ(payload(first) + payload(*second) + payload(*third), bytes);
    peer.send(ackPacket(3), first.port);
    EXPECT_TRUE(waitUntil([&] { return recorder.saw("f", 3); }, 5000));
}

TEST_F(ServerPacketTest, LostAck_IsRecoveredByRetransmission) {
    server.SetTimeout(5, 3);
    const std::string bytes = patternBytes(700, 2);
    ASSERT_TRUE(writeFile(path("f"), bytes));
    const auto first = request(1, "f");
    // No ACK: the same block comes again after the time-out.
    const auto repeat = peer.receive();
    ASSERT_TRUE(repeat);
    EXPECT_EQ(repeat->data, first.data);
    EXPECT_EQ(repeat->port, first.port);
    peer.send(ackPacket(1), first.port);
    std::optional<RawPeer::Datagram> second;
    do second = peer.receive();
    while (second && blockOf(second->data) == 1);  // a repeat may still have been under way
    ASSERT_TRUE(second);
    EXPECT_EQ(payload(first) + payload(*second), bytes);
    peer.send(ackPacket(2), first.port);
    EXPECT_TRUE(waitUntil([&] { return recorder.saw("f", 3); }, 5000));
}

TEST_F(ServerPacketTest, LostData_IsRecoveredByRepeatingTheAck) {
    server.SetTimeout(5, 3);
    const std::string bytes = patternBytes(600, 3);
    const auto ack0 = request(2, "up");
    ASSERT_EQ(ack0.data, ackPacket(0));
    peer.send(dataPacket(1, bytes.substr(0, 512)), ack0.port);
    ASSERT_EQ(peer.receive()->data, ackPacket(1));
    // DATA 2 "lost": the server repeats ACK 1 until it comes.
    const auto repeat = peer.receive();
    ASSERT_TRUE(repeat);
    EXPECT_EQ(repeat->data, ackPacket(1));
    peer.send(dataPacket(2, bytes.substr(512)), ack0.port);
    std::optional<RawPeer::Datagram> last;
    do last = peer.receive();
    while (last && last->data == ackPacket(1));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->data, ackPacket(2));
    EXPECT_EQ(readFile(path("up")), bytes);
}

TEST_F(ServerPacketTest, SilentClient_GetsATimeOutFailureAfterTheRetries) {
    server.SetTimeout(2, 2);
    ASSERT_TRUE(writeFile(path("f"), patternBytes(100, 4)));
    request(1, "f");
    ASSERT_TRUE(waitUntil([&] { return recorder.saw("f", 0); }, 5000));
    EXPECT_EQ(recorder.statusesFor("f"), (std::vector<int>{1, 2, -1110, 0}));
    const CvTFTPMsg* failure = recorder.last("f", -1110);
    EXPECT_EQ(failure->Timeout, 2);
    EXPECT_EQ(failure->Retries, 2);
    EXPECT_EQ(failure->StatusText, "(CvTFTP) Time-out after retries!");
    int repeats = 0;
    while (peer.receive(0)) ++repeats;
    EXPECT_EQ(repeats, 2) << "one send and exactly two repeats";
    EXPECT_EQ(server.sessionCount(), 0);
}

TEST_F(ServerPacketTest, InterruptedUpload_LeavesTheEarlierFileAndNoTemporaryFile) {
    server.SetTimeout(2, 1);
    ASSERT_TRUE(writeFile(path("cfg.dcf"), "earlier"));
    // Broken off by an error packet, by silence, and by the server stopping.
    for (int way = 0; way < 3; ++way) {
        recorder = Recorder();
        recorder.attach(server);
        if (way == 2) server.Start(root(), 0);
        port = server.boundPort();
        RawPeer client;
        const auto ack0 = request(2, "cfg.dcf", client);
        client.send(dataPacket(1, patternBytes(512, 5)), ack0.port);
        ASSERT_EQ(client.receive()->data, ackPacket(1));
        EXPECT_EQ(folderEntries(dir.path()).size(), 2) << "the upload goes to a temporary file";
        if (way == 0) client.send(errorPacket(0, "user cancelled"), ack0.port);
        if (way == 2) server.Stop();
        ASSERT_TRUE(waitUntil([&] { return recorder.saw("cfg.dcf", 0); }, 5000)) << way;
        EXPECT_EQ(readFile(path("cfg.dcf")), "earlier") << way;
        EXPECT_EQ(folderEntries(dir.path()), QStringList{"cfg.dcf"}) << way;
    }
}

TEST_F(ServerPacketTest, Stranger_GetsUnknownTransferIdAndTheSessionGoesOn) {
    const std::string bytes = patternBytes(900, 6);
    ASSERT_TRUE(writeFile(path("f"), bytes));
    const auto first = request(1, "f");
    RawPeer stranger;
    stranger.send(ackPacket(1), first.port);
    const auto refusal = stranger.receive();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(opcodeOf(refusal->data), ERROR);
    EXPECT_EQ(blockOf(refusal->data), UnknownTransferId);
    peer.send(ackPacket(1), first.port);
    const auto second = peer.receive();
    ASSERT_TRUE(second);
    EXPECT_EQ(blockOf(second->data), 2);
    EXPECT_EQ(payload(first) + payload(*second), bytes);
}

TEST_F(ServerPacketTest, MalformedPackets_AreAnsweredOrDroppedAndServiceGoesOn) {
    peer.send(std::string(1, '\0'), port);              // too short: dropped
    peer.send(std::string("\0\5\0\0oops\0", 9), port);  // an error: never answered
    peer.send(std::string("\0\x09\0\1", 4), port);      // unknown opcode
    ASSERT_EQ(blockOf(peer.receive()->data), IllegalOperation);
    peer.send(std::string("\0\1noterminator", 14), port);  // unterminated request
    ASSERT_EQ(blockOf(peer.receive()->data), IllegalOperation);
    peer.send(ackPacket(1), port);  // no session on the main port
    ASSERT_EQ(blockOf(peer.receive()->data), UnknownTransferId);
    peer.send(std::string(65507, 'z'), port);  // largest datagram, no request
    ASSERT_EQ(blockOf(peer.receive()->data), IllegalOperation);
    ASSERT_TRUE(writeFile(path("f"), "still served"));
    const auto answer = request(1, "f");
    EXPECT_EQ(payload(answer), "still served");
}

// A peer repeats its request when the first answer is lost; waiting for the session's own time-out
// (tens of seconds on the transfer pages) would outlast the patience of most clients.
TEST_F(ServerPacketTest, RepeatedRequest_GetsTheFirstAnswerAgainUntilThePeerAnswersIt) {
    server.SetTimeout(3000, 3);
    ASSERT_TRUE(writeFile(path("f"), patternBytes(2000, 7)));
    const auto first = request(1, "f");
    const auto again = request(1, "f");
    EXPECT_EQ(again.data, first.data);
    EXPECT_EQ(again.port, first.port) << "a second session was started";

    RawPeer writer;
    const auto ack0 = request(2, "up", writer);
    const auto ack0Again = request(2, "up", writer);
    EXPECT_EQ(ack0Again.data, ackPacket(0));
    EXPECT_EQ(ack0Again.port, ack0.port);
    EXPECT_EQ(server.sessionCount(), 2);

    // Once the peer has answered, a late copy of its request is not answered.
    writer.send(dataPacket(1, patternBytes(512, 8)), ack0.port);
    ASSERT_EQ(writer.receive()->data, ackPacket(1));
    writer.send(requestPacket(2, "up", "octet"), port);
    peer.send(ackPacket(1), first.port);
    ASSERT_EQ(blockOf(peer.receive()->data), 2);
    peer.send(requestPacket(1, "f", "octet"), port);
    // The main port takes requests in order: once a later one is answered, both copies were read.
    RawPeer probe;
    request(1, "absent", probe);
    EXPECT_FALSE(writer.receive(0)) << "the upload's late request was answered";
    EXPECT_FALSE(peer.receive(0)) << "the download's late request was answered";
    EXPECT_EQ(server.sessionCount(), 2);
}

TEST_F(ServerPacketTest, HandlerThatDeletesTheServer_IsSafe) {
    auto doomed = std::make_unique<CvTFTPServer>(nullptr);
    doomed->Start(root(), 0);
    const uint16_t doomedPort = doomed->boundPort();
    int calls = 0;
    doomed->SetOnMessage([&](const CvTFTPMsg&) {
        ++calls;
        doomed.reset();
    });
    ASSERT_TRUE(writeFile(path("f"), "x"));
    peer.send(requestPacket(1, "f", "octet"), doomedPort);
    ASSERT_TRUE(waitUntil([&] { return !doomed; }, 5000));
    EXPECT_EQ(calls, 1);
}

TEST_F(ServerPacketTest, ThrowingHandler_DoesNotStopTheTransfer) {
    ASSERT_TRUE(writeFile(path("f"), "payload"));
    int calls = 0;
    server.SetOnMessage([&](const CvTFTPMsg&) {
        ++calls;
        throw std::runtime_error("handler failure");
    });
    const auto answer = request(1, "f");
    EXPECT_EQ(payload(answer), "payload");
    peer.send(ackPacket(1), answer.port);
    EXPECT_TRUE(waitUntil([&] { return calls == 4; }, 5000)) << calls;
}

TEST_F(ServerPacketTest, SpecialFilesAndLinks_AreRefusedWithoutBlockingOrFollowing) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(::mkfifo(path("pipe").toLocal8Bit().constData(), 0644), 0);
    QTemporaryDir outside;
    ASSERT_TRUE(writeFile(outside.filePath("secret"), "outside"));
    ASSERT_TRUE(QFile::link(outside.filePath("secret"), path("link")));
    // Opening a FIFO for reading would wait for a writer and freeze the whole program.
    for (const char* name : {"folder", "pipe", "link"}) {
        EXPECT_EQ(blockOf(request(1, name).data), AccessViolation) << name;
        EXPECT_EQ(blockOf(request(2, name).data), AccessViolation) << name;
    }
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_TRUE(QFileInfo(path("link")).isSymLink());
    EXPECT_EQ(readFile(outside.filePath("secret")), "outside");
}

// A page admits the device's one transfer: a request from another address, for another name or
// direction, a second one while it runs and every one after it are refused and touch no file. The
// device names the file in 8-bit text; the file opened is the one of the name the page gave, and
// that spelling opens nothing by itself.
TEST_F(ServerPacketTest, Admission_LetsOnlyTheDevicesOneTransferThrough) {
    const std::string wire = "x\xE4.dcf";
    ASSERT_TRUE(writeFile(path("xä.dcf"), "earlier"));
    ASSERT_TRUE(writeFile(path("notes.txt"), "mine"));
    server.Admit(wire, 2, {"127.0.0.1"}, "x\xC3\xA4.dcf");
    RawPeer stranger("127.0.0.2"), second;
    for (int kind : {1, 2})
        EXPECT_EQ(blockOf(request(kind, wire, stranger).data), AccessViolation) << kind;
    EXPECT_EQ(blockOf(request(1, wire).data), AccessViolation) << "served the other way";
    EXPECT_EQ(blockOf(request(2, "notes.txt").data), AccessViolation);
    EXPECT_EQ(blockOf(request(2, "x\xC3\xA4.dcf").data), AccessViolation);
    const auto ack0 = request(2, wire);
    ASSERT_EQ(ack0.data, ackPacket(0));
    EXPECT_EQ(request(2, wire).port, ack0.port) << "the repeat was not the running session's";
    for (RawPeer* other : {&second, &stranger})
        EXPECT_EQ(blockOf(request(2, wire, *other).data), AccessViolation)
            << "a second transfer began while the first ran";
    peer.send(dataPacket(1, "new"), ack0.port);
    ASSERT_EQ(peer.receive()->data, ackPacket(1));
    EXPECT_EQ(readFile(path("xä.dcf")), "new");
    for (int kind : {1, 2})
        EXPECT_EQ(blockOf(request(kind, wire, second).data), AccessViolation) << "admitted twice";
    EXPECT_EQ(readFile(path("xä.dcf")), "new");
    EXPECT_EQ(readFile(path("notes.txt")), "mine");
    EXPECT_EQ(folderEntries(dir.path()), (QStringList{"notes.txt", "xä.dcf"}));
    EXPECT_EQ(recorder.last(wire, -1104)->Session, 0) << "a refusal passed for a session";
    EXPECT_TRUE(recorder.saw(wire, 3)) << "the transfer was not reported by the name asked for";
}

// Withdrawn before it was used (the page's wait ended), an admission lets nothing through; a
// later one is not ended by the withdrawal of an older one. Refusals go to the trace.
TEST_F(ServerPacketTest, WithdrawnAdmission_RefusesTheDeviceToo) {
    QStringList trace;
    static QStringList* traced = nullptr;
    traced = &trace;
    QLoggingCategory::setFilterRules("vra.trace.debug=true");
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { *traced << text; });
    ASSERT_TRUE(writeFile(path("LogFile.RD"), "old"));
    server.Withdraw(server.Admit("LogFile.RD", 2, {"127.0.0.1"}));
    EXPECT_EQ(blockOf(request(2, "LogFile.RD").data), AccessViolation);
    const int older = server.Admit("LogFile.RD", 2, {"127.0.0.1"});
    server.Withdraw(older);
    server.Admit("LogFile.RD", 2, {"127.0.0.1"});
    server.Withdraw(older);
    EXPECT_EQ(request(2, "LogFile.RD").data, ackPacket(0));
    server.Withdraw(0);
    RawPeer late;
    EXPECT_EQ(blockOf(request(2, "LogFile.RD", late).data), AccessViolation);
    // A name from the network cannot forge a trace line of its own, nor flood the trace.
    EXPECT_EQ(blockOf(request(1, "x\nTFTP: refused" + std::string(500, 'A'), late).data),
              AccessViolation);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules("");
    EXPECT_EQ(readFile(path("LogFile.RD")), "old");
    const QString from = QString(" from 127.0.0.1:%1").arg(late.localPort());
    EXPECT_TRUE(trace.contains("TFTP: refused write of LogFile.RD" + from));
    const auto forged = std::find_if(trace.begin(), trace.end(), [](const QString& line) {
        return line.startsWith("TFTP: refused read of x\\x0aTFTP: refused");
    });
    ASSERT_NE(forged, trace.end()) << trace.join('\n').toStdString();
    EXPECT_TRUE(forged->endsWith("..." + from) && forged->size() < 200) << forged->toStdString();
}

// A process killed mid-upload leaves its temporary file; the next upload of the name removes it,
// and leaves alone those of uploads still running.
TEST_F(ServerPacketTest, LeftoverTemporaryFiles_AreRemovedByTheNextUploadOfTheName) {
    const QString own = QString(".cfg.dcf.%1-99999-1.part").arg(QCoreApplication::applicationPid());
    for (const QString& name : {QString(".cfg.dcf.999999999-0-0.part"), own})
        ASSERT_TRUE(writeFile(path(name), "half"));
    RawPeer running;
    const auto first = request(2, "cfg.dcf", running);
    ASSERT_EQ(folderEntries(dir.path()).size(), 1);
    request(2, "cfg.dcf");
    ASSERT_EQ(folderEntries(dir.path()).size(), 2) << "a running upload lost its file";
    running.send(dataPacket(1, "whole"), first.port);
    ASSERT_EQ(running.receive()->data, ackPacket(1));
    EXPECT_EQ(readFile(path("cfg.dcf")), "whole");
}

TEST_F(ServerPacketTest, NameTooLongForTheDisk_IsRefusedBeforeAnyDataMoves) {
    const std::string name(300, 'n');
    for (int kind : {1, 2}) {
        const auto answer = request(kind, name);
        EXPECT_EQ(opcodeOf(answer.data), ERROR) << "kind " << kind << ": the transfer began";
        EXPECT_EQ(blockOf(answer.data), AccessViolation) << "kind " << kind;
    }
    EXPECT_TRUE(waitUntil([&] { return server.sessionCount() == 0; }, 5000));
    EXPECT_EQ(recorder.statusesFor(name), (std::vector<int>{1, -1108, 0, 1, -1108, 0}));
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

TEST_F(ServerPacketTest, SecondStartDuringTransfers_LeavesThemOnTheFolderTheyBeganIn) {
    const std::string served = patternBytes(1000, 21), uploaded = patternBytes(700, 22);
    ASSERT_TRUE(writeFile(path("fw.bin"), served));
    RawPeer reader;
    const auto block1 = request(1, "fw.bin", reader);
    const auto ack0 = request(2, "cfg.dcf");
    peer.send(dataPacket(1, uploaded.substr(0, 512)), ack0.port);
    ASSERT_EQ(peer.receive()->data, ackPacket(1));

    QTemporaryDir other;
    server.Start(other.path().toStdString(), 0);
    reader.send(ackPacket(1), block1.port);
    const auto block2 = reader.receive();
    ASSERT_TRUE(block2);
    EXPECT_EQ(payload(block1) + payload(*block2), served) << "the download changed files";
    reader.send(ackPacket(2), block1.port);
    peer.send(dataPacket(2, uploaded.substr(512)), ack0.port);
    ASSERT_EQ(peer.receive()->data, ackPacket(2));

    EXPECT_TRUE(waitUntil([&] { return recorder.saw("fw.bin", 3); }, 5000));
    EXPECT_EQ(readFile(path("cfg.dcf")), uploaded) << "the upload did not land where it began";
    EXPECT_TRUE(folderEntries(other.path()).isEmpty());
}

TEST_F(ServerPacketTest, InterleavedUploadsOfOneName_EachLandWholeAndReadersSeeWholeFiles) {
    const std::string first = patternBytes(900, 31), second = patternBytes(1100, 32);
    RawPeer other, reader;
    const auto a = request(2, "cfg.dcf");
    const auto b = request(2, "cfg.dcf", other);
    peer.send(dataPacket(1, first.substr(0, 512)), a.port);
    ASSERT_EQ(peer.receive()->data, ackPacket(1));
    other.send(dataPacket(1, second.substr(0, 512)), b.port);
    ASSERT_EQ(other.receive()->data, ackPacket(1));
    peer.send(dataPacket(2, first.substr(512)), a.port);
    ASSERT_EQ(peer.receive()->data, ackPacket(2));
    EXPECT_EQ(readFile(path("cfg.dcf")), first);

    // A download that begins now keeps reading the first upload while the second replaces it.
    const auto read1 = request(1, "cfg.dcf", reader);
    other.send(dataPacket(2, second.substr(512, 512)), b.port);
    ASSERT_EQ(other.receive()->data, ackPacket(2));
    other.send(dataPacket(3, second.substr(1024)), b.port);
    ASSERT_EQ(other.receive()->data, ackPacket(3));
    EXPECT_EQ(readFile(path("cfg.dcf")), second);
    reader.send(ackPacket(1), read1.port);
    const auto read2 = reader.receive();
    ASSERT_TRUE(read2);
    EXPECT_EQ(payload(read1) + payload(*read2), first);

    EXPECT_EQ(folderEntries(dir.path()), QStringList{"cfg.dcf"}) << "a temporary file was left";
}

TEST_F(ServerPacketTest, StopFromTheHandler_EndsTheMessagesWithDisconnected) {
    ASSERT_TRUE(writeFile(path("f"), patternBytes(2000, 51)));
    std::vector<int> statuses;
    std::string lastText;
    int stopAt = 1;
    server.SetOnMessage([&](const CvTFTPMsg& message) {
        statuses.push_back(message.Status);
        lastText = message.StatusText;
        if (message.Status == stopAt) server.Stop();
    });
    const auto block1 = request(1, "f");
    EXPECT_EQ(blockOf(block1.data), 1);
    EXPECT_EQ(statuses, (std::vector<int>{1, 0})) << "a message came after the session ended";
    EXPECT_EQ(lastText, "(CvTFTP) Disconnected.");
    const auto told = peer.receive();
    ASSERT_TRUE(told) << "the peer was not told of the stop";
    EXPECT_EQ(told->data, errorPacket(NotDefined, "Disconnected."));

    // Stopped at its success, an upload still reports its end once, after it.
    statuses.clear();
    stopAt = 3;
    server.Start(root(), 0);
    port = server.boundPort();
    RawPeer uploader;
    const auto ack0 = request(2, "up", uploader);
    uploader.send(dataPacket(1, "short"), ack0.port);
    ASSERT_EQ(uploader.receive()->data, ackPacket(1));
    EXPECT_EQ(statuses, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(readFile(path("up")), "short");
}
