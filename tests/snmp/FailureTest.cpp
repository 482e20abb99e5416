#include "library/common/CvException.h"
#include "tests/snmp/SnmpFixture.h"

namespace {

CvSNMPVarList scalar(const char* oid, int syntax, int access = ACC_READWRITE) {
    return CvSNMPVarList(std::vector<CvSNMPVarItem>{item(oid, "item", syntax, access)}, SVT_SV, 0);
}

int thrownCode(CvSNMPRequest& request) {
    try {
        request.Get();
    } catch (const CvSNMPException& e) {
        return e.code();
    }
    return 0;
}

}  // namespace

TEST_F(SnmpTest, AgentErrorStatuses_BecomeTheirOwnCodes) {
    CvSNMPRequest v1;
    v1.VarList = scalar("1.3.6.1.2.1.1.99", SYN_INTEGER);
    CvSNMPError result = v1.Get();
    EXPECT_EQ(result.Code, -102) << result.Message;  // v1 noSuchName
    EXPECT_EQ(result.Message, "(ViZURU++) SNMP error: noSuchName!");

    CvSNMPRequest v2;
    v2.Settings.version = 2;
    v2.VarList = scalar("1.3.6.1.2.1.1.99", SYN_INTEGER);
    EXPECT_EQ(v2.Get().Code, -119);  // noSuchObject in the answer

    v2.VarList = scalar("1.3.6.1.2.1.1.3", SYN_TIMETICKS);
    v2.VarList.Values() = {"1"};
    EXPECT_EQ(v2.Set().Code, -117);  // notWritable

    v2.VarList = scalar("1.3.6.1.2.1.1.5", SYN_INTEGER);
    v2.VarList.Values() = {"1"};
    EXPECT_EQ(v2.Set().Code, -107);  // wrongType

    sim().knob("fail 1.3.6.1.2.1.1.5 genErr get");
    v2.VarList = scalar("1.3.6.1.2.1.1.5", SYN_DISPLAYSTRING);
    EXPECT_EQ(v2.Get().Code, -105);
}

TEST_F(SnmpTest, AnswerOfAnotherType_IsRefusedWithoutTouchingTheValue) {
    CvSNMPRequest request;
    request.VarList = scalar("1.3.6.1.2.1.1.5", SYN_IPADDRESS, ACC_READONLY);
    request.VarList.Values() = {"kept"};
    EXPECT_EQ(request.Get().Code, -516);
    EXPECT_EQ(request.VarList.Values()[0], "kept");
}

TEST_F(SnmpTest, BadAddresses_RaiseTheAccessLayersException) {
    CvSNMPRequest request;
    request.VarList = scalar("1.3.6.1.2.1.1.5", SYN_DISPLAYSTRING);
    request.Settings.address = "192.168.1.300";
    EXPECT_EQ(thrownCode(request), -407);
    request.Settings.address = "bad host!";
    EXPECT_EQ(thrownCode(request), -407);
    request.Settings.address = "no-such-host.invalid";
    EXPECT_EQ(thrownCode(request), -501);
    request.Settings.address = "localhost";
    EXPECT_EQ(thrownCode(request), 0) << "a host name that resolves is used";
    EXPECT_EQ(request.Get().Code, 0);
}

TEST_F(SnmpTest, BadItemOid_RaisesInvalidOid) {
    CvSNMPRequest request;
    request.VarList = scalar("1.3.six", SYN_INTEGER);
    EXPECT_EQ(thrownCode(request), -502);
}
