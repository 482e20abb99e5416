// Placeholder entry point until the agent lands.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    std::string dir = ".";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    if (FILE* f = std::fopen((dir + "/ready").c_str(), "w")) {
        std::fputs("1", f);
        std::fclose(f);
    }
    int sig = 0;
    sigwait(&set, &sig);
    return 0;
}
