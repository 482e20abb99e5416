#include "app/MibEnumerationLists.h"

// Integer values, case-insensitive texts (the option list's defaults).

const CvOptionList MibEnumerationLists::DisableEnable{{0, "Disable"}, {1, "Enable"}};

const CvOptionList MibEnumerationLists::OffOn{{0, "Off"}, {1, "On"}};

const CvOptionList MibEnumerationLists::NothingApply{{0, "nothing"}, {1, "apply"}};

const CvOptionList MibEnumerationLists::NothingGet{{0, "nothing"}, {1, "get"}};

const CvOptionList MibEnumerationLists::NothingRefresh{{0, "nothing"}, {1, "refresh"}};

const CvOptionList MibEnumerationLists::NothingDelete{{0, "nothing"}, {1, "delete"}};

const CvOptionList MibEnumerationLists::NothingDeleteAll{{0, "nothing"}, {1, "deleteall"}};

const CvOptionList MibEnumerationLists::NothingClear{{0, "nothing"}, {1, "clear"}};

const CvOptionList MibEnumerationLists::NothingReboot{{0, "nothing"}, {1, "reboot"}};

const CvOptionList MibEnumerationLists::NothingReset{{0, "nothing"}, {1, "reset"}};

const CvOptionList MibEnumerationLists::ApMode{
    {1, "Access Point"}, {2, "WDS with AP"}, {3, "WDS"}, {4, "Wireless Client"}};

const CvOptionList MibEnumerationLists::ApModeAlt{
    {1, "Access Point"}, {2, "WDS With Ap"}, {3, "WDS"}, {4, "Wireless Client"}};

const CvOptionList MibEnumerationLists::Band{{0, "2.4GHz"}, {1, "5GHz"}};

const CvOptionList MibEnumerationLists::ChannelWidth{{1, "20MHz"}, {2, "Auto 20/40 MHz"}};

const CvOptionList MibEnumerationLists::WifiMode24{{6, "Mixed 802.11n,802.11g and 802.11b"},
                                                   {3, "Mixed 802.11g and 802.11b"},
                                                   {2, "802.11n Only"}};

const CvOptionList MibEnumerationLists::WifiMode5{
    {9, "Mixed 802.11n and 802.11a"}, {7, "802.11a Only"}, {8, "802.11n Only"}};

const CvOptionList MibEnumerationLists::Authentication{
    {1, "opensystem"}, {2, "sharedkey"},    {4, "wpa-psk"},      {5, "wpa-eap"},   {6, "wpa2-psk"},
    {7, "wpa2-eap"},   {8, "wpa-auto-psk"}, {9, "wpa-auto-eap"}, {10, "dot1x(10)"}};

const CvOptionList MibEnumerationLists::MssidAuthentication{
    {1, "opensystem"}, {2, "sharedkey"},    {4, "wpa-psk"},      {5, "wpa-eap"}, {6, "wpa2-psk"},
    {7, "wpa2-eap"},   {8, "wpa-auto-psk"}, {9, "wpa-auto-eap"}, {10, "dot1x"}};

const CvOptionList MibEnumerationLists::ClientAuthentication{
    {1, "opensystem"}, {2, "sharedkey"}, {4, "wpa-psk"},      {5, "wpa-eap"},
    {6, "wpa2-psk"},   {7, "wpa2-eap"},  {8, "wpa-auto-psk"}, {9, "wpa-auto-eap"}};

const CvOptionList MibEnumerationLists::WdsAuthentication{
    {0, "None"},     {1, "opensystem"}, {2, "sharedkey"},    {3, "wpa-eap"},     {4, "wpa-psk"},
    {6, "wpa2-eap"}, {7, "wpa2-psk"},   {8, "wpa-auto-eap"}, {9, "wpa-auto-psk"}};

const CvOptionList MibEnumerationLists::KeyIndex{
    {1, "First"}, {2, "Second"}, {3, "Third"}, {4, "Fourth"}};

const CvOptionList MibEnumerationLists::KeyEntryMethod{{1, "ASCII"}, {2, "HEX"}};

const CvOptionList MibEnumerationLists::MssidKeyType{{1, "Ascii"}, {2, "Hex"}};

const CvOptionList MibEnumerationLists::CipherType{
    {1, "auto"}, {2, "aes"}, {3, "tkip"}, {4, "wep"}};

const CvOptionList MibEnumerationLists::MssidCipherType{
    {1, "Auto"}, {2, "AES"}, {3, "TKIP"}, {4, "WEP"}};

const CvOptionList MibEnumerationLists::GetIpFrom{{1, "Static (Manual)"}, {2, "Dynamic (DHCP)"}};

const CvOptionList MibEnumerationLists::TransmitPower{
    {1, "100%"}, {2, "50%"}, {3, "25%"}, {4, "12.5%"}};

const CvOptionList MibEnumerationLists::MacAccessControl{
    {1, "Accept"}, {2, "Reject"}, {3, "Disable"}};

const CvOptionList MibEnumerationLists::ClientBand{{0, "A"}, {1, "B"}, {2, "G"}, {3, "N"}};

const CvOptionList MibEnumerationLists::DomainNameStatus{{1, "dynamic"}, {2, "static"}};

const CvOptionList MibEnumerationLists::QosPriority{
    {3, "Background(BK)"}, {2, "Best Effort(BE)"}, {1, "Video(VI)"}, {0, "Voice(VO)"}};

const CvOptionList MibEnumerationLists::QosProtocolType{{0, "Any"},  {1, "TCP"},  {2, "UDP"},
                                                        {3, "Both"}, {4, "ICMP"}, {5, "Other"}};

const CvOptionList MibEnumerationLists::VlanMode{{0, "static"}, {1, "dynamic"}};

const CvOptionList MibEnumerationLists::VlanMember{{0, "none"}, {1, "tag"}, {2, "untag"}};

const CvOptionList MibEnumerationLists::RogueMode{{1, "B"}, {2, "G"}, {3, "N"}, {4, "A"}};

const CvOptionList MibEnumerationLists::RogueType{
    {1, "new"}, {2, "valid"}, {3, "neighborhood"}, {4, "rogue"}};

const CvOptionList MibEnumerationLists::RogueStatus{{2, "up"}, {1, "down"}};

const CvOptionList MibEnumerationLists::WdsBand{
    {0, "dot11a"}, {1, "dot11b"}, {2, "dot11g"}, {4, "dot11n"}};

const CvOptionList MibEnumerationLists::TftpCommand{{2, "Get"}, {3, "Put"}, {4, "Nothing"}};

const CvOptionList MibEnumerationLists::TftpUpgradeCommand{
    {1, "Firmwareupdate"},        {3, "Configsave"},   {4, "Reboot"}, {6, "Nothing"},
    {7, "certificateFileUpdate"}, {8, "keyFileUpdate"}};

const CvOptionList MibEnumerationLists::TimeZone{
    {1, "(GMT-12:00) International Date Line West"},
    {2, "(GMT-11:00) Midway Island, Samoa"},
    {3, "(GMT-10:00) Hawaii"},
    {4, "(GMT-09:00) Alaska"},
    {5, "(GMT-08:00) Pacific Time (US & Canada); Tijuana"},
    {6, "(GMT-07:00) Arizona"},
    {7, "(GMT-07:00) Chihuahua, La Paz, Mazatlan"},
    {8, "(GMT-07:00) Mountain Time (US & Canada)"},
    {9, "(GMT-06:00) Central America"},
    {10, "(GMT-06:00) Central Time (US & Canada)"},
    {11, "(GMT-06:00) Guadalajara, Mexico City, Monterrey"},
    {12, "(GMT-06:00) Saskatchewan"},
    {13, "(GMT-05:00) Bogota, Lima, Quito"},
    {14, "(GMT-05:00) Eastern Time (US & Canada)"},
    {15, "(GMT-05:00) Indiana (East)"},
    {16, "(GMT-04:00) Atlantic Time (Canada)"},
    {17, "(GMT-04:00) Caracas, La Paz"},
    {18, "(GMT-04:00) Santiago"},
    {19, "(GMT-03:30) Newfoundland"},
    {20, "(GMT-03:00) Brasilia"},
    {21, "(GMT-03:00) Buenos Aires, Georgetown"},
    {22, "(GMT-03:00) Greenland"},
    {23, "(GMT-02:00) Mid-Atlantic"},
    {24, "(GMT-01:00) Azores"},
    {25, "(GMT-01:00) Cape Verde Is."},
    {26, "(GMT) Casablanca, Monrovia"},
    {27, "(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London"},
    {28, "(GMT+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna"},
    {29, "(GMT+01:00) Belgrade, Bratislava, Budapest, Ljubljana, Prague"},
    {30, "(GMT+01:00) Brussels, Copenhagen, Madrid, Paris"},
    {31, "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb"},
    {32, "(GMT+01:00) West Central Africa"},
    {33, "(GMT+02:00) Athens, Istanbul, Minsk"},
    {34, "(GMT+02:00) Bucharest"},
    {35, "(GMT+02:00) Cairo"},
    {36, "(GMT+02:00) Harare, Pretoria"},
    {37, "(GMT+02:00) Helsinki, Kyiv, Riga, Sofia, Tallinn, Vilnius"},
    {38, "(GMT+02:00) Jerusalem"},
    {39, "(GMT+03:00) Baghdad"},
    {40, "(GMT+03:00) Kuwait, Riyadh"},
    {41, "(GMT+03:00) Moscow, St. Petersburg, Volgograd"},
    {42, "(GMT+03:00) Nairobi"},
    {43, "(GMT+03:30) Tehran"},
    {44, "(GMT+04:00) Abu Dhabi, Muscat"},
    {45, "(GMT+04:00) Baku, Tbilisi, Yerevan"},
    {46, "(GMT+04:30) Kabul"},
    {47, "(GMT+05:00) Ekaterinburg"},
    {48, "(GMT+05:00) Islamabad, Karachi, Tashkent"},
    {49, "(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi"},
    {50, "(GMT+05:45) Kathmandu"},
    {51, "(GMT+06:00) Almaty, Novosibirsk"},
    {52, "(GMT+06:00) Astana, Dhaka"},
    {53, "(GMT+06:00) Sri Jayawardenepura"},
    {54, "(GMT+06:30) Rangoon"},
    {55, "(GMT+07:00) Bangkok, Hanoi, Jakarta"},
    {56, "(GMT+07:00) Krasnoyarsk"},
    {57, "(GMT+08:00) Beijing, Chongqing, Hong Kong, Urumqi"},
    {58, "(GMT+08:00) Irkutsk, Ulaan Bataar"},
    {59, "(GMT+08:00) Kuala Lumpur, Singapore"},
    {60, "(GMT+08:00) Perth"},
    {61, "(GMT+08:00) Taipei"},
    {62, "(GMT+09:00) Osaka, Sapporo, Tokyo"},
    {63, "(GMT+09:00) Seoul"},
    {64, "(GMT+09:00) Yakutsk"},
    {65, "(GMT+09:30) Adelaide"},
    {66, "(GMT+09:30) Darwin"},
    {67, "(GMT+10:00) Brisbane"},
    {68, "(GMT+10:00) Canberra, Melbourne, Sydney"},
    {69, "(GMT+10:00) Guam, Port Moresby"},
    {70, "(GMT+10:00) Hobart"},
    {71, "(GMT+10:00) Vladivostok"},
    {72, "(GMT+11:00) Magadan, Solomon Is., New Caledonia"},
    {73, "(GMT+12:00) Auckland, Wellington"},
    {74, "(GMT+12:00) Fiji, Kamchatka, Marshall Is."},
    {75, "(GMT+13:00) Nuku'alofa"}};

const CvOptionList MibEnumerationLists::DstOffset{{0, "-2:00"}, {1, "-1:30"}, {2, "-1:00"},
                                                  {3, "-0:30"}, {4, "+0:30"}, {5, "+1:00"},
                                                  {6, "+1:30"}, {7, "+2:00"}};

const CvOptionList MibEnumerationLists::Month{{1, "Jan"}, {2, "Feb"},  {3, "Mar"},  {4, "Apr"},
                                              {5, "May"}, {6, "Jun"},  {7, "Jul"},  {8, "Aug"},
                                              {9, "Sep"}, {10, "Oct"}, {11, "Nov"}, {12, "Dec"}};

const CvOptionList MibEnumerationLists::Week{
    {1, "1st"}, {2, "2nd"}, {3, "3rd"}, {4, "4th"}, {5, "5th"}};

const CvOptionList MibEnumerationLists::DayOfWeek{{0, "sun"}, {1, "mon"}, {2, "tue"}, {3, "wed"},
                                                  {4, "thu"}, {5, "fri"}, {6, "sat"}};

const CvOptionList MibEnumerationLists::Hour12{
    {0, "12am"},  {1, "1am"},  {2, "2am"},  {3, "3am"},  {4, "4am"},   {5, "5am"},
    {6, "6am"},   {7, "7am"},  {8, "8am"},  {9, "9am"},  {10, "10am"}, {11, "11am"},
    {12, "12pm"}, {13, "1pm"}, {14, "2pm"}, {15, "3pm"}, {16, "4pm"},  {17, "5pm"},
    {18, "6pm"},  {19, "7pm"}, {20, "8pm"}, {21, "9pm"}, {22, "10pm"}, {23, "11pm"}};

const CvOptionList MibEnumerationLists::ManagerIpStatus{
    {0, "disable"}, {1, "vlanID"}, {2, "ipaddress"}, {3, "both"}};

const CvOptionList MibEnumerationLists::ConsoleTimeout{{1, "1Min"},   {2, "3Mins"},  {3, "5Mins"},
                                                       {4, "10Mins"}, {5, "15Mins"}, {0, "Never"}};
