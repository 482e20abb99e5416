#include "tests/support/VraSim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cctype>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The control channel escapes backslash, LF and CR so that every answer is one line.
std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string latin1(const QJsonValue& value) {
    if (value.isDouble()) return std::to_string(value.toInteger());
    return value.toString().toLatin1().toStdString();
}

SimSetRecord toRecord(const QJsonObject& object) {
    SimSetRecord record;
    record.seq = object.value("seq").toInt();
    record.version = latin1(object.value("version"));
    record.community = latin1(object.value("community"));
    record.errorStatus = object.value("errorStatus").toInt();
    record.errorIndex = object.value("errorIndex").toInt();
    for (const QJsonValue& vb : object.value("vbs").toArray()) {
        QJsonObject o = vb.toObject();
        record.vbs.push_back(
            {latin1(o.value("oid")), latin1(o.value("type")), latin1(o.value("value"))});
    }
    return record;
}

std::string makeTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vra-sim-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("vra-sim: cannot create a temporary folder: " +
                                 std::string(std::strerror(errno)));
    return buffer.data();
}

}  // namespace

std::string VraSim::programPath() {
    if (const char* path = std::getenv("VRA_SIM"); path && *path) return path;
    return VRA_SIM_PATH;
}

VraSim::VraSim(std::vector<std::string> extraArgs) : dir_(makeTempDir()) {
    std::vector<std::string> args = {programPath(), "--dir", dir_, "--port", "0"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    const std::string errPath = dir_ + "/stderr.log";
    // Everything the child needs is made before fork: after it, another thread of the test may
    // hold the allocator's lock, so the child only calls what is safe there.
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();

    pid_t pid = fork();
    if (pid < 0) {
        std::filesystem::remove_all(dir_);
        throw std::runtime_error("vra-sim: fork failed");
    }
    if (pid == 0) {
        // The program must not outlive a test process that crashes, not even one that died
        // before the request was made.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        int fd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            dup2(fd, 2);
            dup2(fd, 1);
            if (fd > 2) close(fd);
        }
        int null = open("/dev/null", O_RDONLY);
        if (null >= 0) {
            dup2(null, 0);
            if (null > 2) close(null);
        }
        // Sockets and files of the test that lack close-on-exec would otherwise stay open in the
        // program for its whole life, keeping their ports taken after the test closed them.
        close_range(3, ~0U, 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    pid_ = pid;

    std::string readyPath = dir_ + "/ready";
    bool exited = false;
    bool ready = waitUntil(
        [&] {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited = true;
                return true;
            }
            return std::filesystem::exists(readyPath);
        },
        20000);
    std::string portText = ready && !exited ? readFile(readyPath) : std::string();
    while (!portText.empty() && std::isspace(static_cast<unsigned char>(portText.back()))) {
        portText.pop_back();
    }
    int port = 0;
    const auto [end, error] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    const bool portRead = error == std::errc() && end == portText.data() + portText.size() &&
                          port > 0 && port <= 65535;
    if (exited || !ready || !portRead) {
        std::string err = stderrText();
        if (exited) pid_ = -1;
        stop();
        const std::string reason = exited   ? "it ended"
                                   : !ready ? "it never became ready"
                                            : "its port \"" + portText + "\" is no port";
        throw std::runtime_error("vra-sim did not start (" + reason + "): " + err);
    }
    port_ = static_cast<uint16_t>(port);
}

VraSim::~VraSim() {
    stop();
}

void VraSim::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        auto deadline = Clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        pid_ = -1;
    }
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

std::string VraSim::peer() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string VraSim::stderrText() const {
    return readFile(dir_ + "/stderr.log");
}

std::string VraSim::command(const std::string& line) const {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("vra-sim: no socket");
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = dir_ + "/control.sock";
    if (path.size() >= sizeof addr.sun_path) {
        close(fd);
        throw std::runtime_error("vra-sim: control socket path too long: " + path);
    }
    std::strcpy(addr.sun_path, path.c_str());
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        throw std::runtime_error("vra-sim: cannot reach the control channel: " + stderrText());
    }
    // A signal handler of the test process may break off any of these calls (EINTR), which is
    // no reason to give up on the answer; a program that never answers is, after the deadline.
    const auto deadline = Clock::now() + std::chrono::milliseconds(controlTimeoutMs_);
    std::string out = line + "\n";
    size_t sent = 0;
    while (sent < out.size()) {
        ssize_t n = ::send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    std::string answer;
    char buffer[4096];
    while (sent == out.size() && answer.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        pollfd readable{fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (answer.find('\n') == std::string::npos)
        throw std::runtime_error("vra-sim: no answer to \"" + line + "\" within " +
                                 std::to_string(controlTimeoutMs_) + " ms");
    answer.resize(answer.find('\n'));
    return answer;
}

std::string VraSim::knob(const std::string& line) {
    std::string answer = command(line);
    if (answer == "ok") return "";
    if (answer.rfind("ok ", 0) == 0) return unescape(answer.substr(3));
    throw std::runtime_error("vra-sim refused \"" + line + "\": " + unescape(answer));
}

std::string VraSim::value(const std::string& oid) const {
    std::string answer = command("get " + oid);
    if (answer == "ok") return "";
    if (answer.rfind("ok ", 0) == 0) return unescape(answer.substr(3));
    throw std::runtime_error("vra-sim: no value for " + oid + ": " + unescape(answer));
}

void VraSim::clearJournal() {
    knob("journal clear");
}

std::vector<std::string> VraSim::journalLines() const {
    std::string text = readFile(dir_ + "/journal.jsonl");
    std::vector<std::string> lines;
    size_t start = 0;
    // A last line without its newline is still being written and is left for the next read.
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

namespace {
std::vector<QJsonObject> journalObjects(const std::vector<std::string>& lines) {
    std::vector<QJsonObject> objects;
    for (const auto& line : lines) {
        QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        if (doc.isObject()) objects.push_back(doc.object());
    }
    return objects;
}
}  // namespace

std::vector<SimSetRecord> VraSim::sets() const {
    std::vector<SimSetRecord> records;
    for (const auto& o : journalObjects(journalLines()))
        if (o.value("kind").toString() == "set") records.push_back(toRecord(o));
    return records;
}

std::vector<SimSetRecord> VraSim::gets() const {
    std::vector<SimSetRecord> records;
    for (const auto& o : journalObjects(journalLines()))
        if (o.value("kind").toString() == "get") records.push_back(toRecord(o));
    return records;
}

std::vector<SimEvent> VraSim::events(const std::string& kind) const {
    std::vector<SimEvent> result;
    for (const auto& o : journalObjects(journalLines())) {
        std::string k = latin1(o.value("kind"));
        if (k == "set" || k == "get" || (!kind.empty() && k != kind)) continue;
        SimEvent event{k, {}};
        for (auto it = o.begin(); it != o.end(); ++it)
            if (it.key() != "kind") event.fields[it.key().toStdString()] = latin1(it.value());
        result.push_back(std::move(event));
    }
    return result;
}

bool VraSim::waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        if (pred()) return true;
        if (Clock::now() >= deadline) return false;
        if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

uint16_t freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) throw std::runtime_error("no UDP socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    if (!bound) throw std::runtime_error("no free UDP port");
    return ntohs(address.sin_port);
}
