#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tests/support/VraSim.h"

namespace {

// A UDP socket on a free loopback port, deliberately without close-on-exec, like the sockets
// some libraries open.
int inheritableSocket(uint16_t port, uint16_t* bound = nullptr) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    if (bound) *bound = ntohs(address.sin_port);
    return fd;
}

// Points the fixture at another program for one test.
class ScopedProgram {
  public:
    explicit ScopedProgram(const std::string& path) {
        if (const char* old = std::getenv("VRA_SIM")) old_ = old;
        ::setenv("VRA_SIM", path.c_str(), 1);
    }
    ~ScopedProgram() {
        old_.empty() ? ::unsetenv("VRA_SIM") : ::setenv("VRA_SIM", old_.c_str(), 1);
    }

  private:
    std::string old_;
};

TEST(VraSimFixture, SimulatorKeepsNoDescriptorOfTheTestProcess) {
    uint16_t port = 0;
    const int fd = inheritableSocket(0, &port);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    {
        VraSim sim;
        ::close(fd);
        const int again = inheritableSocket(port);
        EXPECT_GE(again, 0) << "port " << port
                            << " is still held after the test closed it: the simulator "
                               "inherited the socket";
        if (again >= 0) ::close(again);
        EXPECT_EQ(sim.knob("ping"), "pong");
    }
}

void ignoreAlarm(int) {}

TEST(VraSimFixture, ControlAnswers_SurviveSignalsThatInterruptTheWait) {
    VraSim sim;
    // A handler without SA_RESTART, like the child-process handlers of some libraries: every
    // signal breaks off the system call that waits for the answer.
    struct sigaction action {};
    action.sa_handler = ignoreAlarm;
    struct sigaction old {};
    ASSERT_EQ(::sigaction(SIGALRM, &action, &old), 0);
    itimerval often{{0, 50}, {0, 50}};
    ASSERT_EQ(::setitimer(ITIMER_REAL, &often, nullptr), 0);
    int answered = 0;
    std::string failure;
    for (int i = 0; i < 200 && failure.empty(); ++i) {
        try {
            if (sim.knob("ping") == "pong") ++answered;
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }
    itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &old, nullptr);
    EXPECT_EQ(answered, 200) << failure;
}

TEST(VraSimFixture, StoppedProgram_GivesAnErrorInsteadOfHanging) {
    VraSim sim;
    sim.setControlTimeout(200);
    ASSERT_EQ(::kill(sim.pid(), SIGSTOP), 0);
    EXPECT_THROW(sim.knob("ping"), std::runtime_error);
    ::kill(sim.pid(), SIGCONT);
    EXPECT_EQ(sim.knob("ping"), "pong") << "the program answers again once it runs";
}

TEST(VraSimFixture, ProgramWithAnUnreadableReadyFile_FailsAndLeavesNothingRunning) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vra-sim-fake-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string script = (folder / "fake-sim").string();
    const std::string pidFile = (folder / "pid").string();
    {
        // Takes "--dir DIR" like the real program, announces a port that is no number and stays.
        std::ofstream out(script);
        out << "#!/bin/sh\necho $$ > '" << pidFile << "'\n"
            << "printf 'no port' > \"$2/ready\"\nexec sleep 60\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    {
        ScopedProgram fake(script);
        EXPECT_THROW(VraSim sim, std::runtime_error);
    }
    std::ifstream in(pidFile);
    pid_t pid = 0;
    in >> pid;
    ASSERT_GT(pid, 0) << "the fake program never ran";
    const bool gone = ::kill(pid, 0) != 0 && errno == ESRCH;
    if (!gone) ::kill(pid, SIGKILL);
    EXPECT_TRUE(gone) << "the program was left running after the fixture failed";
    std::filesystem::remove_all(folder);
}

}  // namespace
