// The status bar's text rule and the edit's check on leaving, without a device.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <memory>

#include "library/common/CvEditConstraint.h"
#include "library/common/CvException.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "platform/Ui.h"

namespace {

class ControlsTest : public testing::Test {
  protected:
    void SetUp() override { ui = platform::ScriptedUi::install(); }
    void TearDown() override { platform::installUi(nullptr); }
    platform::ScriptedUi* ui = nullptr;
};

TEST_F(ControlsTest, StatusBar_TextGoesToSimpleTextOrPanelZeroAndLongTextDoesNotWidenIt) {
    const QString line =
        "Get: (ViZURU++) The answer has an unexpected type! Request:systemDescr, systemObjectID, "
        "systemUpTime, systemContact, systemName, systemLocation. Receive at 09:08:07.";
    CvStatusBar simple;
    simple.ShowText("Set OK!");
    EXPECT_EQ(simple.SimpleText(), "Set OK!");
    const int simpleWidth = simple.minimumSizeHint().width();
    simple.ShowText(line);
    EXPECT_EQ(simple.minimumSizeHint().width(), simpleWidth);
    EXPECT_EQ(simple.SimpleText(), line) << "the text itself is kept whole";

    CvStatusBar panels;
    panels.AddPanel(120);
    panels.AddPanel();
    const int panelsWidth = panels.minimumSizeHint().width();
    panels.ShowText(line);
    EXPECT_EQ(panels.minimumSizeHint().width(), panelsWidth);
    EXPECT_EQ(panels.PanelText(0), line);
    EXPECT_EQ(panels.ShownText(), line);
    EXPECT_TRUE(panels.PanelText(1).isEmpty());
    EXPECT_TRUE(panels.PanelText(7).isEmpty());
}

TEST_F(ControlsTest, Edit_ProgramTextIsNeverCutAndIsCheckedOnlyOnceEdited) {
    CvEdit edit;
    edit.SetConstraint(std::make_shared<const CvEditConstraint>("%s{l32}"));
    const QString longText(33, QLatin1Char('c'));
    edit.SetText(longText);
    EXPECT_EQ(edit.text(), longText);
    EXPECT_EQ(edit.maxLength(), 32767) << "a maximum length would cut device values";
    EXPECT_EQ(edit.cursorPosition(), 0) << "a long device value must show its start, not its end";

    // A device value outside the rule is left alone until the user edits it.
    CvEdit ranged;
    ranged.SetConstraint(std::make_shared<const CvEditConstraint>("%i{n1x10}"));
    ranged.SetText("20");
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&ranged, &leave);
    EXPECT_TRUE(ui->boxes.empty()) << "a device value was checked before the user edited it";
    ranged.setModified(true);
    QApplication::sendEvent(&ranged, &leave);
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].caption, "Warning");
    EXPECT_EQ(ui->boxes[0].text, "(CvCommon) The value must be between 1 and 10!");
    EXPECT_FALSE(ranged.CheckOnLeave());
    ranged.SetText("7");
    EXPECT_TRUE(ranged.CheckOnLeave());
    EXPECT_EQ(ui->boxes.size(), 2u);
}

TEST_F(ControlsTest, ListView_SelectionNotifiesOncePerNewRowAndNotForClearing) {
    CvListView list;
    list.AddColumn("Index", 50);
    list.AddColumn("Name", 0);
    list.AddRow("1", {"a"}, 10);
    list.AddRow("2", {"b", "extra"}, 11);
    EXPECT_EQ(list.ColumnCount(), 3) << "a longer row widens the list";
    std::vector<int> rows;
    QObject::connect(&list, &CvListView::Selected, [&](int row) { rows.push_back(row); });
    list.SelectRow(1);
    list.SelectRow(1);
    list.SelectRow(-1);
    list.SelectRow(0);
    EXPECT_EQ(rows, (std::vector<int>{1, 0}));
    EXPECT_EQ(list.RowTag(1), 11);
    EXPECT_EQ(list.SubItems(1), (QStringList{"b", "extra"}));
    EXPECT_EQ(list.columnWidth(1), 0);
}

// Delivers one typed character as the keyboard would.
void type(QLineEdit& edit, QChar c) {
    QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    QApplication::sendEvent(&edit, &press);
}

TEST_F(ControlsTest, BoundMacEdit_TakesTwelveHexDigitsOnly) {
    CvSNMPRequest2Edits req(nullptr);
    CvSNMPVarItem mac;
    mac.oid = "1.3.6.1.4.1.32473.10.37.38.2.1.3.3.2.3.3.1.2";
    mac.name = "MAC";
    mac.syntax = SYN_MACADDRESS;
    mac.access = ACC_READWRITE;
    req.VarList = CvSNMPVarList(std::vector<CvSNMPVarItem>{mac}, MVT_UMV, 0);
    CvEdit edit;
    req.AssociateEdit(0, "%h", &edit);
    req.AssociateEdit(0, "%h", &edit);
    EXPECT_EQ(edit.findChildren<CvEditFilter*>().size(), 1) << "binding again stacked filters";
    for (QChar c : QString("00aaBBccDDeeF")) type(edit, c);
    type(edit, 'g');
    EXPECT_EQ(edit.text(), "00aaBBccDDee");
    EXPECT_EQ(ui->beeps, 2) << "the thirteenth digit and the g are refused";
}

}  // namespace
