#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "library/common/CvMessageTables.h"
#include "library/common/CvMessages.h"

namespace {

class Messages : public testing::Test {
  protected:
    void TearDown() override { CvMessages::resetToBuiltIn(); }
    TempFolder temp;
};

TEST_F(Messages, CodesOutsideTheTables_AreUnknown) {
    for (int code : {-11, -100, -120, -200, -218, -315, -424, -529, -1100, -1115, 4, 99}) {
        EXPECT_EQ(CvMessages::text(code), "(ViZURU++) Unknown error " + std::to_string(code) + "!");
    }
    EXPECT_EQ(CvMessages::snmpMsg(3), "");
}

TEST_F(Messages, Fill_ReplacesEveryPlaceholderOnce) {
    EXPECT_EQ(CvMessages::fill("[MIN]..[MAX], [MIN]", "[MIN]", "1"), "1..[MAX], 1");
    EXPECT_EQ(CvMessages::fill("file [FILENAME]", "[FILENAME]", "[FILENAME].txt"),
              "file [FILENAME].txt")
        << "a value containing the placeholder must not loop";
    EXPECT_EQ(CvMessages::fill("abc", "", "x"), "abc");
}

TEST_F(Messages, MessageFile_ReplacesOnlyItsNonEmptyLines) {
    QDir().mkpath(QString::fromStdString(temp.file("errmsg")));
    temp.write("errmsg/common.err", "");
    temp.write("errmsg/snmpclass.err", "\n\n\n\nNo answer!\n");
    CvMessages::loadFolder(temp.file("errmsg"));
    EXPECT_EQ(CvMessages::text(-405), "No answer!");
    EXPECT_EQ(CvMessages::text(-401), "(ViZURU++) SNMP library error!") << "empty line keeps it";
    EXPECT_EQ(CvMessages::text(-406), "(ViZURU++) Session closed!") << "missing line keeps it";
    EXPECT_EQ(CvMessages::text(-1), "(CvCommon) Can't open the file [FILENAME]!")
        << "an empty file keeps every text";
}

TEST_F(Messages, Latin1CrlfFile_WithUpperCaseNames_IsRead) {
    QDir().mkpath(QString::fromStdString(temp.file("ErrMSG")));
    temp.write("ErrMSG/COMMON.ERR", "Fichier [FILENAME] introuvable\xE9!\r\n\r\nFormat!\r\n");
    temp.write("ErrMSG/Snmp.Msg", "Lecture: [ERROR] Requ\xEAte:[VARLIST] \xE0 [TIME].\r\n");
    CvMessages::loadFolder(temp.file("errmsg/"));
    EXPECT_EQ(CvMessages::text(-1), "Fichier [FILENAME] introuvable\xC3\xA9!");
    EXPECT_EQ(CvMessages::text(-2), "(CvCommon) Bad format specifier of edit's constraint!");
    EXPECT_EQ(CvMessages::text(-3), "Format!") << "CR must be stripped";
    EXPECT_EQ(CvMessages::snmpMsg(1), "Lecture: [ERROR] Requ\xC3\xAAte:[VARLIST] \xC3\xA0 [TIME].");
    EXPECT_EQ(CvMessages::snmpMsg(2), "Set: [ERROR] Request:[VARLIST]. Receive at [TIME].");
}

TEST_F(Messages, LinesPastTheRange_AndTftpAndOkTexts_StayBuiltIn) {
    QDir().mkpath(QString::fromStdString(temp.file("errmsg")));
    std::string lines;
    for (int k = 1; k <= 40; ++k) lines += "line " + std::to_string(k) + "\n";
    for (const char* name : {"common.err", "snmp.err", "cvsnmp.err", "tftp.err", "cvtftp.err"}) {
        temp.write(std::string("errmsg/") + name, lines);
    }
    CvMessages::loadFolder(temp.file("errmsg"));
    EXPECT_EQ(CvMessages::text(-10), "line 10");
    EXPECT_EQ(CvMessages::text(-11), "(ViZURU++) Unknown error -11!");
    EXPECT_EQ(CvMessages::text(-119), "line 19");
    EXPECT_EQ(CvMessages::text(-120), "(ViZURU++) Unknown error -120!");
    EXPECT_EQ(CvMessages::text(-528), "line 28");
    EXPECT_EQ(CvMessages::text(0), "(ViZURU++) Ok!");
    EXPECT_EQ(CvMessages::text(-1101), "(CvTFTP) Can't open the UDP port!");
    EXPECT_EQ(CvMessages::text(-301), "(ViZURU++) USM general error!") << "file absent";
}

TEST_F(Messages, LaterLoad_OverridesAndMissingFolderChangesNothing) {
    QDir().mkpath(QString::fromStdString(temp.file("a/errmsg")));
    QDir().mkpath(QString::fromStdString(temp.file("b/errmsg")));
    temp.write("a/errmsg/cvsnmp.err", "first\nfirst two\n");
    temp.write("b/errmsg/cvsnmp.err", "second\n");
    CvMessages::loadFolder(temp.file("a/errmsg"));
    CvMessages::loadFolder(temp.file("b/errmsg"));
    CvMessages::loadFolder(temp.file("none/errmsg"));
    EXPECT_EQ(CvMessages::text(-501), "second");
    EXPECT_EQ(CvMessages::text(-502), "first two");
    CvMessages::resetToBuiltIn();
    EXPECT_EQ(CvMessages::text(-501), "(ViZURU++) Host name lookup failed!");
}

// The shipped files hold the built-in texts; with VRA2260_WRITE_ERRMSG set the test writes them.
TEST(ShippedMessageFiles, EqualTheBuiltInTextsLineByLine) {
    const std::string folder = std::string(VRA_SOURCE_DIR) + "/errmsg/";
    const bool write = std::getenv("VRA2260_WRITE_ERRMSG") != nullptr;
    for (const CvMessages::MessageFile& file : CvMessages::builtInMessageFiles()) {
        const std::string path = folder + file.name;
        if (write) {
            std::ofstream out(path, std::ios::binary);
            for (const std::string& line : file.lines) out << line << '\n';
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path << " is missing";
        std::vector<std::string> shipped;
        for (std::string line; std::getline(in, line);) shipped.push_back(line);
        EXPECT_EQ(shipped, file.lines) << path << " differs from the built-in texts";
    }
}

}  // namespace
