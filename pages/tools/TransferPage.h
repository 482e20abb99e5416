#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/tftp/CvTFTPMsg.h"

class QWidget;
class CvEdit;
class CvTFTPServer;
class TransferWatch;

// What the pages that move files through their own TFTP server share.

// The open and save dialogs of the transfer pages. Filter takes the form
// ".dcf document|*.dcf|All Files|*.*"; FileName holds the chosen full path.
struct TransferFileDialog {
    bool Save = false;
    QString Filter;
    QString FileName;
    // Asks the user for a file; false when the dialog was cancelled.
    bool Execute(QWidget* parent);
};

// Creates a page's TFTP server with its time-out (units of 10 ms) and retries, hands its messages
// to the handler and starts it on the folder and port 69. It serves nothing until a transfer is
// admitted. When that fails the user is told why and the application ends; the result is then
// null.
std::unique_ptr<CvTFTPServer> startPageServer(QWidget* page, int timeout10ms, int retries,
                                              std::function<void(const CvTFTPMsg&)> handler,
                                              const QString& folder);

// How long a transfer page waits for the device to begin a transfer: a wait in units of 10 ms
// (the log page waits its server's time-out per packet), scaled like every time-out of the module.
int transferStartMs(int wait10ms);
// The wait the configuration file and firmware pages give a device told to make a transfer, in
// units of 10 ms: a device may begin well after the server's time-out per packet.
constexpr int kTransferStartWait = 3000;

// The addresses a transfer of the device comes from, dotted: the session's device address as the
// access layer resolves it for requests, and the device's own address as the main window last
// read it. An address that does not resolve, and 0.0.0.0, are left out.
std::vector<std::string> deviceAddresses();

// The step the configuration file and firmware pages take before they tell the device about a
// file: the PC address on the device's subnet into serverEdit, then the server on the folder of
// path, admitting and watching the one transfer of name in it that the device is to make (read 1
// or write 2). False has told the user why and admits nothing.
bool serveOneFile(CvTFTPServer* server, TransferWatch& watch, CvEdit* serverEdit,
                  const QString& path, const QString& name, int request);

// Paths as the user gives them: "/" and "\" both separate folders.
int lastSeparator(const QString& path);
// The text before the last separator (empty without one).
QString folderOfPath(const QString& path);
// The text after the last separator (the whole path without one).
QString bareNameOfPath(const QString& path);

// A countdown of the given count with the text as its second line. The page sends Reboot itself
// when one is due; a dialog that sent one on its own could restart the device while it writes
// its flash.
void runCountdown(QWidget* page, int count, const QString& text);

// A "Warning" box with an OK button.
void showWarning(QWidget* parent, const QString& text);
