#include <dirent.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <chrono>
#include <cstdio>

#include "library/snmp/SnmpTransport.h"
#include "library/snmp/UsmKeys.h"
#include "tests/snmp/FakeAgent.h"
#include "tests/snmp/SnmpFixture.h"

// net-snmp last: its macros must not reach the Qt headers above.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {

struct User {
    const char* name;
    int level, auth, priv;
};

const User users[] = {
    {"noauth", 1, 1, 1},  {"md5user", 2, 2, 1}, {"shauser", 2, 3, 1}, {"md5des", 3, 2, 2},
    {"md5aes", 3, 2, 19}, {"shades", 3, 3, 2},  {"shaaes", 3, 3, 19},
};

void useUser(CvSNMPSettings& s, const User& user) {
    s.version = 3;
    s.securityModel = 3;
    s.securityName = user.name;
    s.securityLevel = user.level;
    s.authProtocol = user.auth;
    s.privProtocol = user.priv;
    s.authPassword = user.level >= 2 ? "authpass123" : "";
    s.privPassword = user.level == 3 ? "privpass123" : "";
}

snmpaccess::Transport& transport() {
    return snmpaccess::Transport::instance();
}

// Sockets this process has open.
int openSockets() {
    int count = 0;
    DIR* fds = opendir("/proc/self/fd");
    while (dirent* entry = fds ? readdir(fds) : nullptr) {
        char target[64] = {};
        const std::string path = std::string("/proc/self/fd/") + entry->d_name;
        if (readlink(path.c_str(), target, sizeof target - 1) > 0 &&
            std::string(target).rfind("socket:", 0) == 0)
            ++count;
    }
    if (fds) closedir(fds);
    return count;
}

}  // namespace

TEST_F(SnmpTest, V3_EveryAuthAndPrivCombination_GetsAndSets) {
    for (const User& user : users) {
        CvSNMPRequest request;
        useUser(request.Settings, user);
        request.VarList = systemName();
        CvSNMPError result = request.Get();
        ASSERT_EQ(result.Code, 0) << user.name << ": " << result.Message;
        EXPECT_EQ(request.VarList.Values()[0], sim().value("1.3.6.1.2.1.1.5.0")) << user.name;
        if (user.level == 1) continue;  // the unauthenticated user reads only
        request.VarList.Values()[0] = std::string("name-") + user.name;
        result = request.Set();
        ASSERT_EQ(result.Code, 0) << user.name << ": " << result.Message;
        EXPECT_EQ(sim().value("1.3.6.1.2.1.1.5.0"), std::string("name-") + user.name);
        EXPECT_EQ(sim().sets().back().community, user.name);
    }
}

TEST_F(SnmpTest, V3_Discovery_NeverBlocksIsSharedAndKeysAreDerivedOnce) {
    const int discoveries = transport().discoveryCount();
    sim().knob("silence on");
    CvSNMPRequest silent;
    useUser(silent.Settings, users[6]);
    silent.Settings.timeout = 30;
    silent.Retries = 0;
    silent.VarList = systemName();
    Outcome outcome;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(silent.GetAsync(outcome.record()));
    EXPECT_LT(msSince(start), 150) << "the call waited for the silent agent";
    ASSERT_TRUE(waitFor(outcome.done));
    EXPECT_EQ(outcome.error.Code, -405);
    sim().knob("silence off");

    const std::string name = sim().value("1.3.6.1.2.1.1.5.0");
    std::vector<std::unique_ptr<CvSNMPRequest>> requests;
    int done = 0;
    for (int i = 0; i < 3; ++i) {
        auto request = std::make_unique<CvSNMPRequest>();
        useUser(request->Settings, users[3 + i]);
        request->VarList = systemName();
        CvSNMPRequest* raw = request.get();
        ASSERT_TRUE(request->GetAsync([&done, &name, raw, i](const CvSNMPError& e) {
            EXPECT_EQ(e.Code, 0) << users[3 + i].name << ": " << e.Message;
            EXPECT_EQ(raw->VarList.Values()[0], name);
            ++done;
        }));
        requests.push_back(std::move(request));
    }
    EXPECT_EQ(done, 0);
    ASSERT_TRUE(VraSim::waitUntil([&] { return done == 3; }, 5000));
    EXPECT_EQ(transport().discoveryCount(), discoveries + 1);

    const int fresh = usmkeys::derivationCount();
    for (int i = 0; i < 5; ++i) {
        CvSNMPRequest request;
        useUser(request.Settings, users[6]);
        request.Settings.authPassword = "derive-once-auth";
        request.Settings.privPassword = "derive-once-priv";
        request.VarList = systemName();
        // The agent does not know these passwords: what counts is what was computed.
        request.Get();
    }
    EXPECT_EQ(transport().discoveryCount(), discoveries + 1);
    EXPECT_EQ(usmkeys::derivationCount(), fresh + 2);
}

TEST_F(SnmpTest, V3_UsmFailures_AreTranslated) {
    const struct {
        const char* what;
        int user;
        std::function<void(CvSNMPSettings&)> spoil;
        int code;
    } cases[] = {
        {"wrong auth password", 5, [](CvSNMPSettings& s) { s.authPassword = "wrongpass99"; }, -306},
        {"unknown user", 1, [](CvSNMPSettings& s) { s.securityName = "nobody"; }, -304},
        {"noauth asking for authPriv", 0,
         [](CvSNMPSettings& s) {
             useUser(s, {"noauth", 3, 2, 2});
         },
         -302},
        // The agent drops what it cannot decrypt: only the time-out tells.
        {"wrong privacy password", 5, [](CvSNMPSettings& s) { s.privPassword = "wrongpriv99"; },
         -405},
        {"empty privacy password", 6, [](CvSNMPSettings& s) { s.privPassword.clear(); }, -311},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CvSNMPRequest request;
        request.VarList = systemName();
        useUser(request.Settings, users[c.user]);
        c.spoil(request.Settings);
        request.Settings.timeout = 50;
        request.Retries = 0;
        CvSNMPError result{1, ""};
        const int thrown = thrownCode([&] { result = request.Get(); });
        EXPECT_EQ(thrown ? thrown : result.Code, c.code);
    }
    Outcome refused;
    CvSNMPRequest empty;
    useUser(empty.Settings, users[6]);
    empty.Settings.authPassword.clear();
    empty.VarList = systemName();
    sim().clearJournal();
    EXPECT_FALSE(empty.GetAsync(refused.record()));
    ASSERT_TRUE(waitFor(refused.done));
    EXPECT_EQ(refused.error.Code, -311);
    EXPECT_TRUE(sim().gets().empty()) << "an empty password is refused before sending";
}

TEST_F(SnmpTest, V3_RightAndWrongPasswordsOutstandingTogether_EachGetTheirOwnOutcome) {
    std::vector<std::unique_ptr<CvSNMPRequest>> requests;
    std::vector<int> codes(20, 1);
    int done = 0;
    for (int i = 0; i < 20; ++i) {
        requests.push_back(std::make_unique<CvSNMPRequest>());
        CvSNMPRequest& request = *requests.back();
        useUser(request.Settings, users[6]);
        if (i % 2) request.Settings.authPassword = "wrongpass99";
        request.VarList = systemName();
        ASSERT_TRUE(request.GetAsync([&codes, &done, i](const CvSNMPError& e) {
            codes[i] = e.Code;
            ++done;
        }));
    }
    ASSERT_TRUE(VraSim::waitUntil([&] { return done == 20; }, 10000));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(codes[i], i % 2 ? -306 : 0) << "request " << i;
}

TEST_F(SnmpTest, V3_AgentStartedAgainWithANewEngine_IsDiscoveredAgainWithinOneTimeout) {
    CvSNMPRequest request;
    useUser(request.Settings, users[6]);
    request.VarList = systemName();
    request.Settings.timeout = 100;
    ASSERT_EQ(request.Get().Code, 0);
    const int discoveries = transport().discoveryCount();

    restartSim();
    auto start = std::chrono::steady_clock::now();
    CvSNMPError result = request.Get();
    EXPECT_EQ(result.Code, 0) << result.Message;
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(transport().discoveryCount(), discoveries + 1);

    restartSim();
    CvSNMPRequest other;
    useUser(other.Settings, users[3]);
    other.VarList = systemName();
    Outcome first, second;
    start = std::chrono::steady_clock::now();
    ASSERT_TRUE(request.GetAsync(first.record()));
    ASSERT_TRUE(other.GetAsync(second.record()));
    ASSERT_TRUE(VraSim::waitUntil([&] { return first.done && second.done; }, 5000));
    EXPECT_EQ(first.error.Code, 0) << first.error.Message;
    EXPECT_EQ(second.error.Code, 0) << second.error.Message;
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(transport().discoveryCount(), discoveries + 2) << "one discovery for both";

    EXPECT_EQ(request.Get().Code, 0);
    EXPECT_EQ(transport().discoveryCount(), discoveries + 2) << "the one after needs none";
}

TEST(V3Reports, AgentThatKeepsReportingItsEngineUnknown_FailsWithTheUsmCodeNotATimeOut) {
    CvSNMPSession::Start();
    // usmStatsUnknownEngineIDs, then usmStatsNotInTimeWindows from the engine the request names.
    for (const int counter : {4, 2}) {
        FakeAgent agent({1, 3, 6, 1, 2, 1, 1, 5, 0}, FakeAgent::tlv(0x02, "\1"), counter);
        CvSNMPRequest request;
        useUser(request.Settings, users[6]);
        request.Settings.port = agent.port();
        request.Settings.timeout = 100;
        request.VarList = systemName();
        Outcome outcome;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(request.GetAsync(outcome.record()));
        ASSERT_TRUE(VraSim::waitUntil([&] { return outcome.done; }, 5000));
        EXPECT_LT(msSince(start), 1000) << counter;
        EXPECT_EQ(outcome.error.Code, counter == 4 ? -305 : -303);
        // Discovery and request, twice; or discovery, request and net-snmp's own resends.
        EXPECT_EQ(agent.requests(), 4);
    }
}

TEST_F(SnmpTest, FiftyCommunitiesThenAMinuteIdle_LeaveNoChannelOpen) {
    setenv("VRA2260_TIME_SCALE", "0.01", 1);  // a minute is 600 ms, a time-out of 1 s is 10 ms
    const int before = openSockets();
    std::vector<std::unique_ptr<CvSNMPRequest>> requests;
    int done = 0;
    for (int i = 0; i < 50; ++i) {
        requests.push_back(std::make_unique<CvSNMPRequest>());
        requests.back()->Settings.readCommunity = "community-" + std::to_string(i);
        requests.back()->Retries = 0;
        requests.back()->VarList = systemName();
        ASSERT_TRUE(requests.back()->GetAsync([&done](const CvSNMPError&) { ++done; }));
    }
    EXPECT_EQ(openSockets(), before + 50);
    EXPECT_TRUE(VraSim::waitUntil([&] { return done == 50; }, 5000));
    EXPECT_TRUE(VraSim::waitUntil(
        [&] { return transport().openChannelCount() == 0 && openSockets() <= before; }, 5000));
    unsetenv("VRA2260_TIME_SCALE");
}

TEST(NetSnmpLog, GoesToTheTraceNotToStandardError) {
    CvSNMPSession::Start();
    static QStringList traced;
    QLoggingCategory::setFilterRules("vra.trace*=true");
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (QLatin1String(context.category) == QLatin1String("vra.trace")) traced << text;
        });
    std::fflush(stderr);
    const int saved = dup(2);
    FILE* captured = std::tmpfile();
    dup2(fileno(captured), 2);
    snmp_log(LOG_WARNING, "Authentication failed for %s\n", "md5user");
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules("");
    EXPECT_EQ(std::ftell(captured), 0L);
    std::fclose(captured);
    EXPECT_TRUE(traced.contains("net-snmp: Authentication failed for md5user"))
        << traced.join('|').toStdString();
}
