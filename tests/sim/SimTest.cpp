// vra-sim against net-snmp's command-line tools, curl and in.tftpd.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/sim/Tools.h"
#include "tests/support/VraSim.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string sysDescr = "1.3.6.1.2.1.1.1.0";
const std::string sysName = "1.3.6.1.2.1.1.5.0";
const std::string sysLocation = "1.3.6.1.2.1.1.6.0";
const std::string firmware = E + ".5.1.1.0";
const std::string apply = E + ".4.2.3.0";
const std::string restart = E + ".4.2.1.0";
const std::string upgradeCommand = E + ".4.3.2.5.0";
const std::string wepMethods = E + ".2.1.3.3.2.2.1.2";
const std::string aclEntry = E + ".2.1.3.3.2.3.3.1";

// -On: numeric OIDs; -Oe: numbers for enumerations; -Ot: raw time ticks; -t 5 -r 0: one try,
// so that a slow answer is never a second request.
std::string tool(const std::string& name, const VraSim& sim, const std::string& credentials) {
    return name + " -On -Oe -Ot -t 5 -r 0 " + credentials + " " + sim.peer() + " ";
}

std::string get(const VraSim& sim, const std::string& oid, const std::string& credentials = v2c()) {
    CommandResult r = run(tool("snmpget", sim, credentials) + "-Oqv " + oid);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    while (!r.output.empty() && r.output.back() == '\n') r.output.pop_back();
    return r.output;
}

// One short try, for reads that are meant to time out.
CommandResult quickGet(const VraSim& sim, const std::string& oid,
                       const std::string& credentials = v2c()) {
    return run("snmpget -t 0.3 -r 0 " + credentials + " " + sim.peer() + " " + oid);
}

struct Credentials {
    std::string label;
    std::string options;
};

class SimVersions : public ::testing::TestWithParam<Credentials> {};

TEST_P(SimVersions, ReadsSystemGroupAndEnterpriseScalar) {
    VraSim sim;
    CommandResult r =
        run(tool("snmpget", sim, GetParam().options) + sysDescr + " " + sysName + " " + firmware);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find(".1.3.6.1.2.1.1.1.0 = STRING: \"VRA-2260 Wireless Access Point\""),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find(".1.3.6.1.2.1.1.5.0 = STRING: \"VRA-2260\""), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("." + firmware + " = STRING: \"1.00\""), std::string::npos) << r.output;
}

INSTANTIATE_TEST_SUITE_P(
    EveryVersionAndSecurityLevel, SimVersions,
    ::testing::Values(
        Credentials{"v1", "-v1 -c public"}, Credentials{"v2c", "-v2c -c public"},
        Credentials{"noauth", "-v3 -u noauth -l noAuthNoPriv"},
        Credentials{"md5", "-v3 -u md5user -l authNoPriv -a MD5 -A authpass123"},
        Credentials{"sha", "-v3 -u shauser -l authNoPriv -a SHA -A authpass123"},
        Credentials{"md5des",
                    "-v3 -u md5des -l authPriv -a MD5 -A authpass123 -x DES -X privpass123"},
        Credentials{"md5aes",
                    "-v3 -u md5aes -l authPriv -a MD5 -A authpass123 -x AES -X privpass123"},
        Credentials{"shades",
                    "-v3 -u shades -l authPriv -a SHA -A authpass123 -x DES -X privpass123"},
        Credentials{"shaaes",
                    "-v3 -u shaaes -l authPriv -a SHA -A authpass123 -x AES -X privpass123"}),
    [](const auto& info) { return info.param.label; });

TEST(Sim, WrongCredentialsGetNoData) {
    VraSim sim;
    CommandResult auth =
        quickGet(sim, sysName, "-v3 -u md5user -l authNoPriv -a MD5 -A wrongpass123");
    EXPECT_NE(auth.exitCode, 0);
    EXPECT_NE(auth.output.find("Authentication failure"), std::string::npos) << auth.output;
    CommandResult privacy = quickGet(
        sim, sysName, "-v3 -u shaaes -l authPriv -a SHA -A authpass123 -x AES -X wrong12345");
    EXPECT_NE(privacy.exitCode, 0) << privacy.output;
    CommandResult community = quickGet(sim, sysName, v2c("nobody"));
    EXPECT_NE(community.exitCode, 0);
    EXPECT_NE(community.output.find("Timeout"), std::string::npos) << community.output;
}

TEST(Sim, TableWalkReturnsRowsInOrderWithIndexSuffixes) {
    VraSim sim;
    CommandResult r = run(tool("snmpwalk", sim, v2c()) + wepMethods);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "." + wepMethods + ".1.1 = INTEGER: 2\n." + wepMethods +
                            ".1.2 = INTEGER: 1\n." + wepMethods + ".1.3 = INTEGER: 2\n." +
                            wepMethods + ".1.4 = INTEGER: 1\n");
    // The index column is not served, so a walk of the entry starts at the MAC column.
    CommandResult acl = run(tool("snmpwalk", sim, v2c()) + aclEntry);
    ASSERT_EQ(acl.exitCode, 0) << acl.output;
    EXPECT_EQ(acl.output.rfind("." + aclEntry + ".2.1 = Hex-STRING: 00 AA BB CC DD EE", 0), 0u)
        << acl.output;
    EXPECT_EQ(acl.output.find(aclEntry + ".1."), std::string::npos) << acl.output;
}

TEST(Sim, JournalHoldsEachSetAsOneRecordInPduOrderAndEveryRead) {
    VraSim sim;
    CommandResult r = snmpset(sim, sysLocation + " s Office " + sysName + " s ap-7");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    auto sets = sim.sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].version, "2c");
    EXPECT_EQ(sets[0].community, "private");
    EXPECT_EQ(sets[0].errorStatus, 0);
    std::vector<std::string> vbs;
    for (const SimVarBind& vb : sets[0].vbs) vbs.push_back(vb.oid + " " + vb.type + " " + vb.value);
    EXPECT_EQ(vbs, (std::vector<std::string>{sysLocation + " s Office", sysName + " s ap-7"}));
    EXPECT_EQ(sim.value(sysName), "ap-7");
    EXPECT_TRUE(sim.gets().empty()) << "a SET is not a read";

    get(sim, sysName);
    run(tool("snmpwalk", sim, v2c()) + wepMethods);
    auto gets = sim.gets();
    ASSERT_EQ(gets.size(), 6u) << "one get and five get-next requests";
    EXPECT_EQ(gets[0].vbs.at(0).oid, sysName);
    EXPECT_EQ(gets[1].vbs.at(0).oid, wepMethods);
    EXPECT_EQ(gets[2].vbs.at(0).oid, wepMethods + ".1.1");
    EXPECT_EQ(sim.sets().size(), 1u) << "a read is not a SET";
}

TEST(Sim, StartsWithoutLibraryWarningsAndEndsCleanlyOnSigterm) {
    char pattern[] = "/tmp/vra-term-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    CommandResult r = run("cd " + dir + " && " + VraSim::programPath() + " --dir " + dir +
                          " --port 0 2>&1 & pid=$!; for i in $(seq 200); do [ -e " + dir +
                          "/ready ] && break; sleep 0.02; done; kill -TERM $pid; wait $pid; "
                          "echo exit=$?; ls " +
                          dir);
    EXPECT_NE(r.output.find("exit=0"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("control.sock"), std::string::npos) << "the socket is removed";
    EXPECT_EQ(r.output.find("Warning"), std::string::npos) << r.output;
    std::filesystem::remove_all(dir);
}

TEST(Sim, RefusedSetsChangeNothingAndAreJournalled) {
    VraSim sim;
    const struct {
        std::string assignments, credentials, error;
        int status;
    } cases[] = {
        {sysName + " s changed " + sysDescr + " s nope", v2c("private"), "notWritable", 17},
        {sysName + " i 5", v2c("private"), "wrongType", 7},
        {upgradeCommand + " i 5", v2c("private"), "wrongValue", 10},
        {sysName + " s x", v2c("public"), "noAccess", 6},
        {sysDescr + " s x", "-v1 -c private", "noSuchName", 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        sim.clearJournal();
        CommandResult r = snmpset(sim, c.assignments, c.credentials);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.output.find(c.error), std::string::npos) << r.output;
        EXPECT_EQ(sim.value(sysName), "VRA-2260") << "a refused request must store nothing";
        auto sets = sim.sets();
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_EQ(sets[0].errorStatus, c.status);
        EXPECT_EQ(sets[0].errorIndex, c.error == "notWritable" ? 2 : 1) << "the refused variable";
    }
}

TEST(Sim, FailAndDelayKnobsShapeTheAnswer) {
    VraSim sim;
    sim.knob("fail " + sysName + " resourceUnavailable set 1");
    CommandResult failed = snmpset(sim, sysName + " s x");
    EXPECT_NE(failed.output.find("resourceUnavailable"), std::string::npos) << failed.output;
    EXPECT_EQ(snmpset(sim, sysName + " s y").exitCode, 0) << "the knob was for one request only";

    sim.knob("delay 300 " + sysName + " get");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(get(sim, sysName), "\"y\"");
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_THROW(sim.knob("fail " + sysName + " noSuchStatus"), std::runtime_error);
}

TEST(Sim, ApplyThenRestartKeepsSettingRestartAloneDropsIt) {
    VraSim sim;
    ASSERT_EQ(snmpset(sim, sysName + " s kept").exitCode, 0);
    ASSERT_EQ(snmpset(sim, apply + " i 1").exitCode, 0);
    ASSERT_EQ(snmpset(sim, sysLocation + " s dropped").exitCode, 0);
    EXPECT_EQ(get(sim, sysLocation), "\"dropped\"") << "a stored value reads back before restart";
    ASSERT_EQ(snmpset(sim, upgradeCommand + " i 4").exitCode, 0);
    EXPECT_EQ(get(sim, sysName), "\"kept\"");
    EXPECT_EQ(get(sim, sysLocation), "\"Lab\"");
    EXPECT_EQ(sim.events("apply").size(), 1u);
    ASSERT_EQ(sim.events("restart").size(), 1u);

    ASSERT_EQ(snmpset(sim, sysName + " s again").exitCode, 0);
    ASSERT_EQ(snmpset(sim, restart + " i 1").exitCode, 0);
    EXPECT_EQ(get(sim, sysName), "\"kept\"");
    EXPECT_EQ(sim.events("restart").size(), 2u);
    long long upTime = std::stoll(get(sim, "1.3.6.1.2.1.1.3.0"));
    EXPECT_LT(upTime, 500) << "uptime counts from the restart";
}

TEST(Sim, DelayedSetDoesNotHoldUpOtherRequests) {
    VraSim sim;
    sim.knob("delay 1500 " + sysName + " set");
    FILE* slowSet =
        popen(("snmpset -t 5 -r 0 -v2c -c private " + sim.peer() + " " + sysName + " s late 2>&1")
                  .c_str(),
              "r");
    ASSERT_NE(slowSet, nullptr);
    ASSERT_TRUE(VraSim::waitUntil([&] { return !sim.sets().empty(); }, 3000));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(get(sim, firmware), "\"1.00\"");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    std::string output;
    char buffer[512];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, slowSet)) > 0;) output.append(buffer, n);
    EXPECT_EQ(pclose(slowSet), 0) << output;
    EXPECT_EQ(sim.value(sysName), "late");
}

TEST(Sim, RestartKnobs_DowntimeSilencesTheDeviceAndAnUnansweredRestartStillActs) {
    VraSim sim;
    sim.knob("restart-answer off");
    CommandResult r =
        run("snmpset -t 0.3 -r 0 " + v2c("private") + " " + sim.peer() + " " + restart + " i 1");
    EXPECT_NE(r.output.find("Timeout"), std::string::npos) << r.output;
    EXPECT_EQ(sim.events("restart").size(), 1u);
    ASSERT_EQ(sim.sets().size(), 1u);
    EXPECT_EQ(sim.sets()[0].errorStatus, -1);

    sim.knob("restart-answer on");
    sim.knob("downtime 800");
    ASSERT_EQ(snmpset(sim, restart + " i 1").exitCode, 0);
    CommandResult down = quickGet(sim, sysName);
    EXPECT_NE(down.output.find("Timeout"), std::string::npos) << down.output;
    EXPECT_TRUE(VraSim::waitUntil([&] { return quickGet(sim, sysName).exitCode == 0; }, 5000));
}

TEST(Sim, MaskedKeysReadBackAsStarsAndStarsKeepTheKey) {
    VraSim sim;
    const std::string key = E + ".2.1.3.3.2.2.1.3.1.2";
    EXPECT_EQ(get(sim, key), "\"*****\"");
    ASSERT_EQ(snmpset(sim, key + " s '*****'").exitCode, 0);
    EXPECT_EQ(sim.value(key), "abcde");
    ASSERT_EQ(snmpset(sim, key + " s 12345").exitCode, 0);
    EXPECT_EQ(sim.value(key), "12345");
}

TEST(Sim, KnobsChangeValuesAndRowCounts) {
    VraSim sim;
    sim.knob("set " + sysName + " \"from the side\"");
    EXPECT_EQ(get(sim, sysName), "\"from the side\"");
    sim.knob("set " + sysName + " INT 7");
    EXPECT_EQ(get(sim, sysName), "7") << "a knob may serve a wrongly typed value";
    sim.knob("rows macAccessList 3");
    CommandResult r = run(tool("snmpwalk", sim, v2c()) + aclEntry + ".2");
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 3) << r.output;
    EXPECT_THROW(sim.knob("rows noSuchTable 3"), std::runtime_error);
    EXPECT_THROW(sim.knob("bogus"), std::runtime_error);
}

}  // namespace
