#pragma once

#include "library/snmp/CvSNMPVarList.h"

inline CvSNMPVarItem item(const char* oid, const char* name, int syntax, int access) {
    CvSNMPVarItem record;
    record.oid = oid;
    record.name = name;
    record.syntax = syntax;
    record.access = access;
    return record;
}
