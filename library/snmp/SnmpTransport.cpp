#include "library/snmp/SnmpTransport.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/UsmKeys.h"
#include "platform/Application.h"
#include "platform/Environment.h"

// net-snmp last: its macros must not reach the Qt headers above.
#include <net-snmp/library/large_fd_set.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace snmpaccess {

struct Channel {
    void* session = nullptr;
    int socket = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    bool probe = false;  // an engine discovery: a request without variables from no user
    bool v3 = false;
    std::string agent;  // "ip:port"
    int outstanding = 0;
    std::chrono::steady_clock::time_point lastUsed = std::chrono::steady_clock::now();
    std::string engineId, userName;
    bool ownContextEngine = false;  // the user named one; otherwise it follows the engine
    usmkeys::Hash hash = usmkeys::Hash::Md5;
    const oid* authProtocol = nullptr;
    size_t authProtocolLength = 0;
    const oid* privProtocol = nullptr;
    size_t privProtocolLength = 0;
    std::string authMaster, privMaster;  // the passwords' keys, to localise to a new engine
    std::string authKey, privKey;        // localised
};

struct Transport::Pending {
    Channel* channel = nullptr;
    std::function<void(const Answer&)> done;  // asynchronous: posted
    Answer* direct = nullptr;                 // synchronous: written in place
    bool* finished = nullptr;
    // net-snmp may complete a request inside the sending call (a send that fails at once); the
    // answer is then kept here and the sender decides.
    bool sending = false;
    std::unique_ptr<Answer> early;
    // An asynchronous try, and the engine it was built for. Superseded: sent again under the
    // agent's new engine, so whatever net-snmp still makes of this one is dropped.
    std::shared_ptr<Attempt> attempt;
    std::string sentEngine;
    bool superseded = false;
};

// An asynchronous request across its tries: the first, and one more after a new discovery when
// the agent turns out to have changed its engine.
struct Transport::Attempt {
    Target target;
    std::string ip, key, agent;
    Command command = Command::Get;
    std::vector<Binding> bindings;
    int timeoutMs = 0, retries = 0;
    std::chrono::steady_clock::time_point deadline;
    bool rediscovered = false;
    bool waited = false;  // for a discovery: its tries share what is left of its time
    std::function<void(const Answer&)> done;
};

namespace {

[[noreturn]] void fail(int code) {
    throw CvSNMPException(code, CvMessages::text(code));
}

int libraryCode(int error) {
    switch (error) {
        case SNMPERR_TIMEOUT:
            return -405;
        case SNMPERR_BAD_ADDRESS:
            return -407;
        case SNMPERR_UNKNOWN_USER_NAME:
        case SNMPERR_USM_UNKNOWNSECURITYNAME:
            return -304;
        case SNMPERR_AUTHENTICATION_FAILURE:
        case SNMPERR_USM_AUTHENTICATIONFAILURE:
            return -306;
        case SNMPERR_NOT_IN_TIME_WINDOW:
        case SNMPERR_USM_NOTINTIMEWINDOW:
            return -303;
        case SNMPERR_UNKNOWN_ENG_ID:
        case SNMPERR_USM_UNKNOWNENGINEID:
            return -305;
        case SNMPERR_DECRYPTION_ERR:
        case SNMPERR_USM_DECRYPTIONERROR:
            return -307;
        case SNMPERR_USM_ENCRYPTIONERROR:
            return -308;
        case SNMPERR_UNSUPPORTED_SEC_LEVEL:
        case SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL:
            return -302;
        case SNMPERR_USM_GENERICERROR:
            return -301;
        case SNMPERR_TOO_LONG:
            return -211;
        case SNMPERR_UNKNOWN_SEC_MODEL:
            return -204;
        case SNMPERR_INVALID_MSG:
            return -203;
        case SNMPERR_UNKNOWN_REPORT:
            return -208;
        case SNMPERR_MALLOC:
            return -402;
        case SNMPERR_BAD_SENDTO:
        case SNMPERR_BAD_RECVFROM:
        case SNMPERR_NO_SOCKET:
            return -416;
        case SNMPERR_BAD_VERSION:
            return -422;
        case SNMPERR_BAD_SESSION:
            return -406;
        case SNMPERR_BAD_NAME:
        case SNMPERR_LONG_OID:
        case SNMPERR_BAD_SUBID:
            return -408;
        case SNMPERR_ASN_PARSE_ERR:
        case SNMPERR_BAD_PARSE:
            return -419;
        default:
            return -401;
    }
}

bool startsWith(const std::vector<uint32_t>& name, std::initializer_list<uint32_t> prefix) {
    return name.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin());
}

WireValue wireValue(const netsnmp_variable_list* var) {
    WireValue value;
    value.type = var->type;
    switch (var->type) {
        case ASN_INTEGER:
            value.number = *var->val.integer;
            break;
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
        case ASN_UINTEGER:
            value.type = var->type == ASN_UINTEGER ? static_cast<int>(WireValue::Gauge) : var->type;
            value.number = static_cast<uint32_t>(*var->val.integer);
            break;
        case ASN_COUNTER64:
            value.number =
                static_cast<int64_t>((static_cast<uint64_t>(var->val.counter64->high) << 32) |
                                     (var->val.counter64->low & 0xffffffffu));
            break;
        case ASN_OCTET_STR:
        case ASN_OPAQUE:
        case ASN_IPADDRESS:
            value.octets.assign(reinterpret_cast<const char*>(var->val.string), var->val_len);
            break;
        case ASN_OBJECT_ID:
            for (size_t i = 0; i < var->val_len / sizeof(oid); ++i)
                value.oid.push_back(static_cast<uint32_t>(var->val.objid[i]));
            break;
        case ASN_OPAQUE_FLOAT:
        case ASN_OPAQUE_DOUBLE:
        case ASN_OPAQUE_I64:
        case ASN_OPAQUE_U64:
        case ASN_OPAQUE_COUNTER64: {
            // net-snmp decodes these Opaque wrappings itself; they are shown as their text.
            char text[64] = {};
            if (var->type == ASN_OPAQUE_FLOAT)
                std::snprintf(text, sizeof text, "%g", static_cast<double>(*var->val.floatVal));
            else if (var->type == ASN_OPAQUE_DOUBLE)
                std::snprintf(text, sizeof text, "%g", *var->val.doubleVal);
            else if (var->type == ASN_OPAQUE_I64)
                printI64(text, var->val.counter64);
            else
                printU64(text, var->val.counter64);
            value.type = WireValue::Opaque;
            value.octets = text;
            break;
        }
        default:
            break;
    }
    return value;
}

Answer answerOf(const netsnmp_pdu* pdu) {
    Answer answer;
    if (pdu->command == SNMP_MSG_REPORT) {
        const netsnmp_variable_list* var = pdu->variables;
        answer.code =
            var ? reportStatus(std::vector<uint32_t>(var->name, var->name + var->name_length))
                : -208;
        answer.report = true;
        answer.engine.assign(reinterpret_cast<const char*>(pdu->securityEngineID),
                             pdu->securityEngineID ? pdu->securityEngineIDLen : 0);
        return answer;
    }
    answer.errorStatus = static_cast<int>(pdu->errstat);
    answer.errorIndex = static_cast<int>(pdu->errindex);
    if (pdu->errstat > 0 && pdu->errstat <= 18)
        answer.code = -100 - static_cast<int>(pdu->errstat);
    else if (pdu->errstat != 0)
        answer.code = -401;
    for (const netsnmp_variable_list* var = pdu->variables; var; var = var->next_variable) {
        Binding binding;
        binding.oid.assign(var->name, var->name + var->name_length);
        binding.value = wireValue(var);
        answer.bindings.push_back(std::move(binding));
    }
    return answer;
}

}  // namespace

int reportStatus(const std::vector<uint32_t>& counter) {
    if (startsWith(counter, {1, 3, 6, 1, 6, 3, 15, 1, 1}) && counter.size() > 9) {
        static const int usm[] = {-302, -303, -304, -305, -306, -307};
        const uint32_t which = counter[9];
        if (which >= 1 && which <= 6) return usm[which - 1];
    }
    if (startsWith(counter, {1, 3, 6, 1, 6, 3, 11, 2, 1}) && counter.size() > 9) {
        switch (counter[9]) {
            case 1:
                return -204;
            case 2:
                return -203;
            case 3:
                return -205;
        }
    }
    if (startsWith(counter, {1, 3, 6, 1, 6, 3, 12, 1, 4})) return -206;
    if (startsWith(counter, {1, 3, 6, 1, 6, 3, 12, 1, 5})) return -207;
    return -208;
}

namespace {

bool sameEngine(const netsnmp_pdu* pdu, const netsnmp_session* session) {
    return pdu->securityEngineIDLen == session->securityEngineIDLen &&
           (!pdu->securityEngineIDLen ||
            std::memcmp(pdu->securityEngineID, session->securityEngineID,
                        pdu->securityEngineIDLen) == 0);
}

int onResponse(int operation, netsnmp_session*, int, netsnmp_pdu* pdu, void* magic) {
    auto* pending = static_cast<Transport::Pending*>(magic);
    Answer answer;
    switch (operation) {
        case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
            // net-snmp has already resent after a time-window report while the retries
            // allowed (an agent restarted with its engine kept): this one is final.
            answer = answerOf(pdu);
            break;
        case NETSNMP_CALLBACK_OP_TIMED_OUT:
            answer.code = -405;
            break;
        case NETSNMP_CALLBACK_OP_SEND_FAILED:
            answer.code = -416;
            break;
        default:
            // A resend, a connection notice or an incoming message that failed its security
            // checks (net-snmp keeps waiting for the real answer): the request stays outstanding.
            return 0;
    }
    Transport::instance().finish(pending, std::move(answer));
    return 1;
}

// Parses what arrives on a user channel. USM drops a message from an engine that has no user
// entry unread, so after a factory reset or a replaced unit the agent's unknown-engine report
// would only show as a time-out; it is handed on as that report instead, and the request learns
// of the new engine at once.
int parseAnswer(netsnmp_session* session, netsnmp_pdu* pdu, u_char* data, size_t length) {
    const int result = snmp_parse(nullptr, session, pdu, data, length);
    if (result == SNMPERR_SUCCESS || pdu->version != SNMP_VERSION_3 || !pdu->securityEngineID ||
        !pdu->securityEngineIDLen || !session->securityEngineIDLen || sameEngine(pdu, session))
        return result;
    static const oid unknownEngineIds[] = {1, 3, 6, 1, 6, 3, 15, 1, 1, 4, 0};
    const u_long count = 1;
    snmp_free_varbind(pdu->variables);
    pdu->variables = nullptr;
    snmp_pdu_add_variable(pdu, unknownEngineIds, OID_LENGTH(unknownEngineIds), ASN_COUNTER, &count,
                          sizeof count);
    pdu->command = SNMP_MSG_REPORT;
    pdu->flags |= UCD_MSG_FLAG_RESPONSE_PDU;
    pdu->errstat = 0;
    pdu->errindex = 0;
    return SNMPERR_SUCCESS;
}

bool validHostName(const std::string& name) {
    if (name.empty() || name.size() > 253) return false;
    size_t label = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '.') {
            if (label == 0 || name[i - 1] == '-') return false;
            label = 0;
            continue;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
        if (c == '-' && label == 0) return false;
        if (++label > 63) return false;
    }
    return name.back() != '-';
}

// net-snmp checks a request's retry count against its session's when the request times out, not
// against the count it was sent with, so requests with different counts never share a session.
// Credentials are named by a digest: the key outlives the request that brought them.
std::string channelKey(const Target& t, const std::string& ip, int retries) {
    std::string key = ip + ":" + std::to_string(t.port) + "|v" + std::to_string(t.version) + "|r" +
                      std::to_string(std::max(0, retries)) + "|";
    std::string secret;
    auto add = [&secret](const std::string& part) {
        secret += std::to_string(part.size()) + ":" + part;
    };
    if (t.version != 3) {
        add(t.community);
    } else {
        key += std::to_string(t.securityLevel) + "/" + std::to_string(t.authProtocol) + "/" +
               std::to_string(t.privProtocol);
        for (const std::string* part : {&t.securityName, &t.authPassword, &t.privPassword,
                                        &t.contextEngineId, &t.contextName})
            add(*part);
    }
    return key + usmkeys::digest(secret);
}

void checkUserTarget(const Target& t) {
    if (t.securityName.empty() || t.securityLevel < 1 || t.securityLevel > 3) fail(-525);
    if (t.securityLevel >= 2) {
        if (t.authProtocol != 2 && t.authProtocol != 3) fail(-309);
        if (t.authPassword.empty()) fail(-311);
    }
    if (t.securityLevel == 3) {
        if (t.privProtocol != 2 && t.privProtocol != 19) fail(-310);
        if (t.privPassword.empty()) fail(-311);
    }
}

// The passwords' keys localised to the channel's engine. DES takes a key and a pre-IV of 8 octets
// each, AES-128 a 16-octet key: both are the first 16 octets of the localised key.
void localizeKeys(Channel& channel) {
    if (!channel.authMaster.empty())
        channel.authKey =
            usmkeys::cachedLocalizedKey(channel.authMaster, channel.hash, channel.engineId);
    if (!channel.privMaster.empty())
        channel.privKey =
            usmkeys::cachedLocalizedKey(channel.privMaster, channel.hash, channel.engineId)
                .substr(0, 16);
}

// net-snmp keeps one process-wide user table keyed by engine id and name, and looks the user up
// both to build a request and to check its answer. Two channels of one user name may hold
// different keys (a wrong password being tried beside the right one), with requests of both
// outstanding, so each channel's entry is put in for the duration of each net-snmp call on its
// session (send, read, time-out) and taken out again.
class UserScope {
  public:
    explicit UserScope(const Channel& channel) {
        if (!channel.v3) return;
        auto* engine = reinterpret_cast<const u_char*>(channel.engineId.data());
        user_ = usm_get_user(engine, channel.engineId.size(), channel.userName.c_str());
        if (!user_) {
            user_ = usm_create_user();
            if (!user_) return;
            owned_ = true;
            user_->engineID = static_cast<u_char*>(netsnmp_memdup(engine, channel.engineId.size()));
            user_->engineIDLen = channel.engineId.size();
            user_->name = strdup(channel.userName.c_str());
            user_->secName = strdup(channel.userName.c_str());
            user_->userStatus = RS_ACTIVE;
            user_->userStorageType = ST_READONLY;
            usm_add_user(user_);
        }
        setProtocol(user_->authProtocol, user_->authProtocolLen, channel.authProtocol,
                    channel.authProtocolLength);
        setProtocol(user_->privProtocol, user_->privProtocolLen, channel.privProtocol,
                    channel.privProtocolLength);
        setKey(user_->authKey, user_->authKeyLen, channel.authKey);
        setKey(user_->privKey, user_->privKeyLen, channel.privKey);
    }
    ~UserScope() {
        if (!owned_) return;
        usm_remove_user(user_);
        usm_free_user(user_);
    }
    UserScope(const UserScope&) = delete;
    UserScope& operator=(const UserScope&) = delete;

  private:
    static void setProtocol(oid*& target, size_t& targetLength, const oid* source, size_t length) {
        SNMP_FREE(target);
        target = snmp_duplicate_objid(source, length);
        targetLength = length;
    }
    static void setKey(u_char*& target, size_t& targetLength, const std::string& key) {
        SNMP_FREE(target);
        targetLength = key.size();
        target =
            key.empty() ? nullptr : static_cast<u_char*>(netsnmp_memdup(key.data(), key.size()));
    }

    usmUser* user_ = nullptr;
    bool owned_ = false;
};

void setTiming(void* session, int timeoutMs, int retries) {
    netsnmp_session* s = snmp_sess_session(session);
    s->timeout = static_cast<long>(timeoutMs) * 1000;
    s->retries = std::max(0, retries);
}

netsnmp_pdu* buildPdu(Command command, const std::vector<Binding>& bindings) {
    const int type = command == Command::Get       ? SNMP_MSG_GET
                     : command == Command::GetNext ? SNMP_MSG_GETNEXT
                                                   : SNMP_MSG_SET;
    netsnmp_pdu* pdu = snmp_pdu_create(type);
    for (const Binding& binding : bindings) {
        std::vector<oid> name(binding.oid.begin(), binding.oid.end());
        if (command != Command::Set) {
            snmp_add_null_var(pdu, name.data(), name.size());
            continue;
        }
        const WireValue& v = binding.value;
        long integer = static_cast<long>(v.number);
        u_long unsignedValue = static_cast<u_long>(v.number);
        std::vector<oid> objid(v.oid.begin(), v.oid.end());
        switch (v.type) {
            case WireValue::Integer:
                snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_INTEGER,
                                      reinterpret_cast<const u_char*>(&integer), sizeof integer);
                break;
            case WireValue::Counter:
            case WireValue::Gauge:
            case WireValue::TimeTicks:
                snmp_pdu_add_variable(pdu, name.data(), name.size(), static_cast<u_char>(v.type),
                                      reinterpret_cast<const u_char*>(&unsignedValue),
                                      sizeof unsignedValue);
                break;
            case WireValue::ObjectId:
                snmp_pdu_add_variable(pdu, name.data(), name.size(), ASN_OBJECT_ID,
                                      reinterpret_cast<const u_char*>(objid.data()),
                                      objid.size() * sizeof(oid));
                break;
            default:
                snmp_pdu_add_variable(pdu, name.data(), name.size(), static_cast<u_char>(v.type),
                                      reinterpret_cast<const u_char*>(v.octets.data()),
                                      v.octets.size());
                break;
        }
    }
    return pdu;
}

void readSession(Channel* channel) {
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, channel->socket + 1);
    NETSNMP_LARGE_FD_ZERO(&fds);
    NETSNMP_LARGE_FD_SET(channel->socket, &fds);
    {
        UserScope user(*channel);
        snmp_sess_read2(channel->session, &fds);
    }
    netsnmp_large_fd_set_cleanup(&fds);
}

void timeoutSession(Channel* channel) {
    UserScope user(*channel);
    snmp_sess_timeout(channel->session);
}

// Milliseconds until the session's next time-out, or -1 when nothing is outstanding.
int nextTimeoutMs(void* session) {
    int fds = 0, block = 1;
    timeval tv{0, 0};
    netsnmp_large_fd_set set;
    netsnmp_large_fd_set_init(&set, FD_SETSIZE);
    NETSNMP_LARGE_FD_ZERO(&set);
    snmp_sess_select_info2_flags(session, &fds, &set, &tv, &block, NETSNMP_SELECT_NOALARMS);
    netsnmp_large_fd_set_cleanup(&set);
    if (block) return -1;
    return static_cast<int>(tv.tv_sec * 1000 + (tv.tv_usec + 999) / 1000);
}

}  // namespace

Transport& Transport::instance() {
    // Owned by the application object when there is one, so that its socket notifiers go before
    // the event dispatcher does.
    static Transport* transport = nullptr;
    if (!transport) {
        transport = new Transport();
        if (QCoreApplication* app = QCoreApplication::instance()) {
            transport->setParent(app);
            QObject::connect(transport, &QObject::destroyed, [] { transport = nullptr; });
        }
    }
    return *transport;
}

Transport::Transport() {
    CvSNMPSession::Start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Transport::expire);
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, &Transport::closeIdle);
}

Transport::~Transport() {
    for (auto& [key, channel] : channels_) close(*channel);
    for (auto& [agent, probe] : probes_) close(*probe);
}

void Transport::close(Channel& channel) {
    channel.notifier.reset();
    if (channel.session) snmp_sess_close(channel.session);
    channel.session = nullptr;
}

// Watches the channel's socket so that answers are read as soon as they arrive.
void Transport::watch(Channel* channel) {
    netsnmp_transport* transport = snmp_sess_transport(channel->session);
    channel->socket = transport ? transport->sock : -1;
    if (channel->socket < 0 || !QCoreApplication::instance()) return;
    channel->notifier = std::make_unique<QSocketNotifier>(channel->socket, QSocketNotifier::Read);
    connect(channel->notifier.get(), &QSocketNotifier::activated, this,
            [this, channel] { readable(channel); });
}

std::string Transport::resolve(const std::string& address) {
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) == 1) return address;
    if (address.find_first_not_of("0123456789.") == std::string::npos || !validHostName(address))
        fail(-407);
    if (auto found = addresses_.find(address); found != addresses_.end()) return found->second;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(address.c_str(), nullptr, &hints, &result) != 0 || !result) fail(-501);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr, text,
              sizeof text);
    freeaddrinfo(result);
    return addresses_[address] = text;
}

std::string Transport::addressOf(const std::string& address) {
    try {
        return resolve(address);
    } catch (const CvSNMPException&) {
        return {};
    }
}

namespace {

// Opens a session with net-snmp's own engine probe kept off. net-snmp clears the flag that stops
// the probe on the session it opens and then probes, blocking, inside the first send of any v3
// session that has no engine id yet, so the flag is set again on the opened session.
void* openSession(netsnmp_session& settings, const std::string& peer, bool userChannel) {
    settings.flags |= SNMP_FLAGS_DONT_PROBE;
    void* session = nullptr;
    if (userChannel) {
        netsnmp_transport* transport =
            netsnmp_tdomain_transport_full("snmp", peer.c_str(), 0, "udp", nullptr);
        if (!transport) {
            settings.s_snmp_errno = SNMPERR_BAD_ADDRESS;
            return nullptr;
        }
        session = snmp_sess_add_ex(&settings, transport, nullptr, parseAnswer, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    } else {
        settings.peername = const_cast<char*>(peer.c_str());
        session = snmp_sess_open(&settings);
    }
    if (session) snmp_sess_session(session)->flags |= SNMP_FLAGS_DONT_PROBE;
    return session;
}

}  // namespace

std::unique_ptr<Channel> Transport::openProbe(const std::string& agent, int timeoutMs, int retries,
                                              int& code) {
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_3;
    settings.securityModel = SNMP_SEC_MODEL_USM;
    settings.securityLevel = SNMP_SEC_LEVEL_NOAUTH;
    settings.timeout = static_cast<long>(timeoutMs) * 1000;
    settings.retries = std::max(0, retries);
    auto probe = std::make_unique<Channel>();
    probe->probe = true;
    probe->agent = agent;
    probe->session = openSession(settings, "udp:" + agent, false);
    if (!probe->session) {
        code = libraryCode(settings.s_snmp_errno);
        return nullptr;
    }
    watch(probe.get());
    return probe;
}

// The engine id that the agent's report left in the probe's session, or the failure's code.
std::string Transport::probeResult(Channel& probe, const Answer& answer, const std::string& agent,
                                   int& code) {
    netsnmp_session* session = snmp_sess_session(probe.session);
    std::string engine(reinterpret_cast<const char*>(session->securityEngineID),
                       session->securityEngineIDLen);
    close(probe);
    code = 0;
    if (engine.empty()) {
        code = answer.code == -405 ? -405 : -209;
        return {};
    }
    learnEngine(agent, engine);
    return engine;
}

// Every open channel to the agent moves to its new engine: keys localised again, the session's
// engine ids replaced (the context engine too, unless the user named one).
void Transport::learnEngine(const std::string& agent, const std::string& engine) {
    engines_[agent] = engine;
    // net-snmp would resend the requests still out under the old engine as they were built, for
    // an engine without a user any more, and so end them early: each goes out again under the
    // new one, on whatever channel, from the event loop (this may run inside a synchronous call).
    for (Pending* pending : outstandingAttempts_) {
        if (pending->superseded || pending->channel->agent != agent ||
            pending->sentEngine == engine)
            continue;
        pending->superseded = true;
        post([this, attempt = pending->attempt] {
            Answer failed;
            failed.code = -405;
            sendAgain(attempt, failed);
        });
    }
    for (auto& [key, channel] : channels_) {
        if (!channel->v3 || channel->agent != agent || channel->engineId == engine) continue;
        channel->engineId = engine;
        localizeKeys(*channel);
        netsnmp_session* session = snmp_sess_session(channel->session);
        auto replace = [&engine](u_char*& id, size_t& length) {
            free(id);
            id = static_cast<u_char*>(netsnmp_memdup(engine.data(), engine.size()));
            length = engine.size();
        };
        replace(session->securityEngineID, session->securityEngineIDLen);
        if (!channel->ownContextEngine)
            replace(session->contextEngineID, session->contextEngineIDLen);
    }
}

void Transport::forgetEngine(const std::string& agent) {
    auto found = engines_.find(agent);
    if (found == engines_.end()) return;
    usmkeys::forgetEngine(found->second);
    engines_.erase(found);
}

std::string Transport::discover(const std::string& agent, int timeoutMs, int retries, int& code) {
    if (auto found = engines_.find(agent); found != engines_.end()) return found->second;
    ++discoveries_;
    std::unique_ptr<Channel> probe = openProbe(agent, timeoutMs, retries, code);
    if (!probe) return {};
    const Answer answer = exchangeOnce(probe.get(), Command::Get, {}, timeoutMs, retries);
    return probeResult(*probe, answer, agent, code);
}

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineOf(int timeoutMs, int retries) {
    return Clock::now() +
           std::chrono::milliseconds(static_cast<int64_t>(timeoutMs) * (std::max(0, retries) + 1));
}

// The time-out of one try that fits, with its retries, in what is left before the deadline.
int tryMs(Clock::time_point deadline, int retries) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<int64_t>(1, left / (std::max(0, retries) + 1)));
}

// Whether the deadline is still ahead; once it has passed, code is the time-out.
bool timeLeft(Clock::time_point deadline, int& code) {
    if (Clock::now() < deadline) return true;
    code = -405;
    return false;
}

// A report that says the agent no longer has the engine the request was sent to.
bool engineChanged(const Answer& answer, const std::string& sentEngine) {
    return answer.report &&
           (answer.code == -305 || (answer.code == -303 && answer.engine != sentEngine));
}

}  // namespace

void Transport::discoverLater(const std::string& agent, int timeoutMs, int retries,
                              const std::shared_ptr<Attempt>& starter) {
    ++discoveries_;
    int code = 0;
    std::weak_ptr<Attempt> started = starter;
    std::unique_ptr<Channel> probe = openProbe(agent, timeoutMs, retries, code);
    if (probe) {
        auto* pending = new Pending();
        // Runs from a posted event, so the probe's session may be closed here.
        pending->done = [this, agent, started](const Answer& answer) {
            auto found = probes_.find(agent);
            if (found == probes_.end()) return;
            int failure = 0;
            probeResult(*found->second, answer, agent, failure);
            probes_.erase(found);
            discovered(agent, failure, started);
        };
        if (sendPdu(probe.get(), Command::Get, {}, timeoutMs, retries, pending, code)) {
            probes_[agent] = std::move(probe);
            rearm();
            return;
        }
        delete pending;
        close(*probe);
    }
    post([this, agent, code, started] { discovered(agent, code, started); });
}

// A discovery ended. One that timed out within the time of the request that started it says
// nothing of the requests that joined it with time left: they discover again in what is left of
// their own (the first starts it, the others join).
void Transport::discovered(const std::string& agent, int code,
                           const std::weak_ptr<Attempt>& starter) {
    auto found = waiters_.find(agent);
    if (found == waiters_.end()) return;
    std::vector<std::shared_ptr<Attempt>> waiting = std::move(found->second);
    waiters_.erase(found);
    const std::shared_ptr<Attempt> started = starter.lock();
    for (const std::shared_ptr<Attempt>& attempt : waiting) {
        int failure = code;
        if (code == -405 && attempt != started && Clock::now() < attempt->deadline) failure = 0;
        // A window held by a synchronous call may hand the discovery over only after a waiting
        // request's deadline: that request ends as its own timer would have ended it, unsent.
        if (!failure && timeLeft(attempt->deadline, failure) && start(attempt, failure)) continue;
        Answer answer;
        answer.code = failure ? failure : -401;
        attempt->done(answer);
    }
}

// The agent's engine is not known yet: the request waits for a discovery that does not block the
// window, its own or one under way, and ends at its own deadline whichever it waits on.
void Transport::waitForEngine(const std::shared_ptr<Attempt>& attempt) {
    const Attempt& a = *attempt;
    waiters_[a.agent].push_back(attempt);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(a.deadline - Clock::now());
    QTimer::singleShot(static_cast<int>(std::max<int64_t>(0, left.count())), Qt::PreciseTimer, this,
                       [this, waiting = std::weak_ptr<Attempt>(attempt)] { waitEnded(waiting); });
    if (!probes_.count(a.agent))
        discoverLater(a.agent, tryMs(a.deadline, a.retries), a.retries, attempt);
}

void Transport::waitEnded(const std::weak_ptr<Attempt>& waiting) {
    const std::shared_ptr<Attempt> attempt = waiting.lock();
    if (!attempt) return;
    auto found = waiters_.find(attempt->agent);
    if (found == waiters_.end()) return;
    auto& list = found->second;
    const auto entry = std::find(list.begin(), list.end(), attempt);
    if (entry == list.end()) return;
    list.erase(entry);
    if (list.empty()) waiters_.erase(found);
    Answer answer;
    answer.code = -405;
    attempt->done(answer);
}

std::string Transport::check(const Target& target) {
    if (target.version < 1 || target.version > 3) fail(-524);
    if (target.port < 1 || target.port > 65535) fail(-407);
    if (target.version == 3) checkUserTarget(target);
    return resolve(target.address);
}

Channel* Transport::find(const std::string& key) {
    auto found = channels_.find(key);
    return found == channels_.end() ? nullptr : found->second.get();
}

Channel* Transport::channel(const Target& target, int& timeoutMs, int retries, int& code) {
    code = 0;
    const std::string ip = check(target);
    const std::string key = channelKey(target, ip, retries);
    if (Channel* open = find(key)) return open;
    const std::string agent = ip + ":" + std::to_string(target.port);
    std::string engine;
    if (target.version == 3) {
        const bool known = engines_.count(agent);
        const auto deadline = deadlineOf(timeoutMs, retries);
        engine = discover(agent, timeoutMs, retries, code);
        if (engine.empty() || !timeLeft(deadline, code)) return nullptr;
        if (!known) timeoutMs = tryMs(deadline, retries);
    }
    return open(target, ip, key, engine, timeoutMs, retries, code);
}

bool Transport::sendTo(const Target& target, Command command, std::vector<Binding> bindings,
                       int timeoutMs, int retries, std::function<void(const Answer&)> done,
                       int& code) {
    code = 0;
    auto attempt = std::make_shared<Attempt>();
    attempt->ip = check(target);
    attempt->target = target;
    attempt->key = channelKey(target, attempt->ip, retries);
    attempt->agent = attempt->ip + ":" + std::to_string(target.port);
    attempt->command = command;
    attempt->bindings = std::move(bindings);
    attempt->timeoutMs = timeoutMs;
    attempt->retries = retries;
    attempt->deadline = deadlineOf(timeoutMs, retries);
    attempt->done = std::move(done);
    return start(attempt, code);
}

// Sends one try of the request, opening its channel or waiting for the agent's engine first.
bool Transport::start(const std::shared_ptr<Attempt>& attempt, int& code) {
    const Attempt& a = *attempt;
    const int timeoutMs = a.rediscovered || a.waited ? tryMs(a.deadline, a.retries) : a.timeoutMs;
    const bool engineKnown = a.target.version != 3 || engines_.count(a.agent);
    const bool v3 = a.target.version == 3;
    Channel* ready = engineKnown ? find(a.key) : nullptr;
    if (!ready && engineKnown) {
        ready = open(a.target, a.ip, a.key, v3 ? engines_[a.agent] : std::string(), timeoutMs,
                     a.retries, code);
        if (!ready) return false;
    }
    if (ready) {
        auto* pending = new Pending();
        pending->done = [this, attempt, sent = ready->engineId](const Answer& answer) {
            answered(attempt, sent, answer);
        };
        if (!sendPdu(ready, a.command, a.bindings, timeoutMs, a.retries, pending, code)) {
            delete pending;
            return false;
        }
        if (v3) {
            pending->attempt = attempt;
            pending->sentEngine = ready->engineId;
            outstandingAttempts_.insert(pending);
        }
        rearm();
        return true;
    }
    attempt->waited = true;
    waitForEngine(attempt);
    return true;
}

void Transport::answered(const std::shared_ptr<Attempt>& attempt, const std::string& sentEngine,
                         const Answer& answer) {
    Attempt& a = *attempt;
    if (a.target.version != 3 || !engineChanged(answer, sentEngine)) {
        a.done(answer);
        return;
    }
    Answer failed = answer;
    failed.code = -305;
    if (a.rediscovered) {
        a.done(failed);
        return;
    }
    // The agent has another engine (a factory reset, a replaced unit): it is discovered again,
    // once for every request that learns of it, and this one is sent again in its own time.
    if (auto known = engines_.find(a.agent); known != engines_.end() && known->second == sentEngine)
        forgetEngine(a.agent);
    sendAgain(attempt, failed);
}

// Sends a request once more, under the agent's engine as now known (or after discovering it), in
// what is left of its time; a further unknown-engine report then ends it.
void Transport::sendAgain(const std::shared_ptr<Attempt>& attempt, Answer failed) {
    Attempt& a = *attempt;
    if (Clock::now() >= a.deadline) {
        a.done(failed);
        return;
    }
    a.rediscovered = true;
    int code = 0;
    if (start(attempt, code)) return;
    failed.code = code ? code : -401;
    a.done(failed);
}

Channel* Transport::open(const Target& target, const std::string& ip, const std::string& key,
                         std::string engine, int timeoutMs, int retries, int& code) {
    auto channel = std::make_unique<Channel>();
    channel->agent = ip + ":" + std::to_string(target.port);
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.timeout = static_cast<long>(timeoutMs) * 1000;
    settings.retries = std::max(0, retries);
    if (target.version != 3) {
        settings.version = target.version == 1 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>(target.community.data()));
        settings.community_len = target.community.size();
    } else {
        channel->v3 = true;
        channel->engineId = engine;
        channel->userName = target.securityName;
        channel->ownContextEngine = !target.contextEngineId.empty();
        const bool sha = target.authProtocol == 3;
        channel->hash = sha ? usmkeys::Hash::Sha1 : usmkeys::Hash::Md5;
        channel->authProtocol = usmNoAuthProtocol;
        channel->authProtocolLength = OID_LENGTH(usmNoAuthProtocol);
        channel->privProtocol = usmNoPrivProtocol;
        channel->privProtocolLength = OID_LENGTH(usmNoPrivProtocol);
        if (target.securityLevel >= 2) {
            channel->authProtocol = sha ? usmHMACSHA1AuthProtocol : usmHMACMD5AuthProtocol;
            channel->authProtocolLength = USM_AUTH_PROTO_MD5_LEN;
            channel->authMaster = usmkeys::cachedKey(target.authPassword, channel->hash);
        }
        if (target.securityLevel == 3) {
            const bool aes = target.privProtocol == 19;
            channel->privProtocol = aes ? usmAESPrivProtocol : usmDESPrivProtocol;
            channel->privProtocolLength = USM_PRIV_PROTO_DES_LEN;
            channel->privMaster = usmkeys::cachedKey(target.privPassword, channel->hash);
        }
        localizeKeys(*channel);
        settings.version = SNMP_VERSION_3;
        settings.securityModel = SNMP_SEC_MODEL_USM;
        settings.securityLevel = target.securityLevel;
        settings.securityName = const_cast<char*>(target.securityName.c_str());
        settings.securityNameLen = target.securityName.size();
        settings.securityEngineID = reinterpret_cast<u_char*>(engine.data());
        settings.securityEngineIDLen = engine.size();
        settings.securityAuthProto = const_cast<oid*>(channel->authProtocol);
        settings.securityAuthProtoLen = channel->authProtocolLength;
        settings.securityPrivProto = const_cast<oid*>(channel->privProtocol);
        settings.securityPrivProtoLen = channel->privProtocolLength;
        if (!target.contextEngineId.empty()) {
            settings.contextEngineID =
                reinterpret_cast<u_char*>(const_cast<char*>(target.contextEngineId.data()));
            settings.contextEngineIDLen = target.contextEngineId.size();
        }
        settings.contextName = const_cast<char*>(target.contextName.c_str());
        settings.contextNameLen = target.contextName.size();
        settings.flags |= SNMP_FLAGS_USER_CREATED;
    }
    channel->session = openSession(settings, "udp:" + channel->agent, channel->v3);
    if (!channel->session) {
        code = libraryCode(settings.s_snmp_errno);
        return nullptr;
    }
    watch(channel.get());
    Channel* opened = (channels_[key] = std::move(channel)).get();
    used(opened);
    return opened;
}

bool Transport::sendPdu(Channel* channel, Command command, const std::vector<Binding>& bindings,
                        int timeoutMs, int retries, Pending* pending, int& code) {
    code = 0;
    setTiming(channel->session, timeoutMs, retries);
    netsnmp_pdu* pdu = buildPdu(command, bindings);
    if (channel->probe) {
        // An unknown engine answers any request with a report that names it.
        pdu->securityName = strdup("");
        pdu->securityNameLen = 0;
        pdu->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
        pdu->securityModel = SNMP_SEC_MODEL_USM;
    }
    pending->sending = true;
    int sent = 0;
    {
        UserScope user(*channel);
        sent = snmp_sess_async_send(channel->session, pdu, onResponse, pending);
    }
    pending->sending = false;
    if (sent && !pending->early) {
        pending->channel = channel;
        ++channel->outstanding;
        used(channel);
        return true;
    }
    if (pending->early) {
        code = pending->early->code ? pending->early->code : -416;
    } else {
        int libraryError = 0, systemError = 0;
        char* text = nullptr;
        snmp_sess_error(channel->session, &libraryError, &systemError, &text);
        free(text);
        code = libraryCode(libraryError);
    }
    if (!sent) snmp_free_pdu(pdu);
    return false;
}

Answer Transport::exchange(Channel* channel, Command command, const std::vector<Binding>& bindings,
                           int timeoutMs, int retries) {
    const auto deadline = deadlineOf(timeoutMs, retries);
    const std::string sent = channel->engineId;
    Answer answer = exchangeOnce(channel, command, bindings, timeoutMs, retries);
    if (!channel->v3 || !engineChanged(answer, sent)) return answer;
    // The agent has another engine: discovered again once, and the request sent again in what
    // is left of its time.
    if (auto known = engines_.find(channel->agent);
        known != engines_.end() && known->second == sent)
        forgetEngine(channel->agent);
    int code = 0;
    if (discover(channel->agent, tryMs(deadline, retries), retries, code).empty() ||
        !timeLeft(deadline, code)) {
        answer = Answer();
        answer.code = code ? code : -405;
        return answer;
    }
    answer = exchangeOnce(channel, command, bindings, tryMs(deadline, retries), retries);
    if (engineChanged(answer, channel->engineId)) answer.code = -305;
    return answer;
}

Answer Transport::exchangeOnce(Channel* channel, Command command,
                               const std::vector<Binding>& bindings, int timeoutMs, int retries) {
    Answer answer;
    bool finished = false;
    auto* pending = new Pending();
    pending->direct = &answer;
    pending->finished = &finished;
    int code = 0;
    if (!sendPdu(channel, command, bindings, timeoutMs, retries, pending, code)) {
        delete pending;
        answer.code = code;
        return answer;
    }
    // net-snmp times the request out itself; the deadline only guards against a request that it
    // dropped without a word, which would otherwise freeze the window for good.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(
                              static_cast<int64_t>(timeoutMs) * (std::max(0, retries) + 2) + 1000);
    while (!finished) {
        if (std::chrono::steady_clock::now() > deadline) {
            pending->direct = nullptr;
            pending->finished = nullptr;
            pending->done = [](const Answer&) {};
            answer.code = -405;
            break;
        }
        const int wait = nextTimeoutMs(channel->session);
        pollfd fd{channel->socket, POLLIN, 0};
        const int ready = poll(&fd, 1, wait < 0 ? 100 : wait);
        if (ready > 0)
            readSession(channel);
        else if (ready == 0)
            timeoutSession(channel);
    }
    rearm();
    return answer;
}

void Transport::finish(Pending* pending, Answer answer) {
    if (pending->sending) {
        pending->early = std::make_unique<Answer>(std::move(answer));
        return;
    }
    std::unique_ptr<Pending> owned(pending);
    outstandingAttempts_.erase(pending);
    if (Channel* channel = pending->channel) {
        // The idle timer is not touched: this also runs while the transport is destroyed.
        --channel->outstanding;
        channel->lastUsed = Clock::now();
    }
    if (pending->superseded) return;
    if (pending->direct) {
        *pending->direct = std::move(answer);
        *pending->finished = true;
        return;
    }
    post([done = std::move(pending->done), answer = std::move(answer)] { done(answer); });
}

void Transport::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        this,
        [fn = std::move(fn)] {
            // No exception may unwind through the event loop, whichever application runs it.
            QString text;
            try {
                fn();
                return;
            } catch (const std::exception& e) {
                text = QString::fromStdString(e.what());
            } catch (...) {
                text = QStringLiteral("(ViZURU++) Internal error!");
            }
            if (qobject_cast<platform::Application*>(QCoreApplication::instance()))
                platform::Application::reportEscaped(text);
            else
                qWarning("exception left an SNMP completion: %s", qPrintable(text));
        },
        Qt::QueuedConnection);
}

void Transport::readable(Channel* channel) {
    // The answer may already have been taken by a synchronous exchange in the meantime; reading
    // an empty blocking socket would hang the window.
    pollfd fd{channel->socket, POLLIN, 0};
    if (poll(&fd, 1, 0) > 0) readSession(channel);
    rearm();
}

void Transport::expire() {
    for (Channel* channel : sessions()) timeoutSession(channel);
    rearm();
}

std::vector<Channel*> Transport::sessions() const {
    std::vector<Channel*> all;
    for (const auto& [key, channel] : channels_) all.push_back(channel.get());
    for (const auto& [agent, probe] : probes_)
        if (probe->session) all.push_back(probe.get());
    return all;
}

void Transport::rearm() {
    int earliest = -1;
    for (Channel* channel : sessions()) {
        const int wait = nextTimeoutMs(channel->session);
        if (wait >= 0 && (earliest < 0 || wait < earliest)) earliest = wait;
    }
    if (earliest < 0)
        timer_.stop();
    else
        timer_.start(std::max(earliest, 0));
}

namespace {

// How long a channel stays open without a request (scaled like every SNMP time).
int idleMs() {
    return platform::scaledMs(60000);
}

}  // namespace

// Each distinct community, password or retry count has a channel (a socket and its keys): one
// that no request has used for a while, and that has none outstanding, is closed.
void Transport::used(Channel* channel) {
    channel->lastUsed = Clock::now();
    if (channel->probe) return;
    const int limit = idleMs();
    if (!idle_.isActive() || idle_.remainingTime() > limit) idle_.start(limit);
}

void Transport::closeIdle() {
    const auto limit = std::chrono::milliseconds(idleMs());
    const auto now = Clock::now();
    auto next = limit;
    for (auto entry = channels_.begin(); entry != channels_.end();) {
        Channel& channel = *entry->second;
        const auto idle =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - channel.lastUsed);
        if (channel.outstanding == 0 && idle >= limit) {
            close(channel);
            entry = channels_.erase(entry);
            continue;
        }
        if (channel.outstanding == 0) next = std::min(next, limit - idle);
        ++entry;
    }
    if (!channels_.empty()) idle_.start(static_cast<int>(std::max<int64_t>(1, next.count())));
}

}  // namespace snmpaccess
