#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Firmware.h"
#include "pages/tools/TransferPage.h"
#include "tests/pages/LogFixture.h"

namespace {

const char* const kFirmwareDone = "Update firmware success!";
const char* const kSslDone = "Update SSL success!";
const char* const kKeyDone = "Please reboot the device for updete ssh key setting!";
const char* const kCantPerform = "Cant Perform Operation,Please try again!";

class Firmware : public TransferPageTest {
  protected:
    TFM_Firmware* open() { return openPage(FM_Firmware); }

    // A firmware image of a few hundred KB whose first line names its version.
    QString writeImage(const QString& name, const QByteArray& version, int size = 300 * 1024) {
        QByteArray image = "FWVER=" + version + "\n";
        QRandomGenerator random(42);
        while (image.size() < size) image.append(static_cast<char>(random.bounded(256)));
        return writeWorkFile(name, image);
    }

    void uploadFirmware(const QString& path) {
        FM_Firmware->Ed_UpgFile->SetText(path);
        FM_Firmware->Bt_OK->click();
    }
    // Uploads an SSL certificate, or with key set an SSH key, chosen through its browse dialog.
    void uploadSsl(const QString& path, bool key = false) {
        ui().openNames = QStringList{path};
        (key ? FM_Firmware->Bt_KBrowse : FM_Firmware->Bt_CBrowse)->click();
        (key ? FM_Firmware->Bt_KUpload : FM_Firmware->Bt_CUpload)->click();
    }

    // The values of tftpUpgradeSettingCommand sent so far.
    std::vector<std::string> upgradeCommands() {
        return valuesSentTo(oid::tftpUpgradeSettingCommand);
    }

    int seqOfUpgradeCommand(const std::string& value) {
        for (const SimSetRecord& set : sets())
            for (const SimVarBind& binding : set.vbs)
                if (binding.oid == oid::tftpUpgradeSettingCommand && binding.value == value)
                    return set.seq;
        return -1;
    }
};

// The device sends from the address requests reach it at, which here differs from the one it
// last reported as its own (as behind an address translation).
class FirmwareElsewhere : public Firmware {
    std::vector<std::string> deviceArguments() const override { return {"--address", "127.0.0.5"}; }
};

// A name with a letter outside ASCII is told to the device in 8-bit text.
TEST_F(FirmwareElsewhere,
       ImageArrivesWholeThenUpdateThenOneRebootThenSuccess_ButtonsPressedMeanwhileStartNothing) {
    const QString image = writeImage("Sicherung-M\u00E4rz.bin", "2.00");
    setDeviceAddress("127.0.0.9", "255.0.0.0");
    setTimeScale(0.02);
    open();
    watchCountdowns();
    uploadFirmware(image);
    FM_Firmware->Bt_OK->click();
    uploadSsl(writeWorkFile("server.pem", "cert"));
    ASSERT_TRUE(waitForBox(kFirmwareDone, 30000));
    // None of the countdowns sends Reboot itself: the page sends the one Reboot.
    EXPECT_EQ(countdowns, (std::vector<CountdownSeen>{{5, false, "Loading firmware file..."},
                                                      {100, false, "Updating firmware file..."},
                                                      {40, false, "Device is restarting..."}}));
    EXPECT_EQ(captionOf(kFirmwareDone), "Warning");
    const std::vector<SimEvent> gets = transfers("get");
    ASSERT_EQ(gets.size(), 1u);
    const SimEvent& fetched = gets[0];
    EXPECT_EQ(fetched.fields.at("result"), "ok");
    EXPECT_EQ(readFile(QString::fromStdString(fetched.fields.at("path"))), readFile(image));
    EXPECT_EQ(upgradeCommands(), (std::vector<std::string>{"1", "4"}));
    EXPECT_GT(seqOfUpgradeCommand("1"), std::stoi(fetched.fields.at("seq")));
    const std::vector<SimEvent> flashed = sim().events("firmware");
    ASSERT_EQ(flashed.size(), 1u);
    EXPECT_EQ(flashed[0].fields.at("bytes"), std::to_string(readFile(image).size()));
    EXPECT_GT(seqOfUpgradeCommand("4"), std::stoi(flashed[0].fields.at("seq")))
        << "no Reboot may reach the device while it writes its firmware";
    EXPECT_EQ(sim().value(oid::firmwareVersion), "2.00");
    EXPECT_EQ(FM_Firmware->Ed_UpgFile->text(), image);
    const std::vector<SimSetRecord> all = sets();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(oids(all[0]),
              (std::vector<std::string>{oid::tftpServerIPAddress, oid::tftpRemoteFileName}));
    EXPECT_EQ(all[0].vbs[0].value, "127.0.0.1");
    EXPECT_EQ(valuesSentTo(oid::tftpRemoteFileName),
              std::vector<std::string>{"Sicherung-M\xE4rz.bin"});
    EXPECT_EQ(valuesSentTo(oid::tftpcommand), std::vector<std::string>{"2"});
    // The rows come back once the Reboot has been answered.
    ASSERT_TRUE(pumpUntil([&] { return FM_Firmware->Bt_OK->isEnabled(); }));
    EXPECT_FALSE(boxShown(kSslDone));
    EXPECT_FALSE(FM_Firmware->Bt_KUpload->isEnabled());
}

TEST_F(Firmware, UpdateWaitsForAnImageNotYetStartedOrStillBeingReadWhenTheShortWaitEnds) {
    struct Late {
        const char* knob;
        double scale;
        int size;
    };
    // The short wait lasts 10 ticks: of 60 ms while the device starts reading only after it,
    // then of 3 ms while it reads an image sent in small blocks.
    const Late cases[] = {{"tftp answer=before start=1200", 0.05, 300 * 1024},
                          {"tftp answer=before start=0 options=off", 0.0025, 8 << 20}};
    open();
    for (const Late& late : cases) {
        SCOPED_TRACE(late.knob);
        ui().boxes.clear();
        sim().clearJournal();
        const QString version = QString::number(late.scale);
        const QString image = writeImage("late.tfp", version.toUtf8(), late.size);
        setTimeScale(late.scale);
        sim().knob(late.knob);
        uploadFirmware(image);
        ASSERT_TRUE(waitForBox(kFirmwareDone, 60000));
        const std::vector<SimEvent> gets = transfers("get");
        ASSERT_EQ(gets.size(), 1u);
        EXPECT_GT(seqOfUpgradeCommand("1"), std::stoi(gets[0].fields.at("seq")));
        EXPECT_EQ(upgradeCommands(), (std::vector<std::string>{"1", "4"}));
        EXPECT_EQ(sim().value(oid::firmwareVersion), version.toStdString());
        EXPECT_EQ(boxTexts(), std::vector<QString>{kFirmwareDone});
        ASSERT_TRUE(pumpUntil([&] { return FM_Firmware->Bt_OK->isEnabled(); }));
    }
}

TEST_F(Firmware, RebootTheDeviceNeverAnswersGivesTheRowsBackOnceItTimesOut) {
    const QString image = writeImage("image.bin", "2.00", 20000);
    setTimeScale(0.01);
    sim().knob("restart-answer off");
    open();
    uploadFirmware(image);
    ASSERT_TRUE(waitForBox(kFirmwareDone, 30000));
    EXPECT_FALSE(FM_Firmware->Bt_OK->isEnabled()) << "the Reboot is still unanswered";
    ASSERT_TRUE(pumpUntil([&] { return FM_Firmware->Bt_OK->isEnabled(); }, 20000));
    // The request's own retry repeats the Reboot; nothing else follows the update.
    const std::vector<std::string> sent = upgradeCommands();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], "1");
    for (size_t i = 1; i < sent.size(); ++i) EXPECT_EQ(sent[i], "4") << i;
}

TEST_F(Firmware, CertificateThenKeyThenFirmwareInOneVisit) {
    const QString certificate = writeWorkFile("server.pem", "-----BEGIN CERTIFICATE-----\n");
    const QString key = writeWorkFile("server-key.der", QByteArray(700, '\x5a'));
    const QString image = writeImage("image.bin", "4.00", 60000);
    setTimeScale(0.02);
    open();
    watchCountdowns();
    EXPECT_FALSE(FM_Firmware->Bt_KUpload->isEnabled());
    EXPECT_FALSE(FM_Firmware->EDT_Key->isEnabled());

    uploadSsl(certificate);
    ASSERT_TRUE(waitForBox(kSslDone, 20000));
    EXPECT_TRUE(FM_Firmware->EDT_Certificate->text().isEmpty());
    EXPECT_TRUE(FM_Firmware->Bt_KUpload->isEnabled());
    EXPECT_TRUE(FM_Firmware->Bt_KBrowse->isEnabled());
    EXPECT_EQ(upgradeCommands(), std::vector<std::string>{"7"});

    uploadSsl(key, true);
    ASSERT_TRUE(waitForBox(kKeyDone, 20000));
    EXPECT_TRUE(FM_Firmware->EDT_Key->text().isEmpty());
    EXPECT_FALSE(FM_Firmware->Bt_KUpload->isEnabled());
    EXPECT_EQ(upgradeCommands(), (std::vector<std::string>{"7", "8"}));
    EXPECT_EQ(countdowns, (std::vector<CountdownSeen>{{5, false, "Loading pem file..."},
                                                      {5, false, "Loading pem file..."}}));

    // A certificate stage earlier on the page must not cost the firmware its restart.
    uploadFirmware(image);
    ASSERT_TRUE(waitForBox(kFirmwareDone, 30000));
    EXPECT_EQ(upgradeCommands(), (std::vector<std::string>{"7", "8", "1", "4"}));
    EXPECT_EQ(valuesSentTo(oid::tftpRemoteFileName),
              (std::vector<std::string>{"server.pem", "server-key.der", "image.bin"}));
    EXPECT_EQ(valuesSentTo(oid::tftpcommand), (std::vector<std::string>{"2", "2", "2"}));
    EXPECT_EQ(sim().events("certificate").size(), 1u);
    EXPECT_EQ(sim().events("key").size(), 1u);
    EXPECT_EQ(sim().value(oid::firmwareVersion), "4.00");
}

TEST_F(Firmware, InputRefusalsAndNoInterfaceOnTheDeviceSubnetSendNothing) {
    const QString upper = writeWorkFile("IMAGE.BIN", "x");
    const QString upperPem = writeWorkFile("server.PEM", "x");
    open();
    uploadFirmware("");
    uploadFirmware(workDir() + "/");
    uploadFirmware(upper);
    uploadFirmware(workDir() + "/absent.bin");
    uploadSsl(workDir() + "/");
    uploadSsl(upperPem);
    EXPECT_EQ(FM_Firmware->focusWidget(), FM_Firmware->EDT_Certificate);
    uploadSsl(workDir() + "/absent.der");
    setDeviceAddress("203.0.113.5", "255.255.255.0");
    uploadFirmware(writeImage("image.bin", "2.00", 2000));
    EXPECT_EQ(
        boxTexts(),
        (std::vector<QString>{
            "Please put in the firmware file & path.", "Please put in the firmware file & path.",
            "Please put in valid firmware file & path.",
            "Please put in valid firmware file & path.", "Empty file is not accepted!",
            "File format error! Please try again.", "Please put in valid pem file & path.",
            "Invalid Server IP Address or SNMP timed out!"}));
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(sets().empty());
}

TEST_F(Firmware, FolderNamedBinLetsAnyFileThrough) {
    QDir(workDir()).mkdir("v2.bin");
    const QString path = writeWorkFile("v2.bin/readme.txt", "FWVER=9\n");
    open();
    uploadFirmware(path);
    EXPECT_TRUE(boxTexts().empty());
    ASSERT_TRUE(pumpUntil([&] { return !valuesSentTo(oid::tftpRemoteFileName).empty(); }));
    EXPECT_EQ(valuesSentTo(oid::tftpRemoteFileName), std::vector<std::string>{"readme.txt"});
}

// The device never reads: another machine's read of the image or certificate is refused, gets
// nothing and does not pass for the device's, so no install command follows.
TEST_F(Firmware, ForeignReadNeitherGetsTheFileNorCompletesTheUpload) {
    setTimeScale(0.1);
    sim().knob("tftp answer=before fail=never");
    open();
    for (const char* name : {"image.bin", "server.pem"}) {
        SCOPED_TRACE(name);
        ui().boxes.clear();
        if (name[0] == 'i')
            uploadFirmware(writeImage(name, "2.00", 20000));
        else
            uploadSsl(writeWorkFile(name, "cert"));
        ASSERT_TRUE(pumpUntil([&] { return !valuesSentTo(oid::tftpcommand).empty(); }));
        EXPECT_EQ(foreignTransfer(name, false), 69);
        EXPECT_FALSE(QFile::exists(workDir() + "/foreign.got"));
        ASSERT_TRUE(waitForBox(kCantPerform, 20000));
        EXPECT_TRUE(upgradeCommands().empty()) << whatHappened();
        ASSERT_TRUE(pumpUntil([&] { return FM_Firmware->Bt_OK->isEnabled(); }));
        sim().clearJournal();
    }
}

TEST_F(Firmware, LayoutShowsEveryCaptionWhole) {
    open();
    expectTidyLayout(FM_Firmware);
    saveScreenshot(FM_Firmware, "firmware");
}

// An upload that stops anywhere before the device restarts: the device's answer or a warning is
// shown, no Reboot follows, the file keeps its full path for another try, and the rows come back.
struct UploadFailure {
    const char* what;
    int kind;  // 1 firmware, 2 certificate, 3 key
    std::string knob;
    const char* box;                    // the warning shown, or none
    const char* shown;                  // part of the status bar's text, or none
    std::vector<std::string> commands;  // the install commands the device received
    bool getSent;
};

void PrintTo(const UploadFailure& failure, std::ostream* os) {
    *os << failure.what;
}

class FirmwareUploadFailure : public Firmware,
                              public ::testing::WithParamInterface<UploadFailure> {};

TEST_P(FirmwareUploadFailure, RestartsNothingKeepsThePathAndGivesTheRowsBack) {
    const UploadFailure& failure = GetParam();
    setTimeScale(0.005);
    open();
    if (failure.kind == 3) {
        uploadSsl(writeWorkFile("server.pem", "cert"));
        ASSERT_TRUE(waitForBox(kSslDone, 20000));
        ui().boxes.clear();
        sim().clearJournal();
    }
    sim().knob(failure.knob);
    const QString path = failure.kind == 1 ? writeImage("image.bin", "2.00", 20000)
                                           : writeWorkFile("server-key.der", "key");
    CvEdit* edit = failure.kind == 1   ? FM_Firmware->Ed_UpgFile
                   : failure.kind == 2 ? FM_Firmware->EDT_Certificate
                                       : FM_Firmware->EDT_Key;
    if (failure.kind == 1) uploadFirmware(path);
    if (failure.kind >= 2) uploadSsl(path, failure.kind == 3);
    if (failure.box) {
        ASSERT_TRUE(waitForBox(failure.box, 20000));
        EXPECT_EQ(captionOf(failure.box), "Warning");
    }
    if (failure.shown) {
        ASSERT_TRUE(pumpUntil(
            [&] { return FM_Firmware->StatusBar->SimpleText().contains(failure.shown); }, 20000))
            << FM_Firmware->StatusBar->SimpleText().toStdString() << " " << whatHappened();
    }
    ASSERT_TRUE(pumpUntil([&] { return FM_Firmware->Bt_OK->isEnabled(); }));
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(upgradeCommands(), failure.commands) << whatHappened();
    EXPECT_EQ(valuesSentTo(oid::tftpcommand).empty(), !failure.getSent) << whatHappened();
    EXPECT_EQ(boxTexts().size(), failure.box ? 1u : 0u) << whatHappened();
    EXPECT_EQ(edit->text(), path);
    EXPECT_EQ(foreignTransfer(bareNameOfPath(path), false, "127.0.0.1"), 69) << "still admitted";
    if (failure.kind == 2 && failure.box) {
        EXPECT_FALSE(FM_Firmware->Bt_KUpload->isEnabled()) << "the key row waits for a certificate";
    }
}

const std::string kGetCommand = oid::tftpcommand;
const std::string kInstall = oid::tftpUpgradeSettingCommand;

INSTANTIATE_TEST_SUITE_P(
    Ways, FirmwareUploadFailure,
    ::testing::Values(
        UploadFailure{
            "TransferFails", 1, "tftp answer=before fail=error", kCantPerform, nullptr, {}, true},
        UploadFailure{"DeviceRefusesTheGetCommand",
                      1,
                      "fail " + kGetCommand + " genErr set",
                      kCantPerform,
                      "genErr",
                      {},
                      true},
        UploadFailure{"DeviceRefusesServerAndName",
                      1,
                      "fail " + oid::tftpServerIPAddress + " wrongValue set",
                      nullptr,
                      "wrongValue",
                      {},
                      false},
        UploadFailure{"CertificateTransferFails",
                      2,
                      "tftp answer=before fail=error",
                      kCantPerform,
                      nullptr,
                      {},
                      true},
        UploadFailure{"FirmwareupdateRefused",
                      1,
                      "fail " + kInstall + " genErr set",
                      nullptr,
                      "genErr",
                      {"1"},
                      true},
        UploadFailure{
            "FirmwareupdateTimesOut", 1, "silence " + kInstall, nullptr, "in time", {}, true},
        UploadFailure{"CertificateFileUpdateRefused",
                      2,
                      "fail " + kInstall + " genErr set",
                      nullptr,
                      "genErr",
                      {"7"},
                      true},
        UploadFailure{"CertificateFileUpdateTimesOut",
                      2,
                      "silence " + kInstall,
                      nullptr,
                      "in time",
                      {},
                      true},
        UploadFailure{"KeyFileUpdateRefused",
                      3,
                      "fail " + kInstall + " genErr set",
                      nullptr,
                      "genErr",
                      {"8"},
                      true},
        UploadFailure{
            "KeyFileUpdateTimesOut", 3, "silence " + kInstall, nullptr, "in time", {}, true}),
    [](const ::testing::TestParamInfo<UploadFailure>& info) { return info.param.what; });

}  // namespace
