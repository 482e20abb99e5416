// Throughput of the module's TFTP server against tftpd-hpa's in.tftpd: the same client moves
// the same 8 MiB file both ways through each server, lock-step 512-byte blocks on loopback.
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <cstdio>
#include <random>

#include "library/tftp/CvTFTPServer.h"

namespace {

constexpr qint64 fileSize = 8 * 1024 * 1024;
constexpr int rounds = 5;

// Runs a client to its end while the event loop keeps serving; its time in seconds, or a
// negative value when it failed.
double timedRun(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    bool ended = false;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, [&] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) return -1;
    if (!ended) loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (!ended || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAll().constData());
        return -1;
    }
    return seconds;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uint16_t freePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

struct Client {
    const char* name;
    QStringList (*get)(uint16_t port, const QString& remote, const QString& local);
    QStringList (*put)(uint16_t port, const QString& local, const QString& remote);
    const char* program;
};

QString url(uint16_t port, const QString& remote) {
    return "tftp://127.0.0.1:" + QString::number(port) + "/" + remote;
}

const Client clients[] = {
    {"curl",
     [](uint16_t port, const QString& remote, const QString& local) {
         return QStringList{"--silent", "--show-error", "--tftp-no-options",
                            "-o",       local,          url(port, remote)};
     },
     [](uint16_t port, const QString& local, const QString& remote) {
         return QStringList{"--silent", "--show-error", "--tftp-no-options",
                            "-T",       local,          url(port, remote)};
     },
     "curl"},
    {"tftp-hpa",
     [](uint16_t port, const QString& remote, const QString& local) {
         return QStringList{"-m", "binary", "127.0.0.1", QString::number(port),
                            "-c", "get",    remote,      local};
     },
     [](uint16_t port, const QString& local, const QString& remote) {
         return QStringList{"-m", "binary", "127.0.0.1", QString::number(port),
                            "-c", "put",    local,       remote};
     },
     "tftp"},
};

// Best of a few rounds of a read and a write through the server on the port; the folder holds
// "source.bin", the expected bytes.
bool measure(const Client& client, uint16_t port, const QString& served, const QString& work,
             const QByteArray& expected, double& readSeconds, double& writeSeconds) {
    readSeconds = writeSeconds = 1e9;
    const QString fetched = work + "/fetched.bin";
    const QString local = work + "/source.bin";
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(fetched);
        const double read = timedRun(client.program, client.get(port, "source.bin", fetched));
        if (read < 0 || contentOf(fetched) != expected) return false;
        const double write = timedRun(client.program, client.put(port, local, "upload.bin"));
        if (write < 0 || contentOf(served + "/upload.bin") != expected) return false;
        readSeconds = std::min(readSeconds, read);
        writeSeconds = std::min(writeSeconds, write);
    }
    return true;
}

bool waitForServer(uint16_t port, const QString& work) {
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QFile::remove(work + "/probe.bin");
        if (timedRun("curl", {"--silent", "--max-time", "1", "-o", work + "/probe.bin",
                              url(port, "source.bin")}) >= 0)
            return true;
    }
    return false;
}

double mbps(double seconds) {
    return fileSize / seconds / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir ours, theirs, work;
    // in.tftpd runs as root here only to chroot; its folder must be readable all the same.
    QFile::setPermissions(theirs.path(), QFileDevice::Permissions(0x7777));
    std::mt19937 generator(2260);
    QByteArray bytes(fileSize, Qt::Uninitialized);
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    for (const QString& folder : {ours.path(), theirs.path(), work.path()}) {
        QFile file(folder + "/source.bin");
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != fileSize) return 2;
        file.setPermissions(QFileDevice::Permissions(0x6666));
    }

    CvTFTPServer server(nullptr);
    server.Start(ours.path().toStdString(), 0);

    const uint16_t hpaPort = freePort();
    QProcess hpa;
    QStringList hpaArguments{"--foreground", "--address", "127.0.0.1:" + QString::number(hpaPort),
                             "--create", "--permissive"};
    if (::geteuid() == 0)
        hpaArguments << "--secure"
                     << "--user"
                     << "root";
    hpaArguments << theirs.path();
    hpa.setProcessChannelMode(QProcess::ForwardedChannels);
    hpa.start("/usr/sbin/in.tftpd", hpaArguments);
    if (!hpa.waitForStarted(5000) || !waitForServer(hpaPort, work.path())) {
        std::fprintf(stderr, "in.tftpd did not start\n");
        return 2;
    }

    std::printf("8 MiB, lock-step 512-byte blocks on loopback, best of %d rounds\n", rounds);
    std::printf("%-9s %-6s %12s %12s %7s\n", "client", "dir", "ours MB/s", "in.tftpd", "ratio");
    int status = 0;
    for (const Client& client : clients) {
        double ourRead, ourWrite, hpaRead, hpaWrite;
        if (!measure(client, server.boundPort(), ours.path(), work.path(), bytes, ourRead,
                     ourWrite) ||
            !measure(client, hpaPort, theirs.path(), work.path(), bytes, hpaRead, hpaWrite)) {
            std::fprintf(stderr, "%s: a transfer failed or moved wrong bytes\n", client.name);
            status = 1;
            continue;
        }
        std::printf("%-9s %-6s %12.2f %12.2f %7.2f\n", client.name, "read", mbps(ourRead),
                    mbps(hpaRead), hpaRead / ourRead);
        std::printf("%-9s %-6s %12.2f %12.2f %7.2f\n", client.name, "write", mbps(ourWrite),
                    mbps(hpaWrite), hpaWrite / ourWrite);
    }
    hpa.terminate();
    hpa.waitForFinished(5000);
    return status;
}
