#include "library/snmp/CvSNMPVarList.h"

#include "library/common/CvException.h"
#include "library/common/CvMessages.h"

namespace {

[[noreturn]] void fail(int code) {
    throw CvSNMPException(code, CvMessages::text(code));
}

void checkShape(int itemType, int keyCount, int count) {
    if (itemType < SVT_SV || itemType > MVT_UMV) fail(-505);
    // The key count matters only for tables, whose index columns come first.
    const bool table = itemType == MVT_FMV || itemType == MVT_UMV;
    if (keyCount < 0 || (table && keyCount > count)) fail(-506);
}

}  // namespace

CvSNMPVarList::CvSNMPVarList(const CvSNMPVarItem* table, int itemType, int keyCount)
    : itemType_(itemType), keyCount_(keyCount) {
    for (const CvSNMPVarItem* item = table; item && !item->oid.empty(); ++item)
        items_.push_back(*item);
    checkShape(itemType, keyCount, Count());
    values_.resize(items_.size());
}

CvSNMPVarList::CvSNMPVarList(const std::vector<CvSNMPVarItem>& items, int itemType, int keyCount)
    : itemType_(itemType), keyCount_(keyCount) {
    for (const CvSNMPVarItem& item : items) {
        if (item.oid.empty()) break;
        items_.push_back(item);
    }
    checkShape(itemType, keyCount, Count());
    values_.resize(items_.size());
}

CvSNMPVarItem& CvSNMPVarList::GetItem(int index) {
    if (index < 0 || index >= Count()) fail(-504);
    return items_[index];
}

const CvSNMPVarItem& CvSNMPVarList::GetItem(int index) const {
    if (index < 0 || index >= Count()) fail(-504);
    return items_[index];
}
