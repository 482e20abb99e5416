#pragma once

#include <string>

// The process-wide device and security settings that every new request copies.
struct CvSNMPSettings {
    std::string address = "127.0.0.1";  // dotted IPv4 or host name
    int port = 161;
    int version = 1;  // 1 v1, 2 v2c, 3 v3
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    int securityModel = 1;        // 1 v1, 2 v2c, 3 USM
    int securityLevel = 1;        // 1 noAuthNoPriv, 2 authNoPriv, 3 authPriv
    int authProtocol = 1;         // 1 none, 2 MD5, 3 SHA
    int privProtocol = 1;         // 1 none, 2 DES, 19 AES-128
    std::string contextEngineId;  // raw octets
    std::string contextName;
    std::string securityName;
    std::string authPassword;
    std::string privPassword;
    int timeout = 100;  // units of 10 ms
};

// The one SNMP session of the process.
class CvSNMPSession {
  public:
    // Once per process: initialises net-snmp (no configuration files, no MIBs, no persistent
    // state), reads, increments and atomically replaces the boots counter file. The first
    // request starts it when nobody did. Later calls do nothing.
    static void Start();
    // The defaults that new requests copy; the main window fills them at start-up.
    static CvSNMPSettings& Defaults();
    // The engine boots read at Start (after the increment).
    static int Boots();
};
