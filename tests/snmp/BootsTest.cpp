#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/snmp/BootsFile.h"

namespace {

class BootsTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vra-boots-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path() const { return dir_ + "/CvSNMP_PP_BootCounter"; }
    std::string contents() const {
        std::ifstream in(path());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void write(const std::string& text) const { std::ofstream(path()) << text; }

    // Starts the session in a new process with this test's state folder.
    void launch(QProcess& process) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VRA_SNMP_START_ONLY", "1");
        env.insert("VRA2260_STATE_DIR", QString::fromStdString(dir_));
        process.setProcessEnvironment(env);
        process.start(QString::fromStdString(std::filesystem::read_symlink("/proc/self/exe")), {});
    }
    // The boots count that the process printed.
    static int boots(QProcess& process) {
        if (!process.waitForFinished(20000)) return -1;
        return process.readAllStandardOutput().trimmed().toInt();
    }
    int startProcess() const {
        QProcess process;
        launch(process);
        return boots(process);
    }

    std::string dir_;
};

const std::string key = bootsfile::applicationKey;

}  // namespace

TEST_F(BootsTest, StartsCountOneTwoThree_ACorruptFileCountsFromZeroKeepingOtherEngines) {
    EXPECT_EQ(startProcess(), 1);
    EXPECT_EQ(startProcess(), 2);
    EXPECT_EQ(startProcess(), 3);
    EXPECT_EQ(contents(), key + " 3\n");
    EXPECT_FALSE(std::filesystem::exists(path() + ".tmp." + std::to_string(getpid())));

    write("0102AB 17\n" + key + " twelve\n\xff\xfe garbage line\n");
    EXPECT_EQ(startProcess(), 1);
    const std::string text = contents();
    EXPECT_EQ(text.rfind(key + " 1\n", 0), 0u) << text;
    EXPECT_NE(text.find("0102AB 17\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\xff\xfe garbage line\n"), std::string::npos) << text;
    EXPECT_EQ(startProcess(), 2);
}

TEST_F(BootsTest, SideBySideStarts_EachGetsItsOwnCount) {
    write("0102AB 17\n");
    constexpr int count = 8;
    QProcess processes[count];
    for (QProcess& process : processes) launch(process);
    std::vector<int> seen;
    for (QProcess& process : processes) seen.push_back(boots(process));
    std::sort(seen.begin(), seen.end());
    for (int i = 0; i < count; ++i) EXPECT_EQ(seen[i], i + 1);
    EXPECT_EQ(contents(), key + " 8\n0102AB 17\n");
}

TEST_F(BootsTest, Increment_KeyIgnoresCaseCountStopsAtTheMaximumMissingFolderIsReported) {
    std::string lower = key;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    write(lower + " " + std::to_string(INT_MAX) + "\n");
    EXPECT_EQ(bootsfile::increment(path(), key), INT_MAX);
    EXPECT_EQ(contents(), key + " " + std::to_string(INT_MAX) + "\n");

    bool error = false;
    EXPECT_EQ(bootsfile::increment(dir_ + "/missing/CvSNMP_PP_BootCounter", key, &error), 1);
    EXPECT_TRUE(error);
}
