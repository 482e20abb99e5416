#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <functional>
#include <string>

#include "app/MibEnumerationLists.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Multissid2.h"
#include "tests/pages/PageHarness.h"

namespace {

using Page = TFM_MultiSSIDNewForm;
const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kApMode = E + ".2.1.3.3.1.1.1.28.1";
const std::string kState = E + ".3.3.1.1.1.1";
const std::string kPriorityState = E + ".3.3.1.1.2.1";
const std::string T = E + ".3.3.3.1";

// The columns of one table set at the instance of table row k, in PDU order.
std::vector<std::string> columns(const SimSetRecord& set, int k) {
    std::vector<std::string> found;
    const std::string suffix = ".1." + std::to_string(k);
    for (const SimVarBind& binding : set.vbs) {
        EXPECT_EQ(binding.oid.substr(binding.oid.size() - suffix.size()), suffix) << binding.oid;
        found.push_back(
            binding.oid.substr(T.size(), binding.oid.size() - T.size() - suffix.size()));
    }
    return found;
}

std::string valueOf(const SimSetRecord& set, const std::string& column) {
    for (const SimVarBind& binding : set.vbs)
        if (binding.oid.rfind(T + column + ".", 0) == 0) return binding.value;
    return "(absent)";
}

MssidAddInput validEntry(int security, bool encryption) {
    MssidAddInput in;
    in.securityIndex = security;
    in.encryptionOn = encryption;
    in.ssid = "Lobby";
    in.key = in.confirmKey = "abcde";
    in.interval = "300";
    in.passphrase = in.confirmPass = "12345678";
    in.radiusServer = "192.168.0.5";
    in.radiusPort = "1812";
    in.radiusSecret = "s";
    return in;
}

}  // namespace

// ---- Rules --------------------------------------------------------------------------------

TEST(MultissidRules, ListNamesSecurityMapAndRawValues) {
    EXPECT_EQ(Page::SecurityDisplayName("opensystem", false), "None");
    EXPECT_EQ(Page::SecurityDisplayName("wpa-auto-eap", false), "WPA-Auto-Enterprise");
    EXPECT_EQ(Page::SecurityDisplayName("dot1x", true), "");

    const MssidSecurityChoices wds = mssidSecurityChoices(2, "wpa-psk");
    EXPECT_FALSE(wds.wpaEnabled);
    EXPECT_EQ(wds.securityIndex, 1);
    EXPECT_EQ(wds.wpaIndex, 2) << "greyed, but at the entry's own WPA mode";
    EXPECT_EQ(mssidSecurityChoices(1, "wpa-eap").securityIndex, -1) << "WDS with AP lacks it";
    EXPECT_EQ(mssidSecurityChoices(3, "sharedkey").securityIndex, -1);
    // Every choice listed for an authentication maps back to it.
    for (int mode : {0, 1, 3})
        for (const char* auth : {"wpa-psk", "wpa-eap", "wpa2-psk", "wpa2-eap", "wpa-auto-psk"}) {
            const MssidSecurityChoices c = mssidSecurityChoices(mode, auth);
            if (c.securityIndex < 0) continue;
            const auto back = Page::SecurityToAuthentication(mode, c.securityIndex, c.wpaIndex);
            ASSERT_TRUE(back.has_value()) << mode << " " << auth;
            EXPECT_EQ(MibEnumerationLists::MssidAuthentication.ToText(std::to_string(*back)), auth);
        }
    EXPECT_EQ(Page::SecurityToAuthentication(2, 1, 0), 6);
    EXPECT_FALSE(Page::SecurityToAuthentication(2, 1, 1).has_value());
}

TEST(MultissidRules, AddChecksRefuseInOrderWithTheirMessages) {
    struct Case {
        int branch;  // 0 open, 1 WPA-Personal, 2 WPA-Enterprise, 3 WEP
        std::function<void(MssidAddInput&)> change;
        QString message;  // empty: accepted
    };
    const QString interval = "Please input a number between 300 and 9999999.";
    const QString length = "The Length of the key in IEEE802.11g must be %1!";
    const QString blanks = "The first character and last character can't be blank.";
    const QString confirm = "Please input the confirm new password correctly!";
    const QString port = "Please input a number between 1 and 65535.";
    auto key = [](bool hex, bool bits128, QString text) {
        return [=](MssidAddInput& in) {
            in.hexKey = hex;
            in.bits128 = bits128;
            in.key = in.confirmKey = text;
        };
    };
    auto pass = [](QString text) {
        return [text](MssidAddInput& in) { in.passphrase = in.confirmPass = text; };
    };
    const Case cases[] = {
        {0, [](auto& in) { in.ssid = ""; }, "Please input SSID!"},
        {0, [](auto& in) { in.ssid = " a"; }, "The first character can't be blank!"},
        {0, [](auto& in) { in.ssid = QString(33, 'a'); }, "The Max Length of SSID is 32!"},
        {0, [](auto& in) { in.ssid = QString(32, 'a'); }, ""},
        {3, key(false, false, "abcd"), length.arg(5)},
        {3, key(false, true, "abcdefghijkl"), length.arg(13)},
        {3, key(true, false, "0123456789A"), length.arg(10)},
        {3, key(true, true, QString(25, 'a')), length.arg(26)},
        {3, key(true, true, QString(26, 'F')), ""},
        {3, key(true, false, "012345678G"), "Please input  Hexadecimal digits!"},
        {3, key(true, false, "**********"), ""},
        {3, key(false, false, " abcd"), blanks},
        {3, [](auto& in) { in.confirmKey = "abcdf"; }, confirm},
        {1, [](auto& in) { in.interval = ""; }, interval},
        {1, [](auto& in) { in.interval = "299"; }, interval},
        {1, [](auto& in) { in.interval = "10000000"; }, interval},
        {1, [](auto& in) { in.interval = "9999999"; }, ""},
        {1, pass("1234567"), "The ComPassphrase length is between 8 and 63."},
        {1, pass(QString(63, 'p')), ""},
        {1, pass("12345678 "), blanks},
        {1, pass(QString(64, 'p')), "The max length of Passphrase is 63."},
        {1, [](auto& in) { in.confirmPass = "x"; }, confirm},
        {2, [](auto& in) { in.radiusServer = "192.168.0.255"; },
         "The Radius server's IP is illegal."},
        {2, [](auto& in) { in.radiusPort = "65536"; }, port},
        {2, [](auto& in) { in.radiusPort = ""; }, port},
        {2, [](auto& in) { in.radiusSecret = ""; },
         "The shared secret of radius server cannot be empty."},
        {2, [](auto& in) { in.radiusSecret = QString(65, 's'); },
         "The max length of secret of radius server is 64."},
    };
    for (const Case& c : cases) {
        MssidAddInput in = validEntry(c.branch % 3, c.branch == 3);
        c.change(in);
        const MssidAddPlan plan = planMssidAdd(in);
        SCOPED_TRACE(c.message.isEmpty() ? "accepted" : c.message.toStdString());
        EXPECT_EQ(plan.refusal ? plan.refusal->text : QString(), c.message);
    }
}

// ---- The page against the simulated device ----------------------------------------------

class MultissidPage : public PageHarness {
  protected:
    std::vector<std::string> deviceArguments() const override { return profiles; }
    std::vector<std::string> profiles = {"--profile", "mssid-on"};

    Page* open(bool waitForTable = true) {
        Page* page = openPage(FM_MultiSSIDNewForm);
        EXPECT_TRUE(!waitForTable || tableRead(page));
        return page;
    }
    bool tableRead(Page* page) {
        return pumpUntil([page] { return status(page) == "Get OK!"; });
    }

    // Chooses a text as the user does, which runs the combo's change handler.
    static void clickRow(Page* page, const QString& caption) {
        CvListView* list = page->LV_MultiSSID_User;
        for (int row = 0; row < list->RowCount(); ++row)
            if (list->Caption(row) == caption) {
                list->SelectRow(row);
                emit list->clicked(list->model()->index(row, 0));
                return;
            }
        ADD_FAILURE() << "no row " << caption.toStdString();
    }
    static QStringList captions(Page* page) {
        QStringList texts;
        for (int row = 0; row < page->LV_MultiSSID_User->RowCount(); ++row)
            texts << page->LV_MultiSSID_User->Caption(row);
        return texts;
    }
    // Adds the shown entry and waits for the re-read that follows an accepted write.
    void add(Page* page) {
        page->AddButton->click();
        ASSERT_EQ(status(page), "Save SSID...!") << boxTexts().size();
        ASSERT_TRUE(tableRead(page));
    }
    // The set requests that wrote the SSID table.
    std::vector<SimSetRecord> tableSets() const {
        std::vector<SimSetRecord> found;
        for (const SimSetRecord& set : sets())
            if (!set.vbs.empty() && set.vbs[0].oid.rfind(T, 0) == 0) found.push_back(set);
        return found;
    }
};

class MultissidWds : public MultissidPage {
  protected:
    MultissidWds() { profiles = {"--profile", "wds", "--profile", "mssid-on"}; }
};

TEST_F(MultissidWds, WarnsAtOpenAndOnEachCheckAndSaveForcesAccessPointThenWaits) {
    Page* page = open();
    const QString warning = "If you enable Multi-SSID, AP Mode will be set to 'Access Point'!";
    EXPECT_EQ(boxTexts(), std::vector<QString>{warning});
    page->IfEnabMuSSID->click();
    EXPECT_TRUE(captions(page).isEmpty());
    page->IfEnabMuSSID->click();
    EXPECT_EQ(boxTexts(), (std::vector<QString>{warning, warning}));
    EXPECT_EQ(captions(page), QStringList({"Primary SSID", "Multi-SSID1", "Multi-SSID3"}));

    page->IfEnablePriority->click();
    choose(page->CB_Priority, "5");
    sim().knob("delay 200 " + T + " set");
    page->ApplyBtn->click();
    EXPECT_NE(status(page), "Save OK!") << "before the table write answered";
    EXPECT_TRUE(pumpUntil([&] { return status(page) == "Save OK!"; }));
    EXPECT_EQ(ui().waits, std::vector<int>{35000});
    const auto log = sets();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(oids(log[0]), std::vector<std::string>{kApMode});
    EXPECT_EQ(log[0].vbs[0].value, "1");
    EXPECT_EQ(oids(log[1]), std::vector<std::string>{kState});
    EXPECT_EQ(oids(log[2]), std::vector<std::string>{kPriorityState});
    EXPECT_EQ(columns(log[3], 1), (std::vector<std::string>{".2", ".16"}));
    EXPECT_EQ(valueOf(log[3], ".16"), "5");

    sim().knob("fail " + kPriorityState + " genErr set 1");
    page->ApplyBtn->click();
    EXPECT_TRUE(pumpUntil([&] { return !page->reqSsidTable->Busy(); }));
    EXPECT_EQ(status(page), "(ViZURU++) SNMP error: genErr!") << "no Save OK! over it";
    sim().knob("fail " + kState + " commitFailed set");
    page->ApplyBtn->click();
    EXPECT_EQ(status(page), "Save Fail!");
    EXPECT_EQ(ui().waits.size(), 2u) << "a failed save does not wait";
}

TEST_F(MultissidWds, AnUnreadStateOrModeSendsNothingAndSaysWhy) {
    sim().knob("fail " + kApMode + " genErr get");
    sim().knob("fail " + kState + " genErr get");
    Page* page = open(false);
    page->ApplyBtn->click();
    EXPECT_EQ(status(page), unreadText()) << "the state was never read";
    // Checked, whether the mode must first become Access Point rests on a mode nobody read.
    page->IfEnabMuSSID->click();
    page->ApplyBtn->click();
    EXPECT_TRUE(sets().empty());
}

TEST_F(MultissidWds, AddOfAnUnchangedWpaPersonalSsidKeepsItsAuthentication) {
    for (const std::string authentication : {"6", "4", "8"}) {
        sim().knob("set " + kApMode + " 3");  // the add before switched it to Access Point
        sim().knob("set " + T + ".5.1.4 " + authentication);
        sim().clearJournal();
        Page* page = open();
        choose(page->CB_Index, "SSID 3");
        EXPECT_FALSE(page->CB_WPAMode->isEnabled());
        add(page);
        ASSERT_EQ(tableSets().size(), 1u);
        EXPECT_EQ(valueOf(tableSets()[0], ".5"), authentication);
    }
}

TEST_F(MultissidPage, AccessPointOpensWithoutWarningAndDeleteWritesOnlyTheState) {
    Page* page = open();
    EXPECT_TRUE(ui().boxes.empty());
    EXPECT_FALSE(page->Ed_SSID->isEnabled()) << "the primary SSID is not edited here";
    EXPECT_EQ(page->LV_MultiSSID_User->SubItems(1), QStringList({"Guest", "2.4GHz", "OpenSystem"}));
    expectTidyLayout(page);
    saveScreenshot(page, "multissid-open");

    clickRow(page, "Primary SSID");
    EXPECT_FALSE(page->DelButton->isEnabled());
    // The second listed SSID is table row 3: SSID 2 is disabled and not listed.
    clickRow(page, "Multi-SSID3");
    EXPECT_EQ(page->CB_Index->currentText(), "SSID 3");
    EXPECT_EQ(page->Ed_SSID->text(), "Staff") << "a list click edits the SSID it shows";
    ASSERT_TRUE(page->DelButton->isEnabled());
    ui().answers = {platform::BoxResult::Cancel};
    page->DelButton->click();
    EXPECT_TRUE(sets().empty());
    EXPECT_EQ(ui().boxes.back().caption, QApplication::applicationDisplayName());

    page->DelButton->click();
    ASSERT_TRUE(tableRead(page));
    const auto log = sets();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(columns(log[0], 4), std::vector<std::string>{".2"});
    EXPECT_EQ(log[0].vbs[0].value, "0");
    EXPECT_EQ(captions(page), QStringList({"Primary SSID", "Multi-SSID1"}));
    EXPECT_EQ(page->CB_Index->currentIndex(), 0);
}

TEST_F(MultissidPage, AddOpenAndWepWriteTheirColumnsAndWarnOfASharedKeyOnce) {
    Page* page = open();
    choose(page->CB_Index, "SSID 2");
    page->Ed_SSID->setText("Lobby");
    add(page);
    ASSERT_EQ(sets().size(), 1u) << "no state request for an open SSID";
    EXPECT_EQ(columns(sets()[0], 3),
              (std::vector<std::string>{".2", ".3", ".4", ".5", ".6", ".14", ".16"}));

    // The listed WEP SSID itself, its key left masked: no warning and no key written.
    clickRow(page, "Multi-SSID1");
    EXPECT_EQ(page->CB_WepEncryp->currentText(), "128Bits");
    sim().clearJournal();
    add(page);
    EXPECT_TRUE(ui().boxes.empty());
    ASSERT_EQ(tableSets().size(), 1u);
    EXPECT_EQ(valueOf(tableSets()[0], ".8"), "(absent)");

    choose(page->CB_Index, "SSID 2");
    choose(page->CB_MssidEncryption, "Enable");
    choose(page->CB_KeyType, "Hex");
    choose(page->CB_WepEncryp, "128Bits");
    choose(page->CB_DefaultKey, "Second");
    saveScreenshot(page, "multissid-wep");
    const QString key = "00112233445566778899AABBCC";
    page->Ed_Key->setText("G" + key.mid(1));
    page->Ed_ConfirmKey->setText("G" + key.mid(1));
    page->AddButton->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Please input  Hexadecimal digits!"});
    EXPECT_EQ(page->Ed_Key->text(), "");
    EXPECT_EQ(tableSets().size(), 1u);

    page->Ed_Key->setText(key);
    page->Ed_ConfirmKey->setText(key);
    sim().clearJournal();
    ui().boxes.clear();
    add(page);
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Key value is used by SSID! \nTo change Key value "
                                               "affects other SSID settings."});
    const auto log = sets();
    ASSERT_EQ(log.size(), 5u) << "states, states again, then the row";
    EXPECT_EQ(oids(log[0]), std::vector<std::string>{kState});
    EXPECT_EQ(oids(log[3]), std::vector<std::string>{kPriorityState});
    EXPECT_EQ(columns(log[4], 3), (std::vector<std::string>{".2", ".3", ".4", ".5", ".6", ".7",
                                                            ".12", ".8", ".14", ".16"}));
    EXPECT_EQ(valueOf(log[4], ".8"), key.toStdString());
}

TEST_F(MultissidPage, AddWpaWritesPassphraseAndSecretOnlyWhenChangedAndTheCipherAsRaw) {
    Page* page = open();
    choose(page->CB_Index, "SSID 3");
    EXPECT_EQ(page->CB_SecurityMode->currentText(), "WPA-Personal");
    EXPECT_EQ(page->GroupBox3->title(), "PassPhrase Settings");
    saveScreenshot(page, "multissid-wpa-personal");
    add(page);
    choose(page->CB_Index, "SSID 3");
    choose(page->CB_CipherType, "TKIP");
    page->Ed_Passphrase->setText("newpass123");
    page->Ed_ConfirmPass->setText("newpass123");
    add(page);
    auto log = tableSets();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(valueOf(log[0], ".11"), "(absent)");
    EXPECT_EQ(valueOf(log[0], ".10"), "2");
    EXPECT_EQ(valueOf(log[1], ".11"), "newpass123");
    EXPECT_EQ(valueOf(log[1], ".10"), "3");

    choose(page->CB_Index, "SSID 2");
    page->Ed_SSID->setText("Radius");
    choose(page->CB_SecurityMode, "WPA-Enterprise");
    choose(page->CB_CipherType, "Auto");
    page->Edt_RadiusServer->setText("192.168.0.5");
    saveScreenshot(page, "multissid-wpa-enterprise");
    page->AddButton->click();
    EXPECT_EQ(ui().boxes.back().text, "The shared secret of radius server cannot be empty.");
    EXPECT_EQ(page->focusWidget(), page->Edt_RadiusSecret);
    page->Edt_RadiusSecret->setText("s3cret");
    add(page);
    choose(page->CB_Index, "SSID 2");
    add(page);
    log = tableSets();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(valueOf(log[2], ".17"), "192.168.0.5");
    EXPECT_EQ(valueOf(log[2], ".18"), "1812");
    EXPECT_EQ(valueOf(log[2], ".19"), "s3cret");
    EXPECT_EQ(valueOf(log[2], ".5"), "9");
    EXPECT_EQ(valueOf(log[2], ".10"), "1");
    EXPECT_EQ(valueOf(log[3], ".19"), "(absent)");
}

class MultissidNoPriority : public MultissidPage {
  protected:
    MultissidNoPriority() { profiles = {"--profile", "no-priority", "--profile", "mssid-on"}; }
};

TEST_F(MultissidNoPriority, HidesThePriorityAndNeitherReadsNorWritesIt) {
    Page* page = open();
    EXPECT_FALSE(page->IfEnablePriority->isVisible());
    EXPECT_FALSE(page->CB_Priority->isVisible());
    saveScreenshot(page, "multissid-no-priority");
    page->ApplyBtn->click();
    choose(page->CB_Index, "SSID 2");
    page->Ed_SSID->setText("Lobby");
    add(page);
    for (const SimSetRecord& set : sets()) EXPECT_NE(oids(set)[0], kPriorityState);
    ASSERT_EQ(tableSets().size(), 1u);
    EXPECT_EQ(valueOf(tableSets()[0], ".16"), "(absent)");
    for (const SimSetRecord& get : sim().gets())
        for (const std::string& oid : oids(get)) EXPECT_NE(oid.rfind(T + ".16", 0), 0u) << oid;
}

TEST_F(MultissidPage, AddWhileTheTableIsHeldOrAfterItFailedWritesNoRow) {
    for (const std::string& knob : {"delay 3000 " + T + " get", "fail " + T + " genErr get"}) {
        sim().knob("clear");
        sim().knob(knob);
        Page* page = open(false);
        if (knob.rfind("fail", 0) == 0) {
            ASSERT_TRUE(pumpUntil([&] { return status(page).startsWith("(ViZURU++)"); }));
        }
        EXPECT_FALSE(page->CB_Index->isEnabled()) << "no entry is chosen before the table";
        page->IfEnabMuSSID->click();  // clearing and setting the box enables the choice
        page->IfEnabMuSSID->click();
        choose(page->CB_Index, "SSID 3");
        page->Ed_SSID->setText("Late");
        choose(page->CB_SecurityMode, "Open System");
        choose(page->CB_MssidEncryption, "Disable");
        page->AddButton->click();
        EXPECT_EQ(status(page), "Save Fail!");
        EXPECT_TRUE(pumpUntil([&] { return status(page).contains("No table row selected"); }));
        EXPECT_TRUE(tableSets().empty()) << knob;
        closePage();
    }
}
