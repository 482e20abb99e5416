#include "pages/home/WirlessRules.h"

#include <algorithm>

#include "app/Validators.h"

// ---- Security and channel rules -----------------------------------------------------------------

namespace {

// The authentication values with a visible pair; an empty WPA text stands for the first item.
struct SecurityMapRow {
    const char* authentication;
    const char* securityMode;
    const char* wpaMode;
};
const SecurityMapRow kSecurityMap[] = {
    {"opensystem", "Open System", ""},
    {"sharedkey", "Shared Key", ""},
    {"wpa-psk", "WPA-Personal", "WPA Only"},
    {"wpa-eap", "WPA-Enterprise", "WPA Only"},
    {"wpa2-psk", "WPA-Personal", "WPA2 Only"},
    {"wpa2-eap", "WPA-Enterprise", "WPA2 Only"},
    {"wpa-auto-psk", "WPA-Personal", "AUTO(WPA or WPA2)"},
    {"wpa-auto-eap", "WPA-Enterprise", "AUTO(WPA or WPA2)"},
};

// What one AP mode offers. Shared Key is offered only while Multi-SSID is off.
struct ModeOffer {
    QStringList securityModes;
    QStringList wpaModes;
    bool wpaEnabled;
    QStringList authentications;  // the values the mode shows and writes
    bool fallsBack;               // other values show the fallback pair, else no selection
    SecurityChoice fallback;
    QStringList ciphers;
    bool cipherEnabled;
};

const QString kAuto = "AUTO(WPA or WPA2)";

const ModeOffer kModeOffers[] = {
    {{"Open System", "Shared Key", "WPA-Personal", "WPA-Enterprise"},
     {kAuto, "WPA2 Only", "WPA Only"},
     true,
     {"opensystem", "sharedkey", "wpa-psk", "wpa-eap", "wpa2-psk", "wpa2-eap", "wpa-auto-psk",
      "wpa-auto-eap"},
     false,
     {},
     {"Auto", "AES", "TKIP"},
     true},
    {{"Open System", "Shared Key", "WPA-Personal"},
     {kAuto, "WPA2 Only"},
     true,
     {"opensystem", "sharedkey", "wpa2-psk", "wpa-auto-psk"},
     true,
     {"Open System", ""},
     {"Auto", "AES"},
     true},
    {{"Open System", "Shared Key", "WPA-Personal"},
     {"WPA2 Only"},
     false,
     {"opensystem", "sharedkey", "wpa2-psk"},
     true,
     {"Open System", ""},
     {"AES"},
     false},
    {{"Open System", "WPA-Personal"},
     {kAuto, "WPA2 Only", "WPA Only"},
     true,
     {"opensystem", "wpa-psk", "wpa2-psk", "wpa-auto-psk"},
     true,
     {"Open System", kAuto},
     {"Auto", "AES", "TKIP"},
     true},
};

const ModeOffer* modeOffer(int apMode) {
    return apMode >= kAccessPoint && apMode <= kWirelessClient ? &kModeOffers[apMode] : nullptr;
}

bool offers(const ModeOffer& offer, bool multiSsidOn, const QString& authentication) {
    return offer.authentications.contains(authentication) &&
           !(multiSsidOn && authentication == "sharedkey");
}

}  // namespace

SecurityOffer wirelessSecurityOffer(int apMode, bool multiSsidOn) {
    const ModeOffer* offer = modeOffer(apMode);
    if (!offer) return {{}, {}, true};
    QStringList modes = offer->securityModes;
    if (multiSsidOn) modes.removeAll("Shared Key");
    return {modes, offer->wpaModes, offer->wpaEnabled};
}

std::optional<SecurityChoice> wirelessSecurityFromAuthentication(const QString& authentication,
                                                                 int apMode, bool multiSsidOn) {
    const ModeOffer* offer = modeOffer(apMode);
    if (!offer) return std::nullopt;
    if (offers(*offer, multiSsidOn, authentication))
        for (const SecurityMapRow& row : kSecurityMap)
            if (authentication == row.authentication)
                return SecurityChoice{row.securityMode, row.wpaMode};
    if (!offer->fallsBack) return std::nullopt;
    return offer->fallback;
}

QString wirelessAuthenticationFromChoice(int apMode, bool multiSsidOn, const QString& securityMode,
                                         const QString& wpaMode) {
    const ModeOffer* offer = modeOffer(apMode);
    if (!offer) return {};
    for (const SecurityMapRow& row : kSecurityMap) {
        const bool anyWpa = *row.wpaMode == '\0';
        if (securityMode == row.securityMode && (anyWpa || wpaMode == row.wpaMode) &&
            offers(*offer, multiSsidOn, row.authentication))
            return row.authentication;
    }
    return {};
}

QStringList wirelessCipherChoices(int apMode) {
    const ModeOffer* offer = modeOffer(apMode);
    return offer ? offer->ciphers : QStringList();
}

bool wirelessCipherEnabled(int apMode) {
    const ModeOffer* offer = modeOffer(apMode);
    return offer && offer->cipherEnabled;
}

int wirelessCipherIndex(const QString& cipherText) {
    return QStringList{"Auto", "AES", "TKIP"}.indexOf(cipherText);
}

ChannelList tokenizeChannelList(const QString& list, const QString& channel) {
    ChannelList channels;
    QString token;
    // The position past the end closes the last token like a blank.
    for (qsizetype position = 0; position <= list.size(); ++position) {
        const bool atEnd = position == list.size();
        if ((atEnd || list[position] == ' ') && !token.isEmpty()) {
            if (!channels.matched && token == channel) {
                channels.matched = true;
                channels.selected = static_cast<int>(channels.items.size());
            }
            channels.items << token;
            token.clear();
        } else if (!atEnd) {
            token += list[position];
        }
    }
    return channels;
}

bool channelWidthForced20(int wifiMode24Index, int wifiMode5Index, const QString& channel,
                          const QString& securityMode, int encryptionIndex) {
    static const QStringList edgeChannels = {"165", "140", "12", "13", "14"};
    const bool withoutN = wifiMode24Index == 1 || wifiMode5Index == 1;
    const bool wep =
        (securityMode.contains("Open") || securityMode.contains("Share")) && encryptionIndex == 1;
    return withoutN || edgeChannels.contains(channel) || wep;
}

int wepKeyLength(int keyTypeIndex, int keySizeIndex) {
    const bool hex = keyTypeIndex == 1;
    const bool wide = keySizeIndex == 1;
    return hex ? (wide ? 26 : 10) : (wide ? 13 : 5);
}

int wepKeySizeIndex(int keyTypeIndex, int keyLength) {
    if (keyTypeIndex < 0) return -1;
    return keyLength == (keyTypeIndex == 1 ? 26 : 13) ? 1 : 0;
}

bool isMaskedKey(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == '*'; });
}

bool hasNonAsciiChar(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 128; });
}

SecurityGroups wirelessSecurityGroups(int apMode, const QString& securityMode) {
    SecurityGroups groups;
    switch (apMode) {
        case kAccessPoint:
            groups.autoScanRule = true;
            groups.wds = groups.survey = Shown::Hide;
            break;
        case kWdsWithAp:
        case kWds:
            groups.wdsCaption = apMode == kWdsWithAp ? "WDS with AP" : "WDS";
            groups.wds = groups.survey = Shown::Show;
            groups.autoScanForcedOff = true;
            break;
        case kWirelessClient:
            groups.survey = Shown::Show;
            groups.wds = Shown::Hide;
            groups.ssidBroadcastForcedOn = groups.autoScanForcedOff = true;
            groups.channelGreyed = groups.widthForcedAuto = true;
            break;
        default:
            break;
    }
    if (securityMode == "Open System" || securityMode == "Shared Key") {
        groups.keys = Shown::Show;
        groups.passphrase = Shown::Hide;
        groups.encryptionForcedOn = securityMode == "Shared Key";
    } else if (securityMode == "WPA-Personal" || securityMode == "WPA-Enterprise") {
        const bool personal = securityMode == "WPA-Personal";
        groups.keys = Shown::Hide;
        groups.passphrase = Shown::Show;
        groups.passphraseCaption = personal ? "Passphrase Settings" : "RADIUS Server Settings";
        groups.passphraseRows = personal;
        groups.radius = !personal;
        groups.fillCipher = true;
        groups.wpaModeForcedFirst = personal && apMode == kWds;
        groups.intervalGreyed = personal && apMode == kWirelessClient;
    }
    return groups;
}

// ---- Save rules -----------------------------------------------------------------------------

namespace {

const QString kBlankMessage = "The first character and last character can't be blank.";
const QString kConfirmMessage = "Please input the confirm new password correctly!";

bool blankAtAnEnd(const QString& text) {
    return !text.isEmpty() && (text.front() == ' ' || text.back() == ' ');
}

bool holdsPeer(const QString& mac) {
    return !mac.isEmpty() && mac != kZeroMac;
}

// A whole number, or 0 for a text that is none.
qlonglong numberOrZero(const QString& text) {
    bool isNumber = false;
    const qlonglong value = text.toLongLong(&isNumber);
    return isNumber ? value : 0;
}

WirelessField offsetField(WirelessField first, int offset) {
    return static_cast<WirelessField>(static_cast<int>(first) + offset);
}

// Masked keys pass; otherwise only hexadecimal digits do.
bool isHexText(const QString& text) {
    if (isMaskedKey(text)) return true;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

// By the text, not the item's index: the items differ with the Multi-SSID state, which a save
// may have switched off after the combo was filled.
WirelessBranch branchOf(const QString& securityMode, int encryption, int apMode) {
    if (securityMode == "Open System")
        return encryption == 0 ? WirelessBranch::Open : WirelessBranch::Wep;
    if (securityMode == "Shared Key") return WirelessBranch::Wep;
    if (securityMode == "WPA-Personal") return WirelessBranch::WpaPersonal;
    if (securityMode == "WPA-Enterprise" && apMode == kAccessPoint)
        return WirelessBranch::WpaEnterprise;
    return WirelessBranch::None;
}

bool storesCipher(WirelessBranch branch, int apMode) {
    return (branch == WirelessBranch::WpaPersonal && apMode != kWds) ||
           branch == WirelessBranch::WpaEnterprise;
}

// Which sets go out, or with which values, would be guessed from a value nobody read or chose:
// the delete-all of the WDS peers would drop those the fields never showed, an Open System with no
// encryption known would start encrypting with a key nobody set.
bool restsOnUnread(const WirelessSaveInput& input) {
    const WirelessSaveKnown& known = input.known;
    const int mode = input.apMode;
    const WirelessBranch branch = branchOf(input.securityMode, input.encryption, mode);
    return !known.mode || !known.multiSsid || !known.security ||
           (input.securityMode == "Open System" && !known.encryption) ||
           ((mode == kWdsWithAp || mode == kWds) && !known.peers) ||
           (branch == WirelessBranch::Wep && !known.defaultKey) ||
           (storesCipher(branch, mode) && !known.cipher);
}

// The items of the fields from `first` on (four of them) that hold a peer.
std::vector<int> peerItems(const QStringList& macs, int first) {
    std::vector<int> items;
    for (int item = 0; item < kShownWdsFields; ++item)
        if (holdsPeer(macs[first + item])) items.push_back(item);
    return items;
}

}  // namespace

WirelessCheck checkWirelessSsid(const QString& ssid) {
    using F = WirelessField;
    if (ssid.size() > 32)
        return WirelessRefusal{"The Max Length of SSID is 32.!", "Warning", F::Ssid, F::Ssid};
    if (ssid.isEmpty())
        return WirelessRefusal{"Please Input SSID.", "Warning", F::Ssid, F::Ssid, true};
    if (blankAtAnEnd(ssid)) return WirelessRefusal{kBlankMessage, "Error", F::Ssid, F::Ssid, true};
    if (hasNonAsciiChar(ssid))
        return WirelessRefusal{"Don't support chinese character !", "Error", F::Ssid, F::Ssid,
                               true};
    return std::nullopt;
}

WirelessCheck checkWdsMacDuplicates(const QStringList& macs) {
    for (int later = kWdsFields - 1; later >= 1; --later) {
        const QString text = macs[later].toUpper();
        if (!holdsPeer(text)) continue;
        for (int earlier = 0; earlier < later; ++earlier)
            if (macs[earlier].toUpper() == text)
                return WirelessRefusal{"Exist same MAC address.", "Warning",
                                       offsetField(WirelessField::Mac1, later), WirelessField::None,
                                       true};
    }
    return std::nullopt;
}

WirelessCheck checkSsidAndWdsMacs(const QStringList& macs) {
    const QString lengthMessage = "The length of MAC address is 12.";
    if (macs[0].isEmpty())
        return WirelessRefusal{"Please input MAC address in first blank space!", "Warning",
                               WirelessField::Mac1, WirelessField::None, true};
    for (int field = 0; field < kWdsFields; ++field) {
        if ((field > 0 && macs[field].isEmpty()) || macs[field].size() == 12) continue;
        const QString message = field == 2 ? "The length is 12 MAC address." : lengthMessage;
        return WirelessRefusal{message, "Error", WirelessField::None, WirelessField::None, true};
    }
    return std::nullopt;
}

WirelessCheck checkDefaultWepKey(int defaultKey, const QString& defaultKeyText,
                                 const WepKeyInput& key, const QString& confirm) {
    static const QStringList words = {"First", "Second", "Third", "Fourth"};
    static const QStringList ordinals = {"1st", "2nd", "3rd", "4th"};
    if (defaultKey < 0 || defaultKey > 3) return std::nullopt;
    const WirelessField field = offsetField(WirelessField::Key1, defaultKey);
    if (blankAtAnEnd(key.text)) return WirelessRefusal{kBlankMessage, "Error", field};
    if (defaultKeyText == words[defaultKey] && key.size >= 0) {
        const int length = wepKeyLength(key.type, key.size);
        if (key.text.size() != length)
            return WirelessRefusal{QString("The Length of the %1 key must be %2!")
                                       .arg(ordinals[defaultKey])
                                       .arg(length),
                                   "Warning"};
        if (key.type == 1 && !isHexText(key.text))
            return WirelessRefusal{"Please input  Hexadecimal digits!", "", WirelessField::None,
                                   field};
    }
    if (confirm != key.text)
        return WirelessRefusal{kConfirmMessage, "Warning", WirelessField::ConfirmKey};
    return std::nullopt;
}

WirelessCheck checkUpdateInterval(const QString& interval) {
    const qlonglong seconds = numberOrZero(interval);
    if (interval.isEmpty() || seconds < 300 || seconds > 9999999)
        return WirelessRefusal{"Please input a number between 300 and 9999999.", "Error",
                               WirelessField::Interval, WirelessField::Interval};
    return std::nullopt;
}

WirelessCheck checkPassphrase(const QString& passphrase, const QString& confirm, bool lengthFirst) {
    const auto refuse = [](const QString& message, const QString& caption) {
        return WirelessRefusal{message, caption, WirelessField::Passphrase};
    };
    const WirelessCheck blank =
        blankAtAnEnd(passphrase) ? WirelessCheck(refuse(kBlankMessage, "Error")) : std::nullopt;
    const WirelessCheck shortText =
        passphrase.size() < 8
            ? WirelessCheck(refuse("The Passphrase length is between 8 and 63.", "Error"))
            : std::nullopt;
    if (lengthFirst && shortText) return shortText;
    if (blank) return blank;
    if (shortText) return shortText;
    if (passphrase.size() > 63) return refuse("The max length of Passphrase is 63.", "Error");
    if (confirm != passphrase) return refuse(kConfirmMessage, "Warning");
    return std::nullopt;
}

WirelessCheck checkRadius(const QString& server, const QString& port, const QString& secret,
                          bool multiSsidWriter) {
    using F = WirelessField;
    if (!IsValidIPAddress(server))
        return WirelessRefusal{"The Radius server's IP is illegal.", "Error", F::RadiusServer};
    const qlonglong number = numberOrZero(port);
    if (port.isEmpty() || number < 1 || number > 65535)
        return WirelessRefusal{"Please input a number between 1 and 65535.", "Error", F::RadiusPort,
                               multiSsidWriter ? F::RadiusPort : F::None};
    if (secret.isEmpty())
        return WirelessRefusal{"The shared secret of radius server cannot be empty.", "Error",
                               F::RadiusSecret};
    if (secret.size() > 64)
        return WirelessRefusal{"The max length of secret of radius server is 64.", "Error",
                               F::RadiusSecret};
    return std::nullopt;
}

bool sharedKeyInUse(const std::vector<MssidRowTexts>& rows, const QString& defaultKeyText) {
    for (size_t row = 1; row < rows.size(); ++row)
        if (rows[row].state.contains("Enable") &&
            (rows[row].authentication.contains("open") ||
             rows[row].authentication.contains("share")) &&
            rows[row].keyIndex == defaultKeyText)
            return true;
    return false;
}

WirelessSavePlan planWirelessSave(const WirelessSaveInput& input) {
    using R = WirelessRequest;
    WirelessSavePlan plan;
    if (restsOnUnread(input)) {
        plan.unread = true;
        return plan;
    }
    const int mode = input.apMode;
    plan.disableMultiSsid = input.multiSsidWriter && mode > kWdsWithAp;
    if (mode < kAccessPoint || mode > kWirelessClient) return plan;
    const bool wds = mode == kWdsWithAp || mode == kWds;
    if (wds) {
        plan.peerRefusal = checkWdsMacDuplicates(input.macs);
        if (!plan.peerRefusal) plan.peerRefusal = checkSsidAndWdsMacs(input.macs);
        if (plan.peerRefusal) return plan;
    }
    plan.branch = branchOf(input.securityMode, input.encryption, mode);
    if (plan.branch == WirelessBranch::None) return plan;
    plan.copyChannel = mode != kWirelessClient;
    plan.storeCipher = storesCipher(plan.branch, mode);

    // Item 3, the channel list, is never sent; the band only when it changed.
    std::vector<int> wireless = {0, 1, 2, 4, 5, 6, 7};
    std::erase_if(wireless, [&](int item) {
        return (item == 4 && mode != kAccessPoint) || (item == 1 && mode == kWirelessClient) ||
               (item == 6 && input.band == input.bandAsRead);
    });
    std::vector<WirelessSet> peers;
    if (wds) {
        peers = {{R::WdsMacDeleteAll, {0}, true, true}, {R::WdsMacAdd, peerItems(input.macs, 0)}};
        const std::vector<int> more = peerItems(input.macs, kShownWdsFields);
        if (!more.empty()) peers.push_back({R::WdsMacAddMore, more});
    }

    std::vector<WirelessSet>& sets = plan.sets;
    switch (plan.branch) {
        case WirelessBranch::Open:
            sets = {{R::Wireless, wireless}, {R::Authentication, {0, 2}}};
            break;
        case WirelessBranch::Wep: {
            plan.sharedKeyWarning = (mode == kAccessPoint || mode == kWdsWithAp) &&
                                    sharedKeyInUse(input.mssidRows, input.defaultKeyText);
            const int key = input.defaultKey;
            if (key >= 0 && key < 4) {
                plan.refusal = checkDefaultWepKey(key, input.defaultKeyText, input.keys[key],
                                                  input.confirmKey);
                const std::vector<int> keyItems = isMaskedKey(input.keys[key].text)
                                                      ? std::vector<int>{0}
                                                      : std::vector<int>{0, 1};
                sets = {{R::Wireless, wireless},
                        {static_cast<R>(static_cast<int>(R::WepKey1) + key), keyItems}};
            }
            sets.push_back({R::Authentication, {0, 1, 2}});
            break;
        }
        case WirelessBranch::WpaPersonal: {
            if (mode != kWirelessClient) plan.refusal = checkUpdateInterval(input.interval);
            if (!plan.refusal)
                plan.refusal = checkPassphrase(input.passphrase, input.confirmPassphrase,
                                               input.multiSsidWriter && mode == kAccessPoint);
            std::vector<int> passphrase;
            if (input.passphrase != input.passphraseAsRead) passphrase.push_back(0);
            if (mode != kWds) passphrase.push_back(1);
            if (mode != kWirelessClient) passphrase.push_back(2);
            sets = {{R::Wireless, wireless}, {R::Passphrase, passphrase}, {R::Authentication, {0}}};
            break;
        }
        case WirelessBranch::WpaEnterprise: {
            plan.refusal = checkUpdateInterval(input.interval);
            if (!plan.refusal)
                plan.refusal = checkRadius(input.radiusServer, input.radiusPort, input.radiusSecret,
                                           input.multiSsidWriter);
            std::vector<int> radius = {0, 1, 2, 3};
            if (input.radiusSecret == input.radiusSecretAsRead) std::erase(radius, 2);
            sets = {{R::Wireless, wireless},
                    {R::Radius, radius},
                    {R::Passphrase, {1, 2}},
                    {R::Authentication, {0}}};
            break;
        }
        case WirelessBranch::None:
            break;
    }
    if (plan.refusal) {
        sets.clear();
        return plan;
    }
    sets.insert(sets.end(), peers.begin(), peers.end());
    // This writer's Access Point save also sends the peer list and a delete-all as it stands;
    // neither result counts.
    if (plan.branch == WirelessBranch::WpaPersonal && input.multiSsidWriter && mode == kAccessPoint)
        sets.insert(sets.end(), {{R::WdsMacList, {0}, false}, {R::WdsMacDeleteAll, {0}, false}});
    return plan;
}

// ---- Survey rules ---------------------------------------------------------------------------

SurveyKind surveyFor(int apMode) {
    if (apMode == kWdsWithAp || apMode == kWds) return SurveyKind::Wds;
    return apMode == kWirelessClient ? SurveyKind::Client : SurveyKind::None;
}

SurveyMacPlace placeSurveyMac(const QStringList& fields, const QString& mac) {
    if (mac.size() != 12) return {};
    const QString address = QString(mac).remove(':');
    if (fields.contains(address)) return {-1, true};
    for (int field = 0; field < fields.size(); ++field)
        if (fields[field].size() != 12 || fields[field] == kZeroMac) return {field, false};
    return {};
}
