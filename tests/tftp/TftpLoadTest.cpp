// Many real clients at once against one server.
#include <gtest/gtest.h>

#include <QProcess>

#include "tests/tftp/TftpTestSupport.h"

using namespace tftptest;

TEST(TftpLoad, TwoHundredClientsAtOnce_AllComplete) {
    constexpr int clients = 200;
    constexpr size_t size = 40 * 1024 + 17;
    ServerFixture fixture;
    ASSERT_NE(fixture.port, 0);
    QTemporaryDir clientDir;
    const QString base = "tftp://127.0.0.1:" + QString::number(fixture.port) + "/";
    std::vector<std::unique_ptr<QProcess>> processes;
    std::vector<std::string> contents;
    int ended = 0;
    for (int i = 0; i < clients; ++i) {
        contents.push_back(patternBytes(size, 1000 + i));
        const QString name = QString("file%1.bin").arg(i);
        // Even clients download, odd clients upload.
        const QString source = i % 2 == 0 ? fixture.path(name) : clientDir.filePath(name);
        ASSERT_TRUE(writeFile(source, contents.back()));
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(process.get(), &QProcess::finished, [&ended] { ++ended; });
        processes.push_back(std::move(process));
    }
    for (int i = 0; i < clients; ++i) {
        const QString name = QString("file%1.bin").arg(i);
        const QString target = base + name;
        processes[i]->start("curl", {"--silent", "--show-error", i % 2 == 0 ? "-o" : "-T",
                                     clientDir.filePath(name), target});
    }
    ASSERT_TRUE(waitUntil([&] { return ended == clients; }, 120000))
        << ended << " of " << clients << " clients ended in time";
    int failures = 0;
    for (int i = 0; i < clients; ++i) {
        const QString name = QString("file%1.bin").arg(i);
        const QString result = i % 2 == 0 ? clientDir.filePath(name) : fixture.path(name);
        if (processes[i]->exitCode() != 0 || readFile(result) != contents[i]) {
            ++failures;
            ADD_FAILURE() << "client " << i << ": " << processes[i]->readAll().toStdString();
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(folderEntries(fixture.dir.path()).size(), clients) << "temporary files left";
}
