#include "pages/tools/TransferWatch.h"

#include <QTimer>

TransferWatch::TransferWatch(QObject* parent) : QObject(parent), idle_(new QTimer(this)) {
    idle_->setSingleShot(true);
    connect(idle_, &QTimer::timeout, this, [this] {
        if (state_ == State::Waiting) state_ = State::Failed;
        settle(false);
    });
}

void TransferWatch::expect(const QString& fileName, int request) {
    cancel();
    fileName_ = fileName;
    request_ = request;
    started_ = false;
    state_ = State::Waiting;
}

void TransferWatch::cancel() {
    ++generation_;
    idle_->stop();
    settled_ = nullptr;
    state_ = State::Idle;
}

void TransferWatch::onMessage(const CvTFTPMsg& message) {
    if (state_ != State::Waiting || message.Request != request_ ||
        QString::fromStdString(message.FileName) != fileName_)
        return;
    // Once the session runs, the server's own time-out and retries end it with an outcome, so a
    // long transfer is never given up for want of news; a session that ends without success
    // (disconnected before "completed") has failed.
    const bool ended =
        message.Status == 3 || message.Status < 0 || (started_ && message.Status == 0);
    if (ended) {
        state_ = message.Status == 3 ? State::Done : State::Failed;
        // The page's routine may open boxes and countdowns; it runs after the server has
        // finished handling this message, never inside it.
        idle_->stop();
        QMetaObject::invokeMethod(
            this,
            [this, ok = state_ == State::Done, watched = generation_] {
                if (watched == generation_) settle(ok);
            },
            Qt::QueuedConnection);
    } else if (message.Status == 1 || message.Status == 2) {
        started_ = true;
        idle_->stop();
    }
}

void TransferWatch::whenSettled(int idleMs, std::function<void(bool)> settled) {
    settled_ = std::move(settled);
    idle_->setInterval(idleMs);
    if (state_ == State::Done || state_ == State::Failed)
        settle(state_ == State::Done);
    else if (state_ != State::Waiting)
        settle(false);
    else if (!started_)
        idle_->start();
}

void TransferWatch::settle(bool ok) {
    idle_->stop();
    auto settled = std::move(settled_);
    settled_ = nullptr;
    if (settled) settled(ok);
}
