#include <gtest/gtest.h>

#include "TempFolder.h"
#include "library/common/CvIniFile.h"

namespace {

TEST(IniFile, SettingsFile_NamesIgnoreCaseAndValuesAreTrimmedAndUnquoted) {
    TempFolder temp;
    const std::string path = temp.write("192.168.1.10.cfg",
                                        "; written by the platform\r\n"
                                        "[Program Information]\r\n"
                                        "AgentPort = 1161 \r\n"
                                        "Version=\"3\"\r\n"
                                        "SecurityName=  'admin user'  \r\n"
                                        "AuthPassword=\"\"pass\"\"\r\n"
                                        "ContextName=\r\n"
                                        "PrivPassword=caf\xE9\r\n"
                                        "Version=1\r\n"
                                        "[  other ]\r\n"
                                        "AgentPort=99\r\n");
    const CvIniFile ini(path);
    ASSERT_TRUE(ini.Loaded());
    EXPECT_TRUE(ini.SectionExists("program information"));
    EXPECT_EQ(ini.ReadInteger("PROGRAM INFORMATION", "agentport", 161), 1161);
    EXPECT_EQ(ini.ReadString("Program Information", "Version"), "3") << "first key wins";
    EXPECT_EQ(ini.ReadString("Program Information", "SecurityName"), "admin user");
    EXPECT_EQ(ini.ReadString("Program Information", "AuthPassword"), "\"pass\"")
        << "only one pair of quotes goes";
    EXPECT_TRUE(ini.ValueExists("Program Information", "ContextName"));
    EXPECT_EQ(ini.ReadString("Program Information", "ContextName", "x"), "");
    EXPECT_EQ(ini.ReadString("Program Information", "PrivPassword"), "caf\xC3\xA9");
    EXPECT_EQ(ini.ReadInteger("Other", "AgentPort", 0), 99);
    EXPECT_FALSE(ini.ValueExists("Program Information", "SecurityLevel"));
    EXPECT_EQ(ini.ReadString("Missing", "Key", "fallback"), "fallback");
}

TEST(IniFile, BadNumbersAndBrokenLines_FallBackWithoutFailing) {
    CvIniFile ini;
    ini.LoadText(
        "orphan=1\n[S]\nA=12x\nB=+7\nC= -3\nD\n=5\nE=99999999999\n[broken\nF=1\n[S]\nG=2\n");
    EXPECT_FALSE(ini.ValueExists("", "orphan"));
    EXPECT_EQ(ini.ReadInteger("S", "A", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "B", -1), 7);
    EXPECT_EQ(ini.ReadInteger("S", "C", -1), -3);
    EXPECT_EQ(ini.ReadInteger("S", "E", -1), -1) << "overflow falls back";
    EXPECT_FALSE(ini.ValueExists("S", "D"));
    EXPECT_FALSE(ini.ValueExists("S", "F")) << "a pair under a broken header belongs nowhere";
    EXPECT_EQ(ini.ReadInteger("S", "G", -1), 2) << "a repeated section adds to the first";
}

TEST(IniFile, MissingFile_IsNotLoaded) {
    TempFolder temp;
    CvIniFile ini;
    EXPECT_FALSE(ini.Load(temp.file("absent.cfg")));
    EXPECT_FALSE(ini.Loaded());
    EXPECT_FALSE(ini.SectionExists("Program Information"));
}

TEST(IniFile, Utf8FileWithByteOrderMark_IsReadAsUtf8) {
    CvIniFile ini;
    ini.LoadText("\xEF\xBB\xBF[Program Information]\nSecurityName=caf\xC3\xA9\n");
    EXPECT_EQ(ini.ReadString("Program Information", "SecurityName"), "caf\xC3\xA9");
}

}  // namespace
