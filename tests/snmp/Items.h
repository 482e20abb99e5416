#pragma once

#include <functional>
#include <string>
#include <vector>

#include "library/common/CvException.h"
#include "library/snmp/CvSNMPVarList.h"

// The code of the CvSNMPException that fn throws, or 0 when it throws none.
inline int thrownCode(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const CvSNMPException& e) {
        return e.code();
    }
    return 0;
}

inline CvSNMPVarItem item(const std::string& oid, const char* name, int syntax, int access) {
    CvSNMPVarItem record;
    record.oid = oid;
    record.name = name;
    record.syntax = syntax;
    record.access = access;
    return record;
}

inline CvSNMPVarList varList(std::vector<CvSNMPVarItem> items, int itemType = SVT_SV,
                             int keyCount = 0) {
    return CvSNMPVarList(std::move(items), itemType, keyCount);
}

inline CvSNMPVarList systemName() {
    return varList({item("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE)});
}
