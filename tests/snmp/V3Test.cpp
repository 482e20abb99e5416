#include <QDir>
#include <QLoggingCategory>
#include <QTimer>

#include "library/snmp/SnmpTransport.h"
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
    const QFileInfoList fds = QDir("/proc/self/fd").entryInfoList(QDir::System);
    return std::count_if(fds.begin(), fds.end(), [](const QFileInfo& fd) {
        return fd.symLinkTarget().contains("socket:[");
    });
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

TEST_F(SnmpTest, V3_UsmFailures_AreTranslated) {
    const struct {
        const char* what;
        User user;
        std::string CvSNMPSettings::*field;
        const char* value;
        int code;
    } cases[] = {
        {"wrong auth password", users[5], &CvSNMPSettings::authPassword, "wrongpass99", -306},
        {"unknown user", users[1], &CvSNMPSettings::securityName, "nobody", -304},
        {"noauth asking for authPriv", {"noauth", 3, 2, 2}, nullptr, "", -302},
        // The agent drops what it cannot decrypt: only the time-out tells.
        {"wrong privacy password", users[5], &CvSNMPSettings::privPassword, "wrongpriv99", -405},
        {"empty privacy password", users[6], &CvSNMPSettings::privPassword, "", -311},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CvSNMPRequest request;
        request.VarList = systemName();
        useUser(request.Settings, c.user);
        if (c.field) request.Settings.*c.field = c.value;
        request.Settings.timeout = 50;
        request.Retries = 0;
        CvSNMPError result{1, ""};
        const int thrown = thrownCode([&] { result = request.Get(); });
        EXPECT_EQ(thrown ? thrown : result.Code, c.code);
    }
}

TEST_F(SnmpTest, V3_RightAndWrongPasswordsOutstandingTogether_EachGetTheirOwnOutcome) {
    CvSNMPRequest requests[20];
    Outcome outcomes[20];
    for (int i = 0; i < 20; ++i) {
        useUser(requests[i].Settings, users[6]);
        if (i % 2) requests[i].Settings.authPassword = "wrongpass99";
        requests[i].VarList = systemName();
        ASSERT_TRUE(requests[i].GetAsync(outcomes[i].record()));
    }
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(waitFor(outcomes[i].done));
        EXPECT_EQ(outcomes[i].error.Code, i % 2 ? -306 : 0) << "request " << i;
    }
}

TEST_F(SnmpTest, V3_RequestsOutstandingWhenTheAgentReturnsWithANewEngine_AllSucceedInTheirTime) {
    for (const int channels : {1, 2}) {
        SCOPED_TRACE(std::to_string(channels) + " channels");
        std::vector<CvSNMPRequest> requests(10);
        for (int i = 0; i < 10; ++i) {
            useUser(requests[i].Settings, users[6]);
            requests[i].VarList = systemName();
            // Tries of 1 s to 1.9 s, four or five of them: the requests reach the restarted agent
            // one after another, most of them after the first has found its new engine.
            requests[i].Settings.timeout = 100 + 10 * i;
            requests[i].Retries = 3 + i % channels;  // a channel per retry count
        }
        ASSERT_EQ(requests[0].Get().Code, 0) << "the engine known before";
        sim().knob("silence on");
        std::vector<Outcome> outcomes(10);
        for (int i = 0; i < 10; ++i)
            ASSERT_TRUE(requests[i].GetAsync(outcomes[i].record()));
        restartSim();
        ASSERT_TRUE(VraSim::waitUntil([&] { return std::ranges::all_of(outcomes, &Outcome::done); },
                                      30000));
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(outcomes[i].error.Code, 0) << "request " << i << ": "
                                                 << outcomes[i].error.Message;
    }
}

TEST_F(SnmpTest, V3_AgentStartedAgainWithANewEngine_IsDiscoveredAgainInEachRequestsOwnTime) {
    CvSNMPRequest brief, patient, plain;  // two users and a community, one agent
    CvSNMPRequest* requests[] = {&brief, &patient};
    for (int i = 0; i < 2; ++i) {  // 1 s in one try; 1.5 s in each of four
        useUser(requests[i]->Settings, users[3 + 3 * i]);
        requests[i]->Settings.timeout = 100 + 50 * i;
        requests[i]->Retries = 3 * i;
        requests[i]->VarList = plain.VarList = systemName();
    }
    // Every answer 800 ms late: a discovery takes most of the brief request's time. Its answer
    // comes in while the brief request waits for it; the same request, synchronous now and
    // discovering for itself, then holds the window past the waiting one's deadline.
    sim().knob("lag 800");
    Outcome late;
    ASSERT_TRUE(brief.GetAsync(late.record()));
    ASSERT_EQ(plain.Get().Code, 0);
    QCoreApplication::processEvents();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(brief.Get().Code, -405);
    EXPECT_LT(msSince(start), 1000 + 450) << "the synchronous request ends by its own deadline";
    ASSERT_TRUE(waitFor(late.done));
    EXPECT_EQ(late.error.Code, -405);
    ASSERT_EQ(plain.Get().Code, 0);  // read after anything sent before it
    EXPECT_EQ(sim().gets().size(), 3u) << "the request whose deadline had passed went out";
    int discoveries = transport().discoveryCount();
    restartSim();
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(brief.Get().Code, 0);
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(transport().discoveryCount(), ++discoveries);
    // The brief request learns of the new engine too late to discover it, the patient one can.
    // The one sent first starts the discovery in its own time; the other, sent 100 ms later, joins
    // it; sent once the patient one's discovery has begun, the brief one gets what it leaves.
    for (const int run : {0, 1, 2}) {
        const int first = std::min(run, 1);
        SCOPED_TRACE(run);
        restartSim();
        sim().knob("lag 800");
        Outcome outcomes[2];
        auto send = [&](int i) { EXPECT_TRUE(requests[i]->GetAsync(outcomes[i].record())); };
        send(first);
        ASSERT_TRUE(
            run < 2 ||
            VraSim::waitUntil([&] { return transport().discoveryCount() > discoveries; }, 5000));
        QTimer::singleShot(run == 2 ? 0 : 100, [&] { send(1 - first); });
        ASSERT_TRUE(VraSim::waitUntil([&] { return outcomes[0].done && outcomes[1].done; }, 10000));
        EXPECT_EQ(outcomes[0].error.Code, -405);
        EXPECT_LT(outcomes[0].tookMs, 1000 + 450) << "the brief request ends by its own deadline";
        EXPECT_EQ(outcomes[1].error.Code, 0) << outcomes[1].error.Message;
        EXPECT_LT(outcomes[1].tookMs, 6000);
        discoveries += first ? 1 : 2;
        EXPECT_EQ(transport().discoveryCount(), discoveries) << "the joined one's alone";
    }
    sim().knob("lag 0");
    EXPECT_EQ(brief.Get().Code, 0);
    EXPECT_EQ(transport().discoveryCount(), discoveries) << "the request after needs none";
}

TEST(V3Reports, AgentThatKeepsReportingItsEngineUnknown_FailsWithTheUsmCodeNotATimeOut) {
    // usmStatsUnknownEngineIDs, then usmStatsNotInTimeWindows from the engine the request names.
    for (const int counter : {4, 2}) {
        FakeAgent agent({1, 3, 6, 1, 2, 1, 1, 5, 0}, FakeAgent::tlv(0x02, "\1"), counter);
        CvSNMPRequest request;
        useUser(request.Settings, users[6]);
        request.Settings.port = agent.port();
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
    CvSNMPRequest requests[50];
    int done = 0;
    for (int i = 0; i < 50; ++i) {
        requests[i].Settings.readCommunity = "community-" + std::to_string(i);
        requests[i].Retries = 0;
        requests[i].VarList = systemName();
        ASSERT_TRUE(requests[i].GetAsync([&done](const CvSNMPError&) { ++done; }));
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
    testing::internal::CaptureStderr();
    snmp_log(LOG_WARNING, "Authentication failed for %s\n", "md5user");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules("");
    EXPECT_TRUE(traced.contains("net-snmp: Authentication failed for md5user"));
}
