#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <cerrno>
#include <cstdlib>

namespace platform {
namespace {

std::string lockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && *runtime && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) return runtime;
    return "/tmp";
}

}  // namespace

std::string InstanceLock::pathFor(const QString& caption) {
    const QByteArray utf8 = caption.toUtf8();
    std::string readable;
    for (const char c : utf8.left(80)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-';
        readable += plain ? c : '_';
    }
    // The hash keeps captions apart that differ only in the characters replaced above.
    const QByteArray hash =
        QCryptographicHash::hash(utf8, QCryptographicHash::Sha1).toHex().left(16);
    return lockFolder() + "/vra2260-" + readable + "-" + hash.toStdString() + ".lock";
}

InstanceLock::InstanceLock(const QString& caption) : path_(pathFor(caption)) {
    // Close-on-exec, so that programs started by the module cannot keep the lock alive.
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = State::Held;
    } else {
        state_ = errno == EWOULDBLOCK ? State::Refused : State::Unavailable;
        ::close(fd_);
        fd_ = -1;
    }
}

InstanceLock::~InstanceLock() {
    // The file stays: removing it would let a third process lock a fresh file while a second
    // still waits on the old one.
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
