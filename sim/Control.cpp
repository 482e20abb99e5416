// The control channel: one command per line, answered "ok [text]" or "error text".

#include "sim/Device.h"
#include "sim/NetSnmp.h"

namespace {

const char* const statusNames[] = {"noError",
                                   "tooBig",
                                   "noSuchName",
                                   "badValue",
                                   "readOnly",
                                   "genErr",
                                   "noAccess",
                                   "wrongType",
                                   "wrongLength",
                                   "wrongEncoding",
                                   "wrongValue",
                                   "noCreation",
                                   "inconsistentValue",
                                   "resourceUnavailable",
                                   "commitFailed",
                                   "undoFailed",
                                   "authorizationError",
                                   "notWritable",
                                   "inconsistentName"};

int parseStatus(const std::string& text) {
    for (int i = 0; i < static_cast<int>(std::size(statusNames)); ++i)
        if (text == statusNames[i]) return i;
    try {
        size_t used = 0;
        int n = std::stoi(text, &used);
        if (used == text.size() && n > 0 && n <= 18) return n;
    } catch (const std::exception&) {
    }
    return -1;
}

std::optional<bool> onOff(const std::vector<std::string>& args) {
    if (args.size() != 2) return std::nullopt;
    if (args[1] == "on") return true;
    if (args[1] == "off") return false;
    return std::nullopt;
}

std::optional<int> milliseconds(const std::string& text) {
    try {
        size_t used = 0;
        int n = std::stoi(text, &used);
        if (used == text.size() && n >= 0) return n;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::string ok(const std::string& text = "") {
    return text.empty() ? "ok" : "ok " + escapeLine(text);
}
std::string error(const std::string& text) {
    return "error " + escapeLine(text);
}

}  // namespace

std::string Device::control(const std::string& line) {
    // A log line is taken verbatim: quotes, "#" and brackets are part of it.
    if (line.rfind("log add", 0) == 0 && (line.size() == 7 || line[7] == ' '))
        return ok(addLog(line.size() > 8 ? line.substr(8) : "") ? "" : "level disabled");
    std::string problem;
    auto tokens = tokenize(line, problem);
    if (!tokens) return error(problem);
    const auto& a = *tokens;
    if (a.empty()) return error("empty command");
    const std::string& cmd = a[0];

    if (cmd == "ping") return ok("pong");
    if (cmd == "get" && a.size() == 2) {
        Oid oid = mib_.oidOf(a[1]);
        const Object* object = mib_.find(oid);
        if (!object) return error("no such object " + a[1]);
        auto it = derived_.find(oid);
        return ok(valueText(it != derived_.end() ? it->second() : object->stored));
    }
    if (cmd == "set") return controlSet(a);
    if (cmd == "silence" && a.size() == 2) {
        if (a[1] == "on") {
            silenceAll_ = true;
        } else if (a[1] == "off") {
            silenceAll_ = false;
            silencedPrefixes_.clear();
            silentUntil_ = std::chrono::steady_clock::now();
        } else {
            Oid oid = mib_.oidOf(a[1]);
            if (oid.empty()) return error("bad OID " + a[1]);
            silencedPrefixes_.push_back(oid);
        }
        return ok();
    }
    if (cmd == "delay" && a.size() >= 2) {
        if (a[1] == "off") {
            delays_.clear();
            return ok();
        }
        auto ms = milliseconds(a[1]);
        if (!ms) return error("bad delay " + a[1]);
        DelayKnob knob{{}, *ms, ""};
        for (size_t i = 2; i < a.size(); ++i) {
            if (a[i] == "get" || a[i] == "set")
                knob.mode = a[i];
            else if (Oid oid = mib_.oidOf(a[i]); !oid.empty())
                knob.prefix = oid;
            else
                return error("bad argument " + a[i]);
        }
        if (*ms == 0)
            delays_.clear();
        else
            delays_.push_back(knob);
        return ok();
    }
    if (cmd == "fail" && a.size() >= 3) {
        FailKnob knob;
        knob.prefix = mib_.oidOf(a[1]);
        knob.status = parseStatus(a[2]);
        if (knob.prefix.empty() || knob.status < 0) return error("fail needs OID STATUS");
        for (size_t i = 3; i < a.size(); ++i) {
            if (a[i] == "get" || a[i] == "set")
                knob.mode = a[i];
            else if (auto n = milliseconds(a[i]); n && *n > 0)
                knob.count = *n;
            else
                return error("bad argument " + a[i]);
        }
        fails_.push_back(knob);
        return ok();
    }
    if (cmd == "clear" && a.size() == 1) {
        fails_.clear();
        delays_.clear();
        silencedPrefixes_.clear();
        silenceAll_ = false;
        lagMs_ = 0;
        return ok();
    }
    if (cmd == "tftp") return controlTftp(a);
    if (cmd == "scan" && a.size() == 2) {
        auto ms = milliseconds(a[1]);
        if (!ms) return error("bad scan time");
        scanMs_ = *ms;
        return ok();
    }
    if ((cmd == "downtime" || cmd == "lag") && a.size() == 2) {
        auto ms = milliseconds(a[1]);
        if (!ms) return error("bad " + cmd);
        (cmd == "lag" ? lagMs_ : downtimeMs_) = *ms;
        return ok();
    }
    auto flag = [&](bool& target) {
        auto v = onOff(a);
        if (!v) return error(cmd + " needs on or off");
        target = *v;
        return ok();
    };
    if (cmd == "restart-answer") return flag(restartAnswer_);
    if (cmd == "holes") return flag(holes_);
    if (cmd == "mask-keys") return flag(maskKeys_);
    if (cmd == "validate") return flag(validate_);
    if (cmd == "counters" && a.size() == 2 && (a[1] == "counter32" || a[1] == "integer")) {
        // The traffic counters are the RO INT objects named ...Count.
        Syntax syntax = a[1] == "counter32" ? Syntax::Counter : Syntax::Int;
        for (auto& [oid, object] : mib_.objects()) {
            bool counter =
                object.name.size() > 5 &&
                object.name.compare(object.name.size() - 5, 5, "Count") == 0 &&
                (object.name.rfind("dot3", 0) == 0 || object.name.rfind("dot11", 0) == 0);
            if (counter) object.stored.syntax = object.committed.syntax = syntax;
        }
        return ok();
    }
    if (cmd == "rows" || cmd == "row" || cmd == "live" || cmd == "empty" || cmd == "hide") {
        if (!mib_.loadLine(line, problem)) return error(problem);
        return ok();
    }
    if (cmd == "log") return controlLog(line, a);
    if (cmd == "journal" && a.size() == 2 && a[1] == "clear") {
        journal_.clear();
        return ok();
    }
    if (cmd == "profile" && a.size() == 2) {
        if (!loadProfile(a[1], problem)) return error(problem);
        return ok();
    }
    if (cmd == "staged" && a.size() == 1) return ok(stagedFile_);
    if (cmd == "restart" && a.size() == 1) {
        restart("control");
        return ok();
    }
    return error("unknown command \"" + line + "\"");
}

// set NAME|OID VALUE, or set NAME|OID SYNTAX VALUE (another syntax, or a new object).
std::string Device::controlSet(const std::vector<std::string>& a) {
    if (a.size() == 3) {
        Object* object = mib_.find(mib_.oidOf(a[1]));
        if (!object) return error("no such object " + a[1]);
        auto value = parseValue(object->stored.syntax, a[2]);
        if (!value) return error("bad value " + a[2]);
        object->stored = object->committed = *value;
        object->served = true;
        return ok();
    }
    if (a.size() != 4) return error("set needs NAME|OID [SYNTAX] VALUE");
    Oid oid = mib_.oidOf(a[1]);
    auto syntax = parseSyntax(a[2]);
    if (oid.empty() || !syntax) return error("bad OID or syntax");
    auto value = parseValue(*syntax, a[3]);
    if (!value) return error("bad value " + a[3]);
    Object* object = mib_.find(oid);
    if (!object) {
        Object added;
        added.name = oidText(oid);
        object = &(mib_.objects()[oid] = added);
    }
    object->stored = object->committed = *value;
    object->served = true;
    return ok();
}

std::string Device::controlTftp(const std::vector<std::string>& a) {
    if (a.size() < 2) return error("tftp needs KEY=VALUE");
    for (size_t i = 1; i < a.size(); ++i) {
        size_t eq = a[i].find('=');
        if (eq == std::string::npos) return error("expected KEY=VALUE: " + a[i]);
        std::string key = a[i].substr(0, eq), value = a[i].substr(eq + 1);
        if (key == "answer" && (value == "after" || value == "before")) {
            tftp_.answer = value;
        } else if (key == "start" && milliseconds(value)) {
            tftp_.startMs = *milliseconds(value);
        } else if (key == "fail" && (value == "none" || value == "timeout" || value == "error" ||
                                     value == "never")) {
            tftp_.fail = value;
        } else if (key == "name") {
            if (value.empty())
                tftp_.name.reset();
            else
                tftp_.name = value;
        } else if (key == "options" && (value == "on" || value == "off")) {
            tftp_.options = value == "on";
        } else if (key == "mode" && (value == "octet" || value == "netascii")) {
            tftp_.mode = value;
        } else if (key == "port" && milliseconds(value) && *milliseconds(value) < 65536) {
            tftp_.port = *milliseconds(value);
        } else {
            return error("bad tftp setting " + a[i]);
        }
    }
    return ok();
}

std::string Device::controlLog(const std::string& line, const std::vector<std::string>& a) {
    if (a.size() >= 2 && a[1] == "add") {
        // The rest of the line verbatim, so blanks and brackets reach the log unchanged.
        size_t at = line.find("add");
        std::string text = line.substr(at + 3);
        if (!text.empty() && text[0] == ' ') text.erase(0, 1);
        return ok(addLog(text) ? "" : "level disabled");
    }
    if (a.size() == 3 && a[1] == "eol" && (a[2] == "lf" || a[2] == "crlf")) {
        logCrlf_ = a[2] == "crlf";
        return ok();
    }
    if (a.size() == 2 && a[1] == "clear") {
        log_.clear();
        return ok();
    }
    return error("log needs add LINE, eol lf|crlf or clear");
}
