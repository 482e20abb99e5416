#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include "app/Wait.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Group.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kLoadBalance = E + ".3.2.1.1.1.1";
const std::string kUserLimit = E + ".3.2.1.1.2.1";
const std::string kApply = E + ".4.2.3.0";

bool greyed(QWidget* control) {
    return control->palette().color(QPalette::Base) == control->palette().color(QPalette::Button);
}

}  // namespace

class GroupPage : public PageHarness {
  protected:
    TFM_Group* open() { return openPage(FM_Group); }
};

TEST_F(GroupPage, ApplyWritesBothSettingsThenTheApplyAndRefusesOutOfRange) {
    TFM_Group* page = open();
    EXPECT_TRUE(page->CB_LoadB->isEnabled());
    EXPECT_TRUE(page->Ed_UsrL->isReadOnly()) << "load balance reads Disable";
    EXPECT_TRUE(greyed(page->Ed_UsrL));
    page->CB_LoadB->setCurrentIndex(1);
    emit page->CB_LoadB->activated(1);
    EXPECT_FALSE(page->Ed_UsrL->isReadOnly());
    EXPECT_FALSE(greyed(page->Ed_UsrL));
    expectTidyLayout(page);
    saveScreenshot(page, "user-limit");

    for (const char* refused : {"65", "-1"}) {
        page->Ed_UsrL->setText(refused);
        page->Bt_Apply->click();
        EXPECT_EQ(page->Ed_UsrL->text(), "");
    }
    EXPECT_EQ(boxTexts(), std::vector<QString>(2, "Please input a number between 0 and 64."));
    EXPECT_TRUE(sets().empty());

    page->Bt_Apply->click();  // empty is written as 0
    const auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(oids(log[0]), (std::vector<std::string>{kLoadBalance, kUserLimit}));
    EXPECT_EQ(log[0].vbs[0].value, "1");
    EXPECT_EQ(log[0].vbs[1].value, "0");
    EXPECT_EQ(oids(log[1]), std::vector<std::string>{kApply});
    EXPECT_EQ(sim().events("apply").size(), 1u);
    EXPECT_EQ(status(page), "Setting OK!");
}

TEST_F(GroupPage, RefusedOrUnreadLimitStillAppliesAndOtherModesGreyTheLoadBalance) {
    sim().knob("profile wds");
    sim().knob("fail " + kUserLimit + " wrongValue set");
    TFM_Group* page = open();
    EXPECT_FALSE(page->CB_LoadB->isEnabled());
    EXPECT_TRUE(greyed(page->CB_LoadB));
    page->Ed_UsrL->setText("5");
    page->Bt_Apply->click();
    const auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(oids(log[1]), std::vector<std::string>{kApply});
    EXPECT_EQ(status(page), "Setting Error!");
    EXPECT_TRUE(page->isEnabled());
    for (QWidget* shown : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TFM_Waiting*>(shown), nullptr) << "the waiting dialog is gone";

    sim().knob("fail " + kUserLimit + " genErr get");
    page = open();
    page->Bt_Apply->click();  // an empty field nobody read or typed in is no 0
    ASSERT_EQ(sets().size(), 3u);
    EXPECT_EQ(oids(sets()[2]), std::vector<std::string>{kApply});
    EXPECT_EQ(status(page), unreadText());
}
