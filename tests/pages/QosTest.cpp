#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <map>
#include <string>

#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvStatusBar.h"
#include "pages/advanced/Qossetting.h"
#include "tests/pages/PageHarness.h"

namespace {

const std::string Q = "1.3.6.1.4.1.32473.10.37.38.3.7";
const std::string kStatus = Q + ".1.0", kDelete = Q + ".2.4.0";
std::string cell(int column, int row) {
    return Q + ".2.5.1." + std::to_string(column) + "." + std::to_string(row);
}
// The variables of one set by OID.
std::map<std::string, std::string> values(const SimSetRecord& set) {
    std::map<std::string, std::string> found;
    for (const SimVarBind& binding : set.vbs) found[binding.oid] = binding.value;
    return found;
}

QosRuleEdits tcpRule() {
    QosRuleEdits e;
    e.name = "r", e.ipFrom1 = "10.0.0.1", e.portFrom1 = "80", e.protocolIndex = 1;
    return e;
}

}  // namespace

TEST(QosAddRule, ChecksInOrderFillEmptyEndsAndLeaveUnusedItemsOut) {
    EXPECT_EQ(TFM_QosSetting::IpEditToNumber("1.256.0.9"), 0x02000009u) << "octets carry";
    EXPECT_EQ(TFM_QosSetting::PortRangeCount("5060", "5061"), 2);
    struct Case {
        std::function<void(QosRuleEdits&)> change;
        QString message, caption;
        QosField focus;
    };
    const Case refusals[] = {
        {[](auto& e) { e.ipFrom1 = "10.0.0.5", e.ipTo1 = "10.0.0.1"; }, "Invalid IP address Range!",
         "Warning", QosField::IpTo1},
        {[](auto& e) { e.portTo2 = "0"; }, "Invalid Port!", "Warning", QosField::PortTo2},
        {[](auto& e) { e.portFrom1 = "65536"; }, "Invalid port!", "Waring", QosField::PortFrom1},
        {[](auto& e) { e.portTo1 = "79"; }, "Invalid Port Range!", "Waring", QosField::PortTo1},
        {[](auto& e) { e.ipFrom2 = "10.0.0.9", e.ipTo2 = "10.0.0.2"; }, "Invalid IP address Range!",
         "Warning", QosField::IpTo2},
        {[](auto& e) { e.protocolIndex = 3, e.portFrom2 = "0"; }, "Invalid port!", "Waring",
         QosField::PortFrom2},
    };
    for (const Case& c : refusals) {
        QosRuleEdits e = tcpRule();
        c.change(e);
        const QosAddPlan plan = planQosAdd(e, true);
        EXPECT_EQ(plan.message, c.message);
        EXPECT_EQ(plan.caption, c.caption);
        EXPECT_EQ(plan.focus, c.focus) << c.message.toStdString();
    }
    QosRuleEdits e = tcpRule();
    e.ipTo1 = "10.0.1.3";
    QosAddPlan plan = planQosAdd(e, false);
    ASSERT_TRUE(plan.passes());
    EXPECT_EQ(plan.edits.ipRange1, "3") << "only the last octets count";
    EXPECT_EQ(plan.edits.portTo1, "80");
    for (int item : {1, 12, 13, 14, 15, 16, 17}) EXPECT_FALSE(plan.included[item]) << item;

    e.ipFrom1 = "10.0.0.0";
    plan = planQosAdd(e, true);
    EXPECT_EQ(plan.caption, "Waring");
    EXPECT_EQ(plan.edits.ipFrom1, "") << "a refused address is emptied";
    e = tcpRule(), e.portFrom2 = "8o";
    EXPECT_FALSE(planQosAdd(e, true).conversionError.isEmpty());
}

class QosPage : public PageHarness {
  protected:
    TFM_QosSetting* open(const std::string& profile = "") {
        if (!profile.empty()) sim().knob("profile " + profile);
        TFM_QosSetting* page = openPage(FM_QosSetting);
        EXPECT_TRUE(pumpUntil([&] { return idle(page); })) << status(page).toStdString();
        return page;
    }
    static bool idle(TFM_QosSetting* page) {
        return page->isEnabled() && page->Btn_Apply->isEnabled() && status(page) == "Get OK!";
    }
    static void click(TFM_QosSetting* page, int row) {
        page->LV_QosRulesUser->SelectRow(row);
        emit page->LV_QosRulesUser->clicked(page->LV_QosRulesUser->model()->index(row, 0));
    }
    // Types a new rule and adds it; waits for the read that follows.
    void add(TFM_QosSetting* page, const QString& name, int protocol, const QString& ipFrom,
             const QString& portFrom = "") {
        page->Ed_QosName->setText(name);
        choose(page->CB_Protocol, protocol);
        page->Ed_IpFrom1->setText(ipFrom);
        page->Ed_PortFrom1->setText(portFrom);
        page->Btn_Add->click();
        EXPECT_TRUE(pumpUntil([&] { return idle(page); })) << status(page).toStdString();
    }
};

TEST_F(QosPage, AddWritesTheRuleIntoTheFirstFreeRowWithOnlyTheItemsItUses) {
    TFM_QosSetting* page = open();
    ASSERT_EQ(page->LV_QosRulesUser->RowCount(), 2);
    EXPECT_EQ(page->LV_QosRulesUser->SubItem(0, 3), "TCP 80/80 Any");
    EXPECT_EQ(page->LV_QosRulesUser->SubItem(1, 3), "UDP 5060/5061 Any");
    EXPECT_TRUE(page->LV_QosRulesUser->Checked(0));
    EXPECT_FALSE(page->LV_QosRulesUser->Checked(1));

    add(page, "tcp", 1, "10.0.0.7", "8080");
    add(page, "any", 0, "10.0.0.8");
    page->Ed_ProtocolName->setText("47");
    add(page, "other", 5, "10.0.0.9");
    choose(page->CB_Protocol, "Both");
    EXPECT_TRUE(page->Ed_PortTo2->isEnabled() && !page->Ed_ProtocolName->isEnabled());
    page->Ed_PortFrom2->setText("5000");
    add(page, "both", 3, "10.0.0.6", "53");
    ASSERT_EQ(sets().size(), 4u);
    auto tcp = values(sets()[0]), any = values(sets()[1]), other = values(sets()[2]);
    auto both = values(sets()[3]);
    EXPECT_EQ(tcp[cell(2, 3)], "1") << "a new rule is enabled";
    EXPECT_EQ(tcp[cell(8, 3)], "10.0.0.7") << "an empty end takes the start";
    EXPECT_EQ(tcp[cell(11, 3)], "8080");
    EXPECT_EQ(tcp[cell(5, 3)], "6");
    EXPECT_EQ(tcp.size(), 11u) << "the host 2 items stay out";
    EXPECT_EQ(any[cell(5, 4)], "256");
    EXPECT_EQ(other[cell(5, 5)], "47");
    EXPECT_EQ(any.size(), 8u) << "no port item";
    EXPECT_EQ(other.count(cell(10, 5)), 0u);
    EXPECT_EQ(both[cell(5, 6)], "257");
    EXPECT_EQ(both[cell(12, 6)], "1") << "host 1 ports 53 to 53";
    EXPECT_EQ(both[cell(17, 6)], "5000");
    EXPECT_EQ(both.size(), 14u) << "both hosts' ports, no host 2 address";
    EXPECT_EQ(page->LV_QosRulesUser->RowCount(), 6);

    page->Ed_QosName->setText("bad");
    page->Ed_IpFrom1->setText("10.0.0.1");
    choose(page->CB_Protocol, 1);
    page->Ed_PortFrom1->setText("90");
    page->Ed_PortTo1->setText("80");
    page->Btn_Add->click();
    EXPECT_EQ(page->focusWidget(), page->Ed_PortTo1);
    page->Ed_PortTo1->setText("x");
    page->Btn_Add->click();
    ASSERT_EQ(ui().boxes.size(), 2u);
    EXPECT_EQ(ui().boxes[0].text, "Invalid Port Range!");
    EXPECT_EQ(ui().boxes[1].caption, "Error") << "a number that does not convert";
    EXPECT_EQ(sets().size(), 4u);
}

TEST_F(QosPage, SaveWritesStatesStatusAndClassifiersOrOnlyTheStatusWhenOff) {
    TFM_QosSetting* page = open();
    choose(page->CB_EnableQos, 0);
    EXPECT_FALSE(page->Btn_Add->isEnabled());
    page->Btn_Apply->click();
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(values(sets()[0]), (std::map<std::string, std::string>{{kStatus, "0"}}));

    choose(page->CB_EnableQos, 1);
    page->LV_QosRulesUser->SetChecked(0, false);
    page->Btn_Apply->click();
    EXPECT_TRUE(pumpUntil([&] { return idle(page); }));
    EXPECT_EQ(boxTexts().at(0).left(31), "All traffic will be treated as ");
    ASSERT_EQ(sets().size(), 4u);
    EXPECT_EQ(values(sets()[1]),
              (std::map<std::string, std::string>{{cell(2, 1), "0"}, {cell(2, 2), "0"}}));
    EXPECT_EQ(oids(sets()[2]), std::vector<std::string>{kStatus});
    EXPECT_EQ(sets()[3].vbs.size(), 2u) << "the classifiers";

    click(page, 0);
    EXPECT_EQ(page->Ed_IpFrom2->text(), "") << "web has no host 2";
    page->Ed_QosName->setText("web2");
    page->Btn_Apply->click();
    EXPECT_TRUE(pumpUntil([&] { return idle(page); }));
    ASSERT_EQ(sets().size(), 8u);
    auto edited = values(sets()[7]);
    EXPECT_EQ(edited[cell(3, 1)], "web2");
    EXPECT_EQ(edited.count(cell(2, 1)), 0u) << "the edited rule keeps its state";

    // A refused status set shows its text, which the re-read that follows does not cover.
    for (const int on : {0, 1}) {
        choose(page->CB_EnableQos, on);
        sim().knob("fail " + kStatus + " notWritable set 1");
        page->StatusBar->ShowText("");
        page->Btn_Apply->click();
        EXPECT_TRUE(pumpUntil([&] { return page->isEnabled() && !page->reqQosRules->Busy(); }));
        EXPECT_TRUE(status(page).contains("notWritable")) << on << status(page).toStdString();
    }
}

TEST_F(QosPage, EmptyTableSaveStillWritesStatusAndClassifiers) {
    TFM_QosSetting* page = open("qos-empty");
    page->Btn_Apply->click();
    EXPECT_TRUE(pumpUntil([&] { return idle(page); }));
    ASSERT_EQ(sets().size(), 2u);
    EXPECT_EQ(oids(sets()[0]), std::vector<std::string>{kStatus});
}

TEST_F(QosPage, DeleteWritesTheIndexOfTheRuleItAsksAboutAndAFailedReadLeavesThePageUsable) {
    TFM_QosSetting* page = open();
    click(page, 0);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(page->LV_QosRulesUser, &down);
    ASSERT_EQ(page->LV_QosRulesUser->SelectedRow(), 1) << "the arrow key moves the highlight";
    ui().answers = {platform::BoxResult::Ok};
    sim().knob("fail " + Q + ".2.5 genErr get 1");
    page->Btn_Del->click();
    EXPECT_EQ(boxTexts().at(0), "Are you sure you want to delete voip?");
    ASSERT_EQ(sets().size(), 1u);
    EXPECT_EQ(values(sets()[0])[kDelete], "2");
    EXPECT_TRUE(pumpUntil([&] { return status(page) != "Delete OK!"; }));
    EXPECT_TRUE(page->isEnabled() && page->Btn_Apply->isEnabled() && page->Btn_Add->isEnabled());
}

TEST_F(QosPage, RulesBehindAFreeRowAreReachedAtTheirOwnIndex) {
    TFM_QosSetting* page = open("qos-hole");
    ASSERT_EQ(page->LV_QosRulesUser->RowCount(), 1);
    click(page, 0);
    EXPECT_EQ(page->Ed_PortFrom2->text(), "") << "a port of 0 shows empty";
    page->LV_QosRulesUser->SetChecked(0, true);
    page->Btn_Apply->click();
    EXPECT_TRUE(pumpUntil([&] { return idle(page); }));
    ASSERT_EQ(sets().size(), 4u);
    EXPECT_EQ(values(sets()[0]), (std::map<std::string, std::string>{{cell(2, 2), "1"}}));
    EXPECT_EQ(values(sets()[3])[cell(3, 2)], "voip") << "the edit goes to row 2";
    click(page, 0);
    ui().answers = {platform::BoxResult::Ok};
    page->Btn_Del->click();
    EXPECT_EQ(values(sets().back())[kDelete], "2");
}

TEST_F(QosPage, FullTablesNeverWriteARuleWithoutASelectedRow) {
    TFM_QosSetting* page = open("qos-64");
    EXPECT_FALSE(page->Btn_Add->isEnabled());
    page = open("qos-8");
    page->Ed_QosName->setText("ninth");
    page->Ed_IpFrom1->setText("10.0.0.1");
    page->Btn_Add->click();
    EXPECT_TRUE(pumpUntil([&] {
        return page->Btn_Add->isEnabled() && page->Btn_Clear->isEnabled() &&
               page->Btn_Apply->isEnabled();
    }));
    EXPECT_TRUE(sets().empty());
}

TEST_F(QosPage, SeventyListedRulesAreListedAndSaved) {
    sim().knob("rows qosRules 70");
    for (int row = 3; row <= 70; ++row)
        sim().knob("row qosRules " + std::to_string(row) + " 3=\"r" + std::to_string(row) + "\"");
    TFM_QosSetting* page = open();
    EXPECT_EQ(page->LV_QosRulesUser->RowCount(), 70);
    EXPECT_FALSE(page->Btn_Add->isEnabled());
    page->Btn_Apply->click();
    EXPECT_TRUE(pumpUntil([&] { return idle(page); }));
    ASSERT_FALSE(sets().empty());
    EXPECT_EQ(sets()[0].vbs.size(), 70u);
}

TEST_F(QosPage, CloseDuringTheFirstWalkIsRefusedUntilTheWalkEnds) {
    sim().knob("delay 150 " + Q + ".2.5 get");
    TFM_QosSetting* page = openPage(FM_QosSetting);
    page->reject();
    EXPECT_TRUE(page->isVisible());
    EXPECT_TRUE(pumpUntil([&] { return status(page) == "Get OK!"; }));
    page->reject();
    EXPECT_FALSE(page->isVisible());
}

TEST_F(QosPage, LayoutWithQosOnAndOffAndTheSwitchLockedForAWirelessClient) {
    TFM_QosSetting* page = open();
    expectTidyLayout(page);
    saveScreenshot(page, "qos-on");
    choose(page->CB_EnableQos, 0);
    saveScreenshot(page, "qos-off");
    EXPECT_TRUE(page->CB_EnableQos->isEnabled());
    EXPECT_FALSE(open("client")->CB_EnableQos->isEnabled());
}
