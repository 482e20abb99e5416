#include "tests/sim/Tools.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "tests/support/VraSim.h"

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string v2c(const std::string& community) {
    return "-v2c -c " + community;
}

CommandResult snmpset(const VraSim& sim, const std::string& assignments,
                      const std::string& credentials) {
    return run("snmpset -On -t 10 -r 0 " + credentials + " " + sim.peer() + " " + assignments);
}

namespace {
int boundUdpSocket(uint16_t port) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}
}  // namespace

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

TftpServer::TftpServer() {
    char pattern[] = "/tmp/vra-tftpd-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    dir_ = pattern;
    // Another process may take the port between the probe and the server's bind: try again.
    for (int attempt = 0; attempt < 5 && pid_ < 0; ++attempt) {
        port_ = freeUdpPort();
        std::string address = "127.0.0.1:" + std::to_string(port_);
        std::string user = getuid() == 0
                               ? "root"
                               : std::string(std::getenv("USER") ? std::getenv("USER") : "nobody");
        pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            execlp("in.tftpd", "in.tftpd", "-L", "-a", address.c_str(), "-c", "-u", user.c_str(),
                   "-s", dir_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        bool listening = VraSim::waitUntil(
            [&] {
                int status = 0;
                if (waitpid(pid, &status, WNOHANG) == pid) return true;
                int fd = boundUdpSocket(port_);
                if (fd >= 0) close(fd);
                return fd < 0 && errno == EADDRINUSE;
            },
            5000);
        int status = 0;
        if (listening && waitpid(pid, &status, WNOHANG) == 0) {
            pid_ = pid;
        } else {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    if (pid_ < 0) throw std::runtime_error("in.tftpd did not start");
}

TftpServer::~TftpServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}
