#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// RFC 1350 packets and the server's policy on requested names.
namespace tftp {

enum Opcode : uint16_t { RRQ = 1, WRQ = 2, DATA = 3, ACK = 4, ERROR = 5 };

// Error codes carried on the wire.
enum WireError : uint16_t {
    NotDefined = 0,
    FileNotFound = 1,
    AccessViolation = 2,
    DiskFull = 3,
    IllegalOperation = 4,
    UnknownTransferId = 5,
};

constexpr size_t blockSize = 512;
constexpr size_t headerSize = 4;

struct Request {
    int kind = 0;  // 1 read, 2 write
    std::string fileName;
    std::string mode;
};

// Opcode of a packet, 0 when it is shorter than one.
uint16_t opcodeOf(std::string_view packet);
// Block number of a DATA or ACK packet (4 bytes at least).
uint16_t blockOf(std::string_view packet);

// A read or write request; none when the packet is no request or its name or mode is not
// NUL-terminated. Options after the mode are ignored.
std::optional<Request> parseRequest(std::string_view packet);

std::string dataPacket(uint16_t block, std::string_view payload);
std::string ackPacket(uint16_t block);
std::string errorPacket(uint16_t wireCode, std::string_view message);
std::string requestPacket(int kind, std::string_view fileName, std::string_view mode);

// True for a plain file name that stays inside the root folder: not empty, no separator,
// not "." or "..", no drive prefix and no control character.
bool isPlainFileName(std::string_view name);

// The wire error code for a failure status (-1101..-1114), 0 when it has none.
uint16_t wireCodeOf(int status);
// The text sent with a failure status: its fixed text without the module tag.
std::string wireMessage(int status);
}  // namespace tftp
