#include "app/Startup.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/Environment.h"

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<int> decimal(const std::string& text, int min, int max) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    const int value = std::atoi(text.c_str());
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<std::string> nonEmpty(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

// A code from a closed set of numbers, or one of the names that stand for them.
std::optional<int> code(const std::string& text, std::initializer_list<int> codes,
                        std::initializer_list<std::pair<const char*, int>> names) {
    for (const auto& [name, value] : names)
        if (lower(text) == name) return value;
    const auto value = decimal(text, 0, 999);
    if (value && std::find(codes.begin(), codes.end(), *value) != codes.end()) return value;
    return std::nullopt;
}

template <class T>
void take(std::optional<T>& field, const std::optional<T>& value) {
    if (value) field = value;
}

}  // namespace

std::optional<int> ParseVersion(const std::string& text) {
    const std::string v = lower(text);
    if (v == "1" || v == "v1") return 1;
    if (v == "2" || v == "2c" || v == "v2c") return 2;
    if (v == "3" || v == "v3") return 3;
    return std::nullopt;
}

std::optional<int> ParsePort(const std::string& text) {
    return decimal(text, 1, 65535);
}

std::optional<std::string> ParseEngineId(const std::string& text) {
    std::string hex = text;
    if (hex.size() >= 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex.erase(0, 2);
    if (hex.empty() || hex.size() % 2 != 0) return std::nullopt;
    if (!std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); }))
        return std::nullopt;
    std::string octets;
    for (size_t i = 0; i < hex.size(); i += 2)
        octets.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return octets;
}

std::optional<int> ParseSecurityModel(const std::string& text) {
    return code(text, {1, 2, 3}, {});
}

std::optional<int> ParseSecurityLevel(const std::string& text) {
    return code(text, {1, 2, 3}, {});
}

std::optional<int> ParseAuthProtocol(const std::string& text) {
    return code(text, {1, 2, 3}, {{"md5", 2}, {"sha", 3}});
}

std::optional<int> ParsePrivProtocol(const std::string& text) {
    return code(text, {1, 2, 19}, {{"des", 2}, {"aes", 19}});
}

DeviceOptions ParseSwitches(const QStringList& arguments) {
    DeviceOptions options;
    for (const QString& argument : arguments) {
        std::string octets;
        // A value the 8-bit text cannot carry is as good as not given.
        if (argument.size() < 2 || !argument.startsWith(QLatin1Char('/')) ||
            !platform::toLatin1(argument, octets))
            continue;
        const char letter = octets[1];
        const std::string value = octets.substr(2);
        switch (letter) {
            case 'I':
                take(options.address, nonEmpty(value));
                break;
            case 'R':
                take(options.readCommunity, nonEmpty(value));
                break;
            case 'W':
                take(options.writeCommunity, nonEmpty(value));
                break;
            case 'v':
                take(options.version, ParseVersion(value));
                break;
            case 't':
                take(options.port, ParsePort(value));
                break;
            case 'c':
                take(options.contextName, nonEmpty(value));
                break;
            case 'd':
                take(options.contextEngineId, ParseEngineId(value));
                break;
            case 'm':
                take(options.securityModel, ParseSecurityModel(value));
                break;
            case 'l':
                take(options.securityLevel, ParseSecurityLevel(value));
                break;
            case 'n':
                take(options.securityName, nonEmpty(value));
                break;
            case 'A':
                take(options.authProtocol, ParseAuthProtocol(value));
                break;
            case 'P':
                take(options.privProtocol, ParsePrivProtocol(value));
                break;
            case 'a':
                take(options.authPassword, nonEmpty(value));
                break;
            case 'p':
                take(options.privPassword, nonEmpty(value));
                break;
            default:
                break;
        }
    }
    return options;
}

DeviceOptions ParseSettings(const SettingsLookup& lookup) {
    DeviceOptions options;
    auto text = [&](const char* key) -> std::optional<std::string> {
        auto value = lookup(key);
        return value ? nonEmpty(*value) : std::nullopt;
    };
    auto parsed = [&](const char* key, auto parse) -> decltype(parse(std::string())) {
        auto value = lookup(key);
        return value ? parse(*value) : std::nullopt;
    };
    options.port = parsed("AgentPort", ParsePort);
    options.version = parsed("Version", ParseVersion);
    options.contextName = text("ContextName");
    options.contextEngineId = parsed("ContextEngineID", ParseEngineId);
    options.securityModel = parsed("SecurityModel", ParseSecurityModel);
    options.securityLevel = parsed("SecurityLevel", ParseSecurityLevel);
    options.securityName = text("SecurityName");
    options.authProtocol = parsed("AuthProtocol", ParseAuthProtocol);
    options.privProtocol = parsed("PrivProtocol", ParsePrivProtocol);
    options.authPassword = text("AuthPassword");
    options.privPassword = text("PrivPassword");
    return options;
}

void ApplyDeviceOptions(const DeviceOptions& commandLine, const DeviceOptions& file,
                        CvSNMPSettings& settings) {
    DeviceOptions merged = file;
    take(merged.address, commandLine.address);
    take(merged.readCommunity, commandLine.readCommunity);
    take(merged.writeCommunity, commandLine.writeCommunity);
    take(merged.version, commandLine.version);
    const int version = merged.version.value_or(settings.version);
    if (version == 3) {
        take(merged.port, commandLine.port);
        take(merged.contextName, commandLine.contextName);
        take(merged.contextEngineId, commandLine.contextEngineId);
        take(merged.securityModel, commandLine.securityModel);
        take(merged.securityLevel, commandLine.securityLevel);
        take(merged.securityName, commandLine.securityName);
        take(merged.authProtocol, commandLine.authProtocol);
        take(merged.privProtocol, commandLine.privProtocol);
        take(merged.authPassword, commandLine.authPassword);
        take(merged.privPassword, commandLine.privPassword);
    }
    settings.version = version;
    settings.address = merged.address.value_or(settings.address);
    settings.readCommunity = merged.readCommunity.value_or(settings.readCommunity);
    settings.writeCommunity = merged.writeCommunity.value_or(settings.writeCommunity);
    settings.port = merged.port.value_or(settings.port);
    settings.contextName = merged.contextName.value_or(settings.contextName);
    settings.contextEngineId = merged.contextEngineId.value_or(settings.contextEngineId);
    settings.securityModel =
        version == 3 ? 3 : merged.securityModel.value_or(settings.securityModel);
    settings.securityLevel = merged.securityLevel.value_or(settings.securityLevel);
    settings.securityName = merged.securityName.value_or(settings.securityName);
    settings.authProtocol = merged.authProtocol.value_or(settings.authProtocol);
    settings.privProtocol = merged.privProtocol.value_or(settings.privProtocol);
    settings.authPassword = merged.authPassword.value_or(settings.authPassword);
    settings.privPassword = merged.privPassword.value_or(settings.privPassword);
}

std::string MibFolder(const std::string& mibFile, const std::string& exePath) {
    if (mibFile.empty()) return {};
    if (mibFile[0] == '/' || exePath.empty()) return mibFile;
    std::string folder = exePath;
    if (folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder + mibFile;
}
