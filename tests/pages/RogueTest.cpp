#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "library/snmp/CvListView.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Rogueap.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string A = "1.3.6.1.4.1.32473.10.37.38.3.4.4";
const std::string kTrigger = A + ".1.0", kValid = A + ".5.0", kNew = A + ".8.0";
const std::string kAllValid = A + ".9.0", kAllRogue = A + ".10.0";

}  // namespace

TEST(RogueSurveyRules, FilterRowTextsAndIndexOfABssid) {
    const std::vector<QStringList> survey = {
        {"1", "6", "0011223344C1", "G", "Office", "2009/05/05", "rogue", "up"},
        {"2", "1", "0011223344C2", "B", "", "2009/05/06", "new", "down"}};
    const auto rogue = rogueShownRows(survey, "rogue");
    ASSERT_EQ(rogue.size(), 1u);
    EXPECT_EQ(rogue[0],
              (QStringList{"rogue", "G", "6", "Office", "0011223344C1", "2009/05/05", "up"}));
    EXPECT_EQ(rogueShownRows(survey, "all").size(), 2u);
    EXPECT_TRUE(rogueShownRows(survey, "Rogue").empty()) << "types compare exactly";
    EXPECT_EQ(rogueSurveyIndex(survey, "0011223344C2"), "2");
    EXPECT_EQ(rogueSurveyIndex(survey, "0011223344C9"), "") << "gone from the survey: no write";
}

class RoguePage : public PageHarness {
  protected:
    TFM_RogueAP* open(const std::string& profile = "") {
        sim().knob("scan 30");
        if (!profile.empty()) sim().knob("profile " + profile);
        return openPage(FM_RogueAP);
    }
    // Presses Detect and waits for the survey it starts.
    static void detect(TFM_RogueAP* page, QPushButton* button = nullptr) {
        page->StatusBar->ShowText("");
        (button ? button : page->Btn_Detect)->click();
        EXPECT_FALSE(page->Btn_Detect->isEnabled()) << "the survey set is disabled meanwhile";
        EXPECT_TRUE(pumpUntil([&] { return status(page) == "Get OK!"; }))
            << status(page).toStdString();
        EXPECT_TRUE(page->Btn_Detect->isEnabled() && page->CB_OperatorType->isEnabled());
    }
    std::vector<std::string> setOids() const {
        std::vector<std::string> found;
        for (const SimSetRecord& set : sets())
            for (const SimVarBind& binding : set.vbs)
                found.push_back(binding.oid + "=" + binding.value);
        return found;
    }
};

TEST_F(RoguePage, DetectFilterAndTheValidRadioOverAFilledOrFilteredList) {
    TFM_RogueAP* page = open();
    EXPECT_EQ(page->AP_UserListView->RowCount(), 0);
    EXPECT_FALSE(page->CheckBox_SelectAll->isEnabled());
    detect(page);
    EXPECT_EQ(setOids(), std::vector<std::string>{kTrigger + "=1"});
    ASSERT_EQ(page->AP_UserListView->RowCount(), 6);
    EXPECT_EQ(page->AP_UserListView->SubItems(0),
              (QStringList{"B", "1", "Neighbour-B", "0011223344C1", "2009/05/05 10:22:31", "up"}));
    EXPECT_TRUE(page->CheckBox_SelectAll->isEnabled());

    page->RB_MarkAllValid->click();
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(page->AP_UserListView->Checked(row),
                  page->AP_UserListView->Caption(row) == "new");
    saveScreenshot(page, "rogue-checked");

    choose(page->CB_OperatorType, 3);
    ASSERT_EQ(page->AP_UserListView->RowCount(), 1);
    EXPECT_EQ(page->AP_UserListView->Caption(0), "rogue");
    EXPECT_FALSE(page->RB_MarkAllValid->isEnabled() || page->RB_MarkAllRogue->isEnabled());
    expectTidyLayout(page);
    saveScreenshot(page, "rogue-filtered");
    detect(page);
    EXPECT_EQ(page->AP_UserListView->RowCount(), 6) << "a new survey shows every row";
    EXPECT_EQ(page->CB_OperatorType->currentText(), "Rogue");

    choose(page->CB_OperatorType, "New");
    ASSERT_EQ(page->AP_UserListView->RowCount(), 2);
    page->RB_MarkAllValid->click();
    sim().clearJournal();
    detect(page, page->Btn_Apply);
    EXPECT_EQ(setOids(), (std::vector<std::string>{kNew + "=1", kNew + "=5", kAllValid + "=1",
                                                   kTrigger + "=1"}))
        << "a new row after a valid one is marked too";
}

TEST_F(RoguePage, MarkingWritesEachCheckedRowsIndexThenSurveysAgain) {
    TFM_RogueAP* page = open();
    for (QPushButton* button : {page->Btn_SetValid, page->Btn_SetNeigh, page->Btn_SetRogue,
                                page->Btn_SetNew, page->Btn_Apply})
        button->click();
    EXPECT_EQ(boxTexts(), std::vector<QString>(5, "No entry click!"));
    EXPECT_EQ(ui().boxes[0].caption, "Waring");
    detect(page);
    page->AP_UserListView->SetChecked(0, true);
    page->AP_UserListView->SetChecked(2, true);
    sim().clearJournal();
    sim().knob("fail " + kValid + " genErr set 1");
    page->Btn_SetValid->click();
    EXPECT_TRUE(pumpUntil([&] { return page->Btn_Detect->isEnabled(); }));
    EXPECT_TRUE(status(page).contains("genErr")) << "the survey covers the refused mark";
    EXPECT_EQ(setOids(), (std::vector<std::string>{kValid + "=1", kValid + "=3", kTrigger + "=1"}));
    EXPECT_EQ(page->AP_UserListView->Caption(2), "valid");
}

TEST_F(RoguePage, SaveSendsTheChosenSwitchAloneThenBothAndAFailureSurveysNothing) {
    sim().knob("fail " + kNew + " genErr get");  // the index written is the survey's, not read
    sim().knob("fail " + kAllRogue + " genErr get");
    TFM_RogueAP* page = open();
    detect(page);
    page->AP_UserListView->SetChecked(3, true);
    sim().clearJournal();
    detect(page, page->Btn_Apply);
    EXPECT_EQ(setOids(),
              (std::vector<std::string>{kNew + "=4", kAllValid + "=1", kTrigger + "=1"}));
    page->AP_UserListView->SetChecked(3, true);
    page->Btn_Apply->click();
    EXPECT_EQ(status(page), unreadText()) << "both switches go now, one never read";

    page->RB_MarkAllRogue->click();
    detect(page, page->Btn_Apply);
    EXPECT_EQ(oids(sets().end()[-2]), std::vector<std::string>{kAllRogue});
    page->AP_UserListView->SetChecked(0, true);
    detect(page, page->Btn_Apply);
    EXPECT_EQ(sets().end()[-2].vbs.size(), 2u) << "a second Save sends both switches";

    page->AP_UserListView->SetChecked(0, true);
    sim().knob("fail " + kAllValid + " genErr set");
    sim().clearJournal();
    page->Btn_Apply->click();
    EXPECT_EQ(status(page), "Set Error!");
    EXPECT_EQ(sets().size(), 2u) << "no new survey";
}

TEST_F(RoguePage, RefusedTriggerKeepsTheRowsAndAnEmptySurveyLeavesSelectAllOff) {
    TFM_RogueAP* page = open();
    detect(page);
    sim().knob("fail " + kTrigger + " genErr set");
    sim().clearJournal();
    page->Btn_Detect->click();
    EXPECT_TRUE(pumpUntil([&] { return page->Btn_Detect->isEnabled(); }));
    EXPECT_TRUE(status(page).contains("genErr")) << status(page).toStdString();
    EXPECT_EQ(page->AP_UserListView->RowCount(), 6);
    EXPECT_TRUE(sim().gets().empty()) << "nothing is walked";

    sim().knob("clear");
    page = open("rogue-empty");
    detect(page);
    EXPECT_FALSE(page->CheckBox_SelectAll->isEnabled());
}

TEST_F(RoguePage, ClosingWhileTheScanHoldsTheTriggerRunsNothingLater) {
    TFM_RogueAP* page = open();
    sim().knob("scan 200");
    page->Btn_Detect->click();
    closePage();
    EXPECT_TRUE(pumpUntil([&] { return !sets().empty() && sets()[0].errorStatus == 0; }));
    // The answer reaches a page that is gone while the next one surveys.
    detect(open());
    EXPECT_EQ(sets().size(), 2u);
}
