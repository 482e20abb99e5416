#include "library/tftp/TftpProtocol.h"

#include "library/common/CvMessages.h"

namespace tftp {
namespace {

void putWord(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

uint16_t wordAt(std::string_view packet, size_t at) {
    return static_cast<uint16_t>((static_cast<unsigned char>(packet[at]) << 8) |
                                 static_cast<unsigned char>(packet[at + 1]));
}

}  // namespace

uint16_t opcodeOf(std::string_view packet) {
    return packet.size() < 2 ? 0 : wordAt(packet, 0);
}

uint16_t blockOf(std::string_view packet) {
    return packet.size() < 4 ? 0 : wordAt(packet, 2);
}

std::optional<Request> parseRequest(std::string_view packet) {
    const uint16_t op = opcodeOf(packet);
    if (op != RRQ && op != WRQ) return std::nullopt;
    const size_t nameEnd = packet.find('\0', 2);
    if (nameEnd == std::string_view::npos) return std::nullopt;
    const size_t modeEnd = packet.find('\0', nameEnd + 1);
    if (modeEnd == std::string_view::npos || modeEnd == nameEnd + 1) return std::nullopt;
    Request request;
    request.kind = op == RRQ ? 1 : 2;
    request.fileName = std::string(packet.substr(2, nameEnd - 2));
    request.mode = std::string(packet.substr(nameEnd + 1, modeEnd - nameEnd - 1));
    return request;
}

std::string dataPacket(uint16_t block, std::string_view payload) {
    std::string out;
    out.reserve(headerSize + payload.size());
    putWord(out, DATA);
    putWord(out, block);
    out.append(payload);
    return out;
}

std::string ackPacket(uint16_t block) {
    std::string out;
    putWord(out, ACK);
    putWord(out, block);
    return out;
}

std::string errorPacket(uint16_t wireCode, std::string_view message) {
    std::string out;
    putWord(out, ERROR);
    putWord(out, wireCode);
    out.append(message);
    out.push_back('\0');
    return out;
}

std::string requestPacket(int kind, std::string_view fileName, std::string_view mode) {
    std::string out;
    putWord(out, kind == 1 ? RRQ : WRQ);
    out.append(fileName);
    out.push_back('\0');
    out.append(mode);
    out.push_back('\0');
    return out;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    }
    // "C:name" is relative to a drive's current folder, not to the root served.
    if (name.size() >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
        return false;
    return true;
}

uint16_t wireCodeOf(int status) {
    switch (status) {
        case -1103:
            return FileNotFound;
        case -1104:
            return AccessViolation;
        case -1105:
            return DiskFull;
        case -1106:
            return IllegalOperation;
        case -1107:
            return UnknownTransferId;
        case -1108:
            return AccessViolation;
        default:
            return NotDefined;
    }
}

std::string wireMessage(int status) {
    std::string text = CvMessages::tftpText(status);
    constexpr std::string_view tag = "(CvTFTP) ";
    if (text.compare(0, tag.size(), tag) == 0) text.erase(0, tag.size());
    return text;
}

}  // namespace tftp
