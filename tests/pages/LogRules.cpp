#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "pages/tools/Systemlog.h"

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath("LogFile.RD");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

}  // namespace

TEST(LogParser, SplitsTimeTypeAndMessageByBarAndBrackets) {
    struct Case {
        const char *line, *time, *type, *message;
    };
    const Case cases[] = {
        {"t1|x[SYS]hello", "t1", "SYS", "hello"},  // free text between bar and bracket dropped
        {"Jan  1 00:00:05 |syslogd: [WLAN]station joined", "Jan  1 00:00:05", "WLAN",
         "station joined"},
        {"  t |x[SYS] leading blank", "t", "SYS", " leading blank"},  // time trimmed only
        {"no delimiters here", "", "", "no delimiters here"},
        {"t|x SYS] m", "t", "x SYS", " m"},                // no opening bracket
        {"t|x [WLAN no close", "t", "", "WLAN no close"},  // no closing bracket
        {"x[NOTICE]m", "", "NOTICE", "m"},                 // no bar
        {"a[b|c]d", "a[b", "c", "d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const LogEntry e = splitLogLine(QString::fromLatin1(c.line));
        EXPECT_EQ(e.time, QString::fromLatin1(c.time));
        EXPECT_EQ(e.type, QString::fromLatin1(c.type));
        EXPECT_EQ(e.message, QString::fromLatin1(c.message));
    }
}

TEST(LogFileLoading, SplitsLfCrlfAndCrLinesAsLatin1_AnEmptyFileGivesNoLines) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QByteArray("a|[SYS]1\r\nb|[SYS]2\n\nc|[SYS]\xe9\rd"));
    QStringList lines{"stale"};
    ASSERT_TRUE(loadLogLines(path, lines));
    EXPECT_EQ(lines,
              (QStringList{"a|[SYS]1", "b|[SYS]2", "", QString::fromUtf8("c|[SYS]\u00e9"), "d"}));
    ASSERT_TRUE(loadLogLines(writeFile(dir, QByteArray()), lines));
    EXPECT_TRUE(lines.isEmpty());
}

TEST(NetworkAddress, MasksEachOctetCountingWhatIsNoNumberAsZero) {
    const char* const cases[][3] = {
        {"192.168.0.50", "255.255.255.0", "192.168.0.0"},
        {"10.0.0.200", "255.255.255.128", "10.0.0.128"},
        {"10.0.0.5", "255.255.255.128", "10.0.0.0"},
        {"192.x.0.50", "255.255.255.0", "192.0.0.0"},
        {"", "", "0.0.0.0"},
        {"10.1", "255.255.255.255", "10.0.0.0"},
        {"257.1.1.1.9", "255.255.255.255", "1.1.1.0"},  // only the low bits of an octet count
    };
    for (const auto& [address, mask, network] : cases)
        EXPECT_EQ(networkAddress(address, mask), network) << address << " / " << mask;
}

TEST(ServerAddressChoice, FirstInterfaceOnTheDeviceNetworkWins) {
    const std::vector<LocalAddress> locals{{"127.0.0.1", "255.0.0.0"},
                                           {"192.168.1.7", "255.255.255.0"},
                                           {"192.168.0.7", "255.255.255.0"},
                                           {"192.168.0.9", "255.255.255.0"},
                                           {"10.0.0.5", "255.255.255.128"}};
    const char* const cases[][3] = {
        {"192.168.0.50", "255.255.255.0", "192.168.0.7"},
        {"192.168.2.50", "255.255.255.0", ""},
        {"10.0.0.100", "255.255.255.128", "10.0.0.5"},
        {"10.0.0.200", "255.255.255.128", ""},  // the upper half of a /25 is another network
        {"", "", ""},                           // an unknown device address matches nothing
    };
    for (const auto& [device, mask, chosen] : cases)
        EXPECT_EQ(addressOnDeviceNetwork(locals, device, mask), chosen) << device << " / " << mask;
}
