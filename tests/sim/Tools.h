#pragma once
// Command-line clients and a reference TFTP server for the simulated device's tests.

#include <cstdint>
#include <string>

#include "tests/support/VraSim.h"

struct CommandResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// Runs a shell command line and collects what it prints.
CommandResult run(const std::string& command);

// snmpget/snmpset/snmpwalk options for one credential set: "-v2c -c public" and the like.
std::string v2c(const std::string& community = "public");

class VraSim;

// snmpset with one try of up to ten seconds, long enough for a transfer the set starts.
CommandResult snmpset(const VraSim& sim, const std::string& assignments,
                      const std::string& credentials = v2c("private"));

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// in.tftpd from tftpd-hpa, in the foreground on a free loopback port, serving a fresh folder
// where clients may create files.
class TftpServer {
  public:
    TftpServer();
    ~TftpServer();
    TftpServer(const TftpServer&) = delete;
    TftpServer& operator=(const TftpServer&) = delete;
    uint16_t port() const { return port_; }
    std::string dir() const { return dir_; }

  private:
    std::string dir_;
    uint16_t port_ = 0;
    int pid_ = -1;
};
