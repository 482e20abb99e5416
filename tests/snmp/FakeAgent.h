#pragma once

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cstdint>
#include <string>
#include <vector>

// A misbehaving SNMPv2c agent on a free loopback port: it answers every request with the same
// variable (an INTEGER at a fixed OID), which no real agent would do in a walk. Answers need the
// Qt event loop, so it serves asynchronous requests only.
class FakeAgent {
  public:
    explicit FakeAgent(std::vector<uint32_t> answerOid) : oid_(std::move(answerOid)) {
        socket_.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&socket_, &QUdpSocket::readyRead, [this] { serve(); });
    }
    int port() const { return socket_.localPort(); }
    int requests() const { return requests_; }

  private:
    // Reads one tag-length-value at pos; returns the value and moves pos past it.
    static std::string take(const std::string& in, size_t& pos, unsigned char& tag) {
        if (pos + 2 > in.size()) return {};
        tag = static_cast<unsigned char>(in[pos++]);
        size_t length = static_cast<unsigned char>(in[pos++]);
        if (length & 0x80) {
            const size_t count = length & 0x7f;
            length = 0;
            for (size_t i = 0; i < count && pos < in.size(); ++i)
                length = length * 256 + static_cast<unsigned char>(in[pos++]);
        }
        std::string value = in.substr(pos, length);
        pos += length;
        return value;
    }
    static std::string tlv(unsigned char tag, const std::string& value) {
        std::string out(1, static_cast<char>(tag));
        if (value.size() < 128) {
            out += static_cast<char>(value.size());
        } else {
            out += static_cast<char>(0x82);
            out += static_cast<char>(value.size() >> 8);
            out += static_cast<char>(value.size() & 0xff);
        }
        return out + value;
    }
    std::string encodedOid() const {
        std::string out(1, static_cast<char>(oid_[0] * 40 + oid_[1]));
        for (size_t i = 2; i < oid_.size(); ++i) {
            std::string part(1, static_cast<char>(oid_[i] & 0x7f));
            for (uint32_t rest = oid_[i] >> 7; rest; rest >>= 7)
                part.insert(part.begin(), static_cast<char>(0x80 | (rest & 0x7f)));
            out += part;
        }
        return out;
    }

    void serve() {
        while (socket_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket_.receiveDatagram();
            const QByteArray data = datagram.data();
            const std::string packet(data.constData(), data.size());
            ++requests_;
            unsigned char tag = 0;
            size_t pos = 0;
            const std::string message = take(packet, pos, tag);
            size_t inner = 0;
            const std::string version = take(message, inner, tag);
            const std::string community = take(message, inner, tag);
            const std::string pdu = take(message, inner, tag);
            size_t fields = 0;
            const std::string requestId = take(pdu, fields, tag);
            const std::string binding =
                tlv(0x30, tlv(0x06, encodedOid()) + tlv(0x02, std::string(1, '\1')));
            const std::string body = tlv(0x02, requestId) + tlv(0x02, std::string(1, '\0')) +
                                     tlv(0x02, std::string(1, '\0')) + tlv(0x30, binding);
            const std::string reply =
                tlv(0x30, tlv(0x02, version) + tlv(0x04, community) + tlv(0xA2, body));
            socket_.writeDatagram(QByteArray(reply.data(), static_cast<int>(reply.size())),
                                  datagram.senderAddress(), datagram.senderPort());
        }
    }

    std::vector<uint32_t> oid_;
    QUdpSocket socket_;
    int requests_ = 0;
};
