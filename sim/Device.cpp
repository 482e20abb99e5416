#include "sim/Device.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "sim/EventLoop.h"
#include "sim/NetSnmp.h"

struct PendingSet {
    Requester who;
    std::vector<SetVb> vbs;
    std::vector<Value> values;
    size_t next = 0;
    std::function<void(int, int)> done;
};

namespace {

std::string vbJson(const SetVb& vb, const Object* target) {
    const char* letter = "";
    std::string text, unknown;
    switch (vb.asnType) {
        case ASN_INTEGER:
            letter = "i", text = std::to_string(vb.number);
            break;
        case ASN_TIMETICKS:
            letter = "t", text = std::to_string(vb.number);
            break;
        case ASN_COUNTER:
            letter = "c", text = std::to_string(vb.number);
            break;
        case ASN_GAUGE:
            letter = "g", text = std::to_string(vb.number);
            break;
        case ASN_IPADDRESS: {
            Value v{Syntax::Ip, 0, vb.bytes, {}};
            letter = "a", text = valueText(v);
            break;
        }
        case ASN_OBJECT_ID:
            letter = "o", text = oidText(vb.oidValue);
            break;
        case ASN_OCTET_STR: {
            // Octets go to MAC and octet-string objects as hex; elsewhere they are text.
            bool binary = target && (target->stored.syntax == Syntax::Mac ||
                                     target->stored.syntax == Syntax::Oct);
            letter = binary ? "x" : "s";
            text = binary ? hexText(vb.bytes) : vb.bytes;
            break;
        }
        case ASN_NULL:
            letter = "n";
            break;
        default:
            unknown = std::string("?").append(std::to_string(vb.asnType));
            letter = unknown.c_str(), text = hexText(vb.bytes);
    }
    JsonLine line;
    line.text("oid", oidText(vb.oid)).text("type", letter).text("value", text);
    return line.str();
}

}  // namespace

Device::Device(std::string dir, std::string listenAddress)
    : dir_(std::move(dir)),
      listenAddress_(std::move(listenAddress)),
      bootTime_(std::chrono::steady_clock::now()),
      silentUntil_(bootTime_) {
    std::filesystem::create_directories(dir_ + "/tftp");
    journal_.open(dir_ + "/journal.jsonl");
    log_ = {"Jan  1 00:00:05|syslogd: [SYS]System started",
            "Jan  1 00:00:07|wlan0: [WLAN]Radio on, channel 6",
            "Jan  1 00:01:12|admin: [NOTICE]Login from 192.168.0.10"};
}

Device::~Device() = default;

bool Device::loadData(const std::string& path, std::string& error) {
    if (!mib_.load(path, error)) return false;
    registerBehaviours();
    return true;
}

bool Device::loadProfile(const std::string& name, std::string& error) {
    if (name.empty() || name.find_first_of("/\\") != std::string::npos || name[0] == '.') {
        error = "bad profile name";
        return false;
    }
    // Log lines are the device's, not objects: "log add" keeps the rest of the line as is. A
    // "fail" line is the knob of that name, for agents that refuse what the device takes.
    return mib_.load(dataDir_ + "/profiles/" + name + ".dat", error,
                     [this](const std::string& line, std::string& problem) -> std::optional<bool> {
                         if (line.rfind("log ", 0) != 0 && line.rfind("fail ", 0) != 0)
                             return std::nullopt;
                         std::string answer = control(line);
                         if (answer.rfind("ok", 0) == 0) return true;
                         problem = answer;
                         return false;
                     });
}

bool Device::addLog(const std::string& line) {
    size_t open = line.find('[');
    size_t close = open == std::string::npos ? open : line.find(']', open);
    if (close != std::string::npos) {
        std::string type = line.substr(open + 1, close - open - 1);
        const char* level = type == "SYS"      ? "systemLogSystemLevel.0"
                            : type == "WLAN"   ? "systemLogWirelessLevel.0"
                            : type == "NOTICE" ? "systemLogNoticeLevel.0"
                                               : nullptr;
        const Object* enabled = level ? mib_.find(mib_.oidOf(level)) : nullptr;
        if (enabled && enabled->stored.number == 0) return false;
    }
    log_.push_back(line);
    return true;
}

const Action* Device::actionFor(const Oid& oid) const {
    // Actions are registered for an instance or for a whole column (per-row triggers).
    for (Oid prefix = oid; !prefix.empty(); prefix.pop_back()) {
        auto it = actions_.find(prefix);
        if (it != actions_.end()) return &it->second;
    }
    return nullptr;
}

int Device::decode(const SetVb& vb, Syntax syntax, Value& out) const {
    out = Value{};
    out.syntax = syntax;
    switch (syntax) {
        case Syntax::Int:
            if (vb.asnType != ASN_INTEGER) return SNMP_ERR_WRONGTYPE;
            out.number = vb.number;
            return 0;
        case Syntax::TimeTicks:
        case Syntax::Counter:
        case Syntax::Gauge: {
            int expected = syntax == Syntax::TimeTicks ? ASN_TIMETICKS
                           : syntax == Syntax::Counter ? ASN_COUNTER
                                                       : ASN_GAUGE;
            if (vb.asnType != expected) return SNMP_ERR_WRONGTYPE;
            out.number = vb.number;
            return 0;
        }
        case Syntax::Str:
        case Syntax::Mac:
        case Syntax::Oct:
            if (vb.asnType != ASN_OCTET_STR) return SNMP_ERR_WRONGTYPE;
            out.bytes = vb.bytes;
            return 0;
        case Syntax::Ip:
            if (vb.asnType != ASN_IPADDRESS) return SNMP_ERR_WRONGTYPE;
            if (vb.bytes.size() != 4) return SNMP_ERR_WRONGLENGTH;
            out.bytes = vb.bytes;
            return 0;
        case Syntax::ObjectId:
            if (vb.asnType != ASN_OBJECT_ID) return SNMP_ERR_WRONGTYPE;
            out.oid = vb.oidValue;
            return 0;
    }
    return SNMP_ERR_WRONGTYPE;
}

void Device::processSet(const Requester& who, const std::vector<SetVb>& vbs,
                        std::function<void(int, int)> done) {
    auto pending = std::make_shared<PendingSet>();
    pending->who = who;
    pending->vbs = vbs;
    pending->done = std::move(done);
    if (!who.mayWrite && !vbs.empty()) return finishSet(pending, SNMP_ERR_NOACCESS, 1);

    // Every variable is checked before any is stored, so a refused request changes nothing.
    for (size_t i = 0; i < vbs.size(); ++i) {
        const SetVb& vb = vbs[i];
        int index = static_cast<int>(i) + 1;
        if (int status = failStatus(vb.oid, true)) return finishSet(pending, status, index);
        const Object* object = mib_.find(vb.oid);
        if (!object || !object->served) return finishSet(pending, SNMP_ERR_NOCREATION, index);
        if (object->access == Access::ReadOnly || object->access == Access::NotAccessible)
            return finishSet(pending, SNMP_ERR_NOTWRITABLE, index);
        Value value;
        if (int status = decode(vb, object->stored.syntax, value))
            return finishSet(pending, status, index);
        bool keepsKey = object->masked && maskKeys_ && !value.bytes.empty() &&
                        value.bytes.find_first_not_of('*') == std::string::npos;
        if (!keepsKey) {
            if (int status = checkValue(*object, value, validate_))
                return finishSet(pending, status, index);
        }
        if (const Action* action = actionFor(vb.oid); action && action->check) {
            if (int status = action->check(vb.oid, value)) return finishSet(pending, status, index);
        }
        pending->values.push_back(value);
    }
    runActions(pending);
}

void Device::runActions(std::shared_ptr<PendingSet> pending) {
    while (pending->next < pending->vbs.size()) {
        size_t i = pending->next++;
        const Oid& oid = pending->vbs[i].oid;
        const Value& value = pending->values[i];
        Object* object = mib_.find(oid);
        if (!object) continue;
        if (object->access == Access::ReadWrite) {
            bool keepsKey = object->masked && maskKeys_ && !value.bytes.empty() &&
                            value.bytes.find_first_not_of('*') == std::string::npos;
            if (!keepsKey) object->stored = value;
        }
        const Action* action = actionFor(oid);
        if (!action || !action->run) continue;
        auto inside = std::make_shared<bool>(true);
        auto result = std::make_shared<int>(-1);
        int index = static_cast<int>(i) + 1;
        action->run(oid, value, [this, pending, inside, result, index](int status) {
            if (*inside) {
                *result = status;
            } else if (status) {
                finishSet(pending, status, index);
            } else {
                runActions(pending);
            }
        });
        *inside = false;
        if (*result < 0) return;  // the behaviour completes later
        if (*result > 0) return finishSet(pending, *result, index);
    }
    finishSet(pending, SNMP_ERR_NOERROR, 0);
}

void Device::finishSet(const std::shared_ptr<PendingSet>& pending, int status, int index) {
    std::string vbs = "[";
    for (size_t i = 0; i < pending->vbs.size(); ++i) {
        if (i) vbs += ',';
        vbs += vbJson(pending->vbs[i], mib_.find(pending->vbs[i].oid));
    }
    vbs += "]";
    JsonLine line;
    line.text("version", pending->who.version)
        .text("community", pending->who.community)
        .number("reqid", pending->who.reqid)
        .raw("vbs", vbs)
        .number("errorStatus", pending->who.answered ? status : -1)
        .number("errorIndex", status ? index : 0);
    journal_.write("set", line);
    if (pending->done) pending->done(status, status ? index : 0);
}

ReadResult Device::read(const Oid& oid, bool next, bool inclusive) {
    ReadResult result;
    if (!next) {
        result.oid = oid;
        if (int status = failStatus(oid, false)) {
            result.kind = ReadResult::Error;
            result.status = status;
            return result;
        }
        const Object* object = mib_.find(oid);
        if (!object || !object->served || object->access == Access::NotAccessible) {
            Oid column = oid;
            if (!column.empty()) column.pop_back();
            result.kind = object || mib_.anyUnder(column) ? ReadResult::NoSuchInstance
                                                          : ReadResult::NoSuchObject;
            return result;
        }
        result.value = readValue(oid, *object);
        return result;
    }
    const auto* found = mib_.next(oid, inclusive);
    if (!found) {
        result.kind = ReadResult::EndOfView;
        return result;
    }
    result.oid = found->first;
    if (int status = failStatus(found->first, false)) {
        result.kind = ReadResult::Error;
        result.status = status;
        return result;
    }
    result.value = readValue(found->first, found->second);
    return result;
}

Value Device::readValue(const Oid& oid, const Object& object) const {
    if (auto it = derived_.find(oid); it != derived_.end()) return it->second();
    if (object.masked && maskKeys_) {
        Value masked = object.stored;
        masked.bytes.assign(object.stored.bytes.size(), '*');
        return masked;
    }
    return object.stored;
}

void Device::journalGet(const Requester& who, const std::string& op, const std::vector<Oid>& oids,
                        int status) {
    std::string vbs = "[";
    for (size_t i = 0; i < oids.size(); ++i) {
        if (i) vbs += ',';
        JsonLine vb;
        vb.text("oid", oidText(oids[i])).text("type", "n").text("value", "");
        vbs += vb.str();
    }
    vbs += "]";
    JsonLine line;
    line.text("op", op)
        .text("version", who.version)
        .text("community", who.community)
        .number("reqid", who.reqid)
        .raw("vbs", vbs)
        .number("errorStatus", status)
        .number("errorIndex", 0);
    journal_.write("get", line);
}

bool Device::silenced(const std::vector<Oid>& oids) const {
    if (silenceAll_ || std::chrono::steady_clock::now() < silentUntil_) return true;
    for (const auto& oid : oids)
        for (const auto& prefix : silencedPrefixes_)
            if (hasPrefix(oid, prefix)) return true;
    return false;
}

int Device::delayFor(const std::vector<Oid>& oids, bool set) const {
    int ms = 0;
    for (const auto& d : delays_) {
        if (!d.mode.empty() && (d.mode == "set") != set) continue;
        bool matches = d.prefix.empty() ||
                       std::any_of(oids.begin(), oids.end(),
                                   [&](const Oid& oid) { return hasPrefix(oid, d.prefix); });
        if (matches) ms = std::max(ms, d.ms);
    }
    return ms;
}

int Device::failStatus(const Oid& oid, bool set) {
    for (auto it = fails_.begin(); it != fails_.end(); ++it) {
        if (!it->mode.empty() && (it->mode == "set") != set) continue;
        if (!hasPrefix(oid, it->prefix)) continue;
        int status = it->status;
        if (it->count > 0 && --it->count == 0) fails_.erase(it);
        return status;
    }
    return 0;
}

bool Device::answersRestart(const std::vector<SetVb>& vbs) const {
    if (restartAnswer_) return true;
    const Oid restartOid = mib_.oidOf("deviceRestart.0");
    const Oid defaultOid = mib_.oidOf("deviceFactoryDefault.0");
    const Oid upgradeOid = mib_.oidOf("tftpUpgradeSettingCommand.0");
    for (const auto& vb : vbs) {
        if (vb.asnType != ASN_INTEGER) continue;
        if ((vb.oid == restartOid || vb.oid == defaultOid) && vb.number == 1) return false;
        if (vb.oid == upgradeOid && vb.number == 4) return false;
    }
    return true;
}

void Device::restart(const std::string& why) {
    journal_.write("restart", JsonLine().text("reason", why));
    mib_.revert();
    if (stagedConfig_) {
        // Only settings the module could have written itself: a file cannot reach read-only
        // objects or store a value a SET would have refused.
        for (const auto& [oid, value] : *stagedConfig_) {
            Object* object = mib_.find(oid);
            if (object && object->access == Access::ReadWrite &&
                value.syntax == object->stored.syntax && checkValue(*object, value, validate_) == 0)
                object->stored = object->committed = value;
        }
        stagedConfig_.reset();
    }
    if (!pendingKey_.empty()) key_ = std::exchange(pendingKey_, "");
    if (Object* status = mib_.find(mib_.oidOf("dot11ApModeStatus.1")))
        status->stored.bytes = "unchanged";
    bootTime_ = std::chrono::steady_clock::now();
    silentUntil_ = bootTime_ + std::chrono::milliseconds(downtimeMs_);
}

void Device::factoryDefault() {
    journal_.write("factory-default", JsonLine());
    mib_.factoryDefaults();
    for (auto& [oid, object] : mib_.objects())
        if (!object.table.empty() && object.access != Access::Trigger)
            object.stored = object.committed = object.initial;
    log_.clear();
    stagedConfig_.reset();
    restart("factory-default");
}

std::string Device::storedText(const std::string& name) const {
    const Object* object = mib_.find(mib_.oidOf(name));
    return object ? valueText(object->stored) : "";
}
