#include "tests/snmp/SnmpFixture.h"

namespace {

const std::string radio = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.";
const std::string status = "1.3.6.1.4.1.32473.10.37.38.5.1.2.1.1.";

CvSNMPVarList systemList() {
    return varList({
        item("1.3.6.1.2.1.1.1", "systemDescr", SYN_DISPLAYSTRING, ACC_READONLY),
        item("1.3.6.1.2.1.1.2", "systemObjectID", SYN_OBJECTID, ACC_READONLY),
        item("1.3.6.1.2.1.1.3", "systemUpTime", SYN_TIMETICKS, ACC_READONLY),
        item("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE),
    });
}

// Per-radio and interface objects whose OIDs carry their instance.
CvSNMPVarList radioList() {
    return varList(
        {
            item(radio + "1.1", "dot11Ssid", SYN_DISPLAYSTRING, ACC_READWRITE),
            item(radio + "34.1", "dot11Band", SYN_INTEGER, ACC_READWRITE),
            item(status + "2.1", "ifIpAddress", SYN_IPADDRESS, ACC_READONLY),
            item(status + "5.1", "ifMacAddress", SYN_MACADDRESS, ACC_READONLY),
            item(radio + "23.1", "dot11RadioWave", SYN_INTEGER, ACC_INVALID),
        },
        MVT_SV);
}

}  // namespace

TEST_F(SnmpTest, Get_ScalarListAppendsZeroInstanceListUsesOidsAsWritten) {
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
    // An instance list uses its OIDs as written and never reads an invalid item.
    sim().clearJournal();
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

TEST_F(SnmpTest, Set_CarriesTheWritableItemsInOneMessageWithTheirSyntax) {
    CvSNMPRequest request;
    request.VarList = radioList();
    request.VarList.Values() = {"Caf\xe9 AP", "1", "10.0.0.1", "001122334455", "0"};
    request.VarList.GetItem(1).access = ACC_READONLY;  // read, never sent
    sim().clearJournal();
    CvSNMPError result = request.Set();
    ASSERT_EQ(result.Code, 0) << result.Message;
    auto sets = sim().sets();
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].vbs.size(), 1u);
    EXPECT_EQ(sets[0].vbs[0].oid, radio + "1.1");
    EXPECT_EQ(sets[0].community, "private") << "sets use the write community";
    EXPECT_EQ(sim().value(radio + "1.1"), "Caf\xe9 AP");

    request.VarList.GetItem(0).access = ACC_INVALID;
    result = request.Set();
    EXPECT_EQ(result.Code, 0) << result.Message;
    sets = sim().sets();
    ASSERT_EQ(sets.size(), 2u) << "a list without writable items still sends its request";
    EXPECT_TRUE(sets[1].vbs.empty());

    // Typed values travel with their syntax; a text that does not convert is never sent.
    const std::string log = std::string(E) + ".5.4.";
    const std::string macAdd = std::string(E) + ".2.1.3.3.1.2.2.1.1.1";
    request.Settings.version = 2;
    request.VarList = varList(
        {
            item(log + "4.0", "systemLogTFTPServerIPAddress", SYN_IPADDRESS, ACC_READWRITE),
            item(log + "1.0", "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE),
            item(log + "5.0", "systemLogFileName", SYN_DISPLAYSTRING, ACC_READWRITE),
            item(macAdd, "dot11RemoteApMacAddressAdd", SYN_MACADDRESS, ACC_READWRITE),
        },
        MVT_SV);
    request.VarList.Values() = {"192.168.7.9", "", "LogFile.RD", "00aabbccdd09"};
    sim().clearJournal();
    result = request.Set();
    ASSERT_EQ(result.Code, 0) << result.Message;
    sets = sim().sets();
    ASSERT_EQ(sets.size(), 1u);
    std::vector<std::string> sent;
    for (const SimVarBind& vb : sets[0].vbs) sent.push_back(vb.type + " " + vb.value);
    EXPECT_EQ(sent,
              (std::vector<std::string>{"a 192.168.7.9", "i 0", "s LogFile.RD", "x 00AABBCCDD09"}))
        << "an empty integer goes out as 0, a MAC address as six octets";
    EXPECT_EQ(sets[0].vbs[0].oid, log + "4.0");

    request.VarList.Values()[1] = "one";
    EXPECT_EQ(thrownCode([&] { request.Set(); }), -507);
    EXPECT_EQ(sim().sets().size(), 1u) << "nothing goes out when a value does not convert";
}
