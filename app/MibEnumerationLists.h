#pragma once

#include "library/common/CvOptionList.h"

// The option lists of the device MIB's enumerations, one per (values, texts) variant, built once
// at start-up and named by the item tables of every page. Pairs keep the order in which the pages
// show them (combo index i is the i-th pair); texts match without regard to case.
struct MibEnumerationLists {
    static const CvOptionList DisableEnable;
    static const CvOptionList OffOn;
    static const CvOptionList NothingApply;
    static const CvOptionList NothingGet;
    static const CvOptionList NothingRefresh;
    static const CvOptionList NothingDelete;
    static const CvOptionList NothingDeleteAll;
    static const CvOptionList NothingClear;
    static const CvOptionList NothingReboot;
    static const CvOptionList NothingReset;
    static const CvOptionList ApMode;
    static const CvOptionList ApModeAlt;
    static const CvOptionList Band;
    static const CvOptionList ChannelWidth;
    static const CvOptionList WifiMode24;
    static const CvOptionList WifiMode5;
    static const CvOptionList Authentication;
    static const CvOptionList MssidAuthentication;
    static const CvOptionList ClientAuthentication;
    static const CvOptionList WdsAuthentication;
    static const CvOptionList KeyIndex;
    static const CvOptionList KeyEntryMethod;
    static const CvOptionList MssidKeyType;
    static const CvOptionList CipherType;
    static const CvOptionList MssidCipherType;
    static const CvOptionList GetIpFrom;
    static const CvOptionList TransmitPower;
    static const CvOptionList MacAccessControl;
    static const CvOptionList ClientBand;
    static const CvOptionList DomainNameStatus;
    static const CvOptionList QosPriority;
    static const CvOptionList QosProtocolType;
    static const CvOptionList VlanMode;
    static const CvOptionList VlanMember;
    static const CvOptionList RogueMode;
    static const CvOptionList RogueType;
    static const CvOptionList RogueStatus;
    static const CvOptionList WdsBand;
    static const CvOptionList TftpCommand;
    static const CvOptionList TftpUpgradeCommand;
    static const CvOptionList TimeZone;
    static const CvOptionList DstOffset;
    static const CvOptionList Month;
    static const CvOptionList Week;
    static const CvOptionList DayOfWeek;
    static const CvOptionList Hour12;
    static const CvOptionList ManagerIpStatus;
    static const CvOptionList ConsoleTimeout;
};
