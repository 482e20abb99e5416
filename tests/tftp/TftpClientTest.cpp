// Real TFTP clients against the server on loopback: every size moves byte for byte.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <algorithm>

#include "tests/tftp/TftpTestSupport.h"

using namespace tftptest;

namespace {

enum class Client { Curl, CurlNoOptions, TftpHpa, Atftp };

const char* nameOf(Client client) {
    switch (client) {
        case Client::Curl:
            return "Curl";
        case Client::CurlNoOptions:
            return "CurlNoOptions";
        case Client::TftpHpa:
            return "TftpHpa";
        case Client::Atftp:
            return "Atftp";
    }
    return "?";
}

struct Command {
    QString program;
    QStringList arguments;
};

// The client's command that reads remote into local (get) or writes local to remote (put).
Command transfer(Client client, uint16_t port, bool put, const QString& local,
                 const QString& remote, const QString& mode = "binary") {
    const QString host = "127.0.0.1", portText = QString::number(port);
    switch (client) {
        case Client::Curl:
        case Client::CurlNoOptions: {
            QStringList arguments{"--silent", "--show-error", put ? "-T" : "-o", local,
                                  "tftp://" + host + ":" + portText + "/" + remote};
            if (client == Client::CurlNoOptions) arguments.prepend("--tftp-no-options");
            return {"curl", arguments};
        }
        case Client::TftpHpa:
            return {"tftp",
                    {"-m", mode, host, portText, "-c", put ? "put" : "get", put ? local : remote,
                     put ? remote : local}};
        case Client::Atftp:
            return {"atftp", {put ? "-p" : "-g", "-l", local, "-r", remote, host, portText}};
    }
    return {};
}

struct ClientTest : ServerFixture {
    QTemporaryDir clientDir;

    // Runs the command and waits for the server's success event for the file as well.
    void run(const Command& command, const std::string& remote, int timeoutMs) {
        const ClientResult result = runClient(command.program, command.arguments, timeoutMs);
        ASSERT_TRUE(result.finished) << command.program.toStdString() << " did not finish";
        EXPECT_EQ(result.exitCode, 0) << result.output.toStdString();
        EXPECT_TRUE(waitUntil([&] { return recorder.saw(remote, 3); }, 5000))
            << "no success event for " << remote;
    }

    void roundTrip(Client client, size_t size, int timeoutMs) {
        const std::string bytes = patternBytes(size, static_cast<unsigned>(size) + 11);
        const std::string served = "served-" + std::to_string(size) + ".bin";
        ASSERT_TRUE(writeFile(path(QString::fromStdString(served)), bytes));
        const QString fetched = clientDir.filePath("fetched.bin");
        run(transfer(client, port, false, fetched, QString::fromStdString(served)), served,
            timeoutMs);
        const auto got = readFile(fetched);
        // curl creates no output file for an empty transfer.
        EXPECT_EQ(got.value_or(std::string()), bytes) << "download differs";
        EXPECT_TRUE(got || size == 0) << "no downloaded file";
        EXPECT_EQ(recorder.last(served, 3)->ByteCount, size);

        const std::string received = "received-" + std::to_string(size) + ".bin";
        const QString local = clientDir.filePath("upload.bin");
        ASSERT_TRUE(writeFile(local, bytes));
        run(transfer(client, port, true, local, QString::fromStdString(received)), received,
            timeoutMs);
        EXPECT_EQ(readFile(path(QString::fromStdString(received))), bytes) << "upload differs";
        EXPECT_EQ(recorder.last(received, 3)->ByteCount, size);
        EXPECT_EQ(folderEntries(dir.path()).size(), 2) << "a temporary file was left behind";
    }
};

struct ClientSizeTest : ClientTest, ::testing::TestWithParam<std::tuple<Client, size_t>> {};

}  // namespace

TEST_P(ClientSizeTest, DownloadAndUpload_AreByteExact) {
    const auto [client, size] = GetParam();
    roundTrip(client, size, 60000);
}

INSTANTIATE_TEST_SUITE_P(Clients, ClientSizeTest,
                         ::testing::Combine(::testing::Values(Client::Curl, Client::CurlNoOptions,
                                                              Client::TftpHpa, Client::Atftp),
                                            ::testing::Values(size_t{0}, size_t{1}, size_t{511},
                                                              size_t{512}, size_t{513},
                                                              size_t{1} << 20)),
                         [](const auto& info) {
                             return std::string(nameOf(std::get<0>(info.param))) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

struct LargeFileTest : ClientTest, ::testing::TestWithParam<Client> {};

// 78,126 blocks: the block number wraps past 65,535.
TEST_P(LargeFileTest, FortyMegabytes_PastTheBlockNumberWrap_AreByteExact) {
    roundTrip(GetParam(), 40'000'123, 600000);
}

INSTANTIATE_TEST_SUITE_P(Clients, LargeFileTest, ::testing::Values(Client::Curl, Client::TftpHpa),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

struct NetasciiTest : ClientTest, ::testing::Test {};

// In netascii mode the client converts line ends; the server still moves exactly the bytes
// on the wire, so a served file arrives as the client's decoding of its very bytes, and an
// uploaded file is stored as the client's encoding.
TEST_F(NetasciiTest, Download_ServerSendsTheFileBytesUnchanged) {
    ASSERT_TRUE(writeFile(path("log.txt"), std::string("one\r\ntwo\r\n\r\0x\xff", 14)));
    const QString fetched = clientDir.filePath("log.txt");
    run(transfer(Client::TftpHpa, port, false, fetched, "log.txt", "netascii"), "log.txt", 30000);
    EXPECT_EQ(readFile(fetched), std::string("one\ntwo\n\rx\xff"));
    EXPECT_EQ(recorder.last("log.txt", 3)->Mode, "netascii");
    EXPECT_EQ(recorder.last("log.txt", 3)->ByteCount, 14u);
}

TEST_F(NetasciiTest, Upload_StoresTheWireBytesExactly) {
    const QString local = clientDir.filePath("in.txt");
    ASSERT_TRUE(writeFile(local, std::string("a\nb\rc\xfe", 6)));
    run(transfer(Client::TftpHpa, port, true, local, "in.txt", "netascii"), "in.txt", 30000);
    EXPECT_EQ(readFile(path("in.txt")), std::string("a\r\nb\r\0c\xfe", 8));

    const std::string plain = "no line ends at all \x01\x02\xfe";
    ASSERT_TRUE(writeFile(local, plain));
    run(transfer(Client::TftpHpa, port, true, local, "plain.txt", "netascii"), "plain.txt", 30000);
    EXPECT_EQ(readFile(path("plain.txt")), plain);

    // In octet mode carriage returns and line feeds arrive as sent.
    const std::string bytes = std::string("a\r\nb\nc\r\0d", 9) + patternBytes(1500, 9);
    ASSERT_TRUE(writeFile(local, bytes));
    run(transfer(Client::TftpHpa, port, true, local, "crlf.bin", "octet"), "crlf.bin", 30000);
    EXPECT_EQ(readFile(path("crlf.bin")), bytes);
}

struct ResponsivenessTest : ClientTest, ::testing::Test {};

// A lone fast transfer is served in short bursts; between them the event loop must get its turn,
// or the whole window would freeze for as long as a firmware image takes to move.
TEST_F(ResponsivenessTest, LoneFastTransfer_LeavesTheEventLoopItsTurns) {
    // Long enough that a transfer served in one go would hold the loop for about a second.
    std::string image;
    const std::string part = patternBytes(1 << 20, 41);
    for (int i = 0; i < 24; ++i) image += part;
    ASSERT_TRUE(writeFile(path("fw.bin"), image));
    QElapsedTimer clock;
    qint64 lastTick = 0, longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    QProcess client;
    bool ended = false;
    QObject::connect(&client, &QProcess::finished, [&] { ended = true; });
    client.start("curl", {"--silent", "--show-error", "-o", clientDir.filePath("fw.bin"),
                          "tftp://127.0.0.1:" + QString::number(port) + "/fw.bin"});
    clock.start();
    ticker.start(1);
    ASSERT_TRUE(waitUntil([&] { return ended; }, 120000));
    ticker.stop();
    const qint64 took = clock.elapsed();
    ASSERT_EQ(client.exitCode(), 0) << client.readAll().toStdString();
    ASSERT_TRUE(recorder.saw("fw.bin", 3));
    EXPECT_LT(longestGap, 300) << "the event loop stood still during a transfer of " << took
                               << " ms";
}
