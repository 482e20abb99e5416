#include "pages/tools/Cfghis.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
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

TFM_CfgFile* FM_CfgFile = nullptr;
bool savePending = false;

// ---- MIB item tables: the device's TFTP objects (TftpObjects) ------------------------------

namespace {

constexpr int kServerTimeout = 300;
constexpr int kServerRetries = 3;
// The status of a request the device never answered.
constexpr int kNoAnswer = -405;

const char* const kFilter = ".dcf document|*.dcf|All Files|*.*";

}  // namespace

// ---- Controls -------------------------------------------------------------------------------

TFM_CfgFile::TFM_CfgFile(QWidget* owner) : QDialog(owner) {
    buildControls();
    saveTransfer_ = new TransferWatch(this);
    updateTransfer_ = new TransferWatch(this);
    fetchTransfer_ = new TransferWatch(this);
    runGuarded(StatusBar, [this] { FormCreate(); });
    updatePending = false;
    savePending = false;
    OD_File.Filter = kFilter;
    OD_SaveFile.Filter = kFilter;
    OD_SaveFile.Save = true;
}

TFM_CfgFile::~TFM_CfgFile() {
    FormCloseQuery();
}

void TFM_CfgFile::buildControls() {
    setWindowTitle("Tools \\ Configuration File");
    setSingleBorder(this);

    auto* body = new QWidget(this);
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    Label1 = new QLabel("Download Configuration File ", body);
    bodyLayout->addWidget(Label1);

    GB_UpdateFile = new QGroupBox("Update Configuration File ", body);
    auto* updateRow = new QGridLayout(GB_UpdateFile);
    Label3 = new QLabel("Update File", GB_UpdateFile);
    Ed_UpgFile = new CvEdit(GB_UpdateFile);
    Ed_UpgFile->setMinimumWidth(260);
    Bt_Browse = new QPushButton("Browse", GB_UpdateFile);
    Bt_OK = new QPushButton("OK", GB_UpdateFile);
    updateRow->addWidget(Label3, 0, 0);
    updateRow->addWidget(Ed_UpgFile, 0, 1);
    updateRow->addWidget(Bt_Browse, 0, 2);
    updateRow->addWidget(Bt_OK, 0, 3);
    bodyLayout->addWidget(GB_UpdateFile);

    GB_SaveFile = new QGroupBox("Load Settings to Local Hard Drive", body);
    auto* saveRow = new QGridLayout(GB_SaveFile);
    Label4 = new QLabel("Save File", GB_SaveFile);
    Ed_SaveFile = new CvEdit(GB_SaveFile);
    Ed_SaveFile->setMinimumWidth(260);
    Bt_SavBrw = new QPushButton("Browse", GB_SaveFile);
    Bt_Upload = new QPushButton("OK", GB_SaveFile);
    saveRow->addWidget(Label4, 0, 0);
    saveRow->addWidget(Ed_SaveFile, 0, 1);
    saveRow->addWidget(Bt_SavBrw, 0, 2);
    saveRow->addWidget(Bt_Upload, 0, 3);
    bodyLayout->addWidget(GB_SaveFile);

    Ed_TfpSrv = new CvEdit(this);
    Ed_TfpSrv->hide();
    CB_TfpCom = makeHiddenCombo(this);
    CB_UpgCom = makeHiddenCombo(this);
    La_TftpSrv = new QLabel(this);
    La_UpComm = new QLabel(this);
    La_UpgrdComm = new QLabel(this);
    for (QLabel* hidden : {La_TftpSrv, La_UpComm, La_UpgrdComm}) hidden->hide();

    // Both captions take the wider one's width, so that the two file boxes line up.
    const int captionWidth = std::max(Label3->sizeHint().width(), Label4->sizeHint().width());
    for (QLabel* caption : {Label3, Label4}) caption->setMinimumWidth(captionWidth);

    StatusBar = new CvStatusBar(this);
    StatusBar->AddPanel(-1);
    layOutPage(this, body, {}, StatusBar);

    connectGuarded(Bt_Browse, &QPushButton::clicked, StatusBar, [this] { Bt_BrowseClick(); });
    connectGuarded(Bt_SavBrw, &QPushButton::clicked, StatusBar, [this] { Bt_SavBrwClick(); });
    connectGuarded(Bt_Upload, &QPushButton::clicked, StatusBar, [this] { Bt_UploadClick(); });
    connectGuarded(Bt_OK, &QPushButton::clicked, StatusBar, [this] { Bt_OKClick(); });
}

// ---- Creation -------------------------------------------------------------------------------

void TFM_CfgFile::buildRequests() {
    reqTftpServer = std::make_unique<CvSNMPRequest2Edits>(this);
    reqTftpServer->Mode = 0;
    reqTftpServer->Timeout = 10000;
    reqTftpServer->VarList = CvSNMPVarList(tftpServerTable, SVT_SV, 0);
    reqTftpServer->AssociateEdit(0, "%s", Ed_TfpSrv);
    reqTftpServer->AssociateEdit(1, "%s", Ed_UpgFile);

    // Every outcome of the command sets reaches its routine, refusals and time-outs too, so that
    // a save or update the device did not take is never left without a word.
    for (const UpgradePurpose purpose : {UpgradePurpose::UpdateConfigsave,
                                         UpgradePurpose::SaveConfigsave, UpgradePurpose::Reboot}) {
        auto request = makeRequest(this, upgradeCommandTable, SVT_SV, 0, kAsynchronous, 30000);
        request->AssociateComboBox(0, CB_UpgCom);
        request->OnAfterSet = [purpose](CvSNMPRequest2Controls*, const CvSNMPError& error) {
            OnUpgradeCommandSet(purpose, error);
        };
        upgradeRequest(purpose) = std::move(request);
    }

    reqTftpCommand = std::make_unique<CvSNMPRequest2Edits>(this);
    reqTftpCommand->Timeout = 10000;
    reqTftpCommand->VarList = CvSNMPVarList(tftpCommandTable, SVT_SV, 0);
    reqTftpCommand->AssociateComboBox(0, CB_TfpCom);
    reqTftpCommand->OnAfterSet = [](CvSNMPRequest2Controls*, const CvSNMPError& error) {
        OnCommandSet(error);
    };
    reqTftpCommand->SetLogTarget(StatusBar);
}

void TFM_CfgFile::FormCreate() {
    try {
        buildRequests();
    } catch (const std::exception& failure) {
        StatusBar->SetSimpleText(QString::fromStdString(failure.what()));
    }
    setGreyedReadOnly(Ed_SaveFile);
    Ed_SaveFile->setEnabled(true);
    tftpServer = startPageServer(
        this, kServerTimeout, kServerRetries,
        [this](const CvTFTPMsg& message) { OnTftpMessage(message); }, QString());
}

// ---- Handlers -------------------------------------------------------------------------------

void TFM_CfgFile::Bt_BrowseClick() {
    if (!OD_File.Execute(this)) return;
    Ed_SaveFile->clear();
    Ed_UpgFile->SetText(OD_File.FileName);
    CvSNMPRequest2Edits::MarkChosen(Ed_UpgFile);
}

void TFM_CfgFile::Bt_SavBrwClick() {
    if (!OD_SaveFile.Execute(this)) return;
    Ed_SaveFile->clear();
    Ed_SaveFile->SetText(OD_SaveFile.FileName);
    CvSNMPRequest2Edits::MarkChosen(Ed_SaveFile);
}

bool TFM_CfgFile::setServerAndName() {
    CvSNMPError outcome;
    reqTftpServer->request().SetResultRoutine([&outcome](const CvSNMPError& e) { outcome = e; });
    bool set = false;
    try {
        set = reqTftpServer->Set(true, true, "");
    } catch (const std::exception& failure) {
        outcome = {-1, failure.what()};
    }
    reqTftpServer->request().SetResultRoutine(nullptr);
    // A command sent after a failed set would make the device use an older address or name.
    if (!set) StatusBar->ShowText(QString::fromStdString(outcome.Message));
    return set;
}

void TFM_CfgFile::Bt_UploadClick() {
    const QString path = Ed_SaveFile->text();
    if (path.isEmpty()) {
        showWarning(this, "Empty file is not accepted.");
        return;
    }
    const QString name = dcfSaveName(bareNameOfPath(path));
    if (!reqTftpServer) return;
    fetchTransfer_->cancel();
    if (!serveOneFile(tftpServer.get(), *saveTransfer_, Ed_TfpSrv, path, name, kDeviceWrites))
        return;
    Ed_UpgFile->SetText(name);
    CvSNMPRequest2Edits::MarkChosen(Ed_UpgFile);
    const bool set = setServerAndName();
    if (set) {
        setBusy(true);
        CB_TfpCom->setCurrentIndex(TftpCommandIndex::Put);
        savePending = true;
        saveName_ = name;
        reqTftpCommand->Set(true, true, "");
    } else {
        saveTransfer_->cancel();
    }
    Ed_UpgFile->clear();
}

void TFM_CfgFile::OnCommandSet(const CvSNMPError& error) {
    TFM_CfgFile* page = FM_CfgFile;
    if (!page || !savePending) return;
    if (error.Code != 0) {
        page->saveTransfer_->cancel();
        page->setBusy(false);
        page->showError();
        return;
    }
    // The device's acceptance of Put says nothing of the file: success waits for the server to
    // have received all of it.
    page->saveTransfer_->whenSettled(transferStartMs(kTransferStartWait), [page](bool received) {
        // This runs from a timer or a posted call: nothing may escape into the event loop.
        runGuarded(page->StatusBar, [&] { page->saveReceived(received); });
    });
}

void TFM_CfgFile::saveReceived(bool received) {
    setBusy(false);
    if (!received) {
        showError();
        return;
    }
    // Configsave makes the device fetch the file it has just written, once; what becomes of that
    // fetch changes nothing here.
    fetchTransfer_->expect(tftpServer.get(), saveName_, kDeviceReads);
    fetchTransfer_->whenSettled(transferStartMs(kTransferStartWait), [](bool) {});
    sendUpgradeCommand(UpgradeCommandIndex::Configsave, UpgradePurpose::SaveConfigsave);
    updatePending = false;
    platform::ui().messageBox(this, "OK", "The configuration file saved successfully!",
                              platform::BoxButtons::Ok);
}

void TFM_CfgFile::showError() {
    platform::ui().messageBox(this, "ERROR", "Fail to save the configuration file!",
                              platform::BoxButtons::Ok);
}

void TFM_CfgFile::Bt_OKClick() {
    const QString path = Ed_UpgFile->text();
    if (path.isEmpty()) {
        showWarning(this, "Empty file is not accepted.");
        return;
    }
    // A folder is no file to send, whatever its name holds.
    if (!QFileInfo(path).isFile() || !isDcfPath(path)) {
        showWarning(this, "File format error! Please try again!");
        return;
    }
    saveTransfer_->cancel();
    if (!reqTftpServer) return;
    fetchTransfer_->cancel();
    if (!serveOneFile(tftpServer.get(), *updateTransfer_, Ed_TfpSrv, path, bareNameOfPath(path),
                      kDeviceReads))
        return;
    Ed_UpgFile->SetText(bareNameOfPath(path));
    CvSNMPRequest2Edits::MarkChosen(Ed_UpgFile);
    savePending = false;
    const bool set = setServerAndName();
    if (set) {
        setBusy(true);
        sendUpgradeCommand(UpgradeCommandIndex::Configsave, UpgradePurpose::UpdateConfigsave);
        updatePending = true;
    } else {
        updateTransfer_->cancel();
    }
    Ed_UpgFile->SetText(path);
    CvSNMPRequest2Edits::MarkChosen(Ed_UpgFile);
}

std::unique_ptr<CvSNMPRequest2Edits>& TFM_CfgFile::upgradeRequest(UpgradePurpose purpose) {
    if (purpose == UpgradePurpose::SaveConfigsave) return reqSaveConfigsave;
    if (purpose == UpgradePurpose::Reboot) return reqReboot;
    return reqUpgradeCommand;
}

void TFM_CfgFile::sendUpgradeCommand(int index, UpgradePurpose purpose) {
    CB_UpgCom->setCurrentIndex(index);
    upgradeRequest(purpose)->Set(true, true, "");
}

void TFM_CfgFile::OnUpgradeCommandSet(UpgradePurpose purpose, const CvSNMPError& error) {
    TFM_CfgFile* page = FM_CfgFile;
    if (!page) return;
    // A device restarting on the Reboot need not answer it: only a refusal is a failure.
    if (purpose == UpgradePurpose::Reboot && error.Code == kNoAnswer) return;
    // The save has succeeded with the file in place; the device's fetch that Configsave makes, and
    // so its answer, changes nothing of that. Refused, it fetches nothing.
    if (purpose == UpgradePurpose::SaveConfigsave) {
        if (error.Code != 0) page->fetchTransfer_->cancel();
        return;
    }
    if (error.Code != 0) {
        // A later Configsave answer must not restart the device for an update that failed.
        if (purpose == UpgradePurpose::UpdateConfigsave) {
            page->updateFailed();
        } else {
            page->rebootRefused_ = true;
            page->showError();
        }
        return;
    }
    if (purpose != UpgradePurpose::UpdateConfigsave || !page->updatePending) return;
    QPointer<TFM_CfgFile> alive(page);
    runCountdown(page, 10, "Updating config file...");
    // The answer to a second Configsave may have restarted the device during this wait already;
    // a second Reboot would reach it while it starts up.
    if (!alive || !page->updatePending) return;
    // A device that answers Configsave before it has read the file would otherwise restart
    // without it, and the update be reported done.
    page->updateTransfer_->whenSettled(transferStartMs(kTransferStartWait), [page](bool read) {
        runGuarded(page->StatusBar, [&] {
            if (!page->updatePending) return;
            if (read)
                page->restartAfterUpdate();
            else
                page->updateFailed();
        });
    });
}

void TFM_CfgFile::updateFailed() {
    // The device was refused or gave up: its address may no longer read the file.
    updateTransfer_->cancel();
    updatePending = false;
    setBusy(false);
    showError();
}

void TFM_CfgFile::restartAfterUpdate() {
    QPointer<TFM_CfgFile> alive(this);
    rebootRefused_ = false;
    sendUpgradeCommand(UpgradeCommandIndex::Reboot, UpgradePurpose::Reboot);
    updatePending = false;
    runCountdown(this, 50, "Device is restarting...");
    if (!alive) return;
    // A Reboot refused meanwhile has shown its failure: the restored file is not in use.
    if (!rebootRefused_)
        platform::ui().messageBox(this, "OK", "The configuration file update successfully!",
                                  platform::BoxButtons::Ok);
    setBusy(false);
}

void TFM_CfgFile::setBusy(bool busy) {
    // A second action would move the server's folder or take over the device's transfer while
    // the first still runs: a save could then land over the file being restored.
    GB_UpdateFile->setEnabled(!busy);
    GB_SaveFile->setEnabled(!busy);
}

void TFM_CfgFile::OnTftpMessage(const CvTFTPMsg& message) {
    saveTransfer_->onMessage(message);
    updateTransfer_->onMessage(message);
    fetchTransfer_->onMessage(message);
}

void TFM_CfgFile::done(int result) {
    FormCloseQuery();
    QDialog::done(result);
}

bool TFM_CfgFile::FormCloseQuery() {
    if (saveTransfer_) saveTransfer_->cancel();
    if (updateTransfer_) updateTransfer_->cancel();
    if (fetchTransfer_) fetchTransfer_->cancel();
    if (tftpServer) tftpServer->Stop();
    tftpServer.reset();
    return true;
}

// ---- Rules ----------------------------------------------------------------------------------

QString dcfSaveName(const QString& bareName) {
    return isDcfPath(bareName) ? bareName : bareName + QStringLiteral(".dcf");
}

bool isDcfPath(const QString& path) {
    return path.contains(QStringLiteral(".dcf"), Qt::CaseInsensitive);
}
