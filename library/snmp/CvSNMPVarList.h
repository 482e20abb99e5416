#pragma once

#include <string>
#include <vector>

#include "library/common/CvOptionList.h"

// Syntax codes of an item.
enum CvSNMPSyntax {
    SYN_BOOLEAN = 1,  // sent as INTEGER 0/1
    SYN_INTEGER = 2,
    SYN_OCTETSTRING = 4,
    SYN_OBJECTID = 6,
    SYN_IPADDRESS = 64,
    SYN_COUNTER = 65,
    SYN_GAUGE = 66,
    SYN_TIMETICKS = 67,
    SYN_MACADDRESS = 73,     // OCTET STRING of 6 octets
    SYN_DISPLAYSTRING = 76,  // OCTET STRING, 8-bit text
};

// Access words: bit flags. Read: bit 2 set and bit 32 clear. Sent: bit 4 set and bit 32 clear.
enum CvSNMPAccess {
    ACC_NOTACCESSIBLE = 1,
    ACC_READONLY = 2,
    ACC_WRITEONLY = 4,
    ACC_READWRITE = 6,
    ACC_DERIVED = 8,
    ACC_HIDDEN = 16,
    ACC_INVALID = 32,
};

// Item types of a variable list.
enum CvSNMPItemType { SVT_SV = 0, MVT_SV = 1, MVT_FMV = 2, MVT_UMV = 3 };

// How a page describes one MIB object. Static tables of these end with a record whose oid is
// empty. Tables point to option lists, never copy them.
struct CvSNMPVarItem {
    std::string oid;   // dotted, no leading dot
    std::string name;  // display name, also the list-view column title
    int syntax = 0;
    int access = 0;
    const CvOptionList* options = nullptr;
    std::string formula, text;  // unused by the pages
};

inline bool isReadable(const CvSNMPVarItem& item) {
    return (item.access & ACC_READONLY) && !(item.access & ACC_INVALID);
}
inline bool isSendable(const CvSNMPVarItem& item) {
    return (item.access & ACC_WRITEONLY) && !(item.access & ACC_INVALID);
}

// The outcome handed to result routines and closures: 0 and "(ViZURU++) Ok!" on success.
struct CvSNMPError {
    int Code = 0;
    std::string Message;
    // The device answered with an error status (or named no such object): it is there and said
    // no. No answer, a time-out or a failure of our own is no refusal.
    bool IsRefusal() const { return Code <= -101 && Code >= -119; }
};

// One table row read by a walk: its instance suffix (dotted, no leading dot) and one value text
// per item, in item order; index columns hold the values taken from the suffix.
struct CvSNMPRow {
    std::string instance;
    std::vector<std::string> values;
};

// An ordered list of items made from an item table, with each item's current value text and,
// for tables, one row per table row. Values are the text forms: integers decimal, IP addresses
// dotted, OIDs dotted, time ticks "D days, HH:MM:SS.cc", MAC addresses 12 upper-case hex digits,
// octet and display strings as their raw octets (8-bit text).
class CvSNMPVarList {
  public:
    CvSNMPVarList() = default;
    // Copies every record up to the empty one. Throws CvSNMPException -505 / -506 for a bad item
    // type or key count.
    CvSNMPVarList(const CvSNMPVarItem* table, int itemType, int keyCount);
    CvSNMPVarList(const std::vector<CvSNMPVarItem>& items, int itemType, int keyCount);
    CvSNMPVarList(const CvSNMPVarList&) = default;
    CvSNMPVarList& operator=(const CvSNMPVarList&) = default;  // deep copy
    ~CvSNMPVarList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    // Throws CvSNMPException -504 for an index out of range.
    CvSNMPVarItem& GetItem(int index);
    const CvSNMPVarItem& GetItem(int index) const;
    int ItemType() const { return itemType_; }
    int KeyCount() const { return keyCount_; }
    bool IsTable() const { return itemType_ == MVT_FMV || itemType_ == MVT_UMV; }

    // The current value text of each item (size Count()); empty before a read.
    std::vector<std::string>& Values() { return values_; }
    const std::vector<std::string>& Values() const { return values_; }
    // The rows of the last table read.
    std::vector<CvSNMPRow>& Rows() { return rows_; }
    const std::vector<CvSNMPRow>& Rows() const { return rows_; }

  private:
    std::vector<CvSNMPVarItem> items_;
    int itemType_ = SVT_SV;
    int keyCount_ = 0;
    std::vector<std::string> values_;
    std::vector<CvSNMPRow> rows_;
};
