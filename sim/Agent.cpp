#include "sim/Agent.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>

#include "sim/Device.h"
#include "sim/EventLoop.h"
#include "sim/NetSnmp.h"

// The agent library keeps its first listening session here; it is not in its headers.
extern "C" netsnmp_session* main_session;

namespace {

Device* device = nullptr;
const Options* options = nullptr;
int stopPipe[2] = {-1, -1};
volatile sig_atomic_t stopping = 0;

// ---- event loop helpers ----------------------------------------------------------------------

std::map<int, std::function<void()>> watchers;

void alarmFired(unsigned int, void* data) {
    std::unique_ptr<std::function<void()>> fn(static_cast<std::function<void()>*>(data));
    (*fn)();
}

void fdReadable(int fd, void*) {
    auto it = watchers.find(fd);
    if (it == watchers.end()) return;
    // A copy, because the watcher may remove itself while it runs.
    auto fn = it->second;
    fn();
}

// ---- conversions -----------------------------------------------------------------------------

Oid toOid(const oid* name, size_t length) {
    return Oid(name, name + length);
}

Requester requesterOf(const netsnmp_pdu* pdu) {
    Requester who;
    who.reqid = pdu->reqid;
    if (pdu->version == SNMP_VERSION_3) {
        who.version = std::string("3");
        if (pdu->securityName) who.community.assign(pdu->securityName, pdu->securityNameLen);
        return who;
    }
    who.version = pdu->version == SNMP_VERSION_1 ? "1" : "2c";
    if (pdu->community)
        who.community.assign(reinterpret_cast<const char*>(pdu->community), pdu->community_len);
    who.mayWrite = who.community == options->writeCommunity;
    return who;
}

SetVb setVbOf(const netsnmp_variable_list* vb) {
    SetVb v;
    v.oid = toOid(vb->name, vb->name_length);
    v.asnType = vb->type;
    switch (vb->type) {
        case ASN_INTEGER:
            v.number = *vb->val.integer;
            break;
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
            v.number = static_cast<long long>(*reinterpret_cast<const u_long*>(vb->val.integer));
            break;
        case ASN_OBJECT_ID:
            v.oidValue = toOid(vb->val.objid, vb->val_len / sizeof(oid));
            break;
        default:
            if (vb->val.string && vb->val_len)
                v.bytes.assign(reinterpret_cast<const char*>(vb->val.string), vb->val_len);
    }
    return v;
}

void setVarValue(netsnmp_variable_list* vb, const Value& value) {
    switch (value.syntax) {
        case Syntax::Int: {
            long n = static_cast<long>(value.number);
            snmp_set_var_typed_value(vb, ASN_INTEGER, &n, sizeof n);
            break;
        }
        case Syntax::TimeTicks:
        case Syntax::Counter:
        case Syntax::Gauge: {
            u_long n = static_cast<u_long>(value.number);
            u_char type = value.syntax == Syntax::TimeTicks ? ASN_TIMETICKS
                          : value.syntax == Syntax::Counter ? ASN_COUNTER
                                                            : ASN_GAUGE;
            snmp_set_var_typed_value(vb, type, &n, sizeof n);
            break;
        }
        case Syntax::Ip:
            snmp_set_var_typed_value(vb, ASN_IPADDRESS, value.bytes.data(), value.bytes.size());
            break;
        case Syntax::ObjectId: {
            std::vector<oid> o(value.oid.begin(), value.oid.end());
            snmp_set_var_typed_value(vb, ASN_OBJECT_ID, o.data(), o.size() * sizeof(oid));
            break;
        }
        default:
            snmp_set_var_typed_value(vb, ASN_OCTET_STR, value.bytes.data(), value.bytes.size());
    }
}

std::vector<netsnmp_request_info*> requestList(netsnmp_request_info* requests) {
    std::vector<netsnmp_request_info*> list;
    for (auto* r = requests; r; r = r->next) list.push_back(r);
    std::stable_sort(list.begin(), list.end(),
                     [](auto* a, auto* b) { return a->index < b->index; });
    return list;
}

std::vector<Oid> requestOids(const std::vector<netsnmp_request_info*>& list) {
    std::vector<Oid> oids;
    for (auto* r : list) oids.push_back(toOid(r->requestvb->name, r->requestvb->name_length));
    return oids;
}

void markDelegated(netsnmp_request_info* requests, int flag) {
    for (auto* r = requests; r; r = r->next) r->delegated = flag;
}

// ---- reads -----------------------------------------------------------------------------------

void answerReads(netsnmp_agent_request_info* reqinfo, netsnmp_request_info* requests) {
    auto list = requestList(requests);
    std::vector<Oid> asked = requestOids(list);  // before the answers replace the names
    bool next = reqinfo->mode != MODE_GET;
    int worst = 0;
    for (auto* r : list) {
        Oid oid = toOid(r->requestvb->name, r->requestvb->name_length);
        ReadResult result = device->read(oid, next, r->inclusive);
        switch (result.kind) {
            case ReadResult::Found:
                if (next) {
                    std::vector<::oid> name(result.oid.begin(), result.oid.end());
                    snmp_set_var_objid(r->requestvb, name.data(), name.size());
                }
                setVarValue(r->requestvb, result.value);
                break;
            case ReadResult::NoSuchObject:
                netsnmp_set_request_error(reqinfo, r, SNMP_NOSUCHOBJECT);
                break;
            case ReadResult::NoSuchInstance:
                netsnmp_set_request_error(reqinfo, r, SNMP_NOSUCHINSTANCE);
                break;
            case ReadResult::EndOfView:
                break;  // the agent library answers endOfMibView (noSuchName for v1)
            case ReadResult::Error:
                netsnmp_set_request_error(reqinfo, r, result.status);
                worst = worst ? worst : result.status;
                break;
        }
    }
    device->journalGet(requesterOf(reqinfo->asp->pdu), next ? "getnext" : "get", asked, worst);
}

void handleRead(netsnmp_mib_handler* handler, netsnmp_handler_registration* reginfo,
                netsnmp_agent_request_info* reqinfo, netsnmp_request_info* requests) {
    int delay = device->delayFor(requestOids(requestList(requests)), false);
    if (delay <= 0) return answerReads(reqinfo, requests);
    auto* cache = netsnmp_create_delegated_cache(handler, reginfo, reqinfo, requests, nullptr);
    markDelegated(requests, 1);
    runLater(delay, [cache] {
        netsnmp_delegated_cache* live = netsnmp_handler_check_cache(cache);
        if (!live) return netsnmp_free_delegated_cache(cache);
        answerReads(live->reqinfo, live->requests);
        markDelegated(live->requests, 0);
        netsnmp_free_delegated_cache(live);
    });
}

// ---- sets ------------------------------------------------------------------------------------

// SETs are answered here rather than by the agent library, because the library holds back every
// other request while a SET is outstanding, and a TFTP transfer or a scan may take seconds.
int v1Status(int status) {
    switch (status) {
        case SNMP_ERR_NOERROR:
        case SNMP_ERR_TOOBIG:
        case SNMP_ERR_NOSUCHNAME:
        case SNMP_ERR_BADVALUE:
        case SNMP_ERR_READONLY:
        case SNMP_ERR_GENERR:
            return status;
        case SNMP_ERR_WRONGVALUE:
        case SNMP_ERR_WRONGENCODING:
        case SNMP_ERR_WRONGTYPE:
        case SNMP_ERR_WRONGLENGTH:
        case SNMP_ERR_INCONSISTENTVALUE:
            return SNMP_ERR_BADVALUE;
        case SNMP_ERR_NOACCESS:
        case SNMP_ERR_NOTWRITABLE:
        case SNMP_ERR_NOCREATION:
        case SNMP_ERR_INCONSISTENTNAME:
        case SNMP_ERR_AUTHORIZATIONERROR:
            return SNMP_ERR_NOSUCHNAME;
        default:
            return SNMP_ERR_GENERR;
    }
}

void answerSet(netsnmp_session* session, netsnmp_pdu* request, int status, int index) {
    request->command = SNMP_MSG_RESPONSE;
    request->errstat = request->version == SNMP_VERSION_1 ? v1Status(status) : status;
    request->errindex = status ? index : 0;
    if (!snmp_send(session, request)) snmp_free_pdu(request);
}

void handleSetPacket(netsnmp_session* session, netsnmp_pdu* pdu, const Requester& who,
                     const std::vector<SetVb>& vbs, const std::vector<Oid>& oids) {
    netsnmp_pdu* request = snmp_clone_pdu(pdu);
    if (!request) return;
    int delay = device->delayFor(oids, true);
    device->processSet(who, vbs, [session, request, delay, who](int status, int index) {
        if (!who.answered) return snmp_free_pdu(request);
        if (delay <= 0) return answerSet(session, request, status, index);
        runLater(delay,
                 [session, request, status, index] { answerSet(session, request, status, index); });
    });
}

int handleRequests(netsnmp_mib_handler* handler, netsnmp_handler_registration* reginfo,
                   netsnmp_agent_request_info* reqinfo, netsnmp_request_info* requests) {
    // Nothing may escape into the agent library's C frames.
    try {
        switch (reqinfo->mode) {
            case MODE_GET:
            case MODE_GETNEXT:
                handleRead(handler, reginfo, reqinfo, requests);
                break;
            case MODE_SET_RESERVE1:
                // SETs are answered before they reach the library (see handleSetPacket).
                netsnmp_set_request_error(reqinfo, requests, SNMP_ERR_GENERR);
                break;
            default:
                // Everything a SET does happens once, in the first phase, after all its
                // variables were checked.
                break;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vra-sim: request failed: %s\n", e.what());
        netsnmp_set_request_error(reqinfo, requests, SNMP_ERR_GENERR);
    }
    return SNMP_ERR_NOERROR;
}

// ---- incoming packets ------------------------------------------------------------------------

int onPacket(int op, netsnmp_session* session, int reqid, netsnmp_pdu* pdu, void* magic) {
    if (op != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || !pdu)
        return handle_snmp_packet(op, session, reqid, pdu, magic);
    try {
        Requester who = requesterOf(pdu);
        if (pdu->version != SNMP_VERSION_3 && who.community != options->readCommunity &&
            who.community != options->writeCommunity) {
            // A real agent drops requests with an unknown community.
            device->journal().write("bad-community", JsonLine().text("community", who.community));
            return 1;
        }
        std::vector<Oid> oids;
        std::vector<SetVb> vbs;
        for (auto* vb = pdu->variables; vb; vb = vb->next_variable) {
            oids.push_back(toOid(vb->name, vb->name_length));
            if (pdu->command == SNMP_MSG_SET) vbs.push_back(setVbOf(vb));
        }
        if (device->silenced(oids)) {
            device->journal().write("dropped", JsonLine().number("reqid", pdu->reqid));
            return 1;
        }
        if (pdu->command == SNMP_MSG_SET) {
            // A device that restarts before it answers: the request acts, no answer goes out.
            who.answered = device->answersRestart(vbs);
            handleSetPacket(session, pdu, who, vbs, oids);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vra-sim: packet failed: %s\n", e.what());
        return 1;
    }
    // Communities were checked above and USM users may read and write everything, so the
    // library's view-based access control has nothing to add.
    pdu->flags |= UCD_MSG_FLAG_ALWAYS_IN_VIEW;
    return handle_snmp_packet(op, session, reqid, pdu, magic);
}

// ---- control channel -------------------------------------------------------------------------

std::map<int, std::string> controlBuffers;

void answerLines(int fd, int outFd) {
    std::string& buffer = controlBuffers[fd];
    for (size_t nl; (nl = buffer.find('\n')) != std::string::npos;) {
        std::string line = buffer.substr(0, nl);
        buffer.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string answer;
        try {
            answer = device->control(line) + "\n";
        } catch (const std::exception& e) {
            answer = std::string("error ") + e.what() + "\n";
        }
        for (size_t sent = 0; sent < answer.size();) {
            ssize_t n = write(outFd, answer.data() + sent, answer.size() - sent);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
    }
}

void watchControl(int fd, int outFd) {
    watchFd(fd, [fd, outFd] {
        char chunk[4096];
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            controlBuffers[fd].append(chunk, static_cast<size_t>(n));
            return answerLines(fd, outFd);
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
        unwatchFd(fd);
        controlBuffers.erase(fd);
        if (fd != 0) close(fd);
    });
}

bool openControlSocket(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof addr.sun_path) return false;
    std::strcpy(addr.sun_path, path.c_str());
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0)
        return false;
    watchFd(fd, [fd] {
        int client = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) watchControl(client, client);
    });
    return true;
}

// ---- start-up --------------------------------------------------------------------------------

void onSignal(int) {
    stopping = 1;
    if (stopPipe[1] >= 0) {
        char c = 0;
        [[maybe_unused]] ssize_t n = write(stopPipe[1], &c, 1);
    }
}

// Communities and users are checked by the device itself (see the packet handler), so the
// library's view-based access control is never consulted; one group entry tells the library it
// is configured, instead of its warning that the agent has no access control. Made after the
// library has cleared its configuration, before it looks.
int declareOwnAccessControl(int, int, void*, void*) {
    vacm_createGroupEntry(SNMP_SEC_MODEL_USM, "vra-sim");
    return SNMPERR_SUCCESS;
}

void configureLibrary(const Options& o) {
    std::string persist = o.dir + "/persist";
    std::filesystem::create_directories(persist);
    // Nothing from the host's SNMP configuration or MIB files may reach the device.
    setenv("SNMPCONFPATH", persist.c_str(), 1);
    setenv("SNMP_PERSISTENT_DIR", persist.c_str(), 1);
    setenv("MIBS", "", 1);
    setenv("MIBDIRS", persist.c_str(), 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, persist.c_str());
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_CONFIGURATION_DIR, persist.c_str());
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_NO_ROOT_ACCESS, 1);
    snmp_disable_log();
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_STDERR, LOG_WARNING);
    if (const char* tokens = std::getenv("VRA_SIM_DEBUG")) {
        debug_register_tokens(tokens);
        snmp_set_do_debugging(1);
    }
}

void setEngineId() {
    // Each simulated device has its own engine ID, so that parallel devices never share
    // SNMPv3 time windows in a manager's cache.
    std::random_device random;
    u_char engine[13] = {0x80, 0x00, 0x7E, 0xD9, 0x05};
    for (size_t i = 5; i < sizeof engine; ++i) engine[i] = static_cast<u_char>(random());
    set_exact_engineID(engine, sizeof engine);
}

void createUsers() {
    const char* users[] = {
        "noauth",
        "md5user MD5 authpass123",
        "shauser SHA authpass123",
        "md5des MD5 authpass123 DES privpass123",
        "md5aes MD5 authpass123 AES privpass123",
        "shades SHA authpass123 DES privpass123",
        "shaaes SHA authpass123 AES privpass123",
    };
    for (const char* user : users) {
        std::string line = user;
        usm_parse_create_usmUser("createUser", line.data());
    }
}

// The transport's own send. The agent library answers reports (an unknown engine, a discovery)
// before any handler sees the request, so a slow link is made where datagrams leave.
int (*sendNow)(netsnmp_transport*, const void*, int, void**, int*) = nullptr;

int sendLagging(netsnmp_transport* transport, const void* packet, int length, void** opaque,
                int* opaqueLength) {
    const int lag = device ? device->lagMs() : 0;
    if (lag <= 0 || !opaque || !*opaque || !opaqueLength)
        return sendNow(transport, packet, length, opaque, opaqueLength);
    auto bytes = std::make_shared<std::string>(static_cast<const char*>(packet), length);
    auto peer = std::make_shared<std::string>(static_cast<const char*>(*opaque), *opaqueLength);
    runLater(lag, [transport, bytes, peer] {
        void* to = peer->data();
        int toLength = static_cast<int>(peer->size());
        sendNow(transport, bytes->data(), static_cast<int>(bytes->size()), &to, &toLength);
    });
    return length;
}

int openAgentPort(const Options& o) {
    std::string endpoint = "udp:" + o.address + ":" + std::to_string(o.port);
    netsnmp_transport* transport = netsnmp_transport_open_server("vra-sim", endpoint.c_str());
    if (!transport) {
        std::fprintf(stderr, "vra-sim: cannot listen on %s\n", endpoint.c_str());
        return -1;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(transport->sock, reinterpret_cast<sockaddr*>(&bound), &length);
    if (netsnmp_register_agent_nsap(transport) < 0 || !main_session) {
        std::fprintf(stderr, "vra-sim: cannot start the agent on %s\n", endpoint.c_str());
        return -1;
    }
    main_session->callback = onPacket;
    sendNow = transport->f_send;
    transport->f_send = sendLagging;
    return ntohs(bound.sin_port);
}

bool writeReady(const std::string& dir, int port) {
    std::string tmp = dir + "/ready.tmp";
    {
        std::ofstream out(tmp);
        out << port << "\n";
        if (!out) return false;
    }
    return std::rename(tmp.c_str(), (dir + "/ready").c_str()) == 0;
}

}  // namespace

void runLater(int ms, std::function<void()> fn) {
    timeval t{ms / 1000, (ms % 1000) * 1000};
    snmp_alarm_register_hr(t, 0, alarmFired, new std::function<void()>(std::move(fn)));
}

void watchFd(int fd, std::function<void()> onReadable) {
    watchers[fd] = std::move(onReadable);
    register_readfd(fd, fdReadable, nullptr);
}

void unwatchFd(int fd) {
    unregister_readfd(fd);
    watchers.erase(fd);
}

int runAgent(const Options& o) {
    options = &o;
    configureLibrary(o);
    if (pipe2(stopPipe, O_CLOEXEC) != 0) return 1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    init_agent("vra-sim");
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_PRE_READ_CONFIG,
                           declareOwnAccessControl, nullptr);
    setEngineId();
    init_snmp("vra-sim");
    createUsers();

    Device model(o.dir, o.address);
    device = &model;
    model.setDataDir(o.dataDir);
    std::string error;
    if (!model.loadData(o.dataDir + "/vra2260.dat", error)) {
        std::fprintf(stderr, "vra-sim: %s\n", error.c_str());
        return 1;
    }
    for (const auto& profile : o.profiles) {
        if (!model.loadProfile(profile, error)) {
            std::fprintf(stderr, "vra-sim: profile %s: %s\n", profile.c_str(), error.c_str());
            return 1;
        }
    }
    for (const auto& knob : o.knobs) {
        std::string answer = model.control(knob);
        if (answer.rfind("ok", 0) != 0) {
            std::fprintf(stderr, "vra-sim: %s: %s\n", knob.c_str(), answer.c_str());
            return 1;
        }
    }

    static oid root[] = {1, 3, 6, 1};
    auto* registration = netsnmp_create_handler_registration("vra-sim", handleRequests, root,
                                                             OID_LENGTH(root), HANDLER_CAN_RWRITE);
    if (netsnmp_register_handler(registration) != MIB_REGISTERED_OK) {
        std::fprintf(stderr, "vra-sim: cannot register the device's objects\n");
        return 1;
    }
    int port = openAgentPort(o);
    if (port <= 0) return 1;
    if (!openControlSocket(o.dir + "/control.sock")) {
        std::fprintf(stderr, "vra-sim: cannot open the control socket\n");
        return 1;
    }
    if (o.controlOnStdin) watchControl(0, 1);
    watchFd(stopPipe[0], [] { stopping = 1; });
    if (!writeReady(o.dir, port)) {
        std::fprintf(stderr, "vra-sim: cannot write %s/ready\n", o.dir.c_str());
        return 1;
    }
    std::fprintf(stderr, "vra-sim: listening on %s:%d\n", o.address.c_str(), port);

    while (!stopping) agent_check_and_process(1);

    unlink((o.dir + "/control.sock").c_str());
    snmp_shutdown("vra-sim");
    device = nullptr;
    return 0;
}
