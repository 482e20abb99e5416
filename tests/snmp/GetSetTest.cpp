#include "library/common/CvException.h"
#include "tests/snmp/SnmpFixture.h"

namespace {

const std::string radio = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.";
const std::string status = "1.3.6.1.4.1.32473.10.37.38.5.1.2.1.1.";

CvSNMPVarList systemList() {
    return CvSNMPVarList(
        std::vector<CvSNMPVarItem>{
            item("1.3.6.1.2.1.1.1", "systemDescr", SYN_DISPLAYSTRING, ACC_READONLY),
            item("1.3.6.1.2.1.1.2", "systemObjectID", SYN_OBJECTID, ACC_READONLY),
            item("1.3.6.1.2.1.1.3", "systemUpTime", SYN_TIMETICKS, ACC_READONLY),
            item("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE),
        },
        SVT_SV, 0);
}

// Per-radio and interface objects whose OIDs carry their instance.
CvSNMPVarList radioList() {
    return CvSNMPVarList(
        std::vector<CvSNMPVarItem>{
            item((radio + "1.1").c_str(), "dot11Ssid", SYN_DISPLAYSTRING, ACC_READWRITE),
            item((radio + "34.1").c_str(), "dot11Band", SYN_INTEGER, ACC_READWRITE),
            item((status + "2.1").c_str(), "ifIpAddress", SYN_IPADDRESS, ACC_READONLY),
            item((status + "5.1").c_str(), "ifMacAddress", SYN_MACADDRESS, ACC_READONLY),
            item((radio + "23.1").c_str(), "dot11RadioWave", SYN_INTEGER, ACC_INVALID),
        },
        MVT_SV, 0);
}

}  // namespace

TEST_F(SnmpTest, Get_ScalarList_AppendsZeroAndFillsTextForms) {
    for (int version : {1, 2}) {
        CvSNMPRequest request;
        request.Settings.version = version;
        request.VarList = systemList();
        const CvSNMPError result = request.Get();
        ASSERT_EQ(result.Code, 0) << "v" << version << ": " << result.Message;
        EXPECT_EQ(result.Message, "(ViZURU++) Ok!");
        const auto& values = request.VarList.Values();
        EXPECT_EQ(values[0], sim().value("1.3.6.1.2.1.1.1.0"));
        EXPECT_EQ(values[1], E);
        EXPECT_NE(values[2].find(" days, "), std::string::npos) << values[2];
        EXPECT_EQ(values[3], sim().value("1.3.6.1.2.1.1.5.0"));
    }
}

TEST_F(SnmpTest, Get_InstanceList_UsesOidsAsWrittenAndSkipsInvalidItems) {
    CvSNMPRequest request;
    request.VarList = radioList();
    const CvSNMPError result = request.Get();
    ASSERT_EQ(result.Code, 0) << result.Message;
    const auto& values = request.VarList.Values();
    EXPECT_EQ(values[0], sim().value(radio + "1.1"));
    EXPECT_EQ(values[1], "0");
    EXPECT_EQ(values[2], "127.0.0.1");
    EXPECT_EQ(values[3], "00112233445A");
    EXPECT_EQ(values[4], "") << "an invalid item is never read";
    ASSERT_EQ(sim().gets().size(), 1u) << "one get for the whole list";
    EXPECT_EQ(sim().gets()[0].vbs.size(), 4u);
}

TEST_F(SnmpTest, Set_CarriesExactlyTheWritableItemsInOneMessage) {
    CvSNMPRequest request;
    request.VarList = radioList();
    request.VarList.Values() = {"Caf\xe9 AP", "1", "10.0.0.1", "001122334455", "0"};
    request.VarList.GetItem(1).access = ACC_READONLY;  // read, never sent
    sim().clearJournal();
    const CvSNMPError result = request.Set();
    ASSERT_EQ(result.Code, 0) << result.Message;
    const auto sets = sim().sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].vbs.size(), 1u);
    EXPECT_EQ(sets[0].vbs[0].oid, radio + "1.1");
    EXPECT_EQ(sets[0].community, "private") << "sets use the write community";
    EXPECT_EQ(sim().value(radio + "1.1"), "Caf\xe9 AP");
}

TEST_F(SnmpTest, Set_WithoutWritableItems_SendsARequestWithoutVariables) {
    CvSNMPRequest request;
    request.VarList = systemList();
    request.VarList.GetItem(3).access = ACC_INVALID;
    sim().clearJournal();
    const CvSNMPError result = request.Set();
    EXPECT_EQ(result.Code, 0) << result.Message;
    const auto sets = sim().sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_TRUE(sets[0].vbs.empty());
}

TEST_F(SnmpTest, Set_ScalarAndTypedValues_TravelWithTheirSyntax) {
    const std::string system = "1.3.6.1.4.1.32473.10.37.38.5.4.";
    CvSNMPRequest request;
    request.Settings.version = 2;
    request.VarList = CvSNMPVarList(
        std::vector<CvSNMPVarItem>{
            item((system + "4").c_str(), "systemLogTFTPServerIPAddress", SYN_IPADDRESS,
                 ACC_READWRITE),
            item((system + "1").c_str(), "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE),
            item((system + "5").c_str(), "systemLogFileName", SYN_DISPLAYSTRING, ACC_READWRITE),
        },
        SVT_SV, 0);
    request.VarList.Values() = {"192.168.7.9", "", "LogFile.RD"};
    sim().clearJournal();
    ASSERT_EQ(request.Set().Code, 0);
    const auto sets = sim().sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].vbs.size(), 3u);
    EXPECT_EQ(sets[0].vbs[0].oid, system + "4.0");
    EXPECT_EQ(sets[0].vbs[0].type, "a");
    EXPECT_EQ(sets[0].vbs[0].value, "192.168.7.9");
    EXPECT_EQ(sets[0].vbs[1].type, "i");
    EXPECT_EQ(sets[0].vbs[1].value, "0") << "an empty integer goes out as 0";
    EXPECT_EQ(sets[0].vbs[2].value, "LogFile.RD");

    request.VarList.Values()[1] = "one";
    try {
        request.Set();
        FAIL() << "a text that is no number was sent";
    } catch (const CvSNMPException& e) {
        EXPECT_EQ(e.code(), -507);
    }
    EXPECT_EQ(sim().sets().size(), 1u) << "nothing goes out when a value does not convert";
}

TEST_F(SnmpTest, Set_MacAddress_TravelsAsSixOctets) {
    CvSNMPRequest request;
    request.Settings.version = 2;
    request.VarList =
        CvSNMPVarList(std::vector<CvSNMPVarItem>{item(
                          "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.2.1.1.1",
                          "dot11RemoteApMacAddressAdd", SYN_MACADDRESS, ACC_READWRITE)},
                      MVT_SV, 0);
    request.VarList.Values() = {"00aabbccdd09"};
    sim().clearJournal();
    const CvSNMPError result = request.Set();
    ASSERT_EQ(result.Code, 0) << result.Message;
    const auto sets = sim().sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].vbs.size(), 1u);
    EXPECT_EQ(sets[0].vbs[0].type, "x");
    EXPECT_EQ(sets[0].vbs[0].value, "00AABBCCDD09");

    request.VarList.Values() = {"00AABBCCDD"};
    try {
        request.Set();
        FAIL() << "a short MAC address was sent";
    } catch (const CvSNMPException& e) {
        EXPECT_EQ(e.code(), -511);
    }
}
