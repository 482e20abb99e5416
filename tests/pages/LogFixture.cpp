#include "tests/pages/LogFixture.h"

#include <QFile>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

#include "app/Main.h"
#include "library/snmp/CvEdit.h"
#include "library/tftp/CvTFTPServer.h"

TransferPageTest::TransferPageTest() = default;
TransferPageTest::~TransferPageTest() = default;

void TransferPageTest::SetUp() {
    for (const char* name : {"VRA2260_STATE_DIR", "VRA2260_TFTP_PORT"}) {
        const char* value = std::getenv(name);
        savedEnvironment_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    PageHarness::SetUp();
    ASSERT_TRUE(dataDir_.isValid() && workDir_.isValid());
    ::setenv("VRA2260_STATE_DIR", dataDir_.path().toLocal8Bit().constData(), 1);
    tftpPort_ = freeUdpPort();
    ::setenv("VRA2260_TFTP_PORT", std::to_string(tftpPort_).c_str(), 1);
    sim().knob("tftp port=" + std::to_string(tftpPort_));
    mainForm_ = std::make_unique<TMainForm>(QStringList{});
    setDeviceAddress(QString::fromStdString(sim().value(oid::ifIpAddress)),
                     QString::fromStdString(sim().value(oid::ifSubnetMask)));
}

void TransferPageTest::TearDown() {
    PageHarness::TearDown();
    mainForm_.reset();
    // Later tests in this process must see the environment they started with.
    for (const char* name : {"VRA2260_STATE_DIR", "VRA2260_TFTP_PORT"}) {
        const auto saved = savedEnvironment_.find(name);
        if (saved != savedEnvironment_.end() && saved->second)
            ::setenv(name, saved->second->c_str(), 1);
        else
            ::unsetenv(name);
    }
}

QString TransferPageTest::writeWorkFile(const QString& name, const QByteArray& bytes) const {
    const QString path = workDir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

QByteArray TransferPageTest::readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TransferPageTest::setDeviceAddress(const QString& address, const QString& mask) {
    MainForm->IPAddressEdit->SetText(address);
    MainForm->SubMaskEdit->SetText(mask);
}

bool TransferPageTest::boxShown(const QString& text) {
    for (const platform::BoxRecord& box : ui().boxes)
        if (box.text == text) return true;
    return false;
}

::testing::AssertionResult TransferPageTest::waitForBox(const QString& text, int timeoutMs) {
    if (pumpUntil([&] { return boxShown(text); }, timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "no box \"" << text.toStdString() << "\"; " << whatHappened();
}

std::string TransferPageTest::whatHappened() {
    std::string story = "boxes:";
    for (const platform::BoxRecord& box : ui().boxes)
        story += " [" + box.caption.toStdString() + ": " + box.text.toStdString() + "]";
    story += "; sets:";
    for (const SimSetRecord& set : sets()) {
        story += " {";
        for (const SimVarBind& binding : set.vbs)
            story += binding.oid.substr(binding.oid.size() > 12 ? binding.oid.size() - 12 : 0) +
                     "=" + binding.value + " ";
        story += "status " + std::to_string(set.errorStatus) + "}";
    }
    story += "; events:";
    for (const SimEvent& event : sim().events()) {
        story += " " + event.kind + "(";
        for (const char* key : {"direction", "file", "result", "bytes"})
            if (event.fields.count(key)) story += event.fields.at(key) + " ";
        story += ")";
    }
    return story;
}

QString TransferPageTest::captionOf(const QString& text) {
    for (const platform::BoxRecord& box : ui().boxes)
        if (box.text == text) return box.caption;
    return {};
}

int TransferPageTest::foreignTransfer(const QString& name, bool write, const QString& from) {
    const QString url = QString("tftp://127.0.0.1:%1/%2").arg(tftpPort()).arg(name);
    const QStringList local =
        write ? QStringList{"-T", writeWorkFile("foreign.bytes", QByteArray(1500, 'F'))}
              : QStringList{"-o", workDir() + "/foreign.got"};
    QProcess curl;
    curl.start("curl", QStringList{"-s", "--interface", from} + local + QStringList{url});
    EXPECT_TRUE(pumpUntil([&] { return curl.state() == QProcess::NotRunning; }, 30000));
    return curl.exitCode();
}

bool TransferPageTest::deviceTransferBegun(const CvTFTPServer* server) {
    return pumpUntil([server] { return server && server->sessionCount() > 0; }, 20000);
}

std::vector<SimEvent> TransferPageTest::transfers(const std::string& direction) {
    std::vector<SimEvent> found;
    for (const SimEvent& event : sim().events("tftp"))
        if (event.fields.count("direction") && event.fields.at("direction") == direction)
            found.push_back(event);
    return found;
}

std::string TransferPageTest::checksum(const QByteArray& bytes) {
    uint64_t hash = 1469598103934665603ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(hash));
    return text;
}
