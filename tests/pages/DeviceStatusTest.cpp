#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "app/MainMenu.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/tools/About.h"
#include "pages/tools/Devinfo.h"
#include "pages/tools/Static.h"
#include "pages/tools/Statwlan.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kWlanClear = E + ".5.2.2.1.1.1.30.1";
const std::string kEthernetClear = E + ".5.2.2.1.1.1.16.1";

}  // namespace

// ---- Rules ----------------------------------------------------------------------------------

TEST(DeviceInfoRules, MacOffsetAddsWithCarryAndReportsAnOverflowOfTheFirstDigit) {
    struct Case {
        const char* prefix;
        int offset;
        const char* sum;
        bool overflow;
    };
    const Case cases[] = {
        {"0F", 2, "11", false}, {"A0", 6, "A6", false},          {"0E", 2, "10", false},
        {"0E", 6, "14", false}, {"fe", 2, "000000000000", true}, {"FA", 6, "000000000000", true},
        {"", 2, "", false},     {"0G", 2, "02", false},  // a non-digit counts as 0
    };
    for (const Case& c : cases) {
        bool overflowed = false;
        EXPECT_EQ(macAddOffset(c.prefix, c.offset, overflowed), c.sum)
            << c.prefix << "+" << c.offset;
        EXPECT_EQ(overflowed, c.overflow) << c.prefix << "+" << c.offset;
    }
}

TEST(DeviceInfoRules, SecurityLineByAuthenticationEncryptionKeySizeAndCipher) {
    struct Case {
        const char* authentication;
        int encryption, method;
        const char* cipher;
        int keyLength;
        const char* shown;
    };
    const Case cases[] = {
        {"opensystem", 0, 1, "AES", 26, "None"},
        {"opensystem", 1, 0, "AES", 5, "Open / 64bits"},
        {"opensystem", 1, 0, "AES", 13, "Open / 128bits"},
        {"opensystem", 1, 1, "AES", 10, "Open / 64bits"},
        {"opensystem", 1, 1, "AES", 26, "Open / 128bits"},
        {"opensystem", 1, 1, "AES", 13, "Open / "},
        {"sharedkey", 0, 0, "AES", 5, "Shared Key / 64bits"},
        {"wpa-psk", 0, 0, "tkip", 0, "WPA-Personal / TKIP"},
        {"wpa-eap", 0, 0, "AES", 0, "WPA-Enterprise / AES"},
        {"wpa2-psk", 0, 0, "AES", 0, "WPA2-Personal / AES"},
        {"wpa2-eap", 0, 0, "AES", 0, "WPA2-Enterprise / AES"},
        {"wpa-auto-psk", 0, 0, "AUTO", 0, "WPA2-Auto-Personal / AUTO"},
        {"wpa-auto-eap", 0, 0, "AUTO", 0, "WPA2-Auto-Enterprise / AUTO"},
        {"dot1x(10)", 1, 0, "AES", 5, ""},
        {"WPA2-PSK", 0, 0, "AES", 0, ""},  // compared exactly
    };
    for (const Case& c : cases)
        EXPECT_EQ(securityText(c.authentication, c.encryption, c.method, c.cipher,
                               QString(c.keyLength, '*')),
                  c.shown)
            << c.authentication << " " << c.encryption << "/" << c.method << "/" << c.keyLength;
}

// ---- Device information against the simulated device -------------------------------------

class DeviceInfoPage : public PageHarness {
  protected:
    TFM_DevInfo* open() { return openPage(FM_DevInfo); }
};

TEST_F(DeviceInfoPage, ShowsTheDeviceWithDerivedMacsAndTheFirmwareArrivingAfterTheWindow) {
    sim().knob("delay 300 deviceInformationFirmwareVersion get");
    TFM_DevInfo* page = open();
    EXPECT_EQ(page->Ed_Firmware->text(), "") << "read without holding the page";
    EXPECT_EQ(page->Ed_IPaddr->text(), "127.0.0.1");
    EXPECT_EQ(page->Ed_Mac->text(), "00112233445A");
    EXPECT_EQ(page->LAB_Primary->text(), "00112233445A");
    EXPECT_EQ(page->Lab_Seccondary1->text(), "02112233445A");
    EXPECT_EQ(page->Lab_Seccondary7->text(), "06112233445A");
    EXPECT_EQ(page->Ed_Gate->text(), "N/A");
    EXPECT_EQ(page->Ed_Channel->text(), "6");
    EXPECT_EQ(page->Ed_Sec->text(), "None");
    EXPECT_EQ(page->GroupBox3->title(), "Wireless(2.4GHz)");
    ASSERT_TRUE(pumpUntil([&] { return page->Ed_Firmware->text() == "1.00"; }));
    EXPECT_TRUE(sets().empty());
    EXPECT_TRUE(ui().boxes.empty());
    expectTidyLayout(page);
    saveScreenshot(page, "device-information");

    // Closed while the firmware answer is held: the late answer reaches nothing.
    sim().knob("delay 300 deviceInformationFirmwareVersion get");
    open();
    closePage();
    page = open();
    ASSERT_TRUE(pumpUntil([&] { return page->Ed_Firmware->text() == "1.00"; }));
}

TEST_F(DeviceInfoPage, ProfilesGiveTheirSecurityLineBandCaptionAndMacOverflow) {
    struct Case {
        const char* profile;
        const char* security;
        const char* caption;
    };
    for (const Case& c : {Case{"ap-wep", "Open / 64bits", "Wireless(2.4GHz)"},
                          Case{"ap-wpa2psk", "WPA2-Personal / AES", "Wireless(2.4GHz)"},
                          Case{"band5", "WPA2-Personal / AES", "Wireless(5GHz)"}}) {
        sim().knob(std::string("profile ") + c.profile);
        TFM_DevInfo* page = open();
        EXPECT_EQ(page->Ed_Sec->text(), c.security) << c.profile;
        EXPECT_EQ(page->GroupBox3->title(), c.caption) << c.profile;
    }
    EXPECT_TRUE(ui().boxes.empty());

    sim().knob("profile mac-overflow");
    TFM_DevInfo* page = open();
    ASSERT_EQ(ui().boxes.size(), 2u);
    for (const auto& box : ui().boxes) EXPECT_EQ(box.caption + box.text, "WarningInvalid MAC!");
    EXPECT_EQ(page->Lab_Seccondary1->text(), "000000000000112233445A");
}

TEST_F(DeviceInfoPage, RefusedReadsLeaveTheirFieldsAndAnUnusableAddressShowsWhy) {
    sim().knob("fail ifIpAddress genErr get");
    sim().knob("fail dot11Band genErr get");
    TFM_DevInfo* page = open();
    EXPECT_EQ(page->Ed_IPaddr->text() + page->Ed_Mac->text(), "");
    EXPECT_EQ(
        page->LAB_Primary->text() + page->Lab_Seccondary1->text() + page->Lab_Seccondary7->text(),
        "");
    EXPECT_EQ(page->Ed_SSID->text(), "VRA-AP") << "creation goes on after a failed read";
    EXPECT_EQ(page->GroupBox3->title(), "Wireless(5GHz)");

    CvSNMPSession::Defaults().address = "999.1.1.1";
    page = open();
    EXPECT_TRUE(page->StatusBar->SimpleText().startsWith("(ViZURU++)"));
    EXPECT_EQ(page->Ed_Mac->text() + page->Ed_SSID->text() + page->Ed_Sec->text(), "");
}

// ---- Traffic counters ---------------------------------------------------------------------

class CounterPages : public PageHarness {};

TEST_F(CounterPages, WlanClearHoldsTheButtonsUntilTheAnswerAndShowsZerosOnlyOnceAccepted) {
    TFM_StatWLAN* page = openPage(FM_StatWLAN);
    EXPECT_EQ(page->StatusBar1->ShownText(), "Wlan Info Get OK!");
    CvEdit* transmitted = page->counterEdit("Ed_TranPCount");
    EXPECT_EQ(page->counterEdit("Edt_RecPHYCount")->text(), "4");

    sim().knob("fail " + kWlanClear + " genErr set 1");
    sim().knob("delay 500 " + kWlanClear + " set");
    for (const auto& [shown, text] :
         {std::pair{"54321", "(ViZURU++)"}, {"0", "Refresh Wlan Info OK!"}}) {
        page->Btn_Clear->click();
        EXPECT_EQ(transmitted->text(), "54321") << "nothing cleared before the answer";
        EXPECT_FALSE(page->Btn_Refresh->isEnabled() || page->Btn_Clear->isEnabled());
        ASSERT_TRUE(pumpUntil([&] { return page->Btn_Clear->isEnabled(); }));
        EXPECT_EQ(transmitted->text(), shown) << "a refused clear leaves the counters";
        EXPECT_TRUE(page->StatusBar1->ShownText().startsWith(text));
    }
    EXPECT_TRUE(page->Btn_Refresh->isEnabled());
    EXPECT_EQ(sim().value(E + ".5.2.2.1.1.1.19.1"), "0") << "the device cleared its counters";
}

TEST_F(CounterPages, EthernetClearWaitsForTheDeviceThenReadsAgain) {
    TFM_Static* page = openPage(FM_Static);
    EXPECT_EQ(page->StatusBar1->ShownText(), "Ethernet Info Get OK!");
    CvEdit* transmitted = page->counterEdit("Ed_TranPCount");
    EXPECT_EQ(transmitted->text(), "152340");
    sim().knob("fail " + kEthernetClear + " genErr set 1");
    page->Btn_Clear->click();
    EXPECT_TRUE(page->StatusBar1->ShownText().contains("genErr")) << "not the refresh's OK";
    EXPECT_EQ(transmitted->text(), "152340");

    page->Btn_Clear->click();
    ASSERT_EQ(sets().size(), 2u);
    EXPECT_EQ(oids(sets()[1]), std::vector<std::string>{kEthernetClear});
    EXPECT_EQ(sets()[1].vbs[0].value, "1");
    EXPECT_EQ(page->StatusBar1->ShownText(), "Clear Ethernet Info is OK!");
    EXPECT_EQ(transmitted->text(), "0");
    expectTidyLayout(page);
    saveScreenshot(page, "stats-ethernet");
}

TEST_F(CounterPages, SilentDeviceShowsTheErrorTextsAndAnUnusableAddressOpensNoPage) {
    qputenv("VRA2260_TIME_SCALE", "0.001");
    sim().knob("silence on");
    EXPECT_EQ(openPage(FM_StatWLAN)->StatusBar1->ShownText(), "Wlan Info Get Error!");
    TFM_Static* ethernet = openPage(FM_Static);
    EXPECT_EQ(ethernet->StatusBar1->ShownText(), "Ethernet Info Get Error!");
    ethernet->Btn_Refresh->click();
    EXPECT_EQ(ethernet->StatusBar1->ShownText(), "Refresh Ethernet Info Error!");
    qunsetenv("VRA2260_TIME_SCALE");
    closePage();

    CvSNMPSession::Defaults().address = "999.1.1.1";
    ::openPage(FM_StatWLAN);
    ::openPage(FM_Static);
    EXPECT_EQ(FM_StatWLAN, nullptr);
    EXPECT_EQ(FM_Static, nullptr);
    ASSERT_EQ(ui().boxes.size(), 2u);
    for (const auto& box : ui().boxes)
        EXPECT_EQ(box.caption, QApplication::applicationDisplayName());
}

// ---- About --------------------------------------------------------------------------------

class AboutBox : public PageHarness {};

TEST_F(AboutBox, OnlyShiftAltF3OnTheOkButtonRevealsTheRelease) {
    auto press = [](TAboutForm& box, Qt::KeyboardModifiers modifiers) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_F3, modifiers);
        QApplication::sendEvent(box.BT_Ok, &key);
        return !box.Label4->isHidden();
    };
    TAboutForm box;
    EXPECT_EQ(box.windowTitle(), "Help\\About");
    EXPECT_EQ(box.Label1->text(), "VRA-2260 Management Module");
    EXPECT_FALSE(press(box, Qt::ShiftModifier));
    EXPECT_FALSE(press(box, Qt::AltModifier));
    EXPECT_FALSE(press(box, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_TRUE(press(box, Qt::ShiftModifier | Qt::AltModifier));
    box.show();
    expectTidyLayout(&box);
    saveScreenshot(&box, "about");
    TAboutForm again;
    EXPECT_TRUE(again.Label4->isHidden()) << "each opening starts hidden";
}
