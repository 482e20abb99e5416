#include "pages/tools/TransferPage.h"

#include <QLabel>
#include <algorithm>
#include <exception>

#include "app/Main.h"
#include "app/Wait.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/SnmpTransport.h"
#include "library/tftp/CvTFTPServer.h"
#include "pages/common/PageForm.h"
#include "pages/tools/Systemlog.h"
#include "pages/tools/TransferWatch.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

bool TransferFileDialog::Execute(QWidget* parent) {
    const QString chosen = Save ? platform::ui().saveFileName(parent, Filter, QString())
                                : platform::ui().openFileName(parent, Filter, QString());
    if (chosen.isEmpty()) return false;
    FileName = chosen;
    return true;
}

std::unique_ptr<CvTFTPServer> startPageServer(QWidget* page, int timeout10ms, int retries,
                                              std::function<void(const CvTFTPMsg&)> handler,
                                              const QString& folder) {
    try {
        auto server = std::make_unique<CvTFTPServer>(page);
        server->SetTimeout(timeout10ms, retries);
        server->SetOnMessage(std::move(handler));
        server->Withdraw(0);
        server->Start(folder.toStdString(), 69);
        return server;
    } catch (const std::exception& failure) {
        plainMessage(page, "TFTP Service Init Error:" + QString::fromStdString(failure.what()));
        platform::ui().terminate(1);
        return nullptr;
    }
}

int transferStartMs(int wait10ms) {
    return platform::scaledMs(wait10ms * 10.0);
}

std::vector<std::string> deviceAddresses() {
    std::vector<std::string> addresses;
    const std::string reached =
        snmpaccess::Transport::instance().addressOf(CvSNMPSession::Defaults().address);
    const std::string shown =
        MainForm ? MainForm->IPAddressEdit->text().trimmed().toStdString() : std::string();
    for (const std::string& address : {reached, shown}) {
        // Linux takes 0.0.0.0 for this host: no device is there.
        if (address.empty() || address == "0.0.0.0") continue;
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    }
    return addresses;
}

bool serveOneFile(CvTFTPServer* server, TransferWatch& watch, CvEdit* serverEdit,
                  const QString& path, const QString& name, int request) {
    if (!server) return false;
    serverEdit->clear();
    if (!TLogForm::GetServerIPAddress(serverEdit)) return false;
    if (lastSeparator(path) < 0) {
        showWarning(serverEdit->window(), "The file path is error.");
        return false;
    }
    // The folder is served only for the one transfer the device is told to make.
    watch.expect(server, name, request);
    server->Start(folderOfPath(path).toStdString(), 69);
    serverEdit->SetText(serverEdit->text().trimmed());
    return true;
}

void runCountdown(QWidget* page, int count, const QString& text) {
    TFM_Waiting wait(page);
    wait.Count = count;
    wait.Reboot = false;
    wait.Label3->setText(text);
    wait.exec();
}

void showWarning(QWidget* parent, const QString& text) {
    platform::ui().messageBox(parent, "Warning", text, platform::BoxButtons::Ok);
}

int lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

QString folderOfPath(const QString& path) {
    const int at = lastSeparator(path);
    return at < 0 ? QString() : path.left(at);
}

QString bareNameOfPath(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}
