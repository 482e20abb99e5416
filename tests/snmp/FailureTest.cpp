#include "tests/snmp/SnmpFixture.h"

namespace {

CvSNMPVarList scalar(const char* oid, int syntax, int access = ACC_READWRITE) {
    return varList({item(oid, "item", syntax, access)});
}

}  // namespace

TEST_F(SnmpTest, AgentErrorStatusesBecomeCodes_BadAddressesAndOidsRaise) {
    sim().knob("fail 1.3.6.1.2.1.1.5 genErr get 1");
    const struct {
        const char* what;
        int version;
        const char* oid;
        int syntax;
        const char* setValue;  // nullptr: a get
        int code;
    } cases[] = {
        {"v1 noSuchName", 1, "1.3.6.1.2.1.1.99", SYN_INTEGER, nullptr, -102},
        {"noSuchObject", 2, "1.3.6.1.2.1.1.99", SYN_INTEGER, nullptr, -119},
        {"notWritable", 2, "1.3.6.1.2.1.1.3", SYN_TIMETICKS, "1", -117},
        {"wrongType", 2, "1.3.6.1.2.1.1.5", SYN_INTEGER, "1", -107},
        {"genErr", 2, "1.3.6.1.2.1.1.5", SYN_DISPLAYSTRING, nullptr, -105},
        {"an answer of another type", 1, "1.3.6.1.2.1.1.5", SYN_IPADDRESS, nullptr, -516},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CvSNMPRequest request;
        request.Settings.version = c.version;
        request.VarList = scalar(c.oid, c.syntax);
        request.VarList.Values() = {c.setValue ? c.setValue : "kept"};
        const CvSNMPError result = c.setValue ? request.Set() : request.Get();
        EXPECT_EQ(result.Code, c.code) << result.Message;
        if (!c.setValue) {
            EXPECT_EQ(request.VarList.Values()[0], "kept") << "a failed read changed the value";
        }
    }
    CvSNMPRequest v1;
    v1.VarList = scalar("1.3.6.1.2.1.1.99", SYN_INTEGER);
    EXPECT_EQ(v1.Get().Message, "(ViZURU++) SNMP error: noSuchName!");

    // Bad addresses and OIDs raise the access layer's exception.
    const struct {
        const char* address;
        const char* oid;
        int code;
    } bad[] = {
        {"192.168.1.300", "1.3.6.1.2.1.1.5", -407},
        {"bad host!", "1.3.6.1.2.1.1.5", -407},
        {"no-such-host.invalid", "1.3.6.1.2.1.1.5", -501},
        {"127.0.0.1", "1.3.six", -502},
        {"localhost", "1.3.6.1.2.1.1.5", 0},  // a host name that resolves is used
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.address);
        CvSNMPRequest request;
        request.VarList = scalar(c.oid, SYN_DISPLAYSTRING);
        request.Settings.address = c.address;
        CvSNMPError result{1, ""};
        EXPECT_EQ(thrownCode([&] { result = request.Get(); }), c.code);
        if (c.code == 0) {
            EXPECT_EQ(result.Code, 0) << result.Message;
        }
    }
}
