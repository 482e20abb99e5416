#pragma once
// Typed values of the simulated device and their text forms.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Oid = std::vector<uint64_t>;

enum class Syntax { Int, Str, Mac, Oct, Ip, ObjectId, TimeTicks, Counter, Gauge };

struct Value {
    Syntax syntax = Syntax::Int;
    long long number = 0;  // Int, TimeTicks, Counter, Gauge
    std::string bytes;     // Str, Mac, Oct, Ip (4 octets)
    Oid oid;               // ObjectId

    bool operator==(const Value&) const = default;
};

std::optional<Syntax> parseSyntax(const std::string& name);
std::string syntaxName(Syntax syntax);
// The letter net-snmp's snmpset uses for the syntax ("i", "s", "x", "a", "o", "t", "c", "g").
std::string syntaxLetter(Syntax syntax);
bool isText(Syntax syntax);

std::optional<Oid> parseOid(const std::string& text);
std::string oidText(const Oid& oid);
bool hasPrefix(const Oid& oid, const Oid& prefix);

// Text forms: decimal numbers, raw text, upper-case hex for MAC and octets, dotted addresses and
// object identifiers. parseValue accepts hex with or without separators.
std::optional<Value> parseValue(Syntax syntax, const std::string& text);
std::string valueText(const Value& value);
std::string hexText(const std::string& bytes);

// Default value of a syntax: 0, empty, 6 zero octets, 0.0.0.0, 0.0.
Value zeroValue(Syntax syntax);

// A text with backslash, LF and CR escaped, so that it fits on one line.
std::string escapeLine(const std::string& text);
// The text as a JSON string literal; octets above 127 are written as U+0080..U+00FF.
std::string jsonString(const std::string& text);
