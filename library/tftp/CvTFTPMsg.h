#pragma once

#include <cstdint>
#include <string>

// What the server tells its owner at every status change of a transfer.
struct CvTFTPMsg {
    int Status = 0;            // 3 success, 2 transferring, 1 connected, 0 disconnected, <0 failure
    std::string StatusText;    // the fixed "(CvTFTP)" text of Status
    int Request = 0;           // 1 read, 2 write, 0 when the packet was no request
    std::string Mode;          // as the request named it
    std::string PeerAddress;   // dotted
    std::string LocalAddress;  // dotted, the address the request arrived on
    uint16_t Port = 0;         // the server's listening port
    std::string FileName;      // as requested
    uint64_t ByteCount = 0;    // bytes moved so far
    int LastBlockLength = 0;   // payload length of the last block moved
    uint16_t PeerPort = 0;
    int Session = 0;  // running number of the session, from 1
    int Timeout = 0;  // units of 10 ms, before scaling
    int Retries = 0;
};
