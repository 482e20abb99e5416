#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/Environment.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/Trace.h"

namespace {

// Sets an environment variable for one test and restores the old value afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

TEST(Environment, TimeScale_TakesOnlyPositiveNumbers) {
    {
        ScopedEnv scale("VRA2260_TIME_SCALE", "0.01");
        EXPECT_DOUBLE_EQ(platform::timeScale(), 0.01);
        EXPECT_EQ(platform::scaledMs(10000), 100);
        EXPECT_EQ(platform::scaledMs(20), 1) << "never below 1 ms";
    }
    for (const char* bad : {"", "abc", "0", "-2", "2x", "nan", "inf"}) {
        ScopedEnv scale("VRA2260_TIME_SCALE", bad);
        EXPECT_DOUBLE_EQ(platform::timeScale(), 1.0) << '"' << bad << '"';
        EXPECT_EQ(platform::scaledMs(1200), 1200);
    }
    ScopedEnv scale("VRA2260_TIME_SCALE", "1e12");
    EXPECT_EQ(platform::scaledMs(1e6), std::numeric_limits<int>::max()) << "no overflow";
}

TEST(Environment, StateFolder_ComesFromTheEnvironmentAndIsCreated) {
    QTemporaryDir temp;
    const QString wanted = temp.path() + "/a/b/state";
    {
        ScopedEnv state("VRA2260_STATE_DIR", wanted.toUtf8());
        EXPECT_EQ(platform::stateDir(), wanted.toStdString());
        EXPECT_TRUE(QFileInfo(wanted).isDir());
        EXPECT_EQ(platform::dataDir(), (wanted + "/log").toStdString())
            << "received files never share the folder of the boots counter file";
        EXPECT_TRUE(QFileInfo(wanted + "/log").isDir());
    }
    ScopedEnv noState("VRA2260_STATE_DIR", "");
    ScopedEnv xdg("XDG_STATE_HOME", temp.path().toUtf8());
    EXPECT_EQ(platform::stateDir(), (temp.path() + "/vra2260").toStdString());
}

TEST(Environment, TftpPort_MapsOnlyPort69) {
    {
        ScopedEnv port("VRA2260_TFTP_PORT", "40069");
        EXPECT_EQ(platform::tftpPort(69), 40069);
        EXPECT_EQ(platform::tftpPort(1069), 1069);
    }
    for (const char* bad : {"", "0", "70000", "12ab", "-5"}) {
        ScopedEnv port("VRA2260_TFTP_PORT", bad);
        EXPECT_EQ(platform::tftpPort(69), 69) << '"' << bad << '"';
    }
}

TEST(Environment, ProgramFolderAndName_AreThoseOfTheExecutable) {
    EXPECT_EQ(QString::fromStdString(platform::programDir()),
              QCoreApplication::applicationDirPath());
    EXPECT_EQ(platform::programFileName(), "test_platform");
}

TEST(Environment, Latin1_RoundTripsEveryOctetAndRefusesWiderCharacters) {
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    const QString text = platform::fromLatin1(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0xE9), QChar(0xE9));
    std::string back;
    ASSERT_TRUE(platform::toLatin1(text, back));
    EXPECT_EQ(back, all);
    EXPECT_FALSE(platform::toLatin1(QStringLiteral("price \u20AC"), back));
}

class RegistryTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        path = temp.filePath("registry.ini");
    }
    void write(const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QTemporaryDir temp;
    QString path;
};

TEST_F(RegistryTest, KeyPaths_AreSectionsMatchedWithoutRegardToCase) {
    write(
        "[SOFTWARE/Corvane/Modules/HelpPath]\r\n"
        "1.3.6.1.4.1.32473.10.37.38 = \"/opt/corvane/vra2260\"\r\n"
        "[software/corvane/harbor5.1/ExePath]\r\n"
        "Path=/opt/harbor\r\n");
    ScopedEnv registry("VRA2260_REGISTRY", path.toUtf8());
    EXPECT_EQ(platform::registryValue("\\SOFTWARE\\Corvane\\Modules\\HelpPath",
                                      "1.3.6.1.4.1.32473.10.37.38"),
              "/opt/corvane/vra2260");
    EXPECT_EQ(platform::registryValue("SOFTWARE/CORVANE/Harbor5.1/ExePath/", "path"),
              "/opt/harbor");
    EXPECT_FALSE(platform::registryValue("SOFTWARE/Corvane/Harbor5.1/MibFile", "Path"));
    EXPECT_FALSE(platform::registryValue("SOFTWARE/Corvane/Modules/HelpPath", "Other"));
}

TEST_F(RegistryTest, MissingFile_GivesNothingAndCreatesNothing) {
    ScopedEnv registry("VRA2260_REGISTRY", path.toUtf8());
    EXPECT_FALSE(platform::registryValue("SOFTWARE/Corvane/Modules/HelpPath", "x"));
    EXPECT_FALSE(QFileInfo::exists(path));
    ScopedEnv unset("VRA2260_REGISTRY", "");
    EXPECT_EQ(platform::registryPath(), "/etc/vra2260/registry.ini");
}

TEST(RegistrySection, Separators_AreNormalised) {
    EXPECT_EQ(platform::registrySection("\\SOFTWARE\\Corvane\\\\Modules\\"),
              "SOFTWARE/Corvane/Modules");
    EXPECT_EQ(platform::registrySection("/a//b/"), "a/b");
    EXPECT_EQ(platform::registrySection(""), "");
}

}  // namespace

namespace {

TEST(Trace, Category_IsOffByDefaultButKeepsCriticals) {
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES")) GTEST_SKIP() << "logging rules set";
    EXPECT_STREQ(vraTrace().categoryName(), "vra.trace");
    EXPECT_FALSE(vraTrace().isDebugEnabled());
    EXPECT_FALSE(vraTrace().isWarningEnabled());
    EXPECT_TRUE(vraTrace().isCriticalEnabled());
}

}  // namespace
