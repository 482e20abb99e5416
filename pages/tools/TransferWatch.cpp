#include "pages/tools/TransferWatch.h"

#include <QFile>
#include <QTimer>

#include "library/tftp/CvTFTPServer.h"
#include "pages/tools/TransferPage.h"
#include "platform/Environment.h"

TransferWatch::TransferWatch(QObject* parent) : QObject(parent), idle_(new QTimer(this)) {
    idle_->setSingleShot(true);
    connect(idle_, &QTimer::timeout, this, [this] {
        if (state_ == State::Waiting) state_ = State::Failed;
        withdraw();
        settle(false);
    });
}

void TransferWatch::expect(CvTFTPServer* server, const QString& fileName, int request) {
    cancel();
    request_ = request;
    session_ = 0;
    server_ = server;
    std::string wireName;
    wireName_ = platform::toLatin1(fileName, wireName) ? wireName : std::string();
    if (server && !wireName_.empty())
        admission_ = server->Admit(wireName_, request, deviceAddresses(),
                                   QFile::encodeName(fileName).toStdString());
    state_ = State::Waiting;
}

void TransferWatch::cancel() {
    ++generation_;
    idle_->stop();
    settled_ = nullptr;
    state_ = State::Idle;
    withdraw();
}

void TransferWatch::withdraw() {
    if (server_ && admission_ != 0) server_->Withdraw(admission_);
    admission_ = 0;
}

void TransferWatch::onMessage(const CvTFTPMsg& message) {
    if (state_ != State::Waiting || message.Session == 0 || message.Request != request_ ||
        message.FileName != wireName_)
        return;
    // The server starts one session under the admission, and every session begins by reporting
    // itself connected: the first one heard is the admitted one.
    if (session_ == 0 && message.Status == 1) {
        session_ = message.Session;
        idle_->stop();
        return;
    }
    if (message.Session != session_) return;
    // Once the session runs, the server's own time-out and retries end it with an outcome, so a
    // long transfer is never given up for want of news; a session that ends without success
    // (disconnected before "completed") has failed.
    if (message.Status != 3 && message.Status > 0) return;
    state_ = message.Status == 3 ? State::Done : State::Failed;
    withdraw();
    // The page's routine may open boxes and countdowns; it runs after the server has finished
    // handling this message, never inside it.
    idle_->stop();
    QMetaObject::invokeMethod(
        this,
        [this, ok = state_ == State::Done, watched = generation_] {
            if (watched == generation_) settle(ok);
        },
        Qt::QueuedConnection);
}

void TransferWatch::whenSettled(int idleMs, std::function<void(bool)> settled) {
    settled_ = std::move(settled);
    idle_->setInterval(idleMs);
    if (state_ == State::Done || state_ == State::Failed)
        settle(state_ == State::Done);
    else if (state_ != State::Waiting)
        settle(false);
    else if (session_ == 0)
        idle_->start();
}

void TransferWatch::settle(bool ok) {
    idle_->stop();
    auto settled = std::move(settled_);
    settled_ = nullptr;
    if (settled) settled(ok);
}
