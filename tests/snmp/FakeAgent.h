#pragma once

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cstdint>
#include <string>
#include <vector>

// A misbehaving agent on a free loopback port. To SNMPv1/v2c it answers every request with the
// same variable (an INTEGER 1 unless another encoded value is given), which no real agent would do
// in a walk. To SNMPv3 it answers a discovery with its engine id and every other request with the
// report of one usmStats counter (4 unknown engine id, 2 not in time window), as an agent does
// that has lost the engine the request names. Answers need the Qt event loop, so it serves
// asynchronous requests only.
class FakeAgent {
  public:
    explicit FakeAgent(std::vector<uint32_t> answerOid, std::string value = tlv(0x02, "\1"),
                       int v3Report = 4)
        : oid_(std::move(answerOid)), value_(std::move(value)), report_(v3Report) {
        socket_.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&socket_, &QUdpSocket::readyRead, [this] { serve(); });
    }
    int port() const { return socket_.localPort(); }
    int requests() const { return requests_; }

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

  private:
    // Reads one tag-length-value at pos; returns the value and moves pos past it.
    static std::string take(const std::string& in, size_t& pos, unsigned char* tag = nullptr) {
        if (pos + 2 > in.size()) return {};
        if (tag) *tag = static_cast<unsigned char>(in[pos]);
        ++pos;
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
    static std::string encodedOid(const std::vector<uint32_t>& oid) {
        std::string out(1, static_cast<char>(oid[0] * 40 + oid[1]));
        for (size_t i = 2; i < oid.size(); ++i) {
            std::string part(1, static_cast<char>(oid[i] & 0x7f));
            for (uint32_t rest = oid[i] >> 7; rest; rest >>= 7)
                part.insert(part.begin(), static_cast<char>(0x80 | (rest & 0x7f)));
            out += part;
        }
        return out;
    }
    static std::string binding(const std::vector<uint32_t>& oid, const std::string& value) {
        return tlv(0x30, tlv(0x06, encodedOid(oid)) + value);
    }
    // A PDU of the given tag: request id, no error, one binding.
    static std::string pdu(unsigned char tag, const std::string& requestId, const std::string& vb) {
        const std::string zero = tlv(0x02, std::string(1, '\0'));
        return tlv(tag, tlv(0x02, requestId) + zero + zero + tlv(0x30, vb));
    }

    std::string answerV3(const std::string& message) {
        size_t pos = 0;
        take(message, pos);  // version
        const std::string header = take(message, pos);
        const std::string security = take(message, pos);
        unsigned char scopedTag = 0;
        const std::string scoped = take(message, pos, &scopedTag);
        size_t field = 0;
        const std::string msgId = take(header, field);
        const std::string sizeField = take(header, field);
        size_t sp = 0;
        const std::string params = take(security, sp);
        size_t p = 0;
        const std::string engine = take(params, p);
        take(params, p);
        take(params, p);
        const std::string user = take(params, p);
        // A plain scoped PDU (discovery, noAuthNoPriv) names its request id; an encrypted one
        // cannot be read, and a report may then carry 0.
        std::string requestId(1, '\0');
        if (scopedTag == 0x30) {
            size_t s = 0;
            take(scoped, s);
            take(scoped, s);
            const std::string inner = take(scoped, s);
            size_t r = 0;
            requestId = take(inner, r);
        }
        const uint32_t counter = engine.empty() ? 4 : static_cast<uint32_t>(report_);
        const std::string counted =
            binding({1, 3, 6, 1, 6, 3, 15, 1, 1, counter, 0}, tlv(0x41, std::string(1, '\1')));
        const std::string one = tlv(0x02, std::string(1, '\1'));
        const std::string ownParams = tlv(
            0x30, tlv(0x04, engine_) + one + one + tlv(0x04, user) + tlv(0x04, "") + tlv(0x04, ""));
        return tlv(
            0x30,
            tlv(0x02, std::string(1, '\3')) +
                tlv(0x30, tlv(0x02, msgId) + tlv(0x02, sizeField) +
                              tlv(0x04, std::string(1, '\0')) + tlv(0x02, std::string(1, '\3'))) +
                tlv(0x04, ownParams) +
                tlv(0x30, tlv(0x04, engine_) + tlv(0x04, "") + pdu(0xA8, requestId, counted)));
    }

    void serve() {
        while (socket_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket_.receiveDatagram();
            const QByteArray data = datagram.data();
            size_t pos = 0;
            const std::string message = take(std::string(data.constData(), data.size()), pos);
            ++requests_;
            size_t inner = 0;
            const std::string version = take(message, inner);
            std::string reply;
            if (version == std::string(1, '\3')) {
                reply = answerV3(message);
            } else {
                const std::string community = take(message, inner);
                const std::string request = take(message, inner);
                size_t fields = 0;
                const std::string requestId = take(request, fields);
                reply = tlv(0x30, tlv(0x02, version) + tlv(0x04, community) +
                                      pdu(0xA2, requestId, binding(oid_, value_)));
            }
            socket_.writeDatagram(QByteArray(reply.data(), static_cast<int>(reply.size())),
                                  datagram.senderAddress(), datagram.senderPort());
        }
    }

    std::vector<uint32_t> oid_;
    std::string value_;
    int report_;
    std::string engine_ = std::string("\x80\x00\x1f\x88\x04", 5) + "fake-agent";
    QUdpSocket socket_;
    int requests_ = 0;
};
