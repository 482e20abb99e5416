#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <string>

#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/home/Wirless.h"
#include "pages/home/WirlessRules.h"
#include "tests/pages/PageHarness.h"

namespace {

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

// Chooses an item as the user does, which runs the page's handler.
const QString kAuto = "AUTO(WPA or WPA2)";

const std::string kSecurity = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.1.1";
const std::string kPeerAdd = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.2.1.1.1";
const std::string kDeleteAll = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.2.1.3.1";
const std::string kMssidState = "1.3.6.1.4.1.32473.10.37.38.3.3.1.1.1.1";
const std::string kApModeStatus = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.1.1.38.1";
const std::string kSurvey = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.3";
const std::string kWdsSurvey = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.4";

// The value a set sent for an OID; "-" when it did not carry it.
std::string sent(const SimSetRecord& set, const std::string& oid) {
    for (const SimVarBind& binding : set.vbs)
        if (binding.oid == oid) return binding.value;
    return "-";
}

// "Wireless[0,1,2] Authentication[0]-": each set with its items, "-" when it does not count,
// "*" for an armed delete-all.
std::string planText(const WirelessSavePlan& plan) {
    const QStringList names = QString(
                                  "MssidState Wireless Authentication WepKey1 WepKey2 WepKey3 "
                                  "WepKey4 Passphrase Radius WdsMacDeleteAll WdsMacAdd "
                                  "WdsMacAddMore WdsMacList")
                                  .split(' ');
    std::string text;
    for (const WirelessSet& set : plan.sets) {
        text +=
            (text.empty() ? "" : " ") + names[static_cast<int>(set.request)].toStdString() + "[";
        for (size_t i = 0; i < set.items.size(); ++i)
            text += (i ? "," : "") + std::to_string(set.items[i]);
        text += std::string("]") + (set.counted ? "" : "-") + (set.deletesAll ? "*" : "");
    }
    return text;
}

WirelessSaveInput saveInput(int mode, const QString& security, bool multiSsid = false) {
    WirelessSaveInput input{.multiSsidWriter = multiSsid,
                            .apMode = mode,
                            .securityMode = security,
                            .encryption = 0,
                            .defaultKeyText = {},
                            .confirmKey = {},
                            .interval = "3600",
                            .passphrase = "12345678",
                            .confirmPassphrase = "12345678",
                            .passphraseAsRead = "12345678",
                            .radiusServer = "192.168.0.20",
                            .radiusPort = "1812",
                            .radiusSecret = "secret",
                            .radiusSecretAsRead = "secret",
                            .band = 0,
                            .bandAsRead = 0,
                            .mssidRows = {},
                            .known = {}};
    input.macs[0] = "001122AABB01";
    return input;
}

}  // namespace

TEST(WirelessRules, AuthenticationShowsItsPairOrTheModesFallbackAndEveryOfferedPairRoundTrips) {
    // The pair shown in AP off, AP on, WDS with AP off, on, WDS off, on, Client: O "Open
    // System" with the first WPA item, OA with "AUTO(WPA or WPA2)", S "Shared Key", P and E
    // Personal and Enterprise with WPA Only (1), WPA2 Only (2) or AUTO (A); "-" no selection.
    auto pair = [](const QString& code) -> QString {
        if (code == "-") return "-";
        const QString security = QStringList{"Open System", "Shared Key", "WPA-Personal",
                                             "WPA-Enterprise"}[QString("OSPE").indexOf(code[0])];
        const QString wpa = code.size() < 2  ? ""
                            : code[1] == 'A' ? kAuto
                            : code[1] == '1' ? "WPA Only"
                                             : "WPA2 Only";
        return security + "|" + wpa;
    };
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
                      pair(columns[column]))
                << authentication.toStdString() << " column " << column;
        }
    }
    EXPECT_FALSE(wirelessSecurityFromAuthentication("opensystem", -1, false));

    // Every pair the combos can hold writes a value that reads back as that pair, or none.
    for (int mode = kAccessPoint; mode <= kWirelessClient; ++mode)
        for (bool multi : {false, true})
            for (const QString& security : wirelessSecurityOffer(mode, multi).securityModes)
                for (const QString& wpa : wirelessSecurityOffer(mode, multi).wpaModes) {
                    const QString value =
                        wirelessAuthenticationFromChoice(mode, multi, security, wpa);
                    const auto back = wirelessSecurityFromAuthentication(value, mode, multi);
                    EXPECT_TRUE(value.isEmpty() ||
                                (back && back->securityMode == security &&
                                 (back->wpaMode.isEmpty() || back->wpaMode == wpa)))
                        << value.toStdString();
                }
    EXPECT_EQ(wirelessAuthenticationFromChoice(kWds, false, "WPA-Personal", kAuto), "");
    EXPECT_EQ(wirelessAuthenticationFromChoice(kWds, false, "WPA-Personal", "WPA2 Only"),
              "wpa2-psk");
    EXPECT_EQ(wirelessAuthenticationFromChoice(kAccessPoint, true, "Shared Key", ""), "");
}

TEST(WirelessRules, ChannelListWidthAndKeyLengths) {
    const ChannelList six = tokenizeChannelList("1 2 3 4 5 6 7 8 9 10 11", "6");
    const ChannelList none = tokenizeChannelList("1 2 3 4 5 6 7 8 9 10 11", "15");
    EXPECT_TRUE(six.items.size() == 11 && six.selected == 5 && six.matched);
    EXPECT_TRUE(none.selected == 0 && !none.matched) << "the first item, reported as failure";
    EXPECT_EQ(tokenizeChannelList("12  13 14 ", "14").items, (QStringList{"12", " 13", "14"}));
    // Forced by a Wi-Fi mode without 802.11n, an edge channel or WEP; nothing else.
    EXPECT_TRUE(channelWidthForced20(1, -1, "6", "WPA-Personal", 0) &&
                channelWidthForced20(-1, 1, "36", "WPA-Personal", 0) &&
                channelWidthForced20(0, -1, "14", "WPA-Personal", 0) &&
                channelWidthForced20(0, -1, "6", "Shared Key", 1));
    EXPECT_FALSE(channelWidthForced20(0, -1, "6", "Open System", 0) ||
                 channelWidthForced20(0, -1, "6", "WPA-Personal", 1));
    EXPECT_EQ(QList<int>({wepKeyLength(0, 0), wepKeyLength(0, 1), wepKeyLength(1, 0),
                          wepKeyLength(1, 1), wepKeyLength(-1, -1)}),
              QList<int>({5, 13, 10, 26, 5}));
}

class WirelessPage : public PageHarness {
  protected:
    TFM_Wirless* open() { return openPage(FM_Wirless); }
    // Waits for the WDS list read that creation and Refresh start.
    bool waitForPeers(TFM_Wirless* page, const QString& first) {
        return pumpUntil([&] { return page->Ed_ReMAddra0->text() == first; });
    }
    // An OK text comes once the peer list read beside the settings has answered.
    bool shows(TFM_Wirless* page, const QString& text) {
        return pumpUntil([&] { return status(page) == text; });
    }
    // The sets since the mark, each as its OID count.
    std::vector<size_t> setSizesSince(size_t mark) const {
        std::vector<size_t> sizes;
        for (const SimSetRecord& set : sets()) sizes.push_back(set.vbs.size());
        return {sizes.begin() + std::min(mark, sizes.size()), sizes.end()};
    }
    std::string peer(int row) {
        return sim().value("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2." + std::to_string(row));
    }
    static void typePassphrase(TFM_Wirless* page, const QString& text, const QString& confirm) {
        page->Ed_Passphrase->setText(text);
        page->Ed_ConfirmPass->setText(confirm);
    }
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
using WirelessSave = WirelessPage;
using WirelessSurvey = WirelessPage;

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
            EXPECT_EQ(page->CB_WPAMode->isEnabled(), c.profile != "wds");
            EXPECT_TRUE(page->GroupBox5->isVisibleTo(page) && page->GroupBox6->isHidden());
            EXPECT_EQ(page->CB_AuSc->isEnabled(), c.profile.empty());
            EXPECT_TRUE(page->width() <= 1024 && page->height() <= 700)
                << "fits a 1024 x 768 screen";
            closePage();
        }
    }
    EXPECT_TRUE(sets().empty()) << "opening writes nothing";
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(WirelessPage, BaseDeviceFillsKeysAndPeersAndRefreshShowsChangesOrTheFirstFailure) {
    TFM_Wirless* page = open();
    EXPECT_EQ(page->Ed_SSID->text() + "/" + page->CB_Chanal->currentText(), "VRA-AP/6");
    // Methods HEX, ASCII, HEX, ASCII with keys of 10, 5, 26 and 13 characters, read masked.
    EXPECT_EQ(page->CB_WepEncryp1->currentText() + page->CB_WepEncryp2->currentText() +
                  page->CB_WepEncryp3->currentText() + page->CB_WepEncryp4->currentText(),
              "64Bits64Bits128Bits128Bits");
    EXPECT_EQ(page->Ed_ConfirmKey->text(), QString(10, '*'));
    EXPECT_FALSE(page->Ed_Key1->isHidden());
    EXPECT_TRUE(page->Ed_Key2->isHidden()) << "only the default key's row is shown";
    EXPECT_FALSE(page->Ed_Key1->isEnabled()) << "encryption is off";

    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    QStringList peers;
    for (CvEdit* field : page->wdsMacEdits()) peers << field->text();
    EXPECT_EQ(peers.join(","), "001122AABB01,001122AABB02,001122AABB03,,,,,");
    EXPECT_TRUE(page->Ed_ReMAddra0->isReadOnly()) << "peers are editable only in the WDS modes";

    // HEX at "128Bits" takes 26 characters in the key and the confirm edit, at "64Bits" 10.
    choose(page->CB_dot11Encryption, "Enable");
    auto typed = [](CvEdit* edit) {
        edit->setText("");
        typeText(edit, QString(30, 'A'));
        return edit->text().size();
    };
    choose(page->CB_WepEncryp1, "128Bits");
    EXPECT_TRUE(typed(page->Ed_Key1) == 26 && typed(page->Ed_ConfirmKey) == 26);
    choose(page->CB_WepEncryp1, "64Bits");
    EXPECT_EQ(typed(page->Ed_Key1), 10);
    EXPECT_TRUE(page->CB_ChannelWidth->currentText() == "20MHz" &&
                !page->CB_ChannelWidth->isEnabled())
        << "WEP takes 20 MHz";

    choose(page->CB_SecurityMode, "Shared Key");
    EXPECT_TRUE(page->CB_dot11Encryption->currentText() == "Enable" &&
                !page->CB_dot11Encryption->isEnabled());

    sim().knob("set dot11Ssid.1 Renamed");
    page->Bt_Refresh->click();
    EXPECT_EQ(page->Ed_SSID->text(), "Renamed");
    EXPECT_EQ(status(page), "") << "no OK before the peer list's answer";
    EXPECT_TRUE(shows(page, "Refresh Ok!"));
    EXPECT_TRUE(sets().empty());

    setTimeScale(0.0005);
    sim().knob("silence on");
    page->Bt_Refresh->click();
    EXPECT_EQ(status(page), QString::fromStdString(CvMessages::text(-405)));
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(WirelessSave, EnterpriseSendsFourSetsFallsBackToOpenInWdsAndWarnsAboutVlanOncePerVisit) {
    sim().knob("profile ap-wpa2eap-vlan");
    TFM_Wirless* page = open();
    EXPECT_EQ(page->CB_SecurityMode->currentText() + "/" + page->CB_WPAMode->currentText() + "/" +
                  page->GroupBox6->title(),
              "WPA-Enterprise/WPA2 Only/RADIUS Server Settings");
    EXPECT_TRUE(page->GroupBox2->isVisibleTo(page) && page->Ed_Passphrase->isHidden());
    EXPECT_EQ(itemsOf(page->CB_CipherType), (QStringList{"Auto", "AES", "TKIP"}));
    expectTidyLayout(page);
    saveScreenshot(page, "wireless-ap-enterprise");
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(0), (std::vector<size_t>{6, 3, 2, 1})) << "secret unchanged";
    page->Edt_RadiusSecret->setText("newsecret");
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(4), (std::vector<size_t>{6, 4, 2, 1}));
    EXPECT_EQ(sent(sets()[5], kSecurity + ".10.1"), "newsecret");

    choose(page->CB_APMode, "WDS");
    EXPECT_EQ(itemsOf(page->CB_SecurityMode),
              (QStringList{"Open System", "Shared Key", "WPA-Personal"}));
    EXPECT_EQ(page->CB_SecurityMode->currentText(), "Open System");
    EXPECT_FALSE(page->Ed_ReMAddra0->isReadOnly()) << "peers are editable in WDS";
    choose(page->CB_APMode, "Access Point");
    choose(page->CB_SecurityMode, "WPA-Enterprise");
    choose(page->CB_APMode, "WDS with AP");
    ASSERT_EQ(ui().boxes.size(), 1u) << "the VLAN warning comes once per visit";
    EXPECT_EQ(ui().boxes[0].caption + ": " + ui().boxes[0].text,
              "Warning: VLAN will be disabled when Authentication is not configured in "
              "'WPA-Enterprise'.");
    EXPECT_EQ(sets().size(), 8u) << "switching modes writes nothing";

    // Leaving WPA-Enterprise by the security choice warns the same way, once in a new visit.
    closePage();
    page = open();
    choose(page->CB_SecurityMode, "WPA-Personal");
    choose(page->CB_SecurityMode, "Open System");
    ASSERT_EQ(ui().boxes.size(), 2u) << "one warning on leaving WPA-Enterprise";
    EXPECT_EQ(ui().boxes[1].text, ui().boxes[0].text);
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
    sim().knob("profile chan-edge");
    page = open();
    choose(page->CB_Chanal, "14");
    EXPECT_TRUE(page->CB_ChannelWidth->currentText() == "20MHz" &&
                !page->CB_ChannelWidth->isEnabled());
    choose(page->CB_Chanal, "6");
    EXPECT_TRUE(page->CB_ChannelWidth->isEnabled());
    EXPECT_TRUE(itemsOf(page->CB_Chanal).contains(" 13")) << "a double blank starts an item";
    closePage();

    sim().knob("profile band5");
    page = open();
    EXPECT_EQ(page->CB_WMode2->currentText(), "Mixed 802.11n and 802.11a");
    EXPECT_EQ(page->CB_WMode1->count(), 0);
    closePage();

    sim().knob("profile out-of-list");
    page = open();
    EXPECT_EQ(page->CB_SsidBroadcast->currentIndex(), -1);
    EXPECT_EQ(page->CB_DefaultKey->currentIndex(), -1);
    EXPECT_EQ(page->Ed_ConfirmKey->text(), "") << "no default key, nothing copied";
    EXPECT_TRUE(page->Ed_Key1->isHidden() && page->Ed_Key2->isHidden());
    EXPECT_TRUE(sets().empty() && ui().boxes.empty());
}

TEST(WirelessSaveRules, EachWriterModeAndBranchSendsItsSetsInOrder) {
    const std::string ap = "Wireless[0,1,2,4,5,7] ";
    const std::string wds = "Wireless[0,1,2,5,7] ";
    auto wep = [](WirelessSaveInput input) {
        input.encryption = 1;
        input.defaultKey = 1;
        input.defaultKeyText = "Second";
        input.keys[1] = {0, 0, "*****"};
        input.confirmKey = "*****";
        return input;
    };
    auto with = [](WirelessSaveInput input, const std::function<void(WirelessSaveInput&)>& change) {
        change(input);
        return input;
    };
    const std::pair<WirelessSaveInput, std::string> cases[] = {
        {with(saveInput(kAccessPoint, "Open System"), [](auto& in) { in.band = 1; }),
         "Wireless[0,1,2,4,5,6,7] Authentication[0,2]"},
        {wep(saveInput(kAccessPoint, "Shared Key")), ap + "WepKey2[0] Authentication[0,1,2]"},
        {with(saveInput(kWirelessClient, "Open System"), [](auto& in) { in.encryption = 1; }),
         "Authentication[0,1,2]"},
        {saveInput(kAccessPoint, "WPA-Personal"), ap + "Passphrase[1,2] Authentication[0]"},
        {with(saveInput(kAccessPoint, "WPA-Personal", true),
              [](auto& in) { in.passphrase = in.confirmPassphrase = "changed123"; }),
         ap + "Passphrase[0,1,2] Authentication[0] WdsMacList[0]- WdsMacDeleteAll[0]-"},
        {with(saveInput(kWdsWithAp, "Open System"),
              [](auto& in) {
                  in.macs =
                      QString("001122AABB01,,001122aabb03,000000000000,001122AABB05,,,").split(',');
              }),
         wds + "Authentication[0,2] WdsMacDeleteAll[0]* WdsMacAdd[0,2] WdsMacAddMore[0]"},
        {wep(saveInput(kWds, "Open System")),
         wds + "WepKey2[0] Authentication[0,1,2] WdsMacDeleteAll[0]* WdsMacAdd[0]"},
        {saveInput(kWds, "WPA-Personal", true),
         wds + "Passphrase[2] Authentication[0] WdsMacDeleteAll[0]* WdsMacAdd[0]"},
        {saveInput(kWds, "WPA-Enterprise"), ""},
        {with(saveInput(kWirelessClient, "WPA-Personal", true), [](auto& in) { in.interval = ""; }),
         "Wireless[0,2,5,7] Passphrase[1] Authentication[0]"},
        {saveInput(-1, "Open System"), ""},
    };
    for (const auto& [input, expected] : cases) {
        const WirelessSavePlan plan = planWirelessSave(input);
        EXPECT_EQ(planText(plan), expected)
            << "mode " << input.apMode << " " << input.securityMode.toStdString();
        EXPECT_FALSE(plan.refusal || plan.peerRefusal);
        EXPECT_EQ(plan.disableMultiSsid, input.multiSsidWriter && input.apMode > kWdsWithAp);
    }

    // The shared-key warning reads the other SSIDs' rows, the primary one skipped.
    WirelessSaveInput shared = wep(saveInput(kWdsWithAp, "Open System"));
    shared.mssidRows = {{"Enable", "sharedkey", "Second"}, {"Enable", "opensystem", "First"}};
    EXPECT_FALSE(planWirelessSave(shared).sharedKeyWarning);
    shared.mssidRows.push_back({"Enable", "opensystem", "Second"});
    EXPECT_TRUE(planWirelessSave(shared).sharedKeyWarning);
    // A save resting on a value nobody read or chose sends nothing, not even the Multi-SSID
    // state; the WDS WPA-Personal save keeps the device's cipher and rests on no key or encryption.
    using K = WirelessSaveKnown;
    const WirelessSaveInput open = saveInput(kWds, "Open System", true);
    const std::pair<WirelessSaveInput, bool K::*> unread[] = {
        {open, &K::mode},     {open, &K::multiSsid},
        {open, &K::security}, {open, &K::encryption},
        {open, &K::peers},    {wep(saveInput(kAccessPoint, "Shared Key")), &K::defaultKey},
        {saveInput(kAccessPoint, "WPA-Enterprise"), &K::cipher}};
    for (auto [input, value] : unread) {
        input.known.*value = false;
        const WirelessSavePlan plan = planWirelessSave(input);
        EXPECT_TRUE(plan.unread && plan.sets.empty() && !plan.disableMultiSsid);
    }
    WirelessSaveInput wdsWpa = saveInput(kWds, "WPA-Personal");
    wdsWpa.known = {.encryption = false, .defaultKey = false, .cipher = false};
    EXPECT_FALSE(planWirelessSave(wdsWpa).unread);
    // A refused branch sends nothing of its own, the Multi-SSID state still goes first.
    const WirelessSavePlan refused = planWirelessSave(
        with(saveInput(kWds, "WPA-Personal", true), [](auto& in) { in.passphrase = "short"; }));
    EXPECT_TRUE(refused.disableMultiSsid && refused.refusal && refused.sets.empty());
}

TEST(WirelessSaveRules, ChecksRefuseAtTheirBoundariesWithMessageFocusAndEmptying) {
    using F = WirelessField;
    auto ssid = checkWirelessSsid;
    auto interval = checkUpdateInterval;
    auto pass = [](const QString& text, bool lengthFirst = false) {
        return checkPassphrase(text, text, lengthFirst);
    };
    auto radius = [](const QString& server, const QString& port, const QString& secret,
                     bool multiSsid = false) {
        return checkRadius(server, port, secret, multiSsid);
    };
    const QString server = "192.168.0.20";
    auto key = [](int index, const QString& word, WepKeyInput input, const QString& confirm = {}) {
        return checkDefaultWepKey(index, word, input, confirm.isEmpty() ? input.text : confirm);
    };
    // Field 1 holds a peer; `field` gets `text`, and `other` gets `same` when one is given.
    auto peers = [](int field, const QString& text, int other = 0, const QString& same = {}) {
        QStringList macs(8, QString());
        macs[0] = "001122AABB01";
        if (!same.isEmpty()) macs[other] = same;
        macs[field] = text;
        return macs;
    };
    const WirelessCheck passes[] = {
        ssid(QString(32, 'a')),
        ssid("a b"),
        ssid(QString(QChar(127))),
        pass(QString(8, 'p')),
        pass(QString(63, 'p')),
        interval("300"),
        interval("9999999"),
        radius(server, "1", QString(64, 's')),
        radius(server, "65535", "s", true),
        key(0, "First", {1, 0, "0123456789"}),
        key(0, "First", {1, 0, "**********"}),
        checkWdsMacDuplicates(peers(2, "000000000000", 1, "000000000000")),
        checkSsidAndWdsMacs(peers(1, ""))};
    for (size_t i = 0; i < std::size(passes); ++i) EXPECT_FALSE(passes[i]) << "pass " << i;

    const QString blank = "The first character and last character can't be blank.";
    const QString shortText = "The Passphrase length is between 8 and 63.";
    const QString number = "Please input a number between 300 and 9999999.";
    const QString port = "Please input a number between 1 and 65535.";
    struct Case {
        WirelessCheck check;
        QString message;
        F focus = F::None, emptied = F::None;
    };
    const Case cases[] = {
        {ssid(QString(33, 'a')), "The Max Length of SSID is 32.!", F::Ssid, F::Ssid},
        {ssid(""), "Please Input SSID.", F::Ssid, F::Ssid},
        {ssid(" ab"), blank, F::Ssid, F::Ssid},
        {ssid(QString(QChar(128))), "Don't support chinese character !", F::Ssid, F::Ssid},
        {pass(QString(7, 'p')), shortText, F::Passphrase},
        {pass(QString(64, 'p')), "The max length of Passphrase is 63.", F::Passphrase},
        {pass(" abcd"), blank, F::Passphrase},
        {pass(" abcd", true), shortText, F::Passphrase},
        {interval("299"), number, F::Interval, F::Interval},
        {interval("10000000"), number, F::Interval, F::Interval},
        {interval("abc"), number, F::Interval, F::Interval},
        {radius("192.168.0.255", "1", "s"), "The Radius server's IP is illegal.", F::RadiusServer},
        {radius(server, "0", "s"), port, F::RadiusPort},
        {radius(server, "65536", "s", true), port, F::RadiusPort, F::RadiusPort},
        {radius(server, "1", ""), "The shared secret of radius server cannot be empty.",
         F::RadiusSecret},
        {radius(server, "1", QString(65, 's')), "The max length of secret of radius server is 64.",
         F::RadiusSecret},
        {key(0, "First", {1, 0, "012345678G"}), "Please input  Hexadecimal digits!", F::None,
         F::Key1},
        {key(0, "First", {0, 1, QString(12, 'a')}), "The Length of the 1st key must be 13!"},
        {key(2, "Third", {0, 0, "abcd "}), blank, F::Key3},
        {key(3, "Fourth", {0, 0, "abcde"}, "abcdf"),
         "Please input the confirm new password correctly!", F::ConfirmKey},
        {checkWdsMacDuplicates(peers(3, "001122aabb01")), "Exist same MAC address.", F::Mac4},
        {checkSsidAndWdsMacs(peers(0, "")), "Please input MAC address in first blank space!",
         F::Mac1},
        {checkSsidAndWdsMacs(peers(1, "001122AABB0")), "The length of MAC address is 12."},
        {checkSsidAndWdsMacs(peers(2, "001122AABB0")), "The length is 12 MAC address."},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        ASSERT_TRUE(c.check) << "case " << i;
        EXPECT_EQ(c.check->message, c.message) << "case " << i;
        EXPECT_TRUE(c.check->focus == c.focus && c.check->emptied == c.emptied) << "case " << i;
    }
}

TEST_F(WirelessSave, AccessPointOpenThenWpaPersonalSendTheirSetsAndCipherAndRefusalsAreReadAgain) {
    sim().knob("set dot11CipherType.1 3");
    TFM_Wirless* page = open();
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(0), (std::vector<size_t>{6, 2})) << "band unchanged, two items";
    EXPECT_TRUE(shows(page, "Setting Success!"));

    choose(page->CB_SecurityMode, "WPA-Personal");
    choose(page->CB_WPAMode, "WPA2 Only");
    EXPECT_EQ(page->CB_CipherType->currentText(), "TKIP") << "the device's tkip, in any case";
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(setSizesSince(2), (std::vector<size_t>{6, 2, 1})) << "pass phrase unchanged";
    EXPECT_EQ(sent(log[3], kSecurity + ".5.1"), "3") << "TKIP goes back as tkip";
    EXPECT_EQ(sent(log[4], kSecurity + ".1.1"), "6");

    // A pass phrase its confirm check refuses is read again by Refresh, and saved once typed.
    typePassphrase(page, "newpass12", "newpass13");
    page->Bt_Apply->click();
    EXPECT_EQ(ui().boxes.back().text, "Please input the confirm new password correctly!");
    EXPECT_EQ(page->focusWidget(), page->Ed_Passphrase);
    page->Bt_Refresh->click();
    EXPECT_EQ(page->Ed_Passphrase->text(), "12345678");
    typePassphrase(page, "newpass12", "newpass12");
    choose(page->CB_CipherType, "AES");
    page->Bt_Apply->click();
    ASSERT_EQ(sets().size(), 8u);
    EXPECT_EQ(sent(sets()[6], kSecurity + ".4.1"), "newpass12");
    EXPECT_EQ(sent(sets()[6], kSecurity + ".5.1"), "2") << "AES goes back as aes";
    EXPECT_TRUE(shows(page, "Setting Success!"));

    // A character outside 8-bit text cannot be sent: its error is shown and the branch goes on.
    typePassphrase(page, "pass\u20ACword", "pass\u20ACword");
    page->Bt_Apply->click();
    EXPECT_EQ(ui().boxes.back().caption, "Error");
    EXPECT_EQ(status(page), "Setting error!");
    EXPECT_EQ(setSizesSince(8), (std::vector<size_t>{6, 1})) << "wireless and authentication";
    saveScreenshot(page, "wireless-save-error");
}

TEST_F(WirelessSave, WithTheEncryptionUnreadNeitherAccessPointNorClientSendsAnything) {
    sim().knob("fail " + kSecurity + ".2.1 genErr get");
    for (bool client : {false, true}) {
        if (client) sim().knob("profile client");
        TFM_Wirless* page = open();
        // The Access Point offers no security for an unread authentication: the user's Open
        // System and key index leave the encryption unread, also after Shared Key forced it on.
        // The client's fallback to Open System is no choice, even with the encryption chosen.
        if (client) {
            choose(page->CB_dot11Encryption, "Disable");
        } else {
            choose(page->CB_SecurityMode, "Shared Key");
            choose(page->CB_SecurityMode, "Open System");
            choose(page->CB_DefaultKey, 0);
        }
        page->Bt_Apply->click();
        EXPECT_EQ(status(page), unreadText()) << (client ? "client" : "access point");
    }
    EXPECT_TRUE(sets().empty());
}

TEST_F(WirelessSave, WepSendsTheMaskedDefaultKeysMethodAfterTheSharedKeyWarning) {
    sim().knob("profile ap-wep");
    TFM_Wirless* page = open();
    ui().boxes.clear();
    page->Bt_Apply->click();
    ASSERT_EQ(ui().boxes.size(), 1u);
    EXPECT_EQ(ui().boxes[0].text,
              "Key value is used by SSID! \nTo change Key value affects other SSID settings.");
    auto log = sets();
    ASSERT_EQ(setSizesSince(0), (std::vector<size_t>{6, 1, 3}));
    EXPECT_EQ(log[1].vbs[0].oid, "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.2.1.2.1.2");

    page->Ed_Key2->setText("abcd");
    page->Bt_Apply->click();
    EXPECT_EQ(ui().boxes.back().text, "The Length of the 2nd key must be 5!");
    EXPECT_EQ(sets().size(), 3u) << "a refused key sends nothing";
    saveScreenshot(page, "wireless-save-refused");
}

TEST_F(WirelessSave, WdsSavesEndWithTheirPeersAndEightPeersAreKept) {
    sim().knob("profile wds-ap");
    sim().knob("profile ap-wep");
    TFM_Wirless* page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    EXPECT_FALSE(page->Ed_Key2->isHidden()) << "default key 2";
    expectTidyLayout(page);
    EXPECT_LE(page->height(), 700) << "peers and survey beside the keys: fits a 768-pixel screen";
    saveScreenshot(page, "wireless-wds-ap-wep");
    page->Ed_ReMAddra1->setText("");
    page->Ed_ReMAddra3->setText("00AABB000001");
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(setSizesSince(0), (std::vector<size_t>{5, 1, 3, 1, 3})) << "WEP, key 2 masked";
    EXPECT_EQ(ui().boxes.size(), 1u) << "the shared-key warning";
    EXPECT_TRUE(shows(page, "Setting Success!"));
    EXPECT_EQ(peer(1) + peer(2) + peer(3) + peer(4),
              "001122AABB01001122AABB0300AABB000001000000000000");
    choose(page->CB_SecurityMode, "WPA-Personal");
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(5), (std::vector<size_t>{5, 2, 1, 1, 3}));

    // Each time-out weighs its own wait: a delete-all answered after its 20 ms still lets the
    // peer add (allowed 1 s) go out, and the peers stay on the device.
    setTimeScale(0.01);
    ASSERT_TRUE(pumpUntil([&] { return page->Ed_ReMAddra2->text() == "00AABB000001"; }));
    sim().knob("delay 100 " + kDeleteAll + " set");
    page->Ed_ReMAddra3->setText("00AABB000002");
    page->Bt_Apply->click();
    log = sets();
    EXPECT_EQ(sent(log[log.size() - 2], kDeleteAll), "1");
    EXPECT_EQ(oids(log.back()), std::vector<std::string>(4, kPeerAdd));
    EXPECT_EQ(status(page), "Setting error!");
    EXPECT_EQ(peer(1) + peer(2) + peer(3) + peer(4),
              "001122AABB01001122AABB0300AABB00000100AABB000002");
    // A re-read whose short read is late (Multi-SSID state, 200 ms) skips the short ones after
    // it (AP mode status) but still makes its long ones (authentication, 1 s).
    sim().knob("delay off");
    sim().knob("delay 350 " + kMssidState + " get");
    sim().clearJournal();
    page->Bt_Apply->click();
    std::vector<std::string> reads;
    for (const SimSetRecord& get : sim().gets()) reads.push_back(get.vbs.front().oid);
    EXPECT_EQ(std::count(reads.begin(), reads.end(), kSecurity + ".1.1"), 1);
    EXPECT_EQ(std::count(reads.begin(), reads.end(), kApModeStatus), 0);
    // Peers deleted and their add refused: the fields show the device's empty list.
    sim().knob("delay off");
    setTimeScale(1);
    sim().knob("fail " + kPeerAdd + " genErr set 1");
    page->Bt_Apply->click();
    EXPECT_EQ(status(page), "Setting error!");
    EXPECT_TRUE(pumpUntil([&] { return page->Ed_ReMAddra0->text().isEmpty(); }));
    closePage();
    sim().knob("profile wds8");
    page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    EXPECT_EQ(page->Ed_ReMAddra7->text(), "001122AABB08") << "the hidden fields take peers 5 to 8";
    const size_t eight = sets().size();
    page->Bt_Apply->click();
    EXPECT_EQ(setSizesSince(eight), (std::vector<size_t>{5, 2, 1, 1, 4, 4}))
        << "still WPA-Personal";
    EXPECT_EQ(peer(8), "001122AABB08") << "a save keeps every peer the device reported";
    sim().knob("fail 1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2 genErr get");
    page->Bt_Refresh->click();
    ASSERT_TRUE(pumpUntil([&] { return page->Ed_ReMAddra7->text().isEmpty(); }))
        << "a failed walk empties the fields";
}

TEST_F(WirelessSave, MultiSsidWriterDisablesMultiSsidFirstAndLeavesNoDeleteAllArmed) {
    sim().knob("profile mssid-on");
    TFM_Wirless* page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    // The Access Point writer's peer list and delete-all go out unarmed from a visit's start.
    choose(page->CB_SecurityMode, "WPA-Personal");
    page->Bt_Apply->click();
    ASSERT_EQ(setSizesSince(0), (std::vector<size_t>{6, 2, 1, 1, 1}));
    EXPECT_EQ(sent(sets()[4], kDeleteAll), "0");
    choose(page->CB_APMode, "WDS");
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Multi-SSID will be disabled when VRA-2260 is "
                                               "configured in 'WDS' or 'Wireless Client'."});
    choose(page->CB_SecurityMode, "WPA-Personal");
    typePassphrase(page, "short", "short");
    page->Bt_Apply->click();
    ASSERT_EQ(sets().size(), 6u);
    EXPECT_EQ(sent(sets()[5], kMssidState), "0") << "sent before the refusal";
    typePassphrase(page, "longer123", "longer123");
    page->Bt_Apply->click();
    auto log = sets();
    ASSERT_EQ(setSizesSince(6), (std::vector<size_t>{5, 2, 1, 1, 3}));
    EXPECT_EQ(sent(log[7], kSecurity + ".4.1"), "longer123");
    EXPECT_EQ(sent(log[8], kSecurity + ".1.1"), "6");
    EXPECT_EQ(sent(log[8], kSecurity + ".2.1"), "-");
    closePage();

    sim().knob("set dot11ApMode.1 1");
    sim().knob("profile mssid-on");
    page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    choose(page->CB_APMode, "WDS with AP");
    page->Ed_ReMAddra1->setText("00AABB000009");
    page->Bt_Apply->click();
    ASSERT_TRUE(shows(page, "Setting Success!"));
    choose(page->CB_APMode, "Access Point");
    choose(page->CB_SecurityMode, "WPA-Personal");
    const size_t mark = sets().size();
    page->Bt_Apply->click();
    ASSERT_TRUE(pumpUntil([&] { return sets().size() == mark + 5; }));
    EXPECT_EQ(sent(sets().back(), kDeleteAll), "0");
    EXPECT_EQ(peer(2), "00AABB000009") << "the peers written in this visit stay";
    EXPECT_EQ(ui().boxes.size(), 2u) << "only the warning and the pass phrase refusal";
}

TEST(WirelessSurveyRules, ModesPickTheirSurveyAndASurveyedPeerTakesTheFirstFreeField) {
    EXPECT_TRUE(surveyFor(kAccessPoint) == SurveyKind::None && surveyFor(kWds) == SurveyKind::Wds &&
                surveyFor(kWirelessClient) == SurveyKind::Client);
    QStringList fields = QString("A1 A2 A3 A4 A5 A6 A7 A8").replace("A", "001122AABB0").split(' ');
    EXPECT_EQ(placeSurveyMac(fields, "00AABB000001").field, -1) << "all eight full";
    EXPECT_TRUE(placeSurveyMac(fields, "001122AABB03").duplicate);
    fields[5] = "000000000000";
    EXPECT_EQ(placeSurveyMac(fields, "00AABB000001").field, 5);
    fields[2] = "00112";
    EXPECT_EQ(placeSurveyMac(fields, "00AABB000001").field, 2) << "a short text counts as free";
    EXPECT_EQ(placeSurveyMac(fields, "00:AA:BB:00").field, -1) << "no 12-character address";
}

TEST_F(WirelessSurvey, ClientScanListsTheNetworksAndARowClickChoosesSsidAndChannel) {
    sim().knob("profile client");
    sim().knob("scan 100");
    sim().knob("delay 100 " + kSurvey + ".2.1 get");
    TFM_Wirless* page = open();
    page->SiteScan->click();
    EXPECT_EQ(status(page), "Detecting...");
    EXPECT_FALSE(page->Bt_Apply->isEnabled() || page->Bt_Refresh->isEnabled() ||
                 page->Bt_Close->isEnabled());
    EXPECT_TRUE(pumpUntil([&] { return status(page) == "Refresh...!"; }));
    ASSERT_TRUE(pumpUntil([&] { return buttonsEnabled(page); }));
    EXPECT_EQ(status(page), QString::fromStdString(CvMessages::text(0)));
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(sent(sets()[0], kSurvey + ".1.1.1.1"), "1");
    CvListView* list = page->SiteServeyListView1;
    EXPECT_EQ(list->RowCount(), 5);
    for (QComboBox* forced : {page->CB_SsidBroadcast, page->CB_Chanal, page->CB_ChannelWidth})
        EXPECT_FALSE(forced->isEnabled()) << "a client's visibility, channel and width";
    EXPECT_EQ(page->CB_SsidBroadcast->currentText() + "," + page->CB_ChannelWidth->currentText(),
              "Enable,Auto 20/40 MHz");
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
    // WPA-Personal checks no interval and sends the cipher, not the interval.
    clickRow(list, kSurveySsid, "Office");
    choose(page->CB_SecurityMode, "WPA-Personal");
    EXPECT_FALSE(page->Ed_UpdateInterval->isEnabled()) << "a client's interval is greyed";
    page->Ed_UpdateInterval->setText("");
    page->Bt_Apply->click();
    ASSERT_EQ(setSizesSince(1), (std::vector<size_t>{4, 1, 1}));
    EXPECT_EQ(oids(sets()[2]), std::vector<std::string>{kSecurity + ".5.1"});
    EXPECT_TRUE(shows(page, "Setting Success!"));
    EXPECT_TRUE(page->readAsWirelessClient);
    saveScreenshot(page, "wireless-client-save-success");
    choose(page->CB_APMode, "WDS");
    clickRow(list, kSurveySsid, " lead");
    EXPECT_EQ(page->Ed_SSID->text(), "Office") << "the client row click does nothing in WDS";
}

TEST_F(WirelessSurvey, WdsScanAddsANewPeerToTheFirstFreeFieldAndRefusesOneAlreadyThere) {
    sim().knob("profile wds-ap");
    sim().knob("scan 50");
    TFM_Wirless* page = open();
    ASSERT_TRUE(waitForPeers(page, "001122AABB01"));
    ASSERT_TRUE(scanned(page));
    EXPECT_EQ(sent(sets()[0], kWdsSurvey + ".1.1.1.1"), "1");
    CvListView* list = page->wdsSiteServeyListView;
    EXPECT_EQ(list->RowCount(), 5);
    saveScreenshot(page, "wireless-wds-survey");
    clickRow(list, kSurveyBssid, "001122AABB02");
    EXPECT_EQ(boxTexts(), std::vector<QString>{"There is an existent entry with the same MAC "
                                               "Address\nPlease change the MAC Address."});
    clickRow(list, kSurveyBssid, "00AABB000001");
    clickRow(list, kSurveyBssid, "00AABB000002");
    EXPECT_EQ(page->Ed_ReMAddra3->text() + page->Ed_ReMAddra4->text(), "00AABB00000100AABB000002")
        << "the fourth and the hidden fifth field";
    choose(page->CB_APMode, "Wireless Client");
    clickRow(list, kSurveyBssid, "00AABB000003");
    EXPECT_EQ(page->Ed_ReMAddra5->text(), "") << "the WDS row click does nothing for a client";
    EXPECT_EQ(sets().size(), 1u);
}

TEST_F(WirelessSurvey, FailedTriggerReadsNoTableASilentWalkTimesOutAndTheCloseBoxEndsAScan) {
    sim().knob("profile wds");
    sim().knob("scan 10");
    sim().knob("fail " + kWdsSurvey + ".1.1.1.1 genErr set");
    TFM_Wirless* page = open();
    ASSERT_TRUE(scanned(page));
    EXPECT_EQ(status(page), QString::fromStdString(CvMessages::text(-105))) << "genErr";
    for (const SimSetRecord& get : sim().gets())
        for (const std::string& oid : oids(get))
            EXPECT_NE(oid.rfind(kWdsSurvey + ".2", 0), 0u) << "no walk after a failed trigger";

    sim().knob("clear");
    sim().knob("silence " + kWdsSurvey + ".2");
    setTimeScale(0.0002);
    const bool timedOut = scanned(page);
    setTimeScale(1);
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
