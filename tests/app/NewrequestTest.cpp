#include <gtest/gtest.h>

#include <memory>

#include "app/Newrequest.h"
#include "library/snmp/CvListView.h"
#include "tests/app/ModuleSetup.h"
#include "tests/support/VraSim.h"

namespace {

// The WDS peer table: rows 1-3 used, row 4 free (MAC 000000000000).
const CvSNMPVarItem PeerItems[] = {
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.1", "Index", SYN_INTEGER, ACC_NOTACCESSIBLE,
     nullptr, "", ""},
    {"1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2", "MAC", SYN_MACADDRESS, ACC_READONLY, nullptr,
     "", ""},
    {},
};

class PlaceholderList : public ::testing::Test {
  protected:
    void SetUp() override {
        sim_ = std::make_unique<VraSim>();
        UseDevice(sim_->port());
        // A free row between used ones.
        sim_->knob("set 1.3.6.1.4.1.32473.10.37.38.2.1.3.3.1.2.1.1.2.2 000000000000");
        request_ = std::make_unique<New_req2Edit>(&owner_);
        request_->VarList = CvSNMPVarList(PeerItems, MVT_FMV, 1);
        request_->PlaceHolder = "000000000000";
        listView_ = new CvListView(&owner_);
        request_->AssociateListView(listView_, false);
    }

    QWidget owner_;
    std::unique_ptr<VraSim> sim_;
    std::unique_ptr<New_req2Edit> request_;
    CvListView* listView_ = nullptr;
};

TEST_F(PlaceholderList, Walk_SkipsFreeRowsNumbersTheRestFromOneAndKeepsEachRowsTableRow) {
    request_->Mode = 0;
    ASSERT_TRUE(request_->Get());
    ASSERT_EQ(request_->VarList.Rows().size(), 4u) << "the walk itself reads every row";
    ASSERT_EQ(listView_->RowCount(), 2);
    EXPECT_EQ(listView_->Caption(0), "1");
    // The running number stands in place of the table's own index; the MAC follows it.
    EXPECT_EQ(listView_->SubItems(0).join(','), "001122AABB01");
    EXPECT_EQ(listView_->Caption(1), "2");
    EXPECT_EQ(listView_->SubItems(1).join(','), "001122AABB03");

    // Selecting a numbered row makes its own table row the one to write.
    listView_->SelectRow(1);
    ASSERT_GE(request_->SelectedTableRow(), 0);
    EXPECT_EQ(request_->VarList.Rows()[request_->SelectedTableRow()].instance, "3");
}

TEST_F(PlaceholderList, AsynchronousWalk_NumbersFromTheCounterThePageReset) {
    ASSERT_TRUE(request_->Get());
    ASSERT_TRUE(VraSim::waitUntil([&] { return listView_->RowCount() == 2; }, 5000));
    EXPECT_EQ(request_->RowCounter, 3);

    request_->RowCounter = 1;
    ASSERT_TRUE(VraSim::waitUntil([&] { return !request_->Busy(); }, 5000));
    ASSERT_TRUE(request_->Get());
    ASSERT_TRUE(VraSim::waitUntil([&] { return request_->RowCounter == 3; }, 5000));
    ASSERT_EQ(listView_->RowCount(), 2);
    EXPECT_EQ(listView_->Caption(0), "1");
    EXPECT_EQ(listView_->Caption(1), "2");
}

}  // namespace
