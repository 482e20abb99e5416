#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <string>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvSNMPRequest2Controls.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Vlansetting.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string E = "1.3.6.1.4.1.32473.10.37.38";
const std::string kStatus = E + ".3.6.1.1.0";
const std::string kPvidAuto = E + ".3.6.2.1.0";
const std::string kPvidMgmt = E + ".3.6.2.2.1.2.1";
const std::string kRefresh = E + ".3.6.3.1.0";
const std::string G = E + ".3.6.1.3.1";
enum { kVlanList, kPortList, kEdit, kPvid };

// The columns of a group VLAN list set and the row it wrote ("" when they differ).
std::pair<std::vector<int>, std::string> columnsAndRow(const SimSetRecord& set) {
    std::vector<int> columns;
    std::string row;
    for (const SimVarBind& binding : set.vbs) {
        const std::string rest = binding.oid.substr(G.size() + 1);
        columns.push_back(std::stoi(rest.substr(0, rest.find('.'))));
        row = rest.substr(rest.find('.') + 1);
    }
    return {columns, row};
}

std::vector<int> range(int first, int last) {
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n) numbers.push_back(n);
    return numbers;
}

}  // namespace

// ---- Rules --------------------------------------------------------------------------------

TEST(VlanRules, ListTextsChecksAndMembers) {
    QStringList cells(kVlanPortCount, "none");
    cells[0] = cells[11] = cells[6] = "untag";  // Mgmt, W-2 and the hidden S-4
    cells[1] = "tag";
    const VlanPortTexts texts = vlanPortTexts(cells);
    EXPECT_EQ(texts.untag, "Mgmt,W-2");
    EXPECT_EQ(texts.tag, "LAN");

    for (const char* bad : {"0", "4095", "", "x", "1x"}) EXPECT_FALSE(isVlanIdInRange(bad)) << bad;
    EXPECT_TRUE(isVlanIdInRange("1") && isVlanIdInRange("4094"));
    EXPECT_FALSE(isListedVlanId({"1", "5"}, "05"));
    EXPECT_EQ(vlanMemberValue(false, true, false, 0), 1);
    EXPECT_EQ(vlanMemberValue(false, false, true, 2), 0);
    EXPECT_EQ(vlanMemberValue(false, false, false, 1), 1) << "no radio keeps the loaded value";
    EXPECT_FALSE(vlanEditingEnabled(1, 1)) << "a dynamic mode allows no editing";

    using R = VlanRefusal;
    EXPECT_EQ(planVlanSave("x", "", true, true, false), R::Vid);
    EXPECT_EQ(planVlanSave("5", "", true, false, true), R::Duplicate);
    EXPECT_EQ(planVlanSave("5", "", true, true, false), R::None) << "an edit keeps its VID";
    EXPECT_EQ(planVlanSave("6", "six", false, false, false), R::Full);
    EXPECT_EQ(planVlanSave("6", "", false, false, true), R::Name);
}

// ---- The page against the simulated device ----------------------------------------------

class VlanPage : public PageHarness {
  protected:
    TFM_VlanSetting* open() {
        TFM_VlanSetting* page = openPage(FM_VlanSetting);
        EXPECT_TRUE(settled(page));
        sim().clearJournal();  // opening tells the device to rebuild its port list
        return page;
    }
    // Both asynchronous tables have been read (or refused).
    static bool settled(TFM_VlanSetting* page) {
        return pumpUntil([page] {
            return page->reqVlanList && !page->reqVlanList->Busy() && !page->reqPortList->Busy();
        });
    }
    // Clicks the row of the VLAN list showing vid, or empty space for "".
    static void click(TFM_VlanSetting* page, const QString& vid) {
        int found = -1;
        for (int row = 0; row < page->LV_VlanListUser->RowCount(); ++row)
            if (page->LV_VlanListUser->Caption(row) == vid) found = row;
        ASSERT_TRUE(vid.isEmpty() || found >= 0) << vid.toStdString();
        page->LV_VlanListUser->SelectRow(found);
        page->LV_VlanListUserClick();
    }
    static void save(TFM_VlanSetting* page, const QString& vid, const QString& name) {
        page->Ed_VlanID->setText(vid);
        page->Ed_VlanName->setText(name);
        page->AddButton->click();
        EXPECT_TRUE(settled(page));
    }
    std::vector<SimSetRecord> listSets() const {
        std::vector<SimSetRecord> found;
        for (const SimSetRecord& set : sets())
            if (!set.vbs.empty() && set.vbs[0].oid.rfind(G, 0) == 0) found.push_back(set);
        return found;
    }
    static QStringList shownVids(TFM_VlanSetting* page) {
        QStringList vids;
        for (int row = 0; row < page->LV_VlanListUser->RowCount(); ++row)
            vids << page->LV_VlanListUser->Caption(row);
        return vids;
    }
};

TEST_F(VlanPage, PvidSaveChecksEachEditWritesThreeRequestsOnlyTheStatusWhenOffNoneUnread) {
    TFM_VlanSetting* page = open();
    page->PageControl1->setCurrentIndex(kPvid);
    saveScreenshot(page, "vlan-pvid");
    CvEdit* last = page->Ed_PvidWds[3];
    for (const char* bad : {"0", "4095", "", "x"}) {
        last->setText(bad);
        page->Btn_PvidApply->click();
        EXPECT_EQ(ui().boxes.back().text, "The VID value range is 1~4094.");
        EXPECT_EQ(last->text(), "1");
        EXPECT_EQ(page->focusWidget(), last);
    }
    EXPECT_EQ(ui().boxes.size(), 4u);
    EXPECT_TRUE(sets().empty());

    page->Ed_PvidMgmt->setText("4094");
    page->Btn_PvidApply->click();
    EXPECT_EQ(status(page), "Set OK!");
    auto log = sets();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(oids(log[0]), std::vector<std::string>{kStatus});
    EXPECT_EQ(oids(log[1]), std::vector<std::string>{kPvidAuto});
    EXPECT_EQ(log[2].vbs.size(), 10u);
    EXPECT_EQ(log[2].vbs[0].value, "4094");

    choose(page->CB_VlanStatus, "Disable");
    page->Ed_PvidMgmt->setText("0");
    sim().clearJournal();
    page->Btn_PvidApply->click();
    log = sets();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(oids(log[0]), std::vector<std::string>{kStatus});
    EXPECT_EQ(log[0].vbs[0].value, "0");
    EXPECT_FALSE(page->AddButton->isEnabled());

    sim().knob("fail " + kStatus + " genErr get");
    page = open();
    page->Button1->click();
    EXPECT_TRUE(sets().empty()) << "VLAN would be written as status 0";
    EXPECT_EQ(status(page), unreadText());
    page->Btn_PvidApply->click();
    EXPECT_TRUE(sets().empty()) << "which sets go out rests on the status";

    // PVIDs the device never gave are not written, nor covered by "Set Error!".
    sim().knob("clear");
    sim().knob("fail " + kPvidMgmt + " genErr get");
    page = open();
    choose(page->CB_VlanStatus, "Enable");
    for (CvEdit* pvid : page->TabSheet_PvidSetting->findChildren<CvEdit*>()) pvid->setText("5");
    page->Btn_PvidApply->click();
    EXPECT_EQ(status(page), unreadText());
    EXPECT_EQ(sets().size(), 2u) << "the status and the auto-assign only";
}

TEST_F(VlanPage, AutoAssignDisablesTheEditsAndRereadsWhatTheDeviceAssignedDynamicModeLocksAll) {
    sim().knob("set " + kPvidMgmt + " 7");
    TFM_VlanSetting* page = open();
    EXPECT_EQ(page->Ed_PvidMgmt->text(), "7");
    choose(page->CB_PvidAutoStatus, "Enable");
    EXPECT_FALSE(page->Ed_PvidMgmt->isEnabled());
    page->Btn_PvidApply->click();
    EXPECT_EQ(sets().size(), 2u) << "status and auto-assign only";
    EXPECT_EQ(page->Ed_PvidMgmt->text(), "1");
    EXPECT_EQ(status(page), "Set OK!");
    sim().knob("fail " + kStatus + " genErr set 1");
    page->Btn_PvidApply->click();
    const auto log = sets();
    ASSERT_EQ(log.size(), 4u) << "a refused status does not hold back the auto-assign";
    EXPECT_NE(log[2].errorStatus, 0);
    EXPECT_EQ(oids(log[3]), std::vector<std::string>{kPvidAuto});
    EXPECT_EQ(status(page), "Set Error!");
    sim().knob("fail " + kPvidAuto + " genErr set");
    page->StatusBar->ShowText("");
    page->Btn_PvidApply->click();
    EXPECT_EQ(status(page), "Set Error!") << "the auto-assign alone refused";
    ASSERT_EQ(sets().size(), 6u);
    EXPECT_TRUE(sets()[4].errorStatus == 0 && sets()[5].errorStatus != 0);
    EXPECT_EQ(oids(sets()[5]), std::vector<std::string>{kPvidAuto});
    sim().knob("clear");

    sim().knob("profile vlan-dynamic");
    page = open();
    EXPECT_EQ(page->LB_VlanMode->text(), "Dynamic");
    for (QWidget* control : std::initializer_list<QWidget*>{
             page->AddButton, page->CB_PvidAutoStatus, page->Ed_PvidMgmt, page->Ed_VlanID,
             page->untagRadios[0], page->Btn_VlanWdsUntagAll})
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
}

TEST_F(VlanPage, StatusChangeWarnsInWdsAndClientModesButNeverWhileOpening) {
    for (const char* mode : {"3", "4"}) {
        sim().knob("set " + E + ".2.1.3.3.1.1.1.28.1 " + mode);
        TFM_VlanSetting* page = open();
        EXPECT_TRUE(ui().boxes.empty());
        choose(page->CB_VlanStatus, "Disable");
        choose(page->CB_VlanStatus, "Enable");
        EXPECT_EQ(boxTexts(), std::vector<QString>(2,
                                                   "If you enable VLAN,AP Mode is set to "
                                                   "access point."));
        ui().boxes.clear();
    }
    EXPECT_TRUE(sets().empty()) << "the page never writes the AP mode";
}

TEST_F(VlanPage, PortListTabRefreshesAndFillsTheVidsButARefusedRefreshLeavesThemEmpty) {
    sim().knob("fail " + kRefresh + " genErr set");
    TFM_VlanSetting* page = open();
    page->PageControl1->setCurrentIndex(kPortList);
    ASSERT_TRUE(settled(page));
    EXPECT_EQ(page->LV_PortListUser->SubItems(0), QStringList({"", "", "1"}));

    sim().knob("clear");
    page = open();
    page->PageControl1->setCurrentIndex(kPortList);
    ASSERT_TRUE(settled(page));
    EXPECT_EQ(oids(sets().back()), std::vector<std::string>{kRefresh});
    CvListView* ports = page->LV_PortListUser;
    ASSERT_EQ(ports->RowCount(), 10);
    EXPECT_EQ(ports->Caption(2), "VRA-AP");
    EXPECT_EQ(ports->SubItems(0), QStringList({"", "1,10", "1"}));  // Mgmt
    EXPECT_EQ(ports->SubItems(1), QStringList({"10", "1", "1"}));   // LAN
    EXPECT_EQ(status(page), "Get OK!");
    saveScreenshot(page, "vlan-port-list");
}

TEST_F(VlanPage, AddWritesOneRowThenTheRefreshAndRefusesBadDuplicateAndNamelessEntries) {
    TFM_VlanSetting* page = open();
    page->PageControl1->setCurrentIndex(kEdit);
    saveScreenshot(page, "vlan-add-edit");
    for (const char* bad : {"0", "4095", "", "x"}) {
        save(page, bad, "x");
        EXPECT_EQ(ui().boxes.back().text, "The VID value range is 1~4094.");
        EXPECT_EQ(page->Ed_VlanID->text(), "");
        EXPECT_EQ(page->focusWidget(), page->Ed_VlanID);
    }
    save(page, "10", "x");
    EXPECT_EQ(ui().boxes.back().text,
              "There is an existent entry with the same VID.\nPlease change the VID.");
    save(page, "20", "");
    EXPECT_EQ(ui().boxes.back().text, "The VLAN Name field can not be blank.");
    EXPECT_TRUE(sets().empty());

    sim().knob("delay 200 " + G + " get");
    page->Ed_VlanID->setText("20");
    page->Ed_VlanName->setText("guests");
    page->AddButton->click();
    ASSERT_TRUE(pumpUntil([&] { return status(page) == "Get OK!"; }));
    EXPECT_FALSE(page->reqVlanList->Busy()) << "\"Get OK!\" before the list was read again";
    auto log = sets();
    ASSERT_EQ(log.size(), 2u);
    const auto [columns, row] = columnsAndRow(log[0]);
    EXPECT_EQ(columns, range(2, 17)) << "VID, name and the 14 ports, no delete column";
    EXPECT_EQ(row, "3");
    for (size_t port = 2; port < log[0].vbs.size(); ++port)
        EXPECT_EQ(log[0].vbs[port].value, "2")
            << "a new VLAN carries port " << port - 2 << " untagged, the hidden S-4 to S-7 too";
    EXPECT_EQ(oids(log[1]), std::vector<std::string>{kRefresh});
    EXPECT_EQ(shownVids(page), QStringList({"1", "10", "20"}));

    click(page, "10");
    page->Btn_VlanEdit->click();
    EXPECT_EQ(page->PageControl1->currentIndex(), static_cast<int>(kEdit));
    EXPECT_FALSE(page->Ed_VlanID->isEnabled());
    EXPECT_TRUE(page->tagRadios[1]->isChecked()) << "LAN carries VLAN 10 tagged";
    save(page, "10", "");
    log = listSets();
    ASSERT_EQ(log.size(), 2u) << "an edit may blank the name and keeps its VID";
    EXPECT_EQ(columnsAndRow(log[1]).second, "2");
    EXPECT_EQ(log[1].vbs[0].value, "10");
    page->PageControl1->setCurrentIndex(kVlanList);
    click(page, "");
    save(page, "1", "again");
    EXPECT_EQ(listSets().size(), 2u) << "after the edit a listed VID is refused again";
}

TEST_F(VlanPage, DeleteWritesOnlyItsColumnAndAFailedDeleteLeavesTheNextSaveWhole) {
    TFM_VlanSetting* page = open();
    expectTidyLayout(page);
    saveScreenshot(page, "vlan-list");
    click(page, "10");
    ui().answers = {platform::BoxResult::Cancel};
    page->Btn_VlanDelete->click();
    EXPECT_EQ(ui().boxes.back().text, "Are you sure you want to delete staff?");
    EXPECT_TRUE(sets().empty());
    page->Btn_VlanDelete->click();
    ASSERT_TRUE(settled(page));
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(columnsAndRow(sets()[0]), std::make_pair(std::vector<int>{22}, std::string("2")));
    EXPECT_EQ(shownVids(page), QStringList({"1"}));

    sim().knob("fail " + G + ".22 commitFailed set");
    click(page, "1");
    page->Btn_VlanDelete->click();
    ASSERT_TRUE(pumpUntil([&] { return status(page).startsWith("(ViZURU++)"); }));
    page->Btn_VlanEdit->click();
    save(page, "1", "default");
    const auto log = listSets();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(columnsAndRow(log[2]).first, range(2, 17));
}

TEST_F(VlanPage, FullListRefusesNewVlansAfterReadsStatusSaveClicksAndTabChanges) {
    sim().knob("profile vlan-13");
    TFM_VlanSetting* page = open();
    EXPECT_EQ(page->vlanEditState, 0) << "13 VLANs leave a free row after a read";
    choose(page->CB_VlanStatus, "Enable");
    EXPECT_EQ(page->vlanEditState, 3) << "and a full list after a status change";

    sim().knob("profile vlan-full");
    page = open();
    auto refused = [&] {
        save(page, "200", "new");
        EXPECT_EQ(ui().boxes.back().text, "The VLAN list is full.");
        EXPECT_TRUE(listSets().empty());
    };
    refused();
    page->Button1->click();
    EXPECT_EQ(status(page), "") << "an OK text before the port list's answer";
    ASSERT_TRUE(settled(page));
    EXPECT_EQ(status(page), "Get OK!");
    sim().knob("fail " + kStatus + " notWritable set 1");
    page->Button1->click();
    EXPECT_TRUE(status(page).contains("notWritable"));
    refused();
    click(page, "1");
    click(page, "");
    page->PageControl1->setCurrentIndex(kEdit);
    EXPECT_EQ(page->vlanEditState, 2);
    refused();
}

TEST_F(VlanPage, HoleInTheListIsUsedByAddAndRowsAreReachedAtTheirOwnInstances) {
    sim().knob("profile vlan-hole");
    TFM_VlanSetting* page = open();
    ASSERT_EQ(shownVids(page), QStringList({"1", "30"}));
    save(page, "40", "hole");
    click(page, "30");
    page->Btn_VlanEdit->click();
    save(page, "30", "late");
    page->PageControl1->setCurrentIndex(kVlanList);
    click(page, "30");
    page->Btn_VlanDelete->click();
    ASSERT_TRUE(settled(page));
    const auto log = listSets();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(columnsAndRow(log[0]).second, "2") << "the new VLAN goes into the hole";
    EXPECT_EQ(columnsAndRow(log[1]).second, "3");
    EXPECT_EQ(columnsAndRow(log[2]), std::make_pair(std::vector<int>{22}, std::string("3")));
}

TEST_F(VlanPage, RefusedSsidReadLeavesThePortListEmptyAndNothingBreaks) {
    sim().knob("fail " + E + ".3.3.3.1 genErr get");
    sim().knob("fail " + G + " genErr get");
    TFM_VlanSetting* page = open();
    save(page, "20", "guests");
    EXPECT_EQ(status(page), unreadText()) << "no free row to write without the list";
    page->PageControl1->setCurrentIndex(kPortList);
    ASSERT_TRUE(settled(page));
    EXPECT_EQ(page->LV_PortListUser->RowCount(), 0);
    page->PageControl1->setCurrentIndex(kPvid);
    page->Btn_PvidApply->click();
    EXPECT_EQ(status(page), "Set OK!");
    EXPECT_EQ(page->LV_PortListUser->RowCount(), 0);
}
