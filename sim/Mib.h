#pragma once
// The device's objects: what the data file declares, with a stored and a committed value each.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/Value.h"

enum class Access { ReadWrite, ReadOnly, NotAccessible, Trigger };

struct Constraint {
    std::vector<long long> list;  // allowed integers; empty: any
    std::optional<std::pair<long long, long long>> range;
    std::optional<std::pair<size_t, size_t>> size;  // octet count of texts
};

struct Object {
    std::string name;
    Access access = Access::ReadOnly;
    Value stored;     // what GET returns
    Value committed;  // what a restart returns to
    Value initial;    // what a factory default returns to
    Constraint check;
    bool masked = false;  // read back as "*" repeated, a key the device does not reveal
    bool served = true;   // false: the object behaves as absent (profiles remove objects)
    std::string table;    // name of the table the cell belongs to, empty for scalars
};

struct Column {
    uint64_t number = 0;
    std::string name;
    Access access = Access::ReadOnly;
    Value initial;
    Constraint check;
    bool masked = false;
};

struct Table {
    std::string name;
    Oid entry;
    Oid indexPrefix;  // instance = indexPrefix + row number (e.g. "1." for per-interface tables)
    int rows = 0;
    std::vector<Column> columns;
    std::map<int, std::map<uint64_t, Value>> initialRows;  // rows that differ from the free row
    std::map<int, std::map<uint64_t, Value>> liveRows;     // what a refresh finds
    int declaredRows = 0;  // a refreshed table keeps at least this many rows (free ones)

    Oid cellOid(uint64_t column, int row) const;
};

class Mib {
  public:
    // Takes a line before the data file language does: nullopt leaves it to loadLine.
    using LineHook =
        std::function<std::optional<bool>(const std::string& line, std::string& error)>;
    // Reads a data file; on error returns false with "file:line: reason".
    bool load(const std::string& path, std::string& error, const LineHook& hook = nullptr);
    // One line of the data file language (also used by profiles and the "set" knob).
    bool loadLine(const std::string& line, std::string& error);

    Object* find(const Oid& oid);
    const Object* find(const Oid& oid) const;
    // The first served, readable object after oid (or at it, when inclusive).
    const std::pair<const Oid, Object>* next(const Oid& oid, bool inclusive) const;
    // True when some object lies under prefix (an instance of an existing column).
    bool anyUnder(const Oid& prefix) const;
    Table* table(const std::string& nameOrEntry);
    Oid oidOf(const std::string& nameOrOid) const;

    void setRowCount(Table& table, int rows);
    // A row's cells back to the free row's values.
    void freeRow(Table& table, int row);
    // Rows after row move up one and the last row becomes free.
    void removeRow(Table& table, int row);

    // The table rebuilt from its live rows, padded with free rows to its declared size.
    void refresh(Table& table);
    // Row number of the first row whose column holds value, or 0.
    int findRow(const Table& table, uint64_t column, const Value& value) const;

    void commit();           // committed <- stored
    void revert();           // stored <- committed
    void factoryDefaults();  // stored, committed <- initial; tables back to their data file rows

    std::map<Oid, Object>& objects() { return objects_; }
    const std::map<Oid, Object>& objects() const { return objects_; }
    std::vector<Table>& tables() { return tables_; }

  private:
    bool declareScalar(const std::vector<std::string>& tokens, std::string& error);
    bool declareTable(const std::vector<std::string>& tokens, std::string& error);
    bool declareColumn(const std::vector<std::string>& tokens, std::string& error);
    bool declareRow(const std::vector<std::string>& tokens, std::string& error);
    bool parseRowValues(const Table& table, const std::vector<std::string>& tokens,
                        std::map<uint64_t, Value>& values, std::string& error);
    bool setValue(const std::vector<std::string>& tokens, std::string& error);
    void buildCell(const Table& table, const Column& column, int row,
                   const std::map<int, std::map<uint64_t, Value>>& source);
    void buildRow(const Table& table, int row);

    std::map<Oid, Object> objects_;
    std::vector<Table> tables_;
    std::map<std::string, Oid> names_;
};

// Splits a line into blank-separated tokens; "..." groups blanks and takes \" \\ \t \n \xHH.
std::optional<std::vector<std::string>> tokenize(const std::string& line, std::string& error);

// The SNMP error status a SET of value to the object gets (0 when it may be stored).
int checkValue(const Object& object, const Value& value, bool validate);
