#include "pages/tools/Firmware.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "library/tftp/CvTFTPServer.h"
#include "pages/common/PageForm.h"
#include "pages/tools/TftpObjects.h"
#include "platform/Ui.h"

TFM_Firmware* FM_Firmware = nullptr;

// ---- MIB item tables: the device's TFTP objects (TftpObjects) ------------------------------

namespace {

constexpr int kServerTimeout = 3000;
constexpr int kServerRetries = 3;

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_Firmware::TFM_Firmware(QWidget* owner) : QDialog(owner) {
    buildControls();
    fileTransfer_ = new TransferWatch(this);
    runGuarded(StatusBar, [this] { FormCreate(); });
    transferKind = 1;
    transferStarted = false;
    rebootArmed = true;
    OD_File.Filter = ".bin document|*.bin|.tfp document|*.tfp|All Files|*.*";
    ODSSL_File.Filter = ".der document|*.der|.pem document|*.pem|All Files|*.*";
}

TFM_Firmware::~TFM_Firmware() {
    FormCloseQuery();
}

void TFM_Firmware::buildControls() {
    setWindowTitle("Tools \\ Firmware and SSL Certification Upload");
    setSingleBorder(this);

    auto* body = new QWidget(this);
    fileRows_ = body;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    auto* firmwareRows = new QGridLayout;
    auto* sslRows = new QGridLayout;
    auto addFileRow = [&](QGridLayout* rows, int row, QLabel*& label, const char* caption,
                          CvEdit*& edit, QPushButton*& browse, QPushButton*& action,
                          const char* actionText) {
        label = new QLabel(caption, body);
        edit = new CvEdit(body);
        edit->setMinimumWidth(260);
        browse = new QPushButton("Browse", body);
        action = new QPushButton(actionText, body);
        rows->addWidget(label, row, 0);
        rows->addWidget(edit, row, 1);
        rows->addWidget(browse, row, 2);
        rows->addWidget(action, row, 3);
    };
    Label35 = new QLabel("Update Firmware From Local Hard Drive", body);
    Label1 = new QLabel("Update SSL Certification From Local Hard Drive", body);
    addFileRow(firmwareRows, 0, La_File, "Upgrade File:", Ed_UpgFile, Bt_Browse, Bt_OK, "OK");
    addFileRow(sslRows, 0, LA_Certificate, "Upload Certificate From File :", EDT_Certificate,
               Bt_CBrowse, Bt_CUpload, "Upload");
    addFileRow(sslRows, 1, LA_Key, "Upload Key From File : ", EDT_Key, Bt_KBrowse, Bt_KUpload,
               "Upload");
    // The captions share the widest one's width, so that the three file boxes line up.
    int captionWidth = 0;
    for (QLabel* caption : {La_File, LA_Certificate, LA_Key})
        captionWidth = std::max(captionWidth, caption->sizeHint().width());
    for (QLabel* caption : {La_File, LA_Certificate, LA_Key})
        caption->setMinimumWidth(captionWidth);
    for (QLabel* heading : {Label35, Label1}) {
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
    }
    column->addWidget(Label35);
    column->addLayout(firmwareRows);
    column->addSpacing(8);
    column->addWidget(Label1);
    column->addLayout(sslRows);

    Ed_TfpSrv = new CvEdit(this);
    CB_TfpCom = makeHiddenCombo(this);
    CB_UpgCom = makeHiddenCombo(this);
    CB_SslUpdt = makeHiddenCombo(this);
    CB_Reboot = makeHiddenCombo(this);
    StatusBar2 = new CvStatusBar(this);
    StatusBar1 = new CvStatusBar(this);
    La_TftpSrv = new QLabel(this);
    La_UpComm = new QLabel(this);
    La_UpgrdComm = new QLabel(this);
    for (QWidget* hidden : std::initializer_list<QWidget*>{Ed_TfpSrv, StatusBar2, StatusBar1,
                                                           La_TftpSrv, La_UpComm, La_UpgrdComm})
        hidden->hide();

    StatusBar = new CvStatusBar(this);
    layOutPage(this, body, {}, StatusBar);

    connectGuarded(Bt_Browse, &QPushButton::clicked, StatusBar, [this] { Bt_BrowseClick(); });
    connectGuarded(Bt_CBrowse, &QPushButton::clicked, StatusBar, [this] { Bt_CBrowseClick(); });
    connectGuarded(Bt_KBrowse, &QPushButton::clicked, StatusBar, [this] { Bt_KBrowseClick(); });
    connectGuarded(Bt_OK, &QPushButton::clicked, StatusBar, [this] { Bt_OKClick(); });
    connectGuarded(Bt_CUpload, &QPushButton::clicked, StatusBar, [this] { Bt_CUploadClick(); });
    connectGuarded(Bt_KUpload, &QPushButton::clicked, StatusBar, [this] { Bt_KUploadClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_Firmware::buildRequests() {
    reqTftpServer = std::make_unique<CvSNMPRequest2Edits>(this);
    reqTftpServer->Timeout = 10000;
    reqTftpServer->VarList = CvSNMPVarList(tftpServerTable, SVT_SV, 0);
    reqTftpServer->AssociateEdit(0, "%s", Ed_TfpSrv);
    reqTftpServer->AssociateEdit(1, "%s", Ed_UpgFile);
    // The command goes out only once the device holds the address and name it is to use.
    reqTftpServer->OnAfterSet = [this](CvSNMPRequest2Controls*, const CvSNMPError& error) {
        runGuarded(StatusBar, [&] { OnServerSet(error); });
    };

    // Every outcome of the command sets reaches its routine, refusals and time-outs too.
    reqTftpCommand = std::make_unique<CvSNMPRequest2Edits>(this);
    reqTftpCommand->Timeout = 15000;
    reqTftpCommand->VarList = CvSNMPVarList(tftpCommandTable, SVT_SV, 0);
    reqTftpCommand->AssociateComboBox(0, CB_TfpCom);
    reqTftpCommand->SetLogTarget(StatusBar);
    reqTftpCommand->OnAfterSet = [](CvSNMPRequest2Controls*, const CvSNMPError& error) {
        OnCommandSet(error);
    };

    reqUpgradeCommand = std::make_unique<CvSNMPRequest2Edits>(this);
    reqUpgradeCommand->Timeout = 15000;
    reqUpgradeCommand->VarList = CvSNMPVarList(upgradeCommandTable, SVT_SV, 0);
    reqUpgradeCommand->AssociateComboBox(0, CB_UpgCom);
    reqUpgradeCommand->SetLogTarget(StatusBar2);
    reqUpgradeCommand->OnAfterSet = [](CvSNMPRequest2Controls*, const CvSNMPError& error) {
        OnUpgradeCommandSet(error);
    };
}

void TFM_Firmware::FormCreate() {
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        reqTftpServer.reset();
        reqTftpCommand.reset();
        reqUpgradeCommand.reset();
        StatusBar->SetSimpleText(QString::fromStdString(failure.what()));
    }
    tftpServer = startPageServer(
        this, kServerTimeout, kServerRetries,
        [this](const CvTFTPMsg& message) { OnTftpMessage(message); }, QString());
    setKeyControlsEnabled(false);
}

void TFM_Firmware::setKeyControlsEnabled(bool enabled) {
    EDT_Key->setEnabled(enabled);
    Bt_KBrowse->setEnabled(enabled);
    Bt_KUpload->setEnabled(enabled);
}

void TFM_Firmware::setUploading(bool uploading) {
    // A second upload started meanwhile would take over transferKind and the device's staged
    // file, and its update command could reach a device that is already restarting. The key
    // controls keep their own state beneath the disabled rows.
    fileRows_->setEnabled(!uploading);
    // However an upload ends, the device's address may no longer fetch the file.
    if (!uploading) fileTransfer_->cancel();
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_Firmware::Bt_BrowseClick() {
    if (OD_File.Execute(this)) {
        Ed_UpgFile->SetText(OD_File.FileName);
        CvSNMPRequest2Edits::MarkChosen(Ed_UpgFile);
    }
}

void TFM_Firmware::Bt_CBrowseClick() {
    if (ODSSL_File.Execute(this)) {
        EDT_Certificate->SetText(ODSSL_File.FileName);
        CvSNMPRequest2Edits::MarkChosen(EDT_Certificate);
    }
}

void TFM_Firmware::Bt_KBrowseClick() {
    if (ODSSL_File.Execute(this)) {
        EDT_Key->SetText(ODSSL_File.FileName);
        CvSNMPRequest2Edits::MarkChosen(EDT_Key);
    }
}

void TFM_Firmware::Bt_OKClick() {
    transferKind = 1;
    const QString path = Ed_UpgFile->text();
    if (isMissingFileName(path)) {
        showWarning(this, "Please put in the firmware file & path.");
        return;
    }
    if (!isFirmwarePath(path) || !QFileInfo(path).isFile()) {
        showWarning(this, "Please put in valid firmware file & path.");
        return;
    }
    sendFile(path);
}

void TFM_Firmware::Bt_CUploadClick() {
    uploadSslFile(EDT_Certificate, 2);
}

void TFM_Firmware::Bt_KUploadClick() {
    uploadSslFile(EDT_Key, 3);
}

void TFM_Firmware::uploadSslFile(CvEdit* edit, int kind) {
    transferKind = kind;
    const QString path = edit->text();
    if (isMissingFileName(path)) {
        showWarning(this, "Empty file is not accepted!");
        return;
    }
    if (!isCertificatePath(path)) {
        showWarning(this, "File format error! Please try again.");
        edit->setFocus();
        return;
    }
    if (!QFileInfo(path).isFile()) {
        showWarning(this, "Please put in valid pem file & path.");
        return;
    }
    sendFile(path);
}

void TFM_Firmware::sendFile(const QString& path) {
    if (!reqTftpServer) return;
    fileName_ = bareNameOfPath(path);
    if (!serveOneFile(tftpServer.get(), *fileTransfer_, Ed_TfpSrv, path, fileName_, kDeviceReads))
        return;
    // The name travels through the firmware edit, which then shows what it showed before, so
    // that every edit keeps its full path until an upload has succeeded.
    const QString shown = Ed_UpgFile->text();
    Ed_UpgFile->SetText(fileName_);
    CvSNMPRequest2Edits::MarkChosen(Ed_UpgFile);
    setUploading(true);
    reqTftpServer->Set(true, true, "");
    Ed_UpgFile->SetText(shown);
    CvSNMPRequest2Edits::MarkChosen(Ed_UpgFile);
}

void TFM_Firmware::OnServerSet(const CvSNMPError& error) {
    if (error.Code != 0) {
        setUploading(false);
        StatusBar->ShowText(QString::fromStdString(error.Message));
        return;
    }
    transferStarted = true;
    CB_TfpCom->setCurrentIndex(TftpCommandIndex::Get);
    reqTftpCommand->Set(true, true, "");
}

void TFM_Firmware::OnCommandSet(const CvSNMPError& error) {
    TFM_Firmware* page = FM_Firmware;
    if (!page) return;
    if (error.Code != 0) {
        page->setUploading(false);
        showWarning(page, "Cant Perform Operation,Please try again!");
        page->StatusBar->ShowText(QString::fromStdString(error.Message));
        return;
    }
    page->StatusBar->ShowText(QString::fromStdString(error.Message) + "!");
    if (!page->transferStarted) {
        page->setUploading(false);
        return;
    }
    switch (page->transferKind) {
        case 1:
            page->StartFirmwareUpdate();
            break;
        case 2:
            page->StartCertificateUpdate();
            break;
        case 3:
            page->StartKeyUpdate();
            break;
        default:
            page->setUploading(false);
            break;
    }
}

void TFM_Firmware::runStage(const QString& loadingText, std::function<void()> sendCommand) {
    QPointer<TFM_Firmware> alive(this);
    runCountdown(this, 5, loadingText);
    if (!alive) return;
    // The device may still be reading the file when the short wait ends; an update command
    // before the whole file has arrived would install a truncated one.
    fileTransfer_->whenSettled(
        transferStartMs(kTransferStartWait),
        [this, sendCommand = std::move(sendCommand)](bool read) {
            // This runs from a timer or a posted call: nothing may escape into the event loop.
            runGuarded(StatusBar, [&] {
                if (!read || !reqUpgradeCommand) {
                    setUploading(false);
                    if (!read) showWarning(this, "Cant Perform Operation,Please try again!");
                    return;
                }
                sendCommand();
            });
        });
}

void TFM_Firmware::StartFirmwareUpdate() {
    // Armed here, not when a wait ends, so that no earlier certificate stage leaves this image
    // without its restart.
    rebootArmed = true;
    runStage("Loading firmware file...", [this] {
        CB_UpgCom->setCurrentIndex(UpgradeCommandIndex::Firmwareupdate);
        reqUpgradeCommand->Set(true, true, "");
        runCountdown(this, 100, "Updating firmware file...");
    });
}

void TFM_Firmware::StartCertificateUpdate() {
    runStage("Loading pem file...", [this] {
        CB_UpgCom->setCurrentIndex(UpgradeCommandIndex::CertificateFileUpdate);
        reqUpgradeCommand->Set(true, true, "");
        rebootArmed = false;
        setKeyControlsEnabled(true);
    });
}

void TFM_Firmware::StartKeyUpdate() {
    runStage("Loading pem file...", [this] {
        CB_UpgCom->setCurrentIndex(UpgradeCommandIndex::KeyFileUpdate);
        reqUpgradeCommand->Set(true, true, "");
        setKeyControlsEnabled(false);
    });
}

void TFM_Firmware::OnUpgradeCommandSet(const CvSNMPError& error) {
    TFM_Firmware* page = FM_Firmware;
    if (!page) return;
    if (error.Code != 0) {
        page->setUploading(false);
        page->StatusBar->ShowText(QString::fromStdString(error.Message));
        return;
    }
    // Only the answer to Firmwareupdate restarts the device; the Reboot answer and the SSL
    // answers never do.
    if (page->rebootArmed && page->transferKind == 1) {
        page->rebootArmed = false;
        page->StatusBar->ShowText(QString::fromStdString(error.Message) + "!");
        page->CB_UpgCom->setCurrentIndex(UpgradeCommandIndex::Reboot);
        page->reqUpgradeCommand->Set(true, true, "");
        QPointer<TFM_Firmware> alive(page);
        runCountdown(page, 40, "Device is restarting...");
        if (!alive) return;
        showWarning(page, "Update firmware success!");
        return;
    }
    page->setUploading(false);
    if (page->transferKind == 2) {
        showWarning(page, "Update SSL success!");
        page->EDT_Certificate->clear();
    } else if (page->transferKind == 3) {
        showWarning(page, "Please reboot the device for updete ssh key setting!");
        page->EDT_Key->clear();
    }
}

void TFM_Firmware::OnTftpMessage(const CvTFTPMsg& message) {
    fileTransfer_->onMessage(message);
}

void TFM_Firmware::done(int result) {
    FormCloseQuery();
    QDialog::done(result);
}

bool TFM_Firmware::FormCloseQuery() {
    if (fileTransfer_) fileTransfer_->cancel();
    reqTftpServer.reset();
    reqUpgradeCommand.reset();
    reqTftpCommand.reset();
    if (tftpServer) tftpServer->Stop();
    tftpServer.reset();
    return true;
}

// ---- Rules ----------------------------------------------------------------------------------

bool isMissingFileName(const QString& path) {
    return path.isEmpty() || path.endsWith(u'/') || path.endsWith(u'\\');
}

bool isFirmwarePath(const QString& path) {
    return path.contains(QStringLiteral(".tfp")) || path.contains(QStringLiteral(".bin"));
}

bool isCertificatePath(const QString& path) {
    return path.contains(QStringLiteral(".der")) || path.contains(QStringLiteral(".pem"));
}
