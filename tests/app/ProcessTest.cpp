#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QUdpSocket>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/InstanceLock.h"
#include "tests/app/ModuleSetup.h"
#include "tests/support/VraSim.h"

namespace {

// The real program, started as a management platform starts it, offscreen; its boxes go to
// standard error and are answered OK.
class Module : public ::testing::Test {
  protected:
    void SetUp() override { setup_.exportEnvironment(); }

    void TearDown() override {
        for (auto& process : processes_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(10000);
            }
        }
    }

    QProcess& start(const QStringList& arguments, const QString& loggingRules = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!loggingRules.isEmpty()) environment.insert("QT_LOGGING_RULES", loggingRules);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("VRA2260_BOXES", "stderr");
        environment.insert("VRA2260_REGISTRY", setup_.registryPath());
        environment.insert("VRA2260_STATE_DIR", setup_.stateDir());
        environment.insert("XDG_RUNTIME_DIR", setup_.runtimeDir());
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        process->setProcessEnvironment(environment);
        process->start(QString::fromLatin1(VRA2260_PATH), arguments);
        EXPECT_TRUE(process->waitForStarted(10000));
        processes_.push_back(std::move(process));
        return *processes_.back();
    }

    // True when some process holds the single-instance lock of the caption. Read from the
    // kernel's lock table: taking the lock to probe it could make a starting module give up.
    static bool lockHeld(const QString& caption) {
        struct stat file {};
        if (::stat(platform::InstanceLock::pathFor(caption).c_str(), &file) != 0) return false;
        QFile locks("/proc/locks");
        if (!locks.open(QIODevice::ReadOnly)) return false;
        for (const QByteArray& line : locks.readAll().split('\n')) {
            // "1: FLOCK  ADVISORY  WRITE 4242 00:2b:1234 0 EOF"
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() < 6 || fields[1] != "FLOCK") continue;
            unsigned devMajor = 0, devMinor = 0;
            unsigned long long inode = 0;
            if (std::sscanf(fields[5].constData(), "%x:%x:%llu", &devMajor, &devMinor, &inode) != 3)
                continue;
            if (inode == file.st_ino && devMajor == major(file.st_dev) &&
                devMinor == minor(file.st_dev))
                return true;
        }
        return false;
    }

    static QString errorText(QProcess& process) {
        return QString::fromLocal8Bit(process.readAllStandardError());
    }

    ModuleSetup setup_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(Module, NoArguments_ShowsThePlatformMessageAndEnds) {
    QProcess& module = start({});
    ASSERT_TRUE(module.waitForFinished(30000));
    EXPECT_EQ(module.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(module.exitCode(), 1);
    EXPECT_TRUE(errorText(module).contains(
        "VRA-2260: This module is only used in the Harbor or HP-Openview."));
}

TEST_F(Module, SecondStartForOneAddress_EndsWhileAnotherAddressRuns) {
    VraSim sim;
    const std::string port = std::to_string(sim.port());
    setup_.writeSettings("127.0.0.1", {{"AgentPort", port}, {"Version", "2c"}});
    setup_.writeSettings("127.0.0.2", {{"AgentPort", port}, {"Version", "2c"}});

    QProcess& first = start({"/I127.0.0.1", "/Rpublic", "/Wprivate"});
    ASSERT_TRUE(VraSim::waitUntil([] { return lockHeld("VRA-2260 : 127.0.0.1"); }, 30000))
        << errorText(first).toStdString();
    // Its first heartbeat reaches the device named by the switch and the settings file.
    ASSERT_TRUE(VraSim::waitUntil(
        [&] {
            for (const SimSetRecord& get : sim.gets())
                for (const SimVarBind& binding : get.vbs)
                    if (binding.oid == "1.3.6.1.2.1.1.3.0" && get.version == "2c") return true;
            return false;
        },
        30000));

    QProcess& second = start({"/I127.0.0.1", "/Rpublic", "/Wprivate"});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(errorText(second).contains("VRA-2260: Another VRA-2260 module is running!"));
    EXPECT_EQ(first.state(), QProcess::Running);

    QProcess& other = start({"/I127.0.0.2"});
    ASSERT_TRUE(VraSim::waitUntil([] { return lockHeld("VRA-2260 : 127.0.0.2"); }, 30000))
        << errorText(other).toStdString();
    EXPECT_EQ(other.state(), QProcess::Running);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(Module, SilentV3Device_WindowAtOnceAndTheEventLoopNeverHeld) {
    QUdpSocket silent;  // takes the port and never answers
    ASSERT_TRUE(silent.bind(QHostAddress::LocalHost, 0));
    // Every SNMP wait three times as long: a discovery that blocked the window would hold it for
    // its time-out of 3 s times two tries, far beyond what a busy machine adds to the times below.
    setenv("VRA2260_TIME_SCALE", "3", 1);
    QProcess& module = start({"/I127.0.0.1", "/v3", "/t" + QString::number(silent.localPort()),
                              "/nshaaes", "/l3", "/A3", "/P19", "/aauthpass123", "/pprivpass123"},
                             "vra.trace.debug=true");
    unsetenv("VRA2260_TIME_SCALE");
    constexpr int blockedMs = 6000;
    QString trace;
    const bool heartbeatFailed = VraSim::waitUntil(
        [&] {
            trace += QString::fromLocal8Bit(module.readAllStandardError());
            return trace.contains("heartbeat: (ViZURU++) The device did not answer in time!");
        },
        10 * blockedMs);
    ASSERT_TRUE(heartbeatFailed) << trace.toStdString();
    const QRegularExpressionMatch shown =
        QRegularExpression("window shown after (\\d+) ms").match(trace);
    ASSERT_TRUE(shown.hasMatch()) << trace.toStdString();
    EXPECT_LT(shown.captured(1).toInt(), blockedMs / 2);
    auto held = QRegularExpression("event loop held (\\d+) ms").globalMatch(trace);
    while (held.hasNext())
        EXPECT_LT(held.next().captured(1).toInt(), blockedMs / 2) << trace.toStdString();
    EXPECT_EQ(module.state(), QProcess::Running);
}

}  // namespace
