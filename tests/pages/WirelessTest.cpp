#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <cstdlib>
#include <map>
#include <string>

#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/home/Wirless.h"
#include "tests/pages/PageHarness.h"

namespace {

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

// Chooses an item as the user does, which runs the page's handler.
void choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString() << " is not offered";
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

const QString kAuto = "AUTO(WPA or WPA2)";

}  // namespace

// ---- Rules --------------------------------------------------------------------------------

TEST(WirelessRules, AuthenticationShowsItsPairOrTheModesFallbackAndEveryOfferedPairRoundTrips) {
    // The pair shown in AP off, AP on, WDS with AP off, on, WDS off, on, Client: O "Open
    // System" with the first WPA item, OA with "AUTO(WPA or WPA2)", S "Shared Key", P and E
    // Personal and Enterprise with WPA Only (1), WPA2 Only (2) or AUTO (A); "-" no selection.
    const std::map<QString, QString> pairs = {{"O", "Open System|"},
                                              {"OA", "Open System|" + kAuto},
                                              {"S", "Shared Key|"},
                                              {"P1", "WPA-Personal|WPA Only"},
                                              {"P2", "WPA-Personal|WPA2 Only"},
                                              {"PA", "WPA-Personal|" + kAuto},
                                              {"E1", "WPA-Enterprise|WPA Only"},
                                              {"E2", "WPA-Enterprise|WPA2 Only"},
                                              {"EA", "WPA-Enterprise|" + kAuto},
                                              {"-", "-"}};
    const std::pair<QString, QString> cases[] = {
        {"opensystem", "O O O O O O O"},        {"sharedkey", "S - S O S O OA"},
        {"wpa-psk", "P1 P1 O O O O P1"},        {"wpa-eap", "E1 E1 O O O O OA"},
        {"wpa2-psk", "P2 P2 P2 P2 P2 P2 P2"},   {"wpa2-eap", "E2 E2 O O O O OA"},
        {"wpa-auto-psk", "PA PA PA PA O O PA"}, {"wpa-auto-eap", "EA EA O O O O OA"},
        {"dot1x(10)", "- - O O O O OA"},
    };
    for (const auto& [authentication, shown] : cases) {
        const QStringList columns = shown.split(' ');
        for (int column = 0; column < 7; ++column) {
            const int mode = column / 2;
            const bool multiSsid = column % 2 == 1 && mode != kWirelessClient;
            const auto choice = wirelessSecurityFromAuthentication(authentication, mode, multiSsid);
            EXPECT_EQ(choice ? choice->securityMode + "|" + choice->wpaMode : "-",
                      pairs.at(columns[column]))
                << authentication.toStdString() << " column " << column;
        }
    }
    EXPECT_FALSE(wirelessSecurityFromAuthentication("opensystem", -1, false));

    // Every pair the combos can hold writes a value that reads back as that pair, or none.
    for (int mode = kAccessPoint; mode <= kWirelessClient; ++mode)
        for (bool multiSsid : {false, true}) {
            const SecurityOffer offer = wirelessSecurityOffer(mode, multiSsid);
            for (const QString& security : offer.securityModes)
                for (const QString& wpa : offer.wpaModes) {
                    const QString value =
                        wirelessAuthenticationFromChoice(mode, multiSsid, security, wpa);
                    const auto back = wirelessSecurityFromAuthentication(value, mode, multiSsid);
                    if (value.isEmpty()) continue;
                    ASSERT_TRUE(back) << value.toStdString();
                    EXPECT_EQ(back->securityMode, security) << value.toStdString();
                    EXPECT_TRUE(back->wpaMode.isEmpty() || back->wpaMode == wpa);
                }
        }
    EXPECT_EQ(wirelessAuthenticationFromChoice(kWds, false, "WPA-Personal", kAuto), "");
    EXPECT_EQ(wirelessAuthenticationFromChoice(kWds, false, "WPA-Personal", "WPA2 Only"),
              "wpa2-psk");
    EXPECT_EQ(wirelessAuthenticationFromChoice(kAccessPoint, true, "Shared Key", ""), "");
}

TEST(WirelessRules, ChannelListWidthAndKeyLengths) {
    const QString eleven = "1 2 3 4 5 6 7 8 9 10 11";
    ChannelList list = tokenizeChannelList(eleven, "6");
    EXPECT_EQ(list.items.size(), 11);
    EXPECT_EQ(list.selected, 5);
    EXPECT_TRUE(list.matched);
    list = tokenizeChannelList(eleven, "15");
    EXPECT_EQ(list.selected, 0);
    EXPECT_FALSE(list.matched);
    EXPECT_EQ(tokenizeChannelList("12  13 14 ", "14").items, (QStringList{"12", " 13", "14"}));
    EXPECT_EQ(tokenizeChannelList("6 6", "6").selected, 0) << "the first match wins";

    EXPECT_FALSE(channelWidthForced20(0, -1, "6", "Open System", 0));
    EXPECT_TRUE(channelWidthForced20(1, -1, "6", "WPA-Personal", 0)) << "no 802.11n";
    EXPECT_TRUE(channelWidthForced20(-1, 1, "36", "WPA-Personal", 0)) << "802.11a only";
    for (const char* edge : {"165", "140", "12", "13", "14"})
        EXPECT_TRUE(channelWidthForced20(0, -1, edge, "WPA-Personal", 0)) << edge;
    EXPECT_TRUE(channelWidthForced20(0, -1, "6", "Shared Key", 1));
    EXPECT_TRUE(channelWidthForced20(0, -1, "6", "Open System", 1));
    EXPECT_FALSE(channelWidthForced20(0, -1, "6", "WPA-Personal", 1));

    struct Key {
        int type, size, length;
    };
    for (const Key& k : {Key{0, 0, 5}, Key{0, 1, 13}, Key{1, 0, 10}, Key{1, 1, 26}, Key{-1, -1, 5}})
        EXPECT_EQ(wepKeyLength(k.type, k.size), k.length) << k.type << "/" << k.size;
    EXPECT_EQ(wepKeySizeIndex(1, 26), 1);
    EXPECT_EQ(wepKeySizeIndex(1, 13), 0);
    EXPECT_EQ(wepKeySizeIndex(0, 13), 1);
    EXPECT_EQ(wepKeySizeIndex(0, 7), 0);
    EXPECT_EQ(wepKeySizeIndex(-1, 13), -1) << "a key without type keeps its size";
    EXPECT_TRUE(isMaskedKey(""));
    EXPECT_TRUE(isMaskedKey("*****"));
    EXPECT_FALSE(isMaskedKey("**a**"));
    EXPECT_FALSE(hasNonAsciiChar(QString(QChar(127))));
    EXPECT_TRUE(hasNonAsciiChar("Caf" + QString(QChar(0xE9))));
}

// ---- The page against the simulated device ----------------------------------------------

class WirelessPage : public PageHarness {
  protected:
    TFM_Wirless* open() { return openPage(FM_Wirless); }
    static QString status(TFM_Wirless* page) { return page->StatusBar->PanelText(0); }
    // Waits for the WDS list read that creation and Refresh start.
    bool waitForPeers(TFM_Wirless* page, const QString& first) {
        return pumpUntil([&] { return page->Ed_ReMAddra0->text() == first; });
    }
};

TEST_F(WirelessPage, EachModeWithAndWithoutMultiSsidShowsItsGroupsAndChoicesWithoutWriting) {
    // Groups: the WDS group's caption when shown, "/", the survey list shown.
    struct Case {
        std::string profile;
        QString groups, security, wpa;
    };
    const Case cases[] = {
        {"", "/", "Open System,Shared Key,WPA-Personal,WPA-Enterprise",
         kAuto + ",WPA2 Only,WPA Only"},
        {"wds-ap", "WDS with AP/wds", "Open System,Shared Key,WPA-Personal", kAuto + ",WPA2 Only"},
        {"wds", "WDS/wds", "Open System,Shared Key,WPA-Personal", "WPA2 Only"},
        {"client", "/client", "Open System,WPA-Personal", kAuto + ",WPA2 Only,WPA Only"},
    };
    for (const Case& c : cases) {
        if (!c.profile.empty()) sim().knob("profile " + c.profile);
        for (bool multiSsid : {false, true}) {
            SCOPED_TRACE(c.profile + (multiSsid ? " mssid-on" : ""));
            sim().knob(multiSsid ? "profile mssid-on" : "set dot11MssidState.1 0");
            TFM_Wirless* page = open();
            const QString groups =
                (page->GroupBox3->isVisibleTo(page) ? page->GroupBox3->title() : "") + "/" +
                (page->wdsSiteServeyListView->isVisibleTo(page) ? "wds"
                 : page->SiteServeyListView1->isVisibleTo(page) ? "client"
                                                                : "");
            EXPECT_EQ(groups, c.groups);
            QStringList security = c.security.split(',');
            if (multiSsid && c.profile != "client") security.removeAll("Shared Key");
            EXPECT_EQ(itemsOf(page->CB_SecurityMode), security);
            EXPECT_EQ(page->CB_SecurityMode->currentText(), "Open System");
            EXPECT_EQ(itemsOf(page->CB_WPAMode), c.wpa.split(','));
            EXPECT_EQ(page->CB_WPAMode->currentIndex(), 0);
            EXPECT_EQ(page->CB_WPAMode->isEnabled(), c.profile != "wds");
            EXPECT_TRUE(page->GroupBox5->isVisibleTo(page) && page->GroupBox6->isHidden());
            EXPECT_EQ(page->CB_AuSc->isEnabled(), c.profile.empty());
            if (c.profile == "client") {
                for (QComboBox* forced :
                     {page->CB_SsidBroadcast, page->CB_Chanal, page->CB_ChannelWidth})
                    EXPECT_FALSE(forced->isEnabled());
                EXPECT_EQ(page->CB_SsidBroadcast->currentText() + "," +
                              page->CB_ChannelWidth->currentText(),
                          "Enable,Auto 20/40 MHz");
            }
            page->Bt_Refresh->click();
            EXPECT_EQ(status(page), "Refresh Ok!");
            EXPECT_EQ(itemsOf(page->CB_SecurityMode), security);
            closePage();
        }
    }
    EXPECT_TRUE(sets().empty()) << "opening and Refresh write nothing";
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(WirelessPage, BaseDeviceFillsKeysAndPeersAndRefreshShowsChangesOrTheFirstFailure) {
    TFM_Wirless* page = open();
    EXPECT_EQ(page->Ed_SSID->text(), "VRA-AP");
    EXPECT_EQ(page->CB_Chanal->currentText(), "6");
    EXPECT_EQ(page->CB_WMode1->currentIndex(), 0);
    EXPECT_EQ(page->CB_DefaultKey->currentText(), "First");
    // Methods HEX, ASCII, HEX, ASCII with keys of 10, 5, 26 and 13 characters, read masked.
    EXPECT_EQ(page->Ed_Key3->text(), QString(26, '*'));
    EXPECT_EQ(page->CB_WepEncryp1->currentText() + page->CB_WepEncryp2->currentText() +
                  page->CB_WepEncryp3->currentText() + page->CB_WepEncryp4->currentText(),
              "64Bits64Bits128Bits128Bits");
    EXPECT_EQ(page->Ed_ConfirmKey->text(), QString(10, '*'));
    EXPECT_FALSE(page->Ed_Key1->isHidden());
    EXPECT_TRUE(page->Ed_Key2->isHidden()) << "only the default key's row is shown";
    EXPECT_FALSE(page->Ed_Key1->isEnabled()) << "encryption is off";

    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    const std::vector<CvEdit*> fields = page->wdsMacEdits();
    EXPECT_EQ(fields[2]->text(), "001122AABB03");
    for (int field = 3; field < 8; ++field) EXPECT_EQ(fields[field]->text(), "") << field;
    EXPECT_TRUE(fields[0]->isReadOnly()) << "peers are editable only in the WDS modes";

    // HEX at "128Bits" takes 26 characters in the key and the confirm edit, at "64Bits" 10.
    choose(page->CB_dot11Encryption, "Enable");
    EXPECT_TRUE(page->Ed_Key1->isEnabled());
    choose(page->CB_WepEncryp1, "128Bits");
    for (CvEdit* edit : {page->Ed_Key1, page->Ed_ConfirmKey}) {
        edit->setText("");
        typeText(edit, QString(30, 'A'));
        EXPECT_EQ(edit->text().size(), 26);
    }
    choose(page->CB_WepEncryp1, "64Bits");
    page->Ed_Key1->setText("");
    typeText(page->Ed_Key1, QString(30, 'A'));
    EXPECT_EQ(page->Ed_Key1->text().size(), 10);
    EXPECT_EQ(page->CB_ChannelWidth->currentText(), "20MHz") << "WEP takes 20 MHz";
    EXPECT_FALSE(page->CB_ChannelWidth->isEnabled());

    choose(page->CB_SecurityMode, "Shared Key");
    EXPECT_EQ(page->CB_dot11Encryption->currentText(), "Enable");
    EXPECT_FALSE(page->CB_dot11Encryption->isEnabled());

    sim().knob("set dot11Ssid.1 Renamed");
    page->Bt_Refresh->click();
    EXPECT_EQ(page->Ed_SSID->text(), "Renamed");
    EXPECT_EQ(status(page), "Refresh Ok!");
    EXPECT_TRUE(sets().empty());

    setenv("VRA2260_TIME_SCALE", "0.0005", 1);
    sim().knob("silence on");
    page->Bt_Refresh->click();
    unsetenv("VRA2260_TIME_SCALE");
    EXPECT_EQ(status(page), QString::fromStdString(CvMessages::text(-405)));
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(WirelessPage, EnterpriseDeviceSwitchedToWdsFallsBackToOpenAndWarnsAboutVlanOnce) {
    sim().knob("profile ap-wpa2eap-vlan");
    TFM_Wirless* page = open();
    EXPECT_EQ(page->CB_SecurityMode->currentText(), "WPA-Enterprise");
    EXPECT_EQ(page->CB_WPAMode->currentText(), "WPA2 Only");
    EXPECT_EQ(page->GroupBox6->title(), "RADIUS Server Settings");
    EXPECT_FALSE(page->GroupBox2->isHidden());
    EXPECT_TRUE(page->Ed_Passphrase->isHidden());
    EXPECT_TRUE(page->GroupBox5->isHidden());
    EXPECT_EQ(itemsOf(page->CB_CipherType), (QStringList{"Auto", "AES", "TKIP"}));
    expectTidyLayout(page);
    saveScreenshot(page, "wireless-ap-enterprise");

    choose(page->CB_APMode, "WDS");
    EXPECT_EQ(itemsOf(page->CB_SecurityMode),
              (QStringList{"Open System", "Shared Key", "WPA-Personal"}));
    EXPECT_EQ(page->CB_SecurityMode->currentText(), "Open System");
    EXPECT_FALSE(page->GroupBox3->isHidden());
    EXPECT_FALSE(page->Ed_ReMAddra0->isReadOnly());
    choose(page->CB_APMode, "Access Point");
    choose(page->CB_SecurityMode, "WPA-Enterprise");
    choose(page->CB_APMode, "WDS with AP");
    ASSERT_EQ(ui().boxes.size(), 1u) << "the VLAN warning comes once per visit";
    EXPECT_EQ(ui().boxes[0].caption, "Warning");
    EXPECT_EQ(ui().boxes[0].text,
              "VLAN will be disabled when Authentication is not configured in 'WPA-Enterprise'.");

    closePage();
    sim().knob("set dot11Authentication.1 1");
    sim().knob("profile mssid-on");
    page = open();
    choose(page->CB_APMode, "WDS");
    ASSERT_EQ(ui().boxes.size(), 2u);
    EXPECT_EQ(ui().boxes[1].text,
              "Multi-SSID will be disabled when VRA-2260 is configured in "
              "'WDS' or 'Wireless Client'.");
    EXPECT_TRUE(sets().empty());
}

TEST_F(WirelessPage, ChannelScanBandAndStatusProfilesShowTheirChoices) {
    sim().knob("profile autoscan");
    sim().knob("profile changed");
    TFM_Wirless* page = open();
    EXPECT_EQ(page->CB_Chanal->currentText(), "11") << "auto scan shows the channel in use";
    EXPECT_FALSE(page->CB_Chanal->isEnabled());
    EXPECT_FALSE(page->SiteScan->isEnabled());
    closePage();

    sim().knob("set dot11AutoChannelScan.1 0");
    sim().knob("profile band5");
    page = open();
    EXPECT_EQ(page->CB_WMode2->currentText(), "Mixed 802.11n and 802.11a");
    EXPECT_EQ(page->CB_WMode1->count(), 0);
    EXPECT_EQ(page->CB_Chanal->currentText(), "36");
    closePage();

    sim().knob("set dot11Band.1 0");
    sim().knob("set dot11Channel.1 6");
    sim().knob("set dot11WifiMode.1 6");
    sim().knob("profile chan-edge");
    page = open();
    choose(page->CB_Chanal, "14");
    EXPECT_EQ(page->CB_ChannelWidth->currentText(), "20MHz");
    EXPECT_FALSE(page->CB_ChannelWidth->isEnabled());
    choose(page->CB_Chanal, "6");
    EXPECT_TRUE(page->CB_ChannelWidth->isEnabled());
    EXPECT_TRUE(itemsOf(page->CB_Chanal).contains(" 13")) << "a double blank starts an item";
    closePage();

    sim().knob("profile out-of-list");
    page = open();
    EXPECT_EQ(page->CB_SsidBroadcast->currentIndex(), -1);
    EXPECT_EQ(page->CB_DefaultKey->currentIndex(), -1);
    EXPECT_EQ(page->Ed_ConfirmKey->text(), "") << "no default key, nothing copied";
    EXPECT_TRUE(page->Ed_Key1->isHidden() && page->Ed_Key2->isHidden());
    EXPECT_TRUE(sets().empty());
    EXPECT_TRUE(ui().boxes.empty());
}

// ---- Saving rules -------------------------------------------------------------------------

namespace {

// "Wireless[0,1,2] Authentication[0]-": each set with its items, "-" when it does not count,
// "*" for an armed delete-all.
std::string planText(const WirelessSavePlan& plan) {
    static const char* names[] = {
        "MssidState", "Wireless",      "Authentication", "WepKey1", "WepKey2",
        "WepKey3",    "WepKey4",       "Passphrase",     "Radius",  "WdsMacDeleteAll",
        "WdsMacAdd",  "WdsMacAddMore", "WdsMacList"};
    std::string text;
    for (const WirelessSet& set : plan.sets) {
        text += (text.empty() ? "" : " ") + std::string(names[static_cast<int>(set.request)]) + "[";
        for (size_t i = 0; i < set.items.size(); ++i)
            text += (i ? "," : "") + std::to_string(set.items[i]);
        text += std::string("]") + (set.counted ? "" : "-") + (set.deletesAll ? "*" : "");
    }
    return text;
}

WirelessSaveInput saveInput(int mode, const QString& security, bool multiSsid = false) {
    WirelessSaveInput input;
    input.multiSsidWriter = multiSsid;
    input.apMode = mode;
    input.securityMode = security;
    input.encryption = 0;
    input.band = input.bandAsRead = 0;
    input.interval = "3600";
    input.passphrase = input.confirmPassphrase = input.passphraseAsRead = "12345678";
    input.radiusServer = "192.168.0.20";
    input.radiusPort = "1812";
    input.radiusSecret = input.radiusSecretAsRead = "secret";
    input.macs[0] = "001122AABB01";
    return input;
}

}  // namespace

TEST(WirelessSaveRules, EachWriterModeAndBranchSendsItsSetsInOrder) {
    const std::string ap = "Wireless[0,1,2,4,5,7] ";
    const std::string wds = "Wireless[0,1,2,5,7] ";
    const std::string peers = " WdsMacDeleteAll[0]* WdsMacAdd[0]";
    struct Case {
        WirelessSaveInput input;
        std::string sets;
    };
    std::vector<Case> cases;
    cases.push_back({saveInput(kAccessPoint, "Open System"), ap + "Authentication[0,2]"});
    auto banded = saveInput(kAccessPoint, "Open System");
    banded.band = 1;
    cases.push_back({banded, "Wireless[0,1,2,4,5,6,7] Authentication[0,2]"});
    auto wep = saveInput(kAccessPoint, "Open System");
    wep.encryption = 1;
    wep.defaultKey = 1;
    wep.defaultKeyText = "Second";
    wep.keys[1] = {0, 0, "*****"};
    wep.confirmKey = "*****";
    cases.push_back({wep, ap + "WepKey2[0] Authentication[0,1,2]"});
    auto noKey = saveInput(kWirelessClient, "Open System");
    noKey.encryption = 1;
    cases.push_back({noKey, "Authentication[0,1,2]"});
    cases.push_back(
        {saveInput(kAccessPoint, "WPA-Personal"), ap + "Passphrase[1,2] Authentication[0]"});
    auto changed = saveInput(kAccessPoint, "WPA-Personal", true);
    changed.passphrase = changed.confirmPassphrase = "changed123";
    cases.push_back({changed, ap + "Passphrase[0,1,2] Authentication[0] WdsMacList[0]- "
                                   "WdsMacDeleteAll[0]-"});
    cases.push_back({saveInput(kAccessPoint, "WPA-Enterprise"),
                     ap + "Radius[0,1,3] Passphrase[1,2] Authentication[0]"});
    auto fields = saveInput(kWdsWithAp, "Open System");
    fields.macs = {"001122AABB01", "", "001122aabb03", "000000000000", "001122AABB05", "", "", ""};
    cases.push_back({fields, wds + "Authentication[0,2] WdsMacDeleteAll[0]* WdsMacAdd[0,2] "
                                   "WdsMacAddMore[0]"});
    cases.push_back(
        {saveInput(kWds, "WPA-Personal"), wds + "Passphrase[2] Authentication[0]" + peers});
    cases.push_back({saveInput(kWds, "WPA-Enterprise"), ""});
    auto client = saveInput(kWirelessClient, "WPA-Personal", true);
    client.interval = "";
    cases.push_back({client, "Wireless[0,2,5,7] Passphrase[1] Authentication[0]"});
    cases.push_back({saveInput(-1, "Open System"), ""});

    for (const Case& c : cases) {
        const WirelessSavePlan plan = planWirelessSave(c.input);
        EXPECT_EQ(planText(plan), c.sets)
            << "mode " << c.input.apMode << " " << c.input.securityMode.toStdString();
        EXPECT_FALSE(plan.refusal || plan.peerRefusal);
        EXPECT_EQ(plan.disableMultiSsid, c.input.multiSsidWriter && c.input.apMode > kWdsWithAp);
    }

    // The shared-key warning reads the other SSIDs' rows, the primary one skipped.
    wep.mssidRows = {{"Enable", "sharedkey", "Second"}, {"Enable", "opensystem", "First"}};
    EXPECT_FALSE(planWirelessSave(wep).sharedKeyWarning);
    wep.mssidRows.push_back({"Enable", "opensystem", "Second"});
    EXPECT_TRUE(planWirelessSave(wep).sharedKeyWarning);
    // A refused branch sends nothing of its own, the Multi-SSID state still goes first.
    auto refused = saveInput(kWds, "WPA-Personal", true);
    refused.passphrase = "short";
    const WirelessSavePlan plan = planWirelessSave(refused);
    EXPECT_TRUE(plan.disableMultiSsid);
    ASSERT_TRUE(plan.refusal);
    EXPECT_TRUE(plan.sets.empty());
}

TEST(WirelessSaveRules, ChecksRefuseAtTheirBoundariesWithMessageFocusAndEmptying) {
    using F = WirelessField;
    struct Case {
        WirelessCheck check;
        QString message;  // empty: passes
        F focus = F::None, emptied = F::None;
    };
    const QString blank = "The first character and last character can't be blank.";
    const QString passLength = "The Passphrase length is between 8 and 63.";
    const QString interval = "Please input a number between 300 and 9999999.";
    const QString port = "Please input a number between 1 and 65535.";
    const QString macLength = "The length of MAC address is 12.";
    const QStringList noPeers(8, QString());
    auto peers = [&](int field, const QString& text, int other = 0, const QString& same = {}) {
        QStringList macs = noPeers;
        macs[0] = "001122AABB01";
        macs[other] = same.isEmpty() ? macs[other] : same;
        macs[field] = text;
        return macs;
    };
    const Case cases[] = {
        {checkWirelessSsid(QString(32, 'a')), ""},
        {checkWirelessSsid(QString(33, 'a')), "The Max Length of SSID is 32.!", F::Ssid, F::Ssid},
        {checkWirelessSsid("a b"), ""},
        {checkWirelessSsid(" ab"), blank, F::Ssid, F::Ssid},
        {checkWirelessSsid(QString(QChar(127))), ""},
        {checkWirelessSsid(QString(QChar(128))), "Don't support chinese character !", F::Ssid,
         F::Ssid},
        {checkPassphrase(QString(8, 'p'), QString(8, 'p'), false), ""},
        {checkPassphrase(QString(63, 'p'), QString(63, 'p'), false), ""},
        {checkPassphrase(QString(7, 'p'), QString(7, 'p'), false), passLength, F::Passphrase},
        {checkPassphrase(QString(64, 'p'), QString(64, 'p'), false),
         "The max length of Passphrase is 63.", F::Passphrase},
        {checkPassphrase(" abcd", " abcd", false), blank, F::Passphrase},
        {checkPassphrase(" abcd", " abcd", true), passLength, F::Passphrase},
        {checkPassphrase("password", "passw0rd", false),
         "Please input the confirm new password correctly!", F::Passphrase},
        {checkUpdateInterval("300"), ""},
        {checkUpdateInterval("9999999"), ""},
        {checkUpdateInterval("299"), interval, F::Interval, F::Interval},
        {checkUpdateInterval("10000000"), interval, F::Interval, F::Interval},
        {checkUpdateInterval("abc"), interval, F::Interval, F::Interval},
        {checkRadius("192.168.0.20", "1", QString(64, 's'), false), ""},
        {checkRadius("192.168.0.20", "65535", "s", true), ""},
        {checkRadius("192.168.0.255", "1", "s", false), "The Radius server's IP is illegal.",
         F::RadiusServer},
        {checkRadius("192.168.0.20", "0", "s", false), port, F::RadiusPort},
        {checkRadius("192.168.0.20", "65536", "s", true), port, F::RadiusPort, F::RadiusPort},
        {checkRadius("192.168.0.20", "1", "", false),
         "The shared secret of radius server cannot be empty.", F::RadiusSecret},
        {checkRadius("192.168.0.20", "1", QString(65, 's'), false),
         "The max length of secret of radius server is 64.", F::RadiusSecret},
        {checkDefaultWepKey(0, "First", {1, 0, "0123456789"}, "0123456789"), ""},
        {checkDefaultWepKey(0, "First", {1, 0, "**********"}, "**********"), ""},
        {checkDefaultWepKey(0, "First", {1, 0, "012345678G"}, "012345678G"),
         "Please input  Hexadecimal digits!", F::None, F::Key1},
        {checkDefaultWepKey(0, "First", {0, 1, QString(12, 'a')}, QString(12, 'a')),
         "The Length of the 1st key must be 13!"},
        {checkDefaultWepKey(2, "Third", {0, 0, "abcd "}, "abcd "), blank, F::Key3},
        {checkDefaultWepKey(3, "Fourth", {0, 0, "abcde"}, "abcdf"),
         "Please input the confirm new password correctly!", F::ConfirmKey},
        {checkWdsMacDuplicates(peers(3, "001122aabb01")), "Exist same MAC address.", F::Mac4},
        {checkWdsMacDuplicates(peers(2, "000000000000", 1, "000000000000")), ""},
        {checkSsidAndWdsMacs(peers(1, "")), ""},
        {checkSsidAndWdsMacs(peers(0, "")), "Please input MAC address in first blank space!",
         F::Mac1},
        {checkSsidAndWdsMacs(peers(1, "001122AABB0")), macLength},
        {checkSsidAndWdsMacs(peers(2, "001122AABB0")), "The length is 12 MAC address."},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        EXPECT_EQ(c.check ? c.check->message : QString(), c.message);
        if (!c.check) continue;
        EXPECT_EQ(c.check->focus, c.focus);
        EXPECT_EQ(c.check->emptied, c.emptied);
    }
}

// ---- Saving against the simulated device --------------------------------------------------

namespace {

const std::string kSecurity = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.1.1";
const std::string kPeerAdd = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.2.1.1.1";
const std::string kDeleteAll = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.2.1.3.1";
const std::string kMssidState = "1.3.6.1.4.1.32473.10.37.38.3.3.1.1.1.1";

// The value a set sent for an OID; "-" when it did not carry it.
std::string sent(const SimSetRecord& set, const std::string& oid) {
    for (const SimVarBind& binding : set.vbs)
        if (binding.oid == oid) return binding.value;
    return "-";
}

}  // namespace

class WirelessSave : public WirelessPage {
  protected:
    // The sets since the mark, each as its OID count.
    std::vector<size_t> setSizesSince(size_t mark) const {
        std::vector<size_t> sizes;
        const auto log = sets();
        for (size_t i = mark; i < log.size(); ++i) sizes.push_back(log[i].vbs.size());
        return sizes;
    }
    std::string peer(int row) {
        return sim().value("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2." + std::to_string(row));
    }
    static void typePassphrase(TFM_Wirless* page, const QString& text, const QString& confirm) {
        page->Ed_Passphrase->setText(text);
        page->Ed_ConfirmPass->setText(confirm);
    }
};

TEST_F(WirelessSave, AccessPointOpenThenWpaPersonalSendTheirSetsAndRefusalsAreReadAgain) {
    TFM_Wirless* page = open();
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(0), (std::vector<size_t>{6, 2})) << "band unchanged, two items";
    EXPECT_EQ(status(page), "Setting Success!");

    sim().knob("fail " + std::string("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.1.1") +
               " commitFailed set");
    page->Bt_Apply->click();
    ASSERT_EQ(sets().size(), 4u) << "the failed set stops nothing";
    EXPECT_NE(sets()[2].errorStatus, 0);
    EXPECT_EQ(sets()[3].errorStatus, 0);
    EXPECT_EQ(status(page), "Setting error!");
    sim().knob("clear");

    choose(page->CB_SecurityMode, "WPA-Personal");
    choose(page->CB_WPAMode, "WPA2 Only");
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(setSizesSince(4), (std::vector<size_t>{6, 2, 1})) << "pass phrase unchanged";
    EXPECT_EQ(sent(log[6], kSecurity + ".1.1"), "6");

    // A pass phrase its confirm check refuses is read again by Refresh, and saved once typed.
    typePassphrase(page, "newpass12", "newpass13");
    page->Bt_Apply->click();
    EXPECT_EQ(ui().boxes.back().text, "Please input the confirm new password correctly!");
    EXPECT_EQ(page->focusWidget(), page->Ed_Passphrase);
    page->Bt_Refresh->click();
    EXPECT_EQ(page->Ed_Passphrase->text(), "12345678");
    typePassphrase(page, "newpass12", "newpass12");
    page->Bt_Apply->click();
    log = sets();
    ASSERT_EQ(log.size(), 10u);
    EXPECT_EQ(sent(log[8], kSecurity + ".4.1"), "newpass12");
    EXPECT_EQ(status(page), "Setting Success!");

    // A character outside 8-bit text cannot be sent: its error is shown and the branch goes on.
    typePassphrase(page, "pass\u20ACword", "pass\u20ACword");
    page->Bt_Apply->click();
    EXPECT_EQ(ui().boxes.back().caption, "Error");
    EXPECT_EQ(status(page), "Setting error!");
    EXPECT_EQ(setSizesSince(10), (std::vector<size_t>{6, 1})) << "wireless and authentication";
    saveScreenshot(page, "wireless-save-error");
}

TEST_F(WirelessSave, EnterpriseSendsFourSetsAndWepSendsTheMaskedDefaultKeysMethodAfterTheWarning) {
    sim().knob("profile ap-wpa2eap-vlan");
    TFM_Wirless* page = open();
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(0), (std::vector<size_t>{6, 3, 2, 1})) << "secret unchanged";
    page->Edt_RadiusSecret->setText("newsecret");
    page->Edt_RadiusPort->setText("65536");
    page->Bt_Apply->click();
    EXPECT_EQ(ui().boxes.back().text, "Please input a number between 1 and 65535.");
    page->Edt_RadiusPort->setText("1812");
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(4), (std::vector<size_t>{6, 4, 2, 1}));
    EXPECT_EQ(sent(sets()[5], kSecurity + ".10.1"), "newsecret");
    closePage();

    sim().knob("set dot11Authentication.1 1");
    sim().knob("profile ap-wep");
    page = open();
    ui().boxes.clear();
    page->Bt_Apply->click();
    ASSERT_EQ(ui().boxes.size(), 1u);
    EXPECT_EQ(ui().boxes[0].text,
              "Key value is used by SSID! \nTo change Key value affects other SSID settings.");
    auto log = sets();
    ASSERT_EQ(setSizesSince(8), (std::vector<size_t>{6, 1, 3}));
    EXPECT_EQ(log[9].vbs[0].oid, "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.2.1.2.1.2");

    page->Ed_Key2->setText("abcd");
    page->Bt_Apply->click();
    EXPECT_EQ(ui().boxes.back().text, "The Length of the 2nd key must be 5!");
    EXPECT_EQ(sets().size(), 11u) << "a refused key sends nothing";
    saveScreenshot(page, "wireless-save-refused");
}

TEST_F(WirelessSave, WdsSavesEndWithTheirPeersAndEightPeersAreKept) {
    sim().knob("profile wds-ap");
    sim().knob("profile ap-wep");
    TFM_Wirless* page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    EXPECT_FALSE(page->Ed_Key2->isHidden()) << "default key 2";
    expectTidyLayout(page);
    saveScreenshot(page, "wireless-wds-ap-wep");
    page->Ed_ReMAddra1->setText("");
    page->Ed_ReMAddra3->setText("00AABB000001");
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(setSizesSince(0), (std::vector<size_t>{5, 1, 3, 1, 3})) << "WEP, key 2 masked";
    EXPECT_EQ(ui().boxes.size(), 1u) << "the shared-key warning";
    EXPECT_EQ(sent(log[3], kDeleteAll), "1");
    EXPECT_EQ(oids(log[4]), std::vector<std::string>(3, kPeerAdd));
    EXPECT_EQ(status(page), "Setting Success!");
    EXPECT_EQ(peer(1), "001122AABB01");
    EXPECT_EQ(peer(2), "001122AABB03");
    EXPECT_EQ(peer(3), "00AABB000001");
    EXPECT_EQ(peer(4), "000000000000");

    choose(page->CB_SecurityMode, "WPA-Personal");
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(5), (std::vector<size_t>{5, 2, 1, 1, 3}));
    closePage();

    sim().knob("profile wds8");
    page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    EXPECT_EQ(page->Ed_ReMAddra7->text(), "001122AABB08");
    EXPECT_TRUE(page->Ed_ReMAddra4->isHidden());
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(10), (std::vector<size_t>{5, 2, 1, 1, 4, 4})) << "still WPA-Personal";
    EXPECT_EQ(peer(8), "001122AABB08") << "a save keeps every peer the device reported";

    sim().knob("fail 1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2 genErr get");
    page->Bt_Refresh->click();
    ASSERT_TRUE(waitForPeers(page, "")) << "a failed walk empties the fields";
    EXPECT_EQ(page->Ed_ReMAddra7->text(), "");
}

TEST_F(WirelessSave, MultiSsidWriterDisablesMultiSsidFirstAndLeavesNoDeleteAllArmed) {
    sim().knob("profile mssid-on");
    sim().knob("profile wds");
    TFM_Wirless* page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    choose(page->CB_SecurityMode, "WPA-Personal");
    typePassphrase(page, "short", "short");
    page->Bt_Apply->click();
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(sent(sets()[0], kMssidState), "0") << "sent before the refusal";
    typePassphrase(page, "longer123", "longer123");
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(setSizesSince(1), (std::vector<size_t>{5, 2, 1, 1, 3}));
    EXPECT_EQ(sent(log[2], kSecurity + ".4.1"), "longer123");
    EXPECT_EQ(sent(log[3], kSecurity + ".1.1"), "6");
    EXPECT_EQ(sent(log[3], kSecurity + ".2.1"), "-");
    closePage();

    sim().knob("set dot11ApMode.1 1");
    sim().knob("profile mssid-on");
    page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    choose(page->CB_APMode, "WDS with AP");
    page->Ed_ReMAddra1->setText("00AABB000009");
    page->Bt_Apply->click();
    ASSERT_EQ(status(page), "Setting Success!");
    choose(page->CB_APMode, "Access Point");
    choose(page->CB_SecurityMode, "WPA-Personal");
    const size_t mark = sets().size();
    page->Bt_Apply->click();
    log = sets();
    ASSERT_TRUE(pumpUntil([&] { return sets().size() == mark + 5; }))
        << testing::PrintToString(setSizesSince(mark)) << status(page).toStdString();
    EXPECT_EQ(sent(sets().back(), kDeleteAll), "0");
    EXPECT_EQ(peer(2), "00AABB000009") << "the peers written in this visit stay";
    EXPECT_EQ(ui().boxes.size(), 1u) << "only the pass phrase refusal";
}

TEST_F(WirelessSave, ClientWpaPersonalChecksNoIntervalAndSendsTheCipherOnly) {
    sim().knob("profile client");
    TFM_Wirless* page = open();
    choose(page->CB_SecurityMode, "WPA-Personal");
    page->Ed_UpdateInterval->setText("");
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(setSizesSince(0), (std::vector<size_t>{4, 1, 1}));
    EXPECT_EQ(oids(log[1]), std::vector<std::string>{kSecurity + ".5.1"});
    EXPECT_EQ(status(page), "Setting Success!");
    EXPECT_TRUE(page->readAsWirelessClient);
    expectTidyLayout(page);
    saveScreenshot(page, "wireless-client-save-success");
}

// ---- Site survey --------------------------------------------------------------------------

TEST(WirelessSurveyRules, ModesPickTheirSurveyAndASurveyedPeerTakesTheFirstFreeField) {
    EXPECT_EQ(surveyFor(kAccessPoint), SurveyKind::None);
    EXPECT_EQ(surveyFor(kWdsWithAp), SurveyKind::Wds);
    EXPECT_EQ(surveyFor(kWds), SurveyKind::Wds);
    EXPECT_EQ(surveyFor(kWirelessClient), SurveyKind::Client);
    QStringList fields(8, "001122AABB0" + QString("1"));
    for (int field = 0; field < 8; ++field) fields[field].back() = QChar('1' + field);
    EXPECT_EQ(placeSurveyMac(fields, "00AABB000001").field, -1) << "all eight full";
    EXPECT_TRUE(placeSurveyMac(fields, "001122AABB03").duplicate);
    fields[5] = "000000000000";
    fields[6] = "";
    EXPECT_EQ(placeSurveyMac(fields, "00AABB000001").field, 5);
    fields[2] = "00112";
    EXPECT_EQ(placeSurveyMac(fields, "00AABB000001").field, 2) << "a short text counts as free";
    EXPECT_EQ(placeSurveyMac(fields, "00:AA:BB:00").field, -1) << "no 12-character address";
}

class WirelessSurvey : public WirelessPage {
  protected:
    const std::string survey = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.3";
    const std::string wdsSurvey = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.4";
    static bool buttonsEnabled(TFM_Wirless* page) {
        return page->Bt_Apply->isEnabled() && page->Bt_Refresh->isEnabled() &&
               page->Bt_Close->isEnabled();
    }
    // Clicks a row as the user does; the row is found by a column's text.
    static void clickRow(CvListView* list, int column, const QString& text) {
        for (int row = 0; row < list->RowCount(); ++row) {
            if (list->SubItem(row, column) != text) continue;
            list->SelectRow(row);
            emit list->clicked(list->model()->index(row, 1));
            return;
        }
        ADD_FAILURE() << "no row holds " << text.toStdString();
    }
    bool scanned(TFM_Wirless* page) {
        page->SiteScan->click();
        return pumpUntil([&] { return buttonsEnabled(page); });
    }
};

TEST_F(WirelessSurvey, ClientScanListsTheNetworksAndARowClickChoosesSsidAndChannel) {
    sim().knob("profile client");
    sim().knob("scan 100");
    sim().knob("delay 100 " + survey + ".2.1 get");
    TFM_Wirless* page = open();
    page->SiteScan->click();
    EXPECT_EQ(status(page), "Detecting...");
    EXPECT_FALSE(page->Bt_Apply->isEnabled() || page->Bt_Refresh->isEnabled() ||
                 page->Bt_Close->isEnabled());
    EXPECT_TRUE(pumpUntil([&] { return status(page) == "Refresh...!"; }));
    ASSERT_TRUE(pumpUntil([&] { return buttonsEnabled(page); }));
    EXPECT_EQ(status(page), QString::fromStdString(CvMessages::text(0)));
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(sent(sets()[0], survey + ".1.1.1.1"), "1");
    CvListView* list = page->SiteServeyListView1;
    EXPECT_EQ(list->RowCount(), 5);
    EXPECT_EQ(list->columnWidth(0), 0) << "the index column is hidden";
    EXPECT_EQ(page->Ed_SSID->text(), "VRA-AP") << "the walk's own selection chooses nothing";
    expectTidyLayout(page);
    saveScreenshot(page, "wireless-client-survey");

    clickRow(list, kSurveySsid, "Office");
    EXPECT_EQ(page->Ed_SSID->text() + "/" + page->CB_Chanal->currentText(), "Office/6");
    clickRow(list, kSurveyChannel, "14");
    EXPECT_EQ(page->CB_Chanal->currentIndex(), 0) << "a channel not in the list";
    clickRow(list, kSurveySsid, " lead");
    page->Bt_Apply->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"The first character and last character can't "
                                               "be blank."});
    EXPECT_EQ(sets().size(), 1u);

    choose(page->CB_APMode, "WDS");
    clickRow(list, kSurveySsid, "Office");
    EXPECT_EQ(page->Ed_SSID->text(), "") << "the client row click does nothing in WDS";
}

TEST_F(WirelessSurvey, WdsScanAddsANewPeerToTheFirstFreeFieldAndRefusesOneAlreadyThere) {
    sim().knob("profile wds-ap");
    sim().knob("scan 50");
    TFM_Wirless* page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    ASSERT_TRUE(scanned(page));
    EXPECT_EQ(sent(sets()[0], wdsSurvey + ".1.1.1.1"), "1");
    CvListView* list = page->wdsSiteServeyListView;
    EXPECT_EQ(list->RowCount(), 5);
    saveScreenshot(page, "wireless-wds-survey");
    clickRow(list, kSurveyBssid, "001122AABB02");
    EXPECT_EQ(boxTexts(), std::vector<QString>{"There is an existent entry with the same MAC "
                                               "Address\nPlease change the MAC Address."});
    clickRow(list, kSurveyBssid, "00AABB000001");
    clickRow(list, kSurveyBssid, "00AABB000002");
    EXPECT_EQ(page->Ed_ReMAddra3->text(), "00AABB000001");
    EXPECT_EQ(page->Ed_ReMAddra4->text(), "00AABB000002") << "the hidden fifth field";

    choose(page->CB_APMode, "Wireless Client");
    clickRow(list, kSurveyBssid, "00AABB000003");
    EXPECT_EQ(page->Ed_ReMAddra5->text(), "") << "the WDS row click does nothing for a client";
    EXPECT_EQ(sets().size(), 1u);
}

TEST_F(WirelessSurvey, FailedTriggerReadsNoTableASilentWalkTimesOutAndTheCloseBoxEndsAScan) {
    sim().knob("profile wds");
    sim().knob("scan 10");
    sim().knob("fail " + wdsSurvey + ".1.1.1.1 genErr set");
    TFM_Wirless* page = open();
    ASSERT_TRUE(scanned(page));
    EXPECT_EQ(status(page), QString::fromStdString(CvMessages::text(-105))) << "genErr";
    for (const SimSetRecord& get : sim().gets())
        for (const std::string& oid : oids(get))
            EXPECT_NE(oid.rfind(wdsSurvey + ".2", 0), 0u) << "no walk after a failed trigger";

    sim().knob("clear");
    sim().knob("silence " + wdsSurvey + ".2");
    setenv("VRA2260_TIME_SCALE", "0.0002", 1);
    const bool timedOut = scanned(page);
    unsetenv("VRA2260_TIME_SCALE");
    ASSERT_TRUE(timedOut);
    EXPECT_EQ(status(page), QString::fromStdString(CvMessages::text(-405)));

    sim().knob("clear");
    sim().knob("scan 300");
    const size_t before = sets().size();
    page->SiteScan->click();
    page->close();
    EXPECT_FALSE(page->isVisible()) << "the close box ends the page during a scan";
    closePage();
    // The trigger's late answer reaches no page.
    ASSERT_TRUE(
        pumpUntil([&] { return sets().size() > before && sets().back().errorStatus == 0; }));
    page = open();
    EXPECT_TRUE(buttonsEnabled(page)) << "the module carries on";
}
