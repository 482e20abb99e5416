#pragma once

#include <QString>
#include <string>

// The single-instance rule: an advisory lock (flock) on a file named from a caption, in
// $XDG_RUNTIME_DIR or else /tmp. The kernel releases it when the holding process ends, however
// it ends, so a crashed module never blocks the next start.
namespace platform {

class InstanceLock {
  public:
    enum class State { Held, Refused, Unavailable };

    // Tries to take the lock at once, without waiting.
    explicit InstanceLock(const QString& caption);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State state() const { return state_; }
    bool held() const { return state_ == State::Held; }
    // Another process (or another lock object) holds it.
    bool refused() const { return state_ == State::Refused; }
    const std::string& path() const { return path_; }

    // The lock file for a caption: readable, unique per caption, free of path separators.
    static std::string pathFor(const QString& caption);

  private:
    int fd_ = -1;
    State state_ = State::Unavailable;
    std::string path_;
};

}  // namespace platform
