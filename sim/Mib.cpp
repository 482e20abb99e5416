#include "sim/Mib.h"

#include <algorithm>
#include <fstream>

#include "sim/NetSnmp.h"

namespace {

std::optional<Access> parseAccess(const std::string& text) {
    if (text == "RW") return Access::ReadWrite;
    if (text == "RO") return Access::ReadOnly;
    if (text == "NA") return Access::NotAccessible;
    if (text == "TRG") return Access::Trigger;
    return std::nullopt;
}

std::optional<std::pair<long long, long long>> parseSpan(const std::string& text) {
    size_t dots = text.find("..");
    if (dots == std::string::npos) return std::nullopt;
    try {
        size_t used = 0;
        long long lo = std::stoll(text.substr(0, dots), &used);
        if (used != dots) return std::nullopt;
        std::string rest = text.substr(dots + 2);
        long long hi = std::stoll(rest, &used);
        if (used != rest.size() || hi < lo) return std::nullopt;
        return std::make_pair(lo, hi);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Options after the value: enum=1,2,3 range=LO..HI size=LO..HI masked.
bool parseOptions(const std::vector<std::string>& tokens, size_t from, Constraint& check,
                  bool& masked, std::string& error) {
    for (size_t i = from; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        if (t == "masked") {
            masked = true;
        } else if (t.rfind("enum=", 0) == 0) {
            std::string list = t.substr(5);
            size_t start = 0;
            while (start <= list.size()) {
                size_t end = list.find(',', start);
                std::string item = list.substr(start, end == std::string::npos ? end : end - start);
                try {
                    check.list.push_back(std::stoll(item));
                } catch (const std::exception&) {
                    error = "bad enumeration \"" + t + "\"";
                    return false;
                }
                if (end == std::string::npos) break;
                start = end + 1;
            }
        } else if (t.rfind("range=", 0) == 0) {
            check.range = parseSpan(t.substr(6));
            if (!check.range) return error = "bad range \"" + t + "\"", false;
        } else if (t.rfind("size=", 0) == 0) {
            auto span = parseSpan(t.substr(5));
            if (!span || span->first < 0) return error = "bad size \"" + t + "\"", false;
            check.size =
                std::make_pair(static_cast<size_t>(span->first), static_cast<size_t>(span->second));
        } else {
            error = "unknown option \"" + t + "\"";
            return false;
        }
    }
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::vector<std::string>> tokenize(const std::string& line, std::string& error) {
    std::vector<std::string> tokens;
    std::string current;
    bool inToken = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size()) {
                char e = line[++i];
                if (e == 'n')
                    current += '\n';
                else if (e == 't')
                    current += '\t';
                else if (e == 'r')
                    current += '\r';
                else if (e == 'x' && i + 2 < line.size() && hexDigit(line[i + 1]) >= 0 &&
                         hexDigit(line[i + 2]) >= 0) {
                    current +=
                        static_cast<char>(hexDigit(line[i + 1]) * 16 + hexDigit(line[i + 2]));
                    i += 2;
                } else
                    current += e;
            } else {
                current += c;
            }
        } else if (c == '"') {
            quoted = inToken = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inToken) tokens.push_back(current);
            current.clear();
            inToken = false;
        } else if (c == '#' && !inToken) {
            break;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (quoted) {
        error = "unterminated quote";
        return std::nullopt;
    }
    if (inToken) tokens.push_back(current);
    return tokens;
}

Oid Table::cellOid(uint64_t column, int row) const {
    Oid oid = entry;
    oid.push_back(column);
    oid.insert(oid.end(), indexPrefix.begin(), indexPrefix.end());
    oid.push_back(static_cast<uint64_t>(row));
    return oid;
}

bool Mib::load(const std::string& path, std::string& error, const LineHook& hook) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::optional<bool> handled = hook ? hook(line, error) : std::nullopt;
        if (!(handled ? *handled : loadLine(line, error))) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

bool Mib::loadLine(const std::string& line, std::string& error) {
    auto tokens = tokenize(line, error);
    if (!tokens) return false;
    if (tokens->empty()) return true;
    const std::string& kind = (*tokens)[0];
    if (kind == "scalar") return declareScalar(*tokens, error);
    if (kind == "table") return declareTable(*tokens, error);
    if (kind == "column") return declareColumn(*tokens, error);
    if (kind == "row" || kind == "live") return declareRow(*tokens, error);
    if (kind == "set") return setValue(*tokens, error);
    if (kind == "rows" && tokens->size() == 3) {
        Table* t = table((*tokens)[1]);
        if (!t) return error = "unknown table " + (*tokens)[1], false;
        try {
            int rows = std::stoi((*tokens)[2]);
            if (rows < 0 || rows > 100000) return error = "bad row count", false;
            setRowCount(*t, rows);
        } catch (const std::exception&) {
            return error = "bad row count", false;
        }
        return true;
    }
    if (kind == "empty" && tokens->size() == 2) {
        // Every row free, and nothing for a refresh to find.
        Table* t = table((*tokens)[1]);
        if (!t) return error = "unknown table " + (*tokens)[1], false;
        int rows = t->rows;
        t->initialRows.clear();
        t->liveRows.clear();
        setRowCount(*t, 0);
        setRowCount(*t, rows);
        return true;
    }
    if (kind == "hide" && tokens->size() == 2) {
        Oid prefix = oidOf((*tokens)[1]);
        if (prefix.empty()) return error = "unknown object " + (*tokens)[1], false;
        for (auto it = objects_.lower_bound(prefix);
             it != objects_.end() && hasPrefix(it->first, prefix); ++it)
            it->second.served = false;
        return true;
    }
    error = "unknown line \"" + kind + "\"";
    return false;
}

// scalar NAME OID SYNTAX ACCESS VALUE [options]
bool Mib::declareScalar(const std::vector<std::string>& t, std::string& error) {
    if (t.size() < 6) return error = "scalar needs NAME OID SYNTAX ACCESS VALUE", false;
    auto oid = parseOid(t[2]);
    auto syntax = parseSyntax(t[3]);
    auto access = parseAccess(t[4]);
    if (!oid || !syntax || !access) return error = "bad OID, syntax or access", false;
    auto value = parseValue(*syntax, t[5]);
    if (!value) return error = "bad value \"" + t[5] + "\" for " + t[1], false;
    Object object;
    object.name = t[1];
    object.access = *access;
    object.stored = object.committed = object.initial = *value;
    if (!parseOptions(t, 6, object.check, object.masked, error)) return false;
    objects_[*oid] = object;
    // The name stands for the object; "name.0" then names its instance.
    Oid base = *oid;
    base.pop_back();
    names_[t[1]] = base;
    return true;
}

// table NAME ENTRY rows=N [index=PREFIX]
bool Mib::declareTable(const std::vector<std::string>& t, std::string& error) {
    if (t.size() < 4) return error = "table needs NAME ENTRY rows=N", false;
    Table table;
    table.name = t[1];
    auto entry = parseOid(t[2]);
    if (!entry) return error = "bad entry OID", false;
    table.entry = *entry;
    for (size_t i = 3; i < t.size(); ++i) {
        if (t[i].rfind("rows=", 0) == 0) {
            try {
                table.rows = std::stoi(t[i].substr(5));
            } catch (const std::exception&) {
                return error = "bad row count", false;
            }
        } else if (t[i].rfind("index=", 0) == 0) {
            auto prefix = parseOid(t[i].substr(6));
            if (!prefix) return error = "bad index prefix", false;
            table.indexPrefix = *prefix;
        } else {
            return error = "unknown table option \"" + t[i] + "\"", false;
        }
    }
    if (table.rows < 0) return error = "bad row count", false;
    table.declaredRows = table.rows;
    tables_.push_back(table);
    names_[t[1]] = table.entry;
    return true;
}

// column TABLE NUMBER NAME SYNTAX ACCESS DEFAULT [options]
bool Mib::declareColumn(const std::vector<std::string>& t, std::string& error) {
    if (t.size() < 7) return error = "column needs TABLE NUMBER NAME SYNTAX ACCESS DEFAULT", false;
    Table* table = this->table(t[1]);
    if (!table) return error = "unknown table " + t[1], false;
    Column column;
    try {
        column.number = std::stoull(t[2]);
    } catch (const std::exception&) {
        return error = "bad column number", false;
    }
    column.name = t[3];
    auto syntax = parseSyntax(t[4]);
    auto access = parseAccess(t[5]);
    if (!syntax || !access) return error = "bad syntax or access", false;
    column.access = *access;
    auto value = parseValue(*syntax, t[6]);
    if (!value) return error = "bad default \"" + t[6] + "\"", false;
    column.initial = *value;
    if (!parseOptions(t, 7, column.check, column.masked, error)) return false;
    table->columns.push_back(column);
    Oid columnOid = table->entry;
    columnOid.push_back(column.number);
    names_[column.name] = columnOid;
    for (int row = 1; row <= table->rows; ++row) buildCell(*table, column, row, table->initialRows);
    return true;
}

// row TABLE N COLUMN=VALUE..., or live TABLE N COLUMN=VALUE... (a row a refresh finds)
bool Mib::declareRow(const std::vector<std::string>& t, std::string& error) {
    if (t.size() < 3) return error = t[0] + " needs TABLE N", false;
    Table* table = this->table(t[1]);
    if (!table) return error = "unknown table " + t[1], false;
    int row = 0;
    try {
        row = std::stoi(t[2]);
    } catch (const std::exception&) {
    }
    bool live = t[0] == "live";
    if (row < 1 || (!live && row > table->rows) || row > 100000)
        return error = "row outside the table", false;
    auto& values = (live ? table->liveRows : table->initialRows)[row];
    if (!parseRowValues(*table, t, values, error)) return false;
    if (!live) buildRow(*table, row);
    return true;
}

bool Mib::parseRowValues(const Table& table, const std::vector<std::string>& t,
                         std::map<uint64_t, Value>& values, std::string& error) {
    for (size_t i = 3; i < t.size(); ++i) {
        size_t eq = t[i].find('=');
        if (eq == std::string::npos) return error = "expected COLUMN=VALUE", false;
        uint64_t number = 0;
        try {
            number = std::stoull(t[i].substr(0, eq));
        } catch (const std::exception&) {
            return error = "bad column in \"" + t[i] + "\"", false;
        }
        auto column = std::find_if(table.columns.begin(), table.columns.end(),
                                   [&](const Column& c) { return c.number == number; });
        if (column == table.columns.end()) return error = "unknown column " + t[i], false;
        auto value = parseValue(column->initial.syntax, t[i].substr(eq + 1));
        if (!value) return error = "bad value in \"" + t[i] + "\"", false;
        values[number] = *value;
    }
    return true;
}

// set NAME|OID VALUE: a new stored and committed value (profiles, the "set" knob).
bool Mib::setValue(const std::vector<std::string>& t, std::string& error) {
    if (t.size() != 3) return error = "set needs NAME|OID VALUE", false;
    Object* object = find(oidOf(t[1]));
    if (!object) return error = "unknown object " + t[1], false;
    auto value = parseValue(object->stored.syntax, t[2]);
    if (!value) return error = "bad value \"" + t[2] + "\"", false;
    object->stored = object->committed = *value;
    object->served = true;
    return true;
}

void Mib::buildCell(const Table& table, const Column& column, int row,
                    const std::map<int, std::map<uint64_t, Value>>& source) {
    Value value = column.initial;
    auto r = source.find(row);
    if (r != source.end()) {
        auto c = r->second.find(column.number);
        if (c != r->second.end()) value = c->second;
    }
    Object cell;
    cell.name = column.name;
    cell.access = column.access;
    cell.stored = cell.committed = cell.initial = value;
    cell.check = column.check;
    cell.masked = column.masked;
    cell.table = table.name;
    objects_[table.cellOid(column.number, row)] = cell;
}

void Mib::buildRow(const Table& table, int row) {
    for (const auto& column : table.columns) buildCell(table, column, row, table.initialRows);
}

void Mib::refresh(Table& table) {
    setRowCount(table, 0);
    int rows =
        std::max(table.declaredRows, table.liveRows.empty() ? 0 : table.liveRows.rbegin()->first);
    for (int row = 1; row <= rows; ++row)
        for (const auto& column : table.columns) buildCell(table, column, row, table.liveRows);
    table.rows = rows;
}

int Mib::findRow(const Table& table, uint64_t column, const Value& value) const {
    for (int row = 1; row <= table.rows; ++row) {
        const Object* cell = find(table.cellOid(column, row));
        if (cell && cell->stored == value) return row;
    }
    return 0;
}

Object* Mib::find(const Oid& oid) {
    auto it = objects_.find(oid);
    return it == objects_.end() ? nullptr : &it->second;
}

const Object* Mib::find(const Oid& oid) const {
    auto it = objects_.find(oid);
    return it == objects_.end() ? nullptr : &it->second;
}

const std::pair<const Oid, Object>* Mib::next(const Oid& oid, bool inclusive) const {
    auto it = inclusive ? objects_.lower_bound(oid) : objects_.upper_bound(oid);
    for (; it != objects_.end(); ++it)
        if (it->second.served && it->second.access != Access::NotAccessible) return &*it;
    return nullptr;
}

bool Mib::anyUnder(const Oid& prefix) const {
    auto it = objects_.lower_bound(prefix);
    return it != objects_.end() && hasPrefix(it->first, prefix);
}

Table* Mib::table(const std::string& nameOrEntry) {
    auto entry = parseOid(nameOrEntry);
    for (auto& t : tables_)
        if (t.name == nameOrEntry || (entry && t.entry == *entry)) return &t;
    return nullptr;
}

Oid Mib::oidOf(const std::string& nameOrOid) const {
    if (auto oid = parseOid(nameOrOid)) return *oid;
    // A name may carry an instance suffix: "sysName.0".
    size_t dot = nameOrOid.find('.');
    auto it = names_.find(nameOrOid.substr(0, dot));
    if (it == names_.end()) return {};
    Oid oid = it->second;
    if (dot != std::string::npos) {
        auto suffix = parseOid(nameOrOid.substr(dot + 1));
        if (!suffix) return {};
        oid.insert(oid.end(), suffix->begin(), suffix->end());
    }
    return oid;
}

void Mib::setRowCount(Table& table, int rows) {
    for (int row = rows + 1; row <= table.rows; ++row)
        for (const auto& column : table.columns) objects_.erase(table.cellOid(column.number, row));
    for (int row = table.rows + 1; row <= rows; ++row) buildRow(table, row);
    table.rows = rows;
}

void Mib::freeRow(Table& table, int row) {
    for (const auto& column : table.columns) {
        if (column.access == Access::NotAccessible) continue;
        Object* cell = find(table.cellOid(column.number, row));
        if (cell && cell->access != Access::Trigger) cell->stored = column.initial;
    }
}

void Mib::removeRow(Table& table, int row) {
    for (int r = row; r < table.rows; ++r) {
        for (const auto& column : table.columns) {
            Object* to = find(table.cellOid(column.number, r));
            Object* from = find(table.cellOid(column.number, r + 1));
            if (to && from && column.access != Access::Trigger &&
                column.access != Access::NotAccessible)
                to->stored = from->stored;
        }
    }
    freeRow(table, table.rows);
}

void Mib::commit() {
    for (auto& [oid, object] : objects_)
        if (object.access == Access::ReadWrite) object.committed = object.stored;
}

void Mib::revert() {
    for (auto& [oid, object] : objects_)
        if (object.access == Access::ReadWrite) object.stored = object.committed;
}

void Mib::factoryDefaults() {
    for (auto& [oid, object] : objects_)
        if (object.access == Access::ReadWrite) object.stored = object.committed = object.initial;
}

int checkValue(const Object& object, const Value& value, bool validate) {
    if (value.syntax == Syntax::Mac && value.bytes.size() != 6) return SNMP_ERR_WRONGLENGTH;
    if (!validate) return SNMP_ERR_NOERROR;
    const Constraint& c = object.check;
    if (!c.list.empty() && std::find(c.list.begin(), c.list.end(), value.number) == c.list.end())
        return SNMP_ERR_WRONGVALUE;
    if (c.range && (value.number < c.range->first || value.number > c.range->second))
        return SNMP_ERR_WRONGVALUE;
    if (c.size && (value.bytes.size() < c.size->first || value.bytes.size() > c.size->second))
        return SNMP_ERR_WRONGLENGTH;
    return SNMP_ERR_NOERROR;
}
