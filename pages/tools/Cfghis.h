#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "library/snmp/CvSNMPVarList.h"
#include "pages/tools/TransferPage.h"
#include "pages/tools/TransferWatch.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Edits;
class CvTFTPServer;

// Tools \ Configuration File: saves the device's configuration file to the PC, or sends a
// configuration file to the device and restarts it, through the page's TFTP server.
class TFM_CfgFile : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_CfgFile(QWidget* owner = nullptr);
    ~TFM_CfgFile() override;

    QGroupBox* GB_UpdateFile;
    QLabel* Label3;
    CvEdit* Ed_UpgFile;
    QPushButton* Bt_Browse;
    QPushButton* Bt_OK;
    QGroupBox* GB_SaveFile;
    QLabel* Label4;
    CvEdit* Ed_SaveFile;
    QPushButton* Bt_SavBrw;
    QPushButton* Bt_Upload;
    QLabel* Label1;
    CvEdit* Ed_TfpSrv;
    QComboBox* CB_TfpCom;
    QComboBox* CB_UpgCom;
    QLabel* La_TftpSrv;
    QLabel* La_UpComm;
    QLabel* La_UpgrdComm;
    CvStatusBar* StatusBar;
    TransferFileDialog OD_File;
    TransferFileDialog OD_SaveFile;

    std::unique_ptr<CvSNMPRequest2Edits> reqTftpServer;
    // tftpUpgradeSettingCommand goes out on one request per purpose, whose routine knows what its
    // answer is for: a save's Configsave may answer long after an update's, and an update's
    // Reboot after the next update's Configsave.
    std::unique_ptr<CvSNMPRequest2Edits> reqUpgradeCommand;  // an update's Configsave
    std::unique_ptr<CvSNMPRequest2Edits> reqSaveConfigsave;
    std::unique_ptr<CvSNMPRequest2Edits> reqReboot;
    std::unique_ptr<CvSNMPRequest2Edits> reqTftpCommand;
    std::unique_ptr<CvTFTPServer> tftpServer;

    // An update has sent its Configsave command; its answer starts the restart.
    bool updatePending = false;

    void FormCreate();
    void Bt_BrowseClick();
    void Bt_SavBrwClick();
    void Bt_UploadClick();
    void Bt_OKClick();
    bool FormCloseQuery();
    void OnTftpMessage(const CvTFTPMsg& message);

    enum class UpgradePurpose { SaveConfigsave, UpdateConfigsave, Reboot };
    // The outcomes of the command sets; they reach the page through FM_CfgFile.
    static void OnCommandSet(const CvSNMPError& error);
    static void OnUpgradeCommandSet(UpgradePurpose purpose, const CvSNMPError& error);

    void done(int result) override;

  private:
    void buildControls();
    void buildRequests();
    // Sets the server address and file name; false shows the failure in the status bar.
    bool setServerAndName();
    void saveReceived(bool received);
    void showError();
    // The update stops waiting without success: its admission is withdrawn, the error shown.
    void updateFailed();
    void restartAfterUpdate();
    bool rebootRefused_ = false;  // the device refused the Reboot of the update
    // One action at a time: while a save or an update runs, both file boxes and their buttons
    // are disabled.
    void setBusy(bool busy);
    QString saveName_;  // the name the device writes the save under

    std::unique_ptr<CvSNMPRequest2Edits>& upgradeRequest(UpgradePurpose purpose);
    void sendUpgradeCommand(int index, UpgradePurpose purpose);

    TransferWatch* saveTransfer_ = nullptr;
    TransferWatch* updateTransfer_ = nullptr;
    // The device's fetch of the file it has just saved, which Configsave makes.
    TransferWatch* fetchTransfer_ = nullptr;
};

extern TFM_CfgFile* FM_CfgFile;
// Set by Save to PC, cleared by Update device: the tftpcommand answer belongs to a save.
extern bool savePending;

// ---- Rules ----------------------------------------------------------------------------------

// The name the device's configuration is saved under: unchanged when it holds ".dcf" in any
// letter case anywhere, else with ".dcf" appended.
QString dcfSaveName(const QString& bareName);

// An update file must hold ".dcf" in any letter case somewhere in its whole path.
bool isDcfPath(const QString& path);
