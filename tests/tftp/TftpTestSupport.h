#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/tftp/CvTFTPServer.h"

namespace tftptest {

// Pumps the event loop until the condition holds or the time is up; the condition's last value.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

// Reproducible bytes of every value, CR and LF included.
std::string patternBytes(size_t size, unsigned seed);
bool writeFile(const QString& path, const std::string& bytes);
std::optional<std::string> readFile(const QString& path);
// Every name in the folder, hidden ones included.
QStringList folderEntries(const QString& folder);

// Collects the server's messages.
class Recorder {
  public:
    void attach(CvTFTPServer& server);
    const std::vector<CvTFTPMsg>& messages() const { return messages_; }
    // Statuses in order for the session that moved the named file.
    std::vector<int> statusesFor(const std::string& fileName) const;
    bool saw(const std::string& fileName, int status) const;
    const CvTFTPMsg* last(const std::string& fileName, int status) const;

  private:
    std::vector<CvTFTPMsg> messages_;
};

// A server on a free loopback port, serving a fresh folder.
struct ServerFixture {
    ServerFixture();
    QString path(const QString& name) const { return dir.filePath(name); }
    std::string root() const { return dir.path().toStdString(); }

    QTemporaryDir dir;
    CvTFTPServer server{nullptr};
    Recorder recorder;
    uint16_t port = 0;
};

// A hand-driven TFTP peer that sends and receives single datagrams.
class RawPeer {
  public:
    // Bound to a loopback address: the whole 127/8 block reaches the loopback interface, so
    // another one stands for another machine.
    explicit RawPeer(const char* address = "127.0.0.1");
    uint16_t localPort() const { return socket_.localPort(); }
    void send(const std::string& packet, uint16_t port);
    struct Datagram {
        std::string data;
        uint16_t port = 0;
    };
    // The next datagram, none when nothing arrived in time.
    std::optional<Datagram> receive(int timeoutMs = 5000);

  private:
    QUdpSocket socket_;
};

// Runs a program to its end while the event loop keeps serving.
struct ClientResult {
    bool finished = false;
    int exitCode = -1;
    QString output;
};
ClientResult runClient(const QString& program, const QStringList& arguments, int timeoutMs,
                       const QString& workingFolder = {});

}  // namespace tftptest
