#include <gtest/gtest.h>

#include <map>

#include "library/snmp/CvSNMPSession.h"
#include "pages/tools/TransferPage.h"

TEST(TransferPaths, EitherSeparatorSplitsFolderAndName) {
    EXPECT_EQ(folderOfPath("/tmp/a/b.dcf"), "/tmp/a");
    EXPECT_EQ(bareNameOfPath("/tmp/a/b.dcf"), "b.dcf");
    EXPECT_EQ(folderOfPath("C:\\cfg\\b.dcf"), "C:\\cfg");
    EXPECT_EQ(bareNameOfPath("/tmp/x\\y.bin"), "y.bin");
    EXPECT_EQ(lastSeparator("plain.dcf"), -1);
    EXPECT_EQ(bareNameOfPath("plain.dcf"), "plain.dcf");
}

// Without a main window only the address requests reach the device at counts.
TEST(TransferPeers, TheDeviceAsRequestsReachItAndNeverAnAddressOfNoDevice) {
    const std::string saved = CvSNMPSession::Defaults().address;
    for (const auto& [address, peers] :
         std::map<std::string, std::vector<std::string>>{{"127.0.0.5", {"127.0.0.5"}},
                                                         {"localhost", {"127.0.0.1"}},
                                                         {"0.0.0.0", {}},
                                                         {"no_such_host", {}}}) {
        CvSNMPSession::Defaults().address = address;
        EXPECT_EQ(deviceAddresses(), peers) << address;
    }
    CvSNMPSession::Defaults().address = saved;
}
