#include <gtest/gtest.h>

#include "library/common/CvException.h"
#include "library/snmp/CvSNMPVarList.h"
#include "library/snmp/UsmKeys.h"
#include "library/snmp/ValueText.h"
#include "tests/snmp/Items.h"

using namespace valuetext;

namespace {

WireValue integer(int type, int64_t number) {
    WireValue v;
    v.type = type;
    v.number = number;
    return v;
}

WireValue octets(const std::string& bytes, int type = WireValue::OctetString) {
    WireValue v;
    v.type = type;
    v.octets = bytes;
    return v;
}

std::string text(const WireValue& value, int syntax) {
    std::string out;
    const int code = toText(value, syntax, out);
    return code ? "code " + std::to_string(code) : out;
}

}  // namespace

// RFC 3414 appendix A.3.1 and A.3.2: password "maplesyrup", engine id 00..02.
TEST(UsmKeys, PasswordToKeyAndLocalisation_MatchRfc3414Vectors) {
    const std::string engine("\0\0\0\0\0\0\0\0\0\0\0\2", 12);
    const std::string md5 = usmkeys::passwordToKey("maplesyrup", usmkeys::Hash::Md5);
    EXPECT_EQ(hexText(md5), "9FAF3283884E92834EBC9847D8EDD963");
    EXPECT_EQ(hexText(usmkeys::localize(md5, engine, usmkeys::Hash::Md5)),
              "526F5EED9FCCE26F8964C2930787D82B");
    const std::string sha = usmkeys::passwordToKey("maplesyrup", usmkeys::Hash::Sha1);
    EXPECT_EQ(hexText(sha), "9FB5CC0381497B3793528939FF788D5D79145211");
    EXPECT_EQ(hexText(usmkeys::localize(sha, engine, usmkeys::Hash::Sha1)),
              "6695FEBC9288E36282235FC7151F128497B38F3F");
}

TEST(ValueText, AnswersBecomeTheirTextFormsOrAreRefused) {
    EXPECT_EQ(text(integer(WireValue::Integer, -5), SYN_INTEGER), "-5");
    EXPECT_EQ(text(integer(WireValue::Counter, 4294967295LL), SYN_COUNTER), "4294967295");
    EXPECT_EQ(text(integer(WireValue::Counter, 4294967295LL), SYN_INTEGER), "4294967295");
    EXPECT_EQ(text(integer(WireValue::TimeTicks, 12345), SYN_TIMETICKS), "0 days, 00:02:03.45");
    EXPECT_EQ(text(integer(WireValue::TimeTicks, 100 * 86400 * 3 + 360000 * 5 + 6001), 0),
              "3 days, 05:01:00.01");
    EXPECT_EQ(text(integer(WireValue::Integer, 12345), SYN_TIMETICKS), "0 days, 00:02:03.45");
    EXPECT_EQ(text(octets(std::string("\x00\x11\x22\x33\x44\x5a", 6)), SYN_MACADDRESS),
              "00112233445A");
    EXPECT_EQ(text(octets("Caf\xe9"), SYN_DISPLAYSTRING), "Caf\xe9");
    EXPECT_EQ(text(octets(std::string("a\0b", 3)), SYN_OCTETSTRING), std::string("a\0b", 3));
    EXPECT_EQ(text(octets(std::string("\xc0\xa8\x00\x01", 4), WireValue::IpAddress), SYN_IPADDRESS),
              "192.168.0.1");
    WireValue oid;
    oid.type = WireValue::ObjectId;
    oid.oid = {1, 3, 6, 1, 4294967295u};
    EXPECT_EQ(text(oid, SYN_OBJECTID), "1.3.6.1.4294967295");
    // An answer of the wrong type is refused.
    EXPECT_EQ(text(octets("abc"), SYN_INTEGER), "code -516");
    EXPECT_EQ(text(integer(WireValue::Integer, 1), SYN_DISPLAYSTRING), "code -516");
    EXPECT_EQ(text(integer(WireValue::Integer, 1), SYN_IPADDRESS), "code -516");
    EXPECT_EQ(text(octets("\x01\x02\x03", WireValue::IpAddress), SYN_IPADDRESS), "code -516");
    EXPECT_EQ(text(octets("abc"), 0), "abc");
}

// What a text becomes for a set: "type:number", "type:hex octets", "type:dotted oid", or the code.
std::string sent(const std::string& text, int syntax) {
    WireValue v;
    if (const int code = fromText(text, syntax, v)) return std::to_string(code);
    const bool octetKind = v.type == WireValue::OctetString || v.type == WireValue::IpAddress;
    return std::to_string(v.type) + ":" +
           (v.type == WireValue::ObjectId ? oidText(v.oid)
            : octetKind                   ? hexText(v.octets)
                                          : std::to_string(v.number));
}

TEST(ValueText, TextsParseBackForSets) {
    const struct {
        const char* text;
        int syntax;
        const char* sent;
    } cases[] = {
        {"-2147483648", SYN_INTEGER, "2:-2147483648"},
        {"", SYN_INTEGER, "2:0"},
        {"4294967295", SYN_GAUGE, "66:4294967295"},
        {"0 days, 00:02:03.45", SYN_TIMETICKS, "67:12345"},
        {"777", SYN_TIMETICKS, "67:777"},
        {"", SYN_IPADDRESS, "64:00000000"},
        {"10.0.0.254", SYN_IPADDRESS, "64:0A0000FE"},
        {".1.3.6.1", SYN_OBJECTID, "6:1.3.6.1"},
        {"00112233445a", SYN_MACADDRESS, "4:00112233445A"},
        {"Caf\xe9", SYN_DISPLAYSTRING, "4:436166E9"},
        {"2147483648", SYN_INTEGER, "-508"},
        {"12a", SYN_INTEGER, "-507"},
        {" 1", SYN_INTEGER, "-507"},
        {"-1", SYN_COUNTER, "-508"},
        {"0 days, 25:00:00.00", SYN_TIMETICKS, "-507"},
        {"10.0.0.256", SYN_IPADDRESS, "-507"},
        {"10.0.0", SYN_IPADDRESS, "-507"},
        {".10.0.0.1", SYN_IPADDRESS, "-507"},
        {"", SYN_OBJECTID, "-507"},
        {"1..3", SYN_OBJECTID, "-507"},
        {"", SYN_MACADDRESS, "-511"},
        {"0011223344", SYN_MACADDRESS, "-511"},
        {"00112233445G", SYN_MACADDRESS, "-510"},
    };
    for (const auto& c : cases) EXPECT_EQ(sent(c.text, c.syntax), c.sent) << c.text;
}

TEST(VarList, CopiesTheTableUpToTheEmptyRecordAndChecksIndices) {
    const CvSNMPVarItem table[] = {
        item("1.2.3", "a", SYN_INTEGER, ACC_READWRITE),
        item("1.2.4", "b", SYN_INTEGER, ACC_READONLY),
        {},
        item("1.2.5", "after the end", SYN_INTEGER, ACC_READONLY),
    };
    CvSNMPVarList list(table, MVT_FMV, 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItem(1).name, "b");
    EXPECT_EQ(thrownCode([&] { list.GetItem(-1); }), -504);
    EXPECT_EQ(thrownCode([&] { list.GetItem(2); }), -504);

    CvSNMPVarList copy;
    copy = list;
    copy.GetItem(0).access = ACC_INVALID;
    EXPECT_EQ(list.GetItem(0).access, ACC_READWRITE) << "operator= must copy deeply";
    EXPECT_EQ(copy.ItemType(), MVT_FMV);
    EXPECT_EQ(copy.KeyCount(), 1);

    EXPECT_THROW(CvSNMPVarList(table, 7, 0), CvSNMPException);
    EXPECT_THROW(CvSNMPVarList(table, MVT_UMV, 3), CvSNMPException);
    EXPECT_NO_THROW(CvSNMPVarList(table, MVT_SV, 3));  // ignored outside tables
}
