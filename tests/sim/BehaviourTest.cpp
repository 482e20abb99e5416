// The device's table behaviours: refresh triggers, add and delete objects, derived values.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/sim/Tools.h"
#include "tests/support/VraSim.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string surveyRefresh = E + ".2.1.3.3.1.3.1.1.1.1";
const std::string surveySsids = E + ".2.1.3.3.1.3.2.1.7";
const std::string aclAdd = E + ".2.1.3.3.2.3.2.1.2.1";
const std::string aclDelete = E + ".2.1.3.3.2.3.2.1.3.1";
const std::string aclMacs = E + ".2.1.3.3.2.3.3.1.2";
const std::string staticDelete = E + ".3.1.3.3.0";
const std::string staticNames = E + ".3.1.3.2.1.3";
const std::string portRefresh = E + ".3.6.3.1.0";
const std::string portUntagged = E + ".3.6.3.2.1.3";
const std::string setTime = E + ".4.8.7.0";
const std::string timeOfDay = E + ".4.8.4.0";

class Behaviour : public ::testing::Test {
  protected:
    CommandResult set(const std::string& assignments) { return snmpset(sim, assignments); }
    std::string walk(const std::string& oid) {
        CommandResult r =
            run("snmpwalk -On -Oqv -t 5 -r 0 -v2c -c public " + sim.peer() + " " + oid);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    VraSim sim{{"--knob", "scan 50"}};
};

TEST_F(Behaviour, SiteSurveyTableAppearsOnlyAfterTheRefresh) {
    EXPECT_EQ(walk(surveySsids).find("Office"), std::string::npos);
    CommandResult r = set(surveyRefresh + " i 1");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::string ssids = walk(surveySsids);
    EXPECT_EQ(std::count(ssids.begin(), ssids.end(), '\n'), 5) << ssids;
    EXPECT_EQ(ssids.rfind("\"Office\"\n\" lead\"\n", 0), 0u) << ssids;
}

TEST_F(Behaviour, AccessListAddsToFirstFreeRowAndRefusesDuplicatesAndZero) {
    ASSERT_EQ(set(aclAdd + " x 0A0000000001").exitCode, 0);
    EXPECT_EQ(sim.value(aclMacs + ".3"), "0A0000000001");
    CommandResult duplicate = set(aclAdd + " x 0A0000000001");
    EXPECT_NE(duplicate.output.find("inconsistentValue"), std::string::npos) << duplicate.output;
    CommandResult zero = set(aclAdd + " x 000000000000");
    EXPECT_NE(zero.output.find("wrongValue"), std::string::npos) << zero.output;

    ASSERT_EQ(set(aclDelete + " x 00AABBCCDDEE").exitCode, 0);
    EXPECT_EQ(sim.value(aclMacs + ".1"), "000000000000") << "freed in place";
    EXPECT_EQ(sim.value(aclMacs + ".2"), "001122334455");
    CommandResult absent = set(aclDelete + " x 00AABBCCDDEE");
    EXPECT_NE(absent.output.find("inconsistentValue"), std::string::npos) << absent.output;

    sim.knob("rows macAccessList 3");
    CommandResult full = set(aclAdd + " x 0A0000000002");
    ASSERT_EQ(full.exitCode, 0) << "row 1 was free: " << full.output;
    CommandResult noRoom = set(aclAdd + " x 0A0000000003");
    EXPECT_NE(noRoom.output.find("resourceUnavailable"), std::string::npos) << noRoom.output;
}

TEST_F(Behaviour, StaticPoolDeleteCompactsUnlessHolesKnob) {
    ASSERT_EQ(set(staticDelete + " i 1").exitCode, 0);
    EXPECT_EQ(sim.value(staticNames + ".1"), "nas");
    EXPECT_EQ(sim.value(staticNames + ".2"), "");
    CommandResult outside = set(staticDelete + " i 17");
    EXPECT_NE(outside.output.find("wrongValue"), std::string::npos) << outside.output;

    sim.knob("holes on");
    ASSERT_EQ(set(staticNames + ".2 s extra").exitCode, 0);
    ASSERT_EQ(set(staticDelete + " i 1").exitCode, 0);
    EXPECT_EQ(sim.value(staticNames + ".1"), "");
    EXPECT_EQ(sim.value(staticNames + ".2"), "extra");
}

TEST_F(Behaviour, PortListRefreshListsUntaggedVlansPerPort) {
    EXPECT_EQ(walk(portUntagged).find('"'), std::string::npos) << "empty before the refresh";
    ASSERT_EQ(set(portRefresh + " i 1").exitCode, 0);
    std::string untagged = walk(portUntagged);
    EXPECT_EQ(std::count(untagged.begin(), untagged.end(), '\n'), 10) << untagged;
    EXPECT_EQ(untagged.rfind("\"1,10\"\n\"1\"\n\"1,10\"\n", 0), 0u) << untagged;
    EXPECT_EQ(sim.value(E + ".3.6.3.2.1.2.2"), "10") << "LAN is tagged in VLAN 10";
}

TEST_F(Behaviour, ManualTimeMovesTheClockAndRefusesImpossibleDates) {
    CommandResult impossible = set(setTime + " s \"02/30/2020 10:00:00\"");
    EXPECT_NE(impossible.output.find("wrongValue"), std::string::npos) << impossible.output;
    ASSERT_EQ(set(setTime + " s \"03/04/2021 05:06:07\"").exitCode, 0);
    EXPECT_EQ(sim.value(timeOfDay).rfind("03/04/2021 05:0", 0), 0u) << sim.value(timeOfDay);
}

TEST_F(Behaviour, FactoryDefaultRestoresSettingsAndTables) {
    ASSERT_EQ(set("1.3.6.1.2.1.1.5.0 s changed " + E + ".4.2.3.0 i 1").exitCode, 0);
    ASSERT_EQ(set(staticDelete + " i 1").exitCode, 0);
    ASSERT_EQ(set(E + ".4.2.2.0 i 1").exitCode, 0);
    EXPECT_EQ(sim.value("1.3.6.1.2.1.1.5.0"), "VRA-2260");
    EXPECT_EQ(sim.value(staticNames + ".1"), "printer");
    EXPECT_EQ(sim.events("factory-default").size(), 1u);
}

TEST(Profiles, EveryProfileLoadsOverTheBaseData) {
    int loaded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VRA_SIM_PROFILES)) {
        if (entry.path().extension() != ".dat") continue;
        std::string name = entry.path().stem().string();
        VraSim sim;
        EXPECT_NO_THROW(sim.knob("profile " + name)) << name;
        ++loaded;
    }
    EXPECT_GT(loaded, 30);
}

TEST(Profiles, ProfileOnTheCommandLineChangesValues) {
    VraSim sim({"--profile", "band5", "--profile", "no-priority"});
    EXPECT_EQ(sim.value("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.34.1"), "1");
    EXPECT_EQ(sim.value("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.4.1"),
              "36 40 44 48 149 153 157 161 165");
    CommandResult hidden = run("snmpget -t 5 -r 0 -v2c -c public " + sim.peer() +
                               " 1.3.6.1.4.1.32473.10.37.38.3.3.1.1.2.1");
    EXPECT_NE(hidden.output.find("No Such"), std::string::npos) << hidden.output;
    EXPECT_THROW(VraSim({"--profile", "../vra2260"}), std::runtime_error);
}

const std::string rogueTypes = E + ".3.4.4.4.1.11";

TEST_F(Behaviour, RogueSurveyKeepsTypesAndClassifiesNewAccessPoints) {
    ASSERT_EQ(set(E + ".3.4.4.1.0 i 1").exitCode, 0);
    EXPECT_EQ(walk(rogueTypes), "1\n2\n3\n4\n1\n2\n");
    ASSERT_EQ(set(E + ".3.4.4.7.0 i 2").exitCode, 0) << "row 2 becomes rogue";
    CommandResult outside = set(E + ".3.4.4.5.0 i 9");
    EXPECT_NE(outside.output.find("wrongValue"), std::string::npos) << outside.output;
    sim.knob("live rogueSurvey 7 3=6 5=0011223344C7 8=2 9=\"New-AP\"");
    ASSERT_EQ(set(E + ".3.4.4.1.0 i 1").exitCode, 0);
    EXPECT_EQ(walk(rogueTypes), "1\n4\n3\n4\n1\n2\n2\n")
        << "row 2 stays rogue; the new one is valid while AllNewNodesAsValid is 1";
}

TEST_F(Behaviour, PvidAutoAssignTakesTheFirstUntaggedVlan) {
    ASSERT_EQ(set(E + ".3.6.1.3.1.4.1 i 0").exitCode, 0) << "Mgmt leaves VLAN 1";
    ASSERT_EQ(set(E + ".3.6.2.1.0 i 1").exitCode, 0);
    EXPECT_EQ(sim.value(E + ".3.6.2.2.1.2.1"), "10") << "Mgmt is untagged in VLAN 10";
    EXPECT_EQ(sim.value(E + ".3.6.2.2.1.3.1"), "1") << "LAN is untagged in VLAN 1";
}

TEST_F(Behaviour, CurrentStaticListHoldsEnabledEntriesWithAConnectedStation) {
    ASSERT_EQ(set(staticNames + ".3 s tablet " + E + ".3.1.3.2.1.4.3 a 192.168.0.30 " + E +
                  ".3.1.3.2.1.5.3 x A0B1C2D3E4F5")
                  .exitCode,
              0);
    ASSERT_EQ(set(E + ".3.1.4.3.0 i 1").exitCode, 0);
    EXPECT_EQ(walk(E + ".3.1.4.4.1.2"),
              "\"printer\"\n\"tablet\"\n\"\"\n\"\"\n\"\"\n\"\"\n\"\"\n\"\"\n");
}

TEST_F(Behaviour, LogLevelsAndParserProfileShapeTheLog) {
    ASSERT_EQ(set(E + ".5.4.2.0 i 0").exitCode, 0);
    EXPECT_EQ(sim.knob("log add t|x[WLAN]dropped"), "level disabled");
    EXPECT_EQ(sim.knob("log add t|x[SYS]kept \"quoted\" # not a comment"), "");
    sim.knob("profile log-parse");
    TftpServer server;
    sim.knob("tftp port=" + std::to_string(server.port()));
    ASSERT_EQ(set(E + ".5.4.4.0 a 127.0.0.1 " + E + ".5.4.5.0 s LogFile.RD " + E + ".5.4.6.0 i 1")
                  .exitCode,
              0);
    EXPECT_EQ(readFile(server.dir() + "/LogFile.RD"),
              "t1|x[SYS]hello\nno delimiters here\nt|x SYS] m\nt|x [WLAN no close\n"
              "t|x[SYS] leading blank\n\nt2|x[NOTICE]caf\xe9\n");
}

TEST_F(Behaviour, CountersKnobServesCounter32) {
    sim.knob("counters counter32");
    CommandResult r =
        run("snmpget -On -v2c -c public " + sim.peer() + " " + E + ".5.2.1.1.1.1.1.1");
    EXPECT_NE(r.output.find("Counter32: 152340"), std::string::npos) << r.output;
}

TEST_F(Behaviour, AckTimeoutBelow64IsRefusedOnlyOnThe24GHzBand) {
    const std::string ack = E + ".2.1.3.3.1.1.1.31.1";
    CommandResult refused = set(ack + " i 63");
    EXPECT_NE(refused.output.find("wrongValue"), std::string::npos) << refused.output;
    EXPECT_EQ(set(ack + " i 64").exitCode, 0);
    sim.knob("set " + E + ".2.1.3.3.1.1.1.34.1 1");
    EXPECT_EQ(set(ack + " i 50").exitCode, 0) << "the 5 GHz band takes 50";
}

TEST(DataFile, BrokenDataFileStopsTheStartWithItsLine) {
    char pattern[] = "/tmp/vra-data-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    writeFile(dir + "/vra2260.dat", "# fine\nscalar x 1.3.6.1.4.1.1.0 INT RW notanumber\n");
    try {
        VraSim sim({"--data", dir});
        ADD_FAILURE() << "a broken data file must stop the start";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("vra2260.dat:2: bad value"), std::string::npos)
            << e.what();
    }
    writeFile(dir + "/vra2260.dat", "scalar x 1.3.6.1.4.1.1.0 STR RW \"unterminated\n");
    EXPECT_THROW(VraSim({"--data", dir}), std::runtime_error);
    std::filesystem::remove_all(dir);
}

}  // namespace
