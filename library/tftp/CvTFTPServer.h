#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/tftp/CvTFTPMsg.h"
#include "library/tftp/TftpSession.h"

class QSocketNotifier;

// The module's own TFTP server: serves files from a root folder and receives files into it,
// one session per request, all on the UI thread.
class CvTFTPServer : public QObject {
    Q_OBJECT
  public:
    explicit CvTFTPServer(QObject* owner);
    ~CvTFTPServer() override;

    // Time-out per packet in units of 10 ms (scaled by the environment's time scale) and the
    // number of repeats before a session gives up. Applies to sessions started afterwards.
    void SetTimeout(int timeout10ms, int retries);
    void SetOnMessage(std::function<void(const CvTFTPMsg&)> handler);
    // Serves the folder. Opens the listening socket only when none is open, so that a call on
    // a running server just switches the folder. Throws CvTFTPException (-1101) when the port
    // cannot be opened.
    void Start(const std::string& folder, uint16_t port);
    // Closes the listening socket and ends every session.
    void Stop();
    // From now on admits one transfer only: this file name (the octets the peer asks for) in this
    // direction (1 the peer reads it, 2 the peer writes it), asked for from one of these addresses
    // (dotted IPv4). The transfer opens localName in the folder, or the name
    // asked for when localName is empty. The first such request starts it; every other request,
    // and every one after it, is refused as an access violation. A server never given an
    // admission serves every plain name in the folder both ways. Returns the admission's number,
    // from 1.
    int Admit(const std::string& fileName, int request, const std::vector<std::string>& peers,
              const std::string& localName = {});
    // Ends the numbered admission when it is still the current one (0: whichever there is), so
    // that from now on every request is refused until the next admission. A transfer it started
    // runs on to its end.
    void Withdraw(int admission);

    // The port actually bound (after the environment's mapping; 0 asks the system for one),
    // 0 when not listening.
    uint16_t boundPort() const { return boundPort_; }
    int sessionCount() const { return static_cast<int>(sessions_.size()); }
    std::string mode() const { return mode_; }

    // Sessions at once; requests beyond it are refused with -1111.
    static constexpr int maxSessions = 512;

  private:
    struct Entry;

    void closeAll(bool notify);
    void readRequest();
    void onRequest(std::string_view packet, uint32_t peerAddress, uint16_t peerPort,
                   uint32_t localAddress);
    int openSessionSocket(uint32_t localAddress);
    void readSession(int id);
    // Reads and handles one datagram; false when none was waiting.
    bool receiveOne(Entry& entry);
    // No session but this one is still moving data.
    bool aloneInTransfer(int id) const;
    void expire(int id);
    void apply(int id, tftp::Step step);
    void armTimer(Entry& entry);
    void refuse(int status, const tftp::Request& request, uint32_t peerAddress, uint16_t peerPort,
                uint32_t localAddress);
    CvTFTPMsg messageOf(const Entry& entry, int status) const;
    // False when the handler deleted the server: the caller must return at once.
    bool deliver(const CvTFTPMsg& message);
    // Delivers in order; stops when a handler deletes the server, and, with a running session
    // given, when a handler ends that session, since its end was reported then and the rest
    // would come after it.
    void deliverAll(const std::vector<CvTFTPMsg>& messages, int runningSession = 0);

    std::function<void(const CvTFTPMsg&)> handler_;
    std::string root_;
    std::string mode_ = "octet";
    struct Admission {
        int number = 0;
        std::string fileName;
        std::string localName;
        int request = 0;
        std::vector<uint32_t> peers;  // network order
        bool open = false;            // no transfer started under it, not withdrawn
    };
    // True when the admission lets this request start a transfer; a refusal goes to the trace.
    bool admits(const tftp::Request& request, uint32_t peerAddress, uint16_t peerPort) const;

    std::optional<Admission> admission_;
    int lastAdmission_ = 0;
    uint16_t port_ = 69;
    uint16_t boundPort_ = 0;
    int timeout10ms_ = 1000;
    int retries_ = 3;
    int listenFd_ = -1;
    QSocketNotifier* listenNotifier_ = nullptr;
    int nextSession_ = 1;
    std::map<int, std::unique_ptr<Entry>> sessions_;
    std::map<uint64_t, int> sessionByPeer_;
    std::vector<char> buffer_;  // one datagram being read
    // Cleared on destruction, so that code running after a message handler can tell whether
    // the handler deleted the server.
    std::shared_ptr<bool> alive_;
};
