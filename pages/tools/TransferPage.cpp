#include "pages/tools/TransferPage.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <QLabel>
#include <exception>

#include "app/Main.h"
#include "app/Wait.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/tftp/CvTFTPServer.h"
#include "pages/common/PageForm.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

namespace {

// A dotted IPv4 address or a host name as IPv4; empty when it has none.
std::string ipv4Of(const std::string& address) {
    in_addr parsed{};
    if (address.empty() || ::inet_pton(AF_INET, address.c_str(), &parsed) == 1) return address;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(address.c_str(), nullptr, &hints, &result) != 0 || !result) return {};
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr, text,
                sizeof text);
    ::freeaddrinfo(result);
    return text;
}

}  // namespace

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

int transferIdleMs(int serverTimeout10ms) {
    return platform::scaledMs(serverTimeout10ms * 10.0);
}

std::vector<std::string> deviceAddresses() {
    std::vector<std::string> addresses;
    for (const std::string& address :
         {ipv4Of(CvSNMPSession::Defaults().address),
          MainForm ? MainForm->IPAddressEdit->text().trimmed().toStdString() : std::string()}) {
        if (!address.empty()) addresses.push_back(address);
    }
    return addresses;
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
