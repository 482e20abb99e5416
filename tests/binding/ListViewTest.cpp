// A request bound to a report-style list view: columns, rows, selection and the row a set writes.

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "tests/binding/BindingFixture.h"

namespace bindingtest {
namespace {

std::vector<std::string> steps;
void afterSetHook() {
    steps.push_back("after-set hook");
}
void afterGetHook() {
    steps.push_back("after-get hook");
}

class ListViewTest : public BindingTest {
  protected:
    const std::string entry = E + ".2.1.3.3.2.2.1";

    // A table request over the WEP keys bound to a list view, a label, a combo and an edit.
    std::unique_ptr<CvSNMPRequest2Edits> wepRequest(int mode, bool selectFirst) {
        auto req = request(wepKeys(), MVT_UMV, 2, mode);
        list = new CvListView(form.get());
        keyLabel = new QLabel(form.get());
        method = new QComboBox(form.get());
        key = new CvEdit(form.get());
        req->AssociateListView(list, selectFirst);
        req->AssociateLabel(1, keyLabel);
        req->AssociateComboBox(2, method);
        req->AssociateEdit(3, "%s", key);
        QObject::connect(list, &CvListView::Selected, [this](int row) { selected.push_back(row); });
        return req;
    }

    CvListView* list = nullptr;
    QLabel* keyLabel = nullptr;
    QComboBox* method = nullptr;
    CvEdit* key = nullptr;
    std::vector<int> selected;
};

TEST_F(ListViewTest, TwoKeyTable_BuildsColumnsAndRows_ASelectedRowFillsTheControlsAndIsTheOneSet) {
    auto req = wepRequest(0, false);
    ASSERT_EQ(list->ColumnCount(), 4);
    EXPECT_EQ(list->ColumnTitle(0), "Interface");
    EXPECT_EQ(list->ColumnTitle(3), "WepKey");
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(list->showGrid());

    ASSERT_TRUE(req->Get());
    ASSERT_EQ(list->RowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(list->Caption(row), "1") << "the caption is the first index";
        EXPECT_EQ(list->SubItem(row, 0), QString::number(row + 1)) << "then the second index";
    }
    EXPECT_EQ(list->SubItem(0, 1), "HEX");
    EXPECT_EQ(list->SubItem(1, 1), "ASCII");
    EXPECT_EQ(list->SubItem(1, 2).size(), 5) << "the masked five-character key";
    EXPECT_EQ(list->SelectedRow(), -1) << "no row is selected without the flag";
    EXPECT_TRUE(key->text().isEmpty()) << "a table read fills the list, not the other controls";

    list->SelectRow(2);
    EXPECT_EQ(selected, std::vector<int>{2}) << "a selection by code notifies";
    EXPECT_EQ(keyLabel->text(), "3");
    EXPECT_EQ(method->currentText(), "HEX");
    EXPECT_EQ(key->text().size(), 26);
    EXPECT_EQ(req->SelectedTableRow(), 2);

    method->setCurrentIndex(0);
    key->setText("fghij");
    sim->clearJournal();
    ASSERT_TRUE(req->Set(false, true, ""));
    EXPECT_EQ(lastSet(), (std::vector<std::string>{entry + ".2.1.3=1", entry + ".3.1.3=fghij"}));
}

TEST_F(ListViewTest, SelectFirstRow_SelectsAndLoadsRowZeroAfterEachRead) {
    auto req = wepRequest(0, true);
    ASSERT_TRUE(req->Get());
    EXPECT_EQ(list->SelectedRow(), 0);
    EXPECT_EQ(keyLabel->text(), "1");
    list->SelectRow(3);
    ASSERT_TRUE(req->Get());
    EXPECT_EQ(list->SelectedRow(), 0);
    EXPECT_EQ(selected, (std::vector<int>{0, 3, 0}));
    EXPECT_EQ(list->RowCount(), 4);
}

TEST_F(ListViewTest, SetWithoutSelectedRow_FailsWith515AndSendsNothing) {
    auto req = wepRequest(0, false);
    ASSERT_TRUE(req->Get());
    sim->clearJournal();
    EXPECT_EQ(thrownCode([&] { req->Set(false, true, ""); }), -515);
    list->SelectRow(1);
    list->SelectRow(-1);
    EXPECT_EQ(thrownCode([&] { req->Set(false, true, ""); }), -515) << "a cleared selection";

    req->Mode = 1;
    Completion outcome;
    req->OnAfterSet = recordInto(outcome);
    EXPECT_FALSE(req->Set(false, true, ""));
    ASSERT_TRUE(waitFor([&] { return outcome.count == 1; }));
    EXPECT_EQ(outcome.error.Code, -515);
    EXPECT_TRUE(sim->sets().empty());
}

TEST_F(ListViewTest, SyncSetWithReread_ReadsTheTableAgainAlsoAfterAFailure) {
    auto req = wepRequest(0, false);
    ASSERT_TRUE(req->Get());
    list->SelectRow(3);
    steps.clear();
    req->AfterSetHook = afterSetHook;
    req->AfterGetHook = afterGetHook;
    req->request().SetResultRoutine(
        [](const CvSNMPError& e) { steps.push_back("result " + std::to_string(e.Code)); });
    sim->knob("fail " + entry + ".3 wrongValue set");
    sim->clearJournal();
    EXPECT_FALSE(req->Set(true, true, ""));
    EXPECT_EQ(steps, (std::vector<std::string>{"after-set hook", "result -110", "after-get hook",
                                               "result 0"}));
    EXPECT_FALSE(sim->gets().empty()) << "no re-read reached the device";
    EXPECT_EQ(list->RowCount(), 4);
}

TEST_F(ListViewTest, AsyncSetWithReread_RunsAfterSetThenOneRereadThenAfterGet) {
    auto req = wepRequest(1, true);
    bool read = false;
    req->OnAfterGet = [&](CvSNMPRequest2Controls*, const CvSNMPError&) { read = true; };
    ASSERT_TRUE(req->Get());
    ASSERT_TRUE(waitFor([&] { return read; }));
    list->SelectRow(1);
    key->setText("vwxyz");

    std::vector<std::string> order;
    req->OnAfterSet = [&](CvSNMPRequest2Controls*, const CvSNMPError& e) {
        order.push_back("set " + std::to_string(e.Code));
    };
    req->OnAfterGet = [&](CvSNMPRequest2Controls*, const CvSNMPError& e) {
        order.push_back("get " + std::to_string(e.Code) + " rows " +
                        std::to_string(list->RowCount()));
    };
    sim->clearJournal();
    ASSERT_TRUE(req->Set(true, true, ""));
    ASSERT_TRUE(waitFor([&] { return order.size() >= 2 && !req->Busy(); }));
    // Nothing further may arrive: give queued events a chance, then count.
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"set 0", "get 0 rows 4"}));
    EXPECT_EQ(list->RowCount(), 4) << "rows duplicated";
    EXPECT_EQ(lastSet(), (std::vector<std::string>{entry + ".2.1.2=1", entry + ".3.1.2=vwxyz"}));
}

TEST_F(ListViewTest, AfterSetClosureThatReadsOrDeletesTheRequest_TakesThePlaceOfTheReread) {
    for (bool deletes : {false, true}) {
        SCOPED_TRACE(deletes ? "the closure deletes the request" : "the closure reads");
        auto req = wepRequest(1, true);
        Completion read;
        req->OnAfterGet = recordInto(read);
        ASSERT_TRUE(req->Get());
        ASSERT_TRUE(waitFor([&] { return read.count == 1; }));
        bool setDone = false;
        req->OnAfterSet = [&](CvSNMPRequest2Controls* sender, const CvSNMPError&) {
            setDone = true;
            // The page closes, or reads for itself.
            if (deletes) {
                req.reset();
            } else {
                sender->Get();
            }
        };
        sim->clearJournal();
        ASSERT_TRUE(req->Set(true, true, ""));
        if (deletes) {
            ASSERT_TRUE(waitFor([&] { return setDone; }));
            // A re-read would show up at the device as get-next requests.
            EXPECT_FALSE(waitFor([&] { return !sim->gets().empty(); }, 300));
            EXPECT_EQ(read.count, 1);
        } else {
            ASSERT_TRUE(waitFor([&] { return setDone && read.count == 2 && !req->Busy(); }));
            QCoreApplication::processEvents();
            EXPECT_EQ(read.count, 2) << "the re-read ran beside the page's own read";
            EXPECT_EQ(list->RowCount(), 4);
        }
    }
}

TEST_F(ListViewTest, DestroyedWithAReadInFlight_NoClosureRunsLater) {
    auto req = wepRequest(1, true);
    sim->knob("delay 200");
    bool called = false;
    req->OnAfterGet = [&](CvSNMPRequest2Controls*, const CvSNMPError&) { called = true; };
    ASSERT_TRUE(req->Get());
    req.reset();
    EXPECT_FALSE(waitFor([&] { return called; }, 500));
    EXPECT_EQ(list->RowCount(), 0);
}

TEST_F(ListViewTest, WalkOfADisabledRequest_EndsAtItsNextAnswerAndStillCallsTheClosure) {
    auto req = wepRequest(1, false);
    Completion read;
    req->OnAfterGet = recordInto(read);
    sim->knob("delay 50");
    ASSERT_TRUE(req->Get());
    req->Enabled = false;
    ASSERT_TRUE(waitFor([&] { return read.count == 1; }));
    EXPECT_EQ(read.error.Code, 0);
    EXPECT_LT(list->RowCount(), 4) << "the walk went on after the request was disabled";
    EXPECT_FALSE(req->Busy());
}

TEST_F(ListViewTest, ScalarListView_OneRowWithHiddenColumnsFirstAtWidthZero) {
    std::vector<CvSNMPVarItem> items = systemGroup();
    items[2].access = ACC_INVALID;  // kept out of the read: a hidden column
    auto req = request(items, SVT_SV, 0, 0);
    auto* view = new CvListView(form.get());
    auto* name = new CvEdit(form.get());
    req->AssociateListView(view, false);
    req->AssociateEdit(4, "%s", name);
    ASSERT_EQ(view->ColumnCount(), 6);
    EXPECT_EQ(view->ColumnTitle(0), "systemUpTime");
    EXPECT_EQ(view->columnWidth(0), 0);
    EXPECT_EQ(view->ColumnTitle(1), "systemDescr");
    EXPECT_GT(view->columnWidth(1), 0);

    ASSERT_TRUE(req->Get());
    ASSERT_EQ(view->RowCount(), 1);
    EXPECT_TRUE(view->Caption(0).isEmpty());
    EXPECT_EQ(view->SubItem(0, 0).toStdString(), sim->value("1.3.6.1.2.1.1.1.0"));
    EXPECT_TRUE(name->text().isEmpty());
    view->SelectRow(0);
    EXPECT_EQ(name->text().toStdString(), sim->value("1.3.6.1.2.1.1.5.0"));
}

TEST_F(ListViewTest, CheckBoxes_EveryRowReadComesUncheckedAndTheSpaceKeyTicksTheCurrentRow) {
    auto req = wepRequest(0, false);
    list->SetCheckBoxes(true);
    ASSERT_TRUE(req->Get());
    ASSERT_EQ(list->RowCount(), 4);
    list->SetChecked(2, true);
    list->SelectRow(1);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(list, &space);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(list->Checked(row), row == 1 || row == 2) << row;
    EXPECT_FALSE(list->Checked(4)) << "no such row";

    ASSERT_TRUE(req->Get());
    for (int row = 0; row < 4; ++row) EXPECT_FALSE(list->Checked(row)) << "a read brings new rows";
    list->SetCheckBoxes(false);
    list->SetChecked(0, true);
    EXPECT_FALSE(list->Checked(0)) << "a list without check boxes has no check marks";
}

}  // namespace
}  // namespace bindingtest
