#include "sim/Value.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace {

struct SyntaxInfo {
    Syntax syntax;
    const char* name;
    const char* letter;
};

constexpr SyntaxInfo syntaxes[] = {
    {Syntax::Int, "INT", "i"},      {Syntax::Str, "STR", "s"},     {Syntax::Mac, "MAC", "x"},
    {Syntax::Oct, "OCT", "x"},      {Syntax::Ip, "IP", "a"},       {Syntax::ObjectId, "OID", "o"},
    {Syntax::TimeTicks, "TT", "t"}, {Syntax::Counter, "CNT", "c"}, {Syntax::Gauge, "GAUGE", "g"},
};

std::optional<long long> parseNumber(const std::string& text) {
    long long n = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return n;
}

std::optional<std::string> parseHex(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ' ' && c != ':' && c != '-')
            return std::nullopt;
    }
    if (digits.size() % 2) return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return bytes;
}

std::optional<std::string> parseIp(const std::string& text) {
    auto oid = parseOid(text);
    if (!oid || oid->size() != 4) return std::nullopt;
    std::string bytes;
    for (auto part : *oid) {
        if (part > 255) return std::nullopt;
        bytes += static_cast<char>(part);
    }
    return bytes;
}

}  // namespace

std::optional<Syntax> parseSyntax(const std::string& name) {
    for (const auto& info : syntaxes)
        if (name == info.name) return info.syntax;
    return std::nullopt;
}

std::string syntaxName(Syntax syntax) {
    for (const auto& info : syntaxes)
        if (info.syntax == syntax) return info.name;
    return "?";
}

std::string syntaxLetter(Syntax syntax) {
    for (const auto& info : syntaxes)
        if (info.syntax == syntax) return info.letter;
    return "?";
}

bool isText(Syntax syntax) {
    return syntax == Syntax::Str || syntax == Syntax::Mac || syntax == Syntax::Oct;
}

std::optional<Oid> parseOid(const std::string& text) {
    Oid oid;
    size_t start = !text.empty() && text[0] == '.' ? 1 : 0;
    if (start >= text.size()) return std::nullopt;
    while (true) {
        size_t end = text.find('.', start);
        std::string part = text.substr(start, end == std::string::npos ? end : end - start);
        auto n = parseNumber(part);
        if (!n || *n < 0 || *n > 0xFFFFFFFFLL || part[0] == '+' || part[0] == '-')
            return std::nullopt;
        oid.push_back(static_cast<uint64_t>(*n));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return oid;
}

std::string oidText(const Oid& oid) {
    std::string text;
    for (size_t i = 0; i < oid.size(); ++i) {
        if (i) text += '.';
        text += std::to_string(oid[i]);
    }
    return text;
}

bool hasPrefix(const Oid& oid, const Oid& prefix) {
    return oid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

std::optional<Value> parseValue(Syntax syntax, const std::string& text) {
    Value value;
    value.syntax = syntax;
    switch (syntax) {
        case Syntax::Int: {
            auto n = parseNumber(text);
            if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
            value.number = *n;
            return value;
        }
        case Syntax::TimeTicks:
        case Syntax::Counter:
        case Syntax::Gauge: {
            auto n = parseNumber(text);
            if (!n || *n < 0 || *n > 0xFFFFFFFFLL) return std::nullopt;
            value.number = *n;
            return value;
        }
        case Syntax::Str:
            value.bytes = text;
            return value;
        case Syntax::Mac:
        case Syntax::Oct: {
            auto bytes = parseHex(text);
            if (!bytes || (syntax == Syntax::Mac && bytes->size() != 6)) return std::nullopt;
            value.bytes = *bytes;
            return value;
        }
        case Syntax::Ip: {
            auto bytes = parseIp(text);
            if (!bytes) return std::nullopt;
            value.bytes = *bytes;
            return value;
        }
        case Syntax::ObjectId: {
            auto oid = parseOid(text);
            if (!oid || oid->size() < 2) return std::nullopt;
            value.oid = *oid;
            return value;
        }
    }
    return std::nullopt;
}

std::string hexText(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

std::string valueText(const Value& value) {
    switch (value.syntax) {
        case Syntax::Str:
            return value.bytes;
        case Syntax::Mac:
        case Syntax::Oct:
            return hexText(value.bytes);
        case Syntax::Ip: {
            std::string text;
            for (size_t i = 0; i < value.bytes.size(); ++i) {
                if (i) text += '.';
                text += std::to_string(static_cast<unsigned char>(value.bytes[i]));
            }
            return text;
        }
        case Syntax::ObjectId:
            return oidText(value.oid);
        default:
            return std::to_string(value.number);
    }
}

Value zeroValue(Syntax syntax) {
    Value value;
    value.syntax = syntax;
    if (syntax == Syntax::Mac) value.bytes.assign(6, '\0');
    if (syntax == Syntax::Ip) value.bytes.assign(4, '\0');
    if (syntax == Syntax::ObjectId) value.oid = {0, 0};
    return value;
}

std::string escapeLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}
