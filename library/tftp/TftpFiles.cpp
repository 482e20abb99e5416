#include "library/tftp/TftpFiles.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>

namespace tftp {
namespace {

// The temporary files this process is writing now; the others of a name are left-overs.
std::mutex liveMutex;
std::set<std::string> liveTemporaries;

void setLive(const std::string& temporary, bool live) {
    const std::lock_guard<std::mutex> lock(liveMutex);
    if (live)
        liveTemporaries.insert(temporary);
    else
        liveTemporaries.erase(temporary);
}

class FileSource : public Source {
  public:
    explicit FileSource(int fd) : fd_(fd) {}
    ~FileSource() override { ::close(fd_); }

    long read(char* into, size_t max) override {
        for (;;) {
            const ssize_t got = ::read(fd_, into, max);
            if (got >= 0 || errno != EINTR) return got;
        }
    }

  private:
    int fd_;
};

class FileSink : public Sink {
  public:
    FileSink(int fd, std::string temporary, std::string target)
        : fd_(fd), temporary_(std::move(temporary)), target_(std::move(target)) {
        setLive(temporary_, true);
    }

    ~FileSink() override {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(temporary_.c_str());
        setLive(temporary_, false);
    }

    bool write(const char* from, size_t count) override {
        while (count > 0) {
            const ssize_t put = ::write(fd_, from, count);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            from += put;
            count -= static_cast<size_t>(put);
        }
        return true;
    }

    bool commit() override {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return false;
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
        committed_ = true;
        return true;
    }

  private:
    int fd_;
    std::string temporary_;
    std::string target_;
    bool committed_ = false;
};

int readFailure(int error) {
    switch (error) {
        case ENAMETOOLONG:
            return -1108;
        case ENOENT:
        case ENOTDIR:
            return -1103;
        case EACCES:
        case EPERM:
        case ELOOP:
            return -1104;
        case EMFILE:
        case ENFILE:
            return -1111;
        default:
            return -1113;
    }
}

int writeFailure(int error) {
    switch (error) {
        case ENAMETOOLONG:
            return -1108;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return -1104;
        case EMFILE:
        case ENFILE:
            return -1111;
        default:
            return -1105;
    }
}

// The temporary files of a name begin with this; the process id follows.
std::string temporaryPrefix(const std::string& name) {
    std::string prefix(1, '.');
    prefix.append(name, 0, 180).push_back('.');
    return prefix;
}

// A name beside the target that no other transfer picks at the same time.
std::string temporaryName(const std::string& root, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return root + temporaryPrefix(name) + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(stamp % 1000000) + ".part";
}

// Removes the temporary files of a name that a process ended before its commit or clean-up
// left behind: those of no running process, and this process's own that it no longer writes.
void removeLeftovers(const std::string& root, const std::string& name) {
    DIR* folder = ::opendir(root.c_str());
    if (!folder) return;
    const std::string prefix = temporaryPrefix(name);
    const std::string suffix = ".part";
    while (const dirent* item = ::readdir(folder)) {
        const std::string entry = item->d_name;
        if (entry.size() <= prefix.size() + suffix.size() || entry.rfind(prefix, 0) != 0 ||
            entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string tail = entry.substr(prefix.size());
        size_t digits = 0;
        while (digits < tail.size() && tail[digits] >= '0' && tail[digits] <= '9') ++digits;
        if (digits == 0 || digits > 9 || tail[digits] != '-') continue;
        const pid_t writer = static_cast<pid_t>(std::stol(tail.substr(0, digits)));
        const std::string path = root + entry;
        bool stale = false;
        if (writer == ::getpid()) {
            const std::lock_guard<std::mutex> lock(liveMutex);
            stale = liveTemporaries.count(path) == 0;
        } else {
            stale = ::kill(writer, 0) != 0 && errno == ESRCH;
        }
        if (stale) ::unlink(path.c_str());
    }
    ::closedir(folder);
}

}  // namespace

int DiskFolder::openSource(const std::string& name, std::unique_ptr<Source>& source) {
    // Non-blocking open, so that a FIFO in the folder cannot stall the whole program.
    // A link could lead out of the folder: only the regular files in it are served.
    const int fd = ::open((root_ + name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return readFailure(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1104;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    source = std::make_unique<FileSource>(fd);
    return 0;
}

int DiskFolder::openSink(const std::string& name, std::unique_ptr<Sink>& sink) {
    const std::string target = root_ + name;
    struct stat info {};
    // A link is refused like any file that is not regular, never followed or replaced.
    const bool exists = ::lstat(target.c_str(), &info) == 0;
    // A name the disk cannot take would otherwise fail only at the rename, after the peer has
    // sent the whole file.
    if (!exists && errno != ENOENT) return writeFailure(errno);
    if (exists && !S_ISREG(info.st_mode)) return -1104;
    // The rename would replace a read-only file; its protection is honoured here instead.
    if (exists && ::access(target.c_str(), W_OK) != 0) return -1104;
    removeLeftovers(root_, name);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string temporary = temporaryName(root_, name);
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return writeFailure(errno);
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            return -1104;
        }
        if (exists) ::fchmod(fd, info.st_mode & 07777);
        sink = std::make_unique<FileSink>(fd, std::move(temporary), target);
        return 0;
    }
    return -1105;
}

}  // namespace tftp
