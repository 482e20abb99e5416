#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidgetItem>
#include <algorithm>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Scheduling.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string R = "1.3.6.1.4.1.32473.10.37.38.4.11.1.1";
std::string column(int column, int row) {
    return R + "." + std::to_string(column) + "." + std::to_string(row);
}
using Oids = std::vector<std::string>;

}  // namespace

TEST(ScheduleRules, DaysTimesAndListTexts) {
    const DayBoxes sunMonSat = {true, true, false, false, false, false, true};
    EXPECT_EQ(TFM_Scheduling::DayBoxesToText(sunMonSat), "1000011");
    EXPECT_EQ(TFM_Scheduling::DayTextToBits("1000011"), 67);
    EXPECT_EQ(TFM_Scheduling::BitsToDayText(67), "1000011");
    EXPECT_EQ(TFM_Scheduling::DayNames("1000011"), "Sat Mon Sun");
    EXPECT_EQ(TFM_Scheduling::DayNames("100001"), "") << "only a 7-character text has names";
    DayBoxes days{};
    EXPECT_TRUE(TFM_Scheduling::DayTextToBoxes("1000011", days));
    EXPECT_EQ(days, sunMonSat);
    EXPECT_EQ(scheduleRuleTexts("N", "0", "Disable", " 08:00", "17:30 ", "On"),
              (QStringList{"N", "", "08:00-17:30", "On"}));
    EXPECT_EQ(scheduleRuleTexts("N", "127", "Enable", "", "", "Off")[1], "All Week");

    const ScheduleTimeCheck padded = checkScheduleTimes({"7", "5", "24", "60"});
    EXPECT_EQ(padded.refusedEdit, -1);
    EXPECT_EQ(padded.padded, (std::array<QString, 4>{"07", "05", "24", "60"}));
    const ScheduleTimeCheck late = checkScheduleTimes({"1", "61", "25", ""});
    EXPECT_EQ(late.refusedEdit, 2) << "the end hour is checked before the minutes";
    EXPECT_EQ(late.message, "Invalid Hour!");
    EXPECT_EQ(checkScheduleTimes({"1", "61", "2", "3"}).message, "Invalid Minute!");
    EXPECT_ANY_THROW(checkScheduleTimes({"x", "1", "2", "3"}));
    EXPECT_EQ(scheduleAddItems(true), (std::vector<int>{1, 2, 3, 6, 7}));
}

class SchedulePage : public PageHarness {
  protected:
    TFM_Scheduling* open() {
        TFM_Scheduling* page = openPage(FM_Scheduling);
        settle(page);
        return page;
    }
    // Waits until every set and read has ended with the table read again.
    static void settle(TFM_Scheduling* page) {
        EXPECT_TRUE(pumpUntil([&] {
            return !page->reqScheduleTable->Busy() && !page->reqScheduleDelete->Busy() &&
                   page->StatusBar->PanelText(0) == "Get OK!";
        })) << page->StatusBar->PanelText(0).toStdString();
    }
    static void fillRule(TFM_Scheduling* page, const QString& name, const QString& times) {
        page->Ed_ScheduleName->setText(name);
        const QStringList parts = times.split(' ');
        CvEdit* edits[] = {page->Ed_StartHour, page->Ed_StartMinute, page->Ed_EndHour,
                           page->Ed_EndMinute};
        for (int i = 0; i < 4; ++i) edits[i]->setText(parts.value(i));
    }
    static void click(QAbstractButton* button) { button->click(); }
    // The node statuses the device holds, rows 1 to 4.
    std::string nodeStatuses() {
        std::string statuses;
        for (int row = 1; row <= 4; ++row) statuses += sim().value(column(9, row));
        return statuses;
    }
    static bool marked(TFM_Scheduling* page, int row) {
        const QTableWidgetItem* caption = page->User_ListView->item(row, 0);
        return caption && caption->icon().cacheKey() == page->ImageList1[1].cacheKey();
    }
};

TEST_F(SchedulePage, AddChecksWritesOneRulePduMarksItAndAFullListRewritesTheSelectedRule) {
    TFM_Scheduling* page = open();
    ASSERT_EQ(page->FRuleCount, 2);
    expectTidyLayout(page);
    saveScreenshot(page, "schedule-on");
    fillRule(page, "Evening", "25 5 17 30");
    for (QCheckBox* day : {page->CheckBox_Sun, page->CheckBox_Mon, page->CheckBox_Sat})
        day->setChecked(true);
    click(page->Btn_Add);
    EXPECT_EQ(boxTexts(), std::vector<QString>{"Invalid Hour!"});
    EXPECT_EQ(page->Ed_StartHour->text(), "");
    EXPECT_EQ(page->focusWidget(), page->Ed_StartHour);
    sim().clearJournal();
    page->Ed_StartHour->setText("7");
    click(page->Btn_Add);
    settle(page);

    auto log = sets();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(oids(log[0]), Oids{column(8, 1)}) << "the switch goes first";
    EXPECT_EQ(oids(log[1]), (Oids{column(9, 1), column(9, 2), column(9, 3), column(9, 4)}));
    EXPECT_EQ(oids(log[2]), (Oids{column(2, 3), column(3, 3), column(4, 3), column(5, 3),
                                  column(6, 3), column(7, 3), column(9, 3)}));
    EXPECT_EQ(log[2].vbs[1].value, "67");
    EXPECT_EQ(log[2].vbs[3].value, "07:05");
    EXPECT_EQ(page->User_ListView->SubItem(2, 0), "Sat Mon Sun");
    EXPECT_EQ(nodeStatuses(), "0010");
    EXPECT_TRUE(marked(page, 2));

    fillRule(page, "Always", "");
    click(page->CheckBox_AllDay);
    click(page->RB_Week);
    click(page->Btn_Add);
    settle(page);
    EXPECT_EQ(oids(sets().back()),
              (Oids{column(2, 4), column(3, 4), column(4, 4), column(7, 4), column(9, 4)}));
    EXPECT_EQ(page->User_ListView->SubItems(3),
              (QStringList{"All Week", "All Day(s) - 24hrs", "Off"}));
    EXPECT_FALSE(page->Btn_Add->isEnabled()) << "four rules leave no room for a new one";
    page->User_ListView->SelectRow(1);
    ASSERT_TRUE(page->Btn_Add->isEnabled());
    click(page->Btn_Add);
    settle(page);
    EXPECT_EQ(oids(sets().back())[0], column(2, 2)) << "the selected rule is rewritten";
}

TEST_F(SchedulePage, DayValuesListAndLoadIntoTheEditorAndDeleteNeedsASelectedRule) {
    sim().knob("profile sched-days");
    TFM_Scheduling* page = open();
    CvListView* rules = page->User_ListView;
    EXPECT_EQ(rules->SubItem(0, 0), "Sat Mon Sun");
    EXPECT_EQ(rules->SubItem(1, 0), "");
    EXPECT_EQ(rules->SubItem(2, 0), "All Week");
    page->Btn_DelClick();
    EXPECT_TRUE(ui().boxes.empty() && sets().empty()) << "Delete needs a selected rule";

    rules->SelectRow(2);
    EXPECT_TRUE(page->RB_Week->isChecked() && page->CheckBox_AllDay->isChecked());
    for (QCheckBox* day : {page->CheckBox_Sun, page->CheckBox_Wed, page->CheckBox_Sat})
        EXPECT_TRUE(day->isChecked() && !day->isEnabled());
}

TEST_F(SchedulePage, RowsFollowTheirInstancesAcrossAHoleAndDeleteRemarksTheLastListedRule) {
    sim().knob("profile sched-hole");
    sim().knob("holes on");
    TFM_Scheduling* page = open();
    page->User_ListView->SelectRow(0);  // "Weekend", row 2
    fillRule(page, "Sunday", "");
    click(page->Btn_Add);
    settle(page);
    EXPECT_EQ(oids(sets().back())[0], column(2, 2));
    EXPECT_EQ(sim().value(column(2, 2)), "Sunday");

    page->User_ListView->SelectRow(1);  // "Night", row 3
    click(page->Btn_Apply);
    settle(page);
    EXPECT_EQ(oids(sets().back()), Oids{column(9, 3)}) << "Save marks the rule's own row";

    fillRule(page, "New", "1 0 2 0");
    click(page->CheckBox_Tue);
    click(page->Btn_Add);
    settle(page);
    EXPECT_EQ(oids(sets().back())[0], column(2, 1)) << "the hole is the first free row";

    page->User_ListView->SelectRow(1);  // "Sunday", row 2
    sim().clearJournal();
    sim().knob("delay 200 " + R + ".10 set");
    click(page->Btn_Del);
    EXPECT_EQ(page->StatusBar->PanelText(0), "") << "an OK text before the delete's answer";
    settle(page);
    EXPECT_EQ(oids(sets().at(0)), Oids{column(10, 2)});
    EXPECT_EQ(page->User_ListView->RowCount(), 2) << "a row was lost or duplicated";
    EXPECT_EQ(nodeStatuses(), "0010") << "the last listed rule is marked";
    EXPECT_TRUE(marked(page, 1));
}

TEST_F(SchedulePage, SaveWritesTheSwitchAndMarksOnlyASelectedRule) {
    TFM_Scheduling* page = open();
    const auto walks = [&] {
        const auto gets = sim().gets();
        return std::count_if(gets.begin(), gets.end(),
                             [](auto& get) { return get.vbs[0].oid.rfind(R + ".2", 0) == 0; });
    };
    const auto walksBefore = walks();
    click(page->Btn_Apply);
    EXPECT_EQ(page->StatusBar->PanelText(0), "Set OK!");
    settle(page);
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(oids(sets()[0]), Oids{column(8, 1)});
    EXPECT_GT(walks(), walksBefore) << "the table is read again";

    // Clear, and the switch turned off and on, ready the free row for a new rule; the rule still
    // selected in the list is the one Save marks, and an Add pressed before the read that follows
    // still writes the free row.
    page->User_ListView->SelectRow(0);
    click(page->Btn_Clear);
    fillRule(page, "Night", "22 0 23 30");
    click(page->CheckBox_Sun);
    sim().clearJournal();
    click(page->Btn_Apply);
    click(page->Btn_Add);
    settle(page);
    const auto log = sets();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(oids(log[2]), Oids{column(9, 1)}) << "marked after Clear";
    EXPECT_EQ(oids(log[5])[0], column(2, 3)) << "the new rule goes to the free row";
    EXPECT_EQ(sim().value(column(2, 1)) + "," + sim().value(column(2, 3)), "Office,Night");
    page->User_ListView->SelectRow(1);
    click(page->CheckBox_SchEnable);
    click(page->CheckBox_SchEnable);
    sim().knob("delay 200 " + R + ".9 set");
    click(page->Btn_Apply);
    EXPECT_EQ(page->StatusBar->PanelText(0), "") << "an OK text before the mark's answer";
    settle(page);
    EXPECT_EQ(oids(sets().back()), Oids{column(9, 2)}) << "marked after the switch went off and on";
    EXPECT_EQ(nodeStatuses(), "0100");
    EXPECT_TRUE(marked(page, 1));
}

TEST_F(SchedulePage, RefusedSetsAreReportedOverReReadsTheNextAddCarriesTheRuleNoUnreadSwitch) {
    TFM_Scheduling* page = open();
    // Each text stays once the sets and reads the button started have ended.
    const auto pressShowsRefusal = [&](QAbstractButton* button, int row) {
        page->User_ListView->SelectRow(row);
        page->StatusBar->ShowText("");
        click(button);
        return pumpUntil([&] {
                   return !page->reqScheduleTable->Busy() && !page->reqScheduleDelete->Busy();
               }) &&
               page->StatusBar->PanelText(0).contains("genErr");
    };
    // A refused switch, mark or delete: "Set OK!", "Delete OK!" and the re-read's "Get OK!" give
    // way to the failure.
    sim().knob("fail " + R + ".8 genErr set 1");
    EXPECT_TRUE(pressShowsRefusal(page->Btn_Apply, -1));
    sim().knob("fail " + R + ".9 genErr set 2");
    EXPECT_TRUE(pressShowsRefusal(page->Btn_Apply, 0));
    sim().knob("fail " + R + ".10 genErr set 1");
    EXPECT_TRUE(pressShowsRefusal(page->Btn_Del, 1));
    // A refused Add ends under its failure, not under "Adding schedule!".
    sim().knob("fail " + R + ".2 genErr set 1");
    EXPECT_TRUE(pressShowsRefusal(page->Btn_Add, 0));
    // A refused switch with a rule selected: nor do the mark's "Add OK!" and its failed re-read.
    sim().knob("fail " + R + ".8 genErr set 1");
    sim().knob("fail " + R + ".2 genErr get 1");
    EXPECT_TRUE(pressShowsRefusal(page->Btn_Apply, 0));
    EXPECT_EQ(nodeStatuses(), "1000") << "the mark still goes out";
    page->User_ListView->SelectRow(-1);
    click(page->Btn_Apply);
    settle(page);
    ASSERT_EQ(page->User_ListView->RowCount(), 2) << "the read after a refused mark lost names";

    // No read follows a refused mark: the editor keeps the new rule readied by Clear, and the
    // next Add carries the whole rule to the free row.
    page->User_ListView->SelectRow(0);
    click(page->Btn_Clear);
    fillRule(page, "Night", "");
    click(page->CheckBox_Sun);
    click(page->CheckBox_AllDay);
    page->CB_Wireless->setCurrentIndex(1);
    sim().knob("fail " + R + ".9 genErr set 2");
    click(page->Btn_Apply);
    ASSERT_TRUE(pumpUntil([&] { return !page->reqScheduleTable->Busy(); }));
    click(page->Btn_Add);
    settle(page);
    EXPECT_EQ(oids(sets().back()),
              (Oids{column(2, 3), column(3, 3), column(4, 3), column(7, 3), column(9, 3)}));
    EXPECT_EQ(sim().value(column(2, 1)) + "," + sim().value(column(2, 3)) + "," +
                  sim().value(column(7, 3)),
              "Office,Night,1");
    fillRule(page, "Late", "ab 0 1 0");
    click(page->CheckBox_Fri);
    sim().clearJournal();
    click(page->Btn_Add);
    EXPECT_EQ(ui().boxes.back().caption, "Error");
    EXPECT_EQ(sets().size(), 1u) << "only the switch goes out";

    // The switch is a cell of the rule table: its read at opening and the walk both fail.
    sim().knob("fail " + column(8, 1) + " genErr get 2");
    page = openPage(FM_Scheduling);
    ASSERT_TRUE(pumpUntil([&] { return !page->reqScheduleTable->Busy(); }));
    click(page->Btn_Apply);
    EXPECT_EQ(page->StatusBar->PanelText(0), unreadText());
    EXPECT_EQ(sets().size(), 1u) << "the schedule would be switched off";

    // Without the rule table an Add has no row to write and sends nothing, node statuses included.
    sim().knob("fail " + R + ".2 genErr get");
    page = openPage(FM_Scheduling);
    ASSERT_TRUE(pumpUntil([&] { return !page->reqScheduleTable->Busy(); }));
    fillRule(page, "Night", "1 0 2 0");
    click(page->CheckBox_Sun);
    click(page->Btn_Add);
    EXPECT_EQ(page->StatusBar->PanelText(0), unreadText());
    EXPECT_EQ(sets().size(), 1u);
}

TEST_F(SchedulePage, WirelessClientGreysTheSwitchAndEveryFieldWithoutFocus) {
    sim().knob("profile client");
    sim().knob("delay 300 " + R + " get");  // opening while the walk is held
    TFM_Scheduling* page = open();
    EXPECT_EQ(page->FRuleCount, 2);
    EXPECT_FALSE(page->CheckBox_SchEnable->isEnabled() || page->CheckBox_SchEnable->isChecked());
    for (QWidget* field : std::initializer_list<QWidget*>{page->Ed_ScheduleName, page->CheckBox_Mon,
                                                          page->Ed_EndMinute, page->CB_Wireless,
                                                          page->User_ListView, page->Btn_Add})
        EXPECT_FALSE(field->isEnabled());
    EXPECT_NE(page->focusWidget(), page->CheckBox_SchEnable);
    saveScreenshot(page, "schedule-off");

    // The page forces a client's switch off itself, so Save writes it though its reads failed.
    sim().knob("fail " + column(8, 1) + " genErr get 2");
    page = openPage(FM_Scheduling);
    ASSERT_TRUE(pumpUntil([&] { return !page->reqScheduleTable->Busy(); }));
    click(page->Btn_Apply);
    EXPECT_EQ(valuesSentTo(column(8, 1)), std::vector<std::string>{"0"});
}
