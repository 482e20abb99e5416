#pragma once

#include "library/snmp/CvSNMPVarList.h"

// One row of a page's MIB item table; the value-formula and working-text fields stay empty.
inline CvSNMPVarItem mibItem(const char* oid, const char* name, int syntax, int access,
                             const CvOptionList* options = nullptr) {
    return CvSNMPVarItem{oid, name, syntax, access, options, {}, {}};
}
