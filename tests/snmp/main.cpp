#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "library/snmp/CvSNMPSession.h"

int main(int argc, char** argv) {
    // A session start in a process of its own, for the boots counter tests: prints the count.
    if (std::getenv("VRA_SNMP_START_ONLY")) {
        QCoreApplication app(argc, argv);
        CvSNMPSession::Start();
        std::printf("%d\n", CvSNMPSession::Boots());
        return 0;
    }
    // Each run keeps its boots counter file in a folder of its own.
    const std::string state =
        (std::filesystem::temp_directory_path() / ("vra-snmp-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(state);
    setenv("VRA2260_STATE_DIR", state.c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(state);
    return result;
}
