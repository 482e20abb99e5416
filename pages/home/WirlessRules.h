#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The Home \ Wireless page's rules, without widgets: what the security combos offer and how the
// device's authentication value maps to them, the channel and key rules, the checks Save makes and
// the sets it sends.

// CB_APMode's item indexes.
constexpr int kAccessPoint = 0;
constexpr int kWdsWithAp = 1;
constexpr int kWds = 2;
constexpr int kWirelessClient = 3;

// The WDS peer fields: eight, the first four shown; all zeros stands for no peer.
constexpr int kWdsFields = 8;
constexpr int kShownWdsFields = 4;
inline const QString kZeroMac = "000000000000";

// What the security and WPA combos offer in an AP mode; empty lists outside the four modes.
struct SecurityOffer {
    QStringList securityModes;
    QStringList wpaModes;
    bool wpaEnabled = true;
};
SecurityOffer wirelessSecurityOffer(int apMode, bool multiSsidOn);

// The visible choice for an authentication value; an empty WPA text stands for the first item.
struct SecurityChoice {
    QString securityMode;
    QString wpaMode;
};
// The choice shown for the authentication option text read ("wpa2-psk"), with each mode's
// fallback; none when the combos stay without a selection.
std::optional<SecurityChoice> wirelessSecurityFromAuthentication(const QString& authentication,
                                                                 int apMode, bool multiSsidOn);
// The authentication option text for a chosen pair, when the AP mode offers it; empty otherwise.
QString wirelessAuthenticationFromChoice(int apMode, bool multiSsidOn, const QString& securityMode,
                                         const QString& wpaMode);
// The cipher items of the passphrase group and whether the combo is enabled.
QStringList wirelessCipherChoices(int apMode);
bool wirelessCipherEnabled(int apMode);
// The cipher combo's text as CB_Clipher's index (auto, aes, tkip); -1 leaves it.
int wirelessCipherIndex(const QString& cipherText);

// The channel list split at single blanks, the item holding the channel and whether one did.
struct ChannelList {
    QStringList items;
    int selected = 0;
    bool matched = false;
};
ChannelList tokenizeChannelList(const QString& list, const QString& channel);

// Whether the channel width is forced to "20MHz": a Wi-Fi mode without 802.11n (index 1 of
// either list), an edge channel, or WEP.
bool channelWidthForced20(int wifiMode24Index, int wifiMode5Index, const QString& channel,
                          const QString& securityMode, int encryptionIndex);

// A key's maximum length for its type (1 HEX, else ASCII) and size (1 "128Bits", else 64).
int wepKeyLength(int keyTypeIndex, int keySizeIndex);
// The size index a key of this length shows: 1 for 26 HEX or 13 ASCII characters, else 0; -1
// without a key type.
int wepKeySizeIndex(int keyTypeIndex, int keyLength);
// Only asterisks, as many as its length (the empty text too): a key the device masked.
bool isMaskedKey(const QString& text);
// A character code of 128 or more.
bool hasNonAsciiChar(const QString& text);

// What showing the security groups does for an AP mode and the chosen security text.
enum class Shown { Keep, Show, Hide };
struct SecurityGroups {
    Shown wds = Shown::Keep, survey = Shown::Keep, keys = Shown::Keep, passphrase = Shown::Keep;
    QString wdsCaption;
    bool autoScanRule = false;           // the channel follows auto scan
    bool autoScanForcedOff = false;      // auto scan Disable, greyed
    bool ssidBroadcastForcedOn = false;  // visibility Enable, greyed
    bool channelGreyed = false;
    bool widthForcedAuto = false;     // "Auto 20/40 MHz", greyed
    bool encryptionForcedOn = false;  // "Enable", greyed
    QString passphraseCaption;
    bool passphraseRows = false, radius = false, fillCipher = false;
    bool wpaModeForcedFirst = false, intervalGreyed = false;
};
SecurityGroups wirelessSecurityGroups(int apMode, const QString& securityMode);

// ---- Saving ---------------------------------------------------------------------------------

// The controls a refused Save focuses or empties.
enum class WirelessField : int {
    None,
    Ssid,
    Key1,
    Key2,
    Key3,
    Key4,
    ConfirmKey,
    Interval,
    Passphrase,
    RadiusServer,
    RadiusPort,
    RadiusSecret,
    Mac1,
    Mac2,
    Mac3,
    Mac4,
    Mac5,
    Mac6,
    Mac7,
    Mac8
};
struct WirelessRefusal {
    QString message;
    QString caption;  // empty: the plain message box
    WirelessField focus = WirelessField::None;
    WirelessField emptied = WirelessField::None;
    bool tidyMacs = false;  // the WDS fields are tidied afterwards
};
using WirelessCheck = std::optional<WirelessRefusal>;

WirelessCheck checkWirelessSsid(const QString& ssid);
// Fields 1 to 8, folded to upper case; a later field equal to an earlier one, neither empty nor
// all zeros, is refused.
WirelessCheck checkWdsMacDuplicates(const QStringList& macs);
WirelessCheck checkSsidAndWdsMacs(const QStringList& macs);
struct WepKeyInput {
    int type = -1;  // 1 HEX
    int size = -1;  // 1 "128Bits"
    QString text;
};
// The default key's checks: blanks, length for its type and size, hexadecimal digits, confirm.
WirelessCheck checkDefaultWepKey(int defaultKey, const QString& defaultKeyText,
                                 const WepKeyInput& key, const QString& confirm);
WirelessCheck checkUpdateInterval(const QString& interval);
// lengthFirst: the length is checked before the blanks.
WirelessCheck checkPassphrase(const QString& passphrase, const QString& confirm, bool lengthFirst);
// multiSsidWriter: one port test that also empties the port.
WirelessCheck checkRadius(const QString& server, const QString& port, const QString& secret,
                          bool multiSsidWriter);

// The Multi-SSID rows as shown: individual state, authentication and WEP key index texts.
struct MssidRowTexts {
    QString state, authentication, keyIndex;
};
// Another enabled SSID with open or shared security uses the default key (the primary SSID's
// row, the first, is skipped).
bool sharedKeyInUse(const std::vector<MssidRowTexts>& rows, const QString& defaultKeyText);

enum class WirelessRequest : int {
    MssidState,
    Wireless,
    Authentication,
    WepKey1,
    WepKey2,
    WepKey3,
    WepKey4,
    Passphrase,
    Radius,
    WdsMacDeleteAll,
    WdsMacAdd,
    WdsMacAddMore,
    WdsMacList
};
// One set: the items sent (the request's others stay out), whether its result counts and
// whether it is the delete-all of the WDS peers that the page arms before sending.
struct WirelessSet {
    WirelessRequest request;
    std::vector<int> items;
    bool counted = true;
    bool deletesAll = false;
    bool operator==(const WirelessSet&) const = default;
};
enum class WirelessBranch { None, Open, Wep, WpaPersonal, WpaEnterprise };

// Which values a Save decides by came from a read of this visit or a choice: the mode and the
// Multi-SSID state pick the writer, the security choice (for Open System with the encryption) the
// branch, the default key the key's set, the cipher its value, and the eight peer fields what a WDS
// save deletes and adds again.
struct WirelessSaveKnown {
    bool mode = true, multiSsid = true, security = true, encryption = true, defaultKey = true,
         cipher = true, peers = true;
};

// What Save reads of the page.
struct WirelessSaveInput {
    bool multiSsidWriter = false;  // Multi-SSID showed Enable
    int apMode = -1;
    QString securityMode;
    int encryption = -1;
    int defaultKey = -1;
    QString defaultKeyText;
    std::vector<WepKeyInput> keys = std::vector<WepKeyInput>(4);
    QString confirmKey;
    QString interval, passphrase, confirmPassphrase, passphraseAsRead;
    QString radiusServer, radiusPort, radiusSecret, radiusSecretAsRead;
    QStringList macs = QStringList(8, QString());
    int band = -1, bandAsRead = -1;
    std::vector<MssidRowTexts> mssidRows;
    WirelessSaveKnown known;
};
struct WirelessSavePlan {
    bool unread = false;            // the sets rest on a value never read: none is sent
    bool disableMultiSsid = false;  // sent first, whatever follows; not counted
    WirelessCheck peerRefusal;      // the WDS peers, checked before the security branch
    WirelessBranch branch = WirelessBranch::None;
    bool sharedKeyWarning = false;  // shown before the branch's checks; the save goes on
    WirelessCheck refusal;
    bool copyChannel = false, storeCipher = false;
    std::vector<WirelessSet> sets;  // in sending order
};
WirelessSavePlan planWirelessSave(const WirelessSaveInput& input);

// ---- Site survey ----------------------------------------------------------------------------

// The survey an AP mode scans: the WDS one in the two WDS modes, the client one in Wireless
// Client, none in Access Point.
enum class SurveyKind { None, Client, Wds };
SurveyKind surveyFor(int apMode);

// A survey row's columns after the hidden index, as CvListView::SubItem numbers them.
enum SurveyColumn { kSurveyChannel = 0, kSurveySignal, kSurveyBssid, kSurveySecurity, kSurveySsid };

// Where a surveyed address goes among the eight WDS fields: the first free one (empty, all
// zeros or not 12 characters), -1 when it is no 12-character address, already held (duplicate)
// or all eight are full.
struct SurveyMacPlace {
    int field = -1;
    bool duplicate = false;
};
SurveyMacPlace placeSurveyMac(const QStringList& fields, const QString& mac);
