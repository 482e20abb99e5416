// Behaviours that build, fill and free the device's tables, and values derived from others.

#include <cstdio>
#include <ctime>
#include <set>

#include "sim/Device.h"
#include "sim/EventLoop.h"
#include "sim/NetSnmp.h"

namespace {

const Value zeroMac = zeroValue(Syntax::Mac);

}  // namespace

void Device::deleteRow(const std::string& name, int row, bool inPlace) {
    Table* table = mib_.table(name);
    if (!table || row < 1 || row > table->rows) return;
    if (inPlace || holes_)
        mib_.freeRow(*table, row);
    else
        mib_.removeRow(*table, row);
}

void Device::registerTableBehaviours() {
    auto on = [this](const std::string& name, Action action) {
        Oid oid = mib_.oidOf(name);
        if (!oid.empty()) actions_[oid] = std::move(action);
    };
    // A trigger written with 1 refreshes a table, now or after the time a scan takes.
    auto refreshOn = [this, on](const std::string& trigger, const std::string& table,
                                std::function<int()> delayMs) {
        on(trigger, {nullptr, [this, table, delayMs](const Oid&, const Value& v, Done done) {
                         if (v.number != 1) return done(SNMP_ERR_NOERROR);
                         int ms = delayMs();
                         auto rebuild = [this, table, done] {
                             if (Table* t = mib_.table(table)) mib_.refresh(*t);
                             done(SNMP_ERR_NOERROR);
                         };
                         if (ms <= 0) return rebuild();
                         runLater(ms, rebuild);
                     }});
    };
    refreshOn("dot11SiteSurveyRefresh.1", "clientSurvey", [this] { return scanMs_; });
    refreshOn("dot11WdsSiteSurveyRefresh.1", "wdsSurvey", [this] { return scanMs_; });
    refreshOn("dot11RogueApSurveyRefresh.0", "rogueSurvey", [this] { return scanMs_; });
    refreshOn("dot11ClientInformationRefresh.1", "stations", [] { return 500; });
    refreshOn("dot11WdsRefresh.1", "wdsLinks", [] { return 500; });

    // An index written to a delete object frees that row; an index outside the table is refused.
    auto deleteByIndex = [this, on](const std::string& trigger, const std::string& table,
                                    bool inPlace) {
        on(trigger, {[this, table](const Oid&, const Value& v) {
                         const Table* t = mib_.table(table);
                         return v.number == 0 || (t && v.number >= 1 && v.number <= t->rows)
                                    ? SNMP_ERR_NOERROR
                                    : SNMP_ERR_WRONGVALUE;
                     },
                     [this, table, inPlace](const Oid&, const Value& v, Done done) {
                         if (v.number > 0) deleteRow(table, static_cast<int>(v.number), inPlace);
                         done(SNMP_ERR_NOERROR);
                     }});
    };
    deleteByIndex("dhcpServerStaticDelete.0", "staticPool", false);
    deleteByIndex("dot11QosRulesDelete.0", "qosRules", false);
    deleteByIndex("managerDelete.0", "managerRanges", true);
    // Per-row delete triggers: the row is the instance, 1 deletes it.
    auto deleteThisRow = [this, on](const std::string& column, const std::string& table) {
        on(column, {nullptr, [this, table](const Oid& oid, const Value& v, Done done) {
                        if (v.number == 1) deleteRow(table, static_cast<int>(oid.back()), false);
                        done(SNMP_ERR_NOERROR);
                    }});
    };
    deleteThisRow("schedulingDelete", "schedule");
    deleteThisRow("dot11VlanListSurveydelete", "groupVlans");

    on("dot11RemoteApMacAddressDeleteAll.1",
       {nullptr, [this](const Oid&, const Value& v, Done done) {
            if (Table* t = mib_.table("wdsPeers"); t && v.number == 1)
                for (int row = 1; row <= t->rows; ++row) mib_.freeRow(*t, row);
            done(SNMP_ERR_NOERROR);
        }});
    auto refuseZero = [](const Oid&, const Value& v) {
        return v == zeroMac ? SNMP_ERR_WRONGVALUE : SNMP_ERR_NOERROR;
    };
    // Each address goes to the first free row; several may arrive in one request.
    auto addMac = [this](const std::string& table, int whenPresent) {
        return [this, table, whenPresent](const Oid&, const Value& v, Done done) {
            Table* t = mib_.table(table);
            if (!t) return done(SNMP_ERR_GENERR);
            if (mib_.findRow(*t, 2, v)) return done(whenPresent);
            int free = mib_.findRow(*t, 2, zeroMac);
            if (!free) return done(SNMP_ERR_RESOURCEUNAVAILABLE);
            mib_.find(t->cellOid(2, free))->stored = v;
            done(SNMP_ERR_NOERROR);
        };
    };
    on("dot11RemoteApMacAddressAdd.1", {refuseZero, addMac("wdsPeers", SNMP_ERR_NOERROR)});
    on("dot11MacAccessControlMacAddressAdd.1",
       {refuseZero, addMac("macAccessList", SNMP_ERR_INCONSISTENTVALUE)});
    on("dot11MacAccessControlMacAddressDelete.1",
       {nullptr, [this](const Oid&, const Value& v, Done done) {
            Table* t = mib_.table("macAccessList");
            int row = t && !(v == zeroMac) ? mib_.findRow(*t, 2, v) : 0;
            if (!row) return done(SNMP_ERR_INCONSISTENTVALUE);
            mib_.freeRow(*t, row);
            done(SNMP_ERR_NOERROR);
        }});

    auto clearCounters = [this](const Oid& counterPrefix, uint64_t first, uint64_t last) {
        return [this, counterPrefix, first, last](const Oid&, const Value& v, Done done) {
            for (uint64_t c = first; v.number == 1 && c <= last; ++c) {
                Oid oid = counterPrefix;
                oid.push_back(c);
                oid.push_back(1);
                if (Object* counter = mib_.find(oid)) counter->stored.number = 0;
            }
            done(SNMP_ERR_NOERROR);
        };
    };
    const Oid wired = mib_.oidOf("dot3TransmittedPacketCount");
    const Oid wireless = mib_.oidOf("dot11TransmittedPacketCount");
    if (!wired.empty()) {
        Oid prefix(wired.begin(), wired.end() - 1);
        on("dot3Clear.1", {nullptr, clearCounters(prefix, 1, 6)});
    }
    if (!wireless.empty()) {
        Oid prefix(wireless.begin(), wireless.end() - 1);
        on("dot11Clear.1", {nullptr, clearCounters(prefix, 19, 29)});
    }

    on("setTimeManually.0", {[](const Oid&, const Value& v) {
                                 int mo, d, y, h, mi, s;
                                 char extra;
                                 if (std::sscanf(v.bytes.c_str(), "%2d/%2d/%4d %2d:%2d:%2d%c", &mo,
                                                 &d, &y, &h, &mi, &s, &extra) != 6)
                                     return SNMP_ERR_WRONGVALUE;
                                 std::tm tm{};
                                 tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d;
                                 tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s;
                                 std::tm check = tm;
                                 timegm(&check);
                                 bool real = check.tm_mday == d && check.tm_mon == mo - 1 &&
                                             h < 24 && mi < 60 && s < 60 && y >= 1970;
                                 return real ? SNMP_ERR_NOERROR : SNMP_ERR_WRONGVALUE;
                             },
                             [this](const Oid&, const Value& v, Done done) {
                                 int mo, d, y, h, mi, s;
                                 std::sscanf(v.bytes.c_str(), "%d/%d/%d %d:%d:%d", &mo, &d, &y, &h,
                                             &mi, &s);
                                 std::tm tm{};
                                 tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d;
                                 tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s;
                                 clockOffsetSeconds_ = timegm(&tm) - std::time(nullptr);
                                 done(SNMP_ERR_NOERROR);
                             }});

    on("dot11PortListRefresh.0",
       {nullptr, [this](const Oid&, const Value& v, Done done) {
            if (v.number != 1) return done(SNMP_ERR_NOERROR);
            Table* ports = mib_.table("portList");
            Table* vlans = mib_.table("groupVlans");
            if (!ports || !vlans) return done(SNMP_ERR_GENERR);
            static const char* names[] = {"Mgmt", "LAN", "Primary", "S-1", "S-2",
                                          "S-3",  "W-1", "W-2",     "W-3", "W-4"};
            // Columns of the VLAN list for the ten ports in order.
            static const uint64_t columns[] = {4, 5, 6, 7, 8, 9, 14, 15, 16, 17};
            mib_.setRowCount(*ports, 0);
            mib_.setRowCount(*ports, 10);
            for (int p = 0; p < 10; ++p) {
                std::set<long long> tagged, untagged;
                for (int row = 1; row <= vlans->rows; ++row) {
                    const Object* vid = mib_.find(vlans->cellOid(2, row));
                    const Object* cell = mib_.find(vlans->cellOid(columns[p], row));
                    if (!vid || !cell || vid->stored.number == 0) continue;
                    if (cell->stored.number == 1) tagged.insert(vid->stored.number);
                    if (cell->stored.number == 2) untagged.insert(vid->stored.number);
                }
                auto join = [](const std::set<long long>& ids) {
                    std::string text;
                    for (long long id : ids) {
                        if (!text.empty()) text += ',';
                        text += std::to_string(id);
                    }
                    return text;
                };
                mib_.find(ports->cellOid(2, p + 1))->stored.bytes = join(tagged);
                mib_.find(ports->cellOid(3, p + 1))->stored.bytes = join(untagged);
                mib_.find(ports->cellOid(4, p + 1))->stored.bytes = names[p];
            }
            done(SNMP_ERR_NOERROR);
        }});
}

void Device::registerDerivedValues() {
    Oid band = mib_.oidOf("dot11Band.1");
    Oid channel = mib_.oidOf("dot11Channel.1");
    derived_[mib_.oidOf("dot11ABandChannelList.1")] = [this, band] {
        const Object* b = mib_.find(band);
        const Object* list = mib_.find(mib_.oidOf("dot11ABandChannelList.1"));
        Value v = list ? list->stored : zeroValue(Syntax::Str);
        // A list set through a knob wins over the one derived from the band.
        if (list && !(list->stored == list->initial)) return v;
        v.bytes = b && b->stored.number == 1 ? "36 40 44 48 149 153 157 161 165"
                                             : "1 2 3 4 5 6 7 8 9 10 11";
        return v;
    };
    derived_[mib_.oidOf("dot11Frequency.1")] = [this, band, channel] {
        const Object* b = mib_.find(band);
        const Object* c = mib_.find(channel);
        double base = b && b->stored.number == 1 ? 5.000 : 2.407;
        char text[16];
        std::snprintf(text, sizeof text, "%.3f", base + 0.005 * (c ? c->stored.number : 0));
        Value v = zeroValue(Syntax::Str);
        v.bytes = text;
        return v;
    };
    derived_[mib_.oidOf("sntpTimeofDay.0")] = [this] {
        std::time_t now = std::time(nullptr) + clockOffsetSeconds_;
        std::tm tm{};
        gmtime_r(&now, &tm);
        char text[32];
        std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &tm);
        Value v = zeroValue(Syntax::Str);
        v.bytes = text;
        return v;
    };
}

void Device::registerRogueBehaviours() {
    auto on = [this](const std::string& name, Action action) {
        Oid oid = mib_.oidOf(name);
        if (!oid.empty()) actions_[oid] = std::move(action);
    };
    auto storedNumber = [this](const std::string& name) {
        const Object* object = mib_.find(mib_.oidOf(name));
        return object ? object->stored.number : 0;
    };
    // A survey keeps each BSSID's type; a BSSID never seen before gets one by the two rules.
    on("dot11RogueApSurveyRefresh.0",
       {nullptr, [this, storedNumber](const Oid&, const Value& v, Done done) {
            if (v.number != 1) return done(SNMP_ERR_NOERROR);
            runLater(scanMs_, [this, storedNumber, done] {
                Table* t = mib_.table("rogueSurvey");
                if (!t) return done(SNMP_ERR_GENERR);
                bool firstSurvey = rogueTypes_.empty();
                mib_.refresh(*t);
                for (int row = 1; row <= t->rows; ++row) {
                    Object* bssid = mib_.find(t->cellOid(5, row));
                    Object* type = mib_.find(t->cellOid(11, row));
                    if (!bssid || !type) continue;
                    std::string key = hexText(bssid->stored.bytes);
                    auto known = rogueTypes_.find(key);
                    if (known != rogueTypes_.end()) {
                        type->stored.number = known->second;
                    } else if (!firstSurvey) {
                        type->stored.number =
                            storedNumber("dot11RogueApAllNewNodesAsValid.0") == 1          ? 2
                            : storedNumber("dot11RogueApUnknownAccessNodesAsRogue.0") == 1 ? 4
                                                                                           : 1;
                    }
                    rogueTypes_[key] = type->stored.number;
                }
                done(SNMP_ERR_NOERROR);
            });
        }});
    auto reclassify = [this, on](const std::string& name, long long newType) {
        on(name, {[this](const Oid&, const Value& v) {
                      const Table* t = mib_.table("rogueSurvey");
                      return v.number == 0 || (t && v.number >= 1 && v.number <= t->rows)
                                 ? SNMP_ERR_NOERROR
                                 : SNMP_ERR_WRONGVALUE;
                  },
                  [this, newType](const Oid&, const Value& v, Done done) {
                      Table* t = mib_.table("rogueSurvey");
                      if (t && v.number > 0) {
                          int row = static_cast<int>(v.number);
                          Object* bssid = mib_.find(t->cellOid(5, row));
                          Object* type = mib_.find(t->cellOid(11, row));
                          if (type) type->stored.number = newType;
                          if (bssid) rogueTypes_[hexText(bssid->stored.bytes)] = newType;
                      }
                      done(SNMP_ERR_NOERROR);
                  }});
    };
    reclassify("dot11RogueApAddtoValid.0", 2);
    reclassify("dot11RogueApAddtoNeighbor.0", 3);
    reclassify("dot11RogueApAddtoRouge.0", 4);
    reclassify("dot11RogueApAddtoNew.0", 1);

    // Each port's PVID becomes the first VLAN where the port is untagged, else 1.
    on("dot11PvidAutoAssignStatus.0",
       {nullptr, [this](const Oid& oid, const Value& v, Done done) {
            Table* vlans = mib_.table("groupVlans");
            Oid pvid = mib_.oidOf("dot11PvidSettingMgmt");
            if (v.number != 1 || !vlans || pvid.empty()) return done(SNMP_ERR_NOERROR);
            pvid.pop_back();
            for (uint64_t n = 2; n <= 15; ++n) {
                long long chosen = 1;
                for (int row = 1; row <= vlans->rows; ++row) {
                    const Object* vid = mib_.find(vlans->cellOid(2, row));
                    const Object* cell = mib_.find(vlans->cellOid(n + 2, row));
                    if (vid && cell && vid->stored.number != 0 && cell->stored.number == 2) {
                        chosen = vid->stored.number;
                        break;
                    }
                }
                Oid target = pvid;
                target.push_back(n);
                target.push_back(1);
                if (Object* o = mib_.find(target)) o->stored.number = chosen;
            }
            (void)oid;
            done(SNMP_ERR_NOERROR);
        }});

    // Current static leases: enabled pool entries whose MAC is a connected station.
    on("refreshCurrentStaticList.0",
       {nullptr, [this](const Oid&, const Value& v, Done done) {
            Table* pool = mib_.table("staticPool");
            Table* leases = mib_.table("staticLeases");
            Table* stations = mib_.table("stations");
            if (v.number != 1 || !pool || !leases || !stations) return done(SNMP_ERR_NOERROR);
            int next = 1;
            for (int row = 1; row <= leases->rows; ++row) mib_.freeRow(*leases, row);
            for (int row = 1; row <= pool->rows && next <= leases->rows; ++row) {
                const Object* status = mib_.find(pool->cellOid(2, row));
                const Object* ip = mib_.find(pool->cellOid(4, row));
                const Object* mac = mib_.find(pool->cellOid(5, row));
                if (!status || !ip || !mac || status->stored.number != 1 ||
                    ip->stored == zeroValue(Syntax::Ip) || !mib_.findRow(*stations, 2, mac->stored))
                    continue;
                mib_.find(leases->cellOid(2, next))->stored =
                    mib_.find(pool->cellOid(3, row))->stored;
                mib_.find(leases->cellOid(3, next))->stored = mac->stored;
                mib_.find(leases->cellOid(4, next))->stored = ip->stored;
                ++next;
            }
            done(SNMP_ERR_NOERROR);
        }});
}
