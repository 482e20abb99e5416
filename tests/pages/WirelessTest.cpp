#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <cstdlib>
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
    // Per value: the pair shown in AP off, AP on, WDS with AP off, on, WDS off, on, Client;
    // "-" no selection, "Open|" the fallback with the first WPA item.
    struct Case {
        QString authentication;
        QStringList shown;
    };
    const QString open = "Open System|", shared = "Shared Key|";
    const Case cases[] = {
        {"opensystem", {open, open, open, open, open, open, open}},
        {"sharedkey", {shared, "-", shared, open, shared, open, "Open System|" + kAuto}},
        {"wpa-psk",
         {"WPA-Personal|WPA Only", "WPA-Personal|WPA Only", open, open, open, open,
          "WPA-Personal|WPA Only"}},
        {"wpa-eap",
         {"WPA-Enterprise|WPA Only", "WPA-Enterprise|WPA Only", open, open, open, open,
          "Open System|" + kAuto}},
        {"wpa2-psk", QStringList(7, "WPA-Personal|WPA2 Only")},
        {"wpa2-eap",
         {"WPA-Enterprise|WPA2 Only", "WPA-Enterprise|WPA2 Only", open, open, open, open,
          "Open System|" + kAuto}},
        {"wpa-auto-psk",
         {"WPA-Personal|" + kAuto, "WPA-Personal|" + kAuto, "WPA-Personal|" + kAuto,
          "WPA-Personal|" + kAuto, open, open, "WPA-Personal|" + kAuto}},
        {"wpa-auto-eap",
         {"WPA-Enterprise|" + kAuto, "WPA-Enterprise|" + kAuto, open, open, open, open,
          "Open System|" + kAuto}},
        {"dot1x(10)", {"-", "-", open, open, open, open, "Open System|" + kAuto}},
    };
    for (const Case& c : cases) {
        for (int column = 0; column < 7; ++column) {
            const int mode = column / 2;
            const bool multiSsid = column % 2 == 1 && mode != kWirelessClient;
            SCOPED_TRACE(c.authentication.toStdString() + " in mode " + std::to_string(mode) +
                         (multiSsid ? " with Multi-SSID" : ""));
            const auto choice =
                wirelessSecurityFromAuthentication(c.authentication, mode, multiSsid);
            EXPECT_EQ(choice ? choice->securityMode + "|" + choice->wpaMode : "-", c.shown[column]);
        }
    }
    EXPECT_FALSE(wirelessSecurityFromAuthentication("opensystem", -1, false));

    // Every pair the combos can hold either writes a value that reads back as that pair or is
    // not offered; the values written per mode are exactly the mode's.
    const QStringList written[] = {
        {"opensystem", "sharedkey", "wpa-psk", "wpa-eap", "wpa2-psk", "wpa2-eap", "wpa-auto-psk",
         "wpa-auto-eap"},
        {"opensystem", "sharedkey", "wpa2-psk", "wpa-auto-psk"},
        {"opensystem", "sharedkey", "wpa2-psk"},
        {"opensystem", "wpa-psk", "wpa2-psk", "wpa-auto-psk"},
    };
    for (int mode = kAccessPoint; mode <= kWirelessClient; ++mode)
        for (bool multiSsid : {false, true}) {
            const SecurityOffer offer = wirelessSecurityOffer(mode, multiSsid);
            QStringList values;
            for (const QString& security : offer.securityModes)
                for (const QString& wpa : offer.wpaModes) {
                    const QString value =
                        wirelessAuthenticationFromChoice(mode, multiSsid, security, wpa);
                    if (value.isEmpty()) continue;
                    if (!values.contains(value)) values << value;
                    const auto back = wirelessSecurityFromAuthentication(value, mode, multiSsid);
                    ASSERT_TRUE(back) << value.toStdString();
                    EXPECT_EQ(back->securityMode, security) << value.toStdString();
                    if (!back->wpaMode.isEmpty()) {
                        EXPECT_EQ(back->wpaMode, wpa);
                    }
                }
            QStringList expected = written[mode];
            if (multiSsid) expected.removeAll("sharedkey");
            values.sort();
            expected.sort();
            EXPECT_EQ(values, expected) << "mode " << mode << " Multi-SSID " << multiSsid;
        }
    EXPECT_EQ(wirelessAuthenticationFromChoice(kWds, false, "WPA-Personal", kAuto), "");
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
    struct Case {
        std::string profile;
        bool wds, survey, wdsList;
        QString caption;
        QStringList security;
        QStringList wpa;
    };
    const QStringList wdsItems = {"Open System", "Shared Key", "WPA-Personal"};
    const Case cases[] = {
        {"",
         false,
         false,
         false,
         "WDS",
         {"Open System", "Shared Key", "WPA-Personal", "WPA-Enterprise"},
         {kAuto, "WPA2 Only", "WPA Only"}},
        {"wds-ap", true, true, true, "WDS with AP", wdsItems, {kAuto, "WPA2 Only"}},
        {"wds", true, true, true, "WDS", wdsItems, {"WPA2 Only"}},
        {"client",
         false,
         true,
         false,
         "WDS",
         {"Open System", "WPA-Personal"},
         {kAuto, "WPA2 Only", "WPA Only"}},
    };
    for (const Case& c : cases) {
        if (!c.profile.empty()) sim().knob("profile " + c.profile);
        for (bool multiSsid : {false, true}) {
            SCOPED_TRACE((c.profile.empty() ? "base" : c.profile) + (multiSsid ? " mssid-on" : ""));
            sim().knob(multiSsid ? "profile mssid-on" : "set dot11MssidState.1 0");
            TFM_Wirless* page = open();
            EXPECT_EQ(!page->GroupBox3->isHidden(), c.wds);
            EXPECT_EQ(!page->GroupBox4->isHidden(), c.survey);
            EXPECT_EQ(page->GroupBox3->title(), c.caption);
            EXPECT_EQ(!page->wdsSiteServeyListView->isHidden(), c.wdsList);
            EXPECT_EQ(!page->SiteServeyListView1->isHidden(), c.survey && !c.wdsList);
            QStringList security = c.security;
            if (multiSsid && c.profile != "client") security.removeAll("Shared Key");
            EXPECT_EQ(itemsOf(page->CB_SecurityMode), security);
            EXPECT_EQ(page->CB_SecurityMode->currentText(), "Open System");
            EXPECT_EQ(itemsOf(page->CB_WPAMode), c.wpa);
            EXPECT_EQ(page->CB_WPAMode->currentIndex(), 0);
            EXPECT_EQ(page->CB_WPAMode->isEnabled(), c.wpa.size() > 1);
            EXPECT_FALSE(page->GroupBox5->isHidden());
            EXPECT_TRUE(page->GroupBox6->isHidden());
            const bool forcedScan = c.wds || c.survey;
            EXPECT_EQ(page->CB_AuSc->isEnabled(), !forcedScan);
            if (c.profile == "client") {
                EXPECT_EQ(page->CB_SsidBroadcast->currentText(), "Enable");
                EXPECT_FALSE(page->CB_SsidBroadcast->isEnabled());
                EXPECT_FALSE(page->CB_Chanal->isEnabled());
                EXPECT_EQ(page->CB_ChannelWidth->currentText(), "Auto 20/40 MHz");
                EXPECT_FALSE(page->CB_ChannelWidth->isEnabled());
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
    EXPECT_EQ(page->CB_WepEncryp1->currentText(), "64Bits");
    EXPECT_EQ(page->CB_WepEncryp2->currentText(), "64Bits");
    EXPECT_EQ(page->CB_WepEncryp3->currentText(), "128Bits");
    EXPECT_EQ(page->CB_WepEncryp4->currentText(), "128Bits");
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

TEST_F(WirelessPage, EightPeersFillEveryFieldAndAFailedWalkEmptiesThem) {
    sim().knob("profile wds8");
    sim().knob("profile wds-ap");
    sim().knob("profile ap-wep");
    TFM_Wirless* page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    EXPECT_EQ(page->Ed_ReMAddra7->text(), "001122AABB08");
    EXPECT_TRUE(page->Ed_ReMAddra4->isHidden());
    EXPECT_EQ(page->CB_dot11Encryption->currentText(), "Enable");
    EXPECT_FALSE(page->Ed_Key2->isHidden()) << "default key 2";
    expectTidyLayout(page);
    saveScreenshot(page, "wireless-wds-ap-wep");

    sim().knob("fail 1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2 genErr get");
    page->Bt_Refresh->click();
    ASSERT_TRUE(waitForPeers(page, ""));
    EXPECT_EQ(page->Ed_ReMAddra7->text(), "");
    closePage();

    sim().knob("clear");
    sim().knob("profile client");
    page = open();
    expectTidyLayout(page);
    saveScreenshot(page, "wireless-client");
}
