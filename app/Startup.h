#pragma once

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "library/snmp/CvSNMPSession.h"

// What the command line or the per-device settings file says about the device and its SNMP
// credentials; a field is empty when its source does not give it (or gives nothing usable).
struct DeviceOptions {
    std::optional<std::string> address;
    std::optional<std::string> readCommunity;
    std::optional<std::string> writeCommunity;
    std::optional<int> version;  // 1, 2 (v2c) or 3
    std::optional<int> port;
    std::optional<std::string> contextName;
    std::optional<std::string> contextEngineId;  // raw octets
    std::optional<int> securityModel;
    std::optional<int> securityLevel;
    std::optional<std::string> securityName;
    std::optional<int> authProtocol;
    std::optional<int> privProtocol;
    std::optional<std::string> authPassword;
    std::optional<std::string> privPassword;
};

// The switches "/I", "/R", "/W", "/v", "/t", "/c", "/d", "/m", "/l", "/n", "/A", "/P", "/a", "/p"
// with their values attached; case-sensitive, unknown ones ignored, the last of a kind wins.
DeviceOptions ParseSwitches(const QStringList& arguments);

// A key of the section "Program Information", already trimmed and unquoted, or nothing.
using SettingsLookup = std::function<std::optional<std::string>(const std::string& key)>;
// The eleven keys of the per-device settings file.
DeviceOptions ParseSettings(const SettingsLookup& lookup);

// Fills the session settings: the command line wins, the file fills what it did not give, the
// defaults stay for the rest. The switches from "/t" on count only for version 3, and version 3
// always uses the user-based security model.
void ApplyDeviceOptions(const DeviceOptions& commandLine, const DeviceOptions& file,
                        CvSNMPSettings& settings);

// The platform's MIB folder from the registry's MibFile and ExePath values: MibFile as it is
// when absolute, else below ExePath. Empty when MibFile is not given.
std::string MibFolder(const std::string& mibFile, const std::string& exePath);

// Value parsers shared by switches and keys; nothing when the text is not usable.
std::optional<int> ParseVersion(const std::string& text);
std::optional<int> ParsePort(const std::string& text);
std::optional<std::string> ParseEngineId(const std::string& text);
std::optional<int> ParseSecurityModel(const std::string& text);
std::optional<int> ParseSecurityLevel(const std::string& text);
std::optional<int> ParseAuthProtocol(const std::string& text);
std::optional<int> ParsePrivProtocol(const std::string& text);
