#pragma once
// A simulated device, a scripted user interface and a form for the bound requests of one test.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "library/common/CvOptionList.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvSNMPSession.h"
#include "platform/Ui.h"
#include "tests/support/VraSim.h"

namespace bindingtest {

inline const std::string E = "1.3.6.1.4.1.32473.10.37.38";

inline CvSNMPVarItem var(std::string oid, std::string name, int syntax, int access,
                         const CvOptionList* options = nullptr) {
    CvSNMPVarItem item;
    item.oid = std::move(oid);
    item.name = std::move(name);
    item.syntax = syntax;
    item.access = access;
    item.options = options;
    return item;
}

// The MIB-II system group as the information page describes it.
inline std::vector<CvSNMPVarItem> systemGroup() {
    return {
        var("1.3.6.1.2.1.1.1", "systemDescr", SYN_DISPLAYSTRING, ACC_READONLY),
        var("1.3.6.1.2.1.1.2", "systemObjectID", SYN_OBJECTID, ACC_READONLY),
        var("1.3.6.1.2.1.1.3", "systemUpTime", SYN_TIMETICKS, ACC_READONLY),
        var("1.3.6.1.2.1.1.4", "systemContact", SYN_DISPLAYSTRING, ACC_READWRITE),
        var("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE),
        var("1.3.6.1.2.1.1.6", "systemLocation", SYN_DISPLAYSTRING, ACC_READWRITE),
    };
}

inline const CvOptionList& disableEnable() {
    static const CvOptionList list{{0, "Disable"}, {1, "Enable"}};
    return list;
}
inline const CvOptionList& keyEntryMethod() {
    static const CvOptionList list{{1, "ASCII"}, {2, "HEX"}};
    return list;
}

// The WEP key table: two index columns (interface, key number) taken from the instance suffix.
inline std::vector<CvSNMPVarItem> wepKeys() {
    const std::string entry = E + ".2.1.3.3.2.2.1";
    return {
        var(entry + ".100", "Interface", SYN_INTEGER, ACC_NOTACCESSIBLE),
        var(entry + ".101", "Key", SYN_INTEGER, ACC_NOTACCESSIBLE),
        var(entry + ".2", "Method", SYN_INTEGER, ACC_READWRITE, &keyEntryMethod()),
        var(entry + ".3", "WepKey", SYN_DISPLAYSTRING, ACC_READWRITE),
    };
}

// What the after-get or after-set closure received, and how often it ran.
struct Completion {
    CvSNMPError error{1, "not called"};
    int count = 0;
};
inline CvSNMPRequest2Controls::Closure recordInto(Completion& completion) {
    return [&completion](CvSNMPRequest2Controls*, const CvSNMPError& error) {
        completion.error = error;
        ++completion.count;
    };
}

// The status code of the CvException that fn throws, or 0 when it throws none.
inline int thrownCode(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const CvException& e) {
        return e.code();
    }
    return 0;
}

class BindingTest : public testing::Test {
  protected:
    void SetUp() override {
        ui = platform::ScriptedUi::install();
        CvMessages::resetToBuiltIn();
        sim = std::make_unique<VraSim>();
        CvSNMPSettings& defaults = CvSNMPSession::Defaults();
        defaults = CvSNMPSettings{};
        defaults.port = sim->port();
        defaults.version = 2;
        defaults.securityModel = 2;
        form = std::make_unique<QWidget>();
    }
    void TearDown() override {
        form.reset();
        sim.reset();
        platform::installUi(nullptr);
    }

    std::unique_ptr<CvSNMPRequest2Edits> request(const std::vector<CvSNMPVarItem>& items,
                                                 int itemType, int keyCount, int mode) {
        auto req = std::make_unique<CvSNMPRequest2Edits>(form.get());
        req->VarList = CvSNMPVarList(items, itemType, keyCount);
        req->Mode = mode;
        return req;
    }

    static bool waitFor(const std::function<bool()>& condition, int ms = 5000) {
        return VraSim::waitUntil(condition, ms);
    }

    // The variables of the last set the device received, as "oid=value" texts.
    std::vector<std::string> lastSet() const {
        std::vector<std::string> texts;
        auto sets = sim->sets();
        if (sets.empty()) return texts;
        for (const SimVarBind& vb : sets.back().vbs) texts.push_back(vb.oid + "=" + vb.value);
        return texts;
    }

    platform::ScriptedUi* ui = nullptr;
    std::unique_ptr<VraSim> sim;
    std::unique_ptr<QWidget> form;
};

}  // namespace bindingtest
