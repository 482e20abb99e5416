#pragma once
// The simulated access point: its objects, its behaviours and the knobs tests turn.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/Journal.h"
#include "sim/Mib.h"
#include "sim/Value.h"

// Who sent a request, as the journal records it.
struct Requester {
    std::string version;  // "1", "2c", "3"
    std::string community;
    bool mayWrite = true;
    bool answered = true;  // false: the device acts but sends no answer
    long reqid = 0;
};

// One variable of an incoming SET, independent of net-snmp's structures.
struct SetVb {
    Oid oid;
    int asnType = 0;
    long long number = 0;
    std::string bytes;
    Oid oidValue;
};

// A failed read answers with an error status or an exception value.
struct ReadResult {
    enum Kind { Found, NoSuchObject, NoSuchInstance, EndOfView, Error } kind = Found;
    Oid oid;
    Value value;
    int status = 0;
};

using Done = std::function<void(int status)>;

struct Action {
    // Checks a value before anything in the request is stored; returns an error status or 0.
    std::function<int(const Oid& oid, const Value& value)> check;
    // Runs the behaviour and calls done once, now or later.
    std::function<void(const Oid& oid, const Value& value, Done done)> run;
};

struct FailKnob {
    Oid prefix;
    int status = 0;
    std::string mode;  // "", "get", "set"
    int count = -1;    // -1: until cleared
};

struct DelayKnob {
    Oid prefix;  // empty: every request
    int ms = 0;
    std::string mode;
};

struct TftpKnobs {
    std::string answer = "after";  // "after", "before"
    int startMs = 0;
    std::string fail = "none";  // "none", "timeout", "error", "never"
    std::optional<std::string> name;
    bool options = false;  // curl sends no TFTP options unless asked to
    std::string mode = "octet";
    int port = 0;  // 0: VRA2260_TFTP_PORT, else 69
};

class Device {
  public:
    Device(std::string dir, std::string listenAddress);
    ~Device();

    bool loadData(const std::string& path, std::string& error);
    bool loadProfile(const std::string& name, std::string& error);
    void setDataDir(const std::string& dir) { dataDir_ = dir; }

    // SNMP operations. done receives the status and the 1-based index of the variable it
    // concerns; it runs now or, for behaviours that take time, later from the event loop.
    void processSet(const Requester& who, const std::vector<SetVb>& vbs,
                    std::function<void(int status, int index)> done);
    ReadResult read(const Oid& oid, bool next, bool inclusive);
    void journalGet(const Requester& who, const std::string& op, const std::vector<Oid>& oids,
                    int status);

    // Request filters the agent consults before handing a request to the device.
    bool silenced(const std::vector<Oid>& oids) const;
    int delayFor(const std::vector<Oid>& oids, bool set) const;
    bool answersRestart(const std::vector<SetVb>& vbs) const;
    int failStatus(const Oid& oid, bool set);
    // How much later every datagram of the agent leaves, reports and discovery answers included.
    int lagMs() const { return lagMs_; }

    // One control command; returns "ok [text]" or "error text".
    std::string control(const std::string& line);

    Journal& journal() { return journal_; }
    Mib& mib() { return mib_; }

  private:
    friend class Actions;
    void registerBehaviours();
    void registerTableBehaviours();
    void registerDerivedValues();
    void registerRogueBehaviours();
    // Adds a log line unless its type's level is switched off; true when added.
    bool addLog(const std::string& line);
    // Frees a row: rows after it move up, unless the holes knob keeps it in place.
    void deleteRow(const std::string& table, int row, bool inPlace);
    void restart(const std::string& why);
    void factoryDefault();
    Value readValue(const Oid& oid, const Object& object) const;
    int decode(const SetVb& vb, Syntax syntax, Value& out) const;
    void runActions(std::shared_ptr<struct PendingSet> pending);
    void finishSet(const std::shared_ptr<struct PendingSet>& pending, int status, int index);
    const Action* actionFor(const Oid& oid) const;

    // The TFTP client role.
    void transfer(const std::string& direction, const std::string& address, const std::string& name,
                  const std::string& localPath, std::function<void(bool ok)> done);
    void installStaged(long long command, Done done);
    void tftpAction(const std::string& direction, const std::string& address,
                    const std::string& name, const std::string& localPath,
                    std::function<void(bool ok)> after, Done done);
    std::string writeConfigFile();
    std::string writeLogFile();
    int tftpPort() const;
    std::string storedText(const std::string& name) const;

    std::string controlSet(const std::vector<std::string>& args);
    std::string controlTftp(const std::vector<std::string>& args);
    std::string controlLog(const std::string& line, const std::vector<std::string>& args);

    std::string dir_;
    std::string dataDir_;
    std::string listenAddress_;
    Mib mib_;
    Journal journal_;
    std::map<Oid, Action> actions_;
    std::map<Oid, std::function<Value()>> derived_;

    std::chrono::steady_clock::time_point bootTime_;
    std::chrono::steady_clock::time_point silentUntil_;
    bool silenceAll_ = false;
    std::vector<Oid> silencedPrefixes_;
    std::vector<DelayKnob> delays_;
    std::vector<FailKnob> fails_;
    TftpKnobs tftp_;
    int downtimeMs_ = 0;
    int lagMs_ = 0;
    bool restartAnswer_ = true;
    bool holes_ = false;
    bool maskKeys_ = true;
    bool validate_ = true;
    int transfers_ = 0;
    int scanMs_ = 2000;
    long long clockOffsetSeconds_ = 0;
    std::map<std::string, long long> rogueTypes_;  // BSSID -> type, kept from survey to survey

    std::vector<std::string> log_;
    bool logCrlf_ = false;
    std::string stagedFile_;  // last file a TFTP read fetched
    int activeGets_ = 0;      // TFTP reads started or scheduled and not yet ended
    std::vector<std::function<void()>> afterGets_;
    std::optional<std::vector<std::pair<Oid, Value>>> stagedConfig_;
    std::string certificate_, key_, pendingKey_;
};
