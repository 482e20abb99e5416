// Error lines of asynchronous answers: panel 0, simple text or a box named after the program.

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvStatusBar.h"
#include "platform/Environment.h"
#include "tests/binding/BindingFixture.h"

namespace bindingtest {
namespace {

class LogTargetTest : public BindingTest {
  protected:
    // systemName and systemLocation are texts; a check box cannot show either.
    std::unique_ptr<CvSNMPRequest2Edits> unfitRequest() {
        std::vector<CvSNMPVarItem> items{
            var("1.3.6.1.2.1.1.5", "systemName", SYN_DISPLAYSTRING, ACC_READWRITE,
                &disableEnable()),
            var("1.3.6.1.2.1.1.6", "systemLocation", SYN_DISPLAYSTRING, ACC_READWRITE),
            var("1.3.6.1.2.1.1.4", "systemContact", SYN_DISPLAYSTRING, ACC_INVALID)};
        auto req = request(items, SVT_SV, 0, 1);
        req->AssociateCheckBox(0, new QCheckBox(form.get()));
        req->OnAfterGet = recordInto(outcome);
        ui->clock = QDateTime(QDate(2026, 3, 4), QTime(9, 8, 7));
        return req;
    }

    Completion outcome;
    const std::string expected =
        "Get: (ViZURU++) The answer has an unexpected type! Request:systemName, systemLocation. "
        "Receive at 09:08:07.";
};

TEST_F(LogTargetTest, AnswerAControlCannotTake_WritesTheLineToPanelZeroSimpleTextOrABox) {
    for (int panels : {2, 0, -1}) {  // -1: no log target
        SCOPED_TRACE(panels);
        ui->boxes.clear();
        outcome = Completion{};
        auto req = unfitRequest();
        CvStatusBar bar;
        for (int i = 0; i < panels; ++i) bar.AddPanel(100);
        if (panels >= 0) req->SetLogTarget(&bar);
        ASSERT_TRUE(req->Get());
        ASSERT_TRUE(waitFor([&] { return outcome.count == 1; }));
        EXPECT_EQ(outcome.error.Code, -516) << "the closure learns of the failure too";
        if (panels > 0) {
            EXPECT_EQ(bar.PanelText(0).toStdString(), expected);
            EXPECT_TRUE(bar.PanelText(1).isEmpty());
        } else if (panels == 0) {
            EXPECT_EQ(bar.SimpleText().toStdString(), expected);
        } else {
            ASSERT_EQ(ui->boxes.size(), 1u);
            EXPECT_EQ(ui->boxes[0].caption.toStdString(), platform::programFileName());
            EXPECT_EQ(ui->boxes[0].text.toStdString(), expected);
        }
        if (panels >= 0) {
            EXPECT_TRUE(ui->boxes.empty()) << "a log target gets the line, not a box";
        }
    }
}

TEST_F(LogTargetTest, LineFromAReplacedMessageFile_KeepsItsEightBitCharacters) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath("snmp.msg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Lecture : [ERROR] Requ\xeate : [VARLIST] \xe0 [TIME].\n");
    file.close();
    CvMessages::loadFolder(folder.path().toStdString());
    auto req = unfitRequest();
    CvStatusBar bar;
    req->SetLogTarget(&bar);
    ASSERT_TRUE(req->Get());
    ASSERT_TRUE(waitFor([&] { return outcome.count == 1; }));
    CvMessages::resetToBuiltIn();
    EXPECT_EQ(bar.SimpleText().toStdString(),
              QString::fromLatin1("Lecture : (ViZURU++) The answer has an unexpected type! "
                                  "Requ\xeate : systemName, systemLocation \xe0 09:08:07.")
                  .toStdString());
}

TEST_F(LogTargetTest, RequestDeletedWhileItsErrorBoxIsOpen_RunsNothingFurther) {
    auto req = unfitRequest();
    int hooks = 0;
    static int* hookCount = nullptr;
    hookCount = &hooks;
    req->AfterGetHook = [] { ++*hookCount; };
    // The page lets the request go while the box is up, as closing it from another answer would.
    ui->onBox = [&](const platform::BoxRecord&) { req.reset(); };
    ASSERT_TRUE(req->Get());
    ASSERT_TRUE(waitFor([&] { return !req; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(outcome.count, 0) << "the closure ran for a deleted request";
    EXPECT_EQ(hooks, 0);
}

TEST_F(LogTargetTest, AnswerOfAnotherTypeThanTheItem_WritesTheLineAndKeepsTheEdit) {
    // The device answers systemName with a text where the item expects an address.
    std::vector<CvSNMPVarItem> items{
        var("1.3.6.1.2.1.1.5", "systemName", SYN_IPADDRESS, ACC_READWRITE)};
    auto req = request(items, SVT_SV, 0, 1);
    auto* edit = new CvEdit(form.get());
    edit->SetText("10.0.0.1");
    req->AssociateEdit(0, "%s", edit);
    req->OnAfterGet = recordInto(outcome);
    CvStatusBar bar;
    req->SetLogTarget(&bar);
    ui->clock = QDateTime(QDate(2026, 3, 4), QTime(9, 8, 7));
    ASSERT_TRUE(req->Get());
    ASSERT_TRUE(waitFor([&] { return outcome.count == 1; }));
    EXPECT_EQ(outcome.error.Code, -516);
    EXPECT_EQ(bar.SimpleText().toStdString(),
              "Get: (ViZURU++) The answer has an unexpected type! Request:systemName. Receive at "
              "09:08:07.");
    EXPECT_EQ(edit->text().toStdString(), "10.0.0.1");
}

TEST_F(LogTargetTest, FailingRereadAfterSet_WritesTheSetLine) {
    // A check box over the key column: the masked key text is no number.
    std::vector<CvSNMPVarItem> items = wepKeys();
    items[3].options = &disableEnable();
    auto req = request(items, MVT_UMV, 2, 1);
    auto* list = new CvListView(form.get());
    req->AssociateListView(list, false);
    req->AssociateCheckBox(3, new QCheckBox(form.get()));
    CvStatusBar bar;
    req->SetLogTarget(&bar);
    ui->clock = QDateTime(QDate(2026, 3, 4), QTime(23, 59, 58));
    int reads = 0;
    req->OnAfterGet = [&](CvSNMPRequest2Controls*, const CvSNMPError&) { ++reads; };
    ASSERT_TRUE(req->Get());
    ASSERT_TRUE(waitFor([&] { return reads == 1; }));
    ASSERT_EQ(list->RowCount(), 4) << "list cells take any text";

    list->SelectRow(0);  // the user's selection: its failure is logged, not thrown
    EXPECT_EQ(bar.SimpleText().toStdString(),
              "Get: (ViZURU++) The answer has an unexpected type! Request:Method, WepKey. "
              "Receive at 23:59:58.");

    req->AssociateListView(list, true);
    bool setDone = false;
    req->OnAfterSet = [&](CvSNMPRequest2Controls*, const CvSNMPError& e) {
        EXPECT_EQ(e.Code, 0);
        setDone = true;
    };
    ASSERT_TRUE(req->Set(true, false, ""));
    ASSERT_TRUE(waitFor([&] { return setDone && reads == 2; }));
    EXPECT_EQ(bar.SimpleText().toStdString(),
              "Set: (ViZURU++) The answer has an unexpected type! Request:Method, WepKey. "
              "Receive at 23:59:58.");
}

}  // namespace
}  // namespace bindingtest
