#pragma once

#include "platform/Environment.h"

#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/pages/PageHarness.h"

class TMainForm;
class CvTFTPServer;

// The fixture of the pages that move files: the page's TFTP server listens on a free port that
// the device is told to use, received files land in a fresh data folder, and a main window holds
// the device's address and mask as its poll would have read them from the device.
class TransferPageTest : public PageHarness {
  protected:
    TransferPageTest();
    ~TransferPageTest() override;
    void SetUp() override;
    void TearDown() override;

    // The data folder of this test (where "LogFile.RD" is received).
    QString dataDir() const { return QString::fromStdString(platform::dataDir()); }
    // A fresh folder for the test's own files.
    QString workDir() const { return workDir_.path(); }
    uint16_t tftpPort() const { return tftpPort_; }

    // Writes a file into the work folder and returns its full path.
    QString writeWorkFile(const QString& name, const QByteArray& bytes) const;
    static QByteArray readFile(const QString& path);

    // Shows this address and mask as the device's current ones.
    void setDeviceAddress(const QString& address, const QString& mask);

    // Message boxes shown so far: whether one with this text was, and its caption.
    bool boxShown(const QString& text);
    // Fails with the boxes shown and the sets sent, to tell where a flow stopped.
    ::testing::AssertionResult waitForBox(const QString& text, int timeoutMs = 10000);
    std::string whatHappened();
    QString captionOf(const QString& text);

    // curl from another machine's address (127.0.0.2, unless from names one) against the page's
    // server: a write of a few blocks of forged bytes, or a read into the work folder's
    // "foreign.got"; curl's exit code (69: refused as an access violation).
    int foreignTransfer(const QString& name, bool write, const QString& from = "127.0.0.2");
    // Waits until the page's server runs a session: the device's transfer has begun.
    static bool deviceTransferBegun(const CvTFTPServer* server);

    // The transfers the device journalled in one direction ("get" or "put"), oldest first.
    std::vector<SimEvent> transfers(const std::string& direction);
    // FNV-1a, 64 bits, in hex: the checksum the device journals for each transfer.
    static std::string checksum(const QByteArray& bytes);

  private:
    QTemporaryDir dataDir_;
    QTemporaryDir workDir_;
    uint16_t tftpPort_ = 0;
    std::unique_ptr<TMainForm> mainForm_;
    std::map<std::string, std::optional<std::string>> savedEnvironment_;
};

// OIDs of the device's TFTP and log objects, with the instance the pages send.
namespace oid {
inline const std::string E = "1.3.6.1.4.1.32473.10.37.38";
inline const std::string tftpServerIPAddress = E + ".4.3.2.1.0";
inline const std::string tftpRemoteFileName = E + ".4.3.2.2.0";
inline const std::string tftpcommand = E + ".4.3.2.4.0";
inline const std::string tftpUpgradeSettingCommand = E + ".4.3.2.5.0";
inline const std::string firmwareVersion = E + ".5.1.1.0";
inline const std::string ifIpAddress = E + ".5.1.2.1.1.2.1";
inline const std::string ifSubnetMask = E + ".5.1.2.1.1.3.1";
inline const std::string systemLogSystemLevel = E + ".5.4.1.0";
inline const std::string systemLogWirelessLevel = E + ".5.4.2.0";
inline const std::string systemLogNoticeLevel = E + ".5.4.3.0";
inline const std::string systemLogTFTPServerIPAddress = E + ".5.4.4.0";
inline const std::string systemLogFileName = E + ".5.4.5.0";
inline const std::string systemLogGetLog = E + ".5.4.6.0";
inline const std::string systemLogServerIPAddress = E + ".5.4.9.0";
inline const std::string systemLogClearLocalLog = E + ".5.4.10.0";
}  // namespace oid
