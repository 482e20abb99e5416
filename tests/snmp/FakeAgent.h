#pragma once

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cstdint>
#include <string>
#include <vector>

// A misbehaving agent on a free loopback port. To SNMPv1/v2c it answers every request with the
// same variable (INTEGER 1 unless another encoded value is given), which no real agent would do in
// a walk. To SNMPv3 it answers a discovery with its engine id and every other request with the
// report of one usmStats counter (4 unknown engine id, 2 not in time window) from that engine.
// Answers need the Qt event loop, so it serves asynchronous requests only.
class FakeAgent {
  public:
    explicit FakeAgent(std::vector<uint32_t> answerOid, std::string value = tlv(2, "\1"),
                       uint32_t v3Report = 4)
        : oid_(std::move(answerOid)), value_(std::move(value)), report_(v3Report) {
        socket_.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&socket_, &QUdpSocket::readyRead, [this] { serve(); });
    }
    int port() const { return socket_.localPort(); }
    int requests() const { return requests_; }

    static std::string tlv(unsigned char tag, const std::string& value) {
        std::string out(1, static_cast<char>(tag));
        if (value.size() >= 128)
            out += {static_cast<char>(0x82), static_cast<char>(value.size() >> 8)};
        return out + static_cast<char>(value.size() & 0xff) + value;
    }

  private:
    // The value of the tag-length-value at pos (its tag in *tag); pos moves past it.
    static std::string take(const std::string& in, size_t& pos, unsigned char* tag = nullptr) {
        if (pos + 2 > in.size()) return {};
        if (tag) *tag = static_cast<unsigned char>(in[pos]);
        size_t length = static_cast<unsigned char>(in[++pos]), count = length & 0x7f;
        ++pos;
        if (length & 0x80)
            for (length = 0; count-- && pos < in.size();)
                length = length * 256 + static_cast<unsigned char>(in[pos++]);
        std::string value = in.substr(pos, length);
        pos += length;
        return value;
    }
    // The n-th value inside a constructed value.
    static std::string nth(const std::string& in, int n, unsigned char* tag = nullptr) {
        size_t pos = 0;
        for (int i = 0; i < n; ++i) take(in, pos);
        return take(in, pos, tag);
    }
    static std::string binding(const std::vector<uint32_t>& oid, const std::string& value) {
        std::string name(1, static_cast<char>(oid[0] * 40 + oid[1]));
        for (size_t i = 2; i < oid.size(); ++i) {
            std::string part(1, static_cast<char>(oid[i] & 0x7f));
            for (uint32_t rest = oid[i] >> 7; rest; rest >>= 7)
                part.insert(part.begin(), static_cast<char>(0x80 | (rest & 0x7f)));
            name += part;
        }
        return tlv(0x30, tlv(0x30, tlv(6, name) + value));
    }
    static std::string pdu(unsigned char tag, const std::string& requestId,
                           const std::string& vbs) {
        return tlv(tag, tlv(2, requestId) + tlv(2, std::string(1, '\0')) +
                            tlv(2, std::string(1, '\0')) + vbs);
    }

    std::string answerV3(const std::string& message) {
        const std::string header = nth(message, 1), params = nth(nth(message, 2), 0);
        unsigned char scopedTag = 0;
        const std::string scoped = nth(message, 3, &scopedTag);
        // A plain scoped PDU (a discovery) names its request id; an encrypted one cannot be read.
        const std::string requestId =
            scopedTag == 0x30 ? nth(nth(scoped, 2), 0) : std::string(1, '\0');
        const uint32_t counter = nth(params, 0).empty() ? 4 : report_;
        const std::string one = tlv(2, "\1");
        const std::string security = tlv(
            0x30, tlv(4, engine_) + one + one + tlv(4, nth(params, 3)) + tlv(4, "") + tlv(4, ""));
        return tlv(0x30, tlv(2, "\3") +
                             tlv(0x30, tlv(2, nth(header, 0)) + tlv(2, nth(header, 1)) +
                                           tlv(4, std::string(1, '\0')) + tlv(2, "\3")) +
                             tlv(4, security) +
                             tlv(0x30, tlv(4, engine_) + tlv(4, "") +
                                           pdu(0xA8, requestId,
                                               binding({1, 3, 6, 1, 6, 3, 15, 1, 1, counter, 0},
                                                       tlv(0x41, "\1")))));
    }

    void serve() {
        while (socket_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket_.receiveDatagram();
            const std::string message = nth(datagram.data().toStdString(), 0);
            ++requests_;
            const std::string version = nth(message, 0);
            const std::string reply =
                version == "\3"
                    ? answerV3(message)
                    : tlv(0x30, tlv(2, version) + tlv(4, nth(message, 1)) +
                                    pdu(0xA2, nth(nth(message, 2), 0), binding(oid_, value_)));
            socket_.writeDatagram(QByteArray::fromStdString(reply), datagram.senderAddress(),
                                  datagram.senderPort());
        }
    }

    std::vector<uint32_t> oid_;
    std::string value_;
    uint32_t report_;
    std::string engine_ = std::string("\x80\x00\x1f\x88\x04", 5) + "fake-agent";
    QUdpSocket socket_;
    int requests_ = 0;
};
