#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "library/snmp/ValueText.h"

// The access layer's link to net-snmp: shared sessions per target, closed when idle, with the
// receive path driven by socket readiness and one single-shot timer for time-outs and retries.
// Nothing here exposes net-snmp's types.
namespace snmpaccess {

// Who to talk to and how: a community target (v1, v2c) or a user target (v3).
struct Target {
    std::string address;  // as the user gave it: dotted IPv4 or host name
    int port = 161;
    int version = 1;  // 1, 2 or 3
    std::string community;
    int securityLevel = 1;  // 1 noAuthNoPriv, 2 authNoPriv, 3 authPriv
    int authProtocol = 1;   // 1 none, 2 MD5, 3 SHA
    int privProtocol = 1;   // 1 none, 2 DES, 19 AES-128
    std::string securityName, authPassword, privPassword, contextEngineId, contextName;
};

enum class Command { Get, GetNext, Set };

struct Binding {
    std::vector<uint32_t> oid;
    WireValue value;
};

// The outcome of one exchange: code 0 or a status code, and the answer's bindings.
struct Answer {
    int code = 0;
    int errorStatus = 0;
    int errorIndex = 0;
    std::vector<Binding> bindings;
    bool report = false;  // an SNMPv3 report; engine is the one that sent it
    std::string engine;
};

struct Channel;

// The code of a report that ends a request, by the counter it carries (its first variable).
int reportStatus(const std::vector<uint32_t>& counter);

class Transport : public QObject {
    Q_OBJECT
  public:
    static Transport& instance();
    ~Transport() override;

    // The open session for the target, opened (and for v3 its agent's engine discovered) on first
    // use. Throws CvSNMPException for the access layer's own failures (-407 invalid address, -501
    // lookup failure, -311 empty password, -524, -525); an SNMP failure of the discovery
    // (time-out, no engine) comes back as a null channel and the code. The channel is for the
    // synchronous call at hand: an idle one is closed from the event loop. A discovery spends the
    // request's own time: timeoutMs comes back as the try that fits in what it left, and a request
    // it left none ends with -405 unsent.
    Channel* channel(const Target& target, int& timeoutMs, int retries, int& code);

    // One request and its answer, blocking. Answers of asynchronous requests that arrive
    // meanwhile are posted and run after this returns. An agent that answers from another engine
    // than the one known is discovered again, once, within the request's time.
    Answer exchange(Channel* channel, Command command, const std::vector<Binding>& bindings,
                    int timeoutMs, int retries);
    // Sends to the target and returns at once; done runs later from a posted event, always. For
    // a v3 agent whose engine is not known yet (or has just changed) the request waits for a
    // discovery that does not block. Throws as channel() does; false (and the code) when nothing
    // could be sent, and then done never runs.
    bool sendTo(const Target& target, Command command, std::vector<Binding> bindings, int timeoutMs,
                int retries, std::function<void(const Answer&)> done, int& code);

    // Runs fn later from the event loop; an exception it throws is reported, never passed on.
    void post(std::function<void()> fn);

    // The dotted IPv4 address that requests to this address go to, from the same cache of host
    // names; empty when it is no valid address or does not resolve.
    std::string addressOf(const std::string& address);

    // Engine discoveries that really went to the network (tests and the benchmark).
    int discoveryCount() const { return discoveries_; }
    // Open sessions, discoveries included (tests).
    int openChannelCount() const { return static_cast<int>(channels_.size() + probes_.size()); }

    struct Pending;
    void finish(Pending* pending, Answer answer);

  private:
    struct Attempt;
    Transport();
    std::string check(const Target& target);
    Channel* find(const std::string& key);
    Channel* open(const Target& target, const std::string& ip, const std::string& key,
                  std::string engine, int timeoutMs, int retries, int& code);
    void watch(Channel* channel);
    void close(Channel& channel);
    std::vector<Channel*> sessions() const;
    std::unique_ptr<Channel> openProbe(const std::string& agent, int timeoutMs, int retries,
                                       int& code);
    std::string probeResult(Channel& probe, const Answer& answer, const std::string& agent,
                            int& code);
    void discoverLater(const std::string& agent, int timeoutMs, int retries,
                       const std::shared_ptr<Attempt>& starter);
    void discovered(const std::string& agent, int code, const std::weak_ptr<Attempt>& starter);
    void waitForEngine(const std::shared_ptr<Attempt>& attempt);
    void waitEnded(const std::weak_ptr<Attempt>& attempt);
    void forgetEngine(const std::string& agent);
    void learnEngine(const std::string& agent, const std::string& engine);
    bool start(const std::shared_ptr<Attempt>& attempt, int& code);
    void answered(const std::shared_ptr<Attempt>& attempt, const std::string& sentEngine,
                  const Answer& answer);
    void sendAgain(const std::shared_ptr<Attempt>& attempt, Answer failed);
    Answer exchangeOnce(Channel* channel, Command command, const std::vector<Binding>& bindings,
                        int timeoutMs, int retries);
    void readable(Channel* channel);
    void expire();
    void rearm();
    void used(Channel* channel);
    void closeIdle();
    bool sendPdu(Channel* channel, Command command, const std::vector<Binding>& bindings,
                 int timeoutMs, int retries, Pending* pending, int& code);
    std::string resolve(const std::string& address);
    std::string discover(const std::string& agent, int timeoutMs, int retries, int& code);

    std::map<std::string, std::unique_ptr<Channel>> channels_;
    std::map<std::string, std::unique_ptr<Channel>> probes_;                // discoveries in flight
    std::map<std::string, std::vector<std::shared_ptr<Attempt>>> waiters_;  // their requests
    std::set<Pending*> outstandingAttempts_;      // asynchronous tries net-snmp still holds
    std::map<std::string, std::string> engines_;  // "ip:port" -> engine id
    std::map<std::string, std::string> addresses_;  // host name -> dotted IPv4
    QTimer timer_;
    QTimer idle_;
    int discoveries_ = 0;
};

}  // namespace snmpaccess
