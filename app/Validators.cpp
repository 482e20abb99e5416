#include "app/Validators.h"

#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace {

// Splits a dotted quad into four decimal octets of one to three digits. The dot rules (exactly
// three dots, no leading dot, the first dot not last) come before any octet is looked at; digits
// only, so no sign, blank or empty octet passes, and three digits never overflow.
std::optional<std::array<int, 4>> dottedOctets(const QString& text) {
    if (text.count(QLatin1Char('.')) != 3 || text.startsWith(QLatin1Char('.'))) return std::nullopt;
    if (text.indexOf(QLatin1Char('.')) == text.size() - 1) return std::nullopt;
    const QStringList parts = text.split(QLatin1Char('.'));
    std::array<int, 4> octets{};
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 3) return std::nullopt;
        int value = 0;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
            value = value * 10 + (c.unicode() - '0');
        }
        octets[i] = value;
    }
    return octets;
}

}  // namespace

bool IsValidIPAddress(const QString& text) {
    const auto octets = dottedOctets(text);
    if (!octets) return false;
    const auto& o = *octets;
    return o[0] >= 1 && o[0] <= 223 && o[1] <= 255 && o[2] <= 255 && o[3] >= 1 && o[3] <= 254;
}

bool IsValidSubnetMask(const QString& text) {
    const auto octets = dottedOctets(text);
    if (!octets) return false;
    const auto& o = *octets;
    if (o[0] < 1) return false;
    uint32_t bits = 0;
    for (int value : o) {
        if (value > 255 || value == 1) return false;
        bits = (bits << 8) | static_cast<uint32_t>(value);
    }
    if (!(bits & 0x40000000u) || (bits & 1u)) return false;
    // Contiguous ones: inverting gives 0...01...1, and adding one to that leaves a power of two.
    const uint32_t inverted = ~bits;
    return (inverted & (inverted + 1)) == 0;
}
