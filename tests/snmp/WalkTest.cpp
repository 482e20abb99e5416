#include "tests/snmp/FakeAgent.h"
#include "tests/snmp/SnmpFixture.h"

namespace {

const std::string wepEntry = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.2.1.";
const std::string portEntry = "1.3.6.1.4.1.32473.10.37.38.3.6.3.2.1.";

// The WEP key table, indexed by interface and key number.
std::vector<CvSNMPVarItem> wepItems() {
    return {
        item(wepEntry + "0", "ifIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
        item(wepEntry + "1", "keyIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
        item(wepEntry + "2", "dot11KeyEntryMethod", SYN_INTEGER, ACC_READWRITE),
    };
}

}  // namespace

TEST_F(SnmpTest, Walk_KeyCountSplitsTheInstance_NoColumnToReadSendsNothing) {
    const struct {
        int itemType, keyCount;
        std::vector<std::string> thirdRow;
    } cases[] = {
        {MVT_FMV, 2, {"1", "3", "2"}},
        {MVT_UMV, 1, {"1.3", "", "2"}},  // the whole suffix is the key; an unread column is empty
        {MVT_FMV, 0, {"", "", "2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("keys " + std::to_string(c.keyCount));
        sim().clearJournal();
        CvSNMPRequest request;
        request.VarList = varList(wepItems(), c.itemType, c.keyCount);
        const CvSNMPError result = request.Get();
        ASSERT_EQ(result.Code, 0) << result.Message;
        const auto& rows = request.VarList.Rows();
        ASSERT_EQ(rows.size(), 4u);
        std::vector<std::string> instances;
        for (const CvSNMPRow& row : rows) instances.push_back(row.instance);
        EXPECT_EQ(instances, (std::vector<std::string>{"1.1", "1.2", "1.3", "1.4"}));
        EXPECT_EQ(rows[2].values, c.thirdRow);
        EXPECT_EQ(sim().gets().size(), 5u) << "one get-next per row and one past the end";
    }
    // With no column to read nothing is sent and no rows of an earlier read are left.
    CvSNMPRequest request;
    request.VarList = varList(wepItems(), MVT_FMV, 2);
    ASSERT_EQ(request.Get().Code, 0);
    request.VarList.GetItem(2).access = ACC_INVALID;
    sim().clearJournal();
    EXPECT_EQ(request.Get().Code, 0);
    EXPECT_TRUE(request.VarList.Rows().empty());
    request.VarList.Rows().push_back(CvSNMPRow{"1.1", {"1", "1", "2"}});
    Outcome outcome;
    ASSERT_TRUE(request.GetAsync(outcome.record()));
    ASSERT_TRUE(waitFor(outcome.done));
    EXPECT_EQ(outcome.error.Code, 0);
    EXPECT_TRUE(request.VarList.Rows().empty());
    EXPECT_TRUE(sim().gets().empty());
}

TEST_F(SnmpTest, Walk_EndOfTheAgentsMibAndEmptyTable_EndNormallyInV1AndV2c) {
    for (int version : {1, 2}) {
        SCOPED_TRACE("v" + std::to_string(version));
        // systemLogClearLocalLog is the last object the device serves.
        CvSNMPRequest last;
        last.Settings.version = version;
        last.VarList = varList({item("1.3.6.1.4.1.32473.10.37.38.5.4.10", "systemLogClearLocalLog",
                                     SYN_INTEGER, ACC_READWRITE)},
                               MVT_FMV);
        CvSNMPError result = last.Get();
        ASSERT_EQ(result.Code, 0) << result.Message;
        ASSERT_EQ(last.VarList.Rows().size(), 1u);
        EXPECT_EQ(last.VarList.Rows()[0].instance, "0");
        EXPECT_EQ(last.VarList.Rows()[0].values[0], "0");

        CvSNMPRequest empty;
        empty.Settings.version = version;
        empty.VarList = varList(
            {
                item(portEntry + "1", "dot11PortListIndex", SYN_INTEGER, ACC_NOTACCESSIBLE),
                item(portEntry + "2", "dot11PortListTagVid", SYN_DISPLAYSTRING, ACC_READONLY),
            },
            MVT_FMV, 1);
        empty.VarList.Rows().push_back(CvSNMPRow{"9", {"9", "stale"}});
        result = empty.Get();
        EXPECT_EQ(result.Code, 0) << result.Message;
        EXPECT_TRUE(empty.VarList.Rows().empty());
    }
}

TEST(FakeAgentV2c, WalkThatDoesNotAdvanceFails_OpaqueNumberIsReadAsText) {
    FakeAgent agent({1, 3, 6, 1, 4, 1, 99, 1, 2, 7});
    CvSNMPRequest request;
    request.Settings.port = agent.port();
    request.Settings.version = 2;
    request.VarList =
        varList({item("1.3.6.1.4.1.99.1.2", "column", SYN_INTEGER, ACC_READONLY)}, MVT_FMV);
    Outcome outcome;
    ASSERT_TRUE(request.GetAsync(outcome.record()));
    ASSERT_TRUE(VraSim::waitUntil([&] { return outcome.done; }, 5000));
    EXPECT_EQ(outcome.error.Code, -520);
    EXPECT_EQ(outcome.error.Message, "(ViZURU++) The walk did not advance!");
    EXPECT_EQ(agent.requests(), 2);
    EXPECT_TRUE(request.VarList.Rows().empty()) << "a failed walk leaves the rows alone";

    // An Opaque wrapping the float 1.5, which net-snmp decodes itself.
    FakeAgent opaque({1, 3, 6, 1, 4, 1, 99, 1, 3, 0},
                     FakeAgent::tlv(0x44, std::string("\x9f\x78\x04\x3f\xc0\x00\x00", 7)));
    request.Settings.port = opaque.port();
    request.VarList =
        varList({item("1.3.6.1.4.1.99.1.3", "value", SYN_DISPLAYSTRING, ACC_READONLY)});
    Outcome read;
    ASSERT_TRUE(request.GetAsync(read.record()));
    ASSERT_TRUE(VraSim::waitUntil([&] { return read.done; }, 5000));
    EXPECT_EQ(read.error.Code, 0) << read.error.Message;
    EXPECT_EQ(request.VarList.Values()[0], "1.5");
}

TEST_F(SnmpTest, Walk_OverTenThousandRows_EndsWithAnError) {
    sim().knob("rows wdsPeers 10001");
    CvSNMPRequest request;
    request.Settings.version = 2;
    request.VarList = varList({item("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2",
                                    "dot11RemoteApMacAddressList", SYN_MACADDRESS, ACC_READONLY)},
                              MVT_FMV);
    const CvSNMPError result = request.Get();
    EXPECT_EQ(result.Code, -521) << result.Message;
    EXPECT_EQ(sim().gets().size(), 10001u) << "the guard stops at the row past the limit";
}
