// The device's behaviours: one function per action object, registered by name. Adding a behaviour
// is adding one entry to registerBehaviours().

#include <fstream>
#include <sstream>

#include "sim/Device.h"
#include "sim/NetSnmp.h"

namespace {

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "#VRA-2260-DCF 1" then OID<TAB>syntax<TAB>value lines; a malformed file is refused whole.
std::optional<std::vector<std::pair<Oid, Value>>> parseConfig(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line != "#VRA-2260-DCF 1") return std::nullopt;
    std::vector<std::pair<Oid, Value>> values;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos) return std::nullopt;
        auto oid = parseOid(line.substr(0, tab1));
        auto syntax = parseSyntax(line.substr(tab1 + 1, tab2 - tab1 - 1));
        if (!oid || !syntax) return std::nullopt;
        std::string escaped = line.substr(tab2 + 1), raw;
        for (size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] == '\\' && i + 1 < escaped.size()) {
                char c = escaped[++i];
                raw += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
            } else {
                raw += escaped[i];
            }
        }
        auto value = parseValue(*syntax, raw);
        if (!value) return std::nullopt;
        values.emplace_back(*oid, *value);
    }
    return values;
}

std::optional<std::string> firmwareVersion(const std::string& image) {
    size_t at = image.find("FWVER=");
    if (at == std::string::npos || (at > 0 && image[at - 1] != '\n')) return std::nullopt;
    size_t end = image.find_first_of("\r\n", at);
    return image.substr(at + 6, end == std::string::npos ? end : end - at - 6);
}

}  // namespace

void Device::registerBehaviours() {
    auto on = [this](const std::string& name, Action action) {
        Oid oid = mib_.oidOf(name);
        if (!oid.empty()) actions_[oid] = std::move(action);
    };
    auto onValue = [](long long wanted, std::function<void(Done)> run) {
        return [wanted, run](const Oid&, const Value& value, Done done) {
            if (value.number == wanted)
                run(std::move(done));
            else
                done(SNMP_ERR_NOERROR);
        };
    };

    on("deviceSettingApply.0", {nullptr, onValue(1, [this](Done done) {
                                    mib_.commit();
                                    if (Object* s = mib_.find(mib_.oidOf("dot11ApModeStatus.1")))
                                        s->stored.bytes = "unchanged";
                                    journal_.write("apply", JsonLine());
                                    done(SNMP_ERR_NOERROR);
                                })});
    on("deviceRestart.0", {nullptr, onValue(1, [this](Done done) {
                               restart("deviceRestart");
                               done(SNMP_ERR_NOERROR);
                           })});
    on("deviceFactoryDefault.0", {nullptr, onValue(1, [this](Done done) {
                                      factoryDefault();
                                      done(SNMP_ERR_NOERROR);
                                  })});
    on("dot11ApMode.1", {nullptr, [this](const Oid& oid, const Value& value, Done done) {
                             const Object* mode = mib_.find(oid);
                             Object* status = mib_.find(mib_.oidOf("dot11ApModeStatus.1"));
                             if (mode && status && !(value == mode->committed))
                                 status->stored.bytes = "changed";
                             done(SNMP_ERR_NOERROR);
                         }});
    // The 2.4 GHz radio needs a longer ACK time-out than the 5 GHz one that the range allows.
    on("dot11AckTimeout.1", {[this](const Oid&, const Value& value) {
                                 const Object* band = mib_.find(mib_.oidOf("dot11Band.1"));
                                 const bool band24 = band && band->stored.number == 0;
                                 return validate_ && band24 && value.number < 64
                                            ? SNMP_ERR_WRONGVALUE
                                            : SNMP_ERR_NOERROR;
                             },
                             nullptr});

    on("tftpcommand.0",
       {nullptr, [this](const Oid&, const Value& value, Done done) {
            std::string address = storedText("tftpServerIPAddress.0");
            std::string name = storedText("tftpRemoteFileName.0");
            if (value.number == 2) {
                std::string path = dir_ + "/tftp/get-" + std::to_string(transfers_ + 1) + ".bin";
                tftpAction(
                    "get", address, name, path,
                    [this, path](bool ok) {
                        if (ok) stagedFile_ = path;
                    },
                    std::move(done));
            } else if (value.number == 3) {
                tftpAction("put", address, name, writeConfigFile(), nullptr, std::move(done));
            } else {
                done(SNMP_ERR_NOERROR);
            }
        }});

    on("tftpUpgradeSettingCommand.0",
       {nullptr, [this](const Oid&, const Value& value, Done done) {
            switch (value.number) {
                case 4:
                    restart("tftpUpgradeSettingCommand");
                    return done(SNMP_ERR_NOERROR);
                case 3: {
                    std::string path =
                        dir_ + "/tftp/config-" + std::to_string(transfers_ + 1) + ".dcf";
                    auto ok = std::make_shared<bool>(true);
                    // The staged configuration takes effect at the next restart.
                    tftpAction(
                        "get", storedText("tftpServerIPAddress.0"),
                        storedText("tftpRemoteFileName.0"), path,
                        [this, path, ok](bool fetched) {
                            auto config = fetched ? parseConfig(readWhole(path)) : std::nullopt;
                            if (config) stagedConfig_ = config;
                            *ok = fetched && config.has_value();
                            if (fetched && !config)
                                journal_.write("configsave", JsonLine().text("result", "bad file"));
                        },
                        [ok, done](int status) {
                            done(status ? status : *ok ? 0 : SNMP_ERR_GENERR);
                        });
                    return;
                }
                case 1:
                case 7:
                case 8:
                    // A device finishes writing a fetched file before it acts on it.
                    if (activeGets_ > 0) {
                        afterGets_.push_back(
                            [this, command = value.number, done] { installStaged(command, done); });
                        return;
                    }
                    return installStaged(value.number, std::move(done));
                default:
                    return done(SNMP_ERR_NOERROR);
            }
        }});

    on("systemLogGetLog.0", {nullptr, onValue(1, [this](Done done) {
                                 tftpAction("put", storedText("systemLogTFTPServerIPAddress.0"),
                                            storedText("systemLogFileName.0"), writeLogFile(),
                                            nullptr, std::move(done));
                             })});
    on("systemLogClearLocalLog.0", {nullptr, onValue(1, [this](Done done) {
                                        log_.clear();
                                        done(SNMP_ERR_NOERROR);
                                    })});

    registerTableBehaviours();
    registerRogueBehaviours();
    registerDerivedValues();
    derived_[mib_.oidOf("systemUpTime.0")] = [this] {
        Value v{Syntax::TimeTicks, 0, {}, {}};
        v.number = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - bootTime_)
                       .count() /
                   10;
        return v;
    };
    Oid ifIp = mib_.oidOf("ifIpAddress.1");
    if (Object* object = mib_.find(ifIp)) {
        if (auto value = parseValue(Syntax::Ip, listenAddress_))
            object->stored = object->committed = object->initial = *value;
    }
}

void Device::installStaged(long long command, Done done) {
    if (command == 1) {
        std::string image = stagedFile_.empty() ? "" : readWhole(stagedFile_);
        if (image.empty()) return done(SNMP_ERR_GENERR);
        auto version = firmwareVersion(image);
        Object* fw = mib_.find(mib_.oidOf("deviceInformationFirmwareVersion.0"));
        if (version && fw) fw->stored.bytes = fw->committed.bytes = *version;
        journal_.write(
            "firmware",
            JsonLine().number("bytes", image.size()).text("version", version.value_or("")));
        return done(SNMP_ERR_NOERROR);
    }
    std::string file = stagedFile_.empty() ? "" : readWhole(stagedFile_);
    if (stagedFile_.empty()) return done(SNMP_ERR_GENERR);
    bool isKey = command == 8;
    (isKey ? pendingKey_ : certificate_) = file;
    journal_.write(isKey ? "key" : "certificate",
                   JsonLine().number("bytes", file.size()).text("path", stagedFile_));
    done(SNMP_ERR_NOERROR);
}
