#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include "library/tftp/CvTFTPMsg.h"

class QTimer;
class CvTFTPServer;

// The request kinds of a page's TFTP server messages: the device reads (1) or writes (2).
constexpr int kDeviceReads = 1;
constexpr int kDeviceWrites = 2;

// Follows one file transfer of a page's TFTP server: the device is told to move a file, and
// the page acts only once the server has reported the whole file moved, or the transfer failed,
// or nothing was heard of it for a while.
class TransferWatch : public QObject {
    Q_OBJECT

  public:
    explicit TransferWatch(QObject* parent = nullptr);

    // Starts watching for the file, read by the device (1) or written by it (2), and admits that
    // one transfer from the device's addresses on the server; forgets any earlier transfer and
    // any waiting routine. The device asks for the name as it is told it, in 8-bit text, and the
    // transfer opens the file of that name as the user chose it; a name outside 8-bit text cannot
    // be told, and nothing is admitted for it.
    void expect(CvTFTPServer* server, const QString& fileName, int request);
    // Stops watching and withdraws the admission; a waiting routine is dropped.
    void cancel();
    // The page's TFTP messages. Only the session the admission started counts; refusals and
    // other sessions of the same name never end the watch.
    void onMessage(const CvTFTPMsg& message);

    // Runs settled(true) once the transfer has completed, settled(false) once it failed or when
    // idleMs passed from this call without the transfer starting; a started transfer is ended by
    // the server's outcome alone, whose time-out and retries end one that stalls. Runs at once
    // when the outcome is already known, and with false when nothing is expected. The admission
    // is withdrawn as soon as the outcome is known.
    void whenSettled(int idleMs, std::function<void(bool)> settled);

  private:
    enum class State { Idle, Waiting, Done, Failed };

    void settle(bool ok);
    void withdraw();

    State state_ = State::Idle;
    // Advanced by cancel(), so that a posted outcome of an older watch is dropped.
    int generation_ = 0;
    std::string wireName_;  // the name as the device asks for it
    int request_ = 0;
    QPointer<CvTFTPServer> server_;
    int admission_ = 0;
    int session_ = 0;  // the server's number of the admitted transfer once it has begun
    QTimer* idle_;
    std::function<void(bool)> settled_;
};
