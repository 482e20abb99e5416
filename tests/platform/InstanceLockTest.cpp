#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/InstanceLock.h"

namespace {

class InstanceLockTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    }

    // Starts a child process of this test program that takes the lock for the caption.
    void startHolder(QProcess& child, const QString& caption, const char* expected) {
        child.start(QCoreApplication::applicationFilePath(), {"--hold-lock", caption});
        ASSERT_TRUE(child.waitForStarted(10000));
        ASSERT_TRUE(child.waitForReadyRead(10000)) << "the child never reported";
        EXPECT_EQ(child.readLine().trimmed(), QByteArray(expected));
    }

    QTemporaryDir runtime;
};

TEST_F(InstanceLockTest, SecondHolderInOneProcess_IsRefusedUntilTheFirstGoes) {
    const QString caption = "VRA-2260 : 192.168.1.1";
    {
        platform::InstanceLock first(caption);
        ASSERT_TRUE(first.held());
        platform::InstanceLock second(caption);
        EXPECT_TRUE(second.refused());
        EXPECT_FALSE(second.held());
    }
    platform::InstanceLock third(caption);
    EXPECT_TRUE(third.held()) << "destroying the holder must release the lock";
}

TEST_F(InstanceLockTest, LockFile_LivesInTheRuntimeFolderNamedFromTheCaption) {
    const std::string path = platform::InstanceLock::pathFor("VRA-2260 : 10.0.0.1");
    const std::string folder = runtime.path().toStdString() + "/";
    ASSERT_EQ(path.rfind(folder, 0), 0u) << path;
    EXPECT_EQ(path.substr(folder.size()).find('/'), std::string::npos) << path;
    EXPECT_NE(path.find("VRA-2260___10.0.0.1"), std::string::npos) << path;
    EXPECT_NE(platform::InstanceLock::pathFor("a:b"), platform::InstanceLock::pathFor("a_b"));
    EXPECT_NE(platform::InstanceLock::pathFor("a/b"), platform::InstanceLock::pathFor("a\\b"));
}

TEST_F(InstanceLockTest, OtherProcessHolding_RefusesUntilItIsKilled) {
    const QString caption = "VRA-2260 : 127.0.0.1";
    QProcess child;
    startHolder(child, caption, "held");
    {
        platform::InstanceLock mine(caption);
        EXPECT_TRUE(mine.refused()) << "a second process must be refused";
    }
    child.kill();
    ASSERT_TRUE(child.waitForFinished(10000));
    platform::InstanceLock after(caption);
    EXPECT_TRUE(after.held()) << "the kernel must release the lock of a killed process";
}

}  // namespace
