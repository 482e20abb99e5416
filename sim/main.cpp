// vra-sim: a simulated VRA-2260 access point for tests and for trying the module.
//
//   vra-sim --dir DIR [--address 127.0.0.1] [--port 161] [--data DATADIR] [--profile NAME]...
//           [--tftp-port N] [--knob "COMMAND"]... [--read-community public]
//           [--write-community private] [--stdin]
//
// It writes only inside DIR: "ready" (the UDP port, once it answers), "journal.jsonl",
// "control.sock" (one knob per line) and the files it moves over TFTP.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "sim/Agent.h"

namespace {

int usage(const char* problem) {
    std::fprintf(stderr, "vra-sim: %s\nusage: vra-sim --dir DIR [--port N] [options]\n", problem);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    options.dataDir = VRA_SIM_DATA_DIR;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--stdin") {
            options.controlOnStdin = true;
            continue;
        }
        if (!(v = value())) return usage(("missing value after " + arg).c_str());
        if (arg == "--dir") {
            options.dir = v;
        } else if (arg == "--address") {
            options.address = v;
        } else if (arg == "--port") {
            char* end = nullptr;
            long port = std::strtol(v, &end, 10);
            if (*end || port < 0 || port > 65535) return usage("bad port");
            options.port = static_cast<int>(port);
        } else if (arg == "--data") {
            options.dataDir = v;
        } else if (arg == "--profile") {
            options.profiles.push_back(v);
        } else if (arg == "--tftp-port") {
            options.knobs.push_back(std::string("tftp port=") + v);
        } else if (arg == "--knob") {
            options.knobs.push_back(v);
        } else if (arg == "--read-community") {
            options.readCommunity = v;
        } else if (arg == "--write-community") {
            options.writeCommunity = v;
        } else {
            return usage(("unknown option " + arg).c_str());
        }
    }
    if (options.dir.empty()) return usage("--dir is required");
    std::error_code error;
    if (!std::filesystem::is_directory(options.dir, error)) return usage("--dir is not a folder");
    return runAgent(options);
}
