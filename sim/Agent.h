#pragma once
// The SNMP side of vra-sim: net-snmp's agent library as an embedded master agent.

#include <string>
#include <vector>

struct Options {
    std::string dir;
    std::string address = "127.0.0.1";
    int port = 161;
    std::string dataDir;
    std::vector<std::string> profiles;
    std::vector<std::string> knobs;  // control commands run before the first request
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    bool controlOnStdin = false;
};

int runAgent(const Options& options);
