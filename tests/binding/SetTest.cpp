// Writing bound controls to the device: marking, prepare, empty integers, the unsent failures.

#include <QCheckBox>
#include <QComboBox>

#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "tests/binding/BindingFixture.h"

namespace bindingtest {
namespace {

using SetTest = BindingTest;

TEST_F(SetTest, PreparedSet_SendsExactlyTheItemsMarked6) {
    std::vector<CvSNMPVarItem> items = systemGroup();
    items.push_back(var(E + ".5.4.1", "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE));
    auto req = request(items, SVT_SV, 0, 0);
    std::vector<CvEdit*> edits;
    for (int i = 0; i < 6; ++i) {
        edits.push_back(new CvEdit(form.get()));
        req->AssociateEdit(i, "%s", edits.back());
    }
    ASSERT_TRUE(req->Get());
    edits[3]->setText("not to be sent");
    edits[4]->setText("AP-North");
    edits[5]->setText("Roof");
    for (int i = 0; i < req->VarList.Count(); ++i) req->VarList.GetItem(i).access = ACC_READONLY;
    req->VarList.GetItem(3).access = ACC_INVALID;
    req->VarList.GetItem(4).access = ACC_READWRITE;
    req->VarList.GetItem(5).access = ACC_READWRITE;
    // Writable and without a control: an empty integer goes out as 0.
    req->VarList.GetItem(6).access = ACC_READWRITE;
    sim->clearJournal();

    ASSERT_TRUE(req->Set(false, true, ""));
    ASSERT_EQ(sim->sets().size(), 1u);
    EXPECT_EQ(lastSet(), (std::vector<std::string>{"1.3.6.1.2.1.1.5.0=AP-North",
                                                   "1.3.6.1.2.1.1.6.0=Roof", E + ".5.4.1.0=0"}));
    EXPECT_EQ(sim->value("1.3.6.1.2.1.1.5.0"), "AP-North");
}

TEST_F(SetTest, ComboAndCheckBox_SendTheChosenValues) {
    static const CvOptionList reversed{{1, "Enable"}, {0, "Disable"}};
    std::vector<CvSNMPVarItem> items{
        var(E + ".5.4.1", "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE, &reversed),
        var(E + ".5.4.2", "systemLogWirelessLevel", SYN_INTEGER, ACC_READWRITE, &disableEnable()),
        var(E + ".5.4.3", "systemLogNoticeLevel", SYN_INTEGER, ACC_READWRITE, &disableEnable())};
    auto req = request(items, SVT_SV, 0, 0);
    auto* combo = new QComboBox(form.get());
    auto* check = new QCheckBox(form.get());
    auto* unselected = new QComboBox(form.get());
    req->AssociateComboBox(0, combo);
    req->AssociateCheckBox(1, check);
    req->AssociateComboBox(2, unselected);
    combo->setCurrentIndex(1);  // "Disable"
    check->setChecked(true);
    sim->clearJournal();
    ASSERT_TRUE(req->Set(false, true, ""));
    // A combo without a selection sends 0, as an empty integer does.
    EXPECT_EQ(lastSet(),
              (std::vector<std::string>{E + ".5.4.1.0=0", E + ".5.4.2.0=1", E + ".5.4.3.0=0"}));
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
    for (bool isSet : {false, true}) {
        SCOPED_TRACE(isSet ? "set" : "get");
        auto req = request({systemGroup()[5]}, SVT_SV, 0, 1);
        auto* edit = new CvEdit(form.get());
        req->AssociateEdit(0, "%h", edit);
        edit->setText("XYZ");  // no hex: the set cannot be prepared
        if (!isSet) req->request().Settings.address = "no such host!";
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
        const std::string code = isSet ? "-510" : "-407";
        EXPECT_EQ(order, (std::vector<std::string>{"result " + code, "closure " + code}));
        EXPECT_FALSE(req->Busy());
    }
}

}  // namespace
}  // namespace bindingtest
