#include "platform/Environment.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

namespace platform {
namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string executablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace

double timeScale() {
    const std::string text = env("VRA2260_TIME_SCALE");
    if (text.empty()) return 1.0;
    char* end = nullptr;
    const double scale = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(scale) || scale <= 0) return 1.0;
    return scale;
}

int scaledMs(double ms) {
    const double scaled = std::round(ms * timeScale());
    if (!(scaled >= 1)) return 1;
    if (scaled > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(scaled);
}

std::string stateDir() {
    std::string dir = env("VRA2260_STATE_DIR");
    if (dir.empty()) {
        const std::string xdg = env("XDG_STATE_HOME");
        if (!xdg.empty()) {
            dir = xdg + "/vra2260";
        } else {
            const std::string home = env("HOME");
            dir = (home.empty() ? std::string("/tmp") : home) + "/.local/state/vra2260";
        }
    }
    std::error_code error;
    std::filesystem::create_directories(dir, error);  // a failure shows when the file is written
    return dir;
}

std::string dataDir() {
    // Its own folder below the state folder: the log page serves this folder over TFTP while it is
    // open, and the boots counter file beside it must not be readable or writable from the network.
    const std::string dir = stateDir() + "/log";
    std::error_code error;
    std::filesystem::create_directories(dir, error);  // a failure shows when the file is received
    return dir;
}

std::string programDir() {
    const std::string path = executablePath();
    if (path.empty()) return std::filesystem::current_path().string();
    return std::filesystem::path(path).parent_path().string();
}

std::string programFileName() {
    const std::string path = executablePath();
    return path.empty() ? std::string() : std::filesystem::path(path).filename().string();
}

std::string registryPath() {
    const std::string path = env("VRA2260_REGISTRY");
    return path.empty() ? std::string("/etc/vra2260/registry.ini") : path;
}

uint16_t tftpPort(uint16_t requested) {
    if (requested != 69) return requested;
    const std::string text = env("VRA2260_TFTP_PORT");
    char* end = nullptr;
    const long port = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || port < 1 || port > 65535) return requested;
    return static_cast<uint16_t>(port);
}

QString fromLatin1(std::string_view octets) {
    return QString::fromLatin1(octets.data(), static_cast<qsizetype>(octets.size()));
}

bool toLatin1(const QString& text, std::string& octets) {
    octets.clear();
    octets.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) return false;
        octets.push_back(static_cast<char>(c.unicode()));
    }
    return true;
}

}  // namespace platform
