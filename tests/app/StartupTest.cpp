#include <gtest/gtest.h>

#include <map>

#include "app/Startup.h"

namespace {

SettingsLookup fileWith(std::map<std::string, std::string> keys) {
    return [keys](const std::string& key) -> std::optional<std::string> {
        auto found = keys.find(key);
        if (found == keys.end()) return std::nullopt;
        return found->second;
    };
}

CvSNMPSettings applied(const QStringList& arguments, std::map<std::string, std::string> keys = {}) {
    CvSNMPSettings settings;
    ApplyDeviceOptions(ParseSwitches(arguments), ParseSettings(fileWith(std::move(keys))),
                       settings);
    return settings;
}

TEST(StartupSwitches, Version1CommunitiesComeFromTheCommandLineAndEvery2cSpellingMeansVersion2) {
    const CvSNMPSettings s = applied({"/I10.0.0.7", "/Rreadme", "/Wwriteme", "/v1"});
    EXPECT_EQ(s.address, "10.0.0.7");
    EXPECT_EQ(s.readCommunity, "readme");
    EXPECT_EQ(s.writeCommunity, "writeme");
    EXPECT_EQ(s.version, 1);
    EXPECT_EQ(s.port, 161);
    EXPECT_EQ(s.securityModel, 1);
    for (const char* v : {"/v2", "/v2c", "/v2C", "/vV2C"})
        EXPECT_EQ(applied({"/I1.2.3.4", v}).version, 2) << v;
    EXPECT_EQ(applied({"/I1.2.3.4", "/v4"}).version, 1) << "an unknown version keeps the default";
    EXPECT_EQ(applied({"/I1.2.3.4", "/v"}).version, 1) << "an empty version keeps the default";
}

TEST(StartupSwitches, Version3CredentialsComeFromTheCommandLineAndOnlyForVersion3) {
    const CvSNMPSettings s =
        applied({"/I192.168.1.9", "/v3", "/t1161", "/cctx", "/d0x8000AB01", "/m1", "/l3",
                 "/nshaaes", "/ASHA", "/P19", "/aauthpass123", "/pprivpass123"});
    EXPECT_EQ(s.version, 3);
    EXPECT_EQ(s.port, 1161);
    EXPECT_EQ(s.contextName, "ctx");
    EXPECT_EQ(s.contextEngineId, std::string("\x80\x00\xAB\x01", 4));
    EXPECT_EQ(s.securityModel, 3) << "version 3 always uses the user-based model";
    EXPECT_EQ(s.securityLevel, 3);
    EXPECT_EQ(s.securityName, "shaaes");
    EXPECT_EQ(s.authProtocol, 3);
    EXPECT_EQ(s.privProtocol, 19);
    EXPECT_EQ(s.authPassword, "authpass123");
    EXPECT_EQ(s.privPassword, "privpass123");

    const CvSNMPSettings v2 = applied({"/I1.2.3.4", "/v2c", "/t1161", "/nuser", "/l3", "/aauth"});
    EXPECT_EQ(v2.port, 161) << "version 3 switches are ignored for other versions";
    EXPECT_EQ(v2.securityName, "");
    EXPECT_EQ(v2.securityLevel, 1);
    EXPECT_EQ(v2.authPassword, "");
}

TEST(StartupSwitches, SwitchesAreCaseSensitiveAndUnknownOnesIgnored) {
    const CvSNMPSettings s = applied({"/i9.9.9.9", "/I1.2.3.4", "/Xfoo", "plain", "/r", "/Rpub"});
    EXPECT_EQ(s.address, "1.2.3.4");
    EXPECT_EQ(s.readCommunity, "pub");
}

TEST(StartupSwitches, UnusableValuesCountAsNotGiven) {
    const CvSNMPSettings s =
        applied({"/I1.2.3.4", "/v3", "/t0", "/d0xABC", "/l4", "/A5", "/P3", "/m9"});
    EXPECT_EQ(s.port, 161);
    EXPECT_EQ(s.contextEngineId, "");
    EXPECT_EQ(s.securityLevel, 1);
    EXPECT_EQ(s.authProtocol, 1);
    EXPECT_EQ(s.privProtocol, 1);
    EXPECT_EQ(applied({"/v3", "/t65536"}).port, 161);
    EXPECT_EQ(applied({"/v3", "/t65535"}).port, 65535);
    EXPECT_EQ(applied({"/v3", "/t1"}).port, 1);
    EXPECT_EQ(applied({"/v3", "/PDES", "/Amd5"}).privProtocol, 2);
    EXPECT_EQ(applied({"/v3", "/PDES", "/Amd5"}).authProtocol, 2);
}

TEST(StartupSettingsFile, FillsWhatTheCommandLineDidNotGive) {
    const CvSNMPSettings s = applied({"/I10.1.1.1", "/v3", "/nclineuser", "/aclinepass"},
                                     {{"AgentPort", "1161"},
                                      {"Version", "1"},
                                      {"ContextName", "fctx"},
                                      {"ContextEngineID", "0102"},
                                      {"SecurityModel", "3"},
                                      {"SecurityLevel", "2"},
                                      {"SecurityName", "fileuser"},
                                      {"AuthProtocol", "2"},
                                      {"PrivProtocol", "2"},
                                      {"AuthPassword", "filepass"},
                                      {"PrivPassword", "filepriv"}});
    EXPECT_EQ(s.version, 3) << "the command line's version wins";
    EXPECT_EQ(s.securityName, "clineuser");
    EXPECT_EQ(s.authPassword, "clinepass");
    EXPECT_EQ(s.port, 1161);
    EXPECT_EQ(s.contextName, "fctx");
    EXPECT_EQ(s.contextEngineId, std::string("\x01\x02", 2));
    EXPECT_EQ(s.securityLevel, 2);
    EXPECT_EQ(s.authProtocol, 2);
    EXPECT_EQ(s.privProtocol, 2);
    EXPECT_EQ(s.privPassword, "filepriv");
}

TEST(StartupSettingsFile, VersionAndPortFromTheFileApplyWithoutSwitches) {
    const CvSNMPSettings v2 = applied({"/I10.1.1.1"}, {{"Version", "2c"}, {"AgentPort", "10161"}});
    EXPECT_EQ(v2.version, 2);
    EXPECT_EQ(v2.port, 10161) << "the file's port applies to every version";
    const CvSNMPSettings badPort = applied({"/I10.1.1.1"}, {{"AgentPort", "70000"}});
    EXPECT_EQ(badPort.port, 161);
    EXPECT_EQ(applied({"/v3", "/t2000"}, {{"AgentPort", "3000"}}).port, 2000)
        << "the port switch wins for version 3";
    EXPECT_EQ(applied({"/v1", "/t2000"}, {{"AgentPort", "3000"}}).port, 3000)
        << "the port switch is a version 3 switch";
}

TEST(StartupRegistry, MibFolderIsJoinedToThePlatformFolderUnlessAbsolute) {
    EXPECT_EQ(MibFolder("mibs", "/opt/harbor"), "/opt/harbor/mibs");
    EXPECT_EQ(MibFolder("mibs", "/opt/harbor/"), "/opt/harbor/mibs");
    EXPECT_EQ(MibFolder("/var/mibs", "/opt/harbor"), "/var/mibs");
    EXPECT_EQ(MibFolder("", "/opt/harbor"), "");
}

}  // namespace
