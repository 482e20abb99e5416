#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "library/common/CvNetInterface.h"

namespace {

TEST(NetInterface, List_HoldsLoopbackWithItsMaskAndOnlyDottedIpv4) {
    CvNetInterface list[10];
    const int count = CvNetInterface::GetInterfaces(list);
    ASSERT_GT(count, 0);
    ASSERT_LE(count, 10);
    bool loopback = false;
    for (int i = 0; i < count; ++i) {
        in_addr parsed{};
        EXPECT_EQ(inet_pton(AF_INET, list[i].Address.c_str(), &parsed), 1) << list[i].Address;
        EXPECT_EQ(inet_pton(AF_INET, list[i].Mask.c_str(), &parsed), 1) << list[i].Mask;
        if (list[i].Address == "127.0.0.1") {
            loopback = true;
            EXPECT_EQ(list[i].Mask, "255.0.0.0");
        }
    }
    EXPECT_TRUE(loopback) << "127.0.0.1 missing from " << count << " interfaces";
    for (int i = count; i < 10; ++i) EXPECT_TRUE(list[i].Address.empty());
}

}  // namespace
