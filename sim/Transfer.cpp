// The device's TFTP client role: curl child processes, watched from the event loop so the agent
// keeps answering while a transfer runs.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/Device.h"
#include "sim/EventLoop.h"
#include "sim/NetSnmp.h"

extern char** environ;

namespace {

std::string percentEncode(const std::string& name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        // "/" stays as written so that a name with folders reaches the server unchanged.
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::string fileChecksum(const std::string& path, long long& bytes) {
    std::ifstream in(path, std::ios::binary);
    uint64_t hash = 1469598103934665603ULL;
    bytes = 0;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ULL;
        }
        bytes += in.gcount();
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(hash));
    return text;
}

std::string escapeConfig(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '\t' || c == '\n' || c == '\r') {
            out += '\\';
            out += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
        } else {
            out += c;
        }
    }
    return out;
}

struct Child {
    pid_t pid = -1;
    int fd = -1;
    int stallFd = -1;  // our end of the pipe that stalls a transfer we break off
    std::string output;
    bool killed = false;
};

}  // namespace

int Device::tftpPort() const {
    if (tftp_.port > 0) return tftp_.port;
    if (const char* env = std::getenv("VRA2260_TFTP_PORT")) {
        int port = std::atoi(env);
        if (port > 0 && port < 65536) return port;
    }
    return 69;
}

std::string Device::writeConfigFile() {
    std::string path = dir_ + "/tftp/config-put-" + std::to_string(transfers_ + 1) + ".dcf";
    std::ofstream out(path, std::ios::binary);
    out << "#VRA-2260-DCF 1\n";
    for (const auto& [oid, object] : mib_.objects())
        if (object.access == Access::ReadWrite)
            out << oidText(oid) << '\t' << syntaxName(object.committed.syntax) << '\t'
                << escapeConfig(valueText(object.committed)) << '\n';
    return path;
}

std::string Device::writeLogFile() {
    std::string path = dir_ + "/tftp/LogFile.RD";
    std::ofstream out(path, std::ios::binary);
    for (const auto& line : log_) out << line << (logCrlf_ ? "\r\n" : "\n");
    return path;
}

void Device::tftpAction(const std::string& direction, const std::string& address,
                        const std::string& name, const std::string& localPath,
                        std::function<void(bool)> after, Done done) {
    if (tftp_.fail == "never") {
        journal_.write("tftp", JsonLine()
                                   .text("direction", direction)
                                   .text("peer", address)
                                   .text("port", std::to_string(tftpPort()))
                                   .text("file", tftp_.name.value_or(name))
                                   .text("result", "never"));
        return done(SNMP_ERR_NOERROR);
    }
    if (direction == "get") {
        // Commands that act on a fetched file wait until every read under way has ended.
        ++activeGets_;
        after = [this, after](bool ok) {
            if (after) after(ok);
            if (--activeGets_ > 0) return;
            auto waiting = std::move(afterGets_);
            afterGets_.clear();
            for (auto& resume : waiting) resume();
        };
    }
    if (tftp_.answer == "before") {
        done(SNMP_ERR_NOERROR);
        runLater(tftp_.startMs, [this, direction, address, name, localPath, after] {
            transfer(direction, address, name, localPath, [after](bool ok) {
                if (after) after(ok);
            });
        });
        return;
    }
    transfer(direction, address, name, localPath, [after, done](bool ok) {
        if (after) after(ok);
        done(ok ? SNMP_ERR_NOERROR : SNMP_ERR_GENERR);
    });
}

void Device::transfer(const std::string& direction, const std::string& address,
                      const std::string& name, const std::string& localPath,
                      std::function<void(bool)> done) {
    ++transfers_;
    // Linux would take 0.0.0.0 for this host; a device without a server address fails.
    if (address.empty() || address == "0.0.0.0") {
        journal_.write("tftp", JsonLine()
                                   .text("direction", direction)
                                   .text("peer", address)
                                   .text("file", tftp_.name.value_or(name))
                                   .text("result", "failed")
                                   .text("detail", "no server address"));
        return done(false);
    }
    bool get = direction == "get";
    std::string fileName = tftp_.name.value_or(name);
    // The module's server refuses names with folders, so this draws a TFTP error packet.
    if (tftp_.fail == "error") fileName = "vra-sim-error/../" + fileName;
    int port = tftpPort();
    std::string url = "tftp://" + address + ":" + std::to_string(port) + "/" +
                      percentEncode(fileName) + (tftp_.mode == "netascii" ? ";mode=netascii" : "");
    std::string target = get ? localPath + ".part" : localPath;
    std::vector<std::string> args = {"curl",         "-q",         "--silent", "--show-error",
                                     "--path-as-is", "--max-time", "60"};
    if (!tftp_.options) args.push_back("--tftp-no-options");
    // A device sends from its own address, which on loopback is not the one the system picks.
    if (!listenAddress_.empty() && listenAddress_ != "0.0.0.0")
        args.insert(args.end(), {"--interface", listenAddress_});
    // To break a transfer off, curl reads from or writes to a small pipe that stalls after a few
    // blocks, so the server sees the transfer stop in the middle; curl is killed later.
    bool stall = tftp_.fail == "timeout";
    int stallPipe[2] = {-1, -1};
    if (stall && pipe2(stallPipe, O_CLOEXEC) != 0) return done(false);
    if (stall) fcntl(stallPipe[0], F_SETPIPE_SZ, 4096);
    args.insert(args.end(), {get ? "-o" : "-T", stall ? "-" : target, url});

    auto child = std::make_shared<Child>();
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return done(false);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stall && get ? stallPipe[1] : pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    if (stall && !get)
        posix_spawn_file_actions_adddup2(&actions, stallPipe[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int rc = posix_spawnp(&child->pid, "curl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (stall) {
        // Keep the end curl does not use; for a put, hand it the first blocks only.
        child->stallFd = get ? stallPipe[0] : stallPipe[1];
        close(get ? stallPipe[1] : stallPipe[0]);
        if (!get) {
            std::ifstream in(localPath, std::ios::binary);
            std::string head(2048, '\0');
            in.read(head.data(), static_cast<std::streamsize>(head.size()));
            fcntl(child->stallFd, F_SETFL, O_NONBLOCK);
            [[maybe_unused]] ssize_t n =
                write(child->stallFd, head.data(), static_cast<size_t>(in.gcount()));
        }
    }
    if (rc != 0) {
        if (child->stallFd >= 0) close(child->stallFd);
        close(pipeFds[0]);
        journal_.write("tftp", JsonLine().text("direction", direction).text("result", "no curl"));
        return done(false);
    }
    child->fd = pipeFds[0];
    if (tftp_.fail == "timeout")
        runLater(300, [child] {
            if (child->pid > 0) {
                child->killed = true;
                kill(child->pid, SIGKILL);
            }
        });

    auto finish = [this, child, direction, address, port, fileName, localPath, target, get, stall,
                   done] {
        unwatchFd(child->fd);
        close(child->fd);
        if (child->stallFd >= 0) close(child->stallFd);
        int status = 0;
        waitpid(child->pid, &status, 0);
        child->pid = -1;
        // A transfer the device breaks off fails, even when a small file got through first.
        bool ok = !stall && !child->killed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        std::error_code ignored;
        // curl creates no output file for an empty download.
        if (get && ok && !std::filesystem::exists(target)) std::ofstream(target, std::ios::binary);
        if (get && ok) std::filesystem::rename(target, localPath, ignored);
        if (get && !ok) std::filesystem::remove(target, ignored);
        long long bytes = 0;
        std::string checksum = ok ? fileChecksum(localPath, bytes) : "";
        std::string detail = child->output;
        while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r'))
            detail.pop_back();
        journal_.write("tftp", JsonLine()
                                   .text("direction", direction)
                                   .text("peer", address)
                                   .text("port", std::to_string(port))
                                   .text("file", fileName)
                                   .text("bytes", std::to_string(bytes))
                                   .text("checksum", checksum)
                                   .text("result", ok                       ? "ok"
                                                   : stall || child->killed ? "timeout"
                                                                            : "failed")
                                   .text("path", get && ok ? localPath : (get ? "" : localPath))
                                   .text("detail", detail));
        done(ok);
    };
    watchFd(child->fd, [child, finish] {
        char buffer[1024];
        ssize_t n = ::read(child->fd, buffer, sizeof buffer);
        if (n > 0) {
            if (child->output.size() < 4096) child->output.append(buffer, static_cast<size_t>(n));
            return;
        }
        if (n < 0 && errno == EINTR) return;
        finish();
    });
}
