#include "tests/snmp/FakeAgent.h"
#include "tests/snmp/SnmpFixture.h"

namespace {

const std::string wepEntry = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.2.1.";
const std::string wdsEntry = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.";
const std::string portEntry = "1.3.6.1.4.1.32473.10.37.38.3.6.3.2.1.";

// The WEP key table, indexed by interface and key number.
std::vector<CvSNMPVarItem> wepItems() {
    return {
        item((wepEntry + "0").c_str(), "ifIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
        item((wepEntry + "1").c_str(), "keyIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
        item((wepEntry + "2").c_str(), "dot11KeyEntryMethod", SYN_INTEGER, ACC_READWRITE),
    };
}

std::vector<std::string> instances(const CvSNMPVarList& list) {
    std::vector<std::string> out;
    for (const CvSNMPRow& row : list.Rows()) out.push_back(row.instance);
    return out;
}

}  // namespace

TEST_F(SnmpTest, Walk_TwoKeys_SplitsTheInstanceIntoIndexValues) {
    CvSNMPRequest request;
    request.VarList = CvSNMPVarList(wepItems(), MVT_FMV, 2);
    const CvSNMPError result = request.Get();
    ASSERT_EQ(result.Code, 0) << result.Message;
    const auto& rows = request.VarList.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(instances(request.VarList), (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4"}));
    EXPECT_EQ(rows[1].values, (std::vector<std::string>{"1", "2", "1"}));
    EXPECT_EQ(rows[2].values, (std::vector<std::string>{"1", "3", "2"}));
    EXPECT_EQ(sim().gets().size(), 5u) << "one get-next per row and one past the end";
}

TEST_F(SnmpTest, Walk_OneKey_TakesTheWholeSuffixAsTheKey) {
    CvSNMPRequest request;
    request.VarList = CvSNMPVarList(wepItems(), MVT_UMV, 1);
    ASSERT_EQ(request.Get().Code, 0);
    const auto& rows = request.VarList.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].values[0], "1.3");
    EXPECT_EQ(rows[2].values[1], "") << "an unread column stays empty";
    EXPECT_EQ(rows[2].values[2], "2");
}

TEST_F(SnmpTest, Walk_PastTheEndOfTheAgentsMib_EndsNormallyInV1AndV2c) {
    // systemLogClearLocalLog is the last object the device serves.
    for (int version : {1, 2}) {
        CvSNMPRequest request;
        request.Settings.version = version;
        request.VarList = CvSNMPVarList(
            std::vector<CvSNMPVarItem>{item("1.3.6.1.4.1.32473.10.37.38.5.4.10",
                                            "systemLogClearLocalLog", SYN_INTEGER, ACC_READWRITE)},
            MVT_FMV, 0);
        const CvSNMPError result = request.Get();
        ASSERT_EQ(result.Code, 0) << "v" << version << ": " << result.Message;
        ASSERT_EQ(request.VarList.Rows().size(), 1u) << "v" << version;
        EXPECT_EQ(request.VarList.Rows()[0].instance, "0");
        EXPECT_EQ(request.VarList.Rows()[0].values[0], "0");
    }
}

TEST_F(SnmpTest, Walk_NoKeys_KeepsEachRowsInstance) {
    CvSNMPRequest request;
    request.Settings.version = 2;
    request.VarList = CvSNMPVarList(
        std::vector<CvSNMPVarItem>{item((wdsEntry + "2").c_str(), "dot11RemoteApMacAddressList",
                                        SYN_MACADDRESS, ACC_READONLY)},
        MVT_FMV, 0);
    ASSERT_EQ(request.Get().Code, 0);
    const auto& rows = request.VarList.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].instance, "1");
    EXPECT_EQ(rows[0].values, (std::vector<std::string>{"001122AABB01"}));
    EXPECT_EQ(rows[3].values, (std::vector<std::string>{"000000000000"}));
}

TEST_F(SnmpTest, Walk_EmptyTable_GivesNoRowsAndSuccess) {
    for (int version : {1, 2}) {
        CvSNMPRequest request;
        request.Settings.version = version;
        request.VarList = CvSNMPVarList(
            std::vector<CvSNMPVarItem>{
                item((portEntry + "1").c_str(), "dot11PortListIndex", SYN_INTEGER,
                     ACC_NOTACCESSIBLE),
                item((portEntry + "2").c_str(), "dot11PortListTagVid", SYN_DISPLAYSTRING,
                     ACC_READONLY),
            },
            MVT_FMV, 1);
        request.VarList.Rows().push_back(CvSNMPRow{"9", {"9", "stale"}});
        const CvSNMPError result = request.Get();
        EXPECT_EQ(result.Code, 0) << "v" << version << ": " << result.Message;
        EXPECT_TRUE(request.VarList.Rows().empty()) << "v" << version;
    }
}

TEST_F(SnmpTest, Walk_WithNoColumnToRead_SendsNothingAndLeavesNoOldRows) {
    CvSNMPRequest request;
    request.VarList = CvSNMPVarList(wepItems(), MVT_FMV, 2);
    ASSERT_EQ(request.Get().Code, 0);
    ASSERT_EQ(request.VarList.Rows().size(), 4u);
    request.VarList.GetItem(2).access = ACC_INVALID;
    sim().clearJournal();
    EXPECT_EQ(request.Get().Code, 0);
    EXPECT_TRUE(request.VarList.Rows().empty()) << "rows of an earlier read shown as current";

    request.VarList.GetItem(2).access = ACC_READWRITE;
    ASSERT_EQ(request.Get().Code, 0);
    request.VarList.GetItem(2).access = ACC_INVALID;
    bool done = false;
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError& e) {
        EXPECT_EQ(e.Code, 0);
        done = true;
    }));
    ASSERT_TRUE(waitFor(done));
    EXPECT_TRUE(request.VarList.Rows().empty());
    EXPECT_EQ(sim().gets().size(), 5u) << "only the one full walk went out";
}

TEST(WalkGuard, AgentThatDoesNotAdvance_EndsTheWalkWithAnError) {
    FakeAgent agent({1, 3, 6, 1, 4, 1, 99, 1, 2, 7});
    CvSNMPRequest request;
    request.Settings.port = agent.port();
    request.Settings.version = 2;
    request.VarList = CvSNMPVarList(
        std::vector<CvSNMPVarItem>{item("1.3.6.1.4.1.99.1.2", "column", SYN_INTEGER, ACC_READONLY)},
        MVT_FMV, 0);
    bool done = false;
    CvSNMPError outcome;
    ASSERT_TRUE(request.GetAsync([&](const CvSNMPError& e) {
        outcome = e;
        done = true;
    }));
    ASSERT_TRUE(VraSim::waitUntil([&] { return done; }, 5000));
    EXPECT_EQ(outcome.Code, -520);
    EXPECT_EQ(outcome.Message, "(ViZURU++) The walk did not advance!");
    EXPECT_EQ(agent.requests(), 2);
    EXPECT_TRUE(request.VarList.Rows().empty()) << "a failed walk leaves the rows alone";
}

TEST_F(SnmpTest, Walk_OverTenThousandRows_EndsWithAnError) {
    sim().knob("rows wdsPeers 10001");
    CvSNMPRequest request;
    request.Settings.version = 2;
    request.VarList = CvSNMPVarList(
        std::vector<CvSNMPVarItem>{item((wdsEntry + "2").c_str(), "dot11RemoteApMacAddressList",
                                        SYN_MACADDRESS, ACC_READONLY)},
        MVT_FMV, 0);
    const CvSNMPError result = request.Get();
    EXPECT_EQ(result.Code, -521) << result.Message;
    EXPECT_EQ(sim().gets().size(), 10001u) << "the guard stops at the row past the limit";
}
