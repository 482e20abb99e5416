#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Application.h"
#include "platform/InstanceLock.h"

namespace {

// Child-process mode for the lock tests: takes the lock, reports its state on stdout and holds
// it until stdin closes or the process is killed.
int holdLock(const char* caption) {
    platform::InstanceLock lock(QString::fromUtf8(caption));
    std::printf("%s\n", lock.held() ? "held" : lock.refused() ? "refused" : "unavailable");
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--hold-lock") == 0) return holdLock(argv[2]);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    platform::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
