#include "tests/tftp/TftpTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTimer>
#include <random>

namespace tftptest {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    // Sleeps in the event loop until something happens; the tick bounds each sleep, so that
    // the deadline is noticed even when nothing else happens.
    QTimer tick;
    tick.start(10);
    while (!condition()) {
        if (deadline.hasExpired()) return condition();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

std::string patternBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

bool writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           file.flush();
}

std::optional<std::string> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll().toStdString();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

void Recorder::attach(CvTFTPServer& server) {
    server.SetOnMessage([this](const CvTFTPMsg& message) { messages_.push_back(message); });
}

std::vector<int> Recorder::statusesFor(const std::string& fileName) const {
    std::vector<int> statuses;
    for (const CvTFTPMsg& message : messages_) {
        if (message.FileName == fileName) statuses.push_back(message.Status);
    }
    return statuses;
}

bool Recorder::saw(const std::string& fileName, int status) const {
    return last(fileName, status) != nullptr;
}

const CvTFTPMsg* Recorder::last(const std::string& fileName, int status) const {
    for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
        if (it->FileName == fileName && it->Status == status) return &*it;
    }
    return nullptr;
}

ServerFixture::ServerFixture() {
    recorder.attach(server);
    server.Start(root(), 0);
    port = server.boundPort();
}

RawPeer::RawPeer(const char* address) {
    socket_.bind(QHostAddress(QString::fromLatin1(address)), 0);
}

void RawPeer::send(const std::string& packet, uint16_t port) {
    socket_.writeDatagram(packet.data(), static_cast<qint64>(packet.size()),
                          QHostAddress::LocalHost, port);
}

std::optional<RawPeer::Datagram> RawPeer::receive(int timeoutMs) {
    if (!waitUntil([this] { return socket_.hasPendingDatagrams(); }, timeoutMs))
        return std::nullopt;
    const QNetworkDatagram datagram = socket_.receiveDatagram();
    return Datagram{datagram.data().toStdString(), static_cast<uint16_t>(datagram.senderPort())};
}

ClientResult runClient(const QString& program, const QStringList& arguments, int timeoutMs,
                       const QString& workingFolder) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingFolder.isEmpty()) process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    ClientResult result;
    bool ended = false;
    QObject::connect(&process, &QProcess::finished, [&ended] { ended = true; });
    QObject::connect(&process, &QProcess::errorOccurred, [&ended](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) ended = true;
    });
    result.finished = waitUntil([&ended] { return ended; }, timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.output = QString::fromLocal8Bit(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (!result.finished) result.exitCode = -1;
    return result;
}

}  // namespace tftptest
