#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A value as it travels in a variable binding, kept free of net-snmp's types so that the text
// forms can be tested on their own. Type numbers are the BER tags.
struct WireValue {
    enum Type : int {
        Integer = 0x02,
        OctetString = 0x04,
        Null = 0x05,
        ObjectId = 0x06,
        IpAddress = 0x40,
        Counter = 0x41,
        Gauge = 0x42,
        TimeTicks = 0x43,
        Opaque = 0x44,
        Counter64 = 0x46,
        NoSuchObject = 0x80,
        NoSuchInstance = 0x81,
        EndOfMibView = 0x82,
    };
    int type = Null;
    int64_t number = 0;         // Integer (signed), the unsigned kinds, Counter64
    std::string octets;         // OctetString, Opaque, IpAddress (4 octets)
    std::vector<uint32_t> oid;  // ObjectId

    bool isException() const {
        return type == NoSuchObject || type == NoSuchInstance || type == EndOfMibView;
    }
};

namespace valuetext {

// The text form of an answered value for an item of the given syntax. Returns 0, or -516 when the
// answer's type does not fit the syntax (syntax 0 accepts every type).
int toText(const WireValue& value, int syntax, std::string& text);

// The value to send for an item's text. Returns 0 or the access layer's code: -507 a text that
// does not convert, -508 out of range, -510 bad hexadecimal, -511 a MAC address that is not 12
// hexadecimal digits.
int fromText(const std::string& text, int syntax, WireValue& value);

// "0 days, 00:02:03.45" for 12345 hundredths.
std::string timeTicksText(uint32_t ticks);
// Accepts the time-ticks text form or a plain unsigned integer.
bool parseTimeTicks(const std::string& text, uint32_t& ticks);

// Octets as upper-case hexadecimal without separators, and back (false for an odd count or a
// character that is not a hexadecimal digit).
std::string hexText(const std::string& octets);
bool parseHex(const std::string& text, std::string& octets);

// Dotted object identifiers without a leading dot ("1.3.6"); parsing accepts one leading dot.
std::string oidText(const std::vector<uint32_t>& oid);
bool parseOid(const std::string& text, std::vector<uint32_t>& oid);

// Dotted IPv4 address of exactly four decimal octets.
bool parseIpAddress(const std::string& text, std::string& fourOctets);

}  // namespace valuetext
