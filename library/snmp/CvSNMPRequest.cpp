#include "library/snmp/CvSNMPRequest.h"

#include <QThread>
#include <algorithm>
#include <utility>

#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "library/snmp/SnmpTransport.h"
#include "library/snmp/ValueText.h"
#include "platform/Environment.h"

using snmpaccess::Answer;
using snmpaccess::Binding;
using snmpaccess::Channel;
using snmpaccess::Command;
using snmpaccess::Transport;

namespace {

constexpr size_t maximumRows = 10000;

[[noreturn]] void fail(int code) {
    throw CvSNMPException(code, CvMessages::text(code));
}

CvSNMPError outcome(int code) {
    return CvSNMPError{code, CvMessages::text(code)};
}

std::vector<uint32_t> itemOid(const CvSNMPVarItem& item) {
    std::vector<uint32_t> oid;
    if (!valuetext::parseOid(item.oid, oid)) fail(-502);
    return oid;
}

bool hasPrefix(const std::vector<uint32_t>& oid, const std::vector<uint32_t>& prefix) {
    return oid.size() > prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

// Index values from a row's instance suffix: one sub-identifier per key, the last key takes the
// rest, dotted.
std::vector<std::string> indexValues(const std::vector<uint32_t>& instance, int keyCount) {
    std::vector<std::string> keys(keyCount);
    for (int k = 0; k < keyCount && static_cast<size_t>(k) < instance.size(); ++k) {
        if (k + 1 < keyCount) {
            keys[k] = std::to_string(instance[k]);
        } else {
            keys[k] =
                valuetext::oidText(std::vector<uint32_t>(instance.begin() + k, instance.end()));
        }
    }
    return keys;
}

// What one get or set carries: the items' indices and their bindings.
struct Plan {
    std::vector<int> items;
    std::vector<Binding> bindings;
};

// The state of one table walk; its rows are written into the list only at its end.
struct Walk {
    std::vector<int> items;                    // walked columns (item indices)
    std::vector<std::vector<uint32_t>> bases;  // their column OIDs
    std::vector<uint32_t> instance;            // of the last row
    std::vector<CvSNMPRow> rows;
    int keyCount = 0;
    int count = 0;  // items in the list
    int version = 1;

    std::vector<Binding> next() const {
        std::vector<Binding> bindings;
        for (const auto& base : bases) {
            Binding binding;
            binding.oid = base;
            binding.oid.insert(binding.oid.end(), instance.begin(), instance.end());
            bindings.push_back(std::move(binding));
        }
        return bindings;
    }
};

enum class Step { More, End };

// Whether the request is still there and not cancelled since the operation began. The token is
// not held past the check, so a request deleted by the code that runs next is seen as gone.
bool current(const std::weak_ptr<int>& alive, int expected) {
    const std::shared_ptr<int> token = alive.lock();
    return token && *token == expected;
}

// The open actions, innermost last, each with the event-loop level it belongs to and the longest
// wait (time-out times tries, in units of 10 ms) that found its device silent (-1 while none did).
struct OpenAction {
    int loopLevel = 0;
    long long silentWait = -1;
};
std::vector<OpenAction>& openActions() {
    static std::vector<OpenAction> actions;
    return actions;
}

int loopLevel() {
    return QThread::currentThread()->loopLevel();
}

// The action that a synchronous request made now belongs to, if any.
OpenAction* currentAction() {
    std::vector<OpenAction>& actions = openActions();
    if (actions.empty() || actions.back().loopLevel != loopLevel()) return nullptr;
    return &actions.back();
}

// Runs one synchronous operation that may wait up to `wait` under the current action's rule. A
// short time-out says nothing of a request allowed longer (a delete-all given 2 s before a peer
// add given 100 s): only a request that an earlier silence outlasted ends unsent.
CvSNMPError underAction(long long wait, const std::function<CvSNMPError()>& operation) {
    if (OpenAction* action = currentAction(); action && action->silentWait >= wait)
        return outcome(-405);
    CvSNMPError result = operation();
    // Only a time-out says the device is silent; an error answer says it is there.
    if (OpenAction* action = currentAction(); action && result.Code == -405)
        action->silentWait = std::max(action->silentWait, wait);
    return result;
}

}  // namespace

CvSNMPAction::CvSNMPAction() {
    if (currentAction()) return;
    openActions().push_back(OpenAction{loopLevel(), -1});
    opened_ = true;
}

CvSNMPAction::~CvSNMPAction() {
    if (opened_) openActions().pop_back();
}

struct CvSNMPRequest::Impl {
    CvSNMPRequest* owner;
    std::shared_ptr<int> generation = std::make_shared<int>(0);
    int outstanding = 0;

    explicit Impl(CvSNMPRequest* o) : owner(o) {}

    snmpaccess::Target target(bool write) const {
        const CvSNMPSettings& s = owner->Settings;
        snmpaccess::Target t;
        t.address = s.address;
        t.port = s.port;
        t.version = s.version;
        t.community = write ? s.writeCommunity : s.readCommunity;
        t.securityLevel = s.securityLevel;
        t.authProtocol = s.authProtocol;
        t.privProtocol = s.privProtocol;
        t.securityName = s.securityName;
        t.authPassword = s.authPassword;
        t.privPassword = s.privPassword;
        t.contextEngineId = s.contextEngineId;
        t.contextName = s.contextName;
        return t;
    }
    int timeoutMs() const { return platform::scaledMs(owner->Settings.timeout * 10.0); }

    // The open channel; an SNMP failure while opening it (v3 discovery) comes back as code, and
    // tryMs as the time-out of the first try, in what a discovery left of the request's time.
    Channel* channel(bool write, int& tryMs, int& code) {
        tryMs = timeoutMs();
        return Transport::instance().channel(target(write), tryMs, owner->Retries, code);
    }

    Plan getPlan() const {
        const CvSNMPVarList& list = owner->VarList;
        Plan plan;
        for (int i = 0; i < list.Count(); ++i) {
            const CvSNMPVarItem& item = list.GetItem(i);
            if (!isReadable(item)) continue;
            Binding binding;
            binding.oid = itemOid(item);
            if (list.ItemType() == SVT_SV) binding.oid.push_back(0);
            plan.items.push_back(i);
            plan.bindings.push_back(std::move(binding));
        }
        return plan;
    }

    Plan setPlan(const std::string& instance, const std::vector<int>& leftOut) const {
        const CvSNMPVarList& list = owner->VarList;
        std::vector<uint32_t> suffix;
        if (list.IsTable() && !instance.empty() && !valuetext::parseOid(instance, suffix))
            fail(-408);
        Plan plan;
        for (int i = list.IsTable() ? list.KeyCount() : 0; i < list.Count(); ++i) {
            const CvSNMPVarItem& item = list.GetItem(i);
            if (!isSendable(item) || std::count(leftOut.begin(), leftOut.end(), i)) continue;
            Binding binding;
            binding.oid = itemOid(item);
            if (list.ItemType() == SVT_SV) binding.oid.push_back(0);
            if (list.IsTable()) binding.oid.insert(binding.oid.end(), suffix.begin(), suffix.end());
            const std::string empty;
            const auto& values = list.Values();
            const std::string& text = static_cast<size_t>(i) < values.size() ? values[i] : empty;
            if (int code = valuetext::fromText(text, item.syntax, binding.value)) fail(code);
            plan.items.push_back(i);
            plan.bindings.push_back(std::move(binding));
        }
        return plan;
    }

    // Writes a get's answer into the list's values; returns the outcome's code.
    int takeGet(const Plan& plan, const Answer& answer) {
        if (answer.code) return answer.code;
        if (answer.bindings.size() != plan.items.size()) return -519;
        CvSNMPVarList& list = owner->VarList;
        std::vector<std::string> texts(plan.items.size());
        for (size_t k = 0; k < plan.items.size(); ++k) {
            const WireValue& value = answer.bindings[k].value;
            if (value.isException()) return -119;
            if (plan.items[k] >= list.Count()) return -528;
            if (int code = valuetext::toText(value, list.GetItem(plan.items[k]).syntax, texts[k]))
                return code;
        }
        list.Values().resize(list.Count());
        for (size_t k = 0; k < plan.items.size(); ++k) list.Values()[plan.items[k]] = texts[k];
        return 0;
    }

    Walk startWalk() const {
        const CvSNMPVarList& list = owner->VarList;
        Walk walk;
        walk.keyCount = list.KeyCount();
        walk.count = list.Count();
        walk.version = owner->Settings.version;
        for (int i = list.KeyCount(); i < list.Count(); ++i) {
            if (!isReadable(list.GetItem(i))) continue;
            walk.items.push_back(i);
            walk.bases.push_back(itemOid(list.GetItem(i)));
        }
        return walk;
    }

    // Takes one get-next answer into the walk: More asks for the next row, End finishes it;
    // code is set on failure.
    Step takeRow(Walk& walk, const Answer& answer, int& code) const {
        code = 0;
        if (answer.code == -102 && walk.version == 1) return Step::End;  // v1 end of the MIB
        if (answer.code) {
            code = answer.code;
            return Step::End;
        }
        if (answer.bindings.size() != walk.items.size()) {
            code = -519;
            return Step::End;
        }
        const Binding& first = answer.bindings.front();
        if (first.value.type == WireValue::EndOfMibView || !hasPrefix(first.oid, walk.bases[0]))
            return Step::End;
        std::vector<uint32_t> instance(first.oid.begin() + walk.bases[0].size(), first.oid.end());
        if (!walk.rows.empty() &&
            !std::lexicographical_compare(walk.instance.begin(), walk.instance.end(),
                                          instance.begin(), instance.end())) {
            code = -520;
            return Step::End;
        }
        if (walk.rows.size() >= maximumRows) {
            code = -521;
            return Step::End;
        }
        CvSNMPRow row;
        row.instance = valuetext::oidText(instance);
        row.values.resize(walk.count);
        const std::vector<std::string> keys = indexValues(instance, walk.keyCount);
        for (int k = 0; k < walk.keyCount && k < walk.count; ++k) row.values[k] = keys[k];
        const CvSNMPVarList& list = owner->VarList;
        for (size_t c = 0; c < walk.items.size(); ++c) {
            const Binding& cell = answer.bindings[c];
            std::vector<uint32_t> expected = walk.bases[c];
            expected.insert(expected.end(), instance.begin(), instance.end());
            // Tables are dense; a column that answers with another row leaves its cell empty.
            if (cell.oid != expected || cell.value.isException()) continue;
            const int syntax =
                walk.items[c] < list.Count() ? list.GetItem(walk.items[c]).syntax : 0;
            if ((code = valuetext::toText(cell.value, syntax, row.values[walk.items[c]])))
                return Step::End;
        }
        walk.instance = std::move(instance);
        walk.rows.push_back(std::move(row));
        return Step::More;
    }

    // Runs fn later from the event loop unless the request is cancelled or gone by then.
    void post(std::function<void()> fn) {
        std::weak_ptr<int> alive = generation;
        const int expected = *generation;
        Transport::instance().post([alive, expected, fn = std::move(fn)] {
            if (current(alive, expected)) fn();
        });
    }

    // An answer handler that is dropped once the request is cancelled or destroyed.
    std::function<void(const Answer&)> guarded(std::function<void(const Answer&)> fn) {
        std::weak_ptr<int> alive = generation;
        const int expected = *generation;
        return [alive, expected, fn = std::move(fn)](const Answer& answer) {
            if (current(alive, expected)) fn(answer);
        };
    }

    void failLater(const Completion& done, int code) {
        ++outstanding;
        post([this, done, code] {
            --outstanding;
            if (done) done(outcome(code));
        });
    }

    bool sendAsync(bool write, Command command, std::vector<Binding> bindings,
                   const Completion& done, std::function<void(const Answer&)> onAnswer) {
        int code = 0;
        try {
            if (Transport::instance().sendTo(target(write), command, std::move(bindings),
                                             timeoutMs(), owner->Retries,
                                             guarded(std::move(onAnswer)), code)) {
                ++outstanding;
                return true;
            }
        } catch (const CvSNMPException& e) {
            // Settings changed between two rows of a walk fail the walk, not the event loop.
            code = e.code();
        }
        failLater(done, code);
        return false;
    }

    bool walkStep(std::shared_ptr<Walk> walk, Completion done) {
        std::weak_ptr<int> alive = generation;
        const int expected = *generation;
        return sendAsync(false, Command::GetNext, walk->next(), done,
                         [this, walk, done, alive, expected](const Answer& answer) {
                             walkAnswer(walk, done, alive, expected, answer);
                         });
    }

    void walkAnswer(const std::shared_ptr<Walk>& walk, const Completion& done,
                    const std::weak_ptr<int>& alive, int expected, const Answer& answer) {
        --outstanding;
        int code = 0;
        Step step = takeRow(*walk, answer, code);
        if (step == Step::More && owner->ContinueWalk) {
            const bool more = owner->ContinueWalk();
            // The page may have cancelled or deleted the request while it was asked.
            if (!current(alive, expected)) return;
            if (!more) step = Step::End;
        }
        if (step == Step::More) {
            walkStep(walk, done);
            return;
        }
        if (!code) owner->VarList.Rows() = std::move(walk->rows);
        if (done) done(outcome(code));
    }
};

CvSNMPRequest::CvSNMPRequest()
    : Settings(CvSNMPSession::Defaults()), impl_(std::make_unique<Impl>(this)) {}

CvSNMPRequest::~CvSNMPRequest() = default;

CvSNMPError CvSNMPRequest::Get() {
    return underAction(wait(), [this] { return getNow(); });
}

long long CvSNMPRequest::wait() const {
    return static_cast<long long>(Settings.timeout) * (std::max(0, Retries) + 1);
}

CvSNMPError CvSNMPRequest::getNow() {
    Transport& transport = Transport::instance();
    int code = 0, tryMs = 0;
    if (VarList.IsTable()) {
        Walk walk = impl_->startWalk();
        if (walk.items.empty()) {
            // Nothing to read is an empty table, not the table of the last read.
            VarList.Rows().clear();
            return outcome(0);
        }
        Channel* channel = impl_->channel(false, tryMs, code);
        if (!channel) return outcome(code);
        Step step = Step::More;
        while (step == Step::More) {
            // Each row is a request of its own, with a whole time-out.
            const Answer answer =
                transport.exchange(channel, Command::GetNext, walk.next(),
                                   std::exchange(tryMs, impl_->timeoutMs()), Retries);
            step = impl_->takeRow(walk, answer, code);
        }
        if (!code) VarList.Rows() = std::move(walk.rows);
        return outcome(code);
    }
    const Plan plan = impl_->getPlan();
    if (plan.items.empty()) return outcome(0);
    Channel* channel = impl_->channel(false, tryMs, code);
    if (!channel) return outcome(code);
    const Answer answer = transport.exchange(channel, Command::Get, plan.bindings, tryMs, Retries);
    return outcome(impl_->takeGet(plan, answer));
}

CvSNMPError CvSNMPRequest::Set(const std::string& instance, const std::vector<int>& leftOut) {
    // A value that does not convert is the user's to mend, silent device or not.
    const Plan plan = impl_->setPlan(instance, leftOut);
    return underAction(wait(), [this, &plan] {
        int code = 0, tryMs = 0;
        Channel* channel = impl_->channel(true, tryMs, code);
        if (!channel) return outcome(code);
        const Answer answer =
            Transport::instance().exchange(channel, Command::Set, plan.bindings, tryMs, Retries);
        return outcome(answer.code);
    });
}

bool CvSNMPRequest::GetAsync(Completion done) {
    Impl& impl = *impl_;
    try {
        if (VarList.IsTable()) {
            auto walk = std::make_shared<Walk>(impl.startWalk());
            if (walk->items.empty()) {
                VarList.Rows().clear();
                impl.failLater(done, 0);
                return true;
            }
            return impl.walkStep(walk, std::move(done));
        }
        auto plan = std::make_shared<Plan>(impl.getPlan());
        if (plan->items.empty()) {
            impl.failLater(done, 0);
            return true;
        }
        return impl.sendAsync(false, Command::Get, plan->bindings, done,
                              [&impl, plan, done](const Answer& answer) {
                                  --impl.outstanding;
                                  const int code = impl.takeGet(*plan, answer);
                                  if (done) done(outcome(code));
                              });
    } catch (const CvSNMPException& e) {
        impl.failLater(done, e.code());
        return false;
    }
}

bool CvSNMPRequest::SetAsync(Completion done, const std::string& instance,
                             const std::vector<int>& leftOut) {
    Impl& impl = *impl_;
    try {
        const Plan plan = impl.setPlan(instance, leftOut);
        return impl.sendAsync(true, Command::Set, plan.bindings, done,
                              [&impl, done](const Answer& answer) {
                                  --impl.outstanding;
                                  if (done) done(outcome(answer.code));
                              });
    } catch (const CvSNMPException& e) {
        impl.failLater(done, e.code());
        return false;
    }
}

bool CvSNMPRequest::Busy() const {
    return impl_->outstanding > 0;
}

void CvSNMPRequest::Cancel() {
    ++*impl_->generation;
    impl_->outstanding = 0;
}
