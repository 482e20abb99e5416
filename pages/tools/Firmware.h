#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "library/snmp/CvSNMPVarList.h"
#include "pages/tools/TransferPage.h"
#include "pages/tools/TransferWatch.h"

class QComboBox;
class QLabel;
class QPushButton;
class CvEdit;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
class CvTFTPServer;

// Tools \ Firmware and SSL Certification Upload: the device fetches a firmware image, an SSL
// certificate or its key from the page's TFTP server and installs it; a firmware image is
// followed by a restart.
class TFM_Firmware : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Firmware(QWidget* owner = nullptr);
    ~TFM_Firmware() override;

    QLabel* Label35;
    QLabel* La_File;
    CvEdit* Ed_UpgFile;
    QPushButton* Bt_Browse;
    QPushButton* Bt_OK;
    QLabel* Label1;
    QLabel* LA_Certificate;
    CvEdit* EDT_Certificate;
    QPushButton* Bt_CBrowse;
    QPushButton* Bt_CUpload;
    QLabel* LA_Key;
    CvEdit* EDT_Key;
    QPushButton* Bt_KBrowse;
    QPushButton* Bt_KUpload;
    CvEdit* Ed_TfpSrv;
    QComboBox* CB_TfpCom;
    QComboBox* CB_UpgCom;
    CvStatusBar* StatusBar;
    CvStatusBar* StatusBar2;
    CvStatusBar* StatusBar1;
    QComboBox* CB_SslUpdt;
    QComboBox* CB_Reboot;
    QLabel* La_TftpSrv;
    QLabel* La_UpComm;
    QLabel* La_UpgrdComm;
    TransferFileDialog OD_File;
    TransferFileDialog ODSSL_File;

    std::unique_ptr<CvSNMPRequest2Edits> reqTftpServer;
    std::unique_ptr<CvSNMPRequest2Edits> reqTftpCommand;
    std::unique_ptr<CvSNMPRequest2Edits> reqUpgradeCommand;
    std::unique_ptr<CvTFTPServer> tftpServer;

    int transferKind = 1;  // 1 firmware, 2 certificate, 3 key
    bool transferStarted = false;
    bool rebootArmed = true;

    void FormCreate();
    void Bt_BrowseClick();
    void Bt_CBrowseClick();
    void Bt_KBrowseClick();
    void Bt_OKClick();
    void Bt_CUploadClick();
    void Bt_KUploadClick();
    bool FormCloseQuery();
    void OnTftpMessage(const CvTFTPMsg& message);

    // The outcomes of the two command sets; they reach the page through FM_Firmware.
    static void OnCommandSet(const CvSNMPError& error);
    static void OnUpgradeCommandSet(const CvSNMPError& error);

    void StartFirmwareUpdate();
    void StartCertificateUpdate();
    void StartKeyUpdate();

    void done(int result) override;

  private:
    void buildControls();
    void buildRequests();
    void uploadSslFile(CvEdit* edit, int kind);
    void sendFile(const QString& path);
    void OnServerSet(const CvSNMPError& error);
    void runStage(const QString& loadingText, std::function<void()> sendCommand);
    void setKeyControlsEnabled(bool enabled);
    // One upload at a time, from its first set to the answer of its last command (for a
    // firmware image, the Reboot's): the file rows are disabled meanwhile.
    void setUploading(bool uploading);

    QWidget* fileRows_ = nullptr;
    TransferWatch* fileTransfer_ = nullptr;
    QString fileName_;
};

extern TFM_Firmware* FM_Firmware;

// ---- Rules ----------------------------------------------------------------------------------
// The extension checks are case-sensitive and search the whole path, folders included.

// Empty, or naming a folder (ending in a separator).
bool isMissingFileName(const QString& path);
// Holds ".bin" or ".tfp".
bool isFirmwarePath(const QString& path);
// Holds ".der" or ".pem".
bool isCertificatePath(const QString& path);
