#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/tftp/TftpFiles.h"
#include "library/tftp/TftpProtocol.h"

namespace tftp {

// What the socket code has to do after the session took one input.
struct Step {
    std::string send;           // a datagram for the peer; empty for none
    std::vector<int> statuses;  // status changes, in order
    bool finished = false;      // the session is over: close its socket, drop it
};

// One transfer as a pure state machine: packets from its peer and the clock go in, packets,
// status changes and the next deadline come out. It never touches a socket.
class Session {
  public:
    // root empty: every request is refused. timeoutMs is already scaled.
    Session(Request request, const std::string& root, Folder& folder, int timeoutMs, int retries);
    ~Session();

    Step start(int64_t nowMs);
    // A datagram from the session's own peer.
    Step onPacket(std::string_view packet, int64_t nowMs);
    // Called at or after deadline().
    Step onDeadline(int64_t nowMs);
    // The peer sent its request again: its first answer was lost. Repeated at once until the
    // peer has answered it; later copies of the request are stale and get nothing.
    Step onRepeatedRequest() const;
    // Ends the session from outside; a partial upload is dropped. tellPeer sends an error to a
    // peer in the middle of a transfer, so that it need not wait for its own time-out.
    Step abort(bool tellPeer = true);

    int64_t deadline() const { return deadline_; }
    bool finished() const { return state_ == State::Done; }
    // The transfer succeeded; the session only waits for a repeat of the last block.
    bool completed() const { return state_ == State::Dallying; }
    const Request& request() const { return request_; }
    uint64_t byteCount() const { return byteCount_; }
    int lastBlockLength() const { return lastBlockLength_; }

  private:
    enum class State { Idle, Sending, Receiving, Dallying, Done };

    Step fail(int status, bool tellPeer);
    Step finish(Step step, std::optional<int> status);
    static Step merge(Step first, Step then);
    Step sendBlock(int64_t nowMs);
    Step onAck(uint16_t block, int64_t nowMs);
    Step onData(uint16_t block, std::string_view payload, int64_t nowMs);
    void arm(int64_t nowMs);
    bool fillBuffer();
    bool flushBuffer();

    Request request_;
    std::string root_;
    Folder& folder_;
    int timeoutMs_;
    int retries_;
    State state_ = State::Idle;
    std::unique_ptr<Source> source_;
    std::unique_ptr<Sink> sink_;
    std::string buffer_;    // read ahead, or received bytes not yet written
    size_t bufferPos_ = 0;  // next unsent byte of buffer_ (reads)
    bool sourceEnded_ = false;
    uint16_t block_ = 0;  // last block sent (read) or acknowledged (write)
    bool lastBlockSent_ = false;
    std::string lastSent_;  // repeated on a time-out
    int retriesUsed_ = 0;
    int64_t deadline_ = INT64_MAX;
    uint64_t byteCount_ = 0;
    int lastBlockLength_ = 0;
    bool transferring_ = false;
    bool peerAnswered_ = false;  // an ACK of our first block, or the first DATA, arrived
};

}  // namespace tftp
