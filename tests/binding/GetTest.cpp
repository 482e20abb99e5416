// Reading the device into bound edits, combo boxes, labels and check boxes.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>

#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvStatusBar.h"
#include "tests/binding/BindingFixture.h"

namespace bindingtest {
namespace {

std::vector<std::string> calls;
void beforeGet() {
    calls.push_back("before-get");
}
void afterGet() {
    calls.push_back("after-get");
}

using GetTest = BindingTest;

TEST_F(GetTest, AsyncSystemGroup_FillsSixEditsOnlyAfterTheAnswer) {
    auto req = request(systemGroup(), SVT_SV, 0, 1);
    std::vector<CvEdit*> edits;
    for (int i = 0; i < 6; ++i) {
        edits.push_back(new CvEdit(form.get()));
        // The contact edit limits typing to 32 characters, as the information page does.
        req->AssociateEdit(i, i == 3 ? "%s{l32}" : "%s", edits.back());
    }
    const std::string contact = "contact-of-thirty-three-character";
    ASSERT_EQ(contact.size(), 33u);
    sim->knob("set 1.3.6.1.2.1.1.4.0 " + contact);
    int closures = 0;
    CvSNMPError outcome{-1, ""};
    req->OnAfterGet = [&](CvSNMPRequest2Controls* sender, const CvSNMPError& e) {
        EXPECT_EQ(sender, req.get());
        outcome = e;
        ++closures;
    };

    ASSERT_TRUE(req->Get());
    for (CvEdit* edit : edits) EXPECT_TRUE(edit->text().isEmpty()) << "filled before the answer";
    EXPECT_TRUE(req->Busy());

    ASSERT_TRUE(waitFor([&] { return closures == 1; })) << "no after-get closure";
    EXPECT_EQ(outcome.Code, 0);
    EXPECT_EQ(outcome.Message, "(ViZURU++) Ok!");
    EXPECT_FALSE(req->Busy());
    EXPECT_EQ(edits[0]->text().toStdString(), sim->value("1.3.6.1.2.1.1.1.0"));
    EXPECT_EQ(edits[1]->text().toStdString(), E);
    EXPECT_TRUE(QRegularExpression("^\\d+ days, \\d\\d:\\d\\d:\\d\\d\\.\\d\\d$")
                    .match(edits[2]->text())
                    .hasMatch())
        << edits[2]->text().toStdString();
    EXPECT_EQ(edits[3]->text().toStdString(), contact) << "a long value must be shown whole";
    EXPECT_EQ(edits[4]->text().toStdString(), sim->value("1.3.6.1.2.1.1.5.0"));
    EXPECT_EQ(edits[5]->text().toStdString(), sim->value("1.3.6.1.2.1.1.6.0"));
}

TEST_F(GetTest, SyncGet_RunsHooksThenResultRoutineAndNoClosure) {
    auto req = request(systemGroup(), SVT_SV, 0, 0);
    auto* name = new CvEdit(form.get());
    req->AssociateEdit(4, "%s", name);
    calls.clear();
    req->BeforeGetHook = beforeGet;
    req->AfterGetHook = afterGet;
    req->request().SetResultRoutine([&](const CvSNMPError& e) {
        calls.push_back("result " + std::to_string(e.Code) + " " + e.Message);
    });
    req->OnAfterGet = [&](CvSNMPRequest2Controls*, const CvSNMPError&) {
        calls.push_back("closure");
    };

    ASSERT_TRUE(req->Get());
    EXPECT_EQ(name->text().toStdString(), sim->value("1.3.6.1.2.1.1.5.0"));
    EXPECT_EQ(calls,
              (std::vector<std::string>{"before-get", "after-get", "result 0 (ViZURU++) Ok!"}));
}

TEST_F(GetTest, SilentDevice_SyncGetRunsAfterHookAndResultRoutine_AsyncOnlyTheClosure) {
    sim->knob("silence on");
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode ? "asynchronous" : "synchronous");
        auto req = request(systemGroup(), SVT_SV, 0, mode);
        req->Timeout = 20;
        calls.clear();
        req->AfterGetHook = afterGet;
        req->request().SetResultRoutine(
            [&](const CvSNMPError& e) { calls.push_back("result " + std::to_string(e.Code)); });
        Completion outcome;
        req->OnAfterGet = recordInto(outcome);
        if (mode == 0) {
            EXPECT_FALSE(req->Get());
            EXPECT_EQ(calls, (std::vector<std::string>{"after-get", "result -405"}));
            EXPECT_EQ(outcome.count, 0) << "a synchronous get runs no closure";
        } else {
            ASSERT_TRUE(req->Get());
            ASSERT_TRUE(waitFor([&] { return outcome.count == 1; }));
            EXPECT_EQ(outcome.error.Code, -405);
            EXPECT_TRUE(calls.empty())
                << "hook or result routine ran for a failed asynchronous get";
        }
        EXPECT_TRUE(ui->boxes.empty()) << "SNMP failures are not error lines";
    }
}

TEST_F(GetTest, Combo_FillsInListOrderAndChoosesNothingBeforeARead) {
    static const CvOptionList reversed{{1, "Enable"}, {0, "Disable"}};
    std::vector<CvSNMPVarItem> items{
        var(E + ".5.4.1", "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE, &reversed)};
    auto req = request(items, SVT_SV, 0, 1);
    auto* combo = new QComboBox(form.get());
    combo->addItem("left over from the form");
    req->AssociateComboBox(0, combo);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "Enable");
    EXPECT_EQ(combo->itemText(1), "Disable");
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->currentIndex(), -1) << "nothing is chosen before a read";
}

TEST_F(GetTest, CheckBoxAndLabel_FollowTheValue_IntegerCheckBoxWithoutListIsRefused) {
    std::vector<CvSNMPVarItem> items{
        var(E + ".5.4.2", "systemLogWirelessLevel", SYN_BOOLEAN, ACC_READWRITE),
        var(E + ".5.4.3", "systemLogNoticeLevel", SYN_INTEGER, ACC_READWRITE, &disableEnable()),
        var("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READONLY),
        var(E + ".5.4.1", "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE)};
    auto req = request(items, SVT_SV, 0, 0);
    auto* boolean = new QCheckBox(form.get());
    auto* level = new QLabel(form.get());
    auto* name = new QLabel(form.get());
    req->AssociateCheckBox(0, boolean);
    req->AssociateLabel(1, level);
    req->AssociateLabel(2, name);
    QCheckBox noList;
    EXPECT_EQ(thrownCode([&] { req->AssociateCheckBox(3, &noList); }), -517);
    sim->knob("set " + E + ".5.4.2.0 0");
    sim->knob("set " + E + ".5.4.3.0 1");
    boolean->setChecked(true);
    ASSERT_TRUE(req->Get());
    EXPECT_FALSE(boolean->isChecked());
    EXPECT_EQ(level->text(), "Enable") << "a label shows the option text";
    EXPECT_EQ(name->text().toStdString(), sim->value("1.3.6.1.2.1.1.5.0"));
}

TEST_F(GetTest, BindingUpdate_FiresNoPageHandler) {
    std::vector<CvSNMPVarItem> items = systemGroup();
    items.push_back(
        var(E + ".5.4.1", "systemLogSystemLevel", SYN_INTEGER, ACC_READWRITE, &disableEnable()));
    items.push_back(
        var(E + ".5.4.2", "systemLogWirelessLevel", SYN_INTEGER, ACC_READWRITE, &disableEnable()));
    auto req = request(items, SVT_SV, 0, 0);
    auto* edit = new CvEdit(form.get());
    auto* combo = new QComboBox(form.get());
    auto* check = new QCheckBox(form.get());
    req->AssociateEdit(4, "%s", edit);
    req->AssociateComboBox(6, combo);
    req->AssociateCheckBox(7, check);
    int handlers = 0;
    QObject::connect(edit, &QLineEdit::textEdited, [&] { ++handlers; });
    QObject::connect(combo, &QComboBox::activated, [&] { ++handlers; });
    QObject::connect(check, &QCheckBox::clicked, [&] { ++handlers; });
    sim->knob("set " + E + ".5.4.1.0 1");
    sim->knob("set " + E + ".5.4.2.0 1");

    ASSERT_TRUE(req->Get());
    EXPECT_FALSE(edit->text().isEmpty());
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(handlers, 0);
}

TEST_F(GetTest, DisabledRequest_SendsNothingAndRunsNothing) {
    auto req = request(systemGroup(), SVT_SV, 0, 1);
    calls.clear();
    req->BeforeGetHook = beforeGet;
    req->OnAfterGet = [&](CvSNMPRequest2Controls*, const CvSNMPError&) {
        calls.push_back("closure");
    };
    req->Enabled = false;
    sim->clearJournal();
    EXPECT_FALSE(req->Get());
    EXPECT_FALSE(req->Set(false, true, ""));
    QCoreApplication::processEvents();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(sim->gets().empty());
    EXPECT_TRUE(sim->sets().empty());
}

TEST_F(GetTest, SyncAnswerAControlCannotTake_ThrowsAndWritesNoLogLine) {
    std::vector<CvSNMPVarItem> items{
        var("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE, &disableEnable())};
    auto req = request(items, SVT_SV, 0, 0);
    CvStatusBar bar;
    req->SetLogTarget(&bar);
    req->AssociateCheckBox(0, new QCheckBox(form.get()));
    EXPECT_EQ(thrownCode([&] { req->Get(); }), -516);
    EXPECT_TRUE(bar.ShownText().isEmpty());
}

}  // namespace
}  // namespace bindingtest
