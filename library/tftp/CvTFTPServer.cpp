#include "library/tftp/CvTFTPServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <QtDebug>
#include <algorithm>
#include <chrono>
#include <vector>

#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "library/tftp/TftpSession.h"
#include "platform/Environment.h"
#include "platform/Trace.h"

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string dotted(uint32_t addressNetworkOrder) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr address{addressNetworkOrder};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

sockaddr_in endpoint(uint32_t addressNetworkOrder, uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = addressNetworkOrder;
    to.sin_port = htons(port);
    return to;
}

void sendTo(int fd, const std::string& packet, uint32_t address, uint16_t port) {
    const sockaddr_in to = endpoint(address, port);
    // A lost datagram is recovered by the time-out, like one lost on the network.
    ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
}

uint64_t peerKey(uint32_t address, uint16_t port) {
    return (static_cast<uint64_t>(address) << 16) | port;
}

// A name from the network as the trace shows it: 8-bit text with backslashes and control
// characters escaped, so that it stays on its line, and cut short, so that one request cannot
// flood the trace.
QString traceText(std::string_view octets) {
    constexpr size_t shown = 80;
    QString text;
    for (size_t i = 0; i < std::min(octets.size(), shown); ++i) {
        const auto c = static_cast<unsigned char>(octets[i]);
        if (c == '\\')
            text += QStringLiteral("\\\\");
        else if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QChar(u'0'));
        else
            text += QChar(static_cast<char16_t>(c));
    }
    if (octets.size() > shown) text += QStringLiteral("...");
    return text;
}

// Packets of one session handled in a row before the event loop gets its turn, and the time
// they may take together.
constexpr int burstLimit = 64;
constexpr std::chrono::milliseconds burstBudget{5};

// Room for the largest UDP datagram, so that no packet is ever cut.
constexpr size_t datagramLimit = 65536;

}  // namespace

struct CvTFTPServer::Entry {
    int id = 0;
    int fd = -1;
    uint32_t peerAddress = 0;  // network order
    uint16_t peerPort = 0;
    uint32_t localAddress = 0;
    tftp::Request request;  // as the peer asked, whichever file the session opens
    int timeout10ms = 0;
    int retries = 0;
    QSocketNotifier* notifier = nullptr;
    QTimer* timer = nullptr;
    // The folder outlives the session that opens files through it.
    std::unique_ptr<tftp::DiskFolder> folder;
    std::unique_ptr<tftp::Session> session;

    ~Entry() {
        session.reset();
        if (notifier) {
            // Unregistered before the descriptor closes; deleted later because this may run
            // inside the notifier's own signal.
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        if (timer) {
            timer->stop();
            timer->deleteLater();
        }
        if (fd >= 0) ::close(fd);
    }
};

CvTFTPServer::CvTFTPServer(QObject* owner) : QObject(owner), alive_(std::make_shared<bool>(true)) {}

CvTFTPServer::~CvTFTPServer() {
    *alive_ = false;
    closeAll(false);
}

void CvTFTPServer::SetTimeout(int timeout10ms, int retries) {
    timeout10ms_ = timeout10ms;
    retries_ = retries;
}

void CvTFTPServer::SetOnMessage(std::function<void(const CvTFTPMsg&)> handler) {
    handler_ = std::move(handler);
}

void CvTFTPServer::Start(const std::string& folder, uint16_t port) {
    root_ = folder;
    if (!root_.empty() && root_.back() != '/') root_ += '/';
    port_ = port;
    if (listenFd_ >= 0) return;

    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    // The local address of each request decides where its session answers from.
    const sockaddr_in any = endpoint(htonl(INADDR_ANY), platform::tftpPort(port));
    sockaddr_in bound{};
    socklen_t boundLength = sizeof bound;
    if (fd < 0 || ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &boundLength) != 0) {
        if (fd >= 0) ::close(fd);
        throw CvTFTPException(-1101, CvMessages::tftpText(-1101));
    }
    listenFd_ = fd;
    boundPort_ = ntohs(bound.sin_port);
    listenNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(listenNotifier_, &QSocketNotifier::activated, this, [this] { readRequest(); });
}

void CvTFTPServer::Stop() {
    closeAll(true);
}

void CvTFTPServer::closeAll(bool notify) {
    if (listenNotifier_) {
        listenNotifier_->setEnabled(false);
        listenNotifier_->deleteLater();
        listenNotifier_ = nullptr;
    }
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    boundPort_ = 0;
    std::vector<CvTFTPMsg> messages;
    for (auto& [id, entry] : sessions_) {
        const tftp::Step step = entry->session->abort();
        if (!step.send.empty()) sendTo(entry->fd, step.send, entry->peerAddress, entry->peerPort);
        for (int status : step.statuses) messages.push_back(messageOf(*entry, status));
    }
    sessions_.clear();
    sessionByPeer_.clear();
    if (notify) deliverAll(messages);
}

void CvTFTPServer::readRequest() {
    if (listenFd_ < 0) return;
    buffer_.resize(datagramLimit);
    sockaddr_in from{};
    iovec part{buffer_.data(), buffer_.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr header{};
    header.msg_name = &from;
    header.msg_namelen = sizeof from;
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(listenFd_, &header, 0);
    if (got < 0 || from.sin_family != AF_INET) return;
    uint32_t local = htonl(INADDR_ANY);
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO)
            local = reinterpret_cast<const in_pktinfo*>(CMSG_DATA(c))->ipi_spec_dst.s_addr;
    }
    onRequest(std::string_view(buffer_.data(), static_cast<size_t>(got)), from.sin_addr.s_addr,
              ntohs(from.sin_port), local);
}

void CvTFTPServer::onRequest(std::string_view packet, uint32_t peerAddress, uint16_t peerPort,
                             uint32_t localAddress) {
    const uint16_t op = tftp::opcodeOf(packet);
    // Never answer an error or a stray scrap: that could start an endless exchange of errors.
    if (packet.size() < tftp::headerSize || op == tftp::ERROR) return;
    if (op == tftp::DATA || op == tftp::ACK) {
        sendTo(listenFd_, tftp::errorPacket(tftp::UnknownTransferId, tftp::wireMessage(-1107)),
               peerAddress, peerPort);
        return;
    }
    const std::optional<tftp::Request> request = tftp::parseRequest(packet);
    if (!request) return refuse(-1106, tftp::Request{}, peerAddress, peerPort, localAddress);
    const auto known = sessionByPeer_.find(peerKey(peerAddress, peerPort));
    if (known != sessionByPeer_.end()) {
        Entry& entry = *sessions_.at(known->second);
        const tftp::Request& running = entry.request;
        // A repeated request while its session runs is answered by that session, never by a
        // second one.
        if (!entry.session->completed() && running.kind == request->kind &&
            running.fileName == request->fileName)
            return apply(known->second, entry.session->onRepeatedRequest());
    }
    if (!admits(*request, peerAddress, peerPort))
        return refuse(-1104, *request, peerAddress, peerPort, localAddress);
    if (known != sessionByPeer_.end()) {
        // The peer starts anew from the same port: it has given up the earlier transfer. It is
        // not told, since it would take an error from any port as the answer to its new request.
        const int old = known->second;
        apply(old, sessions_.at(old)->session->abort(false));
        if (!*alive_ || listenFd_ < 0) return;
    }
    if (static_cast<int>(sessions_.size()) >= maxSessions)
        return refuse(-1111, *request, peerAddress, peerPort, localAddress);

    auto entry = std::make_unique<Entry>();
    entry->fd = openSessionSocket(localAddress);
    if (entry->fd < 0) return refuse(-1102, *request, peerAddress, peerPort, localAddress);
    const int id = nextSession_++;
    entry->id = id;
    entry->peerAddress = peerAddress;
    entry->peerPort = peerPort;
    entry->localAddress = localAddress;
    entry->request = *request;
    entry->timeout10ms = timeout10ms_;
    entry->retries = retries_;
    entry->folder = std::make_unique<tftp::DiskFolder>(root_);
    // The admitted name alone may stand for a local file of another spelling: the peer names it
    // in 8-bit text, the disk in its own encoding.
    tftp::Request opened = *request;
    if (admission_ && !admission_->localName.empty()) opened.fileName = admission_->localName;
    entry->session = std::make_unique<tftp::Session>(
        opened, root_, *entry->folder, platform::scaledMs(timeout10ms_ * 10.0), retries_);
    entry->notifier = new QSocketNotifier(entry->fd, QSocketNotifier::Read, this);
    connect(entry->notifier, &QSocketNotifier::activated, this, [this, id] { readSession(id); });
    entry->timer = new QTimer(this);
    entry->timer->setSingleShot(true);
    entry->timer->setTimerType(Qt::PreciseTimer);
    connect(entry->timer, &QTimer::timeout, this, [this, id] { expire(id); });
    tftp::Session& session = *entry->session;
    if (admission_) admission_->open = false;
    sessions_.emplace(id, std::move(entry));
    sessionByPeer_[peerKey(peerAddress, peerPort)] = id;
    apply(id, session.start(nowMs()));
}

int CvTFTPServer::openSessionSocket(uint32_t localAddress) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // Answer from the address the request came to; a broadcast address cannot be bound.
    sockaddr_in local = endpoint(localAddress, 0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        local = endpoint(htonl(INADDR_ANY), 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

void CvTFTPServer::readSession(int id) {
    const std::shared_ptr<bool> alive = alive_;
    const auto burstEnd = std::chrono::steady_clock::now() + burstBudget;
    for (int burst = 0; burst < burstLimit; ++burst) {
        const auto found = sessions_.find(id);
        if (found == sessions_.end()) return;
        const int fd = found->second->fd;
        if (!receiveOne(*found->second) || !*alive) return;
        // A lone transfer waits a moment for its peer's next packet right here: on a fast link
        // the peer answers sooner than a round through the event loop takes. The budget keeps
        // the user interface responsive when the peer is slow.
        if (!sessions_.count(id) || !aloneInTransfer(id)) return;
        const auto left = burstEnd - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero()) return;
        const auto leftNs = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec wait{static_cast<time_t>(leftNs / 1000000000), leftNs % 1000000000};
        pollfd ready{fd, POLLIN, 0};
        if (::ppoll(&ready, 1, &wait, nullptr) != 1) return;
    }
}

bool CvTFTPServer::aloneInTransfer(int id) const {
    // A session that has stored its file only waits for a repeat of the last block; holding
    // that answer back a few milliseconds costs nothing, while counting it as a transfer would
    // slow every download that follows an upload by its whole dally.
    for (const auto& [other, entry] : sessions_) {
        if (other != id && !entry->session->completed()) return false;
    }
    return true;
}

bool CvTFTPServer::receiveOne(Entry& entry) {
    buffer_.resize(datagramLimit);
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t got = ::recvfrom(entry.fd, buffer_.data(), buffer_.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (got < 0) return false;
    if (from.sin_addr.s_addr != entry.peerAddress || ntohs(from.sin_port) != entry.peerPort) {
        // A stranger's packet is turned away without touching the transfer.
        sendTo(entry.fd, tftp::errorPacket(tftp::UnknownTransferId, tftp::wireMessage(-1107)),
               from.sin_addr.s_addr, ntohs(from.sin_port));
        return true;
    }
    apply(entry.id, entry.session->onPacket(
                        std::string_view(buffer_.data(), static_cast<size_t>(got)), nowMs()));
    return true;
}

void CvTFTPServer::expire(int id) {
    const auto found = sessions_.find(id);
    if (found == sessions_.end()) return;
    Entry& entry = *found->second;
    const int64_t now = nowMs();
    // The timer is not moved on every packet; when it fires early it is armed for the rest.
    if (now < entry.session->deadline()) {
        armTimer(entry);
        return;
    }
    apply(id, entry.session->onDeadline(now));
}

void CvTFTPServer::apply(int id, tftp::Step step) {
    const auto found = sessions_.find(id);
    if (found == sessions_.end()) return;
    Entry& entry = *found->second;
    if (!step.send.empty()) sendTo(entry.fd, step.send, entry.peerAddress, entry.peerPort);
    std::vector<CvTFTPMsg> messages;
    for (int status : step.statuses) messages.push_back(messageOf(entry, status));
    const bool finished = step.finished;
    if (finished) {
        sessionByPeer_.erase(peerKey(entry.peerAddress, entry.peerPort));
        sessions_.erase(found);
    } else {
        armTimer(entry);
    }
    deliverAll(messages, finished ? 0 : id);
}

void CvTFTPServer::armTimer(Entry& entry) {
    const int64_t deadline = entry.session->deadline();
    if (deadline == INT64_MAX) {
        entry.timer->stop();
        return;
    }
    if (entry.timer->isActive()) return;
    entry.timer->start(static_cast<int>(std::max<int64_t>(0, deadline - nowMs())));
}

void CvTFTPServer::refuse(int status, const tftp::Request& request, uint32_t peerAddress,
                          uint16_t peerPort, uint32_t localAddress) {
    sendTo(listenFd_, tftp::errorPacket(tftp::wireCodeOf(status), tftp::wireMessage(status)),
           peerAddress, peerPort);
    Entry entry;
    entry.peerAddress = peerAddress;
    entry.peerPort = peerPort;
    entry.localAddress = localAddress;
    entry.timeout10ms = timeout10ms_;
    entry.retries = retries_;
    CvTFTPMsg message = messageOf(entry, status);
    message.Request = request.kind;
    message.Mode = request.mode;
    message.FileName = request.fileName;
    deliver(message);
}

CvTFTPMsg CvTFTPServer::messageOf(const Entry& entry, int status) const {
    CvTFTPMsg message;
    message.Status = status;
    message.StatusText = CvMessages::tftpText(status);
    if (entry.session) {
        message.Request = entry.request.kind;
        message.Mode = entry.request.mode;
        message.FileName = entry.request.fileName;
        message.ByteCount = entry.session->byteCount();
        message.LastBlockLength = entry.session->lastBlockLength();
    }
    message.PeerAddress = dotted(entry.peerAddress);
    message.LocalAddress = dotted(entry.localAddress);
    message.Port = port_;
    message.PeerPort = entry.peerPort;
    message.Session = entry.id;
    message.Timeout = entry.timeout10ms;
    message.Retries = entry.retries;
    return message;
}

void CvTFTPServer::deliverAll(const std::vector<CvTFTPMsg>& messages, int runningSession) {
    for (const CvTFTPMsg& message : messages) {
        if (!deliver(message)) return;
        if (runningSession != 0 && sessions_.count(runningSession) == 0) return;
    }
}

bool CvTFTPServer::deliver(const CvTFTPMsg& message) {
    if (!handler_) return true;
    const std::shared_ptr<bool> alive = alive_;
    // A copy, since the handler may replace itself while it runs.
    const auto handler = handler_;
    // The handler is the owner's code; nothing it throws may reach the event loop.
    try {
        handler(message);
    } catch (const std::exception& error) {
        qWarning("CvTFTPServer: message handler failed: %s", error.what());
    } catch (...) {
        qWarning("CvTFTPServer: message handler failed");
    }
    return *alive;
}

int CvTFTPServer::Admit(const std::string& fileName, int request,
                        const std::vector<std::string>& peers, const std::string& localName) {
    Admission admission{++lastAdmission_, fileName, localName, request, {}, true};
    for (const std::string& peer : peers) {
        in_addr address{};
        if (::inet_pton(AF_INET, peer.c_str(), &address) == 1)
            admission.peers.push_back(address.s_addr);
    }
    admission_ = std::move(admission);
    return lastAdmission_;
}

void CvTFTPServer::Withdraw(int admission) {
    if (!admission_) admission_.emplace();
    if (admission == 0 || admission == admission_->number) admission_->open = false;
}

bool CvTFTPServer::admits(const tftp::Request& request, uint32_t peerAddress,
                          uint16_t peerPort) const {
    if (!admission_) return true;
    const Admission& admitted = *admission_;
    const bool fromPeer = std::find(admitted.peers.begin(), admitted.peers.end(), peerAddress) !=
                          admitted.peers.end();
    if (admitted.open && fromPeer && request.fileName == admitted.fileName &&
        request.kind == admitted.request)
        return true;
    qCDebug(vraTrace).noquote() << "TFTP: refused" << (request.kind == 1 ? "read" : "write") << "of"
                                << traceText(request.fileName) << "from"
                                << QString::fromStdString(dotted(peerAddress)) + ":" +
                                       QString::number(peerPort);
    return false;
}
