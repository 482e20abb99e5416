// Writing bound controls to the device: marking, prepare, empty integers, the unsent failures.

#include <QCheckBox>
#include <QComboBox>

#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "tests/binding/BindingFixture.h"

namespace bindingtest {
namespace {

using SetTest = BindingTest;

// Marks 2 and 32 keep items out, and so does a control that no read filled and nobody chose; a
// text the page writes into an edit is not chosen until it marks it.
TEST_F(SetTest, PreparedSet_SendsItemsMarked6ButNoControlThatNoReadFilledAndNobodyChose) {
    static const CvOptionList reversed{{1, "Enable"}, {0, "Disable"}};
    const std::string level = E + ".5.4.1.0", location = "1.3.6.1.2.1.1.6.0";
    enum Step { ReadOk, ReadFails, DeviceOutsideList, UserChooses, PageSelects, Typed, Written,
                Marked };
    struct Case {
        const char* what;
        char kind;  // c combo, x check box, w combo of a write-only item
        std::vector<Step> steps;
        const char* sent;      // null: left out
        const char* location;  // the edit's: null left out, "" the device's value
    };
    const Case cases[] = {
        {"read", 'c', {ReadOk}, "1", ""},
        {"read failed", 'c', {ReadFails}, nullptr, nullptr},
        {"never read", 'c', {}, nullptr, nullptr},
        {"read, then a read failed", 'c', {ReadOk, ReadFails}, "1", ""},
        {"user chose after the failure", 'c', {ReadFails, UserChooses}, "1", nullptr},
        {"user chose, then a read failed", 'c', {UserChooses, ReadFails}, "1", nullptr},
        {"page selected", 'c', {ReadFails, PageSelects}, "0", nullptr},
        {"read a value off the list", 'c', {DeviceOutsideList, ReadOk}, "0", ""},
        {"write-only item the page never reads", 'w', {}, "0", nullptr},
        {"check box read", 'x', {ReadOk}, "1", ""},
        {"check box read failed", 'x', {ReadFails}, nullptr, nullptr},
        {"check box clicked after the failure", 'x', {ReadFails, UserChooses}, "1", nullptr},
        {"edit typed after the failure", 'c', {ReadFails, PageSelects, Typed}, "0", "Roof"},
        {"edit the page wrote", 'c', {ReadFails, PageSelects, Written}, "0", nullptr},
        {"edit the page wrote and chose", 'c', {ReadFails, PageSelects, Marked}, "0", "Roof"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim->knob("set " + level + " 1");
        auto req =
            request({var(E + ".5.4.1", "systemLogSystemLevel", SYN_INTEGER,
                         c.kind == 'w' ? ACC_WRITEONLY : ACC_READWRITE,
                         c.kind == 'x' ? &disableEnable() : &reversed),
                     systemGroup()[5],
                     var(E + ".5.4.2", "systemLogWirelessLevel", SYN_INTEGER, ACC_READWRITE)},
                    SVT_SV, 0, 0);
        auto* combo = new QComboBox(form.get());
        auto* check = new QCheckBox(form.get());
        auto* edit = new CvEdit(form.get());
        c.kind == 'x' ? req->AssociateCheckBox(0, check) : req->AssociateComboBox(0, combo);
        req->AssociateEdit(1, "%s", edit);
        const std::string deviceLocation = sim->value(location);
        for (Step step : c.steps) {
            if (step == ReadFails) sim->knob("fail " + location + " genErr get");
            if (step == DeviceOutsideList) sim->knob("set " + level + " 7");
            if (step == ReadOk || step == ReadFails) {
                EXPECT_EQ(req->Get(), step == ReadOk);
            }
            sim->knob("clear");
            if (step == UserChooses && c.kind == 'x') check->click();
            if (step == UserChooses && c.kind == 'c') {
                combo->setCurrentIndex(0);
                emit combo->activated(0);
            }
            if (step == PageSelects) combo->setCurrentIndex(1);
            if (step == Typed) {
                edit->setText("Roof");
                emit edit->textEdited("Roof");
            }
            if (step == Written || step == Marked) edit->SetText("Roof");
            if (step == Marked) CvSNMPRequest2Edits::MarkChosen(edit);
        }
        std::string result;
        req->request().SetResultRoutine(
            [&](const CvSNMPError& e) { result = std::to_string(e.Code) + " " + e.Message; });
        sim->clearJournal();
        // What is left goes out; the set as a whole fails when anything was left out.
        EXPECT_EQ(req->Set(false, true, ""), c.sent && c.location);
        std::vector<std::string> expected{E + ".5.4.2.0=0"};
        if (c.location)
            expected.insert(expected.begin(),
                            location + "=" + (*c.location ? c.location : deviceLocation));
        if (c.sent) expected.insert(expected.begin(), level + "=" + c.sent);
        EXPECT_EQ(lastSet(), expected);
        EXPECT_EQ(req->Withheld(), !(c.sent && c.location));

        req->VarList.GetItem(1).access = ACC_INVALID;
        req->VarList.GetItem(2).access = ACC_READONLY;
        EXPECT_EQ(req->Set(false, true, ""), c.sent != nullptr);
        EXPECT_EQ(req->Withheld(), !c.sent);
        EXPECT_EQ(sim->sets().size(), c.sent ? 2u : 1u);
        const int code = c.sent ? 0 : CvSNMPRequest2Controls::kUnreadCode;
        EXPECT_EQ(result, std::to_string(code) + " " + CvMessages::text(code));
        // Marks of the page that leave nothing to send: the set goes out empty, as ever.
        req->VarList.GetItem(0).access = ACC_READONLY;
        EXPECT_TRUE(req->Set(false, true, ""));
        EXPECT_TRUE(lastSet().empty() && !req->Withheld());
    }
}

TEST_F(SetTest, HexEdit_SendsTheOctetsOfItsDigits_UnconvertibleTextsAreNeverSent) {
    auto req = request({systemGroup()[5]}, SVT_SV, 0, 0);
    auto* edit = new CvEdit(form.get());
    req->AssociateEdit(0, "%h", edit);
    sim->knob("set 1.3.6.1.2.1.1.6.0 Lab");
    ASSERT_TRUE(req->Get());
    EXPECT_EQ(edit->text(), "4C6162");
    edit->setText("526f6f66");  // typed lower-case hex stays as typed
    ASSERT_TRUE(req->Set(false, true, ""));
    EXPECT_EQ(sim->value("1.3.6.1.2.1.1.6.0"), "Roof");

    const struct {
        const char* format;
        QString text;
        int code;
    } refused[] = {{"%h", "ABC", -510}, {"%s", QString::fromUtf8("Caf\u00e9 \u20ac"), -509}};
    for (const auto& bad : refused) {
        SCOPED_TRACE(bad.format);
        req->AssociateEdit(0, bad.format, edit);
        edit->setText(bad.text);
        sim->clearJournal();
        EXPECT_EQ(thrownCode([&] { req->Set(false, true, ""); }), bad.code);
        EXPECT_TRUE(sim->sets().empty());
    }
}

TEST_F(SetTest, AsyncGetOrSetThatCannotStart_ReturnsFalseThenResultRoutineThenClosure) {
    for (const std::string what : {"get", "set", "unread set"}) {
        SCOPED_TRACE(what);
        const bool isSet = what != "get";
        auto req = request({systemGroup()[5], var(E + ".5.4.1", "systemLogSystemLevel", SYN_INTEGER,
                                                  ACC_READWRITE, &disableEnable())},
                           SVT_SV, 0, 1);
        auto* edit = new CvEdit(form.get());
        req->AssociateEdit(0, "%h", edit);
        req->AssociateComboBox(1, new QComboBox(form.get()));
        edit->setText(what == "set" ? "XYZ" : "");  // no hex: the set cannot be prepared
        if (!isSet) req->request().Settings.address = "no such host!";
        // Left with the combo alone, which no read has filled.
        if (what == "unread set") req->VarList.GetItem(0).access = ACC_READONLY;
        std::vector<std::string> order;
        req->request().SetResultRoutine(
            [&](const CvSNMPError& e) { order.push_back("result " + std::to_string(e.Code)); });
        auto closure = [&](CvSNMPRequest2Controls*, const CvSNMPError& e) {
            order.push_back("closure " + std::to_string(e.Code));
        };
        (isSet ? req->OnAfterSet : req->OnAfterGet) = closure;
        EXPECT_FALSE(isSet ? req->Set(false, true, "") : req->Get());
        EXPECT_TRUE(order.empty()) << "the failure must arrive later, not inside the call";
        ASSERT_TRUE(waitFor([&] { return order.size() == 2; }));
        const std::string code = what == "get"   ? "-407"
                                 : what == "set" ? "-510"
                                                 : std::to_string(req->kUnreadCode);
        EXPECT_EQ(order, (std::vector<std::string>{"result " + code, "closure " + code}));
        EXPECT_FALSE(req->Busy());
    }
}

}  // namespace
}  // namespace bindingtest
