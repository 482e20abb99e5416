#pragma once

#include <string>

// One local IPv4 interface: its address and subnet mask as dotted texts.
struct CvNetInterface {
    std::string Address, Mask;

    // Fills one record per IPv4 interface that is up (loopback included), at most ten, in the
    // system's order; returns the count, 0 when the list cannot be read.
    static int GetInterfaces(CvNetInterface (&list)[10]);
};
