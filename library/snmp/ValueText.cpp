#include "library/snmp/ValueText.h"

#include <charconv>
#include <cstdio>
#include <limits>

#include "library/snmp/CvSNMPVarList.h"

namespace valuetext {
namespace {

bool isIntegerFamily(int type) {
    switch (type) {
        case WireValue::Integer:
        case WireValue::Counter:
        case WireValue::Gauge:
        case WireValue::TimeTicks:
        case WireValue::Counter64:
            return true;
        default:
            return false;
    }
}

bool fits(int type, int syntax) {
    switch (syntax) {
        case 0:
            return true;
        case SYN_BOOLEAN:
        case SYN_INTEGER:
        case SYN_COUNTER:
        case SYN_GAUGE:
        case SYN_TIMETICKS:
            return isIntegerFamily(type);
        case SYN_OCTETSTRING:
        case SYN_DISPLAYSTRING:
        case SYN_MACADDRESS:
            return type == WireValue::OctetString || type == WireValue::Opaque;
        case SYN_OBJECTID:
            return type == WireValue::ObjectId;
        case SYN_IPADDRESS:
            return type == WireValue::IpAddress;
        default:
            return true;
    }
}

bool parseUnsigned(const std::string& text, uint64_t& out) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

// -507 for a text that is not a number, -508 for a number outside [low, high].
int parseRanged(const std::string& text, int64_t low, int64_t high, int64_t& out) {
    if (text.empty()) {
        out = 0;
        return 0;
    }
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+') ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, out);
    if (ec == std::errc::result_out_of_range) return -508;
    if (ec != std::errc() || ptr != end || begin == end) return -507;
    return (out < low || out > high) ? -508 : 0;
}

}  // namespace

std::string timeTicksText(uint32_t ticks) {
    const uint32_t cs = ticks % 100, totalSeconds = ticks / 100;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%u days, %02u:%02u:%02u.%02u", totalSeconds / 86400,
                  totalSeconds / 3600 % 24, totalSeconds / 60 % 60, totalSeconds % 60, cs);
    return buffer;
}

bool parseTimeTicks(const std::string& text, uint32_t& ticks) {
    uint64_t plain = 0;
    if (parseUnsigned(text, plain)) {
        if (plain > std::numeric_limits<uint32_t>::max()) return false;
        ticks = static_cast<uint32_t>(plain);
        return true;
    }
    unsigned days = 0, hours = 0, minutes = 0, seconds = 0, cs = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%u days, %2u:%2u:%2u.%2u%n", &days, &hours, &minutes, &seconds,
                    &cs, &used) != 5 ||
        used != static_cast<int>(text.size()) || hours > 23 || minutes > 59 || seconds > 59 ||
        cs > 99)
        return false;
    const uint64_t total = ((static_cast<uint64_t>(days) * 24 + hours) * 60 + minutes) * 6000ull +
                           seconds * 100ull + cs;
    if (total > std::numeric_limits<uint32_t>::max()) return false;
    ticks = static_cast<uint32_t>(total);
    return true;
}

std::string hexText(const std::string& octets) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(octets.size() * 2);
    for (unsigned char c : octets) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

bool parseHex(const std::string& text, std::string& octets) {
    if (text.size() % 2) return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = nibble(text[i]), low = nibble(text[i + 1]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
    }
    octets = std::move(out);
    return true;
}

std::string oidText(const std::vector<uint32_t>& oid) {
    std::string text;
    for (size_t i = 0; i < oid.size(); ++i) {
        if (i) text += '.';
        text += std::to_string(oid[i]);
    }
    return text;
}

bool parseOid(const std::string& text, std::vector<uint32_t>& oid) {
    std::string_view rest(text);
    if (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
    if (rest.empty()) return false;
    std::vector<uint32_t> out;
    while (true) {
        const size_t dot = rest.find('.');
        const std::string_view part = rest.substr(0, dot);
        uint32_t number = 0;
        auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), number);
        if (part.empty() || ec != std::errc() || ptr != part.data() + part.size()) return false;
        out.push_back(number);
        if (dot == std::string_view::npos) break;
        rest.remove_prefix(dot + 1);
    }
    if (out.size() > 128) return false;
    oid = std::move(out);
    return true;
}

bool parseIpAddress(const std::string& text, std::string& fourOctets) {
    std::vector<uint32_t> parts;
    if (text.empty() || text.front() == '.' || !parseOid(text, parts) || parts.size() != 4)
        return false;
    std::string out;
    for (uint32_t part : parts) {
        if (part > 255) return false;
        out += static_cast<char>(part);
    }
    fourOctets = std::move(out);
    return true;
}

int toText(const WireValue& value, int syntax, std::string& text) {
    if (!fits(value.type, syntax)) return -516;
    switch (value.type) {
        case WireValue::Integer:
            text = std::to_string(value.number);
            break;
        case WireValue::Counter:
        case WireValue::Gauge:
        case WireValue::Counter64:
            text = std::to_string(static_cast<uint64_t>(value.number));
            break;
        case WireValue::TimeTicks:
            text = syntax == 0 || syntax == SYN_TIMETICKS
                       ? timeTicksText(static_cast<uint32_t>(value.number))
                       : std::to_string(static_cast<uint64_t>(value.number));
            break;
        case WireValue::OctetString:
        case WireValue::Opaque:
            text = syntax == SYN_MACADDRESS ? hexText(value.octets) : value.octets;
            break;
        case WireValue::IpAddress: {
            if (value.octets.size() != 4) return -516;
            text.clear();
            for (size_t i = 0; i < 4; ++i) {
                if (i) text += '.';
                text += std::to_string(static_cast<unsigned char>(value.octets[i]));
            }
            break;
        }
        case WireValue::ObjectId:
            text = oidText(value.oid);
            break;
        case WireValue::Null:
            text.clear();
            break;
        default:
            return -516;
    }
    // A time-ticks item answered with a plain integer still shows as time ticks.
    if (syntax == SYN_TIMETICKS && value.type != WireValue::TimeTicks)
        text = timeTicksText(static_cast<uint32_t>(value.number));
    return 0;
}

int fromText(const std::string& text, int syntax, WireValue& value) {
    value = WireValue();
    int64_t number = 0;
    switch (syntax) {
        case SYN_BOOLEAN:
        case SYN_INTEGER:
            value.type = WireValue::Integer;
            if (int code = parseRanged(text, INT32_MIN, INT32_MAX, number)) return code;
            value.number = number;
            return 0;
        case SYN_COUNTER:
        case SYN_GAUGE:
            value.type = syntax == SYN_COUNTER ? WireValue::Counter : WireValue::Gauge;
            if (int code = parseRanged(text, 0, UINT32_MAX, number)) return code;
            value.number = number;
            return 0;
        case SYN_TIMETICKS: {
            value.type = WireValue::TimeTicks;
            uint32_t ticks = 0;
            if (!text.empty() && !parseTimeTicks(text, ticks)) return -507;
            value.number = ticks;
            return 0;
        }
        case SYN_IPADDRESS:
            value.type = WireValue::IpAddress;
            return parseIpAddress(text.empty() ? "0.0.0.0" : text, value.octets) ? 0 : -507;
        case SYN_OBJECTID:
            value.type = WireValue::ObjectId;
            return parseOid(text, value.oid) ? 0 : -507;
        case SYN_MACADDRESS: {
            value.type = WireValue::OctetString;
            if (text.size() != 12) return -511;
            return parseHex(text, value.octets) ? 0 : -510;
        }
        default:
            value.type = WireValue::OctetString;
            value.octets = text;
            return 0;
    }
}

}  // namespace valuetext
