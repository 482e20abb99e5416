#pragma once
// A running vra-sim for one test: a real SNMP agent on a free loopback port, in a fresh folder
// that disappears with the object.
//
// Credentials the simulated device knows by default:
//   communities  "public" (read), "private" (read and write)
//   SNMPv3 users (every password is at least 8 characters, as net-snmp requires):
//     "noauth"  noAuthNoPriv
//     "md5user" authNoPriv  MD5  auth "authpass123"
//     "shauser" authNoPriv  SHA  auth "authpass123"
//     "md5des"  authPriv    MD5  auth "authpass123"  DES  priv "privpass123"
//     "md5aes"  authPriv    MD5  auth "authpass123"  AES  priv "privpass123"
//     "shades"  authPriv    SHA  auth "authpass123"  DES  priv "privpass123"
//     "shaaes"  authPriv    SHA  auth "authpass123"  AES  priv "privpass123"
//
// Knobs (knob()): one command per line, answered "ok [text]" or "error text"; the full list is in
// sim/README.md. The journal records every SET request as one record, every GET/GET-NEXT, and
// device events ("apply", "restart", "factory-default", "tftp", "firmware", "certificate", "key").

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct SimVarBind {
    std::string oid;    // dotted, without a leading dot
    std::string type;   // "i" integer, "s" text, "x" octets as upper-case hex, "a" IP address,
                        // "o" object identifier, "t" time ticks, "c" counter, "g" gauge, "n" null
    std::string value;  // text form of the value
};

struct SimSetRecord {
    int seq = 0;
    std::string version;    // "1", "2c" or "3"
    std::string community;  // community, or the user name for SNMPv3
    std::vector<SimVarBind> vbs;
    int errorStatus = 0;  // as answered (SNMPv2 numbering even for v1 requests); -1: not answered
    int errorIndex = 0;
};

struct SimEvent {
    std::string kind;
    // For "tftp": direction ("get"/"put"), peer, port, file, bytes, checksum (FNV-1a 64, hex),
    // result ("ok", "failed", "timeout", "error", "never"), path (the kept file for a get).
    std::map<std::string, std::string> fields;
};

class VraSim {
  public:
    // Starts the program with the given extra command-line arguments (e.g. {"--tftp-port",
    // "12345"}) and waits until it answers SNMP. Throws std::runtime_error with the program's
    // standard error when it cannot start.
    explicit VraSim(std::vector<std::string> extraArgs = {});
    ~VraSim();
    VraSim(const VraSim&) = delete;
    VraSim& operator=(const VraSim&) = delete;

    uint16_t port() const { return port_; }
    int pid() const { return pid_; }
    // How long a control command may wait for its answer before it fails (default 30 s).
    void setControlTimeout(int milliseconds) { controlTimeoutMs_ = milliseconds; }
    std::string dir() const { return dir_; }
    // "127.0.0.1:<port>", ready for net-snmp's command-line tools.
    std::string peer() const;

    // Sends one control command and returns the text after "ok"; throws std::runtime_error when
    // the program answers with an error.
    std::string knob(const std::string& line);

    std::vector<SimSetRecord> sets() const;
    // GET, GET-NEXT and GET-BULK requests, in the same shape as sets() (errorStatus as answered).
    std::vector<SimSetRecord> gets() const;
    std::vector<SimEvent> events(const std::string& kind = "") const;
    // The stored value of one instance, as text (the form of SimVarBind::value).
    std::string value(const std::string& oid) const;
    void clearJournal();

    // Polls pred every few milliseconds until it is true or timeoutMs passes; pumps the Qt event
    // loop meanwhile when a QCoreApplication exists.
    static bool waitUntil(const std::function<bool()>& pred, int timeoutMs);

    // Path of the vra-sim program under test.
    static std::string programPath();

  private:
    std::string command(const std::string& line) const;
    std::vector<std::string> journalLines() const;
    std::string stderrText() const;
    void stop();

    std::string dir_;
    uint16_t port_ = 0;
    int pid_ = -1;
    int controlTimeoutMs_ = 30000;
};

// A loopback UDP port that nothing listens on right now (for a TFTP server or a silent agent).
uint16_t freeUdpPort();
