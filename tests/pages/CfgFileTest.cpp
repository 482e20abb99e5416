#include <QDir>
#include <QFile>
#include <QPushButton>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Cfghis.h"
#include "tests/pages/LogFixture.h"

namespace {

const char* const kSystemName = "1.3.6.1.2.1.1.5.0";

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
        EXPECT_TRUE(waitForBox("The configuration file saved successfully!"));
        // The device fetches the saved file once more on the Configsave that follows; the
        // server must still serve this folder until it has.
        EXPECT_TRUE(
            pumpUntil([&] { return !valuesSentTo(oid::tftpUpgradeSettingCommand).empty(); }));
        return workDir() + "/" + dcfSaveName(name);
    }

    // A copy of the device's saved configuration whose system name is changed, written under
    // the relative path given; returns its full path.
    QString restoreFileNaming(const QString& systemName, const QString& relativePath) {
        QByteArray text = readFile(saveDeviceConfiguration("base"));
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

const char* const kSaved = "The configuration file saved successfully!";
const char* const kFailed = "Fail to save the configuration file!";

TEST_F(CfgFile, SaveWithBareNameSendsServerAndNameThenPutThenConfigsaveAndStoresTheDcfFile) {
    open();
    saveTo(workDir() + "/backup");
    ASSERT_TRUE(waitForBox(kSaved));
    EXPECT_EQ(captionOf(kSaved), "OK");
    const QByteArray saved = readFile(workDir() + "/backup.dcf");
    ASSERT_TRUE(saved.startsWith("#VRA-2260-DCF 1")) << saved.left(40).toStdString();
    ASSERT_FALSE(transfers("put").empty());
    EXPECT_EQ(transfers("put").back().fields.at("bytes"), std::to_string(saved.size()));
    EXPECT_EQ(transfers("put").back().fields.at("checksum"), checksum(saved));
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

TEST_F(CfgFile, NamesHoldingDcfInAnyCaseAreUsedUnchanged) {
    open();
    for (const char* name : {"Backup.DCF", "a.dcf.old"}) {
        sim().clearJournal();
        ui().boxes.clear();
        saveTo(workDir() + "/" + name);
        ASSERT_TRUE(waitForBox(kSaved)) << name;
        EXPECT_EQ(valuesSentTo(oid::tftpRemoteFileName), std::vector<std::string>{name});
        EXPECT_TRUE(QFile::exists(workDir() + "/" + name)) << name;
    }
}

TEST_F(CfgFile, ChoosingAnUpdateFileEmptiesTheSaveBox) {
    open();
    ui().saveNames = QStringList{workDir() + "/backup"};
    FM_CfgFile->Bt_SavBrw->click();
    EXPECT_EQ(FM_CfgFile->Ed_SaveFile->text(), workDir() + "/backup");
    ui().openNames = QStringList{workDir() + "/x.dcf"};
    FM_CfgFile->Bt_Browse->click();
    EXPECT_TRUE(FM_CfgFile->Ed_SaveFile->text().isEmpty());
    EXPECT_EQ(FM_CfgFile->Ed_UpgFile->text(), workDir() + "/x.dcf");
    EXPECT_TRUE(FM_CfgFile->Ed_SaveFile->isReadOnly());
}

TEST_F(CfgFile, UpdateRestoresTheFileOnTheDeviceAfterTheCountdowns) {
    open();
    // The whole path is searched: ".DCF" in a folder name lets a ".txt" file through.
    QDir(workDir()).mkdir("old.DCF");
    const QString restore = restoreFileNaming("Restored-AP", "old.DCF/settings.txt");
    ASSERT_FALSE(restore.isEmpty());
    setTimeScale(0.01);
    watchCountdowns();
    updateFrom(restore);
    ASSERT_TRUE(waitForBox("The configuration file update successfully!", 20000));
    EXPECT_EQ(countdowns, (std::vector<CountdownSeen>{{10, false, "Updating config file..."},
                                                      {50, false, "Device is restarting..."}}));
    EXPECT_EQ(captionOf("The configuration file update successfully!"), "OK");
    EXPECT_EQ(sim().value(kSystemName), "Restored-AP");
    const std::vector<SimSetRecord> all = sets();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(oids(all[0]),
              (std::vector<std::string>{oid::tftpServerIPAddress, oid::tftpRemoteFileName}));
    EXPECT_EQ(all[0].vbs[1].value, "settings.txt");
    EXPECT_EQ(oids(all[1]), std::vector<std::string>{oid::tftpUpgradeSettingCommand});
    EXPECT_EQ(all[1].vbs[0].value, "3");
    EXPECT_EQ(all[2].vbs[0].value, "4");
    EXPECT_EQ(FM_CfgFile->Ed_UpgFile->text(), restore);
}

TEST_F(CfgFile, UpdateWhoseFileNeverReachesTheDeviceGivesErrorAndNoRestart) {
    open();
    const QString restore = restoreFileNaming("Lost-AP", "lost.dcf");
    ASSERT_FALSE(restore.isEmpty());
    setTimeScale(0.01);
    sim().knob("tftp answer=before fail=error");
    watchCountdowns();
    updateFrom(restore);
    ASSERT_TRUE(waitForBox(kFailed, 20000));
    EXPECT_EQ(captionOf(kFailed), "ERROR");
    pumpUntil([] { return false; }, 300);
    EXPECT_FALSE(boxShown("The configuration file update successfully!"));
    EXPECT_EQ(valuesSentTo(oid::tftpUpgradeSettingCommand), std::vector<std::string>{"3"});
    EXPECT_EQ(countdowns, (std::vector<CountdownSeen>{{10, false, "Updating config file..."}}));
}

TEST_F(CfgFile, UpdatePressedTwiceRestartsTheDeviceOnce) {
    open();
    const QString restore = restoreFileNaming("Twice-AP", "twice.dcf");
    ASSERT_FALSE(restore.isEmpty());
    setTimeScale(0.01);
    updateFrom(restore);
    FM_CfgFile->Bt_OK->click();
    ASSERT_TRUE(waitForBox("The configuration file update successfully!", 20000));
    pumpUntil([] { return false; }, 500);
    EXPECT_EQ(valuesSentTo(oid::tftpUpgradeSettingCommand),
              (std::vector<std::string>{"3", "3", "4"}));
    EXPECT_EQ(boxTexts(), std::vector<QString>{"The configuration file update successfully!"});
    EXPECT_EQ(sim().value(kSystemName), "Twice-AP");
}

TEST_F(CfgFile, InputRefusalsSendNothing) {
    open();
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
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(sets().empty());
}

TEST_F(CfgFile, FailedServerAndNameSetStopsTheSave) {
    sim().knob("fail " + oid::tftpRemoteFileName + " wrongValue set");
    open();
    saveTo(workDir() + "/backup");
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(valuesSentTo(oid::tftpcommand).empty());
    EXPECT_FALSE(FM_CfgFile->StatusBar->PanelText(0).isEmpty());
    EXPECT_TRUE(boxTexts().empty());
}

TEST_F(CfgFile, LatePutAnswerDuringAnUpdateIsIgnored) {
    open();
    const QString saved = saveDeviceConfiguration("base");
    sim().clearJournal();
    ui().boxes.clear();
    setTimeScale(0.01);
    sim().knob("delay 600 " + oid::tftpcommand + " set");
    saveTo(workDir() + "/second");
    updateFrom(saved);
    ASSERT_TRUE(waitForBox("The configuration file update successfully!", 20000));
    ASSERT_TRUE(pumpUntil([&] { return !valuesSentTo(oid::tftpcommand).empty(); }));
    pumpUntil([] { return false; }, 800);
    EXPECT_FALSE(boxShown(kSaved));
    // Only the update's Configsave and Reboot: the answer to Put sent nothing.
    EXPECT_EQ(valuesSentTo(oid::tftpUpgradeSettingCommand), (std::vector<std::string>{"3", "4"}));
}

TEST_F(CfgFile, LayoutShowsEveryCaptionWhole) {
    open();
    FM_CfgFile->Ed_UpgFile->SetText(workDir() + "/backup.dcf");
    expectTidyLayout(FM_CfgFile);
    saveScreenshot(FM_CfgFile, "configuration-file");
}

// A save that fails in one of the ways below ends in the ERROR box alone, sends no Configsave,
// and leaves an earlier backup of the same name as it was.
struct SaveFailure {
    const char* what;
    std::string knob;  // empty: none
    double timeScale;  // 0: unscaled
    const char* name;  // relative to the work folder
};

void PrintTo(const SaveFailure& failure, std::ostream* os) {
    *os << failure.what;
}

class CfgFileSaveFailure : public CfgFile, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(CfgFileSaveFailure, GivesTheErrorBoxNoSuccessAndKeepsTheEarlierBackup) {
    const SaveFailure& failure = GetParam();
    const QString existing = writeWorkFile("backup.dcf", "precious earlier backup\n");
    if (!failure.knob.empty()) sim().knob(failure.knob);
    if (failure.timeScale > 0) setTimeScale(failure.timeScale);
    open();
    saveTo(workDir() + "/" + failure.name);
    ASSERT_TRUE(waitForBox(kFailed, 20000));
    EXPECT_EQ(captionOf(kFailed), "ERROR");
    EXPECT_FALSE(boxShown(kSaved));
    EXPECT_TRUE(valuesSentTo(oid::tftpUpgradeSettingCommand).empty()) << whatHappened();
    EXPECT_EQ(readFile(existing), "precious earlier backup\n");
    EXPECT_FALSE(QFile::exists(workDir() + "/no-such-folder"));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CfgFileSaveFailure,
    ::testing::Values(
        SaveFailure{"TransferFailsAfterThePutWasAccepted", "tftp answer=before fail=error", 0,
                    "backup"},
        SaveFailure{"DeviceRefusesThePut", "fail " + oid::tftpcommand + " genErr set", 0, "backup"},
        SaveFailure{"TransferNeverComes", "tftp answer=before fail=never", 0.05, "backup"},
        SaveFailure{"TransferStallsMidway", "tftp answer=before fail=timeout", 0, "backup"},
        SaveFailure{"FolderIsMissing", "", 0, "no-such-folder/backup"}),
    [](const ::testing::TestParamInfo<SaveFailure>& info) { return info.param.what; });

}  // namespace
