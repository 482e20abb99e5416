#include <chrono>

#include "library/snmp/SnmpTransport.h"
#include "library/snmp/UsmKeys.h"
#include "tests/snmp/SnmpFixture.h"

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

TEST_F(SnmpTest, V3_ManyRequests_ShareOneDiscoveryThatDoesNotBlockAndDeriveKeysOnce) {
    const int discoveries = snmpaccess::Transport::instance().discoveryCount();
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
    EXPECT_EQ(snmpaccess::Transport::instance().discoveryCount(), discoveries + 1);

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
    EXPECT_EQ(snmpaccess::Transport::instance().discoveryCount(), discoveries + 1);
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CvSNMPRequest request;
        request.VarList = systemName();
        useUser(request.Settings, users[c.user]);
        c.spoil(request.Settings);
        request.Settings.timeout = 50;
        request.Retries = 0;
        EXPECT_EQ(request.Get().Code, c.code);
    }
}

TEST(UsmReports, ReportCounters_MapToTheirCodes) {
    using snmpaccess::reportStatus;
    const std::vector<std::pair<std::vector<uint32_t>, int>> cases = {
        {{1, 3, 6, 1, 6, 3, 15, 1, 1, 1, 0}, -302}, {{1, 3, 6, 1, 6, 3, 15, 1, 1, 2, 0}, -303},
        {{1, 3, 6, 1, 6, 3, 15, 1, 1, 3, 0}, -304}, {{1, 3, 6, 1, 6, 3, 15, 1, 1, 4, 0}, -305},
        {{1, 3, 6, 1, 6, 3, 15, 1, 1, 5, 0}, -306}, {{1, 3, 6, 1, 6, 3, 15, 1, 1, 6, 0}, -307},
        {{1, 3, 6, 1, 6, 3, 11, 2, 1, 2, 0}, -203}, {{1, 3, 6, 1, 6, 3, 11, 2, 1, 1, 0}, -204},
        {{1, 3, 6, 1, 6, 3, 11, 2, 1, 3, 0}, -205}, {{1, 3, 6, 1, 6, 3, 12, 1, 4, 0}, -206},
        {{1, 3, 6, 1, 6, 3, 12, 1, 5, 0}, -207},    {{1, 3, 6, 1, 6, 3, 15, 1, 1, 7, 0}, -208},
        {{1, 3, 6, 1, 2, 1, 1, 1, 0}, -208},
    };
    for (const auto& [counter, code] : cases) EXPECT_EQ(reportStatus(counter), code) << code;
}

TEST_F(SnmpTest, V3_EmptyPassword_IsRefusedBeforeSending) {
    CvSNMPRequest request;
    useUser(request.Settings, users[6]);
    request.Settings.privPassword.clear();
    request.VarList = systemName();
    EXPECT_EQ(thrownCode([&] { request.Get(); }), -311);
    Outcome outcome;
    EXPECT_FALSE(request.GetAsync(outcome.record()));
    ASSERT_TRUE(waitFor(outcome.done));
    EXPECT_EQ(outcome.error.Code, -311);
    EXPECT_TRUE(sim().gets().empty());
}

TEST_F(SnmpTest, V3_SilentAgent_AsynchronousDiscoveryTimesOutWithoutBlockingAndIsRetried) {
    sim().knob("silence on");
    CvSNMPRequest request;
    useUser(request.Settings, users[6]);
    request.Settings.timeout = 30;
    request.Retries = 0;
    request.VarList = systemName();
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(request.GetAsync(outcome.record()));
    EXPECT_LT(msSince(start), 150) << "the call waited for the silent agent";
    ASSERT_TRUE(waitFor(outcome.done));
    EXPECT_EQ(outcome.error.Code, -405);

    sim().knob("silence off");
    request.Retries = 1;
    EXPECT_EQ(request.Get().Code, 0) << "a failed discovery is tried again";
}
