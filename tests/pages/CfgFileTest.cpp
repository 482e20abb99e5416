#include <QDir>
#include <QFile>
#include <QPushButton>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Cfghis.h"
#include "tests/pages/LogFixture.h"

namespace {

const char* const kSystemName = "1.3.6.1.2.1.1.5.0";
const char* const kSaved = "The configuration file saved successfully!";
const char* const kFailed = "Fail to save the configuration file!";

class CfgFile : public TransferPageTest {
  protected:
    TFM_CfgFile* open() { return openPage(FM_CfgFile); }

    // Chooses the save file through the save dialog, then presses its OK.
    void saveTo(const QString& path) {
        ui().saveNames = QStringList{path};
        FM_CfgFile->Bt_SavBrw->click();
        FM_CfgFile->Bt_Upload->click();
    }

    void updateFrom(const QString& path) {
        ui().openNames = QStringList{path};
        FM_CfgFile->Bt_Browse->click();
        FM_CfgFile->Bt_OK->click();
    }

    // Saves the device's configuration under a name and returns the received path.
    QString saveDeviceConfiguration(const QString& name) {
        saveTo(workDir() + "/" + name);
        EXPECT_TRUE(waitForBox(kSaved));
        // The device fetches the saved file once more on the Configsave that follows; the
        // server must still serve this folder until it has. Both ways the file moves whole.
        const QString path = workDir() + "/" + dcfSaveName(name);
        EXPECT_TRUE(pumpUntil([&] { return !transfers("get").empty(); })) << whatHappened();
        for (const char* direction : {"put", "get"}) {
            const std::vector<SimEvent> moved = transfers(direction);
            EXPECT_TRUE(!moved.empty() &&
                        moved.back().fields.at("checksum") == checksum(readFile(path)))
                << direction << ": " << whatHappened();
        }
        return path;
    }

    // A copy of the device's configuration, saved under a name, whose system name is changed,
    // written under the relative path given; returns its full path.
    QString restoreFileNaming(const QString& systemName, const QString& relativePath,
                              const QString& savedName = "base") {
        QByteArray text = readFile(saveDeviceConfiguration(savedName));
        const QByteArray line = QByteArray(kSystemName) + "\t";
        const int at = text.indexOf("\n" + line);
        EXPECT_GE(at, 0) << "no systemName line in the saved configuration";
        if (at < 0) return {};
        const int end = text.indexOf('\n', at + 1);
        const int valueAt = text.indexOf('\t', at + line.size() + 1) + 1;
        text.replace(valueAt, end - valueAt, systemName.toUtf8());
        sim().clearJournal();
        ui().boxes.clear();
        return writeWorkFile(relativePath, text);
    }
};

// The device on an address of its own, as a real one is: its transfers come from there.
class CfgFileElsewhere : public CfgFile {
    std::vector<std::string> deviceArguments() const override { return {"--address", "127.0.0.5"}; }
};

TEST_F(CfgFile, SaveWithBareNameSendsServerAndNameThenPutThenConfigsaveAndStoresTheDcfFile) {
    open();
    const QByteArray saved = readFile(saveDeviceConfiguration("backup"));
    EXPECT_EQ(captionOf(kSaved), "OK");
    ASSERT_TRUE(saved.startsWith("#VRA-2260-DCF 1")) << saved.left(40).toStdString();
    EXPECT_TRUE(FM_CfgFile->Ed_UpgFile->text().isEmpty());

    ASSERT_TRUE(pumpUntil([&] { return sets().size() == 3; }));
    const std::vector<SimSetRecord> all = sets();
    ASSERT_EQ(oids(all[0]),
              (std::vector<std::string>{oid::tftpServerIPAddress, oid::tftpRemoteFileName}));
    EXPECT_EQ(all[0].vbs[0].value, "127.0.0.1");
    EXPECT_EQ(all[0].vbs[1].value, "backup.dcf");
    ASSERT_EQ(oids(all[1]), std::vector<std::string>{oid::tftpcommand});
    EXPECT_EQ(all[1].vbs[0].value, "3");
    ASSERT_EQ(oids(all[2]), std::vector<std::string>{oid::tftpUpgradeSettingCommand});
    EXPECT_EQ(all[2].vbs[0].value, "3");
}

// A name with a letter outside ASCII is told to the device in 8-bit text; the files the user
// chose move byte for byte.
TEST_F(CfgFileElsewhere, UpdateRestoresTheFileOnTheDeviceAfterTheCountdowns_OncePressedTwice) {
    open();
    // The whole path is searched: ".DCF" in a folder name lets a ".txt" file through.
    QDir(workDir()).mkdir("old.DCF");
    const QString restore = restoreFileNaming("Restored-AP", "old.DCF/Einstellungen-M\u00E4rz.txt",
                                              "Sicherung-M\u00E4rz");
    ASSERT_FALSE(restore.isEmpty());
    setTimeScale(0.01);
    // A save just before, whose Configsave the device refuses after the update's has answered.
    const std::string refuseOnce = "fail " + oid::tftpUpgradeSettingCommand + " genErr set 1";
    sim().knob(refuseOnce);
    sim().knob("delay 1500 " + oid::tftpUpgradeSettingCommand + " set");
    saveTo(workDir() + "/again");
    ASSERT_TRUE(pumpUntil([&] { return !valuesSentTo(oid::tftpUpgradeSettingCommand).empty(); }));
    sim().knob("delay off");
    // A device may restart before it answers the Reboot; its time-out comes soon here.
    sim().knob("restart-answer off");
    FM_CfgFile->reqReboot->Timeout = 5000;
    watchCountdowns();
    updateFrom(restore);
    FM_CfgFile->Bt_OK->click();
    ASSERT_TRUE(waitForBox("The configuration file update successfully!", 20000));
    EXPECT_EQ(countdowns, (std::vector<CountdownSeen>{{10, false, "Updating config file..."},
                                                      {50, false, "Device is restarting..."}}));
    EXPECT_EQ(captionOf("The configuration file update successfully!"), "OK");
    EXPECT_EQ(sim().value(kSystemName), "Restored-AP");
    ASSERT_EQ(transfers("get").size(), 1u) << whatHappened();
    EXPECT_EQ(transfers("get")[0].fields.at("checksum"), checksum(readFile(restore)));
    EXPECT_EQ(FM_CfgFile->Ed_UpgFile->text(), restore);
    ASSERT_TRUE(pumpUntil([] { return !FM_CfgFile->reqReboot->Busy(); }, 10000));
    ASSERT_TRUE(pumpUntil([] { return !FM_CfgFile->reqSaveConfigsave->Busy(); }));
    const std::vector<SimSetRecord> all = sets();  // the save's server, name, Put, Configsave
    ASSERT_GE(all.size(), 6u);
    EXPECT_EQ(oids(all[3]),
              (std::vector<std::string>{oid::tftpServerIPAddress, oid::tftpRemoteFileName}));
    EXPECT_EQ(all[3].vbs[1].value, "Einstellungen-M\xE4rz.txt");
    EXPECT_EQ(oids(all[4]), std::vector<std::string>{oid::tftpUpgradeSettingCommand});
    EXPECT_EQ(all[4].vbs[0].value, "3");
    // The Reboot, and its repeat by the request's own retry.
    for (size_t i = 5; i < all.size(); ++i) EXPECT_EQ(all[i].vbs[0].value, "4") << i;
    EXPECT_EQ(boxTexts(),
              (std::vector<QString>{kSaved, "The configuration file update successfully!"}))
        << "the unanswered Reboot is the restart, no failure";

    // Again, the Reboot alone refused (the knob comes once the Configsave has answered).
    sim().knob("restart-answer on");
    onCountdown = [&](TFM_Waiting*) { sim().knob(refuseOnce); };
    FM_CfgFile->Bt_OK->click();
    ASSERT_TRUE(
        pumpUntil([&] { return countdowns.size() == 4 && FM_CfgFile->Bt_OK->isEnabled(); }));
    EXPECT_EQ(boxTexts().back(), kFailed) << "no success over the failure";
}

TEST_F(CfgFile, InputRefusalsSendNothingAndTheLayoutShowsEveryCaptionWhole) {
    open();
    // Choosing an update file empties the save box.
    ui().saveNames = QStringList{workDir() + "/backup"};
    FM_CfgFile->Bt_SavBrw->click();
    EXPECT_EQ(FM_CfgFile->Ed_SaveFile->text(), workDir() + "/backup");
    ui().openNames = QStringList{workDir() + "/x.dcf"};
    FM_CfgFile->Bt_Browse->click();
    EXPECT_TRUE(FM_CfgFile->Ed_SaveFile->text().isEmpty());
    EXPECT_EQ(FM_CfgFile->Ed_UpgFile->text(), workDir() + "/x.dcf");
    EXPECT_TRUE(FM_CfgFile->Ed_SaveFile->isReadOnly());
    expectTidyLayout(FM_CfgFile);
    saveScreenshot(FM_CfgFile, "configuration-file");
    FM_CfgFile->Ed_UpgFile->clear();

    FM_CfgFile->Bt_Upload->click();
    FM_CfgFile->Bt_OK->click();
    EXPECT_EQ(boxTexts(),
              (std::vector<QString>{"Empty file is not accepted.", "Empty file is not accepted."}));
    ui().boxes.clear();
    updateFrom(workDir() + "/missing.dcf");
    updateFrom(writeWorkFile("plain.txt", "x"));
    QDir(workDir()).mkdir("folder.dcf");
    updateFrom(workDir() + "/folder.dcf");
    EXPECT_EQ(boxTexts(), (std::vector<QString>{"File format error! Please try again!",
                                                "File format error! Please try again!",
                                                "File format error! Please try again!"}));
    ui().boxes.clear();
    saveTo("backup");
    // An update file named without a folder, though it exists in the current one.
    writeWorkFile("here.dcf", "#VRA-2260-DCF 1\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(workDir());
    updateFrom("here.dcf");
    QDir::setCurrent(previous);
    EXPECT_EQ(boxTexts(),
              (std::vector<QString>{"The file path is error.", "The file path is error."}));
    EXPECT_EQ(captionOf("The file path is error."), "Warning");
    // A name beyond 8-bit text cannot be told to the device: the access layer refuses it.
    saveTo(workDir() + "/Sicherung-\u03A9");
    EXPECT_FALSE(FM_CfgFile->StatusBar->PanelText(0).isEmpty());
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(sets().empty());
}

// Only the device's own upload lands in the user's file: another machine's write before it or
// while it runs is refused, no other file of the folder is served, an update pressed meanwhile
// does nothing, the saved file is read only
// by the device's one fetch on Configsave, and a device write that comes after the page gave up
// is refused too. The device may begin each transfer 10 s after it was told to, far past the
// server's 3 s per packet. A device that refuses Configsave fetches nothing: the save stays a
// success, and the file is closed to it.
TEST_F(CfgFile, SaveTakesTheDevicesOneUploadAndNothingElse_BegunLate) {
    QDir(workDir()).mkpath("restore");
    const QString restore = writeWorkFile("restore/backup.dcf", "#VRA-2260-DCF 1\nmine\n");
    const QString notes = writeWorkFile("notes.txt", "mine");
    setTimeScale(0.1);
    sim().knob("tftp answer=before start=1000");
    open();
    saveTo(workDir() + "/backup");
    FM_CfgFile->Ed_UpgFile->SetText(restore);
    FM_CfgFile->Bt_OK->click();
    EXPECT_FALSE(FM_CfgFile->Bt_Upload->isEnabled()) << "a second save could start";
    EXPECT_EQ(foreignTransfer("backup.dcf", true), 69) << "a write before the device's";
    for (bool write : {false, true})
        EXPECT_EQ(foreignTransfer("notes.txt", write, "127.0.0.1"), 69) << "another file served";
    ASSERT_TRUE(deviceTransferBegun(FM_CfgFile->tftpServer.get())) << whatHappened();
    EXPECT_EQ(foreignTransfer("backup.dcf", true), 69) << "a write during the device's";
    ASSERT_TRUE(waitForBox(kSaved, 20000));
    QByteArray saved = readFile(workDir() + "/backup.dcf");
    ASSERT_EQ(transfers("put").size(), 1u) << whatHappened();
    EXPECT_EQ(transfers("put")[0].fields.at("checksum"), checksum(saved));
    ASSERT_TRUE(pumpUntil([&] { return !transfers("get").empty(); }, 20000)) << whatHappened();
    EXPECT_EQ(transfers("get")[0].fields.at("result"), "ok");
    EXPECT_EQ(foreignTransfer("backup.dcf", false), 69) << "the saved file was read";
    EXPECT_FALSE(QFile::exists(workDir() + "/foreign.got"));
    EXPECT_EQ(readFile(restore), "#VRA-2260-DCF 1\nmine\n");
    EXPECT_EQ(readFile(notes), "mine");
    EXPECT_EQ(valuesSentTo(oid::tftpRemoteFileName), std::vector<std::string>{"backup.dcf"});
    EXPECT_EQ(valuesSentTo(oid::tftpUpgradeSettingCommand), std::vector<std::string>{"3"});
    EXPECT_TRUE(FM_CfgFile->Bt_OK->isEnabled());

    sim().clearJournal();
    ui().boxes.clear();
    sim().knob("fail " + oid::tftpUpgradeSettingCommand + " genErr set 1");
    saveTo(workDir() + "/backup");
    ASSERT_TRUE(waitForBox(kSaved, 20000));
    ASSERT_TRUE(pumpUntil([] { return !FM_CfgFile->reqSaveConfigsave->Busy(); }));
    ASSERT_EQ(valuesSentTo(oid::tftpUpgradeSettingCommand).size(), 1u) << whatHappened();
    EXPECT_EQ(foreignTransfer("backup.dcf", false, "127.0.0.1"), 69) << "read by the device";
    EXPECT_EQ(boxTexts(), std::vector<QString>{kSaved});
    saved = readFile(workDir() + "/backup.dcf");

    sim().clearJournal();
    sim().knob("tftp answer=before start=1500");
    setTimeScale(0.02);
    saveTo(workDir() + "/backup");
    ASSERT_TRUE(waitForBox(kFailed, 20000));
    ASSERT_TRUE(pumpUntil([&] { return !transfers("put").empty(); }, 20000)) << whatHappened();
    EXPECT_NE(transfers("put")[0].fields.at("result"), "ok") << "a write after the failure";
    EXPECT_EQ(readFile(workDir() + "/backup.dcf"), saved);
}

// A save or an update that fails on its way ends in the ERROR box alone (or, refused before the
// device was told to move the file, with the refusal in the status bar), sends no Configsave
// for a save and no Reboot for an update, keeps an earlier backup of the same name and the
// device's settings as they were, and gives the buttons back.
struct TransferFailure {
    const char* what;
    bool update;
    std::string knob;  // empty: none
    double timeScale;  // 0: unscaled
    bool errorBox;
    const char* name = "backup";  // the save's, relative to the work folder
};

void PrintTo(const TransferFailure& failure, std::ostream* os) {
    *os << failure.what;
}

class CfgFileFailure : public CfgFile, public ::testing::WithParamInterface<TransferFailure> {};

TEST_P(CfgFileFailure, EndsWithoutSuccessOrRestartAndKeepsFilesAndSettings) {
    const TransferFailure& failure = GetParam();
    const QString existing = writeWorkFile("backup.dcf", "precious earlier backup\n");
    open();
    const QString restore = failure.update ? restoreFileNaming("Lost-AP", "lost.dcf") : "";
    if (!failure.knob.empty()) sim().knob(failure.knob);
    if (failure.timeScale > 0) setTimeScale(failure.timeScale);
    if (failure.update)
        updateFrom(restore);
    else
        saveTo(workDir() + "/" + failure.name);
    if (failure.errorBox) {
        ASSERT_TRUE(waitForBox(kFailed, 20000));
        EXPECT_EQ(captionOf(kFailed), "ERROR");
    } else {
        ASSERT_TRUE(pumpUntil([] { return !FM_CfgFile->StatusBar->PanelText(0).isEmpty(); }));
    }
    ASSERT_TRUE(pumpUntil([] { return FM_CfgFile->Bt_OK->isEnabled(); }));
    pumpUntil([] { return false; }, 300);
    EXPECT_EQ(boxTexts().size(), failure.errorBox ? 1u : 0u) << whatHappened();
    const std::vector<std::string> commands = valuesSentTo(oid::tftpUpgradeSettingCommand);
    for (const std::string& sent : commands) EXPECT_EQ(sent, "3") << whatHappened();
    // No command may follow a failed address and name set: the device would use older ones.
    if (!failure.errorBox) {
        EXPECT_TRUE(valuesSentTo(oid::tftpcommand).empty() && commands.empty()) << whatHappened();
    }
    // The page has stopped waiting: not even the device's address is admitted any more.
    EXPECT_EQ(
        foreignTransfer(failure.update ? "lost.dcf" : "backup.dcf", !failure.update, "127.0.0.1"),
        69);
    if (!failure.update) {
        EXPECT_TRUE(commands.empty()) << whatHappened();
        EXPECT_EQ(readFile(existing), "precious earlier backup\n");
    }
    EXPECT_FALSE(QFile::exists(workDir() + "/no-such-folder"));
    EXPECT_NE(sim().value(kSystemName), "Lost-AP");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CfgFileFailure,
    ::testing::Values(
        TransferFailure{"SaveTransferFailsAfterThePutWasAccepted", false,
                        "tftp answer=before fail=error", 0.05, true},
        TransferFailure{"DeviceRefusesThePut", false, "fail " + oid::tftpcommand + " genErr set", 0,
                        true},
        TransferFailure{"SaveTransferNeverComes", false, "tftp answer=before fail=never", 0.05,
                        true},
        TransferFailure{"SaveTransferStallsMidway", false, "tftp answer=before fail=timeout", 0.05,
                        true},
        TransferFailure{"PutTimesOut", false, "silence " + oid::tftpcommand, 0.01, true},
        TransferFailure{"DeviceWritesAnotherName", false, "tftp name=backup.txt", 0.05, true},
        TransferFailure{"SaveFolderIsMissing", false, "", 0, true, "no-such-folder/backup"},
        TransferFailure{"SaveServerAndNameSetFails", false,
                        "fail " + oid::tftpRemoteFileName + " wrongValue set", 0, false},
        TransferFailure{"UpdateTransferFails", true, "tftp answer=before fail=error", 0.01, true},
        TransferFailure{"ConfigsaveTimesOut", true, "silence " + oid::tftpUpgradeSettingCommand,
                        0.005, true},
        TransferFailure{"DeviceRefusesConfigsave", true,
                        "fail " + oid::tftpUpgradeSettingCommand + " genErr set", 0, true},
        TransferFailure{"DeviceReadsAnotherName", true, "tftp name=other.dcf", 0.01, true},
        TransferFailure{"UpdateServerAndNameSetFails", true,
                        "fail " + oid::tftpRemoteFileName + " wrongValue set", 0.01, false}),
    [](const ::testing::TestParamInfo<TransferFailure>& info) { return info.param.what; });

}  // namespace
