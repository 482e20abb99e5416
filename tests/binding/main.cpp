#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "library/snmp/CvSNMPSession.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The boots counter file of this run goes to a folder of its own.
    std::string state =
        (std::filesystem::temp_directory_path() / ("vra-binding-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(state);
    setenv("VRA2260_STATE_DIR", state.c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    platform::Application app(argc, argv);
    CvSNMPSession::Start();
    int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(state);
    return result;
}
