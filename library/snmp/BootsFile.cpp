#include "library/snmp/BootsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <sstream>
#include <vector>

namespace bootsfile {

const char* const applicationKey = "4376534E4D505F50505F4170706C69636174696F6E";

namespace {

bool sameKey(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

long long countOf(const std::string& rest) {
    std::istringstream in(rest);
    long long count = 0;
    std::string extra;
    if (!(in >> count) || (in >> extra) || count < 0) return 0;
    return std::min<long long>(count, INT_MAX);
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int increment(const std::string& path, const std::string& key, bool* error) {
    if (error) *error = false;
    // The lock is taken on the folder: the counter file itself is replaced by a rename, so a lock
    // on its inode would guard nothing, and a lock file would be one more file the module writes.
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int lock = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock >= 0) {
        while (::flock(lock, LOCK_EX) < 0 && errno == EINTR) {
        }
    }

    std::vector<std::string> others;
    long long boots = 0;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t space = line.find(' ');
        if (sameKey(line.substr(0, space), key))
            boots = space == std::string::npos ? 0 : countOf(line.substr(space + 1));
        else if (!line.empty())
            others.push_back(line);
    }
    in.close();
    if (boots < INT_MAX) ++boots;

    std::string text = key + " " + std::to_string(boots) + "\n";
    for (const std::string& line : others) text += line + "\n";
    const std::string temporary = path + ".tmp." + std::to_string(::getpid());
    bool written = false;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        written = writeAll(fd, text) && ::fsync(fd) == 0;
        written = ::close(fd) == 0 && written;
        written = written && ::rename(temporary.c_str(), path.c_str()) == 0;
        if (!written) ::unlink(temporary.c_str());
    }
    if (error) *error = !written;
    if (lock >= 0) ::close(lock);
    return static_cast<int>(boots);
}

}  // namespace bootsfile
