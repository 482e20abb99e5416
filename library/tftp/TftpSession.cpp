#include "library/tftp/TftpSession.h"

#include <algorithm>

namespace tftp {
namespace {

// Files are read and written in chunks of this size, not block by block.
constexpr size_t chunkSize = 64 * 1024;

}  // namespace

Session::Session(Request request, const std::string& root, Folder& folder, int timeoutMs,
                 int retries)
    : request_(std::move(request)),
      root_(root),
      folder_(folder),
      timeoutMs_(std::max(1, timeoutMs)),
      retries_(std::max(0, retries)) {}

Session::~Session() = default;

Step Session::start(int64_t nowMs) {
    if (state_ != State::Idle) return {};
    Step step;
    step.statuses.push_back(1);
    // Without a root folder there is nothing to serve: never fall back to the filesystem root.
    if (root_.empty() || !isPlainFileName(request_.fileName)) return merge(step, fail(-1108, true));
    if (request_.kind == 1) {
        const int rc = folder_.openSource(request_.fileName, source_);
        if (rc != 0) return merge(step, fail(rc, true));
        state_ = State::Sending;
        return merge(step, sendBlock(nowMs));
    }
    const int rc = folder_.openSink(request_.fileName, sink_);
    if (rc != 0) return merge(step, fail(rc, true));
    state_ = State::Receiving;
    lastSent_ = ackPacket(0);
    step.send = lastSent_;
    arm(nowMs);
    return step;
}

Step Session::onPacket(std::string_view packet, int64_t nowMs) {
    if (state_ == State::Done || state_ == State::Idle) return {};
    // Too short to carry a block number or an error code: noise, not worth ending a transfer.
    if (packet.size() < headerSize) return {};
    const uint16_t op = opcodeOf(packet);
    if (state_ == State::Dallying) {
        // The transfer is complete; only a repeat of the last block (our final ACK was lost)
        // still gets an answer.
        if (op == DATA && blockOf(packet) == block_) return Step{lastSent_, {}, false};
        return {};
    }
    if (op == ERROR) return fail(-1109, false);
    if (state_ == State::Sending && op == ACK) return onAck(blockOf(packet), nowMs);
    if (state_ == State::Receiving && op == DATA)
        return onData(blockOf(packet), packet.substr(headerSize), nowMs);
    return fail(-1106, true);
}

Step Session::onDeadline(int64_t nowMs) {
    if (nowMs < deadline_) return {};
    if (state_ == State::Dallying) {
        state_ = State::Done;
        deadline_ = INT64_MAX;
        return Step{{}, {0}, true};
    }
    if (state_ != State::Sending && state_ != State::Receiving) return {};
    if (retriesUsed_ >= retries_) return fail(-1110, false);
    ++retriesUsed_;
    arm(nowMs);
    return Step{lastSent_, {}, false};
}

Step Session::onRepeatedRequest() const {
    if ((state_ != State::Sending && state_ != State::Receiving) || peerAnswered_) return {};
    return Step{lastSent_, {}, false};
}

Step Session::abort(bool tellPeer) {
    if (state_ == State::Done) return {};
    Step step;
    if (tellPeer && (state_ == State::Sending || state_ == State::Receiving))
        step.send = errorPacket(NotDefined, wireMessage(0));
    return finish(std::move(step), std::nullopt);
}

Step Session::fail(int status, bool tellPeer) {
    Step step;
    if (tellPeer) step.send = errorPacket(wireCodeOf(status), wireMessage(status));
    return finish(std::move(step), status);
}

Step Session::finish(Step step, std::optional<int> status) {
    state_ = State::Done;
    deadline_ = INT64_MAX;
    // Dropping an uncommitted sink removes its temporary file; the target stays as it was.
    sink_.reset();
    source_.reset();
    if (status) step.statuses.push_back(*status);
    step.statuses.push_back(0);
    step.finished = true;
    return step;
}

Step Session::merge(Step first, Step then) {
    first.statuses.insert(first.statuses.end(), then.statuses.begin(), then.statuses.end());
    if (!then.send.empty()) first.send = std::move(then.send);
    first.finished = then.finished;
    return first;
}

Step Session::sendBlock(int64_t nowMs) {
    if (!sourceEnded_ && buffer_.size() - bufferPos_ < blockSize && !fillBuffer())
        return fail(-1113, true);
    const size_t length = std::min(blockSize, buffer_.size() - bufferPos_);
    ++block_;  // wraps from 65535 to 0
    lastSent_ = dataPacket(block_, std::string_view(buffer_).substr(bufferPos_, length));
    bufferPos_ += length;
    lastBlockSent_ = length < blockSize;
    byteCount_ += length;
    lastBlockLength_ = static_cast<int>(length);
    retriesUsed_ = 0;
    arm(nowMs);
    Step step{lastSent_, {}, false};
    if (!transferring_) {
        transferring_ = true;
        step.statuses.push_back(2);
    }
    return step;
}

Step Session::onAck(uint16_t block, int64_t nowMs) {
    // Only the ACK of the block in flight moves on; a repeated or stale ACK is ignored, so a
    // delayed ACK never doubles the traffic from there on.
    if (block != block_) return {};
    peerAnswered_ = true;
    if (lastBlockSent_) return finish({}, 3);
    return sendBlock(nowMs);
}

Step Session::onData(uint16_t block, std::string_view payload, int64_t nowMs) {
    if (block == block_) return Step{lastSent_, {}, false};  // our ACK was lost: repeat it
    if (block != static_cast<uint16_t>(block_ + 1)) return {};
    if (payload.size() > blockSize) return fail(-1106, true);
    buffer_.append(payload);
    if (buffer_.size() >= chunkSize && !flushBuffer()) return fail(-1105, true);
    block_ = block;
    peerAnswered_ = true;
    byteCount_ += payload.size();
    lastBlockLength_ = static_cast<int>(payload.size());
    retriesUsed_ = 0;
    Step step;
    if (!transferring_) {
        transferring_ = true;
        step.statuses.push_back(2);
    }
    if (payload.size() == blockSize) {
        lastSent_ = ackPacket(block_);
        step.send = lastSent_;
        arm(nowMs);
        return step;
    }
    // The file is in place before the final ACK tells the peer it arrived.
    if (!flushBuffer() || !sink_->commit()) return merge(step, fail(-1105, true));
    sink_.reset();
    lastSent_ = ackPacket(block_);
    step.send = lastSent_;
    step.statuses.push_back(3);
    state_ = State::Dallying;
    arm(nowMs);
    return step;
}

void Session::arm(int64_t nowMs) {
    deadline_ = nowMs + timeoutMs_;
}

bool Session::fillBuffer() {
    buffer_.erase(0, bufferPos_);
    bufferPos_ = 0;
    while (buffer_.size() < blockSize && !sourceEnded_) {
        const size_t had = buffer_.size();
        buffer_.resize(had + chunkSize);
        const long got = source_->read(buffer_.data() + had, chunkSize);
        buffer_.resize(had + static_cast<size_t>(std::max(0L, got)));
        if (got < 0) return false;
        if (got == 0) sourceEnded_ = true;
    }
    return true;
}

bool Session::flushBuffer() {
    if (buffer_.empty()) return true;
    const bool written = sink_->write(buffer_.data(), buffer_.size());
    buffer_.clear();
    return written;
}

}  // namespace tftp
