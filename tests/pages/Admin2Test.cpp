#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <string>

#include "app/Newrequest.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/Admin2.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kTelnet = E + ".4.4.1.0", kSsh = E + ".4.4.2.0", kTimeout = E + ".4.4.3.0";
const std::string kUser = E + ".4.1.1.1.2.1", kPassword = E + ".4.1.1.1.3.1";
const std::string kName = "1.3.6.1.2.1.1.5.0", kLocation = "1.3.6.1.2.1.1.6.0";
const std::string kState = E + ".4.10.1.1.0", kVlanTag = E + ".4.10.3.0";
const std::string kStart = E + ".4.10.1.4.1.3.", kEnd = E + ".4.10.1.4.1.4.";
const std::string kDelete = E + ".4.10.1.3.0";
using Oids = std::vector<std::string>;
using Sets = std::vector<Oids>;
using R = AdminRefusal;

}  // namespace

TEST(AdminRules, AddressesNamesChecksTablesAndRowChoices) {
    EXPECT_EQ(TFM_Admin2::IpStrToInt("192.168.0.10"), 0xC0A8000Au);
    EXPECT_EQ(TFM_Admin2::IpStrToInt("x.1..2"), 0x010002u) << "a part that is no number is 0";
    EXPECT_EQ(TFM_Admin2::IpStrToInt("1.2.3.4.5"), 0x02030405u) << "the high octets run out";
    EXPECT_EQ(TFM_Admin2::NetworkAddressText("192.168.7.10", "255.255.255.0"), "192.168.7.0");
    EXPECT_EQ(TFM_Admin2::NetworkAddressText("10.a", "255.255.0.0"), "10.0.0.0");
    for (const char* good : {"", "a.B_c-1@x", "Z9"}) EXPECT_TRUE(TFM_Admin2::IsValidUserName(good));
    for (const QString& bad :
         {QString("a b"), QString("#"), QString("adm") + QChar(0xE9), QString("a\tb")})
        EXPECT_FALSE(TFM_Admin2::IsValidUserName(bad)) << bad.toStdString();

    struct Case {
        bool vidChecked;
        QString vid, oldPassword, user, newPassword, confirmation;
        R refusal;
    };
    const Case cases[] = {
        {true, "1", "x", "", "", "", R::OldPassword},  // the scenes below refuse the rest
        {false, "1a", "pw", "", "", "", R::NoUserName},
        {true, "4094", "pw", QString(65, 'u'), "", "", R::LongUserName},
        {false, "", "pw", QString(64, 'u'), QString(64, 'p'), QString(64, 'p'), R::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(adminSaveRefusal({c.vidChecked, c.vid, c.oldPassword, "pw", c.user, c.newPassword,
                                    c.confirmation}),
                  c.refusal)
            << c.vid.toStdString() << " " << c.user.toStdString();

    EXPECT_EQ(consoleChoice(1, 1), -1);
    EXPECT_EQ(consoleChoice(-1, 0), -1) << "a value never read selects nothing";
    for (int choice = 0; choice < 3; ++choice) {
        const ConsoleSetting setting = consoleSetting(choice);
        EXPECT_EQ(consoleChoice(setting.telnetIndex, setting.sshIndex), choice);
    }
    for (int state = 0; state < 4; ++state) {
        const auto [vid, ip] = limitChecks(state);
        EXPECT_EQ(limitState(vid, ip), state);
    }

    const RangeRow used{"10.0.0.1", "10.0.0.9"}, free{"0.0.0.0", "0.0.0.0"};
    const RangeRow halfFree{"0.0.0.0", "10.0.0.5"};
    const auto choose = [](std::vector<RangeRow> rows, const RangeRow& range) {
        const AddRowChoice choice = chooseAddRow(rows, range.first, range.second);
        return std::make_pair(choice.duplicate, choice.row);
    };
    EXPECT_EQ(choose({used, free}, used), std::make_pair(true, -1));
    EXPECT_EQ(choose({halfFree, free, used}, used), std::make_pair(false, 1));
    EXPECT_EQ(choose({used}, {"10.0.1.1", "10.0.1.2"}), std::make_pair(false, -1));
    EXPECT_EQ(choose({used}, {"10.0.0.01", "10.0.0.9"}), std::make_pair(true, -1)) << "by number";
    EXPECT_EQ(findRangeRow({free, used, used}, used.first, used.second), 1);
    EXPECT_EQ(findRangeRow({free}, used.first, used.second), -1);
}

class AdminPage : public PageHarness {
  protected:
    TFM_Admin2* open() {
        TFM_Admin2* page = openPage(FM_Admin2);
        waitForLists(page);
        return page;
    }
    void waitForLists(TFM_Admin2* page) {
        EXPECT_TRUE(pumpUntil([page] {
            return page->reqIpRanges && !page->reqIpRanges->Busy() && !page->reqIpRangeList->Busy();
        })) << "the range lists were never read";
    }
    // Presses Save; the sets it sent.
    Sets save(TFM_Admin2* page) {
        const size_t before = sets().size();
        page->OK->click();
        Sets found;
        for (size_t i = before; i < sets().size(); ++i) found.push_back(oids(sets()[i]));
        return found;
    }
    void add(TFM_Admin2* page, const QString& from, const QString& to) {
        page->Ed_FromIP->setText(from);
        page->Ed_ToIP->setText(to);
        page->Btn_Add->click();
    }
};

TEST_F(AdminPage, OpensFilledAndRefusesEachBadInputWithItsTextSendingNothing) {
    sim().knob("set " + kPassword + " " + std::string(65, 'p'));
    sim().knob("set " + kUser + " " + std::string(65, 'u'));
    TFM_Admin2* page = open();
    EXPECT_EQ(page->Ed_Usr->text(), QString(65, 'u'));
    EXPECT_EQ(page->Ed_CNP->text(), QString(65, 'p')) << "the device's password in every edit";
    EXPECT_EQ(page->Ed_SysName->text() + "/" + page->Ed_Location->text(), "VRA-2260/Lab");
    EXPECT_EQ(page->RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(page->CB_Timeout->currentText(), "5Mins");
    EXPECT_FALSE(page->CheckBox_VID->isChecked() || page->CkBx_ManagerState->isChecked());
    EXPECT_FALSE(page->Ed_VID->isEnabled() || page->Btn_Add->isEnabled());
    EXPECT_EQ(page->ListView_User->RowCount() * 10 + page->ListView_IpRange->RowCount(), 14);
    EXPECT_EQ(page->Ed_OPwd->echoMode(), QLineEdit::Password);

    page->OK->click();  // the device holds a longer name and password than the page allows
    page->Ed_Usr->setText("admin");
    page->OK->click();
    page->CheckBox_VID->click();
    EXPECT_TRUE(page->Ed_VID->isEnabled());
    for (const char* vid : {"0", "4095", "", "1a"}) {
        page->Ed_VID->setText(vid);
        page->OK->click();
        EXPECT_EQ(page->Ed_VID->text(), "");
    }
    EXPECT_EQ(page->focusWidget(), page->Ed_VID);
    page->CheckBox_VID->click();
    page->Ed_OPwd->setText("admin");
    page->OK->click();
    page->Ed_OPwd->setText(page->Ed_Pwd->text());
    for (const QString& user : {QString(), QString("#"), QString("a b"), QString(QChar(0xE9))}) {
        page->Ed_Usr->setText(user);
        page->OK->click();
    }
    EXPECT_EQ(page->focusWidget(), page->Ed_Usr);
    page->Ed_Usr->setText("a.B_c-1@x");
    page->Ed_NPwd->setText("new");
    page->OK->click();
    EXPECT_EQ(page->focusWidget(), page->Ed_NPwd);
    EXPECT_EQ(page->Ed_NPwd->text(), "new") << "a wrong confirmation empties nothing";

    const QString vid = "The VID value range is 1~4094.", name = "Invaild UserName!";
    EXPECT_EQ(boxTexts(),
              (std::vector<QString>{"Please limit user name to 64 characters!",
                                    "Please limit password to 64 characters!", vid, vid, vid, vid,
                                    "Please input the current password correctly!",
                                    "Please input the login name!", name, name, name,
                                    "Please input the confirm new password correctly!"}));
    for (const platform::BoxRecord& box : ui().boxes) EXPECT_EQ(box.caption, "Warning");
    EXPECT_TRUE(sets().empty());
}

TEST_F(AdminPage, SaveWritesConsoleByTheRadioItemThenLoginNameAndLimitState) {
    TFM_Admin2* page = open();
    page->RadioGroup1->Buttons()->button(0)->click();
    EXPECT_FALSE(page->CB_Timeout->isEnabled());
    page->CheckBox_VID->click();
    page->Ed_VID->setText("4094");
    page->Ed_NPwd->setText("secret");
    page->Ed_CNP->setText("secret");
    const Oids login = {kUser, kPassword}, system = {kName, kLocation};
    EXPECT_EQ(save(page), (Sets{{kTelnet, kSsh}, login, system, {kState, kVlanTag}}))
        << "the timeout's set would carry nothing";
    EXPECT_EQ(sets()[0].vbs[0].value + sets()[0].vbs[1].value, "00");
    EXPECT_EQ(sets()[3].vbs[0].value + "/" + sets()[3].vbs[1].value, "1/4094");
    EXPECT_EQ(sim().value(kPassword), "secret");
    EXPECT_EQ(status(page), "Set OK!");

    page->RadioGroup1->Buttons()->button(2)->click();
    page->CheckBox_VID->click();
    page->Ed_VID->setText("1a");  // not looked at while unchecked
    page->Ed_OPwd->setText("secret");
    EXPECT_EQ(save(page), (Sets{{kSsh}, {kTimeout}, login, system, {kState}}));
    EXPECT_EQ(sets().back().vbs[0].value, "0");
    page->RadioGroup1->Buttons()->button(1)->click();
    EXPECT_EQ(save(page), (Sets{{kTelnet}, {kTimeout}, login, system, {kState}}));
}

TEST_F(AdminPage, BothConsolesSelectNoItemAndAreWrittenAsReadAndOneRefusedSetIsSettingError) {
    sim().knob("profile console-both");
    TFM_Admin2* page = open();
    EXPECT_EQ(page->RadioGroup1->ItemIndex(), -1);
    sim().knob("fail " + kName + " notWritable set");
    EXPECT_EQ(save(page),
              (Sets{{kTelnet, kSsh}, {kTimeout}, {kUser, kPassword}, {kName, kLocation}, {kState}}))
        << "every set goes out whatever the ones before returned";
    EXPECT_EQ(sets()[0].vbs[0].value + sets()[0].vbs[1].value, "11");
    EXPECT_EQ(status(page), "Setting Error!");
}

// With the reads failed only what the user typed or clicked goes out, under the unread text.
TEST_F(AdminPage, UnreadPasswordNamesAndLimitStateAreNotWrittenUntilTheUserChoosesThem) {
    for (const std::string& oid : {kPassword, kName, kState})
        sim().knob("fail " + oid + " genErr get");
    TFM_Admin2* page = open();
    EXPECT_TRUE(status(page).contains("genErr")) << status(page).toStdString();
    typeText(page->Ed_Usr, "admin");
    EXPECT_EQ(save(page), (Sets{{kTelnet}, {kTimeout}, {kUser}}));
    EXPECT_EQ(status(page), unreadText());
    typeText(page->Ed_NPwd, "pw");
    typeText(page->Ed_CNP, "pw");
    page->CheckBox_VID->click();
    typeText(page->Ed_VID, "7");
    EXPECT_EQ(save(page).back(), Oids{kVlanTag}) << "a state from a box never read";
    EXPECT_EQ(sim().value(kPassword), "pw");
    page->CkBx_ManagerState->click();
    page->Ed_OPwd->setText("pw");
    EXPECT_EQ(save(page).back(), (Oids{kState, kVlanTag}));
    EXPECT_EQ(sim().value(kState), "3");
}

TEST_F(AdminPage, UnreachableAddressIsShownAndSaveSendsNothing) {
    CvSNMPSession::Defaults().address = "999.1.1.1";
    TFM_Admin2* page = openPage(FM_Admin2);
    EXPECT_TRUE(status(page).startsWith("(ViZURU++)")) << status(page).toStdString();
    page->Ed_Usr->setText("admin");
    page->OK->click();
    EXPECT_TRUE(sets().empty());
}

TEST_F(AdminPage, AddChecksInOrderWritesTheFirstFreeRowAndBothListsFollow) {
    TFM_Admin2* page = open();
    page->CkBx_ManagerState->click();
    add(page, "1.2.3", "192.168.0.2");
    add(page, "192.168.0.2", "192.168.0.256");
    add(page, "192.168.0.9", "192.168.0.2");
    add(page, "192.168.0.10", "192.168.1.20");
    add(page, "192.168.0.10", "192.168.0.20");
    EXPECT_EQ(page->focusWidget(), page->Ed_FromIP);
    EXPECT_EQ(boxTexts(), (std::vector<QString>{
                              "Please input valid IP address", "Please input valid IP address",
                              "Invalid IP address range for Administrator!",
                              "The Two IP address is not in the same subnet,Please check...",
                              "The same IP range has been added"}));
    EXPECT_EQ(ui().boxes[1].caption + ui().boxes[2].caption, "WaringWarning");
    EXPECT_TRUE(sets().empty());

    add(page, "192.168.0.30", "192.168.0.30");
    EXPECT_EQ(status(page), "") << "an OK before the device answered";
    EXPECT_EQ(page->Ed_FromIP->text() + page->Ed_ToIP->text(), "");
    ASSERT_TRUE(pumpUntil([&] { return sets().size() == 1; }));
    EXPECT_EQ(oids(sets()[0]), (Oids{kStart + "2", kEnd + "2"}));
    EXPECT_EQ(sets()[0].vbs[1].value, "192.168.0.30");
    ASSERT_TRUE(pumpUntil([page] { return page->ListView_User->RowCount() == 2; }));
    waitForLists(page);
    EXPECT_EQ(page->ListView_User->SubItems(1), (QStringList{"192.168.0.30", "192.168.0.30"}));
    EXPECT_EQ(page->ListView_IpRange->RowCount(), 4);
    EXPECT_EQ(status(page), "Set OK!");

    sim().knob("fail " + kStart + "3 notWritable set 1");
    add(page, "192.168.0.40", "192.168.0.41");
    EXPECT_EQ(status(page), "");
    EXPECT_TRUE(pumpUntil([&] { return status(page).contains("notWritable"); }))
        << status(page).toStdString();
}

TEST_F(AdminPage, FullListNoFreeRowOrAnUnreadTableSendNothing) {
    sim().knob("profile ranges-4");
    TFM_Admin2* page = open();
    page->CkBx_ManagerState->click();
    add(page, "", "x");
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Maximum number of IP Range List is 4!!"});
    EXPECT_EQ(page->Ed_ToIP->text(), "");
    closePage();

    sim().knob("rows managerRanges 1");
    page = open();
    page->CkBx_ManagerState->click();
    add(page, "192.168.0.30", "192.168.0.40");
    EXPECT_EQ(status(page), "Setting Error!");
    closePage();

    sim().knob("fail managerIpAddressPoolStart genErr get 1");
    page = open();
    page->CkBx_ManagerState->click();
    emit page->ListView_User->cellClicked(0, 0);
    page->Btn_Del->click();
    EXPECT_EQ(status(page), unreadText());
    add(page, "192.168.0.30", "192.168.0.40");
    EXPECT_EQ(status(page), unreadText());
    EXPECT_TRUE(sets().empty());
}

TEST_F(AdminPage, DeleteWritesTheDevicesRowIndexAndADuplicateBehindAFreeRowIsWritten) {
    sim().knob("profile ranges-hole");
    TFM_Admin2* page = open();
    EXPECT_FALSE(page->Btn_Del->isEnabled());
    page->ListView_User->SelectRow(0);
    emit page->ListView_User->cellClicked(0, 0);
    EXPECT_TRUE(page->Btn_Del->isEnabled());
    page->Btn_Del->click();
    EXPECT_EQ(status(page), "") << "an OK before the device answered";
    ASSERT_TRUE(pumpUntil([page] { return page->ListView_User->RowCount() == 0; }));
    EXPECT_EQ(status(page), "Delete OK!");
    EXPECT_EQ(oids(sets().at(0)), Oids{kDelete});
    EXPECT_EQ(sets()[0].vbs[0].value, "2") << "the range shown as 1 lies in row 2";
    closePage();

    sim().knob("profile ranges-hole");
    page = open();
    page->CkBx_ManagerState->click();
    add(page, "192.168.0.30", "192.168.0.40");
    ASSERT_TRUE(pumpUntil([&] { return sets().size() == 2; }));
    EXPECT_EQ(oids(sets()[1]), (Oids{kStart + "1", kEnd + "1"}));

    // The range is deleted but the lists cannot be read again: they show what was last read.
    waitForLists(page);
    sim().knob("fail managerIpAddressPoolStart genErr get");
    emit page->ListView_User->cellClicked(0, 0);
    page->Btn_Del->click();
    ASSERT_TRUE(pumpUntil([&] { return status(page).contains("genErr"); }));
    waitForLists(page);
    EXPECT_EQ(page->ListView_User->RowCount() * 10 + page->ListView_IpRange->RowCount(), 24);
}

TEST_F(AdminPage, Layout) {
    TFM_Admin2* page = open();
    EXPECT_FALSE(page->GroupBox4->isVisibleTo(page) || page->ListView_IpRange->isVisibleTo(page));
    expectTidyLayout(page);
    saveScreenshot(page, "admin");
}
