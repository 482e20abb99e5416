#pragma once

#include <QDialog>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "library/snmp/CvSNMPVarList.h"
#include "library/tftp/CvTFTPMsg.h"
#include "pages/tools/TransferWatch.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvSNMPRequest2Controls;
class CvSNMPRequest2Edits;
class CvTFTPServer;

// Status \ Log: the device sends its log file to the page's TFTP server, which the page then
// shows; it can also make the device clear its log.
class TLogForm : public QDialog {
    Q_OBJECT

  public:
    explicit TLogForm(QWidget* owner = nullptr);
    ~TLogForm() override;

    QFrame* Panel1;
    QFrame* Panel2;
    QGroupBox* ViewGrpBox;
    CvListView* ViewListView;
    QListWidget* LBLog;
    CvStatusBar* StatusBar1;
    CvEdit* ServerEdit;
    CvEdit* FileNameEdit;
    QComboBox* GetCoBox;
    QComboBox* Bt_Clear;
    QFrame* Panel3;
    QPushButton* Clear_Btn;
    QPushButton* GetBtn;
    QPushButton* CloseBtn;

    std::unique_ptr<CvSNMPRequest2Edits> reqLogServer;
    std::unique_ptr<CvSNMPRequest2Edits> reqGetLog;
    std::unique_ptr<CvSNMPRequest2Edits> reqClearLog;
    std::unique_ptr<CvTFTPServer> tftpServer;
    QString programFolder;

    void FormCreate();
    void GetBtnClick();
    void Clear_BtnClick();
    void CloseBtnClick();
    void FormResize();
    bool FormCloseQuery();
    void FormClose();

    void OnServerAddressSet(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    void OnGetLogSet(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    void OnClearSet(CvSNMPRequest2Controls* sender, const CvSNMPError& error);
    void OnTftpMessage(const CvTFTPMsg& message);

    // Fills the list from the file; true when the file exists and could be read.
    bool ParseLogFile(const QString& path);

    // Writes the local address on the device's subnet into the edit; false, after telling the
    // user, when there is none. Callers empty the edit first.
    static bool GetServerIPAddress(QLineEdit* edit);
    static QString NetworkAddress(const QString& address, const QString& mask);

    // The file name the device is told to send its log under.
    static constexpr const char* kLogFileName = "LogFile.RD";

    void done(int result) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void buildRequests();
    void showLogResult(bool received);
    // Sends one set of the Get Log steps, counted until its answer arrives, so that the answers
    // of an earlier press are told from those of the latest.
    static void sendCounted(CvSNMPRequest2Edits& request, int& inFlight);
    int serverSetsInFlight_ = 0;
    int getSetsInFlight_ = 0;

    TransferWatch* logTransfer_ = nullptr;
    bool requestsBuilt_ = false;
    bool closed_ = false;
};

extern TLogForm* LogForm;
// programFolder + "/" + "LogFile.RD", set when a log page is created.
extern QString logFilePath;

// ---- Rules ----------------------------------------------------------------------------------

// One line of the device's log as the page shows it.
struct LogEntry {
    QString time;
    QString type;
    QString message;
};

// Splits "time|free text[type]message": the free text is dropped, a leading blank of the message
// kept. A missing "|" gives an empty time, a missing "[" removes nothing, a missing "]" gives an
// empty type and leaves the rest as the message.
LogEntry splitLogLine(const QString& line);

// Reads a log file as 8-bit text, one entry per line (LF, CRLF or CR). False when the file is
// missing or cannot be read; lines is emptied only when the file exists.
bool loadLogLines(const QString& path, QStringList& lines);

// The network of an address under a mask, both dotted; an octet that is not a number counts as 0
// and only its low 8 bits are used.
QString networkAddress(const QString& address, const QString& mask);

// One local IPv4 interface as its address and mask texts.
struct LocalAddress {
    QString address;
    QString mask;
};

// The first local address whose network equals the device's network, or an empty text.
QString addressOnDeviceNetwork(const std::vector<LocalAddress>& locals,
                               const QString& deviceAddress, const QString& deviceMask);
