#pragma once

#include <string>
#include <utility>

#include "library/snmp/CvSNMPVarList.h"

// One row of a page's MIB item table; the value-formula and working-text fields stay empty.
inline CvSNMPVarItem mibItem(std::string oid, std::string name, int syntax, int access,
                             const CvOptionList* options = nullptr) {
    return CvSNMPVarItem{std::move(oid), std::move(name), syntax, access, options, {}, {}};
}
