#include "library/tftp/TftpFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

namespace tftp {
namespace {

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
        : fd_(fd), temporary_(std::move(temporary)), target_(std::move(target)) {}

    ~FileSink() override {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(temporary_.c_str());
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

// A name beside the target that no other transfer picks at the same time.
std::string temporaryName(const std::string& root, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return root + "." + name.substr(0, 180) + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(stamp % 1000000) + ".part";
}

}  // namespace

int DiskFolder::openSource(const std::string& name, std::unique_ptr<Source>& source) {
    // Non-blocking open, so that a FIFO in the folder cannot stall the whole program.
    const int fd = ::open((root_ + name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
    const bool exists = ::stat(target.c_str(), &info) == 0;
    // A name the disk cannot take would otherwise fail only at the rename, after the peer has
    // sent the whole file.
    if (!exists && errno != ENOENT) return writeFailure(errno);
    if (exists && !S_ISREG(info.st_mode)) return -1104;
    // The rename would replace a read-only file; its protection is honoured here instead.
    if (exists && ::access(target.c_str(), W_OK) != 0) return -1104;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string temporary = temporaryName(root_, name);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return writeFailure(errno);
        if (exists) ::fchmod(fd, info.st_mode & 07777);
        sink = std::make_unique<FileSink>(fd, std::move(temporary), target);
        return 0;
    }
    return -1105;
}

}  // namespace tftp
