// Throughput of the module's TFTP server against tftpd-hpa's in.tftpd: the same client moves
// the same 8 MiB file both ways through each server, lock-step 512-byte blocks on loopback.
// Each block is a wake-up of both sides, so on a machine with idle processors the figures swing
// with how deeply they sleep; run under `taskset -c <one cpu>` for figures that repeat.
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
#include <string_view>

#include "library/tftp/CvTFTPServer.h"

namespace {

constexpr qint64 fileSize = 8 * 1024 * 1024;
constexpr int rounds = 7;

// Runs a client to its end while the event loop keeps serving; its time in seconds, or a
// negative value when it failed.
double timedRun(const QString& program, const QStringList& arguments, bool quiet = false) {
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
        if (!quiet)
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                         process.readAll().constData());
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

// The best times seen for one server.
struct Timing {
    double read = 1e9;
    double write = 1e9;
};

// One read and one write through the server on the port; the work folder holds "source.bin",
// the expected bytes.
bool oneRound(const Client& client, uint16_t port, const QString& served, const QString& work,
              const QByteArray& expected, Timing& best) {
    const QString fetched = work + "/fetched.bin";
    QFile::remove(fetched);
    const double read = timedRun(client.program, client.get(port, "source.bin", fetched));
    if (read < 0 || contentOf(fetched) != expected) return false;
    const double write =
        timedRun(client.program, client.put(port, work + "/source.bin", "upload.bin"));
    if (write < 0 || contentOf(served + "/upload.bin") != expected) return false;
    best.read = std::min(best.read, read);
    best.write = std::min(best.write, write);
    return true;
}

bool waitForServer(uint16_t port, const QString& work) {
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QFile::remove(work + "/probe.bin");
        if (timedRun(
                "curl",
                {"--silent", "--max-time", "1", "-o", work + "/probe.bin", url(port, "source.bin")},
                true) >= 0)
            return true;
    }
    return false;
}

double mbps(double seconds) {
    return fileSize / seconds / 1e6;
}

}  // namespace

// The module's server in a process of its own, like in.tftpd, so that both servers meet the
// clients on the same terms; it prints its port and serves until it is ended.
int serve(const char* folder) {
    CvTFTPServer server(nullptr);
    server.Start(folder, 0);
    std::printf("%u\n", static_cast<unsigned>(server.boundPort()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "--serve") return serve(argv[2]);
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

    QProcess own;
    own.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    own.start(QCoreApplication::applicationFilePath(), {"--serve", ours.path()});
    if (!own.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the module's server did not start\n");
        return 2;
    }
    const uint16_t ownPort = static_cast<uint16_t>(own.readLine().trimmed().toUInt());

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
        // Rounds alternate between the servers, so that both meet the same load on the machine.
        Timing our, their;
        bool moved = true;
        for (int round = 0; round < rounds && moved; ++round) {
            moved = oneRound(client, ownPort, ours.path(), work.path(), bytes, our) &&
                    oneRound(client, hpaPort, theirs.path(), work.path(), bytes, their);
        }
        if (!moved) {
            std::fprintf(stderr, "%s: a transfer failed or moved wrong bytes\n", client.name);
            status = 1;
            continue;
        }
        std::printf("%-9s %-6s %12.2f %12.2f %7.2f\n", client.name, "read", mbps(our.read),
                    mbps(their.read), their.read / our.read);
        std::printf("%-9s %-6s %12.2f %12.2f %7.2f\n", client.name, "write", mbps(our.write),
                    mbps(their.write), their.write / our.write);
    }
    for (QProcess* server : {&hpa, &own}) {
        server->terminate();
        server->waitForFinished(5000);
    }
    return status;
}
